#pragma once

#include <QList>
#include <QString>

#include <utility>

// The launcher's own settings files under the run directory, read and written one key at a time.
// On/off values are the texts "启用" and "停用"; anything else reads as off.
namespace settings {

inline const QString OnValue = QStringLiteral("启用");
inline const QString OffValue = QStringLiteral("停用");

// panel/velk.ini, section "保留配置"
inline const QString PreferencesSection = QStringLiteral("保留配置");
inline const QString CrashRestartKey = QStringLiteral("崩服自启");
inline const QString EasingKey = QStringLiteral("缓动特效");
inline const QString AutostartKey = QStringLiteral("开机自启");
inline const QString ConsoleLanguageKey = QStringLiteral("控制台语言文件");

// panel/server.ini, section "服务器数据"
inline const QString ServerSection = QStringLiteral("服务器数据");
inline const QString JavaPathKey = QStringLiteral("Java路径");
inline const QString CoreKey = QStringLiteral("核心");
inline const QString MemoryKey = QStringLiteral("内存");
inline const QString AutosaveKey = QStringLiteral("自动保存");
inline const QString ChatNameKey = QStringLiteral("聊天名称");
inline const QString ExtraArgsKey = QStringLiteral("后置参数");

// The autostart entry's name.
inline const QString AutostartEntryName = QStringLiteral("VelkManager");

QString preferencesPath();
QString serverSettingsPath();

QString readPreference(const QString& key);
bool writePreference(const QString& key, const QString& value);
inline bool isOn(const QString& value)
{
    return value == OnValue;
}
inline QString onOff(bool on)
{
    return on ? OnValue : OffValue;
}

QString readServerSetting(const QString& key);
bool writeServerSetting(const QString& key, const QString& value);

// The texts the save of the launch settings reports in its "数据提示" box.
inline const QString SaveSucceededText = QStringLiteral("保存数据成功");
inline const QString SaveFailedText = QStringLiteral("保存数据失败，请检查磁盘空间和文件权限");
inline const QString SaveLineBreakText = QStringLiteral("保存数据失败，数据中不能包含换行");

// Saves the launch settings (key, value pairs in order) into panel/server.ini in one replacement:
// every key is stored or none is. Returns the empty text when all were stored, else the failure
// text to show: SaveLineBreakText for a value with a line break, SaveFailedText for anything else
// (full disk, a folder or a read-only file in the way, an unreadable or oversized file).
QString saveServerSettings(const QList<std::pair<QString, QString>>& values);

// Registers or removes the autostart entry "VelkManager" for the running program.
void applyAutostart(bool enabled);

} // namespace settings
