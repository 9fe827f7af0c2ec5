#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <sys/types.h>

class QLocalServer;
class QWidget;

// Drives the running launcher from outside over a Unix-domain socket: one command a line (UTF-8),
// one reply line a command, "ok", "ok VALUE" or "error REASON" (escapes in LineProtocol.h).
//
//   get NAME                 the control's text
//   prop NAME PROPERTY       visible, enabled, checked, tag, x, y, width, height, currentIndex,
//                            textColor, backgroundColor ("R,G,B"), or any other property as text
//   set NAME TEXT            replace an edit box's text as typing would
//   click NAME, dblclick NAME
//   key NAME KEY             Return, Enter, Escape, Tab, Backspace, Delete, Space, Up, Down, Left,
//                            Right, Home, End, or one character
//   rows NAME                the rows of a list (fields and records as in LineProtocol.h)
//   select NAME ROW          select a row (from 0) as a click would
//   drop NAME PATH...        drop files; several paths are separated by tabs (\t), or by blanks
//                            when the line holds no tab and is not itself the path of a file
//   boxes                    the open boxes, newest first: kind, title, text
//   answer BUTTON            press 确定, 取消 or × on the newest box
//   screenshot FILE          save the main window as PNG
//   wait MS                  let the event loop run for MS milliseconds, then reply
//
// NAME is an objectName, looked up in the open windows, newest first. The socket is served from
// the event loop, so it keeps answering while a modal box runs its own loop. Input commands reply
// first and act afterwards, because their effect may be a modal box that only returns once it is
// answered; the next command of the same client waits until that input has been delivered.
class AutomationServer : public QObject {
    Q_OBJECT

public:
    AutomationServer();
    ~AutomationServer() override;

    // Listens at `path` with mode 0600. Refuses a path that exists and is not a socket, or a socket
    // another program still answers on; a stale socket left by a killed launcher is replaced.
    bool listen(const QString& path);
    QString errorString() const { return m_error; }
    QString socketPath() const { return m_path; }

    // Runs one command line in-process and returns the reply line (without the line end). Input is
    // delivered before this returns; "wait" runs a local event loop.
    QString execute(const QString& line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Command {
        QString reply;
        std::function<void()> input; // runs after the reply has gone out
        int replyDelayMs = -1;       // "wait": the reply goes out after this many milliseconds
    };
    class Connection;

    Command prepare(const QString& line);
    Command prepareControlCommand(const QString& word, QStringView rest);
    QList<QWidget*> openWindows() const;
    QWidget* findControl(const QString& name) const;

    void acceptConnections();
    void serve(Connection* connection);
    void removeSocketFile();

    QLocalServer* m_server = nullptr;
    QString m_path;
    QString m_error;
    dev_t m_socketDevice = 0;
    ino_t m_socketInode = 0;
    QList<QPointer<QWidget>> m_shownWindows; // newest first
};
