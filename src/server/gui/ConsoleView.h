#pragma once

#include "console/ConsoleLine.h"

#include <QElapsedTimer>
#include <QTextCharFormat>
#include <QTextEdit>

class QTimer;

// The console 超级编辑框2: coloured runs appended at the end, never typed into. An ordinary widget
// of the user-interface thread: every method is called there.
//
// A flooding server's output arrives in large batches. Laying out text is what costs: a batch goes
// into the document in slices of a few milliseconds each, one slice per pass of the event loop, so
// the window keeps answering. The size limit is applied to what is shown plus what waits to be
// inserted, before anything is inserted: output that the clearing would remove is never inserted.
class ConsoleView : public QTextEdit {
    Q_OBJECT

public:
    explicit ConsoleView(QWidget* parent = nullptr);

    // Appends the runs at the end and scrolls there; a large batch is finished in later passes of
    // the event loop, after what is already waiting. When the console would pass its size limit,
    // it is emptied first and shows the clearing notice followed by the runs, or by as many of the
    // last runs as fit: a launcher message that comes when the console is nearly full is not lost.
    void appendLines(const ConsoleLines& lines);
    // Empties the console.
    void clearConsole();
    // The console's length in GBK bytes, counting runs not inserted yet.
    qsizetype gbkLength() const { return m_gbkLength; }

    // The console never holds more than `bytes` GBK bytes; 0 (the default) sets no limit.
    void setSizeLimit(qsizetype bytes);

signals:
    void focusReceived();

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    // Inserts waiting runs for about SliceMs; schedules the next pass when some are left.
    void insertWaiting();

    QTextCharFormat m_format;
    QTimer* m_nextSlice = nullptr;
    QElapsedTimer m_sinceBatch;
    ConsoleLines m_waiting; // runs not inserted yet, in order
    qsizetype m_waitingFrom = 0;
    bool m_clearFirst = false; // the document is emptied before m_waiting is inserted
    qsizetype m_gbkLength = 0;
    qsizetype m_sizeLimit = 0;
};
