#include "server/gui/ConsolePresenter.h"

#include "console/ConsoleProcessor.h"
#include "server/ServerRuntime.h"
#include "server/gui/ConsoleView.h"
#include "ui/MessageBoxes.h"
#include "ui/Theme.h"
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

namespace {

const QString PortQuestionTitle = QStringLiteral("检测端口占用");
const QString ForceStopTitle = QStringLiteral("强制关闭");
const QString ForceStopQuestion = QStringLiteral("确定要强制关闭服务器吗？可能会回档哦");
const QString StoppedTitle = QStringLiteral("服务器 控制台");
const QColor CommandFrameIdle(236, 236, 236);

constexpr int StatusPeriodMs = 1000;
constexpr int UptimePeriodMs = 1000;

QPixmap drawStatusPicture(ConsolePresenter::Status status)
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
    case ConsolePresenter::Status::Started: {
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
    case ConsolePresenter::Status::Starting: {
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
    case ConsolePresenter::Status::Stopped:
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(189, 189, 189));
        painter.drawEllipse(disc);
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(10.5, 10.5, 9, 9), 1.5, 1.5);
        break;
    }
    return pixmap;
}

QTimer* namedTimer(QObject* parent, const QString& name, int periodMs)
{
    auto* timer = new QTimer(parent);
    timer->setObjectName(name);
    timer->setInterval(periodMs);
    return timer;
}

} // namespace

ConsolePresenter::ConsolePresenter(const consolepage::Controls& page, const Counters& counters,
                                   ServerRuntime& runtime, QObject* parent)
    : QObject(parent), m_page(page), m_counters(counters), m_runtime(runtime)
{
    m_page.console->setSizeLimit(ConsoleByteLimit);
    // Children of the page, so that they are found by name beside the controls they drive.
    m_statusTimer = namedTimer(m_page.title->parentWidget(), QStringLiteral("时钟2"), StatusPeriodMs);
    m_uptimeTimer = namedTimer(m_page.title->parentWidget(), QStringLiteral("时钟3"), UptimePeriodMs);
    connect(m_statusTimer, &QTimer::timeout, this, &ConsolePresenter::refreshServerStatus);
    connect(m_uptimeTimer, &QTimer::timeout, this, &ConsolePresenter::countUptime);

    connect(m_page.start, &FlatButton::clicked, &m_runtime, &ServerRuntime::launch);
    connect(m_page.stop, &FlatButton::clicked, &m_runtime, &ServerRuntime::stop);
    connect(m_page.restart, &FlatButton::clicked, &m_runtime, &ServerRuntime::restart);
    connect(m_page.forceStop, &FlatButton::clicked, this, &ConsolePresenter::askForceStop);
    connect(m_page.clearLog, &FlatButton::clicked, m_page.console, &ConsoleView::clearConsole);
    m_page.commandBox->installEventFilter(this);
    connect(m_page.console, &ConsoleView::focusReceived, this, &ConsolePresenter::onConsoleFocused);

    connect(&m_runtime, &ServerRuntime::linesReady, m_page.console, &ConsoleView::appendLines);
    connect(&m_runtime, &ServerRuntime::consoleCleared, m_page.console, &ConsoleView::clearConsole);
    connect(&m_runtime, &ServerRuntime::stateChanged, this, &ConsolePresenter::refreshServerStatus);
    connect(&m_runtime, &ServerRuntime::portTaken, this,
            [](const QString& question) { boxes::askConfirm(question, PortQuestionTitle); });
    connect(&m_runtime, &ServerRuntime::crashRestarted, this, [this] {
        if (m_counters.crashRestarts)
            m_counters.crashRestarts->setText(
                QString::number(m_counters.crashRestarts->text().toLongLong() + 1));
    });

    ServerRuntime* server = &m_runtime;
    boxes::addConfirmAction(
        6, boxes::MatchOn::Text, ForceStopQuestion, [server](QWidget*) { server->forceStop(); }, this);
    boxes::addConfirmAction(
        9, boxes::MatchOn::Title, PortQuestionTitle, [server](QWidget*) { server->endPortOwnerAndLaunch(); },
        this);
    boxes::addCancelAction(
        PortQuestionTitle, [server](QWidget*) { server->moveToRandomPortAndLaunch(); }, this);
}

void ConsolePresenter::start()
{
    refreshServerStatus();
    m_statusTimer->start();
}

void ConsolePresenter::askForceStop()
{
    if (m_runtime.state() != ServerState::Stopped) {
        boxes::askConfirm(ForceStopQuestion, ForceStopTitle);
        m_runtime.markManualStop();
        return;
    }
    boxes::showInfoBox(QStringLiteral("服务器没有开无法强制关闭"), ForceStopTitle, boxes::Error);
}

void ConsolePresenter::setUptimeLabels(qint64 hours, qint64 minutes)
{
    if (m_counters.uptimeHours)
        m_counters.uptimeHours->setText(QString::number(hours));
    if (m_counters.uptimeMinutes)
        m_counters.uptimeMinutes->setText(QString::number(minutes));
}

void ConsolePresenter::refreshServerStatus()
{
    const bool running = m_runtime.isRunning();
    m_page.runningLamp->setVisible(running);
    m_page.stoppedLamp->setVisible(!running);

    if (!running) {
        m_page.title->setText(StoppedTitle);
        m_uptimeSeconds = 0;
        setUptimeLabels(0, 0);
        setStatusPicture(Status::Stopped);
        emit stoppedTick();
        return;
    }

    m_page.title->setText(QStringLiteral("服务器 控制台（PID: ") + QString::number(m_runtime.pid()) +
                          QStringLiteral("）"));
    m_runtime.applyAutosavePeriod();
    if (!m_uptimeTimer->isActive())
        m_uptimeTimer->start();
    setStatusPicture(m_runtime.isStartupDone() ? Status::Started : Status::Starting);
}

void ConsolePresenter::countUptime()
{
    if (!m_runtime.isRunning()) {
        setUptimeLabels(0, 0);
        m_uptimeTimer->stop();
        return;
    }
    ++m_uptimeSeconds;
    setUptimeLabels(m_uptimeSeconds / 3600, (m_uptimeSeconds / 60) % 60);
}

QPixmap ConsolePresenter::statusPicture(Status status)
{
    static QPixmap pictures[3];
    QPixmap& picture = pictures[static_cast<int>(status)];
    if (picture.isNull())
        picture = drawStatusPicture(status);
    return picture;
}

void ConsolePresenter::setStatusPicture(Status status)
{
    if (m_statusShown && m_shownStatus == status)
        return;
    m_page.statusPicture->setPicture(statusPicture(status));
    m_page.statusPicture->setProperty("statusPicture", static_cast<int>(status));
    m_shownStatus = status;
    m_statusShown = true;
}

// ---- Command box and console focus ----

bool ConsolePresenter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_page.commandBox)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        // While the chat box is shown, Enter belongs to the chat.
        if (m_chatBox && m_chatBox->isVisible())
            return false;
        m_runtime.sendConsoleCommand(m_page.commandBox->text());
        m_page.commandBox->clear();
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

void ConsolePresenter::onCommandFocus(bool gained)
{
    if (gained) {
        m_page.commandFrame->setLineColor(theme::current(m_page.commandFrame).main);
        if (m_page.commandBox->text() == consolepage::CommandPlaceholder)
            m_page.commandBox->clear();
        return;
    }
    m_page.commandFrame->setLineColor(CommandFrameIdle);
    if (m_page.commandBox->text().isEmpty())
        m_page.commandBox->setText(consolepage::CommandPlaceholder);
}

void ConsolePresenter::onConsoleFocused()
{
    // The console is never typed into: the caret goes to the file editor's text box when there is
    // one, and nowhere otherwise.
    if (m_focusTarget) {
        m_focusTarget->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_page.console->clearFocus();
}
