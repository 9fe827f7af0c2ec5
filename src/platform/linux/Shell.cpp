#include "platform/Shell.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace shell {

QString desktopFolder()
{
    static const QString cached = [] {
        QProcess query;
        query.start(QStringLiteral("xdg-user-dir"), {QStringLiteral("DESKTOP")});
        if (query.waitForFinished(2000) && query.exitCode() == 0) {
            const QString dir = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
            if (!dir.isEmpty() && QFileInfo(dir).isDir())
                return dir;
        }
        const QString fallback = QDir::homePath() + QStringLiteral("/Desktop");
        return QFileInfo(fallback).isDir() ? fallback : QDir::homePath();
    }();
    return cached;
}

bool openWithDefaultProgram(const QString& pathOrUrl)
{
    return QProcess::startDetached(QStringLiteral("xdg-open"), {pathOrUrl});
}

} // namespace shell
