#include "platform/Autostart.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace autostart {

QString entryPath(const QString& entryName)
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty())
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return configHome + QStringLiteral("/autostart/") + entryName + QStringLiteral(".desktop");
}

bool registerEntry(const QString& entryName, const QString& programFile)
{
    const QFileInfo program(programFile);
    if (!program.isFile())
        return false;
    const QString path = entryPath(entryName);
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Exec needs quoting rules of its own: a path with blanks or quotes is double-quoted and escaped.
    QString exec = program.absoluteFilePath();
    exec.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=") +
                          entryName + QStringLiteral("\nExec=\"") + exec + QStringLiteral("\"\nPath=") +
                          program.absolutePath() + QStringLiteral("\nX-GNOME-Autostart-enabled=true\n");
    return writeFileAtomically(path, entry.toUtf8());
}

bool removeEntry(const QString& entryName)
{
    const QString path = entryPath(entryName);
    return !QFileInfo::exists(path) || QFile::remove(path);
}

} // namespace autostart
