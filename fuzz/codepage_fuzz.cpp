// Code pages: decoding any bytes, and the round trips the settings files rely on.
#include "FuzzSupport.h"
#include "platform/CodePage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString gbk = codepage::fromGbk(bytes);
    const QString extended = codepage::fromGbkExtended(bytes);
    QString gb18030;
    codepage::fromGb18030(bytes, &gb18030);
    for (const bool utf8 : {true, false}) {
        const qsizetype prefix = codepage::completePrefixLength(bytes, utf8);
        fuzzsupport::check(prefix >= 0 && prefix <= bytes.size(), "prefix outside the bytes");
    }
    if (codepage::isValidUtf8(bytes))
        fuzzsupport::check(QString::fromUtf8(bytes).toUtf8() == bytes, "valid UTF-8 does not round-trip");

    // Text as UTF-16 (lone surrogates included): what toGbkExtended calls lossless comes back whole,
    // and text GBK holds keeps its GBK bytes.
    const QString text(reinterpret_cast<const QChar*>(data), static_cast<qsizetype>(size / 2));
    bool lossless = false;
    const QByteArray encoded = codepage::toGbkExtended(text, &lossless);
    if (lossless)
        fuzzsupport::check(codepage::fromGbkExtended(encoded) == text, "extended GBK does not round-trip");
    const QByteArray plain = codepage::toGbk(text);
    if (codepage::fromGbk(plain) == text)
        fuzzsupport::check(encoded == plain, "GBK text lost its GBK bytes");
    fuzzsupport::check(codepage::fromGbkExtended(codepage::toGbkExtended(extended)) == extended,
                       "decoded text does not round-trip");
    (void)gbk;
    return 0;
}
