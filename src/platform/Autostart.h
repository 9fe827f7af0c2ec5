#pragma once

#include <QString>
#include <QStringList>

// Start the launcher when the user logs in: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/<name>.desktop).
namespace autostart {

QString entryPath(const QString& entryName);

// Creates the entry that runs `programFile` with `arguments`, each quoted by the Exec rules of the
// desktop entry format. Writes nothing and returns false when the file does not exist or a path or
// argument holds a control character, which an Exec line cannot carry.
bool registerEntry(const QString& entryName, const QString& programFile, const QStringList& arguments = {});

// The Exec value (as written in the file) that runs `program` with `arguments`, or the empty text
// when one of them holds a control character.
QString execLine(const QString& program, const QStringList& arguments);

// Removes the entry of that name if it is there (also one made by hand).
bool removeEntry(const QString& entryName);

} // namespace autostart
