#include "config/ServerProperties.h"
#include "gui/LauncherClient.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The real launcher binary, driven through its automation socket.
class LauncherTest : public QObject {
    Q_OBJECT

private:
    // Generous: two cores are shared by parallel builds and tests.
    static constexpr int Timeout = 60000;

    static QByteArray readAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    // Every file and folder under `root` with its size, to show that nothing was touched.
    static QStringList tree(const QString& root)
    {
        QStringList entries;
        QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            const QFileInfo info = it.fileInfo();
            entries << QDir(root).relativeFilePath(info.filePath()) + QLatin1Char(' ') +
                           (info.isDir() ? QStringLiteral("dir") : QString::number(info.size()));
        }
        entries.sort();
        return entries;
    }

    // Boxes as "kind|title|text", so a failed comparison shows them.
    static QStringList flat(const std::optional<QList<QStringList>>& boxes)
    {
        if (!boxes)
            return {QStringLiteral("<error reply>")};
        QStringList out;
        for (const QStringList& box : *boxes)
            out << box.join(u'|');
        return out;
    }

    static QString runDirWithDownload(const QTemporaryDir& root)
    {
        const QString dir = root.filePath(QStringLiteral("run"));
        QDir().mkpath(dir + QStringLiteral("/download"));
        return dir;
    }

private slots:
    void firstRunPreparesTheWorkspace()
    {
        QTemporaryDir root;
        const QString dir = runDirWithDownload(root);
        LauncherClient launcher;
        QVERIFY2(launcher.start(dir), qPrintable(launcher.lastError()));
        // The first answered command runs after the start-up sequence.
        QCOMPARE(launcher.value(QStringLiteral("get 目前位置")), QStringLiteral("目前位置 * [ 主页信息 ]"));

        for (const char* folder : {"panel", "panel/server", "panel/task-logs", "panel/Console-lang"})
            QVERIFY2(QFileInfo(dir + QLatin1Char('/') + QLatin1String(folder)).isDir(), folder);
        const QString properties = dir + QStringLiteral("/panel/server/server.properties");
        QCOMPARE(QFileInfo(properties).size(), 722);
        QCOMPARE(readAll(properties), serverprops::defaultTemplate());
        QVERIFY(QFileInfo(dir + QStringLiteral("/download")).isDir());
    }

    void workspaceIsRestoredWhileRunning()
    {
        QTemporaryDir root;
        const QString dir = runDirWithDownload(root);
        LauncherClient launcher;
        QVERIFY2(launcher.start(dir), qPrintable(launcher.lastError()));
        const QString properties = dir + QStringLiteral("/panel/server/server.properties");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(properties).size() == 722, Timeout);

        QVERIFY(QDir(dir + QStringLiteral("/panel/server")).removeRecursively());
        QTRY_COMPARE_WITH_TIMEOUT(readAll(properties), serverprops::defaultTemplate(), Timeout);

        QFile emptied(properties);
        QVERIFY(emptied.open(QIODevice::WriteOnly | QIODevice::Truncate));
        emptied.close();
        QCOMPARE(QFileInfo(properties).size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(readAll(properties), serverprops::defaultTemplate(), Timeout);

        // A file the user edited is left alone.
        QVERIFY(emptied.open(QIODevice::WriteOnly | QIODevice::Truncate));
        emptied.write("motd=mine\n");
        emptied.close();
        QCOMPARE(launcher.send(QStringLiteral("wait 2500")).line, QStringLiteral("ok"));
        QCOMPARE(readAll(properties), QByteArray("motd=mine\n"));
    }

    void startupRefusals_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("made"); // folders the test makes in the run directory
        QTest::addColumn<QString>("text");
        const QString blank = QStringLiteral(
            "开服器启动失败...\r\n原因分析：开服器运行路径存在空格~请尝试将开服器移动到其他硬盘");
        const QString noDownload = QStringLiteral("开服器启动失败...\r\n原因分析：缺少 download 文件夹");
        QTest::newRow("blank in the path")
            << QStringLiteral("my run") << QStringList{QStringLiteral("download")} << blank;
        QTest::newRow("blank wins over a missing download")
            << QStringLiteral("my run") << QStringList{} << blank;
        QTest::newRow("no download, panel present")
            << QStringLiteral("run")
            << QStringList{QStringLiteral("panel"), QStringLiteral("panel/server"),
                           QStringLiteral("panel/task-logs")}
            << noDownload;
    }
    void startupRefusals()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, made);
        QFETCH(QString, text);
        QTemporaryDir root;
        const QString dir = root.filePath(folder);
        QVERIFY(QDir().mkpath(dir));
        for (const QString& sub : made)
            QVERIFY(QDir(dir).mkpath(sub));
        const QStringList before = tree(dir);

        LauncherClient launcher;
        QVERIFY2(launcher.start(dir), qPrintable(launcher.lastError()));
        const auto open = launcher.boxes();
        QCOMPARE(flat(open), QStringList{QStringLiteral("info|启动检测|") + text + QStringLiteral("|2")});
        // The refusal comes before the main window exists.
        QVERIFY(launcher.value(QStringLiteral("get 目前位置")).startsWith(QStringLiteral("<error")));
        QCOMPARE(tree(dir), before);

        QCOMPARE(launcher.send(QStringLiteral("answer 确定")).line, QStringLiteral("ok"));
        QVERIFY(launcher.waitForExit(Timeout));
        QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
        QCOMPARE(launcher.exitCode(), 0);
        QCOMPARE(tree(dir), before);
        QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/panel")) || made.contains(QStringLiteral("panel")));
        QVERIFY(!QFileInfo::exists(launcher.socketPath()));
    }

    void modalBoxKeepsTheSocketAnswering()
    {
        QTemporaryDir root;
        const QString dir = runDirWithDownload(root);
        LauncherClient launcher;
        QVERIFY2(launcher.start(dir), qPrintable(launcher.lastError()));
        QCOMPARE(launcher.send(QStringLiteral("click 超级按钮3")).line, QStringLiteral("ok"));
        QCOMPARE(launcher.send(QStringLiteral("click 超级按钮5")).line, QStringLiteral("ok"));
        QCOMPARE(launcher.value(QStringLiteral("get 目前位置")), QStringLiteral("目前位置 * [ 开服设置 ]"));
        QCOMPARE(launcher.send(QStringLiteral("set 编辑框2 ")).line, QStringLiteral("ok"));

        // The reply comes once the click's modal box is shown, from inside the box's loop.
        QCOMPARE(launcher.send(QStringLiteral("click 超级按钮21")).line, QStringLiteral("ok"));
        const QStringList shown{QStringLiteral("info|数据提示|数据不能为空|2")};
        QCOMPARE(flat(launcher.boxes()), shown);
        QCOMPARE(launcher.value(QStringLiteral("get 标签2")), QStringLiteral("数据不能为空"));
        QCOMPARE(launcher.value(QStringLiteral("get 目前位置")), QStringLiteral("目前位置 * [ 开服设置 ]"));
        QCOMPARE(launcher.send(QStringLiteral("wait 200")).line, QStringLiteral("ok"));
        // The box is modal: the window behind it takes no clicks.
        const LauncherClient::Reply blocked = launcher.send(QStringLiteral("click 超级按钮21"));
        QVERIFY2(!blocked.ok && blocked.value.contains(QStringLiteral("modal")), qPrintable(blocked.line));
        QCOMPARE(flat(launcher.boxes()), shown);

        QCOMPARE(launcher.send(QStringLiteral("answer 确定")).line, QStringLiteral("ok"));
        QCOMPARE(flat(launcher.boxes()), QStringList());
        QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/panel/server.ini")));
        // Back in the main loop, the window takes input again.
        QCOMPARE(launcher.send(QStringLiteral("click 超级按钮1")).line, QStringLiteral("ok"));
        QCOMPARE(launcher.value(QStringLiteral("get 目前位置")), QStringLiteral("目前位置 * [ 主页信息 ]"));
    }

    void closeButtonEndsTheLauncher()
    {
        QTemporaryDir root;
        const QString dir = runDirWithDownload(root);
        LauncherClient launcher;
        QVERIFY2(launcher.start(dir), qPrintable(launcher.lastError()));

        struct stat socket {};
        QCOMPARE(::lstat(QFile::encodeName(launcher.socketPath()).constData(), &socket), 0);
        QVERIFY(S_ISSOCK(socket.st_mode));
        QCOMPARE(socket.st_mode & 07777, mode_t(0600));

        QCOMPARE(launcher.send(QStringLiteral("click 超级按钮2")).line, QStringLiteral("ok"));
        QVERIFY(launcher.waitForExit(Timeout));
        QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
        QCOMPARE(launcher.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(launcher.socketPath()));
    }

    void terminationSignalShutsDownCleanly()
    {
        QTemporaryDir root;
        const QString dir = runDirWithDownload(root);
        const QStringList playerFiles = {dir + QStringLiteral("/panel/server/plugins/tolvix_manager/playerinfo.txt"),
                                         dir + QStringLiteral("/panel/server/plugins/tolvix_velk/playerinfo.txt")};
        for (const QString& file : playerFiles) {
            QVERIFY(QDir().mkpath(QFileInfo(file).path()));
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        LauncherClient launcher;
        QVERIFY2(launcher.start(dir), qPrintable(launcher.lastError()));
        launcher.terminate();
        QVERIFY(launcher.waitForExit(Timeout));
        QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
        QCOMPARE(launcher.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(launcher.socketPath()));
        for (const QString& file : playerFiles)
            QVERIFY2(!QFileInfo::exists(file), qPrintable(file));
    }

    void badInputGetsAnErrorAndTheLauncherGoesOn()
    {
        QTemporaryDir root;
        const QString dir = runDirWithDownload(root);
        LauncherClient launcher;
        QVERIFY2(launcher.start(dir), qPrintable(launcher.lastError()));

        const QList<QByteArray> bad = {
            "\n",
            "frobnicate\n",
            "get\n",
            "get 没有这个控件\n",
            "prop 目前位置 checked\n",
            "set 目前位置 text\n",
            "set 编辑框2 a\\q\n",
            "set 编辑框2 trailing\\\n",
            "select 目前位置 0\n",
            "select 选择夹1 x\n",
            "key 编辑框2 NoSuchKey\n",
            "wait -1\n",
            "wait 99999999999\n",
            "answer 确定\n",
            "drop 目前位置\n",
            "screenshot /nonexistent-folder/x.png\n",
            "\xff\xfe get 目前位置\n",
            QByteArray("get \x00\x01\x02\n", 8),
            QByteArray(2 * 1024 * 1024, 'A') + "\n",
        };
        for (const QByteArray& bytes : bad) {
            const LauncherClient::Reply reply = launcher.sendRaw(bytes);
            QVERIFY2(reply.line.startsWith(QStringLiteral("error ")),
                     qPrintable(QString::fromUtf8(bytes.left(60)) + QStringLiteral(" -> ") + reply.line));
        }
        // The replies stay in step with the commands, and the launcher still works.
        QCOMPARE(launcher.value(QStringLiteral("get 目前位置")), QStringLiteral("目前位置 * [ 主页信息 ]"));
        QCOMPARE(launcher.value(QStringLiteral("get 编辑框2")), QString());
        QVERIFY(launcher.isRunning());

        const QString picture = root.filePath(QStringLiteral("window.png"));
        QCOMPARE(launcher.send(QStringLiteral("screenshot ") + LauncherClient::escape(picture)).line,
                 QStringLiteral("ok"));
        QVERIFY(readAll(picture).startsWith("\x89PNG"));
    }
};

QTEST_GUILESS_MAIN(LauncherTest)
#include "Launcher_test.moc"
