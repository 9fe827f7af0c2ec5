#include "core/SmallFileSystem.h"
#include "core/TestFiles.h"
#include "platform/AtomicFile.h"
#include "platform/IniFile.h"
#include "platform/RunDirectory.h"
#include "server/LaunchChecks.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class AtomicFileTest : public QObject {
    Q_OBJECT

private:
    static QStringList leftovers(const QString& folder)
    {
        return QDir(folder).entryList({QStringLiteral(".*.new-*")}, QDir::Files | QDir::Hidden);
    }

private slots:
    void cleanup() { rundir::setOverride({}); }

    void failedWritesKeepTheOldFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("full disk") << QStringLiteral("full");
        QTest::newRow("immutable file") << QStringLiteral("immutable");
        QTest::newRow("folder in the way") << QStringLiteral("folder");
    }
    void failedWritesKeepTheOldFile()
    {
        QFETCH(QString, fault);
        SmallFileSystem fs;
        if (!fs.isMounted())
            QSKIP(qPrintable(fs.error()));
        rundir::setOverride(fs.path());
        const QString file = fs.filePath(QStringLiteral("panel/velk.ini"));
        const QByteArray old = "[s]\r\nk=old\r\n";
        if (fault == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(file));
        else
            writeRaw(file, old);
        if (fault == QLatin1String("full"))
            QVERIFY(fs.fill());
        if (fault == QLatin1String("immutable"))
            QVERIFY(SmallFileSystem::setImmutable(file, true));

        QVERIFY(!writeFileAtomically(file, QByteArray(3000, 'x')));
        QVERIFY(!ini::writeValue(file, QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("new")));
        if (fault == QLatin1String("folder")) {
            QVERIFY(QFileInfo(file).isDir());
        } else {
            QCOMPARE(readWholeFile(file), old);
            QCOMPARE(ini::readValue(file, QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("old"));
        }
        QCOMPARE(leftovers(fs.filePath(QStringLiteral("panel"))), QStringList());
        if (fault == QLatin1String("immutable"))
            QVERIFY(SmallFileSystem::setImmutable(file, false));
    }

    void writeSucceedsAgainOnceThereIsRoom()
    {
        SmallFileSystem fs;
        if (!fs.isMounted())
            QSKIP(qPrintable(fs.error()));
        const QString file = fs.filePath(QStringLiteral("a.txt"));
        writeRaw(file, "old");
        QVERIFY(fs.fill());
        QVERIFY(!writeFileAtomically(file, "new"));
        QVERIFY(QFile::remove(fs.filePath(QStringLiteral(".filler"))));
        QVERIFY(writeFileAtomically(file, "new"));
        QCOMPARE(readWholeFile(file), QByteArray("new"));
    }

    // panel/velk.ini as a link: where it points ("OUT/" is a folder beside the run directory, whose
    // velk.ini must keep its bytes), and which file holds the written value afterwards.
    void linksNeverLeadAWriteOutside_data()
    {
        QTest::addColumn<QString>("linkTarget");
        QTest::addColumn<QString>("writtenFile"); // which file holds the new bytes afterwards
        QTest::newRow("link leaving") << QStringLiteral("OUT/velk.ini") << QStringLiteral("panel/velk.ini");
        QTest::newRow("dangling link leaving")
            << QStringLiteral("OUT/missing.ini") << QStringLiteral("panel/velk.ini");
        QTest::newRow("relative link leaving")
            << QStringLiteral("../../../out/velk.ini") << QStringLiteral("panel/velk.ini");
        QTest::newRow("link staying inside")
            << QStringLiteral("panel/real.ini") << QStringLiteral("panel/real.ini");
        QTest::newRow("dangling link inside")
            << QStringLiteral("panel/new.ini") << QStringLiteral("panel/new.ini");
    }
    void linksNeverLeadAWriteOutside()
    {
        const QString name = QStringLiteral("panel/velk.ini");
        QFETCH(QString, linkTarget);
        QFETCH(QString, writtenFile);
        QTemporaryDir base;
        const QString run = base.filePath(QStringLiteral("run/velk"));
        const QString out = base.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(run + QStringLiteral("/panel")));
        QVERIFY(QDir().mkpath(out));
        writeRaw(out + QStringLiteral("/velk.ini"), "outside");
        writeRaw(run + QStringLiteral("/panel/real.ini"), "inside");
        rundir::setOverride(run);

        QString target = linkTarget;
        if (target.startsWith(QLatin1String("OUT/")))
            target = out + target.mid(3);
        else if (target.startsWith(QLatin1String("panel/")))
            target = run + QLatin1Char('/') + target;
        const QString path = rundir::join(name);
        QVERIFY(QFile::link(target, path));

        QVERIFY(settings::writePreference(settings::EasingKey, settings::OnValue));
        QCOMPARE(settings::readPreference(settings::EasingKey), settings::OnValue);
        QCOMPARE(QDir(out).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{QStringLiteral("velk.ini")});
        QCOMPARE(readWholeFile(out + QStringLiteral("/velk.ini")), QByteArray("outside"));
        QVERIFY(ini::readValue(rundir::join(writtenFile), settings::PreferencesSection,
                               settings::EasingKey) == settings::OnValue);
        QCOMPARE(QFileInfo(path).isSymLink(), writtenFile != name);
    }

    void eulaAndFoldersAreNeverWrittenThroughAnOutsideLink()
    {
        QTemporaryDir run;
        QTemporaryDir out;
        rundir::setOverride(run.path());
        QVERIFY(QDir(run.path()).mkpath(QStringLiteral("panel/server")));
        writeRaw(out.filePath(QStringLiteral("eula.txt")), "mine");
        QVERIFY(QFile::link(out.filePath(QStringLiteral("eula.txt")), eulaPath()));
        QVERIFY(writeEula());
        QCOMPARE(readWholeFile(out.filePath(QStringLiteral("eula.txt"))), QByteArray("mine"));
        QVERIFY(!QFileInfo(eulaPath()).isSymLink());
        QCOMPARE(readWholeFile(eulaPath()), eulaBytes());

        // A linked folder leading outside: the write is refused and nothing is created there.
        QVERIFY(QDir(run.filePath(QStringLiteral("panel/server"))).removeRecursively());
        QVERIFY(QFile::link(out.path(), run.filePath(QStringLiteral("panel/server"))));
        QVERIFY(!writeEula());
        QVERIFY(!makeFolders(rundir::join(QStringLiteral("panel/server/world"))));
        QCOMPARE(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{QStringLiteral("eula.txt")});
        QCOMPARE(readWholeFile(out.filePath(QStringLiteral("eula.txt"))), QByteArray("mine"));
    }

    void readFileReportsWhatItFound()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("f"));
        writeRaw(file, QByteArray(100, 'a'));
        QCOMPARE(readFile(file, 100).status, ReadStatus::Read);
        QCOMPARE(readFile(file, 99).status, ReadStatus::TooLarge);
        QCOMPARE(readFile(dir.filePath(QStringLiteral("none"))).status, ReadStatus::Missing);
        QCOMPARE(readFile(dir.path()).status, ReadStatus::Failed);
    }
};

QTEST_GUILESS_MAIN(AtomicFileTest)
#include "AtomicFile_test.moc"
