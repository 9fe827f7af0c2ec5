#include "server/gui/ConsolePage.h"

#include "server/gui/ConsoleView.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"
#include "ui/widgets/FrameBox.h"
#include "ui/widgets/PictureBox.h"

#include <QLabel>
#include <QLineEdit>

namespace consolepage {

void build(QWidget* page)
{
    QLabel* title = controls::label(page, QStringLiteral("标签4"), QStringLiteral("服务器 控制台"),
                                    QRect(20, 12, 420, 24));
    QFont f = title->font();
    f.setBold(true);
    f.setPointSize(10);
    title->setFont(f);

    FlatButton* running =
        controls::button(page, QStringLiteral("超级按钮22"), QStringLiteral("开始"), QRect(700, 10, 56, 26));
    running->setBackgroundColor(QColor(0, 200, 83));
    running->setTextColor(Qt::white);
    running->setEnabled(true);
    running->hide();
    FlatButton* stopped =
        controls::button(page, QStringLiteral("超级按钮23"), QStringLiteral("关闭"), QRect(700, 10, 56, 26));
    stopped->setBackgroundColor(QColor(239, 83, 80));
    stopped->setTextColor(Qt::white);
    controls::picture(page, QStringLiteral("图片框10"), QRect(766, 8, 30, 30));

    auto* console = new ConsoleView(page);
    console->setGeometry(20, 44, 804, 372);

    FrameBox* commandFrame = controls::frame(page, QStringLiteral("外形框2"), QRect(20, 424, 804, 34));
    QLineEdit* command =
        controls::edit(commandFrame, QStringLiteral("编辑框1"),
                       QStringLiteral("无需输入 / （Enter发送指令到控制台）"), QRect(8, 3, 788, 28));
    command->setFrame(false);

    const QStringList names = {QStringLiteral("超级按钮16"), QStringLiteral("超级按钮15"),
                               QStringLiteral("超级按钮14"), QStringLiteral("超级按钮13")};
    const QStringList texts = {QStringLiteral("开始"), QStringLiteral("关闭"), QStringLiteral("重启"),
                               QStringLiteral("强制关闭")};
    for (int i = 0; i < names.size(); ++i) {
        FlatButton* button = controls::button(page, names[i], texts[i], QRect(20 + i * 100, 468, 90, 34));
        button->setTextColor(Qt::white);
    }
    controls::button(page, QStringLiteral("清空日志"), QStringLiteral("清空日志"), QRect(724, 468, 100, 34));
}

} // namespace consolepage
