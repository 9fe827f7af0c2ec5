#include "server/JavaDiscovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A fake runtime home under `root`: bin/java is either a copy of a real 64-bit program, a file with
// a 32-bit ELF header, or a shell script that answers -version on stderr like a real java does.
enum class FakeJava { Elf64, Elf32, VersionScript };

QString makeRuntime(const QString& root, const QString& name, FakeJava kind, const QByteArray& release = {})
{
    const QString home = root + QLatin1Char('/') + name;
    if (!QDir().mkpath(home + QStringLiteral("/bin")))
        qFatal("cannot make fake runtime");
    const QString java = home + QStringLiteral("/bin/java");
    if (kind == FakeJava::Elf64) {
        if (!QFile::copy(QStringLiteral("/bin/true"), java))
            qFatal("cannot copy /bin/true");
    } else {
        QFile file(java);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write fake java");
        if (kind == FakeJava::Elf32)
            file.write(QByteArray("\x7f"
                                  "ELF\x01\x01\x01\x00",
                                  8) +
                       QByteArray(56, '\0'));
        else
            file.write("#!/bin/sh\necho 'openjdk version \"11.0.2\" 2019-01-15' >&2\n"
                       "echo 'OpenJDK Runtime Environment (build 11.0.2+9)' >&2\n");
    }
    QFile::setPermissions(java, QFile::permissions(java) | QFile::ExeOwner | QFile::ReadOwner);
    if (!release.isEmpty()) {
        QFile file(home + QStringLiteral("/release"));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write release file");
        file.write(release);
    }
    return home;
}

QString binOf(const QString& home)
{
    return QFileInfo(home).canonicalFilePath() + QStringLiteral("/bin/");
}

} // namespace

class JavaDiscoveryTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_emptyRoot;

    QString root(const QString& name)
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(path);
        return QFileInfo(path).canonicalFilePath();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_emptyRoot = root(QStringLiteral("empty-jvm"));
    }

    void nothingFoundIsAnEmptyX86Record()
    {
        JavaSearchPlaces places;
        places.javaHome = m_dir.filePath(QStringLiteral("no-such-home"));
        places.path = m_dir.filePath(QStringLiteral("no-such-bin")) + QStringLiteral("::");
        places.jvmRoot = m_emptyRoot;
        const JavaInfo info = discoverJava(places);
        QCOMPARE(info.version, QString());
        QCOMPARE(info.binFolder, QString());
        QCOMPARE(info.bitness, QStringLiteral("x86"));
    }

    void javaHomeRuntimes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("release");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("bitness");

        QTest::newRow("64-bit with release file")
            << int(FakeJava::Elf64) << QByteArray("IMPLEMENTOR=\"Eclipse\"\nJAVA_VERSION=\"17.0.8\"\n")
            << QStringLiteral("17.0.8") << QStringLiteral("x64");
        QTest::newRow("32-bit with release file")
            << int(FakeJava::Elf32) << QByteArray("JAVA_VERSION=\"1.8.0_201\"\r\nOS_NAME=\"Linux\"\r\n")
            << QStringLiteral("1.8.0_201") << QStringLiteral("x86");
        QTest::newRow("no release file: asks java -version")
            << int(FakeJava::VersionScript) << QByteArray() << QStringLiteral("11.0.2")
            << QStringLiteral("x86");
        QTest::newRow("release file without version: asks java -version")
            << int(FakeJava::VersionScript) << QByteArray("OS_NAME=\"Linux\"\n") << QStringLiteral("11.0.2")
            << QStringLiteral("x86");
        // /bin/true prints nothing: the runtime is still found, its version stays unknown.
        QTest::newRow("silent program")
            << int(FakeJava::Elf64) << QByteArray() << QString() << QStringLiteral("x64");
    }

    void javaHomeRuntimes()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, release);
        const QString base = root(QStringLiteral("home-") + QString::fromLatin1(QTest::currentDataTag()));
        const QString home = makeRuntime(base, QStringLiteral("jdk"), FakeJava(kind), release);

        JavaSearchPlaces places;
        places.javaHome = home + QLatin1Char('/'); // a trailing slash as users often write it
        places.jvmRoot = m_emptyRoot;
        const JavaInfo info = discoverJava(places);
        QFETCH(QString, version);
        QCOMPARE(info.version, version);
        QCOMPARE(info.binFolder, binOf(home));
        QFETCH(QString, bitness);
        QCOMPARE(info.bitness, bitness);
        // No state between calls: the second call gives the same record, not a longer bin folder.
        QCOMPARE(discoverJava(places), info);
    }

    void searchOrder()
    {
        const QString base = root(QStringLiteral("order"));
        const QString homeJdk =
            makeRuntime(base, QStringLiteral("home-jdk"), FakeJava::Elf64, "JAVA_VERSION=\"21\"\n");
        const QString pathJdk =
            makeRuntime(base, QStringLiteral("path-jdk"), FakeJava::Elf32, "JAVA_VERSION=\"1.8.0_201\"\n");
        const QString jvmRoot = root(QStringLiteral("order/jvm"));
        makeRuntime(jvmRoot, QStringLiteral("b-jdk"), FakeJava::Elf64, "JAVA_VERSION=\"17.0.8\"\n");
        makeRuntime(jvmRoot, QStringLiteral("c-jdk"), FakeJava::Elf64, "JAVA_VERSION=\"25\"\n");
        QDir().mkpath(jvmRoot + QStringLiteral("/a-not-a-runtime/bin"));

        // PATH holds a link, like /usr/bin/java -> /etc/alternatives/java -> .../bin/java.
        const QString linkFolder = root(QStringLiteral("order/usr-bin"));
        const QString alternatives = root(QStringLiteral("order/alternatives"));
        QVERIFY(QFile::link(pathJdk + QStringLiteral("/bin/java"), alternatives + QStringLiteral("/java")));
        QVERIFY(QFile::link(alternatives + QStringLiteral("/java"), linkFolder + QStringLiteral("/java")));
        const QString path = m_dir.filePath(QStringLiteral("nowhere")) + QLatin1Char(':') + linkFolder;

        JavaSearchPlaces places{homeJdk, path, jvmRoot};
        QCOMPARE(discoverJava(places).binFolder, binOf(homeJdk));

        places.javaHome = m_dir.filePath(QStringLiteral("stale-java-home"));
        const JavaInfo viaPath = discoverJava(places);
        QCOMPARE(viaPath.binFolder, binOf(pathJdk));
        QCOMPARE(viaPath.version, QStringLiteral("1.8.0_201"));
        QCOMPARE(viaPath.bitness, QStringLiteral("x86"));

        places.path.clear();
        const JavaInfo viaJvmRoot = discoverJava(places);
        QCOMPARE(viaJvmRoot.binFolder, jvmRoot + QStringLiteral("/b-jdk/bin/"));
        QCOMPARE(viaJvmRoot.version, QStringLiteral("17.0.8"));
        QCOMPARE(viaJvmRoot.bitness, QStringLiteral("x64"));
    }

    void skipsNonExecutableAndRelativeCandidates()
    {
        const QString base = root(QStringLiteral("skips"));
        const QString plain =
            makeRuntime(base, QStringLiteral("plain"), FakeJava::Elf64, "JAVA_VERSION=\"9\"\n");
        QFile::setPermissions(plain + QStringLiteral("/bin/java"), QFile::ReadOwner | QFile::WriteOwner);
        const QString good =
            makeRuntime(base, QStringLiteral("good"), FakeJava::Elf64, "JAVA_VERSION=\"17\"\n");

        // "bin" relative to the current directory must not be searched even though it holds a java.
        const QString oldCurrent = QDir::currentPath();
        QDir::setCurrent(good);
        JavaSearchPlaces places{plain, plain + QStringLiteral("/bin:bin::"), m_emptyRoot};
        const JavaInfo info = discoverJava(places);
        QDir::setCurrent(oldCurrent);
        QCOMPARE(info, JavaInfo());

        places.path += QLatin1Char(':') + good + QStringLiteral("/bin");
        QCOMPARE(discoverJava(places).version, QStringLiteral("17"));
    }

    void javaProgramPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("linux java") << QStringLiteral("/usr/lib/jvm/java-17-openjdk-amd64/bin/java") << true;
        QTest::newRow("bare java") << QStringLiteral("java") << true;
        QTest::newRow("windows java.exe") << QStringLiteral("C:\\jre\\bin\\java.exe") << true;
        QTest::newRow("javaw.exe is not java.exe") << QStringLiteral("C:\\jre\\bin\\javaw.exe") << false;
        QTest::newRow("capital Java.exe") << QStringLiteral("/home/me/Desktop/Java.exe") << false;
        QTest::newRow("capital Java") << QStringLiteral("/opt/jdk/bin/Java") << false;
        QTest::newRow("javac") << QStringLiteral("/opt/jdk/bin/javac") << false;
        QTest::newRow("folder named java") << QStringLiteral("/opt/java/") << false;
        QTest::newRow("empty") << QString() << false;
    }

    void javaProgramPaths()
    {
        QFETCH(QString, path);
        QFETCH(bool, accepted);
        QCOMPARE(isJavaProgramPath(path), accepted);
    }
};

QTEST_GUILESS_MAIN(JavaDiscoveryTest)
#include "JavaDiscovery_test.moc"
