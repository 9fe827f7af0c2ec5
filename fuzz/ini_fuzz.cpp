// INI files: any bytes as panel/server.ini, then a lookup and a save of fuzzed values. A saved value
// reads back as saved, a second save changes no byte, and no line break ever gets into the file.
#include "FuzzSupport.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzzsupport::runDirectory() + QStringLiteral("/panel/server.ini");
    FuzzedDataProvider input(data, size);
    const QString section = QString::fromUtf8(input.ConsumeRandomLengthString(16));
    const QString key = QString::fromUtf8(input.ConsumeRandomLengthString(16));
    const QString value = QString::fromUtf8(input.ConsumeRandomLengthString(64));
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray file(rest.data(), static_cast<qsizetype>(rest.size()));

    ini::valueIn(codepage::fromGbkExtended(file), section, key);
    if (!writeFileAtomically(path, file))
        fuzzsupport::fail("cannot write the input file");
    ini::readValue(path, section, key);

    const ini::WriteResult result = ini::writeValues(path, section, {{key, value}});
    const bool breaks = section.contains(QLatin1Char('\n')) || section.contains(QLatin1Char('\r')) ||
                        key.contains(QLatin1Char('\n')) || key.contains(QLatin1Char('\r')) ||
                        value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'));
    fuzzsupport::check((result == ini::WriteResult::LineBreak) == breaks, "line break decision");
    const bool findableKey = !key.contains(QLatin1Char('=')) && !key.trimmed().startsWith(QLatin1Char('['));
    fuzzsupport::check(breaks || (result == ini::WriteResult::BadKey) == !findableKey, "key decision");
    if (result != ini::WriteResult::Written)
        return 0;
    const QByteArray written = readWholeFile(path);
    fuzzsupport::check(ini::writeValues(path, section, {{key, value}}) == ini::WriteResult::Written,
                       "second save");
    fuzzsupport::check(readWholeFile(path) == written, "second save changed the file");

    // Names the reader compares as given (a section name that is its own trimmed form without
    // brackets), and a value the reader does not trim or unquote.
    const bool plainNames = !key.trimmed().isEmpty() && section == section.trimmed() &&
                            !section.contains(QLatin1Char(']')) && !section.contains(QLatin1Char('['));
    const bool plainValue = value == value.trimmed() && !value.startsWith(QLatin1Char('"')) &&
                            !value.startsWith(QLatin1Char('\''));
    if (plainNames && plainValue && ini::readValue(path, section, key) != value)
        fuzzsupport::fail("saved value does not read back");
    return 0;
}
