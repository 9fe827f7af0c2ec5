#pragma once

#include "console/ConsoleLine.h"

#include <QTextEdit>

// The console 超级编辑框2: coloured runs appended at the end, never typed into.
//
// Appends may come from any thread and reach the view in the order they were made. Appends from
// other threads are gathered and shown in one batch per pass of the event loop, so that a server
// that floods its console costs the window one insertion per pass instead of one event per chunk.
// The size limit is applied to each append as it is made, before anything is drawn: output that
// a later clearing would remove is never inserted at all.
class ConsoleView : public QTextEdit {
    Q_OBJECT

public:
    explicit ConsoleView(QWidget* parent = nullptr);
    ~ConsoleView() override;

    // The console of the running launcher (the one created last), or nullptr. User-interface thread.
    static ConsoleView* instance();

    // Any thread.
    void appendLines(const ConsoleLines& lines);
    // Empties the console, together with appends not shown yet. User-interface thread.
    void clearConsole();
    // The console's length in GBK bytes, counting appends not shown yet. Any thread.
    qsizetype gbkLength() const;

    // Above `bytes` GBK bytes after an append, the console is emptied and shows only the clearing
    // notice. 0 (the default) sets no limit. Any thread.
    void setSizeLimit(qsizetype bytes);

    // Shows the appends made so far. User-interface thread.
    Q_INVOKABLE void flushPending();

signals:
    void focusReceived();

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    friend void appendConsoleLines(const ConsoleLines& lines);

    // Adds to the pending runs and applies the size limit; with `postFlush`, makes sure a flush is
    // on its way to the view's thread. Called with the console's mutex held.
    void enqueueLocked(const ConsoleLines& lines, bool postFlush);
    void insertRuns(const ConsoleLines& lines);

    // All below are guarded by the console's process-wide mutex.
    ConsoleLines m_pending;
    bool m_clearFirst = false; // the limit was passed since the last flush
    bool m_flushPosted = false;
    qsizetype m_gbkLength = 0;
    qsizetype m_sizeLimit = 0;
};

// Appends one coloured run at the end of the console; callable from any thread.
void appendConsoleLine(quint32 rgb, const QString& text);
// Appends several runs as one batch; callable from any thread.
void appendConsoleLines(const ConsoleLines& lines);
