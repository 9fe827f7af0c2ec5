#include "server/LaunchSettings.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/RunDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

qint64 suggestMemory(const JavaInfo& java, qint64 freeMb)
{
    const qint64 m = qMax<qint64>(freeMb, 0);
    if (java.bitness == QStringLiteral("x86"))
        return qMin<qint64>(m, 1024);
    const double threeQuarters = double(m) - double(m) / 2.0 + double(m) / 4.0;
    return static_cast<qint64>(std::llround(threeQuarters));
}

QString memoryQuestionText(const JavaInfo& java, qint64 freeMb, qint64 suggested)
{
    return QStringLiteral("Java位数 ") + java.bitness + QStringLiteral("位\r\n本机剩余内存: ") +
           QString::number(freeMb) + QStringLiteral(" MB 计算所得\r\n开服分配内存: ") +
           QString::number(suggested) + QStringLiteral(" MB （Beta）\r\n请问是否需要使用这个分配内存？");
}

CoreListResult refreshCoreList(const QString& storedCore, const QString& serverFolder)
{
    CoreListResult result;
    result.coreField = storedCore;
    QDir folder(serverFolder);
    folder.setNameFilters({QStringLiteral("*.jar")});
    folder.setFilter(QDir::Files | QDir::Hidden);
    folder.setSorting(QDir::Name);
    result.items = folder.entryList(); // QDir name filters ignore case by default

    const QString jar = QStringLiteral("jar");
    if (!storedCore.endsWith(jar))
        return result;
    if (result.items.isEmpty())
        result.coreField =
            QStringLiteral("你之前的核心： ") + storedCore + QStringLiteral(" 没有找到已清空数据");
    else if (!result.items.contains(storedCore, Qt::CaseSensitive))
        result.coreField = QStringLiteral("你之前的核心： ") + storedCore +
                           QStringLiteral(" 没有在服务器文件夹中找到所以已清空数据");
    return result;
}

QString extraArgsRule(const QString& text)
{
    if (text.isEmpty() || text.startsWith(QLatin1Char('-')))
        return text;
    return QLatin1Char('-') + text;
}

QString autosaveRule(const QString& text)
{
    if (text.isEmpty() || text == QStringLiteral("0"))
        return QStringLiteral("3");
    return text;
}

QString startFileLine(const QString& javaPath, const QString& memory, const QString& core,
                      const QString& extraArgs)
{
    QString line = QLatin1Char('"') + javaPath + QStringLiteral("\" -Xmx") + memory +
                   QStringLiteral("M -Xms") + memory + QStringLiteral("M ");
    if (!extraArgs.isEmpty())
        line += extraArgs + QLatin1Char(' ');
    return line + QStringLiteral("-jar ") + core;
}

QString startFilePath()
{
    return rundir::join(QStringLiteral("panel/server/Velk开服.bat"));
}

bool exportStartFile(const QString& line)
{
    const QString path = startFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeFileAtomically(path, codepage::toGbk(line));
}

namespace {

fs::path toFsPath(const QString& path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

bool sameContent(const QString& a, const QString& b)
{
    QFile left(a);
    QFile right(b);
    if (!left.open(QIODevice::ReadOnly) || !right.open(QIODevice::ReadOnly) || left.size() != right.size())
        return false;
    constexpr qint64 Chunk = 1 << 20;
    while (!left.atEnd()) {
        const QByteArray l = left.read(Chunk);
        if (l.isEmpty() || l != right.read(Chunk))
            return false;
    }
    return right.atEnd();
}

// The hard link is the move within one file system: it fails instead of replacing an existing
// name, so a core that appears at the last moment is never overwritten.
InstallCoreResult moveWithoutReplacing(const QString& from, const QString& to)
{
    const fs::path source = toFsPath(from);
    const fs::path target = toFsPath(to);
    std::error_code ec;
    fs::create_hard_link(source, target, ec);
    if (!ec) {
        if (fs::remove(source, ec))
            return InstallCoreResult::Moved;
        fs::remove(target, ec);
        return InstallCoreResult::Failed;
    }
    if (ec == std::errc::file_exists)
        return InstallCoreResult::AlreadyExists;

    // Another file system (or one without hard links): copy, compare, then remove the original.
    // Whatever fails on the way, the original stays and a partial copy is taken away.
    ec.clear();
    if (!fs::copy_file(source, target, fs::copy_options::none, ec)) {
        if (ec == std::errc::file_exists)
            return InstallCoreResult::AlreadyExists;
        fs::remove(target, ec);
        return InstallCoreResult::Failed;
    }
    if (!sameContent(from, to) || !fs::remove(source, ec)) {
        fs::remove(target, ec);
        return InstallCoreResult::Failed;
    }
    return InstallCoreResult::Moved;
}

} // namespace

InstallCoreResult installCore(const QString& chosenPath, const QString& serverFolder)
{
    QDir().mkpath(serverFolder);
    if (chosenPath.isEmpty())
        return InstallCoreResult::NoFile;
    const QString name = QFileInfo(chosenPath).fileName();
    if (!name.endsWith(QStringLiteral("jar")))
        return InstallCoreResult::NotJar;
    const QString target = QDir(serverFolder).absoluteFilePath(name);
    const QFileInfo targetInfo(target);
    // A dangling link is a name too, and a file chosen from the server folder itself is already there.
    if (targetInfo.exists() || targetInfo.isSymLink())
        return InstallCoreResult::AlreadyExists;
    if (!QFileInfo(chosenPath).isFile())
        return InstallCoreResult::Failed;
    return moveWithoutReplacing(chosenPath, target);
}
