// The demo server is the stand-in game server of the launcher's tests and demo: these tests run the
// real jar under the real JVM and hold it to the console behaviour the launcher relies on.
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// JVM start-up on a loaded two-core machine can take seconds; the limit only guards against a hang.
constexpr int kTimeoutMs = 60000;

const QRegularExpression kLogLine(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d (INFO|WARN|ERROR)\\]: (.*)$"));

/// A TCP socket on 127.0.0.1, closed when it goes out of scope.
class LoopbackSocket {
public:
    LoopbackSocket() : m_fd(::socket(AF_INET, SOCK_STREAM, 0)) {}
    ~LoopbackSocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    bool bind(quint16 port) { return ::bind(m_fd, addr(port), sizeof(m_addr)) == 0; }
    bool listen() { return ::listen(m_fd, 4) == 0; }
    bool connect(quint16 port) { return ::connect(m_fd, addr(port), sizeof(m_addr)) == 0; }
    quint16 boundPort()
    {
        socklen_t len = sizeof(m_addr);
        if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&m_addr), &len) != 0)
            return 0;
        return ntohs(m_addr.sin_port);
    }

private:
    const sockaddr* addr(quint16 port)
    {
        m_addr = {};
        m_addr.sin_family = AF_INET;
        m_addr.sin_port = htons(port);
        m_addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return reinterpret_cast<const sockaddr*>(&m_addr);
    }

    int m_fd;
    sockaddr_in m_addr{};
};

quint16 freePort()
{
    LoopbackSocket socket;
    return socket.bind(0) ? socket.boundPort() : 0;
}

bool portAcceptsConnections(quint16 port)
{
    LoopbackSocket socket;
    return socket.connect(port);
}

/// One demo server process in its own temporary server folder.
class ServerRun {
public:
    ServerRun()
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                         [this] { out += m_process.readAllStandardOutput(); });
        QObject::connect(&m_process, &QProcess::readyReadStandardError,
                         [this] { err += m_process.readAllStandardError(); });
    }
    ~ServerRun()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kTimeoutMs);
        }
    }
    ServerRun(const ServerRun&) = delete;
    ServerRun& operator=(const ServerRun&) = delete;

    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    /// An accepted EULA and a server.properties on a free port, followed by `extraProperties`.
    void prepare(const QByteArray& extraProperties = {})
    {
        port = freePort();
        QVERIFY(port != 0);
        writeFile(QStringLiteral("eula.txt"), "#By changing the setting below to TRUE...\neula=true\n");
        writeFile(QStringLiteral("server.properties"),
                  "server-port=" + QByteArray::number(port) + "\n" + extraProperties);
    }

    void start(const QStringList& jvmArguments = {})
    {
        m_process.setWorkingDirectory(dir.path());
        m_process.start(QStringLiteral("java"),
                        jvmArguments +
                            QStringList{QStringLiteral("-jar"), QStringLiteral(VELK_DEMO_SERVER_JAR)});
    }

    void send(const QByteArray& bytes) { m_process.write(bytes); }
    void closeInput() { m_process.closeWriteChannel(); }

    bool finish()
    {
        const bool finished = m_process.waitForFinished(kTimeoutMs);
        out += m_process.readAllStandardOutput();
        err += m_process.readAllStandardError();
        return finished;
    }
    bool crashed() const { return m_process.exitStatus() != QProcess::NormalExit; }
    int exitCode() const { return m_process.exitCode(); }

    /// The messages (log prefix removed) of the complete lines from byte `from` on; a line
    /// without the log prefix is kept whole.
    QStringList messages(qsizetype from = 0) const
    {
        QStringList result;
        const QByteArray tail = out.mid(from);
        const qsizetype end = tail.lastIndexOf('\n');
        if (end < 0)
            return result;
        for (const QByteArray& raw : tail.left(end).split('\n')) {
            const QString line = QString::fromUtf8(raw);
            const QRegularExpressionMatch match = kLogLine.match(line);
            result << (match.hasMatch() ? match.captured(2) : line);
        }
        return result;
    }
    bool hasMessage(const QString& message, qsizetype from = 0) const
    {
        return messages(from).contains(message);
    }
    bool started() const { return out.contains(" INFO]: Done ("); }

    QTemporaryDir dir;
    QByteArray out;
    QByteArray err;
    quint16 port = 0;

private:
    QProcess m_process;
};

const QStringList kOfflineBlock = {
    QStringLiteral("**** SERVER IS RUNNING IN OFFLINE/INSECURE MODE!"),
    QStringLiteral("The server will make no attempt to authenticate usernames. Beware."),
    QStringLiteral("While this makes the game possible to play without internet access, it also opens up the "
                   "ability for hackers to connect with any username they choose."),
    QStringLiteral("To change this, set \"online-mode\" to \"true\" in the server.properties file."),
};

} // namespace

class DemoServerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("java")).isEmpty(),
                 "java must be on PATH: the launcher's tests run the demo server under a real JVM");
        QVERIFY2(QFileInfo::exists(QStringLiteral(VELK_DEMO_SERVER_JAR)),
                 VELK_DEMO_SERVER_JAR " is not built");
    }

    void refusesToRunWithoutAcceptedEula_data()
    {
        QTest::addColumn<QByteArray>("eula");
        QTest::newRow("no eula.txt") << QByteArray();
        QTest::newRow("eula=false") << QByteArray("eula=false\r\n");
        QTest::newRow("not a boolean") << QByteArray("eula=yes please\n");
        QTest::newRow("binary garbage") << QByteArray("\xff\xfe\x00\x01=\r\r\n", 8);
    }
    void refusesToRunWithoutAcceptedEula()
    {
        QFETCH(QByteArray, eula);
        ServerRun run;
        run.prepare();
        QVERIFY(QFile::remove(run.dir.filePath(QStringLiteral("eula.txt"))));
        if (!eula.isEmpty())
            run.writeFile(QStringLiteral("eula.txt"), eula);
        run.start();
        QVERIFY(run.finish());
        QVERIFY(!run.crashed());
        QCOMPARE(run.exitCode(), 1);
        QVERIFY2(run.out.contains(" WARN]: You need to agree to the EULA in order to run the server. Go to "
                                  "eula.txt for more info."),
                 run.out.constData());
        QVERIFY(!run.started());
        QCOMPARE(run.err, QByteArray());
    }

    void startsListensAndStops()
    {
        ServerRun run;
        run.prepare();
        run.start();
        QTRY_VERIFY2_WITH_TIMEOUT(run.started(), run.out.constData(), kTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(run.out.endsWith('\n'), kTimeoutMs);

        const QStringList messages = run.messages();
        const QStringList inOrder = {
            QStringLiteral("Starting minecraft server version 1.12.2"),
            QStringLiteral("Loading properties"),
            QStringLiteral("Default game type: SURVIVAL"),
            QStringLiteral("Generating keypair"),
            QStringLiteral("Starting Minecraft server on *:%1").arg(run.port),
            QStringLiteral("Preparing level \"world\""),
            QStringLiteral("Preparing start region for level 0"),
        };
        qsizetype at = -1;
        for (const QString& message : inOrder) {
            const qsizetype next = messages.indexOf(message);
            QVERIFY2(next > at, qPrintable(message));
            at = next;
        }
        QVERIFY(messages.indexOf(QRegularExpression(QStringLiteral("^Preparing spawn area: \\d+%$"))) > at);
        QVERIFY(messages.last().contains(QRegularExpression(
            QStringLiteral("^Done \\(\\d+\\.\\d{3}s\\)! For help, type \"help\" or \"\\?\"$"))));
        const QList<QByteArray> raw = run.out.chopped(1).split('\n');
        for (const QByteArray& line : raw)
            QVERIFY2(kLogLine.match(QString::fromUtf8(line)).hasMatch(), line.constData());
        for (const QString& notice : kOfflineBlock)
            QVERIFY(!messages.contains(notice));

        QVERIFY(portAcceptsConnections(run.port));
        QVERIFY(portAcceptsConnections(run.port)); // still serving after the first client left

        const qsizetype mark = run.out.size();
        run.send("stop\r\n");
        QVERIFY(run.finish());
        QVERIFY(!run.crashed());
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(run.messages(mark),
                 (QStringList{QStringLiteral("Stopping the server"), QStringLiteral("Stopping server"),
                              QStringLiteral("Saving players"), QStringLiteral("Saving worlds")}));
        QVERIFY(!portAcceptsConnections(run.port));
        QCOMPARE(run.err, QByteArray());
    }

    // Hand-edited files: \r\n line ends, comments, junk lines and bytes that are no text at all.
    void readsOfflineModeFromAMessyPropertiesFile()
    {
        ServerRun run;
        run.prepare();
        run.writeFile(QStringLiteral("server.properties"), "#Minecraft server properties\r\n"
                                                           "this line means nothing\r\n"
                                                           "=\r\n\xff\xfe\x80\r\n"
                                                           "server-port=" +
                                                               QByteArray::number(run.port) +
                                                               "\r\n"
                                                               "online-mode=false\r\n"
                                                               "max-players=7\r\n"
                                                               "max-players-typo=3\r\n");
        run.start();
        QTRY_VERIFY2_WITH_TIMEOUT(run.started(), run.out.constData(), kTimeoutMs);

        QVERIFY(run.hasMessage(QStringLiteral("Starting Minecraft server on *:%1").arg(run.port)));
        const QStringList messages = run.messages();
        const qsizetype first = messages.indexOf(kOfflineBlock.first());
        QVERIFY2(first > 0, run.out.constData());
        QCOMPARE(messages.mid(first, kOfflineBlock.size()), kOfflineBlock);
        for (const QString& notice : kOfflineBlock)
            QVERIFY(run.out.contains(" WARN]: " + notice.toUtf8() + '\n'));

        const qsizetype mark = run.out.size();
        run.send("list\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(
            run.hasMessage(QStringLiteral("There are 0 of a max of 7 players online: "), mark), kTimeoutMs);
    }

    void answersConsoleCommands()
    {
        struct Case {
            QByteArray command;
            QStringList answer;
        };
        const auto usage = [](const char* text) { return QStringList{QString::fromLatin1(text)}; };
        const QList<Case> cases = {
            {"list", {QStringLiteral("There are 0 of a max of 20 players online: ")}},
            {"LiSt", {QStringLiteral("There are 0 of a max of 20 players online: ")}},
            {"/say hello  world", {QStringLiteral("[Server] hello  world")}},
            {"say", usage("Usage: /say <message ...>")},
            {"save-all", {QStringLiteral("Saving..."), QStringLiteral("Saved the world")}},
            {"/op Steve", {QStringLiteral("Opped Steve")}},
            {"op", usage("Usage: /op <player>")},
            {"deop Steve", {QStringLiteral("De-opped Steve")}},
            {"ban Griefer spamming", {QStringLiteral("Banned player Griefer")}},
            {"ban-ip 10.0.0.7", {QStringLiteral("Banned IP 10.0.0.7")}},
            {"ban-ip", usage("Usage: /ban-ip <address|name> [reason ...]")},
            {"give Steve diamond 5", {QStringLiteral("Given [diamond] * 5 to Steve")}},
            {"give Steve stone", {QStringLiteral("Given [stone] * 1 to Steve")}},
            {"give Steve", usage("Usage: /give <player> <item> [amount]")},
            {"xp 30 Steve", {QStringLiteral("Given 30 experience to Steve")}},
            {"xp lots Steve", usage("Usage: /xp <amount> <player>")},
            {"frobnicate now", {QStringLiteral("Unknown command. Type \"help\" for help.")}},
            {"\xff\xfe\x01 garbage", {QStringLiteral("Unknown command. Type \"help\" for help.")}},
            {"flood 0", {QStringLiteral("FLOOD-DONE")}},
            {"flood -1", usage("Usage: /flood <count> (0 to 10000000)")},
            {"flood 10000001", usage("Usage: /flood <count> (0 to 10000000)")},
            {"flood lots", usage("Usage: /flood <count> (0 to 10000000)")},
            {"", {}},
        };

        ServerRun run;
        run.prepare();
        run.start();
        QTRY_VERIFY2_WITH_TIMEOUT(run.started(), run.out.constData(), kTimeoutMs);
        const QString fence = QStringLiteral("--fence--");
        for (const Case& c : cases) {
            const qsizetype mark = run.out.size();
            // The echoed fence marks the end of the answer, so extra or missing lines show.
            run.send(c.command + "\r\necho " + fence.toUtf8() + "\r\n");
            QTRY_VERIFY2_WITH_TIMEOUT(run.hasMessage(fence, mark), c.command.constData(), kTimeoutMs);
            QCOMPARE(run.messages(mark), c.answer + QStringList{fence});
        }

        const qsizetype mark = run.out.size();
        run.send("help\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(run.hasMessage(QStringLiteral("/stop"), mark), kTimeoutMs);
        QCOMPARE(run.err, QByteArray());
    }

    // The launcher writes commands in the charset it last read, so text must survive both pipes
    // byte for byte in either charset.
    void echoesChineseTextInTheConsoleCharset_data()
    {
        QTest::addColumn<QStringList>("jvmArguments");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("UTF-8") << QStringList() << QStringLiteral("你好，世界  [Steve] ok ").toUtf8();
        QTest::newRow("GBK") << QStringList{QStringLiteral("-Dfile.encoding=GBK")}
                             << QByteArray("\xc4\xe3\xba\xc3\xa3\xac\xca\xc0\xbd\xe7  [Steve] ok ");
    }
    void echoesChineseTextInTheConsoleCharset()
    {
        QFETCH(QStringList, jvmArguments);
        QFETCH(QByteArray, text);
        ServerRun run;
        run.prepare();
        run.start(jvmArguments);
        QTRY_VERIFY2_WITH_TIMEOUT(run.started(), run.out.constData(), kTimeoutMs);
        const qsizetype mark = run.out.size();
        run.send("echo " + text + "\r\n");
        run.closeInput();
        QVERIFY(run.finish());
        QCOMPARE(run.exitCode(), 0);
        QVERIFY2(run.out.mid(mark).startsWith(text + '\n'), run.out.mid(mark).toHex(' ').constData());
    }

    void floodPrintsEveryLineThenItsEndMark()
    {
        constexpr int kLines = 20000;
        ServerRun run;
        run.prepare();
        run.start();
        QTRY_VERIFY2_WITH_TIMEOUT(run.started(), run.out.constData(), kTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(run.out.endsWith('\n'), kTimeoutMs);

        const qsizetype mark = run.out.size();
        run.send("flood " + QByteArray::number(kLines) + "\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(run.out.endsWith(" INFO]: FLOOD-DONE\n"), kTimeoutMs);

        const QList<QByteArray> lines = run.out.mid(mark).chopped(1).split('\n');
        QCOMPARE(lines.size(), kLines + 1);
        qsizetype bytes = 0;
        for (int i = 0; i < kLines; ++i) {
            QVERIFY2(kLogLine.match(QString::fromUtf8(lines.at(i))).captured(1) == QLatin1String("INFO"),
                     lines.at(i).constData());
            bytes += lines.at(i).size() + 1;
        }
        QVERIFY2(bytes / kLines >= 80 && bytes / kLines <= 120,
                 QByteArray::number(bytes / kLines).constData());

        run.send("stop\r\n");
        QVERIFY(run.finish());
        QCOMPARE(run.exitCode(), 0);
    }

    void endsWithTheStatusOfHowItWasStopped_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<bool>("closeInput");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("lastWords");
        const QStringList shutdown = {QStringLiteral("Stopping server"), QStringLiteral("Saving players"),
                                      QStringLiteral("Saving worlds")};
        QTest::newRow("stop") << QByteArray("STOP\r\n") << false << 0
                              << QStringList{QStringLiteral("Stopping the server")} + shutdown;
        QTest::newRow("end of input") << QByteArray() << true << 0 << shutdown;
        QTest::newRow("crash") << QByteArray("crash\r\nlist\r\n") << false << 3 << QStringList();
    }
    void endsWithTheStatusOfHowItWasStopped()
    {
        QFETCH(QByteArray, command);
        QFETCH(bool, closeInput);
        QFETCH(int, status);
        QFETCH(QStringList, lastWords);
        ServerRun run;
        run.prepare();
        run.start();
        QTRY_VERIFY2_WITH_TIMEOUT(run.started(), run.out.constData(), kTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(run.out.endsWith('\n'), kTimeoutMs);

        const qsizetype mark = run.out.size();
        run.send(command);
        if (closeInput)
            run.closeInput();
        QVERIFY(run.finish());
        QVERIFY(!run.crashed());
        QCOMPARE(run.exitCode(), status);
        QCOMPARE(run.messages(mark), lastWords);
        QCOMPARE(run.err, QByteArray());
    }

    void refusesAPortThatIsTaken()
    {
        ServerRun run;
        run.prepare();
        LoopbackSocket holder;
        QVERIFY(holder.bind(run.port));
        QVERIFY(holder.listen());
        run.start();
        QVERIFY(run.finish());
        QCOMPARE(run.exitCode(), 1);
        QVERIFY2(run.out.contains(" WARN]: **** FAILED TO BIND TO PORT!\n"), run.out.constData());
        QVERIFY(!run.started());
    }
};

QTEST_GUILESS_MAIN(DemoServerTest)
#include "DemoServer_test.moc"
