#include "platform/CodePage.h"
#include "platform/RunDirectory.h"
#include "server/LaunchSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

Q_DECLARE_METATYPE(InstallCoreResult)

namespace {

JavaInfo javaOf(const QString& bitness)
{
    JavaInfo info;
    info.bitness = bitness;
    return info;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write fixture");
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class LaunchSettingsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_runDir;
    int m_case = 0;

    // A fresh folder per case, so that one case's files never show in another's listing.
    QString freshFolder()
    {
        const QString path = m_runDir.filePath(QStringLiteral("case%1").arg(++m_case));
        QDir().mkpath(path);
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_runDir.isValid());
        rundir::setOverride(m_runDir.path());
    }

    void suggestedMemory_data()
    {
        QTest::addColumn<QString>("bitness");
        QTest::addColumn<qint64>("freeMb");
        QTest::addColumn<qint64>("suggested");
        QTest::newRow("x64 three quarters") << QStringLiteral("x64") << qint64(6000) << qint64(4500);
        QTest::newRow("x64 half rounds up") << QStringLiteral("x64") << qint64(6002) << qint64(4502);
        QTest::newRow("x64 quarter rounds down") << QStringLiteral("x64") << qint64(6001) << qint64(4501);
        QTest::newRow("x86 capped") << QStringLiteral("x86") << qint64(3000) << qint64(1024);
        QTest::newRow("x86 at the cap") << QStringLiteral("x86") << qint64(1024) << qint64(1024);
        QTest::newRow("x86 below the cap") << QStringLiteral("x86") << qint64(700) << qint64(700);
        QTest::newRow("no memory reading") << QStringLiteral("x64") << qint64(0) << qint64(0);
        QTest::newRow("negative reading") << QStringLiteral("x86") << qint64(-5) << qint64(0);
    }

    void suggestedMemory()
    {
        QFETCH(QString, bitness);
        QFETCH(qint64, freeMb);
        QFETCH(qint64, suggested);
        QCOMPARE(suggestMemory(javaOf(bitness), freeMb), suggested);
    }

    void memoryQuestion()
    {
        QCOMPARE(memoryQuestionText(javaOf(QStringLiteral("x64")), 6000, 4500),
                 QStringLiteral("Java位数 x64位\r\n本机剩余内存: 6000 MB 计算所得\r\n开服分配内存: 4500 MB "
                                "（Beta）\r\n请问是否需要使用这个分配内存？"));
    }

    void coreList_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("coreField");

        const QString elsewhere =
            QStringLiteral("你之前的核心： a.jar 没有在服务器文件夹中找到所以已清空数据");
        QTest::newRow("stored core present")
            << QStringList{QStringLiteral("b.jar"), QStringLiteral("a.jar")} << QStringList()
            << QStringLiteral("a.jar") << QStringList{QStringLiteral("a.jar"), QStringLiteral("b.jar")}
            << QStringLiteral("a.jar");
        QTest::newRow("stored core gone, another present")
            << QStringList{QStringLiteral("b.jar")} << QStringList() << QStringLiteral("a.jar")
            << QStringList{QStringLiteral("b.jar")} << elsewhere;
        QTest::newRow("no cores at all")
            << QStringList{QStringLiteral("server.properties")} << QStringList() << QStringLiteral("a.jar")
            << QStringList() << QStringLiteral("你之前的核心： a.jar 没有找到已清空数据");
        QTest::newRow("a folder is not a core")
            << QStringList() << QStringList{QStringLiteral("x.jar")} << QStringLiteral("x.jar")
            << QStringList() << QStringLiteral("你之前的核心： x.jar 没有找到已清空数据");
        QTest::newRow("the stored name must match in case")
            << QStringList{QStringLiteral("a.jar")} << QStringList() << QStringLiteral("A.jar")
            << QStringList{QStringLiteral("a.jar")}
            << QStringLiteral("你之前的核心： A.jar 没有在服务器文件夹中找到所以已清空数据");
        QTest::newRow("the pattern ignores case")
            << QStringList{QStringLiteral("Paper.JAR"), QStringLiteral("notes.jar.txt"),
                           QStringLiteral(".hidden.jar")}
            << QStringList() << QString()
            << QStringList{QStringLiteral(".hidden.jar"), QStringLiteral("Paper.JAR")} << QString();
        QTest::newRow("a stored text not ending in jar stays")
            << QStringList{QStringLiteral("b.jar")} << QStringList() << QStringLiteral("server.JAR")
            << QStringList{QStringLiteral("b.jar")} << QStringLiteral("server.JAR");
    }

    void coreList()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, folders);
        const QString folder = freshFolder();
        for (const QString& name : files)
            writeFile(folder + QLatin1Char('/') + name, "x");
        for (const QString& name : folders)
            QDir().mkpath(folder + QLatin1Char('/') + name);

        QFETCH(QString, stored);
        const CoreListResult result = refreshCoreList(stored, folder);
        QFETCH(QStringList, items);
        QCOMPARE(result.items, items);
        QFETCH(QString, coreField);
        QCOMPARE(result.coreField, coreField);
    }

    void coreListOfMissingFolder()
    {
        const CoreListResult result =
            refreshCoreList(QStringLiteral("a.jar"), m_runDir.filePath(QStringLiteral("none")));
        QVERIFY(result.items.isEmpty());
        QCOMPARE(result.coreField, QStringLiteral("你之前的核心： a.jar 没有找到已清空数据"));
    }

    void fieldRules_data()
    {
        QTest::addColumn<QString>("extraIn");
        QTest::addColumn<QString>("extraOut");
        QTest::addColumn<QString>("autosaveIn");
        QTest::addColumn<QString>("autosaveOut");
        QTest::newRow("typed without dash") << QStringLiteral("Xmx2G") << QStringLiteral("-Xmx2G")
                                            << QStringLiteral("0") << QStringLiteral("3");
        QTest::newRow("already a dash")
            << QStringLiteral("-Dfile.encoding=UTF-8") << QStringLiteral("-Dfile.encoding=UTF-8")
            << QStringLiteral("5") << QStringLiteral("5");
        QTest::newRow("cleared") << QString() << QString() << QString() << QStringLiteral("3");
        QTest::newRow("blank first") << QStringLiteral(" -X") << QStringLiteral("- -X")
                                     << QStringLiteral("00") << QStringLiteral("00");
    }

    void fieldRules()
    {
        QFETCH(QString, extraIn);
        QFETCH(QString, autosaveIn);
        QFETCH(QString, extraOut);
        QCOMPARE(extraArgsRule(extraIn), extraOut);
        QFETCH(QString, autosaveOut);
        QCOMPARE(autosaveRule(autosaveIn), autosaveOut);
    }

    void startFile_data()
    {
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QString>("line");
        QTest::newRow("no extra arguments")
            << QString() << QStringLiteral("\"C:\\jre\\bin\\java.exe\" -Xmx1024M -Xms1024M -jar spigot.jar");
        QTest::newRow("extra arguments")
            << QStringLiteral("-Dfile.encoding=UTF-8")
            << QStringLiteral(
                   "\"C:\\jre\\bin\\java.exe\" -Xmx1024M -Xms1024M -Dfile.encoding=UTF-8 -jar spigot.jar");
    }

    void startFile()
    {
        QFETCH(QString, line);
        QFETCH(QString, extra);
        QCOMPARE(startFileLine(QStringLiteral("C:\\jre\\bin\\java.exe"), QStringLiteral("1024"),
                               QStringLiteral("spigot.jar"), extra),
                 line);

        // GBK bytes, no line end, and a longer earlier file is replaced whole.
        const QString path = m_runDir.filePath(QStringLiteral("panel/server/Velk开服.bat"));
        QCOMPARE(startFilePath(), path);
        writeFile(path, QByteArray(500, 'z'));
        QVERIFY(exportStartFile(line + QStringLiteral(" 核心")));
        QCOMPARE(readFile(path), codepage::toGbk(line + QStringLiteral(" 核心")));
        QCOMPARE(QDir(m_runDir.filePath(QStringLiteral("panel/server"))).entryList(QDir::Files),
                 QStringList{QStringLiteral("Velk开服.bat")});
    }

    void exportFailureIsReported()
    {
        const QString folder = m_runDir.filePath(QStringLiteral("panel/server/Velk开服.bat"));
        QFile::remove(folder);
        QVERIFY(QDir().mkpath(folder)); // a folder in the file's place cannot be replaced
        QVERIFY(!exportStartFile(QStringLiteral("x")));
        QVERIFY(QFileInfo(folder).isDir());
        QDir(folder).removeRecursively();
    }

    void installCoreCases_data()
    {
        QTest::addColumn<QString>("chosenName");
        QTest::addColumn<bool>("existsInServer");
        QTest::addColumn<InstallCoreResult>("result");
        QTest::newRow("moved") << QStringLiteral("paper.jar") << false << InstallCoreResult::Moved;
        QTest::newRow("same name already there")
            << QStringLiteral("paper.jar") << true << InstallCoreResult::AlreadyExists;
        QTest::newRow("not a jar") << QStringLiteral("paper.zip") << false << InstallCoreResult::NotJar;
        QTest::newRow("suffix is case-sensitive")
            << QStringLiteral("paper.JAR") << false << InstallCoreResult::NotJar;
    }

    void installCoreCases()
    {
        QFETCH(QString, chosenName);
        QFETCH(InstallCoreResult, result);
        const QString desktop = freshFolder();
        const QString server = freshFolder() + QStringLiteral("/panel/server");
        const QString chosen = desktop + QLatin1Char('/') + chosenName;
        const QString target = server + QLatin1Char('/') + chosenName;
        writeFile(chosen, "new core");
        QFETCH(bool, existsInServer);
        if (existsInServer)
            writeFile(target, "old core");

        QCOMPARE(installCore(chosen, server), result);
        QVERIFY(QFileInfo(server).isDir());
        if (result == InstallCoreResult::Moved) {
            QVERIFY(!QFileInfo::exists(chosen));
            QCOMPARE(readFile(target), QByteArray("new core"));
        } else {
            QCOMPARE(readFile(chosen), QByteArray("new core"));
            if (result == InstallCoreResult::AlreadyExists)
                QCOMPARE(readFile(target), QByteArray("old core"));
            else
                QVERIFY(!QFileInfo::exists(target));
        }
    }

    void installCoreEdges()
    {
        const QString server = freshFolder() + QStringLiteral("/panel/server");
        QCOMPARE(installCore(QString(), server), InstallCoreResult::NoFile);
        QVERIFY(QFileInfo(server).isDir());

        // Choosing the core that already lies in the server folder must not delete it.
        const QString inside = server + QStringLiteral("/paper.jar");
        writeFile(inside, "core");
        QCOMPARE(installCore(inside, server), InstallCoreResult::AlreadyExists);
        QCOMPARE(readFile(inside), QByteArray("core"));

        QCOMPARE(installCore(freshFolder() + QStringLiteral("/gone.jar"), server), InstallCoreResult::Failed);
        QVERIFY(!QFileInfo::exists(server + QStringLiteral("/gone.jar")));
    }

    void installCoreAcrossFileSystems()
    {
        QTemporaryDir other(QStringLiteral("/dev/shm/velk-core-XXXXXX"));
        if (!other.isValid())
            QSKIP("no second file system at /dev/shm");
        const QString server = freshFolder() + QStringLiteral("/panel/server");
        const QString chosen = other.filePath(QStringLiteral("forge.jar"));
        QByteArray bytes(3 * 1024 * 1024 + 17, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 31 % 251);
        writeFile(chosen, bytes);

        QCOMPARE(installCore(chosen, server), InstallCoreResult::Moved);
        QVERIFY(!QFileInfo::exists(chosen));
        QCOMPARE(readFile(server + QStringLiteral("/forge.jar")), bytes);
    }

    void installCoreKeepsSourceWhenItCannotBeRemoved()
    {
        if (::geteuid() == 0)
            QSKIP("root may remove files from a read-only folder");
        const QString desktop = freshFolder();
        const QString server = freshFolder() + QStringLiteral("/panel/server");
        const QString chosen = desktop + QStringLiteral("/paper.jar");
        writeFile(chosen, "core");
        QFile::setPermissions(desktop, QFile::ReadOwner | QFile::ExeOwner);
        const InstallCoreResult result = installCore(chosen, server);
        QFile::setPermissions(desktop, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QCOMPARE(result, InstallCoreResult::Failed);
        QCOMPARE(readFile(chosen), QByteArray("core"));
        QVERIFY(!QFileInfo::exists(server + QStringLiteral("/paper.jar")));
    }
};

QTEST_GUILESS_MAIN(LaunchSettingsTest)
#include "LaunchSettings_test.moc"
