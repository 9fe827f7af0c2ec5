#pragma once

#include <QByteArray>
#include <QString>

// panel/server/server.properties as the launcher sees it: the file's bytes searched for "key=", never
// parsed into a table and never re-encoded, so comments, line order, every other key and every byte
// the launcher does not mean to change stay untouched. A value is read and written in the file's own
// encoding: UTF-8 when the file is UTF-8 text beyond ASCII, else GBK. A file that cannot be read, or
// is larger than 4 MiB, reads as empty and is never rewritten.
namespace serverprops {

QString propertiesPath();

// The text written when the file is missing or empty (722 bytes, no line end after the last line).
QByteArray defaultTemplate();

// The value of the first "key=" in the file, up to the end of its line; empty when absent.
// Removes stray "force-gamemode=true\r\n" / "force-gamemode=false\r\n" lines from the file first.
QString readServerProperty(const QString& key);

// Replaces the whole value of the first "key=" occurrence; a key that is absent is not added.
void writeServerProperty(const QString& key, const QString& value);

} // namespace serverprops
