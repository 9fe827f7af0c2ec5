#pragma once

#include "server/ConsoleLine.h"

#include <QTextEdit>

// The console 超级编辑框2: coloured runs appended at the end, never typed into. Appends may come from
// any thread; they reach the view in the order each thread made them. The view keeps the length of
// its text in GBK bytes so the size limit needs no conversion of the whole text.
class ConsoleView : public QTextEdit {
    Q_OBJECT

public:
    explicit ConsoleView(QWidget* parent = nullptr);
    ~ConsoleView() override;

    // The console of the running launcher (the one created last), or nullptr.
    static ConsoleView* instance();

    void appendLines(const ConsoleLines& lines);
    void clearConsole();
    qsizetype gbkLength() const { return m_gbkLength; }

    // Called after each append with the new length; the owner applies the size limit.
    void setAfterAppend(std::function<void(ConsoleView*)> hook) { m_afterAppend = std::move(hook); }

signals:
    void focusReceived();

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    qsizetype m_gbkLength = 0;
    std::function<void(ConsoleView*)> m_afterAppend;
};

// Appends one coloured run at the end of the console; callable from any thread.
void appendConsoleLine(quint32 rgb, const QString& text);
// Appends several runs as one batch; callable from any thread.
void appendConsoleLines(const ConsoleLines& lines);
