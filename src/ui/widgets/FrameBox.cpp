#include "ui/widgets/FrameBox.h"

#include <QPainter>
#include <QPainterPath>

FrameBox::FrameBox(QWidget* parent) : QWidget(parent) {}

void FrameBox::setLineColor(const QColor& color)
{
    m_line = color;
    update();
}

void FrameBox::setBackgroundColor(const QColor& color)
{
    m_background = color;
    update();
}

void FrameBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    painter.fillPath(path, m_background);
    painter.setPen(QPen(m_line, 1));
    painter.drawPath(path);
}
