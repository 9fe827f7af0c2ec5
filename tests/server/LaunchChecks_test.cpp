#include "platform/CodePage.h"
#include "platform/RunDirectory.h"
#include "server/LaunchChecks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QTime Now(9, 5, 7);

ConsoleLines report(const QString& message)
{
    return launcherMessage(QStringLiteral(" 管理系统"), consolecolor::Launcher, message, Now);
}

ConsoleLines problem(const QString& tag, const QString& message)
{
    return launcherMessage(tag, consolecolor::Problem, message, Now);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write fixture");
}

} // namespace

class LaunchChecksTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_runDir;
    QString m_java;
    QString m_server;

    // Settings that pass every check: a real Java file, a core present in panel/server.
    LaunchInputs goodInputs() const
    {
        LaunchInputs in;
        in.javaPath = m_java;
        in.memory = QStringLiteral("1024");
        in.core = QStringLiteral("paper.jar");
        in.autosave = QStringLiteral("3");
        in.serverPortText = QStringLiteral("25565");
        in.java.bitness = QStringLiteral("x64");
        in.java.binFolder = QFileInfo(m_java).absolutePath() + QLatin1Char('/');
        in.runDirectory = m_runDir.path();
        return in;
    }

    // The lines every plan that gets past the Java check starts with.
    ConsoleLines leadingLines(const LaunchInputs& in) const
    {
        return report(QStringLiteral("请稍等开服器需要检测一些设置")) +
               report(QStringLiteral("服务器监听端口*") + in.serverPortText);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_runDir.isValid());
        rundir::setOverride(m_runDir.path());
        m_server = m_runDir.filePath(QStringLiteral("panel/server"));
        m_java = m_runDir.filePath(QStringLiteral("jdk/bin/java"));
        writeFile(m_java, "#!/bin/sh\n");
        writeFile(m_server + QStringLiteral("/paper.jar"), "core");
        writeFile(m_server + QStringLiteral("/server.JAR"), "core");
        writeFile(m_server + QStringLiteral("/server.jar.bak"), "core");
        writeFile(m_runDir.filePath(QStringLiteral("outside.jar")), "not a core of this server");
        QDir().mkpath(m_server + QStringLiteral("/folder.jar"));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("bitness");
        QTest::addColumn<int>("reportsBefore"); // report lines after the two leading ones
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("message");

        const QString java = QStringLiteral(" Java问题");
        const QString memory = QStringLiteral(" 内存问题");
        const QString core = QStringLiteral(" 核心问题");
        const QString tooLarge = QStringLiteral("Java 32位所以你的开服内存不能大于1024，请重新设置");
        const QString chooseCore = QStringLiteral("请选择开服核心");
        const QString notInServer = QStringLiteral("在") + m_runDir.path() +
                                    QStringLiteral("/panel/server/ 文件夹中没有找到开服器核心（%1）");

        QTest::newRow("empty Java") << u"javaPath"_s << QString() << u"x64"_s << 0 << java
                                    << QStringLiteral("请填写Java路径");
        QTest::newRow("folder as Java")
            << u"javaPath"_s << m_runDir.filePath(QStringLiteral("jdk/bin")) << u"x64"_s << 0 << java
            << QStringLiteral("这个Java路径没有找到java.exe");
        QTest::newRow("missing Java")
            << u"javaPath"_s << m_runDir.filePath(QStringLiteral("jdk/bin/javaw")) << u"x64"_s << 0 << java
            << QStringLiteral("这个Java路径没有找到java.exe");
        QTest::newRow("empty memory")
            << u"memory"_s << QString() << u"x64"_s << 1 << memory << QStringLiteral("请填写分配内存");
        QTest::newRow("x86 memory 1025") << u"memory"_s << u"1025"_s << u"x86"_s << 1 << memory << tooLarge;
        QTest::newRow("x86 memory 2048M") << u"memory"_s << u"2048M"_s << u"x86"_s << 1 << memory << tooLarge;
        QTest::newRow("x86 memory beyond 64 bits")
            << u"memory"_s << u"99999999999999999999999"_s << u"x86"_s << 1 << memory << tooLarge;
        QTest::newRow("empty core") << u"core"_s << QString() << u"x64"_s << 2 << core << chooseCore;
        QTest::newRow("core server.JAR")
            << u"core"_s << u"server.JAR"_s << u"x64"_s << 2 << core << chooseCore;
        QTest::newRow("core server.jar.bak")
            << u"core"_s << u"server.jar.bak"_s << u"x64"_s << 2 << core << chooseCore;
        QTest::newRow("missing core")
            << u"core"_s << u"spigot.jar"_s << u"x64"_s << 2 << core << notInServer.arg(u"spigot.jar"_s);
        QTest::newRow("folder as core")
            << u"core"_s << u"folder.jar"_s << u"x64"_s << 2 << core << notInServer.arg(u"folder.jar"_s);
        QTest::newRow("core outside the server folder")
            << u"core"_s << u"../../outside.jar"_s << u"x64"_s << 2 << core
            << notInServer.arg(u"../../outside.jar"_s);
        QTest::newRow("absolute core path")
            << u"core"_s << m_runDir.filePath(QStringLiteral("outside.jar")) << u"x64"_s << 2 << core
            << notInServer.arg(m_runDir.filePath(QStringLiteral("outside.jar")));
        QTest::newRow("empty autosave")
            << u"autosave"_s << QString() << u"x64"_s << 3 << QStringLiteral(" 设置问题")
            << QStringLiteral("请设置自动保存时间");
    }

    void refusals()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(int, reportsBefore);
        LaunchInputs in = goodInputs();
        QFETCH(QString, bitness);
        in.java.bitness = bitness;
        if (field == QStringLiteral("javaPath"))
            in.javaPath = value;
        else if (field == QStringLiteral("memory"))
            in.memory = value;
        else if (field == QStringLiteral("core"))
            in.core = value;
        else
            in.autosave = value;

        const LaunchPlan plan = planLaunch(in, Now);
        QCOMPARE(plan.outcome, LaunchPlan::Refused);
        QCOMPARE(plan.lines.size(), 3 * (2 + reportsBefore + 1));
        QCOMPARE(plan.lines.mid(0, 6), leadingLines(in));
        QFETCH(QString, tag);
        QFETCH(QString, message);
        QCOMPARE(plan.lines.mid(plan.lines.size() - 3), problem(tag, message));
        QVERIFY(plan.program.isEmpty());
        QVERIFY(plan.arguments.isEmpty());
        QVERIFY(plan.portQuestionText.isEmpty());
    }

    void readyPlan_data()
    {
        QTest::addColumn<QString>("bitness");
        QTest::addColumn<QString>("memory");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QStringList>("extraArguments");
        QTest::addColumn<QString>("extraLine");

        QTest::newRow("no extra arguments")
            << u"x64"_s << u"4096"_s << QString() << QStringList() << QStringLiteral("无参数");
        QTest::newRow("x86 at 1024 with UTF-8")
            << u"x86"_s << u"1024"_s << u"-Dfile.encoding=UTF-8"_s << QStringList{u"-Dfile.encoding=UTF-8"_s}
            << u"-Dfile.encoding=UTF-8"_s;
        // Only emptiness and the 32-bit limit are checked: "2G" is 2 and reaches java as -Xmx2GM.
        QTest::newRow("x86 memory 2G")
            << u"x86"_s << u"2G"_s << QString() << QStringList() << QStringLiteral("无参数");
        QTest::newRow("several extra arguments")
            << u"x64"_s << u"2048"_s << u"-XX:+UseG1GC  -Dname=\"a b\"\t-Dx=1"_s
            << QStringList{u"-XX:+UseG1GC"_s, u"-Dname=a b"_s, u"-Dx=1"_s}
            << u"-XX:+UseG1GC  -Dname=\"a b\"\t-Dx=1"_s;
    }

    void readyPlan()
    {
        QFETCH(QString, memory);
        QFETCH(QString, extra);
        LaunchInputs in = goodInputs();
        QFETCH(QString, bitness);
        in.java.bitness = bitness;
        in.memory = memory;
        in.extraArgs = extra;

        const LaunchPlan plan = planLaunch(in, Now);
        QCOMPARE(plan.outcome, LaunchPlan::Ready);
        QFETCH(QString, extraLine);
        const ConsoleLines expected =
            leadingLines(in) +
            report(QStringLiteral("本地Java（") + in.java.bitness + QStringLiteral("）路径*") + m_java) +
            report(QStringLiteral("服务器分配内存*") + memory + QStringLiteral("MB")) +
            report(QStringLiteral("启动服务器核心*paper.jar")) + report(QStringLiteral("自动保存*3分钟")) +
            report(QStringLiteral("自定义后置开服参数*") + extraLine) +
            report(QStringLiteral("Console-lang（语言：未选择，版本：未知）作者：未选择")) +
            report(QStringLiteral("检测完毕..准备开始启动服务器"));
        QCOMPARE(plan.lines, expected);

        QFETCH(QStringList, extraArguments);
        const QString corePath = m_server + QStringLiteral("/paper.jar");
        QCOMPARE(plan.program, m_java);
        const QStringList arguments = QStringList{u"-Xmx"_s + memory + u"M"_s, u"-Xms"_s + memory + u"M"_s} +
                                      extraArguments + QStringList{u"-jar"_s, corePath};
        QCOMPARE(plan.arguments, arguments);
        QCOMPARE(plan.workingDirectory, m_server);
        if (extra.isEmpty())
            QCOMPARE(commandLineText(plan), u"\""_s + m_java + u"\"-Xmx"_s + memory + u"M -Xms"_s + memory +
                                                u"M -jar "_s + corePath);
    }

    void commandLineShowsExtraArgumentsBetweenHeapAndJar()
    {
        LaunchInputs in = goodInputs();
        in.extraArgs = QStringLiteral("-Dfile.encoding=UTF-8");
        QCOMPARE(commandLineText(planLaunch(in, Now)),
                 u"\""_s + m_java + u"\"-Xmx1024M -Xms1024M -Dfile.encoding=UTF-8 -jar "_s + m_server +
                     u"/paper.jar"_s);
    }

    void chosenLanguageLine()
    {
        LaunchInputs in = goodInputs();
        in.languageChosen = true;
        in.languageName = QStringLiteral("简体中文");
        in.languageVersion = QStringLiteral("1.12");
        in.languageAuthor = QStringLiteral("Velk");
        const LaunchPlan plan = planLaunch(in, Now);
        QCOMPARE(plan.lines.mid(plan.lines.size() - 6, 3),
                 report(QStringLiteral("Console-lang（语言：简体中文，版本：1.12）作者：Velk")));
    }

    void portTakenStopsBeforeEveryOtherCheck()
    {
        LaunchInputs in = goodInputs();
        in.portOwner = 4321;
        in.javaPath.clear(); // would be refused, but the port comes first
        const LaunchPlan plan = planLaunch(in, Now);
        QCOMPARE(plan.outcome, LaunchPlan::PortTaken);
        QCOMPARE(plan.lines,
                 report(QStringLiteral("请稍等开服器需要检测一些设置")) +
                     problem(QStringLiteral(" 端口问题"),
                             QStringLiteral("端口已被其它程序占用，请将占用进程关闭或者更换服务器端口")));
        QCOMPARE(plan.portQuestionText,
                 u"结束进程ID：4321，需要点击下方 [确定] \r\n随机更换服务器端口，需要点击下方 [取消]"_s);
        QVERIFY(plan.program.isEmpty());
    }

    void leadingNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("number");
        QTest::newRow("plain") << u"1024"_s << qint64(1024);
        QTest::newRow("unit") << u"2G"_s << qint64(2);
        QTest::newRow("leading blank") << u" 1025"_s << qint64(1025);
        QTest::newRow("not a number") << u"abc"_s << qint64(0);
        QTest::newRow("negative") << u"-5"_s << qint64(-5);
        QTest::newRow("too long") << u"123456789012345678901234"_s << std::numeric_limits<qint64>::max();
    }

    void leadingNumbers()
    {
        QFETCH(QString, text);
        QFETCH(qint64, number);
        QCOMPARE(leadingNumber(text), number);
    }

    void randomPortsStayInTheirRanges()
    {
        const QString highest = QStringLiteral("65535");
        QList<QSet<QChar>> seen(5);
        for (int i = 0; i < 3000; ++i) {
            const QString port = randomPort();
            QCOMPARE(port.size(), 5);
            for (int d = 0; d < 5; ++d) {
                QVERIFY2(port.at(d) >= (d == 0 ? QLatin1Char('1') : QLatin1Char('0')) &&
                             port.at(d) <= highest.at(d),
                         qPrintable(port));
                seen[d].insert(port.at(d));
            }
            QVERIFY(port.toInt() >= 10000 && port.toInt() <= 65535);
        }
        // Every allowed digit turns up: the upper ends of the ranges are reachable.
        const QList<int> counts{6, 6, 6, 4, 6};
        for (int d = 0; d < 5; ++d)
            QCOMPARE(seen[d].size(), counts[d]);
    }

    void eulaFile()
    {
        const QString path = m_server + QStringLiteral("/eula.txt");
        QCOMPARE(eulaPath(), path);
        writeFile(path, "eula=false\r\n" + QByteArray(200, '#'));
        QVERIFY(writeEula());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes, codepage::toGbk(QStringLiteral("协议地址: ")) +
                            QByteArray("https://account.mojang.com/documents/minecraft_eula\r\neula=true"));
        QCOMPARE(bytes, eulaBytes());
    }

    void eulaFolderIsMadeWhenMissing()
    {
        QTemporaryDir other;
        rundir::setOverride(other.path());
        const bool written = writeEula();
        rundir::setOverride(m_runDir.path());
        QVERIFY(written);
        QVERIFY(QFileInfo(other.filePath(QStringLiteral("panel/server/eula.txt"))).isFile());
    }
};

QTEST_GUILESS_MAIN(LaunchChecksTest)
#include "LaunchChecks_test.moc"
