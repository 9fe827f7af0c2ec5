#include "ui/automation/AutomationServer.h"

#include "platform/SocketFile.h"
#include "ui/MessageBoxes.h"
#include "ui/automation/ControlDriver.h"
#include "ui/automation/LineProtocol.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTimer>

#include <cstring>
#include <utility>

namespace {

using lineprotocol::errorReply;
using lineprotocol::okReply;

// A client that sends more than this without a line end is talking nonsense; its line is dropped.
constexpr qsizetype MaxLineBytes = 1 << 20;
// Replies a client has not read yet are held up to this size; past it the client is dropped. A
// client that sends "get" lines in a loop and never reads grew the launcher by 100 MB a second.
constexpr qint64 MaxPendingOutputBytes = 1 << 20;
// Commands that arrive while an earlier one of the same client is still pending wait, up to this.
constexpr qsizetype MaxPendingInputBytes = 4 << 20;
constexpr int MaxWaitMs = 600000;
const QString MainWindowName = QStringLiteral("启动窗口");

QString fromResult(const controldriver::Result& result)
{
    return result.ok() ? okReply(result.value) : errorReply(result.error);
}

QString labelText(QWidget* box, const QString& name)
{
    auto* label = box->findChild<QLabel*>(name);
    return label ? label->text() : QString();
}

// "a\tb" or, without a tab, "a b" unless the whole text is itself an existing file's path.
QStringList dropPaths(const QString& text)
{
    static const QRegularExpression tabs(QStringLiteral("[\t\n]"));
    static const QRegularExpression blanks(QStringLiteral(" +"));
    const bool tabbed = text.contains(u'\t') || text.contains(u'\n') || QFileInfo::exists(text);
    return text.split(tabbed ? tabs : blanks, Qt::SkipEmptyParts);
}

} // namespace

class AutomationServer::Connection : public QObject {
public:
    explicit Connection(QLocalSocket* socket, QObject* parent) : QObject(parent), socket(socket)
    {
        socket->setParent(this);
    }

    // Writes one reply line, or drops the client when its unread replies would pass the bound.
    void reply(const QString& line)
    {
        if (dropped)
            return;
        const QByteArray bytes = line.toUtf8() + '\n';
        if (socket->bytesToWrite() + bytes.size() > MaxPendingOutputBytes) {
            drop();
            return;
        }
        socket->write(bytes);
        socket->flush();
    }

    void drop()
    {
        dropped = true;
        buffer.clear();
        socket->abort();
        deleteLater();
    }

    QLocalSocket* socket;
    QByteArray buffer;
    bool busy = false;       // an input or a wait of this client is still pending
    bool discarding = false; // dropping the rest of an over-long line
    bool dropped = false;    // disconnected for not reading its replies; deleted soon
};

// The reply of an input command, sent once: after the input and the work it queued have run, or as
// soon as a box appears while it runs (a modal box only returns when it is answered).
struct AutomationServer::PendingReply {
    QPointer<Connection> connection;
    QString reply;
    bool sent = false;
};

AutomationServer::AutomationServer()
{
    qApp->installEventFilter(this);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        sendPendingReplies();
        removeSocketFile();
    });
}

AutomationServer::~AutomationServer()
{
    sendPendingReplies();
    if (m_server) {
        for (QObject* child : children())
            if (auto* connection = dynamic_cast<Connection*>(child))
                connection->socket->flush();
        m_server->close();
    }
    removeSocketFile();
}

bool AutomationServer::listen(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    const socketfile::Identity existing = socketfile::identityOf(full);
    if (existing.exists) {
        if (!existing.isSocket) {
            m_error = QStringLiteral("%1 exists and is not a socket").arg(full);
            return false;
        }
        QLocalSocket probe;
        probe.connectToServer(full);
        if (probe.waitForConnected(1000)) {
            m_error = QStringLiteral("another program answers on %1").arg(full);
            return false;
        }
        socketfile::remove(full); // left behind by a launcher that was killed
    }

    // The socket is made in a private folder, given mode 0600, and only then linked into place, so
    // no other user can ever connect to it. link() never replaces a file that appeared meanwhile.
    QTemporaryDir staging(QFileInfo(full).absolutePath() + QStringLiteral("/.velk-XXXXXX"));
    if (!staging.isValid()) {
        m_error = QStringLiteral("cannot create a folder beside %1").arg(full);
        return false;
    }
    const QString stagingPath = staging.filePath(QStringLiteral("s"));
    auto* server = new QLocalServer(this);
    if (!server->listen(stagingPath)) {
        m_error = server->errorString();
        delete server;
        return false;
    }
    const QString failure = socketfile::publishPrivately(stagingPath, full);
    const socketfile::Identity made = socketfile::identityOf(full);
    if (!failure.isEmpty() || !made.exists) {
        m_error = QStringLiteral("cannot create the socket %1: %2").arg(full, failure);
        delete server;
        return false;
    }
    socketfile::remove(stagingPath);

    m_server = server;
    m_path = full;
    m_socket = made;
    connect(m_server, &QLocalServer::newConnection, this, &AutomationServer::acceptConnections);
    return true;
}

void AutomationServer::removeSocketFile()
{
    if (m_path.isEmpty())
        return;
    // Only our own socket: a second launcher may have taken the path over since.
    const socketfile::Identity current = socketfile::identityOf(m_path);
    if (current.isSocket && current.sameFileAs(m_socket))
        socketfile::remove(m_path);
    m_path.clear();
}

void AutomationServer::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        auto* connection = new Connection(socket, this);
        connect(socket, &QLocalSocket::readyRead, connection, [this, connection] {
            if (connection->dropped)
                return;
            connection->buffer += connection->socket->readAll();
            if (connection->busy && connection->buffer.size() > MaxPendingInputBytes) {
                connection->drop();
                return;
            }
            serve(connection);
        });
        connect(socket, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
    }
}

void AutomationServer::serve(Connection* connection)
{
    // Lines are taken from the front by an offset and the buffer is trimmed once on the way out:
    // removing each line at once made a backlog of short lines quadratic.
    qsizetype start = 0;
    const auto trim = qScopeGuard([connection, &start] {
        if (!connection->dropped)
            connection->buffer.remove(0, start);
    });
    while (!connection->busy && !connection->dropped) {
        const qsizetype end = connection->buffer.indexOf('\n', start);
        if (end < 0) {
            if (connection->buffer.size() - start > MaxLineBytes) {
                start = connection->buffer.size();
                if (!connection->discarding)
                    connection->reply(errorReply(QStringLiteral("line too long")));
                connection->discarding = true;
            }
            return;
        }
        QByteArray raw = connection->buffer.mid(start, end - start);
        start = end + 1;
        if (connection->discarding) {
            connection->discarding = false; // the tail of the line already answered
            continue;
        }
        if (raw.endsWith('\r'))
            raw.chop(1);
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString line = decoder(raw);
        if (decoder.hasError()) {
            connection->reply(errorReply(QStringLiteral("the line is not valid UTF-8")));
            continue;
        }

        Command command = prepare(line);
        QPointer<Connection> guard(connection);
        if (command.replyDelayMs >= 0) {
            connection->busy = true;
            QTimer::singleShot(command.replyDelayMs, connection, [this, guard, reply = command.reply] {
                guard->reply(reply);
                resume(guard);
            });
            return;
        }
        if (!command.input) {
            connection->reply(command.reply);
            if (connection->dropped)
                return;
            continue;
        }
        // The input runs from the event loop, never inside the socket's readyRead handler: Qt does
        // not emit readyRead again while that handler runs, so a modal box opened there would never
        // hear the client's next command.
        connection->busy = true;
        auto pending = std::make_shared<PendingReply>(PendingReply{guard, command.reply});
        QMetaObject::invokeMethod(
            this,
            [this, pending, input = std::move(command.input)] {
                m_pending.append(pending);
                input();
                // Queued, so whatever the input's handlers queued themselves runs first.
                QMetaObject::invokeMethod(
                    this, [this, pending] { sendPending(pending); }, Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
        return;
    }
}

void AutomationServer::resume(Connection* connection)
{
    if (!connection || connection->dropped)
        return;
    connection->busy = false;
    serve(connection);
}

void AutomationServer::sendPending(const std::shared_ptr<PendingReply>& pending)
{
    m_pending.removeOne(pending);
    if (pending->sent)
        return;
    pending->sent = true;
    if (!pending->connection)
        return;
    pending->connection->reply(pending->reply);
    resume(pending->connection);
}

void AutomationServer::sendPendingReplies()
{
    // "click 超级按钮2" quits the launcher: the main loop ends before the reply's queued step runs,
    // and the script would see the socket close without an answer.
    const QList<std::shared_ptr<PendingReply>> pending = std::exchange(m_pending, {});
    for (const std::shared_ptr<PendingReply>& reply : pending) {
        if (reply->sent || !reply->connection)
            continue;
        reply->sent = true;
        reply->connection->reply(reply->reply);
    }
}

QString AutomationServer::execute(const QString& line)
{
    Command command = prepare(line);
    if (command.replyDelayMs >= 0) {
        QEventLoop loop;
        QTimer::singleShot(command.replyDelayMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (command.input)
        command.input();
    return command.reply;
}

bool AutomationServer::eventFilter(QObject* watched, QEvent* event)
{
    // Spontaneous shows come from the window system, e.g. when a minimised window is restored; the
    // order that matters is the order the program opened its windows.
    if (event->type() == QEvent::Show && !event->spontaneous() && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow()) {
            m_shownWindows.removeIf(
                [widget](const QPointer<QWidget>& w) { return w.isNull() || w == widget; });
            m_shownWindows.prepend(widget);
            // A box opened by an input answers that input's command. The reply is queued, so it is
            // sent from inside a modal box's own loop, once the box is up.
            if (widget->property("boxKind").isValid())
                for (const std::shared_ptr<PendingReply>& pending : std::as_const(m_pending))
                    QMetaObject::invokeMethod(
                        this, [this, pending] { sendPending(pending); }, Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

QList<QWidget*> AutomationServer::openWindows() const
{
    QList<QWidget*> windows = boxes::openBoxes();
    for (const QPointer<QWidget>& window : m_shownWindows)
        if (window && window->isVisible() && !windows.contains(window.data()))
            windows.append(window);
    // Windows shown before this server existed come last.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && !windows.contains(window))
            windows.append(window);
    return windows;
}

QWidget* AutomationServer::findControl(const QString& name) const
{
    for (QWidget* window : openWindows()) {
        if (window->objectName() == name)
            return window;
        if (auto* control = window->findChild<QWidget*>(name))
            return control;
    }
    return nullptr;
}

AutomationServer::Command AutomationServer::prepare(const QString& line)
{
    QStringView rest(line);
    const QString word = lineprotocol::takeWord(rest);
    if (word.isEmpty())
        return {errorReply(QStringLiteral("empty command")), {}, -1};

    if (word == QLatin1String("boxes")) {
        QList<QStringList> records;
        for (QWidget* box : boxes::openBoxes()) {
            const QVariant icon = box->property("infoKind");
            records.append({box->property("boxKind").toString(), labelText(box, QStringLiteral("标签1")),
                            labelText(box, QStringLiteral("标签2")),
                            icon.isValid() ? icon.toString() : QString()});
        }
        return {okReply(lineprotocol::joinRecords(records)), {}, -1};
    }
    if (word == QLatin1String("answer")) {
        const std::optional<QString> caption = lineprotocol::unescape(rest.trimmed());
        if (!caption || caption->isEmpty())
            return {errorReply(QStringLiteral("answer needs a button: 确定, 取消 or ×")), {}, -1};
        const QList<QWidget*> open = boxes::openBoxes();
        if (open.isEmpty())
            return {errorReply(QStringLiteral("no open box")), {}, -1};
        QWidget* box = open.first();
        bool found = false;
        for (QAbstractButton* button : box->findChildren<QAbstractButton*>())
            found = found || (button->text() == *caption && button->isVisible());
        if (!found)
            return {errorReply(QStringLiteral("the box has no button %1").arg(*caption)), {}, -1};
        QPointer<QWidget> guard(box);
        return {okReply(), [guard, caption = *caption] { boxes::pressButton(guard, caption); }, -1};
    }
    if (word == QLatin1String("screenshot")) {
        const std::optional<QString> file = lineprotocol::unescape(rest);
        if (!file || file->isEmpty())
            return {errorReply(QStringLiteral("screenshot needs a file")), {}, -1};
        QWidget* window = nullptr;
        for (QWidget* candidate : openWindows())
            if (!window || candidate->objectName() == MainWindowName)
                window = candidate;
        if (!window)
            return {errorReply(QStringLiteral("no open window")), {}, -1};
        if (!window->grab().save(*file, "PNG"))
            return {errorReply(QStringLiteral("cannot write %1").arg(*file)), {}, -1};
        return {okReply(), {}, -1};
    }
    if (word == QLatin1String("wait")) {
        bool number = false;
        const int ms = rest.trimmed().toInt(&number);
        if (!number || ms < 0 || ms > MaxWaitMs)
            return {
                errorReply(QStringLiteral("wait needs milliseconds from 0 to %1").arg(MaxWaitMs)), {}, -1};
        return {okReply(), {}, ms};
    }
    return prepareControlCommand(word, rest);
}

AutomationServer::Command AutomationServer::prepareControlCommand(const QString& word, QStringView rest)
{
    static const QStringList controlCommands = {
        QStringLiteral("get"),   QStringLiteral("prop"),     QStringLiteral("set"),
        QStringLiteral("click"), QStringLiteral("dblclick"), QStringLiteral("key"),
        QStringLiteral("rows"),  QStringLiteral("select"),   QStringLiteral("drop"),
        QStringLiteral("focus"), QStringLiteral("contains")};
    if (!controlCommands.contains(word))
        return {errorReply(QStringLiteral("unknown command %1").arg(word)), {}, -1};

    const QString name = lineprotocol::takeWord(rest);
    if (name.isEmpty())
        return {errorReply(QStringLiteral("%1 needs a control name").arg(word)), {}, -1};
    QWidget* control = findControl(name);
    if (!control)
        return {errorReply(QStringLiteral("no control named %1 in the open windows").arg(name)), {}, -1};

    const auto fromInput = [](controldriver::Input input) -> Command {
        if (!input.error.isEmpty())
            return {errorReply(input.error), {}, -1};
        return {okReply(), std::move(input.input), -1};
    };
    const std::optional<QString> argument = lineprotocol::unescape(rest);
    if (!argument)
        return {errorReply(QStringLiteral("bad escape in the argument (use \\n \\r \\t \\\\)")), {}, -1};

    if (word == QLatin1String("get"))
        return {fromResult(controldriver::text(control)), {}, -1};
    if (word == QLatin1String("prop"))
        return {fromResult(controldriver::property(control, argument->trimmed())), {}, -1};
    if (word == QLatin1String("contains"))
        return {fromResult(controldriver::containsText(control, *argument)), {}, -1};
    if (word == QLatin1String("rows")) {
        QList<QStringList> records;
        QString error;
        if (!controldriver::rows(control, &records, &error))
            return {errorReply(error), {}, -1};
        return {okReply(lineprotocol::joinRecords(records)), {}, -1};
    }
    if (word == QLatin1String("set"))
        return fromInput(controldriver::setText(control, *argument));
    if (word == QLatin1String("click") || word == QLatin1String("dblclick"))
        return fromInput(controldriver::click(control, word == QLatin1String("dblclick")));
    if (word == QLatin1String("key"))
        return fromInput(
            controldriver::key(control, *argument == QLatin1String(" ") ? *argument : argument->trimmed()));
    if (word == QLatin1String("focus"))
        return fromInput(controldriver::focus(control));
    if (word == QLatin1String("select")) {
        bool number = false;
        const int row = argument->trimmed().toInt(&number);
        if (!number)
            return {errorReply(QStringLiteral("select needs a row number")), {}, -1};
        return fromInput(controldriver::selectRow(control, row));
    }
    return fromInput(controldriver::dropFiles(control, dropPaths(*argument)));
}
