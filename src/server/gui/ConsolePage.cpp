#include "server/gui/ConsolePage.h"

#include "server/gui/ConsoleView.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"
#include "ui/widgets/FrameBox.h"
#include "ui/widgets/PictureBox.h"

#include <QLabel>
#include <QLineEdit>

namespace consolepage {

Controls build(QWidget* page)
{
    Controls c;
    c.title = controls::label(page, names::Title, QStringLiteral("服务器 控制台"), QRect(20, 12, 420, 24));
    QFont f = c.title->font();
    f.setBold(true);
    f.setPointSize(10);
    c.title->setFont(f);

    c.runningLamp =
        controls::button(page, names::RunningLamp, QStringLiteral("开始"), QRect(700, 10, 56, 26));
    c.runningLamp->setBackgroundColor(QColor(0, 200, 83));
    c.runningLamp->setTextColor(Qt::white);
    c.runningLamp->setEnabled(true);
    c.runningLamp->hide();
    c.stoppedLamp =
        controls::button(page, names::StoppedLamp, QStringLiteral("关闭"), QRect(700, 10, 56, 26));
    c.stoppedLamp->setBackgroundColor(QColor(239, 83, 80));
    c.stoppedLamp->setTextColor(Qt::white);
    c.statusPicture = controls::picture(page, names::StatusPicture, QRect(766, 8, 30, 30));

    c.console = new ConsoleView(page);
    c.console->setGeometry(20, 44, 804, 372);

    c.commandFrame = controls::frame(page, names::CommandFrame, QRect(20, 424, 804, 34));
    c.commandBox =
        controls::edit(c.commandFrame, names::CommandBox, CommandPlaceholder, QRect(8, 3, 788, 28));
    c.commandBox->setFrame(false);

    const auto action = [page](const QString& name, const QString& text, int column) {
        FlatButton* button = controls::button(page, name, text, QRect(20 + column * 100, 468, 90, 34));
        button->setTextColor(Qt::white);
        return button;
    };
    c.start = action(names::Start, QStringLiteral("开始"), 0);
    c.stop = action(names::Stop, QStringLiteral("关闭"), 1);
    c.restart = action(names::Restart, QStringLiteral("重启"), 2);
    c.forceStop = action(names::ForceStop, QStringLiteral("强制关闭"), 3);
    c.clearLog =
        controls::button(page, names::ClearLog, QStringLiteral("清空日志"), QRect(724, 468, 100, 34));
    return c;
}

} // namespace consolepage
