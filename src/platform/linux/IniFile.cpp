#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"

#include <QFile>
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

QStringList readLines(const QString& path, bool* exists)
{
    QFile file(path);
    *exists = file.open(QIODevice::ReadOnly);
    if (!*exists)
        return {};
    return splitLines(codepage::fromGbk(file.readAll()));
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

} // namespace

QString readValue(const QString& path, const QString& section, const QString& key)
{
    bool exists = false;
    return valueInLines(readLines(path, &exists), section, key);
}

QString valueIn(const QString& fileText, const QString& section, const QString& key)
{
    return valueInLines(splitLines(fileText), section, key);
}

bool writeValue(const QString& path, const QString& section, const QString& key, const QString& value)
{
    bool exists = false;
    QStringList lines = readLines(path, &exists);
    const QString entry = key + QLatin1Char('=') + value;

    qsizetype sectionStart = -1; // index of the section's header line
    qsizetype lastEntry = -1;    // last non-blank line inside the section
    bool written = false;
    for (qsizetype i = 0; i < lines.size() && !written; ++i) {
        const QString name = sectionOf(lines[i]);
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
        if (keyMatches(lines[i], key, nullptr)) {
            lines[i] = entry;
            written = true;
        } else if (!lines[i].trimmed().isEmpty()) {
            lastEntry = i;
        }
    }
    if (!written) {
        if (sectionStart >= 0) {
            lines.insert(lastEntry + 1, entry);
        } else {
            lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            lines.append(entry);
        }
    }
    QString text = lines.join(QStringLiteral("\r\n"));
    text += QStringLiteral("\r\n");
    return writeFileAtomically(path, codepage::toGbk(text));
}

} // namespace ini
