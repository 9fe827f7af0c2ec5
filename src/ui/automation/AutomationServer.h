#pragma once

#include "platform/SocketFile.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QWidget;

// Drives the running launcher from outside over a Unix-domain socket: one command a line (UTF-8),
// one reply line a command, "ok", "ok VALUE" or "error REASON" (escapes in LineProtocol.h).
//
//   get NAME                 the control's text
//   contains NAME TEXT       "true" when the control's text holds TEXT (a console is searched from
//                            its end, without copying it out)
//   prop NAME PROPERTY       visible, enabled, checked, tag, x, y, width, height, currentIndex,
//                            textColor, backgroundColor ("R,G,B"), or any other property as text
//   set NAME TEXT            replace an edit box's text as typing would
//   click NAME, dblclick NAME
//   key NAME KEY             Return, Enter, Escape, Tab, Backspace, Delete, Space, Up, Down, Left,
//                            Right, Home, End, or one character
//   focus NAME               give the control the keyboard focus; the old focus widget gets its
//                            focus-out and the control its focus-in even when no window manager
//                            makes the window active
//   rows NAME                the rows of a list (fields and records as in LineProtocol.h)
//   select NAME ROW          select a row (from 0) as a click would
//   drop NAME PATH...        drop files; several paths are separated by tabs (\t), or by blanks
//                            when the line holds no tab and is not itself the path of a file
//   boxes                    the open boxes, newest first, four fields each: kind ("info" or
//                            "confirm"), title, text, and the icon of an info box (1 success,
//                            2 error, 3 select-first, 0 none); the fourth field of a confirm box is
//                            always empty
//   answer BUTTON            press 确定, 取消 or × on the newest box
//   screenshot FILE          save the main window as PNG
//   wait MS                  let the event loop run for MS milliseconds, then reply
//
// NAME is an objectName, looked up in the open windows, newest first. The socket is served from
// the event loop, so it keeps answering while a modal box runs its own loop.
//
// Input commands (set, click, dblclick, key, focus, select, drop, answer) reply once the input has
// been delivered and the work its handlers queued has run, so a file a click writes is there when
// its "ok" arrives. An input that opens a box replies as soon as the box is shown instead: a modal
// box only returns when it is answered, and the reply is sent from inside its loop. The client's
// next command waits for the reply of the one before.
//
// Each client may have at most 1 MiB of replies it has not read; past that it is disconnected.
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
    struct PendingReply;

    Command prepare(const QString& line);
    Command prepareControlCommand(const QString& word, QStringView rest);
    QList<QWidget*> openWindows() const;
    QWidget* findControl(const QString& name) const;

    void acceptConnections();
    void serve(Connection* connection);
    void resume(Connection* connection);
    void sendPending(const std::shared_ptr<PendingReply>& pending);
    void sendPendingReplies();
    void removeSocketFile();

    QLocalServer* m_server = nullptr;
    QString m_path;
    QString m_error;
    socketfile::Identity m_socket;                  // the socket file this server made
    QList<QPointer<QWidget>> m_shownWindows;        // newest first
    QList<std::shared_ptr<PendingReply>> m_pending; // input commands whose input is running
};
