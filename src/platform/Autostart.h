#pragma once

#include <QString>

// Start the launcher when the user logs in: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/<name>.desktop).
namespace autostart {

QString entryPath(const QString& entryName);

// Creates the entry pointing at `programFile`; does nothing when that file does not exist.
bool registerEntry(const QString& entryName, const QString& programFile);

// Removes the entry of that name if it is there (also one made by hand).
bool removeEntry(const QString& entryName);

} // namespace autostart
