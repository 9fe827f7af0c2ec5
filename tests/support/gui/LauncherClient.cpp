#include "gui/LauncherClient.h"

#include "ui/automation/LineProtocol.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTest>

LauncherClient::LauncherClient()
{
    // A short private folder: socket paths are limited to about a hundred bytes.
    m_socketPath = m_socketDir.filePath(QStringLiteral("automation.sock"));
    m_outputPath = m_socketDir.filePath(QStringLiteral("launcher-output.txt"));
}

LauncherClient::~LauncherClient()
{
    m_socket.abort();
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished(30000);
    }
    if (QTest::currentTestFailed())
        qWarning("launcher output:\n%s", qPrintable(output()));
}

bool LauncherClient::start(const QString& runDir, const QStringList& extraArguments, int timeoutMs)
{
    if (!m_socketDir.isValid()) {
        m_lastError = QStringLiteral("no temporary folder for the socket");
        return false;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_process.setProcessEnvironment(environment);
    // A file, not a pipe: a pipe nobody reads while the test blocks on the socket would stall a
    // chatty child.
    m_process.setStandardOutputFile(m_outputPath);
    m_process.setStandardErrorFile(m_outputPath, QIODevice::Append);
    m_process.start(
        QStringLiteral(VELK_LAUNCHER_BINARY),
        QStringList{QStringLiteral("--run-dir"), runDir, QStringLiteral("--automation"), m_socketPath} +
            extraArguments);
    if (!m_process.waitForStarted(timeoutMs)) {
        m_lastError = QStringLiteral("the launcher did not start: ") + m_process.errorString();
        return false;
    }
    (void)QTest::qWaitFor(
        [this] {
            if (!isRunning())
                return true;
            if (!QFileInfo::exists(m_socketPath))
                return false;
            m_socket.connectToServer(m_socketPath);
            if (m_socket.waitForConnected(1000))
                return true;
            m_socket.abort();
            return false;
        },
        timeoutMs);
    if (m_socket.state() != QLocalSocket::ConnectedState) {
        m_lastError =
            isRunning()
                ? QStringLiteral("the automation socket did not answer in time")
                : QStringLiteral("the launcher ended with code %1 before it answered").arg(exitCode());
        return false;
    }
    return true;
}

LauncherClient::Reply LauncherClient::send(const QString& line, int timeoutMs)
{
    if (line.contains(u'\n'))
        return {false, {}, QStringLiteral("<client: a command line cannot hold a line break>")};
    return sendRaw(line.toUtf8() + '\n', timeoutMs);
}

LauncherClient::Reply LauncherClient::sendRaw(const QByteArray& bytes, int timeoutMs)
{
    if (m_socket.state() != QLocalSocket::ConnectedState)
        return {false, {}, QStringLiteral("<client: not connected>")};
    m_socket.write(bytes);
    QDeadlineTimer deadline(timeoutMs);
    while (m_socket.bytesToWrite() > 0) {
        if (!m_socket.waitForBytesWritten(int(deadline.remainingTime())))
            return {false, {}, QStringLiteral("<client: cannot write: %1>").arg(m_socket.errorString())};
    }
    return readReply(int(deadline.remainingTime()));
}

LauncherClient::Reply LauncherClient::readReply(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    // The reply may already sit in the socket's buffer (read while the request was written), and
    // waitForReadyRead only reports data that arrives from now on.
    m_buffer += m_socket.readAll();
    qsizetype end = m_buffer.indexOf('\n');
    while (end < 0) {
        if (!m_socket.waitForReadyRead(int(deadline.remainingTime())) && m_socket.bytesAvailable() == 0)
            return {false, {}, QStringLiteral("<client: no reply: %1>").arg(m_socket.errorString())};
        m_buffer += m_socket.readAll();
        end = m_buffer.indexOf('\n');
    }
    const QString line = QString::fromUtf8(m_buffer.left(end));
    m_buffer.remove(0, end + 1);
    const lineprotocol::Reply parsed = lineprotocol::parseReply(line);
    if (!parsed.valid)
        return {false, {}, line};
    return {parsed.ok, parsed.value, line};
}

QString LauncherClient::value(const QString& line)
{
    const Reply reply = send(line);
    return reply.ok ? reply.value : QStringLiteral("<error: %1>").arg(reply.line);
}

std::optional<QList<QStringList>> LauncherClient::boxes()
{
    const Reply reply = send(QStringLiteral("boxes"));
    if (!reply.ok)
        return std::nullopt;
    return lineprotocol::splitRecords(reply.value);
}

std::optional<QList<QStringList>> LauncherClient::rows(const QString& control)
{
    const Reply reply = send(QStringLiteral("rows ") + control);
    if (!reply.ok)
        return std::nullopt;
    return lineprotocol::splitRecords(reply.value);
}

bool LauncherClient::waitForExit(int timeoutMs)
{
    return !isRunning() || m_process.waitForFinished(timeoutMs);
}

QString LauncherClient::output() const
{
    QFile file(m_outputPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString LauncherClient::escape(const QString& text)
{
    return lineprotocol::escape(text);
}
