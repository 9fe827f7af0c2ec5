#pragma once

#include <QByteArray>
#include <QList>
#include <QLocalSocket>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// Runs the real launcher binary as a child process with --run-dir and --automation, and talks to it
// over the automation socket. The child is killed when the client goes away; when the test has
// failed by then, everything the child wrote to stdout and stderr is printed.
//
//   LauncherClient launcher;
//   QVERIFY2(launcher.start(runDir.path()), qPrintable(launcher.lastError()));
//   QCOMPARE(launcher.value(QStringLiteral("get 目前位置")), QStringLiteral("目前位置 * [ 主页信息 ]"));
class LauncherClient {
public:
    struct Reply {
        bool ok = false;
        QString value; // decoded value of "ok VALUE", or the reason of "error REASON"
        QString line;  // the reply line as it came, or what went wrong on the client's side
    };

    LauncherClient();
    ~LauncherClient();
    LauncherClient(const LauncherClient&) = delete;
    LauncherClient& operator=(const LauncherClient&) = delete;

    // Starts the launcher and connects once its socket answers. False (see lastError) when the
    // child could not start, ended first, or the socket did not come within the timeout.
    bool start(const QString& runDir, const QStringList& extraArguments = {}, int timeoutMs = 60000);

    // Sends one command line (escapes already applied) and returns its reply.
    Reply send(const QString& line, int timeoutMs = 60000);
    // Writes raw bytes and reads one reply line, for input no well-behaved client would send.
    Reply sendRaw(const QByteArray& bytes, int timeoutMs = 60000);

    // The value of an ok reply; for an error reply the text "<error: REASON>", so a comparison in
    // a test shows the reason.
    QString value(const QString& line);
    // The open boxes (kind, title, text, icon kind of an info box), newest first; nothing when the
    // reply is an error.
    std::optional<QList<QStringList>> boxes();
    std::optional<QList<QStringList>> rows(const QString& control);

    // Waits until the child has ended; false on timeout.
    bool waitForExit(int timeoutMs = 60000);
    int exitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // Sends SIGTERM, as a session that ends would.
    void terminate() { m_process.terminate(); }

    QString socketPath() const { return m_socketPath; }
    QString lastError() const { return m_lastError; }
    // Everything the child has written to stdout and stderr so far.
    QString output() const;

    // Escapes a TEXT or PATH argument for a command line.
    static QString escape(const QString& text);

private:
    Reply readReply(int timeoutMs);

    QTemporaryDir m_socketDir;
    QString m_socketPath;
    QString m_outputPath;
    QProcess m_process;
    QLocalSocket m_socket;
    QByteArray m_buffer;
    QString m_lastError;
};
