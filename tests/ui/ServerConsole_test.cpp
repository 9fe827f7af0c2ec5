#include "app/gui/LauncherController.h"
#include "config/ServerProperties.h"
#include "console/ConsoleLanguage.h"
#include "console/ConsoleProcessor.h"
#include "platform/ChildProcess.h"
#include "platform/PortOwner.h"
#include "platform/RunDirectory.h"
#include "server/JavaDiscovery.h"
#include "server/ServerRuntime.h"
#include "server/gui/ConsoleFeature.h"
#include "server/gui/ConsolePresenter.h"
#include "server/gui/ConsoleView.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/Theme.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"
#include "ui/widgets/FrameBox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

namespace {

constexpr int StartTimeoutMs = 20000;
// How long a crash restart would take to show up (200 ms after the end) with a wide margin; used
// only to check that something does NOT happen.
constexpr int NoRestartWindowMs = 800;

quint16 freePort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        qFatal("no free port");
    return server.serverPort();
}

QString javaProgram()
{
    const JavaInfo java = discoverJava();
    return java.binFolder.isEmpty() ? QString() : java.binFolder + QStringLiteral("java");
}

} // namespace

// The server runtime of the console page, driven through its real controls with the demo server
// under the real JVM as the game server.
class ServerConsoleTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LauncherController> m_launcher;
    quint16 m_port = 0;

    template <typename T = QWidget> T* control(const QString& name)
    {
        T* widget = controls::find<T>(m_launcher->window(), name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    ServerRuntime* server() { return &m_launcher->runtime(); }
    ConsolePresenter* presenter() { return m_launcher->feature<ConsoleFeature>()->presenter(); }
    ConsoleView* consoleView() { return control<ConsoleView>(QStringLiteral("超级编辑框2")); }
    QString console() { return consoleView()->toPlainText(); }
    QString stateText() { return serverStateText(server()->state()); }
    QString stopReason() { return stopReasonText(server()->stopReason()); }
    QString labelText(const QString& name) { return control<QLabel>(name)->text(); }
    void click(const QString& name) { control<FlatButton>(name)->click(); }
    void setField(const QString& name, const QString& text) { control<QLineEdit>(name)->setText(text); }
    void setCrashRestart(bool on) { control<FlatButton>(QStringLiteral("超级按钮76"))->setChecked(on); }

    void type(const QString& command)
    {
        QLineEdit* box = control<QLineEdit>(QStringLiteral("编辑框1"));
        box->setText(command);
        QTest::keyClick(box, Qt::Key_Return);
    }

    // The colour of the first run that holds `text`.
    QColor colourOf(const QString& text)
    {
        QTextCursor found = consoleView()->document()->find(text);
        if (found.isNull())
            return {};
        return found.charFormat().foreground().color();
    }

    // Presses `caption` on every box as it is shown and remembers "title|text".
    void answerBoxes(const QString& caption, QStringList* seen)
    {
        boxes::setBoxShownHook([caption, seen](QWidget* box) {
            *seen << box->findChild<QLabel*>(QStringLiteral("标签1"))->text() + QLatin1Char('|') +
                         box->findChild<QLabel*>(QStringLiteral("标签2"))->text();
            boxes::pressButton(box, caption);
        });
    }

    bool startServer()
    {
        click(QStringLiteral("超级按钮16"));
        return waitForStarted();
    }
    bool waitForStarted()
    {
        return QTest::qWaitFor(
            [this] { return server()->isRunning() && console().contains(QStringLiteral("已开服，耗时 [")); },
            StartTimeoutMs);
    }
    // The server has ended and its end has been handled (the stop mark is cleared then).
    bool waitForEnd()
    {
        return QTest::qWaitFor(
            [this] {
                return !server()->isRunning() && stopReason().isEmpty() && !server()->isLaunchGathering();
            },
            StartTimeoutMs);
    }

private slots:
    void init()
    {
        const QString java = javaProgram();
        // scripts/setup.sh installs the JDK; a machine without it fails here rather than passing
        // with the console untested.
        QVERIFY2(!java.isEmpty(), "no Java runtime (openjdk-17-jdk-headless)");
        m_dir = std::make_unique<QTemporaryDir>();
        rundir::setOverride(m_dir->path());
        QDir().mkpath(m_dir->filePath(QStringLiteral("panel/server")));
        QVERIFY(QFile::copy(QStringLiteral(VELK_DEMO_SERVER_JAR),
                            m_dir->filePath(QStringLiteral("panel/server/demo-server.jar"))));
        m_launcher = std::make_unique<LauncherController>();
        m_launcher->start();
        // The first housekeeping tick chooses the default language file; run it now, not in a second.
        m_launcher->housekeepingTick();
        m_port = freePort();
        serverprops::writeServerProperty(QStringLiteral("server-port"), QString::number(m_port));
        setField(QStringLiteral("编辑框3"), java);
        setField(QStringLiteral("编辑框5"), QStringLiteral("256"));
        setField(QStringLiteral("编辑框4"), QStringLiteral("demo-server.jar"));
        setField(QStringLiteral("编辑框2"), QStringLiteral("3"));
        setField(QStringLiteral("编辑框18"), QString());
        m_launcher->window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_launcher->window()));
    }
    void cleanup()
    {
        boxes::setBoxShownHook(nullptr);
        for (QWidget* box : boxes::openBoxes())
            boxes::pressButton(box, QStringLiteral("×"));
        m_launcher.reset();
        m_dir.reset();
    }

    void resetAndCloseAreRefusedWhileTheServerRuns()
    {
        QVERIFY(startServer());
        QStringList seen;
        answerBoxes(QStringLiteral("确定"), &seen);
        click(QStringLiteral("超级按钮90"));
        click(QStringLiteral("超级按钮2"));
        QCOMPARE(seen, (QStringList{QStringLiteral("重置服务器提示|服务器正在运行请先关闭"),
                                    QStringLiteral("检测提示|请先关闭服务器")}));
        QVERIFY(m_launcher->window()->isVisible());
        QVERIFY(server()->isRunning());
        click(QStringLiteral("超级按钮15"));
        QVERIFY(waitForEnd());
    }

    void startsAfterTheChecksAndAnswersCommands()
    {
        QTRY_COMPARE(stateText(), QStringLiteral("未开服"));
        QCOMPARE(control(QStringLiteral("图片框10"))->property("statusPicture").toInt(),
                 int(ConsolePresenter::Status::Stopped));
        QVERIFY(startServer());

        // The check lines in their order, then the server's own output with its completion rewritten.
        const QString text = console();
        const QStringList expected = {
            QStringLiteral("] 请稍等开服器需要检测一些设置"),
            QStringLiteral("] 服务器监听端口*") + QString::number(m_port),
            QStringLiteral("] 本地Java（x64）路径*") + javaProgram(),
            QStringLiteral("] 服务器分配内存*256MB"),
            QStringLiteral("] 启动服务器核心*demo-server.jar"),
            QStringLiteral("] 自动保存*3分钟"),
            QStringLiteral("] 自定义后置开服参数*无参数"),
            QStringLiteral("] Console-lang（语言：简体中文，版本：1.0.0）作者：Velk"),
            QStringLiteral("] 检测完毕..准备开始启动服务器"),
            QStringLiteral("启动我的世界服务器版本 1.12.2"),
            QStringLiteral(" 信息] 已开服，耗时 ["),
        };
        qsizetype at = 0;
        for (const QString& line : expected) {
            const qsizetype found = text.indexOf(line, at);
            QVERIFY2(found >= 0, qPrintable(line));
            at = found + line.size();
        }
        QVERIFY(text.contains(QStringLiteral("s] 输入“help”或“?” 查看帮助")));
        QCOMPARE(colourOf(QStringLiteral(" 管理系统")), QColor(0, 127, 255));
        QCOMPARE(colourOf(QStringLiteral("信息")), QColor(0, 200, 83));

        // The status tick: state, title with the pid, lamps, the started picture, the timers.
        QTRY_COMPARE_WITH_TIMEOUT(control(QStringLiteral("图片框10"))->property("statusPicture").toInt(),
                                  int(ConsolePresenter::Status::Started), 5000);
        QCOMPARE(stateText(), QStringLiteral("已开服"));
        QCOMPARE(labelText(QStringLiteral("标签4")),
                 QStringLiteral("服务器 控制台（PID: %1）").arg(server()->pid()));
        QVERIFY(!control(QStringLiteral("超级按钮22"))->isHidden());
        QVERIFY(control(QStringLiteral("超级按钮23"))->isHidden());
        auto* autosave = server()->autosaveTimer();
        QVERIFY(autosave->isActive());
        QCOMPARE(autosave->interval(), 3 * 60000);
        QVERIFY(control<QTimer>(QStringLiteral("时钟3"))->isActive());
        setField(QStringLiteral("编辑框2"), QStringLiteral("abc"));
        presenter()->refreshServerStatus();
        QVERIFY(!autosave->isActive());

        // Uptime after 3725 s of running.
        presenter()->setUptimeSeconds(3724);
        presenter()->countUptime();
        QCOMPARE(labelText(QStringLiteral("运行小时")), QStringLiteral("1"));
        QCOMPARE(labelText(QStringLiteral("运行分钟")), QStringLiteral("2"));

        // A command typed into the box, translated on the way back; the box is emptied.
        type(QStringLiteral("list"));
        QTRY_VERIFY_WITH_TIMEOUT(
            console().contains(QStringLiteral(" 信息] 服务器人数 0 of a max of 20 在线玩家")), 5000);
        QCOMPARE(control<QLineEdit>(QStringLiteral("编辑框1"))->text(), QString());

        // The autosave sends "list" and then "save-all".
        click(QStringLiteral("清空日志"));
        QCOMPARE(console(), QString());
        server()->autosaveTick();
        QTRY_VERIFY_WITH_TIMEOUT(console().contains(QStringLiteral("Saved the world")), 5000);
        QVERIFY(console().indexOf(QStringLiteral("服务器人数")) <
                console().indexOf(QStringLiteral("Saving...")));

        // "关闭" is a manual stop: no crash restart even with it on.
        setCrashRestart(true);
        click(QStringLiteral("超级按钮15"));
        QTRY_COMPARE_WITH_TIMEOUT(stateText(), QStringLiteral("未开服"), StartTimeoutMs);
        QVERIFY(console().contains(QStringLiteral("服务器已关闭")));
        QVERIFY(waitForEnd());
        QTest::qWait(NoRestartWindowMs);
        QVERIFY(!server()->isRunning());
        QVERIFY(!server()->isLaunchGathering());
        QCOMPARE(labelText(QStringLiteral("服务器崩溃重启次数1")), QStringLiteral("0"));
        QCOMPARE(labelText(QStringLiteral("标签4")), QStringLiteral("服务器 控制台"));
        QTRY_COMPARE(labelText(QStringLiteral("运行小时")), QStringLiteral("0"));
        QCOMPARE(control(QStringLiteral("图片框10"))->property("statusPicture").toInt(),
                 int(ConsolePresenter::Status::Stopped));
    }

    void chineseTextCrossesBothWays_data()
    {
        QTest::addColumn<QString>("extraArgs");
        QTest::newRow("UTF-8 server") << QString();
        QTest::newRow("GBK server") << QStringLiteral("-Dfile.encoding=GBK");
    }
    void chineseTextCrossesBothWays()
    {
        QFETCH(QString, extraArgs);
        setField(QStringLiteral("编辑框18"), extraArgs);
        QVERIFY(startServer());
        // A server started with -Dfile.encoding=GBK is spoken to in GBK from its first command,
        // before it has printed any Chinese text.
        if (!extraArgs.isEmpty())
            QVERIFY(console().contains(QStringLiteral("] 自定义后置开服参数*") + extraArgs));
        type(QStringLiteral("echo 你好世界"));
        QTRY_VERIFY_WITH_TIMEOUT(console().contains(QStringLiteral("\n你好世界\n")), 5000);
        type(QStringLiteral("echo 服务器"));
        QTRY_VERIFY_WITH_TIMEOUT(console().contains(QStringLiteral("\n服务器\n")), 5000);
    }

    void restartStartsANewServer()
    {
        setCrashRestart(true);
        QVERIFY(startServer());
        const qint64 first = server()->pid();
        click(QStringLiteral("超级按钮14"));
        QTRY_VERIFY_WITH_TIMEOUT(server()->pid() != first, StartTimeoutMs);
        QVERIFY(waitForStarted());
        QCOMPARE(labelText(QStringLiteral("服务器崩溃重启次数1")), QStringLiteral("0"));
        // The old server's end was manual and has been handled: the mark is gone.
        QCOMPARE(stopReason(), QString());
    }

    void restartWithoutAServerStartsAtOnce()
    {
        QSignalSpy launched(server(), &ServerRuntime::launchFinished);
        click(QStringLiteral("超级按钮14"));
        QVERIFY(server()->isLaunchGathering());
        QTRY_COMPARE(launched.size(), 1);
        QVERIFY(waitForStarted());
    }

    void forceStop()
    {
        // Stopped: refused with an info box.
        QTRY_COMPARE(stateText(), QStringLiteral("未开服"));
        QStringList seen;
        answerBoxes(QStringLiteral("确定"), &seen);
        click(QStringLiteral("超级按钮13"));
        QCOMPARE(seen, QStringList{QStringLiteral("强制关闭|服务器没有开无法强制关闭")});
        QCOMPARE(boxes::lastInfoKind(), 2);

        setCrashRestart(true);
        QVERIFY(startServer());
        QTRY_COMPARE(stateText(), QStringLiteral("已开服"));
        const qint64 pid = server()->pid();
        seen.clear();
        click(QStringLiteral("超级按钮13"));
        QTRY_COMPARE(seen, QStringList{QStringLiteral("强制关闭|确定要强制关闭服务器吗？可能会回档哦")});
        QTRY_VERIFY(console().contains(
            QStringLiteral("] 服务器进程ID（%1）已终止，服务器强制关闭完成。\n").arg(pid)));
        QVERIFY(waitForEnd());
        QTest::qWait(NoRestartWindowMs);
        QVERIFY(!server()->isRunning());
        QCOMPARE(labelText(QStringLiteral("服务器崩溃重启次数1")), QStringLiteral("0"));
    }

    void cancelledForceStopStillMarksTheStop()
    {
        setCrashRestart(true);
        QVERIFY(startServer());
        QTRY_COMPARE(stateText(), QStringLiteral("已开服"));
        QStringList seen;
        answerBoxes(QStringLiteral("取消"), &seen);
        click(QStringLiteral("超级按钮13"));
        QTRY_COMPARE(seen.size(), 1);
        QCOMPARE(stopReason(), QStringLiteral("手动"));
        type(QStringLiteral("crash"));
        QVERIFY(waitForEnd());
        QTest::qWait(NoRestartWindowMs);
        QVERIFY(!server()->isRunning());
        QCOMPARE(labelText(QStringLiteral("服务器崩溃重启次数1")), QStringLiteral("0"));
    }

    void typedStopIsACrashAndRestarts()
    {
        setCrashRestart(true);
        QVERIFY(startServer());
        const qint64 first = server()->pid();
        type(QStringLiteral("stop"));
        QTRY_COMPARE_WITH_TIMEOUT(labelText(QStringLiteral("服务器崩溃重启次数1")), QStringLiteral("1"),
                                  StartTimeoutMs);
        QVERIFY(waitForStarted());
        QVERIFY(server()->pid() != first);
        click(QStringLiteral("超级按钮15"));
        QVERIFY(waitForEnd());
        QCOMPARE(labelText(QStringLiteral("服务器崩溃重启次数1")), QStringLiteral("1"));
    }

    void refusedLaunchSpendsTheNextCrash()
    {
        setCrashRestart(true);
        setField(QStringLiteral("编辑框2"), QString());
        QSignalSpy launched(server(), &ServerRuntime::launchFinished);
        click(QStringLiteral("超级按钮16"));
        QTRY_COMPARE(launched.size(), 1);
        QVERIFY(console().contains(QStringLiteral("] 请设置自动保存时间")));
        QCOMPARE(stopReason(), QStringLiteral("手动"));

        setField(QStringLiteral("编辑框2"), QStringLiteral("3"));
        QVERIFY(startServer());
        type(QStringLiteral("crash"));
        QVERIFY(waitForEnd());
        QTest::qWait(NoRestartWindowMs);
        QVERIFY(!server()->isRunning());
        QCOMPARE(labelText(QStringLiteral("服务器崩溃重启次数1")), QStringLiteral("0"));

        QVERIFY(startServer());
        const qint64 second = server()->pid();
        type(QStringLiteral("crash"));
        QTRY_COMPARE_WITH_TIMEOUT(labelText(QStringLiteral("服务器崩溃重启次数1")), QStringLiteral("1"),
                                  StartTimeoutMs);
        QVERIFY(waitForStarted());
        QVERIFY(server()->pid() != second);
    }

    void refusedLaunches_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty Java") << QStringLiteral("编辑框3") << QString() << QStringLiteral(" Java问题")
                                    << QStringLiteral("] 请填写Java路径");
        QTest::newRow("folder as Java")
            << QStringLiteral("编辑框3") << QStringLiteral("<run>/panel") << QStringLiteral(" Java问题")
            << QStringLiteral("] 这个Java路径没有找到java.exe");
        QTest::newRow("empty memory") << QStringLiteral("编辑框5") << QString() << QStringLiteral(" 内存问题")
                                      << QStringLiteral("] 请填写分配内存");
        QTest::newRow("upper-case suffix")
            << QStringLiteral("编辑框4") << QStringLiteral("server.JAR") << QStringLiteral(" 核心问题")
            << QStringLiteral("] 请选择开服核心");
        QTest::newRow("missing core")
            << QStringLiteral("编辑框4") << QStringLiteral("missing.jar") << QStringLiteral(" 核心问题")
            << QStringLiteral("] 在<run>/panel/server/ 文件夹中没有找到开服器核心（missing.jar）");
        QTest::newRow("empty autosave")
            << QStringLiteral("编辑框2") << QString() << QStringLiteral(" 设置问题")
            << QStringLiteral("] 请设置自动保存时间");
    }
    void refusedLaunches()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, tag);
        QFETCH(QString, message);
        // The upper-case core exists, so only its suffix can refuse it.
        QFile core(m_dir->filePath(QStringLiteral("panel/server/server.JAR")));
        QVERIFY(core.open(QIODevice::WriteOnly));
        core.close();
        setField(field, QString(value).replace(QStringLiteral("<run>"), m_dir->path()));
        setCrashRestart(true);
        QSignalSpy launched(server(), &ServerRuntime::launchFinished);
        click(QStringLiteral("超级按钮16"));
        QTRY_COMPARE(launched.size(), 1);
        QCOMPARE(launched.at(0).at(0).toBool(), false);
        const QString text = console();
        message.replace(QStringLiteral("<run>"), m_dir->path());
        QVERIFY2(text.endsWith(tag + message + QLatin1Char('\n')), qPrintable(text));
        QVERIFY(text.startsWith(QLatin1Char('[')));
        QCOMPARE(text.count(QLatin1Char('\n')), text.count(QStringLiteral("\n[")) + 1);
        QCOMPARE(colourOf(tag), QColor(239, 83, 80));
        QCOMPARE(stopReason(), QStringLiteral("手动"));
        QVERIFY(!server()->isRunning());
    }

    void failedProcessCreationIsNotACrash()
    {
        const QString fake = m_dir->filePath(QStringLiteral("not-a-program"));
        QFile file(fake);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not executable");
        file.close();
        QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner);
        setField(QStringLiteral("编辑框3"), fake);
        setCrashRestart(true);
        QSignalSpy launched(server(), &ServerRuntime::launchFinished);
        click(QStringLiteral("超级按钮16"));
        QTRY_COMPARE(launched.size(), 1);
        QCOMPARE(launched.at(0).at(0).toBool(), false);
        const QString text = console();
        QCOMPARE(text.count(QStringLiteral(" 进程问题] ")), 1);
        QVERIFY(text.indexOf(QStringLiteral("检测完毕..准备开始启动服务器")) <
                text.indexOf(QStringLiteral(" 进程问题")));
        QVERIFY(text.endsWith(QLatin1Char('\n')));
        QCOMPARE(colourOf(QStringLiteral(" 进程问题")), QColor(239, 83, 80));
        QTest::qWait(NoRestartWindowMs);
        QVERIFY(!server()->isRunning());
        QVERIFY(!server()->isLaunchGathering());
        QCOMPARE(launched.size(), 1);
        QCOMPARE(labelText(QStringLiteral("服务器崩溃重启次数1")), QStringLiteral("0"));
    }

    void portQuestion_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("OK ends the holder") << QStringLiteral("确定");
        QTest::newRow("cancel moves the port") << QStringLiteral("取消");
        QTest::newRow("close only closes") << QStringLiteral("×");
    }
    void portQuestion()
    {
        QFETCH(QString, answer);
        // Another demo server, outside the launcher, holds the port.
        QTemporaryDir holderDir;
        QFile::copy(QStringLiteral(VELK_DEMO_SERVER_JAR),
                    holderDir.filePath(QStringLiteral("demo-server.jar")));
        QFile eula(holderDir.filePath(QStringLiteral("eula.txt")));
        QVERIFY(eula.open(QIODevice::WriteOnly));
        eula.write("eula=true");
        eula.close();
        QFile properties(holderDir.filePath(QStringLiteral("server.properties")));
        QVERIFY(properties.open(QIODevice::WriteOnly));
        properties.write("server-port=" + QByteArray::number(m_port) + "\n");
        properties.close();
        // Started the way the launcher starts its server: QProcess forks, which ThreadSanitizer
        // does not support in a process with threads.
        std::unique_ptr<ChildProcess> holder = ChildProcess::spawn(
            javaProgram(), {QStringLiteral("-jar"), QStringLiteral("demo-server.jar")}, holderDir.path());
        QVERIFY(holder);
        const auto endHolder = qScopeGuard([&holder] {
            killProcess(holder->pid());
            if (holder->waitForEnd())
                holder->collect();
        });
        QTRY_COMPARE_WITH_TIMEOUT(findPortOwner(m_port), holder->pid(), StartTimeoutMs);

        const qint64 holderPid = holder->pid();
        QStringList seen;
        answerBoxes(answer, &seen);
        QSignalSpy launched(server(), &ServerRuntime::launchFinished);
        click(QStringLiteral("超级按钮16"));
        QTRY_VERIFY(!launched.isEmpty());
        QTRY_COMPARE(seen.size(), 1);
        QCOMPARE(seen.at(0), QStringLiteral("检测端口占用|结束进程ID：%1，需要点击下方 [确定] \r\n"
                                            "随机更换服务器端口，需要点击下方 [取消]")
                                 .arg(holderPid));

        if (answer == QStringLiteral("×")) {
            QVERIFY(console().contains(QStringLiteral(" 端口问题] 端口已被其它程序占用")));
            QVERIFY(!server()->isLaunchGathering());
            QVERIFY(!server()->isRunning());
            QVERIFY(processExists(holderPid));
        } else if (answer == QStringLiteral("确定")) {
            QTRY_VERIFY_WITH_TIMEOUT(!processExists(holderPid), StartTimeoutMs);
            QVERIFY(waitForStarted());
            QVERIFY(console().contains(QStringLiteral("] 服务器监听端口*%1").arg(m_port)));
        } else {
            const QString moved = serverprops::readServerProperty(QStringLiteral("server-port"));
            QVERIFY(moved != QString::number(m_port));
            QVERIFY(moved.toInt() >= 10000 && moved.toInt() <= 65535);
            QVERIFY(waitForStarted());
            QVERIFY(console().contains(QStringLiteral("] 服务器监听端口*") + moved));
            QVERIFY(console().contains(QStringLiteral("Starting Minecraft server on *:") + moved) ||
                    console().contains(QStringLiteral("启动我的世界服务器*:") + moved));
            QVERIFY(processExists(holderPid));
        }
    }

    void commandBoxAndConsoleFocus()
    {
        QWidget* window = m_launcher->window();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        click(QStringLiteral("超级按钮3")); // the console page
        auto* box = control<QLineEdit>(QStringLiteral("编辑框1"));
        auto* frame = control<FrameBox>(QStringLiteral("外形框2"));
        const QString placeholder = QStringLiteral("无需输入 / （Enter发送指令到控制台）");
        QCOMPARE(box->text(), placeholder);
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        QCOMPARE(box->text(), QString());
        QCOMPARE(frame->lineColor(), theme::current(frame).main);

        // While a chat box is shown, Enter is the chat's and the command stays.
        auto* chat = new QLineEdit(window);
        chat->setObjectName(QStringLiteral("编辑框13"));
        presenter()->setChatBox(chat);
        chat->show();
        box->setText(QStringLiteral("list"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->text(), QStringLiteral("list"));
        chat->hide();
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->text(), QString());

        // The console never keeps the focus; the editor's text box gets it when there is one.
        auto* view = consoleView();
        view->setFocus();
        QTRY_VERIFY(!view->hasFocus());
        QCOMPARE(box->text(), placeholder);
        QCOMPARE(frame->lineColor(), QColor(236, 236, 236));
        auto* editor = new QLineEdit(window);
        editor->setObjectName(QStringLiteral("超级编辑框1"));
        presenter()->setConsoleFocusTarget(editor);
        editor->show();
        view->setFocus();
        QTRY_VERIFY(editor->hasFocus());
    }

    // A server that floods its console: the window keeps handling events, the console stays under
    // its limit, and the end of the flood is shown.
    void floodKeepsTheWindowResponsive()
    {
        QVERIFY(startServer());
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 largestGap = 0;
        QTimer beat;
        beat.setInterval(20);
        connect(&beat, &QTimer::timeout, this, [&] {
            const qint64 now = clock.elapsed();
            largestGap = std::max(largestGap, now - last);
            last = now;
        });
        clock.start();
        beat.start();
        type(QStringLiteral("flood 200000"));
        QTRY_VERIFY_WITH_TIMEOUT(console().contains(QStringLiteral("FLOOD-DONE")), 240000);
        beat.stop();
        qInfo("largest gap between 20 ms beats during the flood: %lld ms", largestGap);
        QVERIFY(
            console().contains(QStringLiteral("] 由于控制台信息量超过 200000 长度，系统已经自动帮你清理了")));
        QVERIFY(consoleView()->gbkLength() <= ConsoleByteLimit);
        // Measured at about 30 ms; a sanitizer build runs several times slower.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
        constexpr qint64 GapBoundMs = 1000;
#else
        constexpr qint64 GapBoundMs = 250;
#endif
        QVERIFY2(largestGap < GapBoundMs, qPrintable(QString::number(largestGap)));
        // Still talking after the flood.
        type(QStringLiteral("echo after-the-flood"));
        QTRY_VERIFY_WITH_TIMEOUT(console().contains(QStringLiteral("after-the-flood")), 10000);
    }
};

QTEST_MAIN(ServerConsoleTest)
#include "ServerConsole_test.moc"
