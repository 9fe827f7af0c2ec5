#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Console language files: GBK text files in panel/Console-lang that list English console phrases
// between "<velk>" and "</velk>" and give each one's translation between "<phrase>" and
// "</phrase>". The header is the INI section "lang".
namespace consolelang {

inline const QString DefaultLanguageFileName = QStringLiteral("zh-cn.lang");

// A language file is about a kilobyte; anything far larger is not one, and reading it again
// whenever it changes would stall the console, so it reads as unreadable.
inline constexpr qint64 MaxLanguageFileBytes = 4 * 1024 * 1024;

struct LanguageHeader {
    QString name;
    QString author;
    QString version;

    friend bool operator==(const LanguageHeader&, const LanguageHeader&) = default;
};

// rundir + "panel/Console-lang/" + fileName, or the empty text for a name that would leave that
// folder (a separator, "." or "..") or is empty; such a name reads as a missing file everywhere.
QString languageFilePath(const QString& fileName);

// The bytes of the default zh-cn.lang (GBK, "\r\n" between lines, none after the last).
QByteArray defaultLanguageFileBytes();

// The "lang" section of the file; a missing file or key gives empty texts.
LanguageHeader readHeader(const QString& fileName);

// The phrases of a language file's text, in file order.
QStringList phraseListOf(const QString& fileText);
// The translation of `phrase` in a language file's text, or the empty text without tags for it.
QString translationIn(const QString& fileText, const QString& phrase);

// The same, reading panel/Console-lang/<fileName> (GBK); a missing or unreadable file gives an
// empty list and empty translations.
QStringList loadPhraseList(const QString& fileName);
QString findTranslation(const QString& fileName, const QString& phrase);

// The decoded text of panel/Console-lang/<fileName>, or the empty text when it is missing,
// unreadable or larger than MaxLanguageFileBytes.
QString readLanguageFileText(const QString& fileName);

// The once-a-second step for the chosen file's name `chosen` (without folder; empty when none is
// chosen): with none chosen, writes the default file, chooses it and stores the choice in the
// preferences. Returns the chosen file's header for the home page labels.
LanguageHeader runLanguageHousekeeping(QString& chosen);

} // namespace consolelang
