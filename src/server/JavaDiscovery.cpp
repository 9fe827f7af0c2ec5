#include "server/JavaDiscovery.h"

#include "platform/SystemInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace {

// A hung or broken runtime must not hold up a launch for long.
constexpr int VersionTimeoutMs = 5000;

bool isExecutableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

QString javaOnPath(const QString& pathValue)
{
    const QStringList folders = pathValue.split(QLatin1Char(':'));
    for (const QString& folder : folders) {
        // An empty PATH entry means the current directory; a launcher whose current directory is
        // the server folder must not pick up a `java` that a download dropped there.
        if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
            continue;
        const QString candidate = folder + QStringLiteral("/java");
        if (!isExecutableFile(candidate))
            continue;
        // /usr/bin/java is a link through /etc/alternatives into the runtime's own bin folder;
        // only that real folder leads to the runtime's home and release file.
        const QString real = QFileInfo(candidate).canonicalFilePath();
        return real.isEmpty() ? candidate : real;
    }
    return {};
}

QString javaUnderJvmRoot(const QString& jvmRoot)
{
    if (jvmRoot.isEmpty())
        return {};
    const QStringList homes = QDir(jvmRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& home : homes) {
        const QString candidate = jvmRoot + QLatin1Char('/') + home + QStringLiteral("/bin/java");
        if (isExecutableFile(candidate))
            return candidate;
    }
    return {};
}

QString findJavaProgram(const JavaSearchPlaces& places)
{
    const QString home = places.javaHome.trimmed();
    if (!home.isEmpty()) {
        const QString candidate = QDir::cleanPath(home + QStringLiteral("/bin/java"));
        if (isExecutableFile(candidate))
            return candidate;
    }
    QString found = javaOnPath(places.path);
    if (found.isEmpty())
        found = javaUnderJvmRoot(places.jvmRoot);
    return found;
}

QString unquote(QString text)
{
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    return text;
}

// The release file of a JDK or JRE holds a line JAVA_VERSION="17.0.8".
QString versionFromReleaseFile(const QString& releasePath)
{
    QFile file(releasePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = file.read(64 * 1024).split('\n');
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QStringLiteral("JAVA_VERSION=")))
            return unquote(line.mid(13));
    }
    return {};
}

// `java -version` writes to stderr, e.g.: openjdk version "17.0.8" 2023-07-18
QString versionFromProgram(const QString& javaProgram)
{
    QProcess process;
    process.setProgram(javaProgram);
    process.setArguments({QStringLiteral("-version")});
    process.start();
    if (!process.waitForStarted(VersionTimeoutMs))
        return {};
    if (!process.waitForFinished(VersionTimeoutMs)) {
        process.kill();
        process.waitForFinished(VersionTimeoutMs);
        return {};
    }
    QByteArray output = process.readAllStandardError();
    if (output.trimmed().isEmpty())
        output = process.readAllStandardOutput();
    const QString firstLine = QString::fromLocal8Bit(output).section(QLatin1Char('\n'), 0, 0);
    const qsizetype open = firstLine.indexOf(QLatin1Char('"'));
    const qsizetype close = open < 0 ? -1 : firstLine.indexOf(QLatin1Char('"'), open + 1);
    if (close < 0)
        return {};
    return firstLine.mid(open + 1, close - open - 1).trimmed();
}

} // namespace

JavaSearchPlaces currentJavaSearchPlaces()
{
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    JavaSearchPlaces places;
    places.javaHome = env.value(QStringLiteral("JAVA_HOME"));
    places.path = env.value(QStringLiteral("PATH"));
    return places;
}

QString javaVersionOf(const QString& javaProgram)
{
    const QString binFolder = QFileInfo(javaProgram).absolutePath();
    const QString home = QFileInfo(binFolder).absolutePath();
    const QString version = versionFromReleaseFile(home + QStringLiteral("/release"));
    return version.isEmpty() ? versionFromProgram(javaProgram) : version;
}

JavaInfo discoverJava(const JavaSearchPlaces& places)
{
    JavaInfo info;
    const QString program = findJavaProgram(places);
    if (program.isEmpty())
        return info;
    info.binFolder = QFileInfo(program).absolutePath() + QLatin1Char('/');
    info.version = javaVersionOf(program);
    info.bitness = sysinfo::elfClass(program) == 64 ? QStringLiteral("x64") : QStringLiteral("x86");
    return info;
}

JavaInfo discoverJava()
{
    return discoverJava(currentJavaSearchPlaces());
}

bool isJavaProgramPath(const QString& path)
{
    return QFileInfo(path).fileName() == QStringLiteral("java") ||
           path.endsWith(QStringLiteral("java.exe"), Qt::CaseSensitive);
}
