#pragma once

#include <QString>

class FlatButton;
class QLabel;
class QLineEdit;
class QWidget;

// The home page (page 0): the console language frame, the counters and the launcher settings frame
// (autostart, title, colour theme, easing).
namespace homepage {

// The names of the controls other parts of the launcher drive.
namespace names {
inline const QString LanguageName = QStringLiteral("标签82");
inline const QString LanguageAuthor = QStringLiteral("标签83");
inline const QString LanguageVersion = QStringLiteral("标签85");
inline const QString ChooseLanguage = QStringLiteral("选择语言文件");
inline const QString UptimeHours = QStringLiteral("运行小时");
inline const QString UptimeMinutes = QStringLiteral("运行分钟");
inline const QString CrashRestarts = QStringLiteral("服务器崩溃重启次数1");
inline const QString Autostart = QStringLiteral("超级按钮39");
inline const QString Easing = QStringLiteral("超级按钮64");
inline const QString Title = QStringLiteral("编辑框17");
} // namespace names

struct Controls {
    QLabel* languageName = nullptr;
    QLabel* languageAuthor = nullptr;
    QLabel* languageVersion = nullptr;
    FlatButton* chooseLanguage = nullptr;
    QLabel* uptimeHours = nullptr;
    QLabel* uptimeMinutes = nullptr;
    QLabel* crashRestarts = nullptr;
    FlatButton* autostart = nullptr;
    FlatButton* easing = nullptr;
    QLineEdit* title = nullptr;
};

Controls build(QWidget* page);

} // namespace homepage
