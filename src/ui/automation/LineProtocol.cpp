#include "ui/automation/LineProtocol.h"

namespace lineprotocol {

QString escape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\t':
            out += QLatin1String("\\t");
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<QString> unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i].unicode()) {
        case u'\\':
            out += u'\\';
            break;
        case u'n':
            out += u'\n';
            break;
        case u'r':
            out += u'\r';
            break;
        case u't':
            out += u'\t';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

QString takeWord(QStringView& rest)
{
    qsizetype start = 0;
    while (start < rest.size() && rest[start] == u' ')
        ++start;
    qsizetype end = start;
    while (end < rest.size() && rest[end] != u' ')
        ++end;
    const QString word = rest.mid(start, end - start).toString();
    rest = end < rest.size() ? rest.mid(end + 1) : QStringView();
    return word;
}

QString joinRecords(const QList<QStringList>& records)
{
    QStringList lines;
    lines.reserve(records.size());
    for (const QStringList& fields : records) {
        QStringList escaped;
        escaped.reserve(fields.size());
        for (const QString& field : fields)
            escaped.append(escape(field));
        lines.append(escaped.join(u'\t'));
    }
    return lines.join(u'\n');
}

std::optional<QList<QStringList>> splitRecords(QStringView value)
{
    QList<QStringList> records;
    if (value.isEmpty())
        return records;
    for (QStringView line : value.split(u'\n')) {
        QStringList fields;
        for (QStringView field : line.split(u'\t')) {
            std::optional<QString> decoded = unescape(field);
            if (!decoded)
                return std::nullopt;
            fields.append(*decoded);
        }
        records.append(fields);
    }
    return records;
}

QString okReply(const QString& value)
{
    if (value.isEmpty())
        return QStringLiteral("ok");
    return QLatin1String("ok ") + escape(value);
}

QString errorReply(const QString& reason)
{
    return QLatin1String("error ") + escape(reason);
}

Reply parseReply(QStringView line)
{
    Reply reply;
    QStringView body;
    if (line == QLatin1String("ok")) {
        reply.valid = reply.ok = true;
        return reply;
    }
    if (line.startsWith(QLatin1String("ok "))) {
        reply.ok = true;
        body = line.mid(3);
    } else if (line == QLatin1String("error")) {
        reply.valid = true;
        return reply;
    } else if (line.startsWith(QLatin1String("error "))) {
        body = line.mid(6);
    } else {
        return reply;
    }
    std::optional<QString> decoded = unescape(body);
    if (!decoded)
        return reply;
    reply.valid = true;
    reply.value = *decoded;
    return reply;
}

} // namespace lineprotocol
