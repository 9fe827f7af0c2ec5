#include "settings/Settings.h"

#include "platform/Autostart.h"
#include "platform/IniFile.h"
#include "platform/RunDirectory.h"

namespace settings {

QString preferencesPath()
{
    return rundir::join(QStringLiteral("panel/velk.ini"));
}

QString serverSettingsPath()
{
    return rundir::join(QStringLiteral("panel/server.ini"));
}

QString readPreference(const QString& key)
{
    return ini::readValue(preferencesPath(), PreferencesSection, key);
}

bool writePreference(const QString& key, const QString& value)
{
    return ini::writeValue(preferencesPath(), PreferencesSection, key, value);
}

QString readServerSetting(const QString& key)
{
    return ini::readValue(serverSettingsPath(), ServerSection, key);
}

bool writeServerSetting(const QString& key, const QString& value)
{
    return ini::writeValue(serverSettingsPath(), ServerSection, key, value);
}

QString saveServerSettings(const QList<std::pair<QString, QString>>& values)
{
    switch (ini::writeValues(serverSettingsPath(), ServerSection, values)) {
    case ini::WriteResult::Written:
        return {};
    case ini::WriteResult::LineBreak:
        return SaveLineBreakText;
    case ini::WriteResult::BadKey:
    case ini::WriteResult::Unencodable:
    case ini::WriteResult::Unreadable:
    case ini::WriteResult::WriteFailed:
        break;
    }
    return SaveFailedText;
}

void applyAutostart(bool enabled)
{
    if (enabled) {
        // A launcher started with --run-dir must come back to the same folder at the next login.
        const QString program = rundir::programFile();
        QStringList arguments;
        if (rundir::path() != program.left(program.lastIndexOf(QLatin1Char('/'))))
            arguments = {QStringLiteral("--run-dir"), rundir::path()};
        autostart::registerEntry(AutostartEntryName, program, arguments);
    } else
        autostart::removeEntry(AutostartEntryName);
}

} // namespace settings
