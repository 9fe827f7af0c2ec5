#pragma once

#include "console/LanguageFileCache.h"
#include "console/ConsoleLine.h"

#include <QMutex>
#include <QString>
#include <QTime>

#include <atomic>

// Above this many GBK bytes of console text the console is emptied and shows consoleClearedNotice().
inline constexpr qsizetype ConsoleByteLimit = 199999;

// The three runs shown after the console has been emptied for growing past ConsoleByteLimit.
ConsoleLines consoleClearedNotice(const QTime& time = QTime::currentTime());

// GBK bytes of the runs' texts, for keeping a running count of the console's size.
qsizetype consoleByteCount(const ConsoleLines& lines);

// `text` with every occurrence of `search` replaced, left to right (letter case respected). The
// search resumes where the replacement was put, so a replacement that forms a new occurrence with
// the text after it is replaced again; a replacement that holds the search text itself is skipped
// over instead, which would otherwise never end. An empty search text changes nothing.
QString replaceAll(const QString& text, const QString& search, const QString& replacement);

// Turns one chunk of server output into the coloured runs for the console: drops the offline-mode
// warnings, rewrites the start-up completion line once per server run, rewrites the level markers,
// explains a missing library folder, translates with the chosen console language file and colours
// the first level word found. Used by one console reader thread at a time.
class ConsoleProcessor {
public:
    // `startupDone` is set here when the running server completes its start-up; the owner of the
    // server process clears it when the process ends.
    ConsoleProcessor() = default;

    ConsoleLines process(const QString& chunk);
    void setLanguageName(const QString& fileName);
    bool startupDone() const { return m_startupDone.load(); }
    void resetStartupDone() { m_startupDone.store(false); }

private:
    std::atomic<bool> m_startupDone{false};
    mutable QMutex m_languageMutex;
    QString m_languageName;
    LanguageFileCache m_languageFile;
};
