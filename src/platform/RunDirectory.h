#pragma once

#include <QString>

// The folder that holds the launcher's program file. Every path of the launcher is this folder plus
// a relative path; both "/" and "\" are accepted as separators in the relative part.
namespace rundir {

// The folder of /proc/self/exe, or the override (the --run-dir option), as an absolute path without
// a trailing separator.
QString path();
void setOverride(const QString& folder);

// path() + "/" + relative, with "\" turned into "/" and doubled separators collapsed.
QString join(const QString& relative);

// The program file the autostart entry points at (/proc/self/exe).
QString programFile();

} // namespace rundir
