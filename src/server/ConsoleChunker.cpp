#include "server/ConsoleChunker.h"

#include "platform/CodePage.h"

#include <algorithm>
#include <cstring>

namespace {

// How far past the cut a long line is inspected to decide whether it is UTF-8. A piece of a GBK
// line can look like UTF-8 by chance; more bytes make that unlikely.
constexpr qsizetype CharsetLookahead = 4 * ConsoleChunker::MaxChunkBytes;

bool isAscii(const char* data, qsizetype size)
{
    return std::all_of(data, data + size, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

QString ConsoleChunker::lastCharset() const
{
    return m_gbk ? QStringLiteral("GBK") : QStringLiteral("UTF-8");
}

QStringList ConsoleChunker::feed(const QByteArray& bytes)
{
    m_pending.append(bytes);
    QStringList chunks;
    for (;;) {
        const qsizetype available = m_pending.size() - m_start;
        if (available <= 0)
            break;
        const char* data = m_pending.constData() + m_start;
        const qsizetype window = std::min(available, MaxChunkBytes);
        const void* lastNewline = ::memrchr(data, '\n', static_cast<size_t>(window));
        if (lastNewline) {
            const qsizetype cut = static_cast<const char*>(lastNewline) - data + 1;
            chunks.append(decode(data, cut, Charset::ByLine));
            m_start += cut;
            continue;
        }
        if (available < MaxChunkBytes)
            break; // an unfinished line: wait for its end

        // A line longer than a chunk.
        const bool utf8 = lineLooksUtf8(m_start);
        qsizetype cut = codepage::completePrefixLength(QByteArray::fromRawData(data, MaxChunkBytes), utf8);
        // Console processing looks for "\r\n" as a unit; keep the pair in one chunk.
        if (cut > 1 && data[cut - 1] == '\r')
            --cut;
        if (cut <= 0)
            cut = MaxChunkBytes; // no character boundary at all: garbage, cut it anyway
        chunks.append(decode(data, cut, utf8 ? Charset::Utf8 : Charset::Gbk));
        m_start += cut;
    }
    compact();
    return chunks;
}

QStringList ConsoleChunker::flushPartial()
{
    QStringList chunks = feed({});
    const qsizetype available = m_pending.size() - m_start;
    if (available <= 0)
        return chunks;
    const bool utf8 = lineLooksUtf8(m_start);
    const qsizetype cut = codepage::completePrefixLength(
        QByteArray::fromRawData(m_pending.constData() + m_start, available), utf8);
    if (cut > 0) {
        chunks.append(decode(m_pending.constData() + m_start, cut, Charset::ByLine));
        m_start += cut;
        compact();
    }
    return chunks;
}

QStringList ConsoleChunker::finish()
{
    QStringList chunks = feed({});
    const qsizetype available = m_pending.size() - m_start;
    if (available > 0)
        chunks.append(decode(m_pending.constData() + m_start, available, Charset::ByLine));
    m_pending.clear();
    m_start = 0;
    return chunks;
}

bool ConsoleChunker::lineLooksUtf8(qsizetype from) const
{
    const qsizetype limit = std::min(m_pending.size() - from, CharsetLookahead);
    const char* data = m_pending.constData() + from;
    const void* newline = ::memchr(data, '\n', static_cast<size_t>(limit));
    const qsizetype length = newline ? static_cast<const char*>(newline) - data : limit;
    const QByteArray line = QByteArray::fromRawData(data, length);
    return codepage::isValidUtf8(line.left(codepage::completePrefixLength(line, true)));
}

QString ConsoleChunker::decode(const char* data, qsizetype size, Charset piece)
{
    if (piece != Charset::ByLine) {
        const QByteArray bytes = QByteArray::fromRawData(data, size);
        if (isAscii(data, size))
            return QString::fromLatin1(bytes);
        m_gbk = piece == Charset::Gbk;
        return m_gbk ? codepage::fromGbk(bytes) : QString::fromUtf8(bytes);
    }

    // Line by line, but consecutive lines of one charset are converted together: a flooding server
    // sends thousands of lines a second.
    QString text;
    qsizetype runStart = 0;
    Charset runCharset = Charset::ByLine; // ByLine here: only ASCII so far
    auto flushRun = [&](qsizetype end) {
        if (end <= runStart)
            return;
        const QByteArray run = QByteArray::fromRawData(data + runStart, end - runStart);
        text += runCharset == Charset::Gbk ? codepage::fromGbk(run) : QString::fromUtf8(run);
        runStart = end;
    };
    qsizetype lineStart = 0;
    while (lineStart < size) {
        const void* newline = ::memchr(data + lineStart, '\n', static_cast<size_t>(size - lineStart));
        const qsizetype lineEnd = newline ? static_cast<const char*>(newline) - data + 1 : size;
        const char* line = data + lineStart;
        const qsizetype lineLength = lineEnd - lineStart;
        if (!isAscii(line, lineLength)) {
            const bool utf8 = codepage::isValidUtf8(QByteArray::fromRawData(line, lineLength));
            const Charset lineCharset = utf8 ? Charset::Utf8 : Charset::Gbk;
            if (runCharset != Charset::ByLine && runCharset != lineCharset)
                flushRun(lineStart);
            runCharset = lineCharset;
            m_gbk = !utf8;
        }
        lineStart = lineEnd;
    }
    flushRun(size);
    return text;
}

void ConsoleChunker::compact()
{
    if (m_start == 0)
        return;
    m_pending.remove(0, m_start);
    m_start = 0;
}
