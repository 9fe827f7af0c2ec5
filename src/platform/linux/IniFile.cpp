#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"

#include <QByteArrayList>
#include <QStringList>

namespace ini {
namespace {

QStringList splitLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

// The same split on the bytes. CR and LF never occur inside a GBK or GB18030 character (their
// second and fourth bytes are at least 0x30), so line k of the bytes is line k of the text.
QByteArrayList splitByteLines(QByteArray bytes)
{
    bytes.replace("\r\n", "\n");
    bytes.replace('\r', '\n');
    QByteArrayList lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

FileRead readSettingsFile(const QString& path)
{
    return readFile(path, MaxFileSize);
}

// The section name of a "[name]" line, or a null string for any other line.
QString sectionOf(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']')))
        return trimmed.mid(1, trimmed.size() - 2).trimmed();
    return {};
}

bool keyMatches(const QString& line, const QString& key, QString* value)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    if (line.left(eq).trimmed().compare(key.trimmed(), Qt::CaseInsensitive) != 0)
        return false;
    if (value) {
        QString v = line.mid(eq + 1).trimmed();
        if (v.size() >= 2 && ((v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"'))) ||
                              (v.startsWith(QLatin1Char('\'')) && v.endsWith(QLatin1Char('\'')))))
            v = v.mid(1, v.size() - 2);
        *value = v;
    }
    return true;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

QString valueInLines(const QStringList& lines, const QString& section, const QString& key)
{
    bool inSection = false;
    for (const QString& line : lines) {
        const QString name = sectionOf(line);
        if (!name.isNull()) {
            inSection = sameName(name, section);
            continue;
        }
        QString value;
        if (inSection && keyMatches(line, key, &value))
            return value;
    }
    return {};
}

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

// Sets one key in the file's lines, held both as text (to find the place) and as bytes (what is
// written). Returns false when the entry cannot be encoded.
bool setEntry(QStringList* lines, QByteArrayList* raw, const QString& section, const QString& key,
              const QString& value)
{
    bool lossless = true;
    const QByteArray entry = codepage::toGbkExtended(key + QLatin1Char('=') + value, &lossless);
    if (!lossless)
        return false;
    qsizetype sectionStart = -1; // index of the section's header line
    qsizetype lastEntry = -1;    // last non-blank line inside the section
    for (qsizetype i = 0; i < lines->size(); ++i) {
        const QString name = sectionOf(lines->at(i));
        if (!name.isNull()) {
            if (sectionStart >= 0)
                break; // the next section begins; the key was not in ours
            if (sameName(name, section)) {
                sectionStart = i;
                lastEntry = i;
            }
            continue;
        }
        if (sectionStart < 0)
            continue;
        if (keyMatches(lines->at(i), key, nullptr)) {
            (*lines)[i] = key + QLatin1Char('=') + value;
            (*raw)[i] = entry;
            return true;
        }
        if (!lines->at(i).trimmed().isEmpty())
            lastEntry = i;
    }
    if (sectionStart >= 0) {
        lines->insert(lastEntry + 1, key + QLatin1Char('=') + value);
        raw->insert(lastEntry + 1, entry);
        return true;
    }
    const QString header = QLatin1Char('[') + section + QLatin1Char(']');
    const QByteArray headerBytes = codepage::toGbkExtended(header, &lossless);
    if (!lossless)
        return false;
    lines->append(header);
    raw->append(headerBytes);
    lines->append(key + QLatin1Char('=') + value);
    raw->append(entry);
    return true;
}

} // namespace

QString readValue(const QString& path, const QString& section, const QString& key)
{
    const FileRead file = readSettingsFile(path);
    if (!file.ok())
        return {};
    return valueInLines(splitLines(codepage::fromGbkExtended(file.bytes)), section, key);
}

QString valueIn(const QString& fileText, const QString& section, const QString& key)
{
    return valueInLines(splitLines(fileText), section, key);
}

WriteResult writeValues(const QString& path, const QString& section,
                        const QList<std::pair<QString, QString>>& values)
{
    if (hasLineBreak(section))
        return WriteResult::LineBreak;
    for (const auto& [key, value] : values) {
        if (hasLineBreak(key) || hasLineBreak(value))
            return WriteResult::LineBreak;
        if (key.contains(QLatin1Char('=')) || key.trimmed().startsWith(QLatin1Char('[')))
            return WriteResult::BadKey;
    }
    const FileRead file = readSettingsFile(path);
    if (!file.ok() && file.status != ReadStatus::Missing)
        return WriteResult::Unreadable;

    QStringList lines = splitLines(codepage::fromGbkExtended(file.bytes));
    QByteArrayList raw = splitByteLines(file.bytes);
    if (raw.size() != lines.size()) // not expected; then every line is written as decoded
        raw.clear();
    if (raw.isEmpty()) {
        for (const QString& line : std::as_const(lines))
            raw.append(codepage::toGbkExtended(line));
    }
    for (const auto& [key, value] : values) {
        if (!setEntry(&lines, &raw, section, key, value))
            return WriteResult::Unencodable;
    }
    QByteArray bytes = raw.join("\r\n");
    bytes += "\r\n";
    return writeFileAtomically(path, bytes) ? WriteResult::Written : WriteResult::WriteFailed;
}

bool writeValue(const QString& path, const QString& section, const QString& key, const QString& value)
{
    return writeValues(path, section, {{key, value}}) == WriteResult::Written;
}

} // namespace ini
