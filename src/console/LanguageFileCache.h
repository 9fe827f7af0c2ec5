#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Keeps the last console language file read, so that the console reader, which needs the file
// before every chunk, decodes and parses it again only when it has changed. An edit shows at the
// next load: the file's path, size, modification and status-change times are compared, and a file
// touched so recently that a further edit could keep the same times is read and compared byte for
// byte until it has settled.
class LanguageFileCache {
public:
    struct Content {
        QString text;
        QStringList phrases;
    };

    // The file panel/Console-lang/<fileName> as it is on disk now; empty when missing or unreadable.
    const Content& load(const QString& fileName);

private:
    struct Identity {
        QString path;
        qint64 size = -1;
        qint64 modifiedMs = 0;
        qint64 changedMs = 0;

        friend bool operator==(const Identity&, const Identity&) = default;
    };

    static Identity identityOf(const QString& path);
    void replace(const QByteArray& bytes);

    Identity m_identity;
    bool m_valid = false;
    bool m_settled = false;
    QByteArray m_bytes;
    Content m_content;
};
