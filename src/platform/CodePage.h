#pragma once

#include <QByteArray>
#include <QString>

// Conversions between the launcher's text (QString) and the code pages it meets on disk and on the
// server's pipes. The launcher's own files are GBK; the text editor reads GB18030.
namespace codepage {

// Characters that GBK cannot hold become '?'.
QByteArray toGbk(const QString& text);
// Malformed bytes become U+FFFD; a truncated trailing character is dropped.
QString fromGbk(const QByteArray& bytes);

// GBK for every character GBK holds, and GB18030's form for the others (four bytes for Hangul, emoji
// or rare Han; two bytes for private-use characters in the user-defined areas, which GBK leaves
// unmapped): a text GBK cannot hold survives a round trip, while GBK text keeps its exact bytes.
// Neither form is valid GBK (GBK never uses a digit as a second byte), so none is mistaken for GBK.
// `lossless` is false when a character could not be encoded at all (a lone surrogate became '?').
QByteArray toGbkExtended(const QString& text, bool* lossless = nullptr);
// Reads what toGbkExtended writes, and any GBK text; malformed bytes and a truncated trailing
// character become U+FFFD, so that a line reads the same whether or not another follows it.
QString fromGbkExtended(const QByteArray& bytes);

QByteArray toGb18030(const QString& text);
// All or nothing: false when the bytes are not valid GB18030.
bool fromGb18030(const QByteArray& bytes, QString* out);

bool isValidUtf8(const QByteArray& bytes);

// Length of `text` in GBK bytes (a Chinese character counts two).
qsizetype gbkByteLength(const QString& text);

// Length of the longest prefix of `bytes` that ends on a character boundary, for the given
// charset ("UTF-8" or "GBK"). Used to keep a chunk of pipe output from ending inside a character.
qsizetype completePrefixLength(const QByteArray& bytes, bool utf8);

} // namespace codepage
