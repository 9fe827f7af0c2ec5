#include "config/ServerProperties.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/RunDirectory.h"

#include <QStringList>

namespace serverprops {
namespace {

// A server.properties is a few kilobytes. One past this size is not read, and never rewritten: the
// launcher reads the file once a second on the user-interface thread.
constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

struct Located {
    qsizetype valueStart = -1;
    qsizetype valueEnd = -1;
};

// The value runs from behind "key=" to the line end. A last line without a line end (the template's
// "motd=A Minecraft Server") and bare "\n" line ends are read to the end of that line, so the page
// shows the value the line holds and a write replaces all of it.
Located locate(const QByteArray& bytes, const QByteArray& key)
{
    Located found;
    const QByteArray needle = key + '=';
    const qsizetype at = bytes.indexOf(needle);
    if (key.isEmpty() || at < 0)
        return found;
    found.valueStart = at + needle.size();
    qsizetype end = bytes.indexOf('\n', found.valueStart);
    if (end < 0)
        end = bytes.size();
    else if (end > found.valueStart && bytes.at(end - 1) == '\r')
        --end;
    found.valueEnd = end;
    return found;
}

bool isAscii(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// The file is kept in its own encoding: UTF-8 when it already is UTF-8 text beyond ASCII (what the
// Java server writes), else GBK (what the launcher has always written). A plain ASCII file takes a
// value GBK cannot hold (an emoji in the motd) as UTF-8, which keeps the file valid UTF-8.
bool isUtf8File(const QByteArray& bytes)
{
    return !isAscii(bytes) && codepage::isValidUtf8(bytes);
}

QString decode(const QByteArray& file, const QByteArray& bytes)
{
    return isUtf8File(file) ? QString::fromUtf8(bytes) : codepage::fromGbkExtended(bytes);
}

QByteArray encode(const QByteArray& file, const QString& text)
{
    if (isUtf8File(file))
        return text.toUtf8();
    const QByteArray gbk = codepage::toGbk(text);
    if (isAscii(file) && codepage::fromGbk(gbk) != text)
        return text.toUtf8();
    return codepage::toGbkExtended(text);
}

// The file's bytes with stray "force-gamemode=true\r\n" / "=false\r\n" lines removed (and written
// back when there were some). Nothing is converted: every other byte stays as it is. False when the
// file exists but cannot be read or is oversized; it is then left alone, so that a read error never
// turns into an empty file (which the workspace would then fill with the default template).
bool readAndClean(QByteArray* bytes)
{
    const QString path = propertiesPath();
    const FileRead file = readFile(path, MaxFileSize);
    if (file.status == ReadStatus::Missing) {
        bytes->clear();
        writeFileAtomically(path, {});
        return true;
    }
    if (!file.ok())
        return false;
    *bytes = file.bytes;
    const qsizetype before = bytes->size();
    bytes->replace(QByteArrayLiteral("force-gamemode=true\r\n"), QByteArray());
    bytes->replace(QByteArrayLiteral("force-gamemode=false\r\n"), QByteArray());
    if (bytes->size() != before)
        writeFileAtomically(path, *bytes);
    return true;
}

} // namespace

QString propertiesPath()
{
    return rundir::join(QStringLiteral("panel/server/server.properties"));
}

QByteArray defaultTemplate()
{
    static const QStringList lines = {
        QStringLiteral("#Minecraft server properties"),
        QStringLiteral("#Wed Feb 14 20:02:03 CST 2018"),
        QStringLiteral("generator-settings="),
        QStringLiteral("op-permission-level=4"),
        QStringLiteral("resource-pack-hash="),
        QStringLiteral("allow-nether=true"),
        QStringLiteral("level-name=world"),
        QStringLiteral("enable-query=false"),
        QStringLiteral("allow-flight=false"),
        QStringLiteral("announce-player-achievements=true"),
        QStringLiteral("server-port=25565"),
        QStringLiteral("max-world-size=29999984"),
        QStringLiteral("level-type=DEFAULT"),
        QStringLiteral("enable-rcon=false"),
        QStringLiteral("level-seed="),
        QStringLiteral("server-ip="),
        QStringLiteral("network-compression-threshold=256"),
        QStringLiteral("max-build-height=256"),
        QStringLiteral("spawn-npcs=true"),
        QStringLiteral("white-list=false"),
        QStringLiteral("spawn-animals=true"),
        QStringLiteral("hardcore=false"),
        QStringLiteral("snooper-enabled=true"),
        QStringLiteral("online-mode=false"),
        QStringLiteral("resource-pack="),
        QStringLiteral("pvp=true"),
        QStringLiteral("difficulty=1"),
        QStringLiteral("enable-command-block=false"),
        QStringLiteral("gamemode=0"),
        QStringLiteral("player-idle-timeout=0"),
        QStringLiteral("max-players=20"),
        QStringLiteral("spawn-monsters=true"),
        QStringLiteral("generate-structures=true"),
        QStringLiteral("view-distance=10"),
        QStringLiteral("motd=A Minecraft Server"),
    };
    return lines.join(QStringLiteral("\r\n")).toLatin1();
}

QString readServerProperty(const QString& key)
{
    QByteArray bytes;
    if (!readAndClean(&bytes))
        return {};
    const Located found = locate(bytes, encode(bytes, key));
    if (found.valueStart < 0)
        return {};
    return decode(bytes, bytes.mid(found.valueStart, found.valueEnd - found.valueStart));
}

void writeServerProperty(const QString& key, const QString& value)
{
    QByteArray bytes;
    if (!readAndClean(&bytes))
        return;
    const Located found = locate(bytes, encode(bytes, key));
    if (found.valueStart < 0)
        return;
    bytes.replace(found.valueStart, found.valueEnd - found.valueStart, encode(bytes, value));
    writeFileAtomically(propertiesPath(), bytes);
}

} // namespace serverprops
