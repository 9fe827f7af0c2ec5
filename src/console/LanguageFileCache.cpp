#include "console/LanguageFileCache.h"

#include "console/ConsoleLanguage.h"
#include "platform/CodePage.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

namespace {

// File times can be as coarse as two seconds (FAT); within this distance of the last read an edit
// may leave size and times unchanged.
constexpr qint64 SettleMs = 3000;

} // namespace

LanguageFileCache::Identity LanguageFileCache::identityOf(const QString& path)
{
    Identity identity;
    identity.path = path;
    if (path.isEmpty())
        return identity;
    const QFileInfo info(path);
    if (!info.isFile())
        return identity;
    identity.size = info.size();
    identity.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    identity.changedMs = info.metadataChangeTime().toMSecsSinceEpoch();
    return identity;
}

const LanguageFileCache::Content& LanguageFileCache::load(const QString& fileName, int recheckMs)
{
    const qint64 nowMs = QDeadlineTimer::current().deadline();
    if (m_valid && recheckMs > 0 && fileName == m_name && nowMs - m_checkedAtMs < recheckMs)
        return m_content;
    m_name = fileName;
    m_checkedAtMs = nowMs;

    const QString path = consolelang::languageFilePath(fileName);
    const Identity identity = identityOf(path);
    if (m_valid && m_settled && identity == m_identity)
        return m_content;

    const qint64 readAtMs = QDateTime::currentMSecsSinceEpoch();
    QByteArray bytes;
    if (identity.size >= 0 && identity.size <= consolelang::MaxLanguageFileBytes) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.read(consolelang::MaxLanguageFileBytes + 1);
        if (bytes.size() > consolelang::MaxLanguageFileBytes)
            bytes.clear();
    }
    if (!m_valid || bytes != m_bytes)
        replace(bytes);
    m_valid = true;
    m_identity = identity;
    // A file whose times lie in the future (clock skew) never settles and is simply read each time.
    m_settled = identity.size >= 0 && readAtMs - identity.modifiedMs > SettleMs &&
                readAtMs - identity.changedMs > SettleMs;
    return m_content;
}

void LanguageFileCache::replace(const QByteArray& bytes)
{
    m_bytes = bytes;
    m_content.text = codepage::fromGbk(bytes);
    m_content.phrases = consolelang::phraseListOf(m_content.text);
    m_content.translations.clear();
    for (const QString& phrase : m_content.phrases) {
        QString translation = consolelang::translationIn(m_content.text, phrase);
        if (!translation.isEmpty())
            m_content.translations.append({phrase, std::move(translation)});
    }
}
