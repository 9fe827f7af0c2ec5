#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The text form of the automation line protocol, kept free of widgets so it can be tested alone.
//
// One command a line, one reply line a command: "ok", "ok VALUE" or "error REASON". Inside a value
// or an argument a line feed is written \n, a carriage return \r, a tab \t and a backslash \\.
// Values made of fields (rows of a list, open boxes) escape each field first, then join the fields
// with tabs and the records with line feeds, and escape the whole again; so a field that itself
// holds a tab or a line break can never be mistaken for a separator.
namespace lineprotocol {

QString escape(QStringView text);
// The decoded text, or nothing when the text holds an unknown escape or ends in a lone backslash.
std::optional<QString> unescape(QStringView text);

// Takes the next word of `rest`: leading blanks are skipped, the word ends at the next blank, and
// exactly one blank after it is consumed, so a free-text argument that follows keeps its own
// leading blanks.
QString takeWord(QStringView& rest);

// Records of fields in the nested form described above, and back. Decoding gives nothing when an
// escape is malformed.
QString joinRecords(const QList<QStringList>& records);
std::optional<QList<QStringList>> splitRecords(QStringView value);

QString okReply(const QString& value = {});
QString errorReply(const QString& reason);

// A reply line split into its parts; `valid` is false for a line that is neither ok nor error.
struct Reply {
    bool valid = false;
    bool ok = false;
    QString value; // decoded value of an ok reply, or the decoded reason of an error
};
Reply parseReply(QStringView line);

} // namespace lineprotocol
