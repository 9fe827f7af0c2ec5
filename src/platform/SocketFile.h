#pragma once

#include <QString>
#include <QtGlobal>

// The file-system side of a local socket: what sits at a path (without following a link), putting
// a freshly made socket in place for its owner alone, and removing it.
namespace socketfile {

struct Identity {
    bool exists = false;
    bool isSocket = false;
    quint64 device = 0;
    quint64 inode = 0;

    bool sameFileAs(const Identity& other) const
    {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
};

Identity identityOf(const QString& path);
bool remove(const QString& path);
// Gives `made` mode 0600 and links it at `target`, never replacing a file there. Returns the
// failure's reason, or an empty text when it worked.
QString publishPrivately(const QString& made, const QString& target);

} // namespace socketfile
