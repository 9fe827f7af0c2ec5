// Temporary placeholder; replaced by the full automation server.
#include "ui/automation/AutomationServer.h"

#include <QLocalServer>

AutomationServer::AutomationServer() = default;
AutomationServer::~AutomationServer() = default;
bool AutomationServer::listen(const QString& path)
{
    m_path = path;
    return true;
}
QString AutomationServer::execute(const QString&)
{
    return QStringLiteral("error not implemented");
}
