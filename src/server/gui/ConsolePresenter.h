#pragma once

#include "server/gui/ConsolePage.h"

#include <QObject>
#include <QPixmap>
#include <QPointer>

class QLabel;
class QTimer;
class ServerRuntime;
enum class ServerState;

// Binds the console page to the server runtime: the start, stop, restart and force-stop buttons,
// the command box, the status lamps, title and picture, the uptime and crash-restart counters, and
// the port and force-stop questions. Owns the status timer 时钟2 and the uptime timer 时钟3.
class ConsolePresenter : public QObject {
    Q_OBJECT

public:
    // The home page's counters that follow the server.
    struct Counters {
        QLabel* uptimeHours = nullptr;   // 运行小时
        QLabel* uptimeMinutes = nullptr; // 运行分钟
        QLabel* crashRestarts = nullptr; // 服务器崩溃重启次数1
    };

    ConsolePresenter(const consolepage::Controls& page, const Counters& counters, ServerRuntime& runtime,
                     QObject* parent = nullptr);

    // Start-up: starts the status timer.
    void start();

    // Where the caret goes when the console is clicked (the file editor's text box); nowhere when
    // none is set.
    void setConsoleFocusTarget(QWidget* target) { m_focusTarget = target; }
    // The players' chat box: while it is shown, Enter in the command box is the chat's.
    void setChatBox(QWidget* chatBox) { m_chatBox = chatBox; }

    // "强制关闭": asks first; the answer's OK force-stops.
    void askForceStop();

    // Timer steps, public so that tests can run a tick at a chosen moment.
    void refreshServerStatus();
    void countUptime();
    qint64 uptimeSeconds() const { return m_uptimeSeconds; }
    void setUptimeSeconds(qint64 seconds) { m_uptimeSeconds = seconds; }

    enum class Status { Starting, Started, Stopped };
    // The picture 图片框10 shows for each state, drawn once.
    static QPixmap statusPicture(Status status);

signals:
    // A status tick found no server running (features reset what follows the server).
    void stoppedTick();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void onCommandFocus(bool gained);
    void onConsoleFocused();
    void setStatusPicture(Status status);
    void setUptimeLabels(qint64 hours, qint64 minutes);

    consolepage::Controls m_page;
    Counters m_counters;
    ServerRuntime& m_runtime;
    QPointer<QWidget> m_focusTarget;
    QPointer<QWidget> m_chatBox;
    QTimer* m_statusTimer = nullptr;
    QTimer* m_uptimeTimer = nullptr;
    qint64 m_uptimeSeconds = 0;
    Status m_shownStatus = Status::Stopped;
    bool m_statusShown = false;
};
