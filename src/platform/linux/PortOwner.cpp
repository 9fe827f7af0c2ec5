#include "platform/PortOwner.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <unistd.h>
#include <vector>

namespace {

constexpr char ListenState[] = "0A";

// Rows of net/tcp and net/tcp6 look like
//   "   0: 00000000:63DD 00000000:0000 0A 00000000:00000000 00:00000000 00000000  1000  0 45110 1 ..."
// with the local address, the remote address, the state and, tenth, the socket inode.
void collectListeningInodes(const QString& path, int port, QSet<QByteArray>* inodes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // The kernel's tables report a size of 0, so the file is read to its end rather than by size.
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) { // line 0 is the column header
        const QByteArray& line = lines.at(i);
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 10 || fields.at(3) != ListenState)
            continue;
        const QByteArray& local = fields.at(1);
        const qsizetype colon = local.lastIndexOf(':');
        if (colon < 0)
            continue;
        bool ok = false;
        const int localPort = local.mid(colon + 1).toInt(&ok, 16);
        if (!ok || localPort != port)
            continue;
        const QByteArray& inode = fields.at(9);
        if (inode != "0" &&
            std::all_of(inode.begin(), inode.end(), [](char c) { return c >= '0' && c <= '9'; }))
            inodes->insert(inode);
    }
}

QByteArray linkTarget(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    char buffer[256];
    const ssize_t n = ::readlink(name.constData(), buffer, sizeof buffer);
    return n > 0 ? QByteArray(buffer, static_cast<qsizetype>(n)) : QByteArray();
}

} // namespace

qint64 findPortOwner(int port, const QString& procRoot)
{
    if (port <= 0 || port > 65535)
        return 0;
    QSet<QByteArray> inodes;
    collectListeningInodes(procRoot + QStringLiteral("/net/tcp"), port, &inodes);
    collectListeningInodes(procRoot + QStringLiteral("/net/tcp6"), port, &inodes);
    if (inodes.isEmpty())
        return 0;

    // Several processes can share one socket (a server and the children it forked); the lowest id
    // is reported, which is usually the one that opened it.
    std::vector<qint64> pids;
    const QStringList entries = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (ok && pid > 0)
            pids.push_back(pid);
    }
    std::sort(pids.begin(), pids.end());

    for (qint64 pid : pids) {
        const QString fdDir = procRoot + QLatin1Char('/') + QString::number(pid) + QStringLiteral("/fd");
        const QStringList fds = QDir(fdDir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString& fd : fds) {
            const QByteArray target = linkTarget(fdDir + QLatin1Char('/') + fd);
            // "socket:[45110]"
            if (target.startsWith("socket:[") && target.endsWith(']') &&
                inodes.contains(target.mid(8, target.size() - 9)))
                return pid;
        }
    }
    return 0;
}
