#include "platform/CodePage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <vector>

namespace codepage {
namespace {

// An iconv descriptor for the pair, opened once per thread and reset for each use. Opening one per
// call loaded and unloaded the code page module every time: most of the time spent on a short text.
iconv_t converterFor(const char* to, const char* from)
{
    struct Entry {
        const char* to;
        const char* from;
        iconv_t cd;
    };
    struct Cache {
        std::vector<Entry> entries;
        ~Cache()
        {
            for (const Entry& entry : entries)
                iconv_close(entry.cd);
        }
    };
    thread_local Cache cache;
    for (const Entry& entry : cache.entries) {
        if (std::strcmp(entry.to, to) == 0 && std::strcmp(entry.from, from) == 0) {
            iconv(entry.cd, nullptr, nullptr, nullptr, nullptr);
            return entry.cd;
        }
    }
    const iconv_t cd = iconv_open(to, from);
    if (cd != reinterpret_cast<iconv_t>(-1))
        cache.entries.push_back({to, from, cd});
    return cd;
}

// Converts with iconv; on an unconvertible or malformed input sequence, `replacement` is emitted and
// `skip` input bytes are passed over. Returns false (and stops) when strict and a sequence is bad.
bool convert(const char* to, const char* from, const QByteArray& in, QByteArray* out,
             const QByteArray& replacement, int skip, bool strict)
{
    iconv_t cd = converterFor(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out->clear();
    out->reserve(in.size() * 2 + 8);
    char buffer[4096];
    char* inPtr = const_cast<char*>(in.constData());
    size_t inLeft = static_cast<size_t>(in.size());
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out->append(buffer, static_cast<qsizetype>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        if (strict) {
            ok = false;
            break;
        }
        if (errno == EINVAL) // truncated sequence at the end
            break;
        out->append(replacement);
        const size_t step = std::min<size_t>(static_cast<size_t>(skip), inLeft);
        inPtr += step;
        inLeft -= step;
    }
    return ok;
}

QByteArray utf16Bytes(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

QString fromUtf16Bytes(const QByteArray& bytes)
{
    return QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
}

} // namespace

QByteArray toGbk(const QString& text)
{
    QByteArray out;
    // Input is UTF-16LE; one unconvertible code unit is two bytes.
    convert("GBK", "UTF-16LE", utf16Bytes(text), &out, QByteArrayLiteral("?"), 2, false);
    return out;
}

QString fromGbk(const QByteArray& bytes)
{
    QByteArray out;
    const QByteArray replacement("\xFD\xFF", 2); // U+FFFD in UTF-16LE
    convert("UTF-16LE", "GBK", bytes, &out, replacement, 1, false);
    return fromUtf16Bytes(out);
}

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(converterFor(to, from)) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of [*in, *in + *left) as it can, appending to `out`; returns the errno that
    // stopped it (0 when all input was converted).
    int run(char** in, size_t* left, QByteArray* out)
    {
        char buffer[4096];
        while (*left > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t rc = iconv(m_cd, in, left, &outPtr, &outLeft);
            out->append(buffer, static_cast<qsizetype>(outPtr - buffer));
            if (rc == static_cast<size_t>(-1) && errno != E2BIG)
                return errno;
        }
        return 0;
    }

    // Converts one whole unit, all or nothing.
    bool convertUnit(const char* unit, size_t size, QByteArray* out)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(unit);
        size_t left = size;
        QByteArray converted;
        if (run(&in, &left, &converted) != 0 || left != 0)
            return false;
        out->append(converted);
        return true;
    }

private:
    iconv_t m_cd;
};

bool isGb18030FourByte(const unsigned char* p)
{
    return p[0] >= 0x81 && p[0] <= 0xFE && p[1] >= 0x30 && p[1] <= 0x39 && p[2] >= 0x81 && p[2] <= 0xFE &&
           p[3] >= 0x30 && p[3] <= 0x39;
}

} // namespace

QByteArray toGbkExtended(const QString& text, bool* lossless)
{
    if (lossless)
        *lossless = true;
    QByteArray out;
    Converter gbk("GBK", "UTF-16LE");
    Converter wide("GB18030", "UTF-16LE");
    if (!gbk.valid() || !wide.valid()) {
        if (lossless)
            *lossless = false;
        return out;
    }
    const QByteArray in = utf16Bytes(text);
    out.reserve(in.size());
    char* inPtr = const_cast<char*>(in.constData());
    size_t inLeft = static_cast<size_t>(in.size());
    while (inLeft > 0) {
        if (gbk.run(&inPtr, &inLeft, &out) == 0)
            break;
        // One character GBK cannot hold: a surrogate pair is four bytes of UTF-16LE, others two.
        const auto unit = [&](size_t at) {
            return static_cast<char16_t>(static_cast<unsigned char>(inPtr[at]) |
                                         (static_cast<unsigned char>(inPtr[at + 1]) << 8));
        };
        size_t size = 2;
        if (inLeft >= 4 && QChar::isHighSurrogate(unit(0)) && QChar::isLowSurrogate(unit(2)))
            size = 4;
        size = std::min(size, inLeft);
        if (!wide.convertUnit(inPtr, size, &out)) {
            out.append('?');
            if (lossless)
                *lossless = false;
        }
        inPtr += size;
        inLeft -= size;
    }
    return out;
}

QString fromGbkExtended(const QByteArray& bytes)
{
    QByteArray out;
    Converter gbk("UTF-16LE", "GBK");
    Converter wide("UTF-16LE", "GB18030");
    if (!gbk.valid() || !wide.valid())
        return {};
    out.reserve(bytes.size() * 2);
    const QByteArray replacement("\xFD\xFF", 2); // U+FFFD in UTF-16LE
    char* inPtr = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    while (inLeft > 0) {
        const int error = gbk.run(&inPtr, &inLeft, &out);
        if (error == 0)
            break;
        // A truncated character at the end reads as U+FFFD like any other malformed byte: dropping
        // it made "[1]\xD3" a section header at the end of a file and no header once a line
        // followed it.
        if (error == EINVAL) {
            out.append(replacement);
            break;
        }
        // What GBK cannot read may be GB18030: a four-byte character, or a two-byte one from the
        // user-defined areas that GB18030 maps to the private use area and GBK leaves unmapped.
        const auto* p = reinterpret_cast<const unsigned char*>(inPtr);
        if (inLeft >= 4 && isGb18030FourByte(p) && wide.convertUnit(inPtr, 4, &out)) {
            inPtr += 4;
            inLeft -= 4;
            continue;
        }
        if (inLeft >= 2 && p[0] >= 0x81 && p[1] >= 0x40 && wide.convertUnit(inPtr, 2, &out)) {
            inPtr += 2;
            inLeft -= 2;
            continue;
        }
        out.append(replacement);
        ++inPtr;
        --inLeft;
    }
    return fromUtf16Bytes(out);
}

QByteArray toGb18030(const QString& text)
{
    QByteArray out;
    convert("GB18030", "UTF-16LE", utf16Bytes(text), &out, QByteArrayLiteral("?"), 2, false);
    return out;
}

bool fromGb18030(const QByteArray& bytes, QString* out)
{
    QByteArray converted;
    if (!convert("UTF-16LE", "GB18030", bytes, &converted, {}, 1, true))
        return false;
    *out = fromUtf16Bytes(converted);
    return true;
}

bool isValidUtf8(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        int extra;
        char32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
            cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

qsizetype gbkByteLength(const QString& text)
{
    qsizetype length = 0;
    for (QChar c : text)
        length += c.unicode() < 0x80 ? 1 : 2;
    return length;
}

qsizetype completePrefixLength(const QByteArray& bytes, bool utf8)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    if (utf8) {
        // Step back over at most three continuation bytes to the last lead byte.
        qsizetype i = n;
        int back = 0;
        while (i > 0 && back < 4 && (p[i - 1] & 0xC0) == 0x80) {
            --i;
            ++back;
        }
        if (i == 0)
            return n;
        const unsigned char lead = p[i - 1];
        int needed = lead < 0x80             ? 0
                     : (lead & 0xE0) == 0xC0 ? 1
                     : (lead & 0xF0) == 0xE0 ? 2
                     : (lead & 0xF8) == 0xF0 ? 3
                                             : 0;
        return back >= needed ? n : i - 1;
    }
    // GBK: walk from the start, since a trail byte can look like a lead byte.
    qsizetype i = 0;
    while (i < n) {
        if (p[i] >= 0x81 && p[i] <= 0xFE) {
            if (i + 1 >= n)
                return i;
            i += 2;
        } else {
            ++i;
        }
    }
    return n;
}

} // namespace codepage
