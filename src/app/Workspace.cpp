#include "app/Workspace.h"

#include "config/ServerProperties.h"
#include "platform/AtomicFile.h"
#include "platform/RunDirectory.h"

#include <QFileInfo>

namespace workspace {

QString startupRefusal(const QString& runDirectory)
{
    if (runDirectory.contains(QLatin1Char(' ')))
        return QStringLiteral(
            "开服器启动失败...\r\n原因分析：开服器运行路径存在空格~请尝试将开服器移动到其他硬盘");
    if (!QFileInfo(runDirectory + QStringLiteral("/download")).isDir())
        return QStringLiteral("开服器启动失败...\r\n原因分析：缺少 download 文件夹");
    return {};
}

void prepareWorkspace()
{
    makeFolders(rundir::join(QStringLiteral("panel/server")));
    // A missing file and an emptied one both get the default text; the size test avoids reading a
    // large file once a second. Anything else (a folder in the way, a file that could not be read or
    // written) is left alone: the template never replaces settings that are merely unreadable, and a
    // failed write elsewhere never leaves an empty file behind for this test to mistake.
    const QFileInfo properties(serverprops::propertiesPath());
    if (!properties.exists() || (properties.isFile() && properties.size() == 0))
        writeFileAtomically(properties.absoluteFilePath(), serverprops::defaultTemplate());
    makeFolders(rundir::join(QStringLiteral("panel/task-logs")));
    makeFolders(rundir::join(QStringLiteral("panel/Console-lang")));
}

} // namespace workspace
