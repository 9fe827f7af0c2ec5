#include "players/gui/PlayersFeature.h"

#include "platform/RunDirectory.h"
#include "players/gui/PlayersPage.h"
#include "ui/MainWindow.h"

#include <QFile>

PlayersFeature::PlayersFeature(const FeatureContext& context)
{
    playerspage::build(context.window.page(10));
}

void PlayersFeature::shutdownStep()
{
    QFile::remove(rundir::join(QStringLiteral("panel/server/plugins/tolvix_manager/playerinfo.txt")));
    QFile::remove(rundir::join(QStringLiteral("panel/server/plugins/tolvix_velk/playerinfo.txt")));
}
