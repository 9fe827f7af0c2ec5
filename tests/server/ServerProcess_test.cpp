#include "platform/ChildProcess.h"
#include "server/ServerProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString Shell = QStringLiteral("/bin/sh");

// Collects the chunks that go through the chunk processor on the reader thread, and the text that
// linesReady() brings to this thread.
class Console {
public:
    explicit Console(ServerProcess& server)
    {
        server.setChunkProcessor([this](const QString& chunk) {
            QMutexLocker lock(&m_mutex);
            m_chunks.append(chunk);
            return ConsoleLines{{consolecolor::Ordinary, QStringLiteral("<") + chunk + QStringLiteral(">")}};
        });
        QObject::connect(&server, &ServerProcess::linesReady, &server, [this](const ConsoleLines& lines) {
            for (const ConsoleLine& line : lines)
                m_text += line.text.mid(1, line.text.size() - 2);
        });
    }
    // Copies are made element by element: a shared list would be detached by the reader's next
    // append while this thread drops its reference, which the thread sanitizer cannot follow.
    QStringList chunks() const
    {
        QMutexLocker lock(&m_mutex);
        QStringList copy;
        copy.reserve(m_chunks.size());
        for (const QString& chunk : m_chunks)
            copy.append(chunk);
        return copy;
    }
    QString text() const { return m_text; }

private:
    mutable QMutex m_mutex;
    QStringList m_chunks;
    QString m_text; // this thread only
};

QStringList sh(const QString& script)
{
    return {QStringLiteral("-c"), script};
}

int threadCount()
{
    return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

bool hasNoChildren()
{
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

} // namespace

class ServerProcessTest : public QObject {
    Q_OBJECT

private slots:
    void gbkIsChosenFromTheJvmCharsetArgument_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("gbk");
        QTest::newRow("none") << QStringList{QStringLiteral("-Xmx1M")} << false;
        QTest::newRow("UTF-8") << QStringList{QStringLiteral("-Dfile.encoding=UTF-8")} << false;
        QTest::newRow("GBK") << QStringList{QStringLiteral("-Dfile.encoding=GBK")} << true;
        QTest::newRow("gb18030") << QStringList{QStringLiteral("-Dfile.encoding=gb18030")} << true;
        QTest::newRow("after -jar") << QStringList{QStringLiteral("-jar"), QStringLiteral("x.jar")} << false;
    }
    void gbkIsChosenFromTheJvmCharsetArgument()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, gbk);
        QCOMPARE(ServerProcess::argumentsAskForGbk(arguments), gbk);
    }

    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_baselineThreads = threadCount();
    }

    void commandsEchoWithLineEnd()
    {
        ServerProcess server;
        Console console(server);
        QSignalSpy finished(&server, &ServerProcess::finished);
        QCOMPARE(server.pid(), qint64(0));

        QVERIFY(server.start(QStringLiteral("/bin/cat"), {}, m_dir.path()).ok);
        QVERIFY(server.isRunning());
        const qint64 pid = server.pid();
        QVERIFY(pid > 0);
        QVERIFY(server.sendCommand(QStringLiteral("say 你好")));
        QVERIFY(server.sendCommand(QString()));
        QTRY_COMPARE(console.text(), QStringLiteral("say 你好\r\n\r\n"));
        QCOMPARE(server.lastCharset(), QStringLiteral("UTF-8"));

        QVERIFY(server.terminate());
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toLongLong(), pid);
        QCOMPARE(finished.at(0).at(1).toInt(), 137);
        QVERIFY(!server.isRunning());
        QCOMPARE(server.pid(), pid);
        QVERIFY(!server.terminate());
        QVERIFY(!server.sendCommand(QStringLiteral("stop")));
    }

    // Commands go out in the charset the server last printed in: the child answers each line it
    // reads with the hex of its bytes, and switches its own output on request.
    void commandCharsetFollowsOutput()
    {
        // The hex of each line read, line end included; "服务器" in GBK or UTF-8 on request.
        const QString script =
            QStringLiteral("while IFS= read -r line; do\n"
                           "  printf '%s\n' \"$line\" | od -An -tx1 | tr -d ' \\n'; echo\n"
                           "  case \"$line\" in\n"
                           "    gbk*) printf '\\267\\376\\316\\361\\306\\367\\n' ;;\n"
                           "    utf*) printf '\\346\\234\\215\\345\\212\\241\\345\\231\\250\\n' ;;\n"
                           "  esac\n"
                           "done\n");
        ServerProcess server;
        Console console(server);
        QVERIFY(server.start(Shell, sh(script), m_dir.path()).ok);

        QVERIFY(server.sendCommand(QStringLiteral("你好")));
        QTRY_COMPARE(console.text(), QStringLiteral("e4bda0e5a5bd0d0a\n"));

        QVERIFY(server.sendCommand(QStringLiteral("gbk")));
        QTRY_VERIFY(console.text().endsWith(QStringLiteral("67626b0d0a\n服务器\n")));
        QCOMPARE(server.lastCharset(), QStringLiteral("GBK"));
        QVERIFY(server.sendCommand(QStringLiteral("你好")));
        QTRY_VERIFY(console.text().endsWith(QStringLiteral("c4e3bac30d0a\n")));

        QVERIFY(server.sendCommand(QStringLiteral("utf")));
        QTRY_VERIFY(console.text().endsWith(QStringLiteral("7574660d0a\n服务器\n")));
        QCOMPARE(server.lastCharset(), QStringLiteral("UTF-8"));
        QVERIFY(server.sendCommand(QStringLiteral("你好")));
        QTRY_VERIFY(console.text().endsWith(QStringLiteral("e4bda0e5a5bd0d0a\n")));
        QVERIFY(server.terminate());
    }

    void promptWithoutLineEndIsShown()
    {
        ServerProcess server;
        Console console(server);
        QSignalSpy finished(&server, &ServerProcess::finished);
        QVERIFY(server.start(Shell, sh(QStringLiteral("printf 'name> '; read x; echo \"got [$x]\"")), {}).ok);
        QTRY_COMPARE(console.text(), QStringLiteral("name> "));
        QVERIFY(server.sendCommand(QStringLiteral("steve")));
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(console.text(), QStringLiteral("name> got [steve\r]\n"));
        QCOMPARE(finished.at(0).at(1).toInt(), 0);
    }

    // 200000 lines, 20 MB: everything arrives, in order, in line-aligned chunks, and finished()
    // comes after the last of them.
    void floodIsReadCompletely()
    {
        const int lines = 200000;
        const QStringList seq = {QStringLiteral("-f"),
                                 QStringLiteral("line %07g ") + QString(86, QLatin1Char('x')),
                                 QStringLiteral("0"), QString::number(lines - 1)};
        ServerProcess server;
        Console console(server);
        qsizetype charsAtFinish = -1;
        int finishedCount = 0;
        connect(&server, &ServerProcess::finished, this, [&](qint64, int status) {
            ++finishedCount;
            charsAtFinish = console.text().size();
            QCOMPARE(status, 0);
        });
        QVERIFY(server.start(QStringLiteral("seq"), seq, m_dir.path()).ok);
        QTRY_COMPARE_WITH_TIMEOUT(finishedCount, 1, 180000);

        QString expected;
        expected.reserve(lines * 100);
        for (int i = 0; i < lines; ++i)
            expected += QStringLiteral("line %1 ").arg(i, 7, 10, QLatin1Char('0')) +
                        QString(86, QLatin1Char('x')) + QLatin1Char('\n');
        QCOMPARE(charsAtFinish, expected.size());
        const QStringList chunks = console.chunks();
        QVERIFY(console.text() == expected);
        for (const QString& chunk : chunks) {
            QVERIFY(chunk.size() <= 1000);
            QVERIFY(chunk.endsWith(QLatin1Char('\n')));
        }
    }

    void endsByItselfOnce()
    {
        ServerProcess server;
        Console console(server);
        QString textAtFinish;
        QList<QList<QVariant>> reports;
        connect(&server, &ServerProcess::finished, this, [&](qint64 pid, int status) {
            reports.append({pid, status});
            textAtFinish = console.text();
            QVERIFY(!server.isRunning());
        });
        QVERIFY(server.start(Shell, sh(QStringLiteral("echo bye; echo oops >&2; exit 7")), {}).ok);
        const qint64 first = server.pid();
        QTRY_COMPARE(reports.size(), 1);
        QCOMPARE(reports.at(0), (QList<QVariant>{first, 7}));
        QCOMPARE(textAtFinish, QStringLiteral("bye\noops\n"));

        // A second start after the end: the first process is not reported again.
        QVERIFY(server.start(Shell, sh(QStringLiteral("echo again")), {}).ok);
        QVERIFY(server.pid() != first);
        QTRY_COMPARE(reports.size(), 2);
        QCOMPARE(reports.at(1), (QList<QVariant>{server.pid(), 0}));
        QCOMPARE(textAtFinish, QStringLiteral("bye\noops\nagain\n"));
        QTRY_COMPARE(threadCount(), m_baselineThreads);
    }

    // Starting while a server still runs ends the old one first; both are reported, old first.
    void startReplacesRunningServer()
    {
        ServerProcess server;
        Console console(server);
        QSignalSpy finished(&server, &ServerProcess::finished);
        QVERIFY(server.start(QStringLiteral("/bin/cat"), {}, {}).ok);
        const qint64 old = server.pid();
        QVERIFY(server.start(Shell, sh(QStringLiteral("echo new")), {}).ok);
        QVERIFY(!processExists(old));
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(finished.at(0).at(0).toLongLong(), old);
        QCOMPARE(finished.at(0).at(1).toInt(), 137);
        QCOMPARE(finished.at(1).at(0).toLongLong(), server.pid());
        QCOMPARE(console.text(), QStringLiteral("new\n"));
        QTRY_COMPARE(threadCount(), m_baselineThreads);
    }

    void startFailureCreatesNothing()
    {
        ServerProcess server;
        QSignalSpy finished(&server, &ServerProcess::finished);
        const QString missing = m_dir.filePath(QStringLiteral("jre/bin/java"));
        ServerProcess::StartResult result = server.start(missing, {QStringLiteral("-jar")}, m_dir.path());
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(missing), qPrintable(result.error));
        QVERIFY(!result.error.contains(QLatin1Char('\n')));

        result = server.start(Shell, {}, m_dir.filePath(QStringLiteral("gone")));
        QVERIFY(!result.ok);
        QVERIFY(result.error.contains(m_dir.filePath(QStringLiteral("gone"))));

        QVERIFY(!server.isRunning());
        QCOMPARE(server.pid(), qint64(0));
        QVERIFY(!server.sendCommand(QStringLiteral("stop")));
        QVERIFY(!server.terminate());
        QVERIFY(hasNoChildren());
        QCOMPARE(threadCount(), m_baselineThreads);
        QCoreApplication::processEvents();
        QCOMPARE(finished.size(), 0);
    }

    // The server closed its input but still runs: the write fails, the launcher lives on.
    void commandToClosedInputFails()
    {
        ServerProcess server;
        Console console(server);
        QVERIFY(server.start(Shell, sh(QStringLiteral("exec 0<&-; echo ready; exec sleep 60")), {}).ok);
        QTRY_COMPARE(console.text(), QStringLiteral("ready\n"));
        QVERIFY(server.isRunning());
        QVERIFY(!server.sendCommand(QStringLiteral("list")));
        QVERIFY(server.terminate());
    }

    // A server that never reads: commands are refused once the pipe and the queue are full.
    void fullInputPipeDropsCommands()
    {
        ServerProcess server;
        Console console(server);
        QVERIFY(server.start(Shell, sh(QStringLiteral("echo ready; exec sleep 60")), {}).ok);
        QTRY_COMPARE(console.text(), QStringLiteral("ready\n"));
        const QString command(4000, QLatin1Char('x'));
        int accepted = 0;
        while (accepted < 1000 && server.sendCommand(command))
            ++accepted;
        QVERIFY(accepted > 0);
        QVERIFY(accepted < 1000);
        QVERIFY(server.terminate());
    }

    // A server that does not read for a while: every accepted command reaches it whole and in
    // order, one longer than the pipe holds too, and the ones refused while the queue is full not
    // at all; none is glued to another.
    void commandsReachAServerThatReadsLateWhole()
    {
        ServerProcess server;
        Console console(server);
        QVERIFY(server.start(Shell, sh(QStringLiteral("echo ready; sleep 1; exec cat")), {}).ok);
        QTRY_COMPARE(console.text(), QStringLiteral("ready\n"));
        QString expected = QStringLiteral("ready\n");
        const QString longCommand = QStringLiteral("long ") + QString(100000, QLatin1Char('y'));
        QVERIFY(server.sendCommand(longCommand));
        expected += longCommand + QStringLiteral("\r\n");
        int refused = 0;
        for (int i = 0; i < 200; ++i) {
            const QString command = QStringLiteral("cmd %1").arg(i);
            if (server.sendCommand(command))
                expected += command + QStringLiteral("\r\n");
            else
                ++refused;
        }
        QVERIFY(refused > 0);
        QTRY_COMPARE_WITH_TIMEOUT(console.text().size(), expected.size(), 30000);
        QCOMPARE(console.text(), expected);
        QVERIFY(server.sendCommand(QStringLiteral("after")));
        QTRY_VERIFY(console.text().endsWith(QStringLiteral("after\r\n")));
        QVERIFY(server.terminate());
    }

    // A process the server left behind keeps the output pipe open; the end is reported anyway.
    void backgroundChildDoesNotHoldTheEnd()
    {
        ServerProcess server;
        Console console(server);
        QSignalSpy finished(&server, &ServerProcess::finished);
        QVERIFY(server.start(Shell, sh(QStringLiteral("sleep 60 & echo $!")), {}).ok);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QVERIFY(!server.isRunning());
        const qint64 straggler = console.text().trimmed().toLongLong();
        QVERIFY(straggler > 0);
        QVERIFY(killProcess(straggler));
    }

    void destructorEndsServerAndThreads()
    {
        qint64 pid = 0;
        {
            ServerProcess server;
            Console console(server);
            QVERIFY(server.start(QStringLiteral("/bin/cat"), {}, {}).ok);
            pid = server.pid();
            QVERIFY(processExists(pid));
        }
        QVERIFY(!processExists(pid));
        QVERIFY(hasNoChildren());
        QTRY_COMPARE(threadCount(), m_baselineThreads);
    }

private:
    QTemporaryDir m_dir;
    int m_baselineThreads = 0;
};

QTEST_GUILESS_MAIN(ServerProcessTest)
#include "ServerProcess_test.moc"
