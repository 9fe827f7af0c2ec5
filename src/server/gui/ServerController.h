#pragma once

#include "console/ConsoleLine.h"
#include "server/JavaDiscovery.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

class ConsoleProcessor;
class ConsoleView;
class FrameBox;
class QLabel;
class QLineEdit;
class QTimer;
class QWidget;
class ServerProcess;

// The server runtime as the console page shows it: the launch sequence, the one server process with
// its console, the crash restart, the status, uptime and autosave timers (时钟2, 时钟3, 时钟4), the
// stop, restart and force-stop buttons, the command box and the port question. Lives on the
// user-interface thread; the process's reader thread only appends to the console.
class ServerController : public QObject {
    Q_OBJECT

public:
    // `window` holds the console, home and launch settings pages; the controller and its timers are
    // its children.
    explicit ServerController(QWidget* window);
    ~ServerController() override;

    // The controller of the running launcher (the one created last), or nullptr.
    static ServerController* instance();

    // Start-up: starts the status timer 时钟2.
    void start();

    // Runs the launch sequence: the pre-launch checks in the console, then the server. Java
    // discovery and the port check run on a worker thread; the rest continues on this thread. A
    // call while an earlier launch is still gathering its inputs joins that launch.
    void launchServer();
    // "关闭": "stop" and the manual stop mark.
    void stopServer();
    // "重启": "stop", the manual mark, and a new launch once the server has ended.
    void restartServer();
    // "强制关闭": asks first; the answer's OK runs forceStopServer.
    void askForceStop();
    void forceStopServer();
    // The port question "检测端口占用": OK ends the port's holder and launches again; cancel moves
    // the server to a random port and launches again.
    void portQuestionOk();
    void portQuestionCancel();

    // The console language file the server's output is translated with, from the next chunk on.
    void setConsoleLanguage(const QString& fileName);

    // The only way a console command reaches the server; "\r\n" is added. Lost when none runs.
    void sendConsoleCommand(const QString& text);
    bool isServerRunning() const;
    qint64 serverPid() const;
    // Kills a running server (the launcher's shutdown).
    void terminateServer();

    // Timer steps, public so that tests can run a tick at a chosen moment.
    void refreshServerStatus();
    void countUptime();
    void autosaveTick();
    qint64 uptimeSeconds() const { return m_uptimeSeconds; }
    void setUptimeSeconds(qint64 seconds) { m_uptimeSeconds = seconds; }

    // Extra work of each status tick that finds no server running (the online-player reset).
    void addStoppedStep(std::function<void()> step) { m_stoppedSteps.append(std::move(step)); }

    // True while a launch waits for Java discovery and the port check.
    bool isLaunchGathering() const { return m_gathering; }

    enum class Status { Starting, Started, Stopped };
    // The picture 图片框10 shows for each state, drawn once.
    static QPixmap statusPicture(Status status);

signals:
    // A launch has finished its checks (whatever their outcome) and, when they passed, started the
    // server or failed to. For tests and features that follow a launch.
    void launchFinished(bool started);

private:
    struct Gathered {
        JavaInfo java;
        qint64 portOwner = 0;
    };

    void appendConsoleLines(const ConsoleLines& lines);
    void continueLaunch(const QString& portText, const Gathered& gathered);
    Q_INVOKABLE void finishGathering();
    void onProcessFinished(qint64 pid, int status);
    void connectControls();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void onCommandFocus(bool gained);
    void onConsoleFocused();
    void setStatusPicture(Status status);
    QString fieldText(const QString& name) const;

    QPointer<QWidget> m_window;
    ConsoleView* m_console = nullptr;
    QLineEdit* m_commandBox = nullptr;
    FrameBox* m_commandFrame = nullptr;
    QLabel* m_title = nullptr;

    QTimer* m_statusTimer = nullptr;
    QTimer* m_uptimeTimer = nullptr;
    QTimer* m_autosaveTimer = nullptr;
    QTimer* m_restartPoll = nullptr;

    // Declared before the process: the process's reader uses it until the process is gone.
    std::unique_ptr<ConsoleProcessor> m_processor;
    std::unique_ptr<ServerProcess> m_process;

    std::thread m_gatherThread;
    QMutex m_gatheredMutex; // guards the gather thread's result until the UI thread takes it
    Gathered m_gathered;
    QString m_gatheredPortText;
    bool m_gathering = false;
    qint64 m_killedOwner = 0; // the port holder the port question's OK just ended
    qint64 m_portOwner = 0;   // the holder the last port check found
    bool m_exitHandled = true;
    qint64 m_uptimeSeconds = 0;
    Status m_shownStatus = Status::Stopped;
    bool m_statusShown = false;
    QList<std::function<void()>> m_stoppedSteps;
};
