// Measures the launcher as a user meets it: time from program start to the main window shown
// (median of several runs), CPU use of an idle launcher over a minute, and its resident memory.
//
//   build/bench/launcher_bench [--runs N] [--idle-seconds S]
//
// Runs under QT_QPA_PLATFORM=offscreen unless a display is set. Prints one line per figure.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

QString prepareRunDirectory(const QTemporaryDir& dir)
{
    QDir(dir.path()).mkdir(QStringLiteral("download"));
    return dir.path();
}

qint64 startupMs(const QString& runDir)
{
    QProcess launcher;
    launcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    launcher.start(QStringLiteral(VELK_LAUNCHER_BINARY), {QStringLiteral("--run-dir"), runDir, QStringLiteral("--quit-when-shown")});
    while (launcher.state() != QProcess::NotRunning || launcher.bytesAvailable() > 0) {
        launcher.waitForReadyRead(100);
        if (launcher.canReadLine() && launcher.readLine().startsWith("shown")) {
            const qint64 elapsed = timer.elapsed();
            launcher.waitForFinished();
            return elapsed;
        }
    }
    return -1;
}

// utime + stime of a process in clock ticks, from /proc/PID/stat.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong(); // fields 14 and 15 of the line
}

qint64 residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int runs = 9;
    int idleSeconds = 60;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs"))
            runs = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--idle-seconds"))
            idleSeconds = args[i + 1].toInt();
    }

    QTemporaryDir dir;
    const QString runDir = prepareRunDirectory(dir);
    startupMs(runDir); // first run creates the workspace and warms the caches
    QList<qint64> times;
    for (int i = 0; i < runs; ++i)
        times.append(startupMs(runDir));
    std::sort(times.begin(), times.end());
    std::printf("startup to window shown: median %lld ms (min %lld, max %lld, %d runs)\n",
                static_cast<long long>(times[times.size() / 2]), static_cast<long long>(times.first()),
                static_cast<long long>(times.last()), runs);

    QProcess idle;
    idle.setProcessChannelMode(QProcess::ForwardedChannels);
    idle.start(QStringLiteral(VELK_LAUNCHER_BINARY), {QStringLiteral("--run-dir"), runDir});
    idle.waitForStarted();
    QThread::sleep(3); // past start-up
    const qint64 pid = idle.processId();
    const qint64 ticksBefore = cpuTicks(pid);
    QElapsedTimer wall;
    wall.start();
    QThread::sleep(static_cast<unsigned long>(idleSeconds));
    const qint64 ticks = cpuTicks(pid) - ticksBefore;
    const double seconds = wall.elapsed() / 1000.0;
    const double cpuPercent = 100.0 * (static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK))) / seconds;
    std::printf("idle CPU over %.0f s: %.2f %% of one core\n", seconds, cpuPercent);
    std::printf("idle resident memory: %.1f MB\n", static_cast<double>(residentKb(pid)) / 1024.0);
    idle.kill();
    idle.waitForFinished();
    return 0;
}
