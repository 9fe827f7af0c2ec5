#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Turns the server's output, as raw bytes in whatever pieces the pipe delivers, into text chunks
// for the console. A chunk holds at most MaxChunkBytes bytes of output and ends after a "\n" when
// there is one within that limit; a longer line is cut, but never inside a character. A line
// without its "\n" is held back until the rest arrives, or until the reader decides that nothing
// more is coming (flushPartial, finish), so that a prompt still shows.
//
// Each line is decoded on its own: as UTF-8 when it is valid UTF-8, otherwise as GBK, so that both
// kinds of server read correctly. Line ends ("\r\n" or "\n") are kept as they came.
//
// Not thread-safe: one reader owns it.
class ConsoleChunker {
public:
    static constexpr qsizetype MaxChunkBytes = 1000;

    explicit ConsoleChunker(bool startInGbk = false) : m_gbk(startInGbk) {}

    // Takes the next bytes; returns the chunks that are complete now, in order.
    QStringList feed(const QByteArray& bytes);
    // No more output came for a while: the held-back partial line goes out, except an unfinished
    // character at its end, which waits for its remaining bytes.
    QStringList flushPartial();
    // The output has ended: everything held back goes out.
    QStringList finish();

    bool hasPending() const { return m_pending.size() > m_start; }

    // "GBK" once a GBK line has been seen, "UTF-8" again after a line with non-ASCII UTF-8; lines
    // of plain ASCII change nothing. Commands to the server are encoded in this charset.
    bool lastCharsetIsGbk() const { return m_gbk; }
    QString lastCharset() const;

private:
    enum class Charset { ByLine, Utf8, Gbk };

    QString decode(const char* data, qsizetype size, Charset piece);
    bool lineLooksUtf8(qsizetype from) const;
    void compact();

    QByteArray m_pending; // bytes not handed on yet start at m_start
    qsizetype m_start = 0;
    bool m_gbk = false;
};
