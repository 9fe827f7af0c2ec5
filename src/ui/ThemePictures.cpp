#include "ui/ThemePictures.h"

#include <QCoreApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace themepictures {
namespace {

constexpr qreal Scale = 2.0;
constexpr qreal Stroke = 1.7;

QSize logicalSize(Role role)
{
    switch (role) {
    case Role::None:
        return {};
    case Role::Unfold:
        return {14, 14};
    case Role::Magnifier:
        return {18, 18};
    case Role::SwitchOn:
    case Role::SwitchOff:
        return {36, 20};
    case Role::SectionHome:
    case Role::SectionServer:
    case Role::SectionFiles:
    case Role::SectionDownloads:
        return {20, 20};
    default:
        return {16, 16};
    }
}

QPen linePen(const QColor& colour, qreal width = Stroke)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawClose(QPainter& p, const QColor& c)
{
    p.setPen(linePen(c, 1.8));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
}

void drawMinimise(QPainter& p, const QColor& c)
{
    p.setPen(linePen(c, 1.8));
    p.drawLine(QPointF(3.5, 8.5), QPointF(12.5, 8.5));
}

void drawUnfold(QPainter& p, const QColor& c)
{
    p.setPen(linePen(c, 1.8));
    QPainterPath chevron;
    chevron.moveTo(3, 5);
    chevron.lineTo(7, 9);
    chevron.lineTo(11, 5);
    p.drawPath(chevron);
}

void drawCheckBox(QPainter& p, const QColor& c, bool ticked)
{
    const QRectF box(1.5, 1.5, 13, 13);
    if (!ticked) {
        p.setPen(QPen(c, 1.4));
        p.setBrush(Qt::white);
        p.drawRoundedRect(box, 3, 3);
        return;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(box.adjusted(-0.7, -0.7, 0.7, 0.7), 3.4, 3.4);
    p.setBrush(Qt::NoBrush);
    p.setPen(linePen(Qt::white, 1.8));
    QPainterPath tick;
    tick.moveTo(4.6, 8.2);
    tick.lineTo(7, 10.6);
    tick.lineTo(11.5, 5.6);
    p.drawPath(tick);
}

void drawMagnifier(QPainter& p, const QColor& c)
{
    p.setPen(linePen(c, 1.9));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(7.6, 7.6), 5, 5);
    p.setPen(linePen(c, 2.3));
    p.drawLine(QPointF(11.4, 11.4), QPointF(15.6, 15.6));
}

void drawSwitch(QPainter& p, const QColor& c, bool on)
{
    const QRectF track(1, 2, 34, 16);
    p.setPen(Qt::NoPen);
    QColor trackColour = c;
    if (!on)
        trackColour.setAlpha(70);
    p.setBrush(trackColour);
    p.drawRoundedRect(track, 8, 8);

    // The knob carries a faint shadow so it reads as raised on the light "off" track.
    const QPointF centre(on ? 27 : 9, 10);
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawEllipse(centre + QPointF(0, 0.6), 6.4, 6.4);
    p.setBrush(Qt::white);
    p.drawEllipse(centre, 6, 6);
}

void drawHome(QPainter& p, const QColor& c)
{
    p.setPen(linePen(c));
    p.setBrush(Qt::NoBrush);
    QPainterPath roof;
    roof.moveTo(2.5, 9.5);
    roof.lineTo(10, 3);
    roof.lineTo(17.5, 9.5);
    p.drawPath(roof);
    QPainterPath body;
    body.moveTo(4.8, 7.8);
    body.lineTo(4.8, 17);
    body.lineTo(15.2, 17);
    body.lineTo(15.2, 7.8);
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(8.3, 11.6, 3.4, 5.4), 1, 1);
}

void drawServer(QPainter& p, const QColor& c)
{
    p.setPen(linePen(c));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2.5, 3.5, 15, 13), 2.5, 2.5);
    QPainterPath prompt;
    prompt.moveTo(6, 7.8);
    prompt.lineTo(8.6, 10.2);
    prompt.lineTo(6, 12.6);
    p.drawPath(prompt);
    p.drawLine(QPointF(10.8, 12.6), QPointF(14, 12.6));
}

void drawFolder(QPainter& p, const QColor& c)
{
    p.setPen(linePen(c));
    p.setBrush(Qt::NoBrush);
    QPainterPath folder;
    folder.moveTo(2.5, 6);
    folder.quadTo(2.5, 4, 4.5, 4);
    folder.lineTo(7.8, 4);
    folder.lineTo(9.8, 6);
    folder.lineTo(15.5, 6);
    folder.quadTo(17.5, 6, 17.5, 8);
    folder.lineTo(17.5, 14.5);
    folder.quadTo(17.5, 16.5, 15.5, 16.5);
    folder.lineTo(4.5, 16.5);
    folder.quadTo(2.5, 16.5, 2.5, 14.5);
    folder.closeSubpath();
    p.drawPath(folder);
    p.drawLine(QPointF(2.5, 9), QPointF(17.5, 9));
}

void drawDownloads(QPainter& p, const QColor& c)
{
    p.setPen(linePen(c));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(10, 3), QPointF(10, 12.5));
    QPainterPath head;
    head.moveTo(6.2, 9);
    head.lineTo(10, 12.8);
    head.lineTo(13.8, 9);
    p.drawPath(head);
    QPainterPath tray;
    tray.moveTo(3, 12.5);
    tray.lineTo(3, 16.5);
    tray.lineTo(17, 16.5);
    tray.lineTo(17, 12.5);
    p.drawPath(tray);
}

QPixmap draw(Role role, const QColor& colour)
{
    const QSize size = logicalSize(role);
    QPixmap pixmap(size * Scale);
    pixmap.setDevicePixelRatio(Scale);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (role) {
    case Role::None:
        break;
    case Role::Close:
        drawClose(p, colour);
        break;
    case Role::Minimise:
        drawMinimise(p, colour);
        break;
    case Role::Unfold:
        drawUnfold(p, colour);
        break;
    case Role::CheckEmpty:
    case Role::CheckTicked:
        drawCheckBox(p, colour, role == Role::CheckTicked);
        break;
    case Role::Magnifier:
        drawMagnifier(p, colour);
        break;
    case Role::SwitchOn:
    case Role::SwitchOff:
        drawSwitch(p, colour, role == Role::SwitchOn);
        break;
    case Role::SectionHome:
        drawHome(p, colour);
        break;
    case Role::SectionServer:
        drawServer(p, colour);
        break;
    case Role::SectionFiles:
        drawFolder(p, colour);
        break;
    case Role::SectionDownloads:
        drawDownloads(p, colour);
        break;
    }
    return pixmap;
}

using Cache = QHash<std::pair<int, QRgb>, QPixmap>;

Cache& cache()
{
    static Cache pictures;
    return pictures;
}

// Pixmaps must not outlive the application object, so the cache empties when it goes.
void clearCache()
{
    cache().clear();
}

} // namespace

QPixmap picture(Role role, const QColor& colour)
{
    if (role == Role::None)
        return {};
    // Every second a tool window asks again for the same pictures; drawing them once is enough.
    static const bool cleanupRegistered = [] {
        qAddPostRoutine(clearCache);
        return true;
    }();
    Q_UNUSED(cleanupRegistered);
    Cache& pictures = cache();
    const std::pair<int, QRgb> key(static_cast<int>(role), colour.rgba());
    auto it = pictures.constFind(key);
    if (it != pictures.constEnd())
        return *it;
    const QPixmap pixmap = draw(role, colour);
    pictures.insert(key, pixmap);
    return pixmap;
}

QColor plainColour()
{
    return QColor(128, 132, 138);
}

Role sectionRole(int section)
{
    switch (section) {
    case 1:
        return Role::SectionHome;
    case 2:
        return Role::SectionServer;
    case 3:
        return Role::SectionFiles;
    case 4:
        return Role::SectionDownloads;
    default:
        return Role::None;
    }
}

} // namespace themepictures
