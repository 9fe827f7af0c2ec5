#include "platform/SocketFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace socketfile {

Identity identityOf(const QString& path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {true, S_ISSOCK(status.st_mode), static_cast<quint64>(status.st_dev),
            static_cast<quint64>(status.st_ino)};
}

bool remove(const QString& path)
{
    return ::unlink(QFile::encodeName(path).constData()) == 0;
}

QString publishPrivately(const QString& made, const QString& target)
{
    const QByteArray from = QFile::encodeName(made);
    if (::chmod(from.constData(), 0600) != 0 ||
        ::link(from.constData(), QFile::encodeName(target).constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

} // namespace socketfile
