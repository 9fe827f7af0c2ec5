#pragma once

#include <QString>

class FlatButton;
class QLineEdit;
class QWidget;

// The launch settings page "开服设置" (page 2): Java, core, memory, autosave, chat name and extra
// arguments, the crash restart switch, and the save, export and reset buttons.
namespace launchsettingspage {

// The names of the controls other parts of the launcher drive.
namespace names {
inline const QString JavaPath = QStringLiteral("编辑框3");
inline const QString Core = QStringLiteral("编辑框4");
inline const QString Memory = QStringLiteral("编辑框5");
inline const QString Autosave = QStringLiteral("编辑框2");
inline const QString ChatName = QStringLiteral("编辑框6");
inline const QString ExtraArgs = QStringLiteral("编辑框18");
inline const QString CrashRestart = QStringLiteral("超级按钮76");
inline const QString Save = QStringLiteral("超级按钮21");
inline const QString ResetServer = QStringLiteral("超级按钮90");
} // namespace names

struct Controls {
    QLineEdit* javaPath = nullptr;
    QLineEdit* core = nullptr;
    QLineEdit* memory = nullptr;
    QLineEdit* autosave = nullptr;
    QLineEdit* chatName = nullptr;
    QLineEdit* extraArgs = nullptr;
    FlatButton* crashRestart = nullptr;
    FlatButton* save = nullptr;
    FlatButton* resetServer = nullptr;
};

Controls build(QWidget* page);

} // namespace launchsettingspage
