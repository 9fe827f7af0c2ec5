#include "server/ServerState.h"

#include <QMutex>
#include <QMutexLocker>

namespace serverstate {
namespace {
QMutex& lock()
{
    static QMutex mutex;
    return mutex;
}
QString& stateText()
{
    static QString text;
    return text;
}
QString& reasonText()
{
    static QString text;
    return text;
}
} // namespace

QString serverState()
{
    QMutexLocker locker(&lock());
    return stateText();
}

void setServerState(const QString& state)
{
    QMutexLocker locker(&lock());
    stateText() = state;
}

QString stopReason()
{
    QMutexLocker locker(&lock());
    return reasonText();
}

void setStopReason(const QString& reason)
{
    QMutexLocker locker(&lock());
    reasonText() = reason;
}

std::atomic<bool>& startupDone()
{
    static std::atomic<bool> flag{false};
    return flag;
}

} // namespace serverstate
