#pragma once

#include <QByteArray>
#include <QString>

// panel/server/server.properties as the launcher sees it: one GBK text searched for "key=", never
// parsed into a table, so comments, line order and every other key stay untouched.
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
