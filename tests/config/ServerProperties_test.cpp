#include "app/Workspace.h"
#include "config/ServerProperties.h"
#include "core/SmallFileSystem.h"
#include "core/TestFiles.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/RunDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class ServerPropertiesTest : public QObject {
    Q_OBJECT

private:
private slots:
    void cleanup() { rundir::setOverride({}); }

    void onlyTheChangedValueChanges_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value"); // as read before the write
        QTest::addColumn<QString>("newValue");
        QTest::addColumn<QByteArray>("after");
        const QByteArray utf8Motd = QStringLiteral("motd=Grüße 中文 🎮\r\n").toUtf8();
        QTest::newRow("UTF-8 file, other key") << utf8Motd + "pvp=true\r\n"
                                               << QStringLiteral("pvp") << QStringLiteral("true")
                                               << QStringLiteral("false") << utf8Motd + "pvp=false\r\n";
        QTest::newRow("UTF-8 file, its own value")
            << utf8Motd + "pvp=true" << QStringLiteral("motd") << QStringLiteral("Grüße 中文 🎮")
            << QStringLiteral("新服 ✓") << QStringLiteral("motd=新服 ✓\r\npvp=true").toUtf8();
        const QByteArray gbk = codepage::toGbk(QStringLiteral("#服务器\r\nmotd=中文服\r\npvp=true\r\n"));
        QTest::newRow("GBK file") << gbk << QStringLiteral("motd") << QStringLiteral("中文服")
                                  << QStringLiteral("新服")
                                  << codepage::toGbk(QStringLiteral("#服务器\r\nmotd=新服\r\npvp=true\r\n"));
        QTest::newRow("stray bytes and a lone last byte")
            << QByteArray("a=\xff\x80\r\npvp=true\r\nz=\x81") << QStringLiteral("pvp")
            << QStringLiteral("true") << QStringLiteral("false")
            << QByteArray("a=\xff\x80\r\npvp=false\r\nz=\x81");
        QTest::newRow("ASCII file, value GBK holds")
            << QByteArray("motd=A\r\n") << QStringLiteral("motd") << QStringLiteral("A")
            << QStringLiteral("中") << QByteArray("motd=\xd6\xd0\r\n");
        QTest::newRow("ASCII file, value GBK cannot hold")
            << QByteArray("motd=A\r\n") << QStringLiteral("motd") << QStringLiteral("A")
            << QStringLiteral("🎮") << QByteArray("motd=\xf0\x9f\x8e\xae\r\n");
        QTest::newRow("force-gamemode lines only are removed")
            << QByteArray("force-gamemode=true\r\n\xff=1\r\npvp=true\r\nforce-gamemode=false\r\n")
            << QStringLiteral("pvp") << QStringLiteral("true") << QStringLiteral("true")
            << QByteArray("\xff=1\r\npvp=true\r\n");
    }
    void onlyTheChangedValueChanges()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, newValue);
        QFETCH(QByteArray, after);
        QTemporaryDir run;
        rundir::setOverride(run.path());
        writeRaw(serverprops::propertiesPath(), content);
        QCOMPARE(serverprops::readServerProperty(key), value);
        serverprops::writeServerProperty(key, newValue);
        QCOMPARE(readWholeFile(serverprops::propertiesPath()), after);
        QCOMPARE(serverprops::readServerProperty(key), newValue);
    }

    // The launch path on a full disk: the port is read and rewritten, the stray line is removed, and
    // the once-a-second housekeeping runs. Nothing may empty the file or put the template over it.
    void fullDiskLeavesTheSettingsAsTheyWere()
    {
        SmallFileSystem fs;
        if (!fs.isMounted())
            QSKIP(qPrintable(fs.error()));
        rundir::setOverride(fs.path());
        const QByteArray before = "force-gamemode=false\r\nserver-port=25565\r\nmotd=mine\r\n";
        writeRaw(serverprops::propertiesPath(), before);
        QVERIFY(fs.fill());
        QCOMPARE(serverprops::readServerProperty(QStringLiteral("server-port")), QStringLiteral("25565"));
        serverprops::writeServerProperty(QStringLiteral("server-port"), QStringLiteral("30001"));
        workspace::prepareWorkspace();
        QCOMPARE(readWholeFile(serverprops::propertiesPath()), before);
    }

    void unreadableFileIsNeitherRewrittenNorReplaced()
    {
        QTemporaryDir run;
        rundir::setOverride(run.path());
        const QByteArray huge = "server-port=25565\r\n" + QByteArray(5 * 1024 * 1024, '#');
        writeRaw(serverprops::propertiesPath(), huge);
        QCOMPARE(serverprops::readServerProperty(QStringLiteral("server-port")), QString());
        serverprops::writeServerProperty(QStringLiteral("server-port"), QStringLiteral("1"));
        workspace::prepareWorkspace();
        QCOMPARE(readWholeFile(serverprops::propertiesPath()), huge);
    }
};

QTEST_GUILESS_MAIN(ServerPropertiesTest)
#include "ServerProperties_test.moc"
