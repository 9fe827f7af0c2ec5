// Measures how well the console keeps pace with a flooding server, as a user meets it: the demo
// server's "flood N" (about 100 bytes a line) typed into the real launcher binary, from the command
// until "FLOOD-DONE" shows in the console, against the same server jar under the same JVM printing
// into a reader that discards its output. While the launcher shows the flood, a cheap automation
// command is sent over and over; its longest round trip is the longest time the launcher's
// user-interface thread did not answer.
//
//   build/bench/console_flood_bench [--lines N] [--runs N]
//
// Runs under QT_QPA_PLATFORM=offscreen unless a display is set. Needs a Java runtime.
#include "gui/LauncherClient.h"
#include "platform/ChildProcess.h"
#include "platform/CodePage.h"
#include "server/JavaDiscovery.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int TimeoutMs = 300000;
// How often the console's text is fetched to see whether the flood has been shown; fetching it is
// itself work for the launcher, so not at every ping.
constexpr int DoneCheckMs = 50;

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Reads the child's output until `marker` has passed by, discarding it. False on end or timeout.
bool readUntil(ChildProcess& child, const QByteArray& marker, qint64* bytes = nullptr)
{
    std::vector<char> buffer(256 * 1024);
    QByteArray tail;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < TimeoutMs) {
        qsizetype n = 0;
        const auto status = child.readOutput(buffer.data(), qsizetype(buffer.size()), 1000, &n);
        if (status == ChildProcess::ReadStatus::Timeout)
            continue;
        if (status != ChildProcess::ReadStatus::Data)
            return false;
        if (bytes)
            *bytes += n;
        tail += QByteArray::fromRawData(buffer.data(), n).right(marker.size() + 64);
        if (tail.contains(marker))
            return true;
        tail = tail.right(marker.size());
    }
    return false;
}

// The demo server alone: its output read and thrown away as fast as the pipe delivers it.
qint64 baselineMs(const QString& java, const QString& jar, int lines)
{
    QTemporaryDir dir;
    QFile::copy(jar, dir.filePath(QStringLiteral("demo-server.jar")));
    writeFile(dir.filePath(QStringLiteral("eula.txt")), "eula=true\n");
    writeFile(dir.filePath(QStringLiteral("server.properties")),
              "server-port=" + QByteArray::number(freePort()) + "\nonline-mode=false\n");
    auto child = ChildProcess::spawn(
        java, {QStringLiteral("-Xmx256M"), QStringLiteral("-jar"), QStringLiteral("demo-server.jar")},
        dir.path());
    if (!child || !readUntil(*child, "Done ("))
        return -1;
    QElapsedTimer clock;
    clock.start();
    child->writeInput("flood " + QByteArray::number(lines) + "\r\n", 1000);
    qint64 bytes = 0;
    const bool done = readUntil(*child, "FLOOD-DONE", &bytes);
    const qint64 elapsed = clock.elapsed();
    child->writeInput("stop\r\n", 1000);
    readUntil(*child, "\x01never"); // to the end of output
    if (child->waitForEnd())
        child->collect();
    std::printf("  baseline: %lld ms for %.1f MB\n", static_cast<long long>(elapsed), double(bytes) / 1e6);
    return done ? elapsed : -1;
}

struct LauncherRun {
    qint64 ms = -1;
    qint64 longestGapMs = -1;
};

bool waitForConsole(LauncherClient& launcher, const QString& part)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < TimeoutMs) {
        if (launcher.value(QStringLiteral("get 超级编辑框2")).contains(part))
            return true;
        launcher.send(QStringLiteral("wait 50"));
    }
    return false;
}

LauncherRun launcherRun(const QString& javaBin, const QString& jar, int lines)
{
    QTemporaryDir root;
    const QString dir = root.filePath(QStringLiteral("run"));
    QDir().mkpath(dir + QStringLiteral("/download"));
    QDir().mkpath(dir + QStringLiteral("/panel/server"));
    QFile::copy(jar, dir + QStringLiteral("/panel/server/demo-server.jar"));
    writeFile(dir + QStringLiteral("/panel/server/server.properties"),
              QStringLiteral("server-port=%1\r\nonline-mode=false\r\n").arg(freePort()).toLatin1());
    writeFile(dir + QStringLiteral("/panel/server.ini"),
              codepage::toGbk(
                  QStringLiteral("[服务器数据]\r\nJava路径=%1java\r\n核心=demo-server.jar\r\n内存=256\r\n"
                                 "自动保存=3\r\n聊天名称=&f后台\r\n后置参数=\r\n")
                      .arg(javaBin)));

    LauncherRun run;
    LauncherClient launcher;
    if (!launcher.start(dir)) {
        std::fprintf(stderr, "launcher: %s\n", qPrintable(launcher.lastError()));
        return run;
    }
    launcher.send(QStringLiteral("click 超级按钮3"));
    launcher.send(QStringLiteral("click 超级按钮16"));
    if (!waitForConsole(launcher, QStringLiteral("已开服，耗时 ["))) {
        std::fprintf(stderr, "the server did not start\n");
        return run;
    }
    launcher.send(QStringLiteral("set 编辑框1 flood %1").arg(lines));
    QElapsedTimer clock;
    clock.start();
    launcher.send(QStringLiteral("key 编辑框1 Return"));
    qint64 lastCheck = 0;
    qint64 longest = 0;
    bool done = false;
    while (!done && clock.elapsed() < TimeoutMs) {
        QElapsedTimer ping;
        ping.start();
        if (!launcher.send(QStringLiteral("prop 超级按钮16 visible")).ok)
            break;
        longest = std::max(longest, ping.elapsed());
        if (clock.elapsed() - lastCheck >= DoneCheckMs) {
            lastCheck = clock.elapsed();
            // Searched inside the launcher: copying the whole console out every check would cost the
            // launcher more than the flood itself.
            done = launcher.value(QStringLiteral("contains 超级编辑框2 FLOOD-DONE")) == QLatin1String("true");
        } else {
            QThread::msleep(5);
        }
    }
    if (done) {
        run.ms = clock.elapsed();
        run.longestGapMs = longest;
    }
    launcher.send(QStringLiteral("click 超级按钮15"));
    // The end shows in the console page's title; a farewell line may be left untranslated when it
    // shares its chunk with another phrase.
    QElapsedTimer stopping;
    stopping.start();
    while (launcher.value(QStringLiteral("get 标签4")) != QStringLiteral("服务器 控制台") &&
           stopping.elapsed() < TimeoutMs)
        launcher.send(QStringLiteral("wait 50"));
    std::printf("  launcher: %lld ms, longest UI-thread gap %lld ms\n", static_cast<long long>(run.ms),
                static_cast<long long>(run.longestGapMs));
    return run;
}

qint64 median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    int lines = 200000;
    int runs = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--lines"))
            lines = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--runs"))
            runs = std::max(1, args.at(i + 1).toInt());
    }
    const JavaInfo java = discoverJava();
    if (java.binFolder.isEmpty()) {
        std::fprintf(stderr, "no Java runtime found\n");
        return 1;
    }
    const QString jar = QStringLiteral(VELK_DEMO_SERVER_JAR);
    std::printf("mode: the real velk binary driven over its automation socket (offscreen Qt)\n");
    std::printf("flood %d lines, %d runs\n", lines, runs);

    std::vector<qint64> baselines;
    std::vector<qint64> shown;
    std::vector<qint64> gaps;
    for (int i = 0; i < runs; ++i) {
        const qint64 base = baselineMs(java.binFolder + QStringLiteral("java"), jar, lines);
        const LauncherRun run = launcherRun(java.binFolder, jar, lines);
        if (base < 0 || run.ms < 0) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        baselines.push_back(base);
        shown.push_back(run.ms);
        gaps.push_back(run.longestGapMs);
    }
    const qint64 base = median(baselines);
    const qint64 launcher = median(shown);
    std::printf("baseline (read and discarded), median: %lld ms\n", static_cast<long long>(base));
    std::printf("shown by the launcher, median: %lld ms\n", static_cast<long long>(launcher));
    std::printf("ratio: %.2f\n", base > 0 ? double(launcher) / double(base) : 0.0);
    std::printf("longest UI-thread gap (largest of all runs): %lld ms\n",
                static_cast<long long>(*std::max_element(gaps.begin(), gaps.end())));
    return 0;
}
