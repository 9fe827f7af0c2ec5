#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Keeps the last console language file read, so that the console reader, which needs the file
// for every chunk, decodes and parses it again only when it has changed. An edit shows at the
// next load that looks at the file: the file's path, size, modification and status-change times
// are compared, and a file touched so recently that a further edit could keep the same times is
// read and compared byte for byte until it has settled.
class LanguageFileCache {
public:
    struct Translation {
        QString phrase;
        QString translation; // never empty: a phrase without one is left out
    };
    struct Content {
        QString text;
        QStringList phrases;
        // The phrases in file order with their translations, looked up once per file version.
        QList<Translation> translations;
    };

    // The file panel/Console-lang/<fileName> as it is on disk now; empty when missing or unreadable.
    // With `recheckMs` > 0, a load of the same name within that many milliseconds of the last look at
    // the file returns what that look found, without touching the disk.
    const Content& load(const QString& fileName, int recheckMs = 0);

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

    QString m_name;
    qint64 m_checkedAtMs = 0; // steady clock
    Identity m_identity;
    bool m_valid = false;
    bool m_settled = false;
    QByteArray m_bytes;
    Content m_content;
};
