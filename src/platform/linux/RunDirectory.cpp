#include "platform/RunDirectory.h"

#include <QDir>
#include <QFileInfo>

namespace rundir {
namespace {
QString& overrideFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString programFile()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString path()
{
    QString folder = overrideFolder();
    if (folder.isEmpty())
        folder = QFileInfo(programFile()).absolutePath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

void setOverride(const QString& folder)
{
    overrideFolder() = folder.isEmpty() ? QString() : QDir(folder).absolutePath();
}

QString join(const QString& relative)
{
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (rel.contains(QStringLiteral("//")))
        rel.replace(QStringLiteral("//"), QStringLiteral("/"));
    while (rel.startsWith(QLatin1Char('/')))
        rel.remove(0, 1);
    const QString base = path();
    if (rel.isEmpty())
        return base;
    return base.endsWith(QLatin1Char('/')) ? base + rel : base + QLatin1Char('/') + rel;
}

} // namespace rundir
