#pragma once

#include "server/JavaDiscovery.h"

#include <QString>
#include <QStringList>

// The rules behind the "开服设置" page: suggested memory, the core list, the edit rules of the extra
// arguments and autosave fields, the exported start file and the installation of a core file.
// Nothing here touches a widget; the page applies the results.

// The proposed heap size in MB for `freeMb` MB of available memory: three quarters of it for a
// 64-bit runtime, at most 1024 for a 32-bit one.
qint64 suggestMemory(const JavaInfo& java, qint64 freeMb);

// The question of the ConfirmBox titled "分配内存计算提示".
QString memoryQuestionText(const JavaInfo& java, qint64 freeMb, qint64 suggested);

struct CoreListResult {
    QStringList items; // the jar files of the server folder, by name
    QString coreField; // the stored core, or the notice that replaces it
};

// The core list and the core field after a refresh: the jar files (not folders) of `serverFolder`,
// and `storedCore` as read from the settings file, replaced by a notice when it ends in "jar" but is
// not among the files. The file name pattern is matched without regard to case, as a Windows "*.jar"
// search does, so "Paper.JAR" is listed.
CoreListResult refreshCoreList(const QString& storedCore, const QString& serverFolder);

// The field rules: a non-empty extra-arguments text starts with "-"; an autosave of "0" or nothing
// becomes "3".
QString extraArgsRule(const QString& text);
QString autosaveRule(const QString& text);

// The one line of the exported start file: the quoted Java path, the equal heap sizes, the extra
// arguments when there are any, "-jar" and the core's bare file name.
QString startFileLine(const QString& javaPath, const QString& memory, const QString& core,
                      const QString& extraArgs);

// The exported start file, panel/server/Velk开服.bat under the run directory.
QString startFilePath();

// Writes `line` in GBK, without a line end, to startFilePath(), replacing any earlier file.
bool exportStartFile(const QString& line);

enum class InstallCoreResult {
    NoFile,        // nothing was chosen; only the server folder was made
    NotJar,        // the file name does not end in "jar"
    AlreadyExists, // the server folder already holds that name; nothing was touched
    Moved,         // the file now lies in the server folder and no longer where it was
    Failed,        // nothing could be moved; the chosen file stays where it was
};

// Moves the chosen core file into `serverFolder` (created first, also when nothing was chosen). A
// core of the same name is never replaced. Between file systems the file is copied, compared with
// the original, and only then is the original removed.
InstallCoreResult installCore(const QString& chosenPath, const QString& serverFolder);
