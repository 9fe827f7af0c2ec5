#include "platform/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Reads until end-of-file; the child's output pipe only reaches it when the launcher holds no copy
// of the child's end.
QByteArray readToEnd(ChildProcess& child, bool* reachedEnd)
{
    QByteArray all;
    char buffer[4096];
    *reachedEnd = false;
    for (;;) {
        qsizetype n = 0;
        const auto status = child.readOutput(buffer, sizeof buffer, 30000, &n);
        if (status == ChildProcess::ReadStatus::Data) {
            all.append(buffer, n);
            continue;
        }
        *reachedEnd = status == ChildProcess::ReadStatus::EndOfFile;
        return all;
    }
}

QByteArray runToEnd(const QString& program, const QStringList& arguments, const QString& directory = {})
{
    ChildProcess::SpawnError error;
    auto child = ChildProcess::spawn(program, arguments, directory, &error);
    if (!child) {
        qWarning() << error.message;
        return "<spawn failed>";
    }
    bool reachedEnd = false;
    const QByteArray output = readToEnd(*child, &reachedEnd);
    child->waitForEnd();
    child->collect();
    return reachedEnd ? output : output + "<no end of file>";
}

bool hasNoChildren()
{
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

} // namespace

class ChildProcessTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void spawnFailureCreatesNothing_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("named");

        const QString notExecutable = m_dir.filePath(QStringLiteral("plain.txt"));
        QFile file(notExecutable);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("echo hi\n");
        file.close();
        const QString missing = m_dir.filePath(QStringLiteral("no-such-program"));
        const QString missingDir = m_dir.filePath(QStringLiteral("no-such-dir"));

        QTest::newRow("missing program") << missing << m_dir.path() << ENOENT << missing;
        QTest::newRow("missing program on PATH") << QStringLiteral("velk-no-such-program") << m_dir.path()
                                                 << ENOENT << QStringLiteral("velk-no-such-program");
        QTest::newRow("not executable") << notExecutable << m_dir.path() << EACCES << notExecutable;
        QTest::newRow("folder as program") << m_dir.path() << m_dir.path() << EACCES << m_dir.path();
        QTest::newRow("missing working directory")
            << QStringLiteral("/bin/sh") << missingDir << ENOENT << missingDir;
        QTest::newRow("file as working directory")
            << QStringLiteral("/bin/sh") << notExecutable << ENOTDIR << notExecutable;
    }

    void spawnFailureCreatesNothing()
    {
        QFETCH(QString, program);
        QFETCH(QString, directory);
        QFETCH(int, code);
        QFETCH(QString, named);

        ChildProcess::SpawnError error;
        auto child = ChildProcess::spawn(program, {}, directory, &error);
        QVERIFY(!child);
        QCOMPARE(error.code, code);
        QVERIFY2(error.message.contains(named), qPrintable(error.message));
        QVERIFY(hasNoChildren());
    }

    void argumentsArriveAsGiven()
    {
        const QStringList arguments = {QStringLiteral("a b"), QStringLiteral("\"q\" 'x'"), QString(),
                                       QStringLiteral("中文 $HOME * ; rm -rf /tmp/nothing")};
        const QByteArray output =
            runToEnd(QStringLiteral("/bin/sh"),
                     QStringList{QStringLiteral("-c"),
                                 QStringLiteral("for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done"),
                                 QStringLiteral("sh")} +
                         arguments);
        QCOMPARE(QString::fromUtf8(output),
                 QStringLiteral("[a b]\n[\"q\" 'x']\n[]\n[中文 $HOME * ; rm -rf /tmp/nothing]\n"));
    }

    void workingDirectoryAndMergedOutput()
    {
        const QByteArray output =
            runToEnd(QStringLiteral("/bin/sh"),
                     {QStringLiteral("-c"), QStringLiteral("pwd; echo err >&2; echo out")}, m_dir.path());
        QCOMPARE(QString::fromUtf8(output),
                 QDir(m_dir.path()).canonicalPath() + QStringLiteral("\nerr\nout\n"));
    }

    // A descriptor someone else opened without close-on-exec must not reach the server, and the
    // server must not inherit the launcher's ignored SIGPIPE.
    void childStartsClean()
    {
        int leaky[2];
        QCOMPARE(::pipe(leaky), 0);
        const QString script = QStringLiteral("if [ -e /proc/self/fd/%1 ]; then echo leaked; else echo "
                                              "clean; fi; grep SigIgn /proc/self/status")
                                   .arg(leaky[1]);
        const QString output =
            QString::fromUtf8(runToEnd(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}));
        ::close(leaky[0]);
        ::close(leaky[1]);

        QVERIFY2(output.startsWith(QStringLiteral("clean\nSigIgn:")), qPrintable(output));
        bool ok = false;
        const qulonglong ignored = output.section(QLatin1Char(':'), 1).trimmed().toULongLong(&ok, 16);
        QVERIFY(ok);
        QCOMPARE(ignored & (1ULL << (SIGPIPE - 1)), 0ULL);
    }

    void existenceKillAndExitStatus()
    {
        QVERIFY(processExists(::getpid()));
        for (qint64 bad : {qint64(0), qint64(-1), qint64(-::getpid())}) {
            QVERIFY(!processExists(bad));
            QVERIFY(!killProcess(bad));
        }
        QVERIFY(!killProcess(::getpid()));

        auto exits = ChildProcess::spawn(QStringLiteral("/bin/sh"),
                                         {QStringLiteral("-c"), QStringLiteral("exit 3")}, {});
        QVERIFY(exits);
        QVERIFY(exits->waitForEnd());
        QVERIFY(!processExists(exits->pid())); // ended but not collected yet: a zombie counts as ended
        QCOMPARE(exits->collect(), 3);
        QVERIFY(!processExists(exits->pid()));

        auto cat = ChildProcess::spawn(QStringLiteral("/bin/cat"), {}, {});
        QVERIFY(cat);
        QVERIFY(processExists(cat->pid()));
        QVERIFY(killProcess(cat->pid()));
        QVERIFY(cat->waitForEnd());
        QCOMPARE(cat->collect(), 128 + SIGKILL);
        QVERIFY(hasNoChildren());
    }

    void writeToEndedChildFailsQuietly()
    {
        auto cat = ChildProcess::spawn(QStringLiteral("cat"), {}, {});
        QVERIFY(cat);
        QVERIFY(cat->writeInput("ping\n", 1000));
        char buffer[16];
        qsizetype n = 0;
        QCOMPARE(cat->readOutput(buffer, sizeof buffer, 30000, &n), ChildProcess::ReadStatus::Data);
        QCOMPARE(QByteArray(buffer, n), QByteArray("ping\n"));

        QVERIFY(killProcess(cat->pid()));
        QVERIFY(cat->waitForEnd());
        cat->collect();
        // Would end this test program with SIGPIPE if the launcher did not guard against it.
        QVERIFY(!cat->writeInput("after\n", 1000));
        QCOMPARE(cat->readOutput(buffer, sizeof buffer, 30000, &n), ChildProcess::ReadStatus::EndOfFile);
    }

    void wakeInterruptsWaitingReader()
    {
        auto cat = ChildProcess::spawn(QStringLiteral("/bin/cat"), {}, {});
        QVERIFY(cat);
        cat->wakeReader();
        char buffer[16];
        qsizetype n = 0;
        QCOMPARE(cat->readOutput(buffer, sizeof buffer, -1, &n), ChildProcess::ReadStatus::Woken);
        QCOMPARE(cat->readOutput(buffer, sizeof buffer, 0, &n), ChildProcess::ReadStatus::Timeout);
        killProcess(cat->pid());
        cat->waitForEnd();
        cat->collect();
    }

    // A launcher killed with SIGKILL cannot stop its server. The stand-in launcher is this program
    // run with --stand-in-parent: it starts a stand-in server that ignores the end of its input
    // (it never reads it) and prints the server's id. Killing the stand-in launcher must end the
    // server, and only the ending of the launcher: it lives while the launcher does.
    void serverEndsWhenTheLauncherIsKilled()
    {
        auto launcher = ChildProcess::spawn(QCoreApplication::applicationFilePath(),
                                            {QStringLiteral("--stand-in-parent")}, {});
        QVERIFY(launcher);
        char buffer[64];
        QByteArray line;
        while (!line.contains('\n')) {
            qsizetype n = 0;
            QCOMPARE(launcher->readOutput(buffer, sizeof buffer, 30000, &n), ChildProcess::ReadStatus::Data);
            line.append(buffer, n);
        }
        const qint64 server = line.trimmed().toLongLong();
        QVERIFY(server > 0);
        QVERIFY(processExists(server));
        QTest::qWait(300);
        QVERIFY(processExists(server));

        QVERIFY(killProcess(launcher->pid()));
        QVERIFY(launcher->waitForEnd());
        QCOMPARE(launcher->collect(), 128 + SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(!processExists(server), 10000);
    }

private:
    QTemporaryDir m_dir;
};

// With --stand-in-parent: the launcher of serverEndsWhenTheLauncherIsKilled. It starts a server
// that survives the end of its input, prints its id and waits to be killed.
int runStandInParent()
{
    auto server = ChildProcess::spawn(QStringLiteral("/bin/sh"),
                                      {QStringLiteral("-c"), QStringLiteral("exec sleep 600")}, {});
    if (!server)
        return 1;
    std::printf("%lld\n", static_cast<long long>(server->pid()));
    std::fflush(stdout);
    for (;;)
        ::pause();
}

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--stand-in-parent") == 0)
        return runStandInParent();
    QCoreApplication app(argc, argv);
    ChildProcessTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "ChildProcess_test.moc"
