#include "platform/AtomicFile.h"

#include "platform/RunDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How many links are followed before a chain is taken for a loop (the kernel's own limit).
constexpr int MaxLinkHops = 40;

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

bool realPath(const QString& path, QString* out)
{
    char resolved[PATH_MAX];
    if (!::realpath(native(path).constData(), resolved))
        return false;
    *out = QFile::decodeName(resolved);
    return true;
}

bool isInside(const QString& root, const QString& path)
{
    if (root == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

QString cleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The file a rewrite of `path` really replaces. Under the run directory a link is followed only while
// its target stays inside; a link that leaves it (also a dangling one) is itself the file replaced,
// so that the rename swaps the link for a regular file and nothing outside is touched. False when the
// path's own folder is missing or, under the run directory, lies outside it.
bool resolveWriteTarget(const QString& path, QString* target)
{
    const QString runRoot = rundir::path();
    QString realRoot;
    const bool haveRoot = realPath(runRoot, &realRoot);
    QString current = cleanAbsolute(path);
    bool underRun = isInside(runRoot, current);
    QString named; // the entry `path` names, in its real folder
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        const QFileInfo info(current);
        QString realFolder;
        const bool folderExists = realPath(info.path(), &realFolder);
        if (hop == 0) {
            if (!folderExists)
                return false;
            underRun = underRun || (haveRoot && isInside(realRoot, realFolder));
            if (underRun && (!haveRoot || !isInside(realRoot, realFolder)))
                return false;
        } else if (underRun && (!folderExists || !isInside(realRoot, realFolder))) {
            *target = named;
            return true;
        } else if (!folderExists) {
            return false;
        }
        const QString entry = realFolder == QLatin1String("/")
                                  ? QLatin1Char('/') + info.fileName()
                                  : realFolder + QLatin1Char('/') + info.fileName();
        if (hop == 0)
            named = entry;
        struct stat st;
        if (::lstat(native(entry).constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *target = entry;
            return true;
        }
        char link[PATH_MAX];
        const ssize_t length = ::readlink(native(entry).constData(), link, sizeof link - 1);
        if (length <= 0)
            break;
        const QString linkText = QFile::decodeName(QByteArray(link, length));
        current = QDir::cleanPath(
            linkText.startsWith(QLatin1Char('/')) ? linkText : realFolder + QLatin1Char('/') + linkText);
    }
    // A loop of links: replaced under the run directory, refused elsewhere.
    if (!underRun)
        return false;
    *target = named;
    return true;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

bool holdsExactly(const QByteArray& path, const QByteArray& bytes)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.readAll() == bytes;
}

} // namespace

bool writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    QString target;
    if (!resolveWriteTarget(path, &target))
        return false;
    const QByteArray file = native(target);
    struct stat st;
    const bool exists = ::lstat(file.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return false;
    const bool regular = exists && S_ISREG(st.st_mode);
    if (regular && st.st_size == bytes.size() && holdsExactly(file, bytes))
        return true;
    // The rename would replace a read-only file too; its owner made it read-only to keep it.
    if (regular && ::access(file.constData(), W_OK) != 0)
        return false;

    const qsizetype slash = file.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? file.left(slash) : QByteArray("/");
    const QByteArray name = file.mid(slash + 1);
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp =
            folder + "/." + name + ".new-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    // Each step is checked: on a full disk write() or fsync() reports ENOSPC (and on some file systems
    // only close() does); a replaced file keeps its permission bits.
    bool ok = (!regular || ::fchmod(fd, st.st_mode & 07777) == 0) && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.constData(), file.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd); // makes the rename itself durable; a failure here loses nothing
        ::close(folderFd);
    }
    return true;
}

FileRead readFile(const QString& path, qint64 maxBytes)
{
    FileRead result;
    // Non-blocking, so that a FIFO in place of a settings file cannot hang the caller in open().
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        result.status = errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
        return result;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return result;
    }
    if (st.st_size > maxBytes) {
        ::close(fd);
        result.status = ReadStatus::TooLarge;
        return result;
    }
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return result;
        }
        if (got == 0)
            break;
        bytes.append(buffer, got);
        if (bytes.size() > maxBytes) { // the file grew while being read
            ::close(fd);
            result.status = ReadStatus::TooLarge;
            return result;
        }
    }
    ::close(fd);
    result.status = ReadStatus::Read;
    result.bytes = bytes;
    return result;
}

QByteArray readWholeFile(const QString& path)
{
    return readFile(path).bytes;
}

bool makeFolders(const QString& folder)
{
    const QString wanted = cleanAbsolute(folder);
    const QString runRoot = rundir::path();
    if (!isInside(runRoot, wanted))
        return QDir().mkpath(wanted);
    if (!QFileInfo::exists(runRoot) && !QDir().mkpath(runRoot))
        return false;
    QString realRoot;
    if (!realPath(runRoot, &realRoot))
        return false;
    QString current = runRoot;
    const QStringList parts = wanted.mid(runRoot.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        current += QLatin1Char('/') + part;
        struct stat st;
        if (::lstat(native(current).constData(), &st) != 0) {
            if (::mkdir(native(current).constData(), 0777) != 0 && errno != EEXIST)
                return false;
            continue;
        }
        QString real;
        if (!realPath(current, &real) || !isInside(realRoot, real) || !QFileInfo(real).isDir())
            return false;
    }
    return true;
}
