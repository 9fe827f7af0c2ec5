#include "players/gui/PlayersPage.h"

#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"
#include "ui/widgets/PictureBox.h"

#include <QPainter>
#include <QPainterPath>

namespace playerspage {
namespace {

QPixmap arrow(bool pointsLeft)
{
    QPixmap pixmap(32, 32);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(96, 96, 96), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath path;
    if (pointsLeft) {
        path.moveTo(10, 3);
        path.lineTo(5, 8);
        path.lineTo(10, 13);
    } else {
        path.moveTo(6, 3);
        path.lineTo(11, 8);
        path.lineTo(6, 13);
    }
    painter.drawPath(path);
    return pixmap;
}

} // namespace

void build(QWidget* page)
{
    FlatButton* toggle = controls::button(page, QStringLiteral("玩家管理"), QStringLiteral("玩家管理"),
                                          QRect(20, 16, 120, 32));
    controls::setTag(toggle, QStringLiteral("显示"));
    toggle->setPicture(arrow(false));
    QObject::connect(toggle, &FlatButton::clicked, page, [page] { togglePlayerPanel(page); });

    PictureBox* actions = controls::picture(page, QStringLiteral("图片框67"), QRect(150, 12, 660, 40));
    const QStringList names = {QStringLiteral("封禁IP"), QStringLiteral("设置OP"), QStringLiteral("取消OP"),
                               QStringLiteral("给予物品"), QStringLiteral("封禁ID")};
    for (int i = 0; i < names.size(); ++i)
        controls::button(actions, names[i], names[i], QRect(i * 100, 4, 90, 32));
    actions->hide();

    controls::button(page, QStringLiteral("安装玩家插件"), QStringLiteral("安装玩家插件"),
                     QRect(150, 16, 130, 32));
    controls::button(page, QStringLiteral("安装玩家插件1"), QStringLiteral("安装玩家插件（新版）"),
                     QRect(290, 16, 160, 32));
}

void togglePlayerPanel(QWidget* page)
{
    auto* toggle = controls::find<FlatButton>(page, QStringLiteral("玩家管理"));
    QWidget* actions = controls::find<QWidget>(page, QStringLiteral("图片框67"));
    QWidget* install = controls::find<QWidget>(page, QStringLiteral("安装玩家插件"));
    QWidget* install1 = controls::find<QWidget>(page, QStringLiteral("安装玩家插件1"));
    const bool showActions = controls::tag(toggle) == QStringLiteral("显示");
    actions->setVisible(showActions);
    install->setVisible(!showActions);
    install1->setVisible(!showActions);
    toggle->setPicture(arrow(showActions));
    controls::setTag(toggle, showActions ? QStringLiteral("隐藏") : QStringLiteral("显示"));
}

} // namespace playerspage
