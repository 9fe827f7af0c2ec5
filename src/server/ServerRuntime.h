#pragma once

#include "console/ConsoleLine.h"
#include "server/JavaDiscovery.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class ConsoleProcessor;
class QTimer;
class ServerProcess;

enum class ServerState { Stopped, Running };
// Why the server's process will end next: Manual when the operator (or the launcher) asked for it,
// so that no crash restart follows.
enum class StopReason { None, Manual };

// The texts the launcher shows and stores for the state and the stop reason.
QString serverStateText(ServerState state);
QString stopReasonText(StopReason reason);

// The launch settings as the operator has them at the moment of a launch. The launch settings
// feature answers these from its page; tests answer them from plain values.
class LaunchInputSource {
public:
    struct Fields {
        QString javaPath;  // the Java program
        QString memory;    // megabytes
        QString core;      // a file name inside panel/server
        QString autosave;  // minutes between autosaves
        QString extraArgs; // arguments after the core
    };

    virtual ~LaunchInputSource() = default;
    virtual Fields launchFields() const = 0;
    virtual bool crashRestartEnabled() const = 0;
};

// The one game server of the launcher: its launch sequence (the checks printed in the console, then
// the process), its console output processed into coloured lines, its state and stop reason, the
// crash restart with a guard against crash loops, the autosave timer 时钟4 and the graceful stop at
// shutdown. Lives on the user-interface thread and touches no widget: features receive it by
// reference, call its operations and follow its signals.
class ServerRuntime : public QObject {
    Q_OBJECT

public:
    // A crash loop: this many crash restarts within CrashLoopWindowMinutes stop the restarting.
    static constexpr int CrashLoopLimit = 5;
    static constexpr int CrashLoopWindowMinutes = 10;
    // How long the launcher's shutdown waits for the server to save and end after "stop".
    static constexpr int ShutdownGraceMs = 15000;

    explicit ServerRuntime(QObject* parent = nullptr);
    // Kills a server that still runs: no thread of the runtime outlives it.
    ~ServerRuntime() override;

    // Where launches read their settings; it must outlive the runtime or be replaced first. Without
    // one, launches read empty fields (and are refused by the checks).
    void setLaunchInputs(const LaunchInputSource* inputs) { m_inputs = inputs; }

    // "开始": runs the launch sequence. A server of this launcher that is still alive is never
    // replaced; a launch while an earlier one gathers its inputs joins that one. A manual launch
    // resets the crash-loop guard.
    void launch();
    // "关闭": "stop" to the server, and its end will not be restarted.
    void stop();
    // "强制关闭" after its question: kills the server at once.
    void forceStop();
    // The end that follows is asked for (the force-stop question marks it when it opens).
    void markManualStop();
    // "重启": "stop", and a new launch once the process-end signal has come.
    void restart();
    // The only way a console command reaches the server; false when none runs or it is not taking
    // commands. Never waits for the server.
    bool sendConsoleCommand(const QString& text);

    // Shows the launcher's own lines in the console, after what is shown already.
    void print(const ConsoleLines& lines) { emit linesReady(lines); }

    // The answers to the port question that a launch asks through portTaken(): end the port's
    // holder and launch again, or move the server to a random port and launch again.
    void endPortOwnerAndLaunch();
    void moveToRandomPortAndLaunch();

    // The launcher is ending: "stop" to a running server, up to `graceMs` for it to save and end,
    // then a kill; shutdownFinished() follows (at once when no server runs).
    void shutdown(int graceMs = ShutdownGraceMs);

    // The console language file used for translation from the next output on.
    void setConsoleLanguage(const QString& fileName);
    QString consoleLanguage() const { return m_languageName; }

    // Sets 时钟4 from the autosave minutes of the launch settings (0 or not a number: off). The
    // console page calls it with its status tick.
    void applyAutosavePeriod();
    // One autosave: "list", then "save-all" shortly after.
    void autosaveTick();

    ServerState state() const { return m_state; }
    StopReason stopReason() const { return m_stopReason; }
    bool isRunning() const;
    // The id of the last server started, 0 before the first.
    qint64 pid() const;
    // The running server has printed its start-up completion line.
    bool isStartupDone() const;
    // A launch waits for Java discovery and the port check.
    bool isLaunchGathering() const { return m_gathering; }
    bool isRestartPending() const { return m_restartPending; }
    QTimer* autosaveTimer() const { return m_autosaveTimer; }

signals:
    void stateChanged(ServerState state);
    // Coloured lines for the console, in order: the launcher's own lines and the server's output.
    void linesReady(const ConsoleLines& lines);
    // A launch begins: the console starts empty.
    void consoleCleared();
    // The launch stopped because `owner` holds the server's port; `question` asks what to do.
    void portTaken(const QString& question, qint64 owner);
    // The server's port was changed in server.properties.
    void portChanged(const QString& port);
    // The server ended unasked and is being started again.
    void crashRestarted();
    // A launch has finished its checks and, when they passed, started the server or failed to.
    void launchFinished(bool started);
    void shutdownFinished();

private:
    struct Gathered {
        JavaInfo java;
        qint64 portOwner = 0;
        QString portText;
    };

    void startGathering();
    void continueLaunch(const Gathered& gathered);
    void onProcessFinished(qint64 pid, int exitStatus);
    void crashRestart();
    bool crashLoopGuardAllows();
    void setState(ServerState state);
    void say(const QString& tag, quint32 tagRgb, const QString& message);

    LaunchInputSource::Fields launchFields() const;
    bool crashRestartEnabled() const { return m_inputs && m_inputs->crashRestartEnabled(); }

    const LaunchInputSource* m_inputs = nullptr;
    // Declared before the process: the process's reader uses it until the process is gone.
    std::unique_ptr<ConsoleProcessor> m_processor;
    std::unique_ptr<ServerProcess> m_process;
    QTimer* m_autosaveTimer = nullptr;
    QTimer* m_shutdownTimer = nullptr;

    ServerState m_state = ServerState::Stopped;
    StopReason m_stopReason = StopReason::None;
    QString m_languageName;
    bool m_gathering = false;
    bool m_relaunchAfterGathering = false;
    bool m_restartPending = false;
    bool m_shuttingDown = false;
    qint64 m_portOwner = 0;   // the holder the last port check found
    qint64 m_killedOwner = 0; // the holder the port question's OK just ended
    QList<QDateTime> m_crashRestarts;
};
