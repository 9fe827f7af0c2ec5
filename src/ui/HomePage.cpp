#include "ui/HomePage.h"

#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"
#include "ui/widgets/FrameBox.h"

#include <QLabel>
#include <QLineEdit>

namespace homepage {
namespace {

QLabel* heading(QWidget* frame, const QString& name, const QString& text)
{
    QLabel* label = controls::label(frame, name, text, QRect(16, 10, 300, 24));
    QFont f = label->font();
    f.setBold(true);
    f.setPointSize(10);
    label->setFont(f);
    return label;
}

} // namespace

Controls build(QWidget* page)
{
    // Console language file.
    FrameBox* language = controls::frame(page, QStringLiteral("外形框44"), QRect(16, 16, 398, 170));
    heading(language, QStringLiteral("标签45"), QStringLiteral("控制台语言文件"));
    const QStringList captions = {QStringLiteral("语言名称"), QStringLiteral("翻译作者"),
                                  QStringLiteral("翻译版本")};
    const QStringList captionNames = {QStringLiteral("标签46"), QStringLiteral("标签81"),
                                      QStringLiteral("标签84")};
    const QStringList valueNames = {QStringLiteral("标签82"), QStringLiteral("标签83"),
                                    QStringLiteral("标签85")};
    for (int i = 0; i < 3; ++i) {
        controls::label(language, captionNames[i], captions[i], QRect(16, 46 + i * 30, 80, 24));
        controls::label(language, valueNames[i], QStringLiteral("未知"), QRect(100, 46 + i * 30, 280, 24));
    }
    controls::button(language, QStringLiteral("选择语言文件"), QStringLiteral("选择语言文件"),
                     QRect(16, 132, 120, 28));

    // Host and server information; its contents come with the status panel.
    FrameBox* host = controls::frame(page, QStringLiteral("外形框26"), QRect(428, 16, 398, 170));
    heading(host, QStringLiteral("标签主机信息"), QStringLiteral("主机信息"));

    // Counters.
    FrameBox* counters = controls::frame(page, QStringLiteral("外形框25"), QRect(16, 200, 398, 170));
    heading(counters, QStringLiteral("标签运行信息"), QStringLiteral("运行信息"));
    controls::label(counters, QStringLiteral("标签运行时间"), QStringLiteral("运行时间"),
                    QRect(16, 50, 80, 24));
    controls::label(counters, QStringLiteral("运行小时"), QStringLiteral("0"), QRect(100, 50, 40, 24))
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    controls::label(counters, QStringLiteral("标签小时"), QStringLiteral("小时"), QRect(144, 50, 40, 24));
    controls::label(counters, QStringLiteral("运行分钟"), QStringLiteral("0"), QRect(184, 50, 40, 24))
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    controls::label(counters, QStringLiteral("标签分钟"), QStringLiteral("分钟"), QRect(228, 50, 40, 24));
    controls::label(counters, QStringLiteral("标签崩溃重启"), QStringLiteral("崩溃重启次数"),
                    QRect(16, 84, 100, 24));
    controls::label(counters, QStringLiteral("服务器崩溃重启次数1"), QStringLiteral("0"),
                    QRect(120, 84, 60, 24));

    // Launcher settings.
    FrameBox* launcher = controls::frame(page, QStringLiteral("外形框24"), QRect(428, 200, 398, 290));
    heading(launcher, QStringLiteral("标签开服器设置"), QStringLiteral("开服器设置"));
    controls::checkButton(launcher, QStringLiteral("超级按钮39"), QStringLiteral("开机自启"),
                          QRect(16, 46, 110, 30));
    controls::checkButton(launcher, QStringLiteral("超级按钮64"), QStringLiteral("缓动特效"),
                          QRect(140, 46, 110, 30));

    controls::label(launcher, QStringLiteral("标签修改标题"), QStringLiteral("修改标题"),
                    QRect(16, 96, 80, 24));
    FrameBox* titleFrame = controls::frame(launcher, QStringLiteral("外形框28"), QRect(100, 92, 280, 32));
    QLineEdit* title = controls::edit(titleFrame, QStringLiteral("编辑框17"),
                                      QStringLiteral("Velk开服器 4.6"), QRect(6, 3, 268, 26));
    title->setFrame(false);

    controls::label(launcher, QStringLiteral("标签配色"), QStringLiteral("配色方案"), QRect(16, 142, 80, 24));
    const QStringList swatches = {QStringLiteral("按钮1"), QStringLiteral("按钮2"), QStringLiteral("按钮3")};
    const QList<QColor> colours = {QColor(51, 210, 139), QColor(76, 184, 255), QColor(210, 116, 255)};
    for (int i = 0; i < 3; ++i) {
        FlatButton* swatch =
            controls::button(launcher, swatches[i], QString(), QRect(100 + i * 34, 142, 26, 26));
        swatch->setBackgroundColor(colours[i]);
        swatch->setTextColor(Qt::white);
    }
    Controls c;
    c.languageName = controls::require<QLabel>(page, names::LanguageName);
    c.languageAuthor = controls::require<QLabel>(page, names::LanguageAuthor);
    c.languageVersion = controls::require<QLabel>(page, names::LanguageVersion);
    c.chooseLanguage = controls::require<FlatButton>(page, names::ChooseLanguage);
    c.uptimeHours = controls::require<QLabel>(page, names::UptimeHours);
    c.uptimeMinutes = controls::require<QLabel>(page, names::UptimeMinutes);
    c.crashRestarts = controls::require<QLabel>(page, names::CrashRestarts);
    c.autostart = controls::require<FlatButton>(page, names::Autostart);
    c.easing = controls::require<FlatButton>(page, names::Easing);
    c.title = controls::require<QLineEdit>(page, names::Title);
    return c;
}

} // namespace homepage
