#include "gui/LauncherClient.h"
#include "platform/CodePage.h"
#include "server/JavaDiscovery.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

// An operator's first session with the real program: the run directory the demo set-up makes (the
// machine's Java, the demo server as core), "开始" on the console page, a command, "关闭", and
// closing the launcher, all through the automation socket.
class ServerRunTest : public QObject {
    Q_OBJECT

private:
    static constexpr int Timeout = 60000;

    static int freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // Polls a control's text until it contains `part`; the last text read, for the failure message.
    static bool waitForText(LauncherClient& launcher, const QString& control, const QString& part,
                            QString* last)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < Timeout) {
            *last = launcher.value(QStringLiteral("get ") + control);
            if (last->contains(part))
                return true;
            launcher.send(QStringLiteral("wait 100"));
        }
        return false;
    }

    // A run directory as the demo set-up makes it: the machine's Java, the demo server as core.
    static void prepareRunDirectory(const QString& dir, int port)
    {
        const JavaInfo java = discoverJava();
        QVERIFY2(!java.binFolder.isEmpty(), "a Java runtime is required");
        QVERIFY(QDir().mkpath(dir + QStringLiteral("/download")));
        QVERIFY(QDir().mkpath(dir + QStringLiteral("/panel/server")));
        QVERIFY(QFile::copy(QStringLiteral(VELK_DEMO_SERVER_JAR),
                            dir + QStringLiteral("/panel/server/demo-server.jar")));
        writeFile(
            dir + QStringLiteral("/panel/server/server.properties"),
            QStringLiteral("server-port=%1\r\nonline-mode=false\r\nmotd=demo\r\n").arg(port).toLatin1());
        writeFile(dir + QStringLiteral("/panel/server.ini"),
                  codepage::toGbk(
                      QStringLiteral("[服务器数据]\r\nJava路径=%1java\r\n核心=demo-server.jar\r\n内存=256\r\n"
                                     "自动保存=3\r\n聊天名称=&f后台\r\n后置参数=\r\n")
                          .arg(java.binFolder)));
    }

private slots:
    // A termination signal (log-out, a service stop) while the server runs: the server gets "stop"
    // and saves its world before the launcher ends.
    void terminationLetsTheServerSave()
    {
        QTemporaryDir root;
        const QString dir = root.filePath(QStringLiteral("run"));
        prepareRunDirectory(dir, freePort());
        LauncherClient launcher;
        QVERIFY2(launcher.start(dir), qPrintable(launcher.lastError()));
        QCOMPARE(launcher.send(QStringLiteral("click 超级按钮3")).line, QStringLiteral("ok"));
        QCOMPARE(launcher.send(QStringLiteral("click 超级按钮16")).line, QStringLiteral("ok"));
        QString last;
        QVERIFY2(
            waitForText(launcher, QStringLiteral("超级编辑框2"), QStringLiteral("已开服，耗时 ["), &last),
            qPrintable(last));
        launcher.terminate();
        QVERIFY(launcher.waitForExit(Timeout));
        QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
        QCOMPARE(launcher.exitCode(), 0);
        QVERIFY(QFileInfo::exists(dir + QStringLiteral("/panel/server/world/saved.txt")));
    }

    void startCommandStopAndClose()
    {
        QTemporaryDir root;
        const QString dir = root.filePath(QStringLiteral("run"));
        const int port = freePort();
        prepareRunDirectory(dir, port);

        LauncherClient launcher;
        QVERIFY2(launcher.start(dir), qPrintable(launcher.lastError()));
        QCOMPARE(launcher.value(QStringLiteral("get 编辑框4")), QStringLiteral("demo-server.jar"));
        QCOMPARE(launcher.send(QStringLiteral("click 超级按钮3")).line, QStringLiteral("ok"));
        QCOMPARE(launcher.send(QStringLiteral("click 超级按钮16")).line, QStringLiteral("ok"));

        QString last;
        QVERIFY2(
            waitForText(launcher, QStringLiteral("超级编辑框2"), QStringLiteral("已开服，耗时 ["), &last),
            qPrintable(last));
        QVERIFY(last.contains(QStringLiteral("] 服务器监听端口*%1\n").arg(port)));
        QVERIFY(last.contains(QStringLiteral("] 检测完毕..准备开始启动服务器\n")));
        // The offline-mode warning block never reaches the console.
        QVERIFY(!last.contains(QStringLiteral("OFFLINE/INSECURE")));
        QVERIFY2(
            waitForText(launcher, QStringLiteral("标签4"), QStringLiteral("服务器 控制台（PID: "), &last),
            qPrintable(last));
        QCOMPARE(launcher.value(QStringLiteral("prop 超级按钮22 visible")), QStringLiteral("true"));

        QCOMPARE(launcher.send(QStringLiteral("set 编辑框1 say 你好")).line, QStringLiteral("ok"));
        QCOMPARE(launcher.send(QStringLiteral("key 编辑框1 Return")).line, QStringLiteral("ok"));
        QVERIFY2(waitForText(launcher, QStringLiteral("超级编辑框2"), QStringLiteral("[Server] 你好"), &last),
                 qPrintable(last));
        QCOMPARE(launcher.value(QStringLiteral("get 编辑框1")), QString());

        // Closing the launcher is refused while the server runs.
        QCOMPARE(launcher.send(QStringLiteral("click 超级按钮2")).line, QStringLiteral("ok"));
        QVERIFY(launcher.send(QStringLiteral("wait 100")).ok);
        const auto boxes = launcher.boxes();
        QVERIFY(boxes && !boxes->isEmpty());
        QCOMPARE(boxes->first().value(2), QStringLiteral("请先关闭服务器"));
        QCOMPARE(launcher.send(QStringLiteral("answer 确定")).line, QStringLiteral("ok"));

        QCOMPARE(launcher.send(QStringLiteral("click 超级按钮15")).line, QStringLiteral("ok"));
        QElapsedTimer timer;
        timer.start();
        while (launcher.value(QStringLiteral("get 标签4")) != QStringLiteral("服务器 控制台") &&
               timer.elapsed() < Timeout)
            launcher.send(QStringLiteral("wait 100"));
        QCOMPARE(launcher.value(QStringLiteral("get 标签4")), QStringLiteral("服务器 控制台"));
        // The server's own farewell, translated once the default language file has been chosen.
        const QString console = launcher.value(QStringLiteral("get 超级编辑框2"));
        QVERIFY2(console.contains(QStringLiteral("停止服务器")) ||
                     console.contains(QStringLiteral("Stopping the server")),
                 qPrintable(console));
        QCOMPARE(launcher.value(QStringLiteral("get 服务器崩溃重启次数1")), QStringLiteral("0"));

        QCOMPARE(launcher.send(QStringLiteral("click 超级按钮2")).line, QStringLiteral("ok"));
        QVERIFY(launcher.waitForExit(Timeout));
        QCOMPARE(launcher.exitCode(), 0);
        // The licence file the launch wrote, in the launcher's code page.
        QFile eula(dir + QStringLiteral("/panel/server/eula.txt"));
        QVERIFY(eula.open(QIODevice::ReadOnly));
        QVERIFY(eula.readAll().endsWith("\r\neula=true"));
    }
};

QTEST_MAIN(ServerRunTest)
#include "ServerRun_test.moc"
