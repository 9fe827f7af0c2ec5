#include "server/ServerRuntime.h"

#include "config/ServerProperties.h"
#include "console/ConsoleLanguage.h"
#include "console/ConsoleProcessor.h"
#include "platform/ChildProcess.h"
#include "platform/PortOwner.h"
#include "platform/RunDirectory.h"
#include "server/LaunchChecks.h"
#include "server/ServerProcess.h"
#include "threads/BackgroundJob.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

constexpr int AutosaveSecondCommandDelayMs = 100;
constexpr int CrashRestartDelayMs = 200;
// After the port question's OK has killed the holder, the port check waits this long at most for
// the process to be gone, so that the relaunch does not find the dying holder and ask again.
constexpr int KilledOwnerWaitMs = 3000;
// A killed server is reaped by the exit watcher at once; this only bounds a shutdown that would
// otherwise wait for an end that never comes.
constexpr int KilledEndWaitMs = 2000;

const QString LauncherTag = QStringLiteral(" 管理系统");
const QString CrashRestartTag = QStringLiteral(" 崩溃重启");

} // namespace

QString serverStateText(ServerState state)
{
    return state == ServerState::Running ? QStringLiteral("已开服") : QStringLiteral("未开服");
}

QString stopReasonText(StopReason reason)
{
    return reason == StopReason::Manual ? QStringLiteral("手动") : QString();
}

ServerRuntime::ServerRuntime(QObject* parent)
    : QObject(parent), m_processor(std::make_unique<ConsoleProcessor>()),
      m_process(std::make_unique<ServerProcess>())
{
    m_autosaveTimer = new QTimer(this);
    m_autosaveTimer->setObjectName(QStringLiteral("时钟4"));
    connect(m_autosaveTimer, &QTimer::timeout, this, &ServerRuntime::autosaveTick);

    m_shutdownTimer = new QTimer(this);
    m_shutdownTimer->setSingleShot(true);
    // The server is given at least its grace period, never a coarse timer's few percent less.
    m_shutdownTimer->setTimerType(Qt::PreciseTimer);

    ConsoleProcessor* processor = m_processor.get();
    m_process->setChunkProcessor([processor](const QString& chunk) { return processor->process(chunk); });
    connect(m_process.get(), &ServerProcess::linesReady, this, &ServerRuntime::linesReady);
    connect(m_process.get(), &ServerProcess::finished, this, &ServerRuntime::onProcessFinished);
}

ServerRuntime::~ServerRuntime()
{
    // The process goes first: its reader uses the processor until it has been joined.
    m_process.reset();
}

LaunchInputSource::Fields ServerRuntime::launchFields() const
{
    return m_inputs ? m_inputs->launchFields() : LaunchInputSource::Fields{};
}

bool ServerRuntime::isRunning() const
{
    return m_process->isRunning();
}

qint64 ServerRuntime::pid() const
{
    return m_process->pid();
}

bool ServerRuntime::isStartupDone() const
{
    return m_processor->startupDone();
}

void ServerRuntime::setConsoleLanguage(const QString& fileName)
{
    m_languageName = fileName;
    m_processor->setLanguageName(fileName);
}

void ServerRuntime::say(const QString& tag, quint32 tagRgb, const QString& message)
{
    emit linesReady(launcherMessage(tag, tagRgb, message));
}

void ServerRuntime::setState(ServerState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

// ---- Launch ----

void ServerRuntime::launch()
{
    if (m_shuttingDown)
        return;
    m_crashRestarts.clear();
    startGathering();
}

void ServerRuntime::startGathering()
{
    if (m_gathering)
        return;
    if (m_process->isRunning()) {
        // Replacing a live server would lose whatever it has not saved; it has to be stopped first.
        say(LauncherTag, consolecolor::Launcher,
            QStringLiteral("服务器正在运行（PID: %1），无需再次开启；如需重新开启请先关闭服务器。")
                .arg(m_process->pid()));
        emit launchFinished(false);
        return;
    }
    m_gathering = true;
    m_restartPending = false;
    const QString portText = serverprops::readServerProperty(QStringLiteral("server-port"));
    const qint64 number = leadingNumber(portText);
    const int port = number > 0 && number <= 65535 ? static_cast<int>(number) : 0;
    const qint64 killedOwner = std::exchange(m_killedOwner, 0);
    // Discovery may run `java -version` and the port check reads the process table: seconds at
    // worst, which the window must not wait through.
    threads::runInBackground(
        this,
        [port, portText, killedOwner] {
            if (killedOwner != 0) {
                QElapsedTimer waited;
                waited.start();
                while (processExists(killedOwner) && waited.elapsed() < KilledOwnerWaitMs)
                    QThread::msleep(20);
            }
            Gathered gathered;
            gathered.java = discoverJava();
            gathered.portOwner = port > 0 ? findPortOwner(port) : 0;
            gathered.portText = portText;
            return gathered;
        },
        [this](const Gathered& gathered) { continueLaunch(gathered); });
}

void ServerRuntime::continueLaunch(const Gathered& gathered)
{
    m_gathering = false;
    if (m_shuttingDown) {
        emit launchFinished(false);
        return;
    }

    const LaunchInputSource::Fields fields = launchFields();
    LaunchInputs inputs;
    inputs.javaPath = fields.javaPath;
    inputs.memory = fields.memory;
    inputs.core = fields.core;
    inputs.autosave = fields.autosave;
    inputs.extraArgs = fields.extraArgs;
    inputs.serverPortText = gathered.portText;
    inputs.portOwner = gathered.portOwner;
    inputs.java = gathered.java;
    inputs.languageChosen = !m_languageName.isEmpty();
    if (inputs.languageChosen) {
        const consolelang::LanguageHeader header = consolelang::readHeader(m_languageName);
        inputs.languageName = header.name;
        inputs.languageVersion = header.version;
        inputs.languageAuthor = header.author;
    }
    inputs.runDirectory = rundir::path();

    const LaunchPlan plan = planLaunch(inputs);
    emit consoleCleared();
    emit linesReady(plan.lines);

    if (plan.outcome != LaunchPlan::Ready) {
        // No crash restart may follow a launch that did not happen.
        m_stopReason = StopReason::Manual;
        if (plan.outcome == LaunchPlan::PortTaken) {
            m_portOwner = gathered.portOwner;
            emit portTaken(plan.portQuestionText, gathered.portOwner);
        }
        emit launchFinished(false);
        return;
    }

    // The ready line is shown before the process exists, so the server's first output always
    // follows it; a failed start adds its reason right after it.
    writeEula();
    m_processor->resetStartupDone();
    const ServerProcess::StartResult result =
        m_process->start(plan.program, plan.arguments, plan.workingDirectory,
                         ServerProcess::argumentsAskForGbk(plan.arguments));
    if (!result.ok) {
        // Not a crash: nothing ran, so nothing is restarted or counted.
        say(QStringLiteral(" 进程问题"), consolecolor::Problem, result.error);
        emit launchFinished(false);
        return;
    }
    setState(ServerState::Running);
    emit launchFinished(true);
}

void ServerRuntime::endPortOwnerAndLaunch()
{
    // The holder is never this launcher's live server: a launch is refused while that runs.
    killProcess(m_portOwner);
    m_killedOwner = m_portOwner;
    launch();
}

void ServerRuntime::moveToRandomPortAndLaunch()
{
    const QString port = randomPort();
    serverprops::writeServerProperty(QStringLiteral("server-port"), port);
    emit portChanged(port);
    launch();
}

// ---- Process end ----

void ServerRuntime::onProcessFinished(qint64 pid, int /*exitStatus*/)
{
    // A process that a newer start replaced is not the server whose end matters.
    if (pid != m_process->pid())
        return;
    m_processor->resetStartupDone();
    m_autosaveTimer->stop();
    setState(ServerState::Stopped);

    if (m_shuttingDown) {
        m_shutdownTimer->stop();
        emit shutdownFinished();
        return;
    }
    if (m_restartPending) {
        m_restartPending = false;
        m_stopReason = StopReason::None;
        startGathering();
        return;
    }
    const bool restart = m_stopReason != StopReason::Manual && crashRestartEnabled();
    // Cleared before the relaunch: a relaunch that is refused marks the stop as manual again.
    m_stopReason = StopReason::None;
    if (restart)
        QTimer::singleShot(CrashRestartDelayMs, this, &ServerRuntime::crashRestart);
}

bool ServerRuntime::crashLoopGuardAllows()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime windowStart = now.addSecs(-60LL * CrashLoopWindowMinutes);
    m_crashRestarts.erase(std::remove_if(m_crashRestarts.begin(), m_crashRestarts.end(),
                                         [&windowStart](const QDateTime& at) { return at < windowStart; }),
                          m_crashRestarts.end());
    if (m_crashRestarts.size() >= CrashLoopLimit)
        return false;
    m_crashRestarts.append(now);
    return true;
}

void ServerRuntime::crashRestart()
{
    if (m_shuttingDown || m_process->isRunning() || m_gathering)
        return;
    if (!crashLoopGuardAllows()) {
        say(CrashRestartTag, consolecolor::Problem,
            QStringLiteral("服务器在%1分钟内已崩溃重启%2次，已停止自动重启，请检查服务器日志后手动开启")
                .arg(CrashLoopWindowMinutes)
                .arg(CrashLoopLimit));
        return;
    }
    startGathering();
    emit crashRestarted();
}

// ---- Operations ----

void ServerRuntime::stop()
{
    sendConsoleCommand(QStringLiteral("stop"));
    m_stopReason = StopReason::Manual;
}

void ServerRuntime::markManualStop()
{
    m_stopReason = StopReason::Manual;
}

void ServerRuntime::restart()
{
    sendConsoleCommand(QStringLiteral("stop"));
    m_stopReason = StopReason::Manual;
    if (m_restartPending || m_gathering)
        return;
    if (!m_process->isRunning() && m_state == ServerState::Stopped) {
        launch();
        return;
    }
    // Driven by the process-end signal: onProcessFinished starts the new server.
    m_restartPending = true;
    m_crashRestarts.clear();
}

void ServerRuntime::forceStop()
{
    m_process->terminate();
    m_stopReason = StopReason::Manual;
    say(LauncherTag, consolecolor::Launcher,
        QStringLiteral("服务器进程ID（") + QString::number(m_process->pid()) +
            QStringLiteral("）已终止，服务器强制关闭完成。"));
}

bool ServerRuntime::sendConsoleCommand(const QString& text)
{
    return m_process->sendCommand(text);
}

void ServerRuntime::shutdown(int graceMs)
{
    if (m_shuttingDown)
        return;
    m_shuttingDown = true;
    m_restartPending = false;
    if (!m_process->isRunning()) {
        emit shutdownFinished();
        return;
    }
    // The server saves its world on "stop"; a kill only follows when it does not end in time.
    m_stopReason = StopReason::Manual;
    sendConsoleCommand(QStringLiteral("stop"));
    disconnect(m_shutdownTimer, nullptr, this, nullptr);
    connect(m_shutdownTimer, &QTimer::timeout, this, [this] {
        m_process->terminate();
        disconnect(m_shutdownTimer, nullptr, this, nullptr);
        connect(m_shutdownTimer, &QTimer::timeout, this, &ServerRuntime::shutdownFinished);
        m_shutdownTimer->start(KilledEndWaitMs);
    });
    m_shutdownTimer->start(graceMs);
}

// ---- Autosave ----

void ServerRuntime::applyAutosavePeriod()
{
    // Restarting a timer with its own period would reset its countdown, so only a change is set.
    constexpr qint64 MinuteMs = 60000;
    const qint64 minutes = leadingNumber(launchFields().autosave);
    const qint64 maxMinutes = std::numeric_limits<int>::max() / MinuteMs;
    const int period = minutes <= 0 ? 0 : static_cast<int>(std::min(minutes, maxMinutes) * MinuteMs);
    if (period == 0 || !m_process->isRunning())
        m_autosaveTimer->stop();
    else if (!m_autosaveTimer->isActive() || m_autosaveTimer->interval() != period)
        m_autosaveTimer->start(period);
}

void ServerRuntime::autosaveTick()
{
    sendConsoleCommand(QStringLiteral("list"));
    // Apart so that the server answers the list before it starts saving.
    QTimer::singleShot(AutosaveSecondCommandDelayMs, this,
                       [this] { sendConsoleCommand(QStringLiteral("save-all")); });
    if (!m_process->isRunning())
        m_autosaveTimer->stop();
}
