#pragma once

#include <QList>
#include <QString>

#include <utility>

// Windows-style profile files ("[section]" lines, then "key=value" lines), GBK on disk.
//
// Rules the launcher relies on:
//  - a missing file, section or key reads as the empty text, and so does a file that cannot be
//    read or is larger than MaxFileSize;
//  - writing a key creates the file and the section when needed and leaves every other line
//    untouched, byte for byte; the file is replaced atomically, and not written at all when nothing
//    changes;
//  - section and key names compare without regard to ASCII letter case; values are trimmed of
//    surrounding blanks, as the Windows reader does;
//  - characters GBK cannot hold (a Linux path such as "/opt/자바/jdk🎮/bin/java") are stored in
//    GB18030's four-byte form, which this reader decodes back; text GBK holds keeps its GBK bytes,
//    so files stay readable by any GBK reader apart from such characters.
namespace ini {

// Past this size a settings file is damaged or not a settings file: it is neither read nor rewritten
// (reading and rewriting 100 MB on the user-interface thread froze the window for many seconds).
inline constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

QString readValue(const QString& path, const QString& section, const QString& key);
// The same lookup in a file's text already read, for several keys of one file.
QString valueIn(const QString& fileText, const QString& section, const QString& key);

enum class WriteResult {
    Written,     // the file holds the values (possibly unchanged)
    LineBreak,   // a value, key or section holds a CR or LF: it would become a line of its own
    BadKey,      // a key holding "=" or starting with "[" could never be found again
    Unencodable, // a value holds text no code page can store (a lone UTF-16 surrogate)
    Unreadable,  // the current file cannot be read or is larger than MaxFileSize; left untouched
    WriteFailed, // the new file could not be written (full disk, no permission); old file untouched
};

// Writes all pairs into one section with one atomic replacement: the file gets every value or none.
WriteResult writeValues(const QString& path, const QString& section,
                        const QList<std::pair<QString, QString>>& values);

// Returns false when the file could not be written; callers that follow the "silent" rule ignore it.
bool writeValue(const QString& path, const QString& section, const QString& key, const QString& value);

} // namespace ini
