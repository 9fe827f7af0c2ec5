#pragma once

#include "console/ConsoleLine.h"
#include "console/LanguageFileCache.h"

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
// explains a missing library folder, translates with the console language file it was given and
// colours the first level word found. Holds no reference to outside state: the language file's name
// is handed in by value, and the start-up flag is its own.
class ConsoleProcessor {
public:
    // How long the language file's size and times are trusted before they are looked at again. A
    // flooding server sends thousands of chunks a second; an edit of the file shows this much later
    // at most. A newly chosen file is read at the next chunk.
    static constexpr int LanguageRecheckMs = 500;

    ConsoleProcessor() = default;
    ConsoleProcessor(const ConsoleProcessor&) = delete;
    ConsoleProcessor& operator=(const ConsoleProcessor&) = delete;

    // The coloured runs for one chunk, or none when the chunk is dropped. One thread at a time
    // (the console reader).
    ConsoleLines process(const QString& chunk);

    // The language file (a name in panel/Console-lang, empty for none) used from the next chunk on.
    // Any thread.
    void setLanguageName(const QString& fileName);

    // Set when the running server's start-up completion line has gone through process(); cleared
    // by resetStartupDone() (a new server run). Any thread.
    bool startupDone() const { return m_startupDone.load(); }
    void resetStartupDone() { m_startupDone.store(false); }

private:
    std::atomic<bool> m_startupDone{false};

    QMutex m_nameMutex; // guards m_chosenName, the hand-over from the setter to process()
    QString m_chosenName;
    std::atomic<bool> m_nameChanged{false};

    // Used by process() alone.
    QString m_languageName;
    LanguageFileCache m_languageFile;
};
