// The console chunker: fuzzed output in fuzzed pieces, with idle flushes between them. No chunk is
// longer than the limit, and UTF-8 output comes out as exactly the text that went in.
#include "FuzzSupport.h"
#include "platform/CodePage.h"
#include "server/ConsoleChunker.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    ConsoleChunker chunker(input.ConsumeBool());
    QByteArray all;
    QStringList chunks;
    while (input.remaining_bytes() > 0) {
        const std::string piece = input.ConsumeRandomLengthString(2048);
        const QByteArray bytes(piece.data(), static_cast<qsizetype>(piece.size()));
        all += bytes;
        chunks += chunker.feed(bytes);
        if (input.ConsumeBool())
            chunks += chunker.flushPartial();
    }
    chunks += chunker.finish();
    fuzzsupport::check(!chunker.hasPending(), "output held back after finish");
    for (const QString& chunk : std::as_const(chunks)) {
        fuzzsupport::check(chunk.size() <= ConsoleChunker::MaxChunkBytes, "chunk over the limit");
    }
    if (codepage::isValidUtf8(all))
        fuzzsupport::check(chunks.join(QString()) == QString::fromUtf8(all), "UTF-8 output changed");
    return 0;
}
