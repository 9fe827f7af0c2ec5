#pragma once

#include <QString>

#include <atomic>

// Process-wide server state shared between the user-interface thread and the server's background
// threads. Texts are replaced whole under a lock; the flag is atomic.
namespace serverstate {

inline const QString Running = QStringLiteral("已开服");
inline const QString Stopped = QStringLiteral("未开服");
inline const QString ManualStop = QStringLiteral("手动");

// ServerState: "已开服" while the server runs, "未开服" otherwise; empty until the first status tick.
QString serverState();
void setServerState(const QString& state);
inline bool isRunningState()
{
    return serverState() == Running;
}

// StopReason: "手动" when the next end of the server process was asked for, otherwise empty.
QString stopReason();
void setStopReason(const QString& reason);

// StartupDone: set when the running server has printed its start-up completion line.
std::atomic<bool>& startupDone();

} // namespace serverstate
