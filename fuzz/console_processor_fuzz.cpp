// Console chunk processing: fuzzed server output through the processor with the default language
// file chosen, and the replace-all rule with fuzzed search and replacement texts (which must end).
#include "FuzzSupport.h"
#include "console/ConsoleLanguage.h"
#include "console/ConsoleProcessor.h"
#include "platform/AtomicFile.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = [] {
        fuzzsupport::runDirectory();
        writeFileAtomically(consolelang::languageFilePath(consolelang::DefaultLanguageFileName),
                            consolelang::defaultLanguageFileBytes());
        consolelang::setCurrentLanguageName(consolelang::DefaultLanguageFileName);
        return true;
    }();
    (void)ready;
    static std::atomic<bool> startupDone{false};
    static ConsoleProcessor processor(startupDone);

    FuzzedDataProvider input(data, size);
    const QString search = QString::fromUtf8(input.ConsumeRandomLengthString(8));
    const QString replacement = QString::fromUtf8(input.ConsumeRandomLengthString(8));
    if (input.ConsumeBool())
        startupDone = false;
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QString chunk = QString::fromUtf8(rest.data(), static_cast<qsizetype>(rest.size()));
    replaceAll(chunk, search, replacement);
    consoleByteCount(processor.process(chunk));
    return 0;
}
