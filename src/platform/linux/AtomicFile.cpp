#include "platform/AtomicFile.h"

#include <QFile>
#include <QSaveFile>

bool writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    QFile current(path);
    if (current.open(QIODevice::ReadOnly)) {
        if (current.size() == bytes.size() && current.readAll() == bytes)
            return true;
        current.close();
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QByteArray readWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
