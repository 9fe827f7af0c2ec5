// Console language files: any bytes as a language file's text; its phrase list and a translation of
// each phrase (and of a fuzzed phrase).
#include "FuzzSupport.h"
#include "console/ConsoleLanguage.h"
#include "platform/CodePage.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString phrase = QString::fromUtf8(input.ConsumeRandomLengthString(32));
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QString text = codepage::fromGbk(QByteArray(rest.data(), static_cast<qsizetype>(rest.size())));
    const QStringList phrases = consolelang::phraseListOf(text);
    for (qsizetype i = 0; i < phrases.size() && i < 64; ++i)
        consolelang::translationIn(text, phrases.at(i));
    consolelang::translationIn(text, phrase);
    return 0;
}
