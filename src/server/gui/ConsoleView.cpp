#include "server/gui/ConsoleView.h"

#include "console/ConsoleProcessor.h"
#include "platform/CodePage.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QScrollBar>
#include <QTextCursor>
#include <QThread>

namespace {

// One lock for the current view and every view's pending appends: a reader thread that appends
// must not find the view half destroyed.
QMutex& consoleMutex()
{
    static QMutex mutex;
    return mutex;
}

ConsoleView*& current()
{
    static ConsoleView* view = nullptr;
    return view;
}

bool onUiThread()
{
    return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

} // namespace

ConsoleView::ConsoleView(QWidget* parent) : QTextEdit(parent)
{
    setObjectName(QStringLiteral("超级编辑框2"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    QMutexLocker lock(&consoleMutex());
    current() = this;
}

ConsoleView::~ConsoleView()
{
    QMutexLocker lock(&consoleMutex());
    if (current() == this)
        current() = nullptr;
}

ConsoleView* ConsoleView::instance()
{
    QMutexLocker lock(&consoleMutex());
    return current();
}

void ConsoleView::appendLines(const ConsoleLines& lines)
{
    const bool here = QThread::currentThread() == thread();
    {
        QMutexLocker lock(&consoleMutex());
        enqueueLocked(lines, !here);
    }
    if (here)
        flushPending();
}

void ConsoleView::enqueueLocked(const ConsoleLines& lines, bool postFlush)
{
    for (const ConsoleLine& line : lines) {
        if (line.text.isEmpty())
            continue;
        m_pending.append(line);
        m_gbkLength += codepage::gbkByteLength(line.text);
    }
    if (m_sizeLimit > 0 && m_gbkLength > m_sizeLimit) {
        // The console would be emptied right after this append: what it held, and what waits to
        // be shown, is dropped here instead of being drawn first.
        m_pending = consoleClearedNotice();
        m_gbkLength = consoleByteCount(m_pending);
        m_clearFirst = true;
    }
    if (postFlush && !m_flushPosted) {
        m_flushPosted = true;
        // Invoked by name: the queued call is then built inside Qt rather than by a functor object
        // that the reader thread constructs and the UI thread runs, a hand-over that a race
        // detector cannot see through Qt's event queue.
        QMetaObject::invokeMethod(this, "flushPending", Qt::QueuedConnection);
    }
}

void ConsoleView::flushPending()
{
    ConsoleLines runs;
    bool clearFirst = false;
    {
        QMutexLocker lock(&consoleMutex());
        runs.swap(m_pending);
        clearFirst = m_clearFirst;
        m_clearFirst = false;
        m_flushPosted = false;
    }
    if (clearFirst)
        QTextEdit::clear();
    insertRuns(runs);
}

void ConsoleView::clearConsole()
{
    {
        QMutexLocker lock(&consoleMutex());
        m_pending.clear();
        m_clearFirst = false;
        m_gbkLength = 0;
    }
    QTextEdit::clear();
}

qsizetype ConsoleView::gbkLength() const
{
    QMutexLocker lock(&consoleMutex());
    return m_gbkLength;
}

void ConsoleView::setSizeLimit(qsizetype bytes)
{
    QMutexLocker lock(&consoleMutex());
    m_sizeLimit = bytes;
}

void ConsoleView::insertRuns(const ConsoleLines& lines)
{
    if (lines.isEmpty())
        return;
    QScrollBar* bar = verticalScrollBar();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    QTextCharFormat format;
    QFont font(QStringLiteral("微软雅黑"));
    font.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(10);
    format.setFont(font);
    for (const ConsoleLine& line : lines) {
        format.setForeground(QColor::fromRgb(line.rgb));
        // "\r\n" is one line end in the console; a lone "\r" would show as a stray glyph.
        QString text = line.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        cursor.insertText(text, format);
    }
    cursor.endEditBlock();
    bar->setValue(bar->maximum());
}

void ConsoleView::focusInEvent(QFocusEvent* event)
{
    QTextEdit::focusInEvent(event);
    emit focusReceived();
}

void appendConsoleLines(const ConsoleLines& lines)
{
    if (onUiThread()) {
        if (ConsoleView* view = ConsoleView::instance())
            view->appendLines(lines);
        return;
    }
    QMutexLocker lock(&consoleMutex());
    if (ConsoleView* view = current())
        view->enqueueLocked(lines, true);
}

void appendConsoleLine(quint32 rgb, const QString& text)
{
    appendConsoleLines({{rgb, text}});
}
