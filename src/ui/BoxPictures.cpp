#include "ui/BoxPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace boxpictures {
namespace {

constexpr int Size = 48;

QPixmap ring(const QColor& color, const std::function<void(QPainter&)>& drawInside)
{
    QPixmap pixmap(Size * 2, Size * 2);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = color;
    fill.setAlpha(32);
    painter.setBrush(fill);
    painter.setPen(QPen(color, 2.5));
    painter.drawEllipse(QRectF(3, 3, Size - 6, Size - 6));
    painter.setPen(QPen(color, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    drawInside(painter);
    return pixmap;
}

} // namespace

QPixmap successTick()
{
    return ring(QColor(0, 127, 255), [](QPainter& p) {
        QPainterPath tick;
        tick.moveTo(14, 25);
        tick.lineTo(21, 32);
        tick.lineTo(34, 17);
        p.drawPath(tick);
    });
}

QPixmap failureCross()
{
    return ring(QColor(239, 83, 80), [](QPainter& p) {
        p.drawLine(QPointF(17, 17), QPointF(31, 31));
        p.drawLine(QPointF(31, 17), QPointF(17, 31));
    });
}

QPixmap question()
{
    return ring(QColor(255, 167, 38), [](QPainter& p) {
        QPainterPath mark;
        mark.moveTo(18, 19);
        mark.cubicTo(18, 11, 31, 11, 31, 19);
        mark.cubicTo(31, 24, 24, 24, 24, 29);
        p.drawPath(mark);
        p.drawPoint(QPointF(24, 35));
    });
}

} // namespace boxpictures
