#pragma once

#include <functional>

class QObject;

// Turns SIGTERM, SIGINT and SIGHUP into a call on the event loop of `context`'s thread, so the
// launcher shuts down through its normal path (server ended, player files and socket removed)
// when the session ends or the user presses Ctrl+C in a terminal.
void onTerminationSignal(QObject* context, std::function<void()> handler);
