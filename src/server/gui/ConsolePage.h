#pragma once

#include <QString>

class ConsoleView;
class FlatButton;
class FrameBox;
class PictureBox;
class QLabel;
class QLineEdit;
class QWidget;

// The console page (page 1): the console view, the command box, the status lamps and the start,
// stop, restart and force-stop buttons.
namespace consolepage {

// The controls' names, which automation and tests address them by.
namespace names {
inline const QString Title = QStringLiteral("标签4");
inline const QString RunningLamp = QStringLiteral("超级按钮22");
inline const QString StoppedLamp = QStringLiteral("超级按钮23");
inline const QString StatusPicture = QStringLiteral("图片框10");
inline const QString Console = QStringLiteral("超级编辑框2");
inline const QString CommandFrame = QStringLiteral("外形框2");
inline const QString CommandBox = QStringLiteral("编辑框1");
inline const QString Start = QStringLiteral("超级按钮16");
inline const QString Stop = QStringLiteral("超级按钮15");
inline const QString Restart = QStringLiteral("超级按钮14");
inline const QString ForceStop = QStringLiteral("超级按钮13");
inline const QString ClearLog = QStringLiteral("清空日志");
} // namespace names

inline const QString CommandPlaceholder = QStringLiteral("无需输入 / （Enter发送指令到控制台）");

struct Controls {
    QLabel* title = nullptr;
    FlatButton* runningLamp = nullptr;
    FlatButton* stoppedLamp = nullptr;
    PictureBox* statusPicture = nullptr;
    ConsoleView* console = nullptr;
    FrameBox* commandFrame = nullptr;
    QLineEdit* commandBox = nullptr;
    FlatButton* start = nullptr;
    FlatButton* stop = nullptr;
    FlatButton* restart = nullptr;
    FlatButton* forceStop = nullptr;
    FlatButton* clearLog = nullptr;
};

Controls build(QWidget* page);

} // namespace consolepage
