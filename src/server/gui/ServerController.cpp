#include "server/gui/ServerController.h"

#include "config/ServerProperties.h"
#include "console/ConsoleLanguage.h"
#include "console/ConsoleProcessor.h"
#include "platform/ChildProcess.h"
#include "platform/PortOwner.h"
#include "platform/RunDirectory.h"
#include "server/LaunchChecks.h"
#include "server/ServerProcess.h"
#include "server/ServerState.h"
#include "server/gui/ConsoleView.h"
#include "ui/MessageBoxes.h"
#include "ui/Theme.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"
#include "ui/widgets/FrameBox.h"
#include "ui/widgets/PictureBox.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <chrono>
#include <limits>
#include <utility>

namespace {

const QString PortQuestionTitle = QStringLiteral("检测端口占用");
const QString ForceStopTitle = QStringLiteral("强制关闭");
const QString ForceStopQuestion = QStringLiteral("确定要强制关闭服务器吗？可能会回档哦");
const QString CommandPlaceholder = QStringLiteral("无需输入 / （Enter发送指令到控制台）");
const QString StoppedTitle = QStringLiteral("服务器 控制台");
const QColor CommandFrameIdle(236, 236, 236);

constexpr int StatusPeriodMs = 1000;
constexpr int UptimePeriodMs = 1000;
constexpr int AutosaveSecondCommandDelayMs = 100;
constexpr int CrashRestartDelayMs = 200;
constexpr int RestartPollMs = 500;
// After the port question's OK has killed the holder, the port check waits this long at most for
// the process to be gone, so that the relaunch does not find the dying holder and ask again.
constexpr int KilledOwnerWaitMs = 3000;

QPointer<ServerController>& currentController()
{
    static QPointer<ServerController> controller;
    return controller;
}

// The confirm-action table is process-wide and keeps its first matching row, so its rows go to
// whichever controller is current instead of to the one that happened to register them.
void registerBoxActions()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    boxes::addConfirmAction(6, boxes::MatchOn::Text, ForceStopQuestion, [](QWidget*) {
        if (ServerController* controller = ServerController::instance())
            controller->forceStopServer();
    });
    boxes::addConfirmAction(9, boxes::MatchOn::Title, PortQuestionTitle, [](QWidget*) {
        if (ServerController* controller = ServerController::instance())
            controller->portQuestionOk();
    });
    boxes::addCancelAction(PortQuestionTitle, [](QWidget*) {
        if (ServerController* controller = ServerController::instance())
            controller->portQuestionCancel();
    });
}

QPixmap drawStatusPicture(ServerController::Status status)
{
    constexpr int Size = 30;
    constexpr qreal Ratio = 2.0;
    QPixmap pixmap(QSize(Size, Size) * Ratio);
    pixmap.setDevicePixelRatio(Ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(3, 3, Size - 6, Size - 6);
    switch (status) {
    case ServerController::Status::Started: {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 200, 83));
        painter.drawEllipse(disc);
        QPainterPath tick;
        tick.moveTo(9.5, 15.5);
        tick.lineTo(13.5, 19.5);
        tick.lineTo(21, 11);
        painter.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
        break;
    }
    case ServerController::Status::Starting: {
        const QColor amber(255, 167, 38);
        painter.setPen(QPen(amber, 3, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        // An open ring with a dot in the middle: something is on its way.
        painter.drawArc(disc.adjusted(1.5, 1.5, -1.5, -1.5), 90 * 16, -290 * 16);
        painter.setPen(Qt::NoPen);
        painter.setBrush(amber);
        painter.drawEllipse(QPointF(Size / 2.0, Size / 2.0), 3.2, 3.2);
        break;
    }
    case ServerController::Status::Stopped:
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(189, 189, 189));
        painter.drawEllipse(disc);
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(10.5, 10.5, 9, 9), 1.5, 1.5);
        break;
    }
    return pixmap;
}

} // namespace

ServerController::ServerController(QWidget* window)
    : QObject(window), m_window(window), m_processor(std::make_unique<ConsoleProcessor>()),
      m_process(std::make_unique<ServerProcess>())
{
    m_console = controls::find<ConsoleView>(window, QStringLiteral("超级编辑框2"));
    m_commandBox = controls::find<QLineEdit>(window, QStringLiteral("编辑框1"));
    m_commandFrame = controls::find<FrameBox>(window, QStringLiteral("外形框2"));
    m_title = controls::find<QLabel>(window, QStringLiteral("标签4"));
    if (m_console)
        m_console->setSizeLimit(ConsoleByteLimit);

    const auto makeTimer = [window](const QString& name) {
        auto* timer = new QTimer(window);
        timer->setObjectName(name);
        return timer;
    };
    m_statusTimer = makeTimer(QStringLiteral("时钟2"));
    m_statusTimer->setInterval(StatusPeriodMs);
    m_uptimeTimer = makeTimer(QStringLiteral("时钟3"));
    m_autosaveTimer = makeTimer(QStringLiteral("时钟4"));
    m_restartPoll = new QTimer(this);
    m_restartPoll->setInterval(RestartPollMs);
    connect(m_statusTimer, &QTimer::timeout, this, &ServerController::refreshServerStatus);
    connect(m_uptimeTimer, &QTimer::timeout, this, &ServerController::countUptime);
    connect(m_autosaveTimer, &QTimer::timeout, this, &ServerController::autosaveTick);
    connect(m_restartPoll, &QTimer::timeout, this, [this] {
        if (m_process->isRunning() || !m_exitHandled)
            return;
        m_restartPoll->stop();
        launchServer();
    });

    // Runs on the reader thread, one chunk at a time; the console takes the runs in order.
    ConsoleProcessor* processor = m_processor.get();
    m_process->setChunkProcessor([processor](const QString& chunk) { return processor->process(chunk); });
    if (m_console)
        connect(m_process.get(), &ServerProcess::linesReady, m_console, &ConsoleView::appendLines);
    connect(m_process.get(), &ServerProcess::finished, this, &ServerController::onProcessFinished);

    currentController() = this;
    registerBoxActions();
    connectControls();
}

ServerController::~ServerController()
{
    if (m_gatherThread.joinable())
        m_gatherThread.join();
    // The process goes first: its reader uses the processor until it has been joined.
    m_process.reset();
}

void ServerController::setConsoleLanguage(const QString& fileName)
{
    m_processor->setLanguageName(fileName);
}

void ServerController::appendConsoleLines(const ConsoleLines& lines)
{
    if (m_console)
        m_console->appendLines(lines);
}

ServerController* ServerController::instance()
{
    return currentController();
}

void ServerController::start()
{
    m_statusTimer->start();
}

QString ServerController::fieldText(const QString& name) const
{
    const QLineEdit* edit = controls::find<QLineEdit>(m_window, name);
    return edit ? edit->text() : QString();
}

void ServerController::connectControls()
{
    const auto onClick = [this](const QString& name, auto slot) {
        if (auto* button = controls::find<FlatButton>(m_window, name))
            connect(button, &FlatButton::clicked, this, slot);
    };
    onClick(QStringLiteral("超级按钮16"), &ServerController::launchServer);
    onClick(QStringLiteral("超级按钮15"), &ServerController::stopServer);
    onClick(QStringLiteral("超级按钮14"), &ServerController::restartServer);
    onClick(QStringLiteral("超级按钮13"), &ServerController::askForceStop);
    if (auto* clearButton = controls::find<FlatButton>(m_window, QStringLiteral("清空日志")))
        connect(clearButton, &FlatButton::clicked, this, [this] {
            if (m_console)
                m_console->clearConsole();
        });
    if (m_commandBox)
        m_commandBox->installEventFilter(this);
    if (m_console)
        connect(m_console, &ConsoleView::focusReceived, this, &ServerController::onConsoleFocused);
}

// ---- Launch ----

void ServerController::launchServer()
{
    if (m_gathering)
        return;
    m_gathering = true;
    // A launch from anywhere replaces a restart that still waits for the old server to end.
    m_restartPoll->stop();
    const QString portText = serverprops::readServerProperty(QStringLiteral("server-port"));
    const qint64 number = leadingNumber(portText);
    const int port = number > 0 && number <= 65535 ? static_cast<int>(number) : 0;
    const qint64 killedOwner = std::exchange(m_killedOwner, 0);
    if (m_gatherThread.joinable())
        m_gatherThread.join();
    // Discovery may run `java -version` and the port check reads the process table: seconds at
    // worst, which the window must not wait through.
    m_gatherThread = std::thread([this, port, portText, killedOwner] {
        if (killedOwner != 0) {
            const auto deadline =
                std::chrono::steady_clock::now() + std::chrono::milliseconds(KilledOwnerWaitMs);
            while (processExists(killedOwner) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        Gathered gathered;
        gathered.java = discoverJava();
        gathered.portOwner = port > 0 ? findPortOwner(port) : 0;
        {
            QMutexLocker lock(&m_gatheredMutex);
            m_gathered = gathered;
            m_gatheredPortText = portText;
        }
        // Invoked by name so the queued call is built inside Qt; the result crosses under the lock.
        QMetaObject::invokeMethod(this, "finishGathering", Qt::QueuedConnection);
    });
}

void ServerController::finishGathering()
{
    Gathered gathered;
    QString portText;
    {
        QMutexLocker lock(&m_gatheredMutex);
        gathered = m_gathered;
        portText = m_gatheredPortText;
    }
    continueLaunch(portText, gathered);
}

void ServerController::continueLaunch(const QString& portText, const Gathered& gathered)
{
    m_gathering = false;
    if (!m_window || !m_console)
        return;

    LaunchInputs inputs;
    inputs.javaPath = fieldText(QStringLiteral("编辑框3"));
    inputs.memory = fieldText(QStringLiteral("编辑框5"));
    inputs.core = fieldText(QStringLiteral("编辑框4"));
    inputs.autosave = fieldText(QStringLiteral("编辑框2"));
    inputs.extraArgs = fieldText(QStringLiteral("编辑框18"));
    inputs.serverPortText = portText;
    inputs.portOwner = gathered.portOwner;
    inputs.java = gathered.java;
    inputs.languageChosen = !consolelang::currentLanguageName().isEmpty();
    const auto labelText = [this](const QString& name) {
        const QLabel* label = controls::find<QLabel>(m_window, name);
        return label ? label->text() : QString();
    };
    inputs.languageName = labelText(QStringLiteral("标签82"));
    inputs.languageVersion = labelText(QStringLiteral("标签85"));
    inputs.languageAuthor = labelText(QStringLiteral("标签83"));
    inputs.runDirectory = rundir::path();

    const LaunchPlan plan = planLaunch(inputs);
    m_console->clearConsole();
    appendConsoleLines(plan.lines);

    if (plan.outcome != LaunchPlan::Ready) {
        // No crash restart may follow a launch that did not happen.
        serverstate::setStopReason(serverstate::ManualStop);
        if (plan.outcome == LaunchPlan::PortTaken) {
            m_portOwner = gathered.portOwner;
            boxes::askConfirm(plan.portQuestionText, PortQuestionTitle);
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
        appendConsoleLines(launcherMessage(QStringLiteral(" 进程问题"), consolecolor::Problem, result.error));
        emit launchFinished(false);
        return;
    }
    m_exitHandled = false;
    emit launchFinished(true);
}

void ServerController::portQuestionOk()
{
    killProcess(m_portOwner);
    m_killedOwner = m_portOwner;
    launchServer();
}

void ServerController::portQuestionCancel()
{
    const QString port = randomPort();
    if (auto* portBox = controls::find<QLineEdit>(m_window, QStringLiteral("服务器端口")))
        portBox->setText(port);
    serverprops::writeServerProperty(QStringLiteral("server-port"), port);
    launchServer();
}

// ---- Process end ----

void ServerController::onProcessFinished(qint64 pid, int /*status*/)
{
    // A process that a newer start replaced is not the server whose end matters.
    if (pid != m_process->pid())
        return;
    m_exitHandled = true;
    m_processor->resetStartupDone();
    const auto* crashRestart = controls::find<FlatButton>(m_window, QStringLiteral("超级按钮76"));
    const bool restart =
        serverstate::stopReason() != serverstate::ManualStop && crashRestart && crashRestart->isChecked();
    // Cleared before the relaunch: a relaunch that is refused marks the stop as manual again.
    serverstate::setStopReason(QString());
    if (!restart)
        return;
    QTimer::singleShot(CrashRestartDelayMs, this, [this] {
        launchServer();
        if (auto* counter = controls::find<QLabel>(m_window, QStringLiteral("服务器崩溃重启次数1")))
            counter->setText(QString::number(counter->text().toLongLong() + 1));
    });
}

// ---- Buttons ----

void ServerController::stopServer()
{
    sendConsoleCommand(QStringLiteral("stop"));
    serverstate::setStopReason(serverstate::ManualStop);
}

void ServerController::restartServer()
{
    sendConsoleCommand(QStringLiteral("stop"));
    serverstate::setStopReason(serverstate::ManualStop);
    if (m_restartPoll->isActive())
        return;
    // Waits for the end as this object sees it (the process gone and its end handled), which is
    // what the status tick would publish up to a second later.
    if (!m_process->isRunning() && m_exitHandled) {
        launchServer();
        return;
    }
    m_restartPoll->start();
}

void ServerController::askForceStop()
{
    if (serverstate::serverState() != serverstate::Stopped) {
        boxes::askConfirm(ForceStopQuestion, ForceStopTitle);
        serverstate::setStopReason(serverstate::ManualStop);
        return;
    }
    boxes::showInfoBox(QStringLiteral("服务器没有开无法强制关闭"), ForceStopTitle, boxes::Error);
}

void ServerController::forceStopServer()
{
    m_process->terminate();
    serverstate::setStopReason(serverstate::ManualStop);
    appendConsoleLines(launcherMessage(QStringLiteral(" 管理系统"), consolecolor::Launcher,
                                       QStringLiteral("服务器进程ID（") + QString::number(m_process->pid()) +
                                           QStringLiteral("）已终止，服务器强制关闭完成。")));
}

void ServerController::sendConsoleCommand(const QString& text)
{
    m_process->sendCommand(text);
}

bool ServerController::isServerRunning() const
{
    return m_process->isRunning();
}

qint64 ServerController::serverPid() const
{
    return m_process->pid();
}

void ServerController::terminateServer()
{
    m_process->terminate();
}

// ---- Timers ----

void ServerController::refreshServerStatus()
{
    if (!m_window)
        return;
    auto* runningLamp = controls::find<QWidget>(m_window, QStringLiteral("超级按钮22"));
    auto* stoppedLamp = controls::find<QWidget>(m_window, QStringLiteral("超级按钮23"));
    const bool running = isServerRunning();
    if (runningLamp)
        runningLamp->setVisible(running);
    if (stoppedLamp)
        stoppedLamp->setVisible(!running);

    if (!running) {
        serverstate::setServerState(serverstate::Stopped);
        if (m_title)
            m_title->setText(StoppedTitle);
        m_uptimeSeconds = 0;
        for (const QString& name : {QStringLiteral("运行小时"), QStringLiteral("运行分钟")})
            if (auto* label = controls::find<QLabel>(m_window, name))
                label->setText(QStringLiteral("0"));
        setStatusPicture(Status::Stopped);
        for (const auto& step : m_stoppedSteps)
            step();
        return;
    }

    serverstate::setServerState(serverstate::Running);
    if (m_title)
        m_title->setText(QStringLiteral("服务器 控制台（PID: ") + QString::number(m_process->pid()) +
                         QStringLiteral("）"));
    // Restarting a timer with its own period would reset its countdown every second, so only a
    // changed period is set.
    constexpr qint64 MinuteMs = 60000;
    const qint64 minutes = leadingNumber(fieldText(QStringLiteral("编辑框2")));
    const qint64 maxMinutes = std::numeric_limits<int>::max() / MinuteMs;
    const int period = minutes <= 0 ? 0 : static_cast<int>(std::min(minutes, maxMinutes) * MinuteMs);
    if (period == 0)
        m_autosaveTimer->stop();
    else if (!m_autosaveTimer->isActive() || m_autosaveTimer->interval() != period)
        m_autosaveTimer->start(period);
    if (!m_uptimeTimer->isActive())
        m_uptimeTimer->start(UptimePeriodMs);
    setStatusPicture(m_processor->startupDone() ? Status::Started : Status::Starting);
}

void ServerController::countUptime()
{
    auto* hours = controls::find<QLabel>(m_window, QStringLiteral("运行小时"));
    auto* minutes = controls::find<QLabel>(m_window, QStringLiteral("运行分钟"));
    if (!isServerRunning()) {
        if (hours)
            hours->setText(QStringLiteral("0"));
        if (minutes)
            minutes->setText(QStringLiteral("0"));
        m_uptimeTimer->stop();
        return;
    }
    ++m_uptimeSeconds;
    if (hours)
        hours->setText(QString::number(m_uptimeSeconds / 3600));
    if (minutes)
        minutes->setText(QString::number((m_uptimeSeconds / 60) % 60));
}

void ServerController::autosaveTick()
{
    sendConsoleCommand(QStringLiteral("list"));
    // Apart so that the server answers the list before it starts saving.
    QTimer::singleShot(AutosaveSecondCommandDelayMs, this,
                       [this] { sendConsoleCommand(QStringLiteral("save-all")); });
    if (m_title && m_title->text() == StoppedTitle)
        m_autosaveTimer->stop();
}

QPixmap ServerController::statusPicture(Status status)
{
    static QPixmap pictures[3];
    QPixmap& picture = pictures[static_cast<int>(status)];
    if (picture.isNull())
        picture = drawStatusPicture(status);
    return picture;
}

void ServerController::setStatusPicture(Status status)
{
    if (m_statusShown && m_shownStatus == status)
        return;
    if (auto* box = controls::find<PictureBox>(m_window, QStringLiteral("图片框10"))) {
        box->setPicture(statusPicture(status));
        box->setProperty("statusPicture", static_cast<int>(status));
    }
    m_shownStatus = status;
    m_statusShown = true;
}

// ---- Command box and console focus ----

bool ServerController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_commandBox)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        // While the chat box is shown, Enter belongs to the chat.
        const QWidget* chat = controls::find<QWidget>(m_window, QStringLiteral("编辑框13"));
        if (chat && chat->isVisible())
            return false;
        sendConsoleCommand(m_commandBox->text());
        m_commandBox->clear();
        return true;
    }
    case QEvent::FocusIn:
        onCommandFocus(true);
        return false;
    case QEvent::FocusOut:
        onCommandFocus(false);
        return false;
    default:
        return false;
    }
}

void ServerController::onCommandFocus(bool gained)
{
    if (gained) {
        if (m_commandFrame)
            m_commandFrame->setLineColor(theme::current().main);
        if (m_commandBox->text() == CommandPlaceholder)
            m_commandBox->clear();
        return;
    }
    if (m_commandFrame)
        m_commandFrame->setLineColor(CommandFrameIdle);
    if (m_commandBox->text().isEmpty())
        m_commandBox->setText(CommandPlaceholder);
}

void ServerController::onConsoleFocused()
{
    // The console is never typed into: the caret goes to the file editor's text box when there is
    // one, and nowhere otherwise.
    if (auto* editor = controls::find<QWidget>(m_window, QStringLiteral("编辑框7"))) {
        editor->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_console->clearFocus();
}
