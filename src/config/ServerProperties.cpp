#include "config/ServerProperties.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/RunDirectory.h"

#include <QStringList>

namespace serverprops {
namespace {

struct Located {
    qsizetype valueStart = -1;
    qsizetype valueEnd = -1;
};

// The value runs from behind "key=" to the line end. A last line without a line end (the template's
// "motd=A Minecraft Server") and bare "\n" line ends are read to the end of that line, so the page
// shows the value the line holds and a write replaces all of it.
Located locate(const QString& text, const QString& key)
{
    Located found;
    const QString needle = key + QLatin1Char('=');
    const qsizetype at = text.indexOf(needle);
    if (key.isEmpty() || at < 0)
        return found;
    found.valueStart = at + needle.size();
    qsizetype end = text.indexOf(QLatin1Char('\n'), found.valueStart);
    if (end < 0)
        end = text.size();
    else if (end > found.valueStart && text.at(end - 1) == QLatin1Char('\r'))
        --end;
    found.valueEnd = end;
    return found;
}

QString readAndClean()
{
    const QString path = propertiesPath();
    QString text = codepage::fromGbk(readWholeFile(path));
    text.remove(QStringLiteral("force-gamemode=true\r\n"));
    text.remove(QStringLiteral("force-gamemode=false\r\n"));
    writeFileAtomically(path, codepage::toGbk(text));
    return text;
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
    const QString text = readAndClean();
    const Located found = locate(text, key);
    if (found.valueStart < 0)
        return {};
    return text.mid(found.valueStart, found.valueEnd - found.valueStart);
}

void writeServerProperty(const QString& key, const QString& value)
{
    QString text = readAndClean();
    const Located found = locate(text, key);
    if (found.valueStart < 0)
        return;
    text.replace(found.valueStart, found.valueEnd - found.valueStart, value);
    writeFileAtomically(propertiesPath(), codepage::toGbk(text));
}

} // namespace serverprops
