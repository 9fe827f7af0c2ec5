#include "settings/Settings.h"
#include "app/Workspace.h"
#include "config/ServerProperties.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/RunDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class WorkspaceTest : public QObject {
    Q_OBJECT

private:
    static void writeRaw(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private slots:
    void startupRefusals_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("withDownload");
        QTest::addColumn<QString>("expected");
        const QString blank = QStringLiteral(
            "开服器启动失败...\r\n原因分析：开服器运行路径存在空格~请尝试将开服器移动到其他硬盘");
        const QString noDownload = QStringLiteral("开服器启动失败...\r\n原因分析：缺少 download 文件夹");
        QTest::newRow("ready") << QStringLiteral("run") << true << QString();
        QTest::newRow("no download") << QStringLiteral("run") << false << noDownload;
        QTest::newRow("blank wins over missing download") << QStringLiteral("my run") << false << blank;
        QTest::newRow("blank with download") << QStringLiteral("my run") << true << blank;
    }
    void startupRefusals()
    {
        QFETCH(QString, folder);
        QFETCH(bool, withDownload);
        QFETCH(QString, expected);
        QTemporaryDir root;
        const QString dir = root.filePath(folder);
        QVERIFY(QDir().mkpath(dir));
        if (withDownload)
            QVERIFY(QDir(dir).mkdir(QStringLiteral("download")));
        QCOMPARE(workspace::startupRefusal(dir), expected);
        QCOMPARE(QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), withDownload ? 1 : 0);
    }

    void prepareCreatesAndRestoresTheWorkspace()
    {
        QTemporaryDir root;
        rundir::setOverride(root.path());
        workspace::prepareWorkspace();
        for (const char* folder : {"panel", "panel/server", "panel/task-logs", "panel/Console-lang"})
            QVERIFY2(QFileInfo(root.filePath(QString::fromLatin1(folder))).isDir(), folder);
        const QString properties = root.filePath(QStringLiteral("panel/server/server.properties"));
        QCOMPARE(readWholeFile(properties), serverprops::defaultTemplate());
        QCOMPARE(serverprops::defaultTemplate().size(), 722);

        // A deleted server folder and an emptied file both come back on the next call.
        QVERIFY(QDir(root.filePath(QStringLiteral("panel/server"))).removeRecursively());
        workspace::prepareWorkspace();
        QCOMPARE(readWholeFile(properties), serverprops::defaultTemplate());
        writeRaw(properties, QByteArray());
        workspace::prepareWorkspace();
        QCOMPARE(readWholeFile(properties), serverprops::defaultTemplate());

        // A file with content is never replaced.
        writeRaw(properties, "server-port=1\r\n");
        workspace::prepareWorkspace();
        QCOMPARE(readWholeFile(properties), QByteArray("server-port=1\r\n"));
    }

    void serverPropertiesReadAndWrite_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("newValue");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("first occurrence wins")
            << QByteArray("pvp=true\r\npvp=false\r\n") << QStringLiteral("pvp") << QStringLiteral("true")
            << QStringLiteral("false") << QByteArray("pvp=false\r\npvp=false\r\n");
        QTest::newRow("last line without line end")
            << QByteArray("a=1\r\nmotd=A Minecraft Server") << QStringLiteral("motd")
            << QStringLiteral("A Minecraft Server") << QStringLiteral("Hi") << QByteArray("a=1\r\nmotd=Hi");
        QTest::newRow("bare newline") << QByteArray("server-port=25565\nmotd=x\n")
                                      << QStringLiteral("server-port") << QStringLiteral("25565")
                                      << QStringLiteral("30000") << QByteArray("server-port=30000\nmotd=x\n");
        QTest::newRow("blanks kept") << QByteArray("motd= A B \r\n") << QStringLiteral("motd")
                                     << QStringLiteral(" A B ") << QStringLiteral("C")
                                     << QByteArray("motd=C\r\n");
        QTest::newRow("absent key not added")
            << QByteArray("pvp=true\r\n") << QStringLiteral("hardcore") << QString() << QStringLiteral("true")
            << QByteArray("pvp=true\r\n");
        QTest::newRow("force-gamemode lines dropped")
            << QByteArray("force-gamemode=false\r\npvp=true\r\nFORCE-GAMEMODE=true\r\nforce-gamemode=true")
            << QStringLiteral("pvp") << QStringLiteral("true") << QStringLiteral("true")
            << QByteArray("pvp=true\r\nFORCE-GAMEMODE=true\r\nforce-gamemode=true");
        QTest::newRow("match not tied to line start")
            << QByteArray("max-players=20\r\nplayers=5\r\n") << QStringLiteral("players")
            << QStringLiteral("20") << QStringLiteral("9") << QByteArray("max-players=9\r\nplayers=5\r\n");
    }
    void serverPropertiesReadAndWrite()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, newValue);
        QFETCH(QByteArray, after);
        QTemporaryDir root;
        rundir::setOverride(root.path());
        QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("panel/server"))));
        writeRaw(serverprops::propertiesPath(), content);
        QCOMPARE(serverprops::readServerProperty(key), value);
        serverprops::writeServerProperty(key, newValue);
        QCOMPARE(readWholeFile(serverprops::propertiesPath()), after);
    }

    void preferencesReadOnlyTheOnText_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("on");
        QTest::newRow("启用") << QStringLiteral("启用") << true;
        QTest::newRow("停用") << QStringLiteral("停用") << false;
        QTest::newRow("1") << QStringLiteral("1") << false;
        QTest::newRow("on") << QStringLiteral("on") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void preferencesReadOnlyTheOnText()
    {
        QFETCH(QString, stored);
        QFETCH(bool, on);
        QTemporaryDir root;
        rundir::setOverride(root.path());
        QVERIFY(QDir(root.path()).mkdir(QStringLiteral("panel")));
        if (!stored.isEmpty())
            QVERIFY(settings::writePreference(settings::EasingKey, stored));
        QCOMPARE(settings::isOn(settings::readPreference(settings::EasingKey)), on);
    }
};

QTEST_GUILESS_MAIN(WorkspaceTest)
#include "Workspace_test.moc"
