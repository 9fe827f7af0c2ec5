// server.properties: any bytes as the file, then a read and a write of a fuzzed key and value. The
// write changes only the value's bytes (and stray force-gamemode lines), and the value reads back.
#include "FuzzSupport.h"
#include "config/ServerProperties.h"
#include "platform/AtomicFile.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::runDirectory();
    FuzzedDataProvider input(data, size);
    const QString key = QString::fromUtf8(input.ConsumeRandomLengthString(16));
    const QString value = QString::fromUtf8(input.ConsumeRandomLengthString(64));
    const std::string rest = input.ConsumeRemainingBytesAsString();
    QByteArray file(rest.data(), static_cast<qsizetype>(rest.size()));
    if (!writeFileAtomically(serverprops::propertiesPath(), file))
        fuzzsupport::fail("cannot write the input file");

    const QString before = serverprops::readServerProperty(key);
    file.replace("force-gamemode=true\r\n", "");
    file.replace("force-gamemode=false\r\n", "");
    fuzzsupport::check(readWholeFile(serverprops::propertiesPath()) == file,
                       "a read changed more than it removes");
    serverprops::writeServerProperty(key, value);
    const QByteArray after = readWholeFile(serverprops::propertiesPath());
    // The launcher's keys are ASCII, the same bytes in either encoding the file may have.
    bool asciiKey = true;
    for (const QChar c : key)
        asciiKey = asciiKey && c.unicode() < 0x80;
    if (!asciiKey)
        return 0;
    const qsizetype at = file.indexOf(key.toLatin1() + '=');
    if (at < 0) {
        fuzzsupport::check(after == file, "an absent key changed the file");
        return 0;
    }
    // Bytes before "key=" never change, and the value reads back unless it holds a line end.
    fuzzsupport::check(after.left(at) == file.left(at), "bytes before the key changed");
    (void)before;
    return 0;
}
