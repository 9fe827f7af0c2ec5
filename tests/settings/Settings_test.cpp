#include "core/SmallFileSystem.h"
#include "core/TestFiles.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "platform/RunDirectory.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using Values = QList<std::pair<QString, QString>>;

class SettingsTest : public QObject {
    Q_OBJECT

private:
    static Values launchValues(const QString& javaPath)
    {
        return {
            {settings::AutosaveKey, QStringLiteral("3")},      {settings::JavaPathKey, javaPath},
            {settings::CoreKey, QStringLiteral("nukkit.jar")}, {settings::MemoryKey, QStringLiteral("1024")},
            {settings::ChatNameKey, QStringLiteral("管理员")}, {settings::ExtraArgsKey, QString()}};
    }

private slots:
    void cleanup() { rundir::setOverride({}); }

    void savedValuesReadBackAsTyped_data()
    {
        QTest::addColumn<QString>("javaPath");
        QTest::addColumn<QString>("failure");
        QTest::newRow("plain path") << QStringLiteral("/usr/bin/java") << QString();
        QTest::newRow("text GBK cannot hold") << QStringLiteral("/opt/자바/jdk🎮/bin/java") << QString();
        QTest::newRow("line feed") << QStringLiteral("/usr/bin/java\n[保留配置]\n崩服自启=启用")
                                   << settings::SaveLineBreakText;
        QTest::newRow("carriage return") << QStringLiteral("/usr/bin/java\r") << settings::SaveLineBreakText;
        QTest::newRow("lone surrogate")
            << QString(QChar(0xD83C)) + QStringLiteral("java") << settings::SaveFailedText;
    }
    void savedValuesReadBackAsTyped()
    {
        QFETCH(QString, javaPath);
        QFETCH(QString, failure);
        QTemporaryDir run;
        rundir::setOverride(run.path());
        QVERIFY(QDir(run.path()).mkdir(QStringLiteral("panel")));
        // A file as an older version left it: GBK, a comment and a byte no code page maps.
        const QByteArray before = codepage::toGbk(QStringLiteral("; 旧\r\n[服务器数据]\r\n内存=512\r\n")) +
                                  QByteArray("junk=\x80\xff\r\n");
        writeRaw(settings::serverSettingsPath(), before);

        QCOMPARE(settings::saveServerSettings(launchValues(javaPath)), failure);
        const QByteArray after = readWholeFile(settings::serverSettingsPath());
        if (!failure.isEmpty()) {
            QCOMPARE(after, before);
            return;
        }
        // Read back the way a restarted launcher reads it.
        for (const auto& [key, value] : launchValues(javaPath))
            QCOMPARE(settings::readServerSetting(key), value);
        // Other lines keep their bytes; text GBK holds is stored as GBK, as older versions did.
        QVERIFY(after.startsWith(codepage::toGbk(QStringLiteral("; 旧\r\n[服务器数据]\r\n"))));
        QVERIFY(after.contains(QByteArray("junk=\x80\xff\r\n")));
        QVERIFY(after.contains(codepage::toGbk(QStringLiteral("\r\n聊天名称=管理员\r\n"))));
        QVERIFY(!after.contains('?'));
        QCOMPARE(after.count("\r\n"), 9);
    }

    void failedSaveLeavesTheFileAndSaysSo_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("full disk") << QStringLiteral("full");
        QTest::newRow("immutable file") << QStringLiteral("immutable");
        QTest::newRow("folder in the way") << QStringLiteral("folder");
        QTest::newRow("oversized file") << QStringLiteral("huge");
    }
    void failedSaveLeavesTheFileAndSaysSo()
    {
        QFETCH(QString, fault);
        SmallFileSystem fs(8 * 1024 * 1024);
        if (!fs.isMounted())
            QSKIP(qPrintable(fs.error()));
        rundir::setOverride(fs.path());
        const QString file = settings::serverSettingsPath();
        QByteArray before = codepage::toGbk(QStringLiteral("[服务器数据]\r\n内存=512\r\n"));
        if (fault == QLatin1String("huge"))
            before += QByteArray(ini::MaxFileSize, ';');
        if (fault == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(file));
        else
            writeRaw(file, before);
        if (fault == QLatin1String("full"))
            QVERIFY(fs.fill());
        if (fault == QLatin1String("immutable"))
            QVERIFY(SmallFileSystem::setImmutable(file, true));

        QCOMPARE(settings::saveServerSettings(launchValues(QStringLiteral("/usr/bin/java"))),
                 settings::SaveFailedText);
        QVERIFY(!settings::writeServerSetting(settings::MemoryKey, QStringLiteral("2048")));
        if (fault == QLatin1String("folder"))
            QVERIFY(QFileInfo(file).isDir());
        else
            QCOMPARE(readWholeFile(file), before);
        // An oversized file is not read either (start-up used to spend seconds on it).
        QCOMPARE(settings::readServerSetting(settings::MemoryKey),
                 fault == QLatin1String("huge") || fault == QLatin1String("folder") ? QString()
                                                                                    : QStringLiteral("512"));
        if (fault == QLatin1String("immutable"))
            QVERIFY(SmallFileSystem::setImmutable(file, false));
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "Settings_test.moc"
