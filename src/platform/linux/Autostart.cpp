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

namespace {

// Desktop entry values are unescaped first ("\\" is one backslash), and only then is Exec split into
// arguments by its own quoting rules; so a literal backslash in a quoted argument is written as
// four. Every argument is quoted, whether it needs it or not, and "%" is doubled: a lone "%x" is a
// field code the session would replace.
QString quoteArgument(const QString& argument)
{
    QString quoted;
    quoted.reserve(argument.size() + 2);
    quoted += QLatin1Char('"');
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += QLatin1Char('\\');
        if (c == u'%')
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted;
}

bool hasControlCharacter(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return false;
}

// The general escape of a desktop entry string value.
QString escapeValue(QString value)
{
    return value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
}

} // namespace

QString execLine(const QString& program, const QStringList& arguments)
{
    QStringList words;
    for (const QString& word : QStringList{program} + arguments) {
        if (hasControlCharacter(word))
            return {};
        words.append(quoteArgument(word));
    }
    return escapeValue(words.join(QLatin1Char(' ')));
}

bool registerEntry(const QString& entryName, const QString& programFile, const QStringList& arguments)
{
    const QFileInfo program(programFile);
    if (!program.isFile())
        return false;
    const QString exec = execLine(program.absoluteFilePath(), arguments);
    if (exec.isEmpty())
        return false;
    const QString path = entryPath(entryName);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=") +
                          entryName + QStringLiteral("\nExec=") + exec + QStringLiteral("\nPath=") +
                          escapeValue(program.absolutePath()) +
                          QStringLiteral("\nX-GNOME-Autostart-enabled=true\n");
    return writeFileAtomically(path, entry.toUtf8());
}

bool removeEntry(const QString& entryName)
{
    const QString path = entryPath(entryName);
    return !QFileInfo::exists(path) || QFile::remove(path);
}

} // namespace autostart
