#pragma once

#include <QString>

// Desktop-shell operations: where the user's desktop is, and opening a folder, file or address with
// the user's default program.
namespace shell {

// The XDG desktop directory ($XDG_DESKTOP_DIR via xdg-user-dir, else ~/Desktop, else home).
QString desktopFolder();

// Opens a folder, file or web address with xdg-open, detached. Returns false when it cannot start.
bool openWithDefaultProgram(const QString& pathOrUrl);

} // namespace shell
