#include "platform/SystemInfo.h"

#include <QFile>
#include <QList>

#include <cmath>
#include <sys/utsname.h>

namespace sysinfo {
namespace {

// Reads one "Key:   12345 kB" line; -1 when the key is missing or its value is not a number.
qint64 meminfoKilobytes(const QString& meminfoPath, const QByteArray& key)
{
    QFile file(meminfoPath);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    // /proc files report a size of 0, so QFile::atEnd() is true before the first read; readAll()
    // reads until the real end.
    const QByteArray prefix = key + ':';
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (!line.startsWith(prefix))
            continue;
        QByteArray value = line.mid(prefix.size()).trimmed();
        if (value.endsWith("kB"))
            value.chop(2);
        bool ok = false;
        const qint64 kb = value.trimmed().toLongLong(&ok);
        return ok && kb >= 0 ? kb : -1;
    }
    return -1;
}

qint64 kilobytesToRoundedMb(qint64 kb)
{
    return kb < 0 ? 0 : static_cast<qint64>(std::llround(static_cast<double>(kb) / 1024.0));
}

} // namespace

qint64 freeMemoryMb(const QString& meminfoPath)
{
    qint64 kb = meminfoKilobytes(meminfoPath, "MemAvailable");
    // Kernels before 3.14 have no MemAvailable; free memory is the closest they offer.
    if (kb < 0)
        kb = meminfoKilobytes(meminfoPath, "MemFree");
    return kilobytesToRoundedMb(kb);
}

qint64 freeMemoryMb()
{
    return freeMemoryMb(QStringLiteral("/proc/meminfo"));
}

qint64 totalMemoryMb(const QString& meminfoPath)
{
    return kilobytesToRoundedMb(meminfoKilobytes(meminfoPath, "MemTotal"));
}

qint64 totalMemoryMb()
{
    return totalMemoryMb(QStringLiteral("/proc/meminfo"));
}

bool isSixtyFourBitMachine(const QString& machine)
{
    // x86_64, aarch64, ppc64le, s390x, riscv64, loongarch64, ...
    return machine.contains(QStringLiteral("64")) || machine == QStringLiteral("s390x");
}

bool is64BitSystem()
{
    struct utsname name {};
    if (uname(&name) != 0)
        return false;
    return isSixtyFourBitMachine(QString::fromLatin1(name.machine));
}

int elfClass(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray head = file.read(5);
    if (head.size() < 5 || !head.startsWith("\x7f"
                                            "ELF"))
        return 0;
    switch (head.at(4)) {
    case 1:
        return 32;
    case 2:
        return 64;
    default:
        return 0;
    }
}

} // namespace sysinfo
