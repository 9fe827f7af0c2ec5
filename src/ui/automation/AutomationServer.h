#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Drives the running launcher from outside over a Unix-domain socket (mode 0600, removed at exit):
// one command a line, one reply line a command ("ok", "ok VALUE" or "error REASON").
class AutomationServer : public QObject {
    Q_OBJECT

public:
    AutomationServer();
    ~AutomationServer() override;

    bool listen(const QString& path);

    // Runs one command line and returns the reply line (without the line end).
    QString execute(const QString& line);

private:
    QLocalServer* m_server = nullptr;
    QString m_path;
};
