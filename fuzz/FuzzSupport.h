#pragma once

#include "platform/RunDirectory.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

// Shared by the fuzz targets: a run directory on a RAM file system (so that the targets that write
// files run at thousands of inputs a second) and a check that stops the run like a crash would.
namespace fuzzsupport {

inline const QString& runDirectory()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/velk-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/velk-fuzz-XXXXXX"));
    static const QString path = [] {
        rundir::setOverride(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("panel/server"));
        QDir(dir.path()).mkpath(QStringLiteral("panel/Console-lang"));
        return dir.path();
    }();
    return path;
}

[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline void check(bool ok, const char* what)
{
    if (!ok)
        fail(what);
}

} // namespace fuzzsupport
