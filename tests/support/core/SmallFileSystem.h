#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

// A real, tiny file system (tmpfs) mounted for one test and removed afterwards, so a full disk is a
// real ENOSPC from the kernel and not a mock. Mounting needs root (CAP_SYS_ADMIN); where it is not
// allowed, isMounted() is false and error() says why, for the test's QSKIP.
class SmallFileSystem {
public:
    explicit SmallFileSystem(qint64 bytes = 256 * 1024)
    {
        m_path = m_holder.filePath(QStringLiteral("mnt"));
        QDir().mkpath(m_path);
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
        if (::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs", 0, options.constData()) == 0)
            m_mounted = true;
        else
            m_error = QStringLiteral("cannot mount a tmpfs for the full-disk test (%1); run as root")
                          .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool isMounted() const { return m_mounted; }
    QString error() const { return m_error; }
    QString path() const { return m_path; }
    QString filePath(const QString& name) const { return m_path + QLatin1Char('/') + name; }

    // Takes every free byte with a filler file, until the kernel answers ENOSPC.
    bool fill()
    {
        const int fd = ::open(QFile::encodeName(filePath(QStringLiteral(".filler"))).constData(),
                              O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        static const char block[4096] = {};
        for (size_t size = sizeof block; size > 0; size /= 2) {
            while (::write(fd, block, size) == static_cast<ssize_t>(size)) {
            }
        }
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }

    // Sets or clears the immutable attribute (chattr +i), which even root cannot write through.
    static bool setImmutable(const QString& path, bool on)
    {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return ok;
    }

private:
    QTemporaryDir m_holder;
    QString m_path;
    QString m_error;
    bool m_mounted = false;
};
