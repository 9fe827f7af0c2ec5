#pragma once

#include <QString>

// Windows-style profile files ("[section]" lines, then "key=value" lines), GBK on disk.
//
// Rules the launcher relies on:
//  - a missing file, section or key reads as the empty text;
//  - writing a key creates the file and the section when needed and leaves every other line
//    untouched; the file is replaced atomically, and not written at all when nothing changes;
//  - section and key names compare without regard to ASCII letter case; values are trimmed of
//    surrounding blanks, as the Windows reader does.
namespace ini {

QString readValue(const QString& path, const QString& section, const QString& key);
// The same lookup in a file's text already read, for several keys of one file.
QString valueIn(const QString& fileText, const QString& section, const QString& key);

// Returns false when the file could not be written; callers that follow the "silent" rule ignore it.
bool writeValue(const QString& path, const QString& section, const QString& key, const QString& value);

} // namespace ini
