#pragma once

#include <QString>

// The process that listens on a local TCP port, found through the kernel's socket tables
// (net/tcp and net/tcp6, state LISTEN) and the socket links under <pid>/fd. Returns 0 when nobody
// listens on the port or the holder's descriptors are not visible to the launcher (another user's
// process). Only the local port of a listening socket counts: a connection whose remote end uses
// the port, or a socket that is bound but not listening, does not hold it. `procRoot` is the
// mounted process file system; tests pass a folder laid out the same way.
qint64 findPortOwner(int port, const QString& procRoot = QStringLiteral("/proc"));
