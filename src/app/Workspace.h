#pragma once

#include <QString>

// The folders and default files under the run directory.
namespace workspace {

// The start-up refusal for a run directory, or the empty text when the launcher may start there:
// a blank anywhere in the path (the core's path goes unquoted into the server's command line), or
// no "download" folder. The blank test comes first.
QString startupRefusal(const QString& runDirectory);

// Restores the workspace (folders only inside the run directory): panel, panel/server, a default
// server.properties when it is missing or empty, panel/task-logs and panel/Console-lang. Reports nothing;
// what fails is tried again on the next call (the status timer calls this once a second).
void prepareWorkspace();

} // namespace workspace
