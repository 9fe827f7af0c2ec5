#include "app/Workspace.h"
#include "config/ServerProperties.h"
#include "console/ConsoleLanguage.h"
#include "platform/AtomicFile.h"
#include "platform/ChildProcess.h"
#include "platform/RunDirectory.h"
#include "server/JavaDiscovery.h"
#include "server/ServerRuntime.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int StartTimeoutMs = 20000;

class Inputs : public LaunchInputSource {
public:
    Fields fields;
    bool crashRestart = false;

    Fields launchFields() const override { return fields; }
    bool crashRestartEnabled() const override { return crashRestart; }
};

quint16 freePort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        qFatal("no free port");
    return server.serverPort();
}

} // namespace

// The server runtime with the core library alone: no window, the demo server under the real JVM.
class ServerRuntimeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    Inputs m_inputs;
    std::unique_ptr<ServerRuntime> m_runtime;
    QString m_console;

    bool waitForStartup()
    {
        return QTest::qWaitFor([this] { return m_runtime->isRunning() && m_runtime->isStartupDone(); },
                               StartTimeoutMs);
    }
    bool launchAndWait()
    {
        m_runtime->launch();
        return waitForStartup();
    }
    // The server has ended and the runtime has handled its end.
    bool waitForEnd()
    {
        return QTest::qWaitFor(
            [this] {
                return !m_runtime->isRunning() && m_runtime->state() == ServerState::Stopped &&
                       !m_runtime->isLaunchGathering();
            },
            StartTimeoutMs);
    }
    QString worldSaved() const { return m_dir->filePath(QStringLiteral("panel/server/world/saved.txt")); }

private slots:
    void init()
    {
        const JavaInfo java = discoverJava();
        QVERIFY2(!java.binFolder.isEmpty(), "the tests need a Java runtime (set-up installs one)");
        m_dir = std::make_unique<QTemporaryDir>();
        rundir::setOverride(m_dir->path());
        workspace::prepareWorkspace();
        QVERIFY(QFile::copy(QStringLiteral(VELK_DEMO_SERVER_JAR),
                            m_dir->filePath(QStringLiteral("panel/server/demo-server.jar"))));
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("panel/Console-lang"))));
        QVERIFY(writeFileAtomically(consolelang::languageFilePath(consolelang::DefaultLanguageFileName),
                                    consolelang::defaultLanguageFileBytes()));
        serverprops::writeServerProperty(QStringLiteral("server-port"), QString::number(freePort()));

        m_inputs = Inputs();
        m_inputs.fields = {java.binFolder + QStringLiteral("java"), QStringLiteral("256"),
                           QStringLiteral("demo-server.jar"), QStringLiteral("3"), QString()};
        m_runtime = std::make_unique<ServerRuntime>();
        m_runtime->setLaunchInputs(&m_inputs);
        m_runtime->setConsoleLanguage(consolelang::DefaultLanguageFileName);
        m_console.clear();
        connect(m_runtime.get(), &ServerRuntime::linesReady, this, [this](const ConsoleLines& lines) {
            for (const ConsoleLine& line : lines)
                m_console += line.text;
        });
        connect(m_runtime.get(), &ServerRuntime::consoleCleared, this, [this] { m_console.clear(); });
    }
    void cleanup()
    {
        m_runtime.reset();
        m_dir.reset();
    }

    void launchesAnswersCommandsAndStopsCleanly()
    {
        QSignalSpy states(m_runtime.get(), &ServerRuntime::stateChanged);
        QSignalSpy launched(m_runtime.get(), &ServerRuntime::launchFinished);
        QVERIFY(launchAndWait());
        QCOMPARE(launched.size(), 1);
        QCOMPARE(launched.first().first().toBool(), true);
        QCOMPARE(m_runtime->state(), ServerState::Running);
        QCOMPARE(serverStateText(m_runtime->state()), QStringLiteral("已开服"));

        QVERIFY(m_runtime->sendConsoleCommand(QStringLiteral("echo 你好 runtime")));
        QTRY_VERIFY(m_console.contains(QStringLiteral("你好 runtime")));

        m_runtime->stop();
        QCOMPARE(m_runtime->stopReason(), StopReason::Manual);
        QVERIFY(waitForEnd());
        QCOMPARE(states.size(), 2);
        QCOMPARE(states.last().first().value<ServerState>(), ServerState::Stopped);
        QCOMPARE(m_runtime->stopReason(), StopReason::None);
        QVERIFY(QFileInfo::exists(worldSaved()));
        QVERIFY(!m_runtime->sendConsoleCommand(QStringLiteral("list")));
    }

    void forceStopKillsWithoutARestart()
    {
        m_inputs.crashRestart = true;
        QSignalSpy restarts(m_runtime.get(), &ServerRuntime::crashRestarted);
        QVERIFY(launchAndWait());
        const qint64 pid = m_runtime->pid();
        m_runtime->forceStop();
        QVERIFY(
            m_console.contains(QStringLiteral("服务器进程ID（%1）已终止，服务器强制关闭完成。").arg(pid)));
        QVERIFY(waitForEnd());
        QTest::qWait(600);
        QCOMPARE(restarts.size(), 0);
        QVERIFY(!m_runtime->isRunning());
        QVERIFY(!QFileInfo::exists(worldSaved()));
    }

    void restartStartsANewServerOnceTheOldHasEnded()
    {
        QVERIFY(launchAndWait());
        const qint64 first = m_runtime->pid();
        QSignalSpy launched(m_runtime.get(), &ServerRuntime::launchFinished);
        m_runtime->restart();
        QVERIFY(m_runtime->isRestartPending());
        QTRY_VERIFY_WITH_TIMEOUT(m_runtime->pid() != first && m_runtime->isStartupDone(), StartTimeoutMs);
        QVERIFY(!processExists(first));
        QCOMPARE(launched.size(), 1);
        QVERIFY(QFileInfo::exists(worldSaved()));
    }

    // A second "开始" while the server is alive (here still starting, not yet on its port) never
    // replaces it.
    void aSecondLaunchNeverReplacesALiveServer()
    {
        QSignalSpy launched(m_runtime.get(), &ServerRuntime::launchFinished);
        m_runtime->launch();
        QTRY_COMPARE_WITH_TIMEOUT(launched.size(), 1, StartTimeoutMs);
        const qint64 pid = m_runtime->pid();
        m_runtime->launch();
        QCOMPARE(launched.size(), 2);
        QCOMPARE(launched.last().first().toBool(), false);
        QVERIFY(m_console.contains(QStringLiteral("服务器正在运行（PID: %1）").arg(pid)));
        QVERIFY(waitForStartup());
        QCOMPARE(m_runtime->pid(), pid);
    }

    // Crashes are restarted until they come too fast: the sixth crash within ten minutes is left
    // stopped with one red line; a manual start begins counting again.
    void crashRestartsStopAtACrashLoop()
    {
        m_inputs.crashRestart = true;
        QSignalSpy restarts(m_runtime.get(), &ServerRuntime::crashRestarted);
        QVERIFY(launchAndWait());
        for (int crash = 1; crash <= ServerRuntime::CrashLoopLimit; ++crash) {
            const qint64 pid = m_runtime->pid();
            m_runtime->sendConsoleCommand(QStringLiteral("crash"));
            QTRY_COMPARE_WITH_TIMEOUT(restarts.size(), crash, StartTimeoutMs);
            QTRY_VERIFY_WITH_TIMEOUT(m_runtime->pid() != pid, StartTimeoutMs);
            QVERIFY(waitForStartup());
        }
        QSignalSpy lines(m_runtime.get(), &ServerRuntime::linesReady);
        m_runtime->sendConsoleCommand(QStringLiteral("crash"));
        QVERIFY(waitForEnd());
        QTRY_VERIFY(m_console.contains(QStringLiteral("已停止自动重启")));
        QTest::qWait(600);
        QCOMPARE(restarts.size(), ServerRuntime::CrashLoopLimit);
        QVERIFY(!m_runtime->isRunning());
        const QString guardLine = lines.last().first().value<ConsoleLines>().at(1).text;
        QCOMPARE(guardLine, QStringLiteral(" 崩溃重启"));

        QVERIFY(launchAndWait());
        m_runtime->sendConsoleCommand(QStringLiteral("crash"));
        QTRY_COMPARE_WITH_TIMEOUT(restarts.size(), ServerRuntime::CrashLoopLimit + 1, StartTimeoutMs);
    }

    void shutdownLetsTheServerSave()
    {
        QVERIFY(launchAndWait());
        QSignalSpy finished(m_runtime.get(), &ServerRuntime::shutdownFinished);
        m_runtime->shutdown();
        QVERIFY(finished.wait(StartTimeoutMs));
        QVERIFY(!m_runtime->isRunning());
        QVERIFY(QFileInfo::exists(worldSaved()));
        // Nothing is launched once the launcher is ending.
        m_runtime->launch();
        QVERIFY(!m_runtime->isLaunchGathering());
    }

    void shutdownKillsAServerThatDoesNotEnd()
    {
        QVERIFY(launchAndWait());
        m_runtime->sendConsoleCommand(QStringLiteral("hang"));
        QTRY_VERIFY(m_console.contains(QStringLiteral("No longer reading the console")));
        const qint64 pid = m_runtime->pid();
        QSignalSpy finished(m_runtime.get(), &ServerRuntime::shutdownFinished);
        QElapsedTimer took;
        took.start();
        m_runtime->shutdown(500);
        QVERIFY(finished.wait(StartTimeoutMs));
        QVERIFY2(took.elapsed() >= 500, qPrintable(QString::number(took.elapsed())));
        QVERIFY(!processExists(pid));
        QVERIFY(!QFileInfo::exists(worldSaved()));
    }

    void shutdownWithoutAServerIsImmediate()
    {
        QSignalSpy finished(m_runtime.get(), &ServerRuntime::shutdownFinished);
        m_runtime->shutdown();
        QCOMPARE(finished.size(), 1);
    }
};

QTEST_GUILESS_MAIN(ServerRuntimeTest)
#include "ServerRuntime_test.moc"
