#include "server/ConsoleView.h"

#include "platform/CodePage.h"

#include <QPointer>
#include <QScrollBar>
#include <QTextCursor>
#include <QThread>

namespace {
QPointer<ConsoleView>& current()
{
    static QPointer<ConsoleView> view;
    return view;
}
} // namespace

ConsoleView::ConsoleView(QWidget* parent) : QTextEdit(parent)
{
    setObjectName(QStringLiteral("超级编辑框2"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    current() = this;
}

ConsoleView::~ConsoleView() = default;

ConsoleView* ConsoleView::instance()
{
    return current();
}

void ConsoleView::appendLines(const ConsoleLines& lines)
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
        if (line.text.isEmpty())
            continue;
        format.setForeground(QColor::fromRgb(line.rgb));
        // "\r\n" is one line end in the console; a lone "\r" would show as a stray glyph.
        QString text = line.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        cursor.insertText(text, format);
        m_gbkLength += codepage::gbkByteLength(line.text);
    }
    cursor.endEditBlock();
    bar->setValue(bar->maximum());
    if (m_afterAppend)
        m_afterAppend(this);
}

void ConsoleView::clearConsole()
{
    clear();
    m_gbkLength = 0;
}

void ConsoleView::focusInEvent(QFocusEvent* event)
{
    QTextEdit::focusInEvent(event);
    emit focusReceived();
}

void appendConsoleLines(const ConsoleLines& lines)
{
    ConsoleView* view = ConsoleView::instance();
    if (!view)
        return;
    if (QThread::currentThread() == view->thread()) {
        view->appendLines(lines);
        return;
    }
    QPointer<ConsoleView> guard(view);
    QMetaObject::invokeMethod(
        view,
        [guard, lines] {
            if (guard)
                guard->appendLines(lines);
        },
        Qt::QueuedConnection);
}

void appendConsoleLine(quint32 rgb, const QString& text)
{
    appendConsoleLines({{rgb, text}});
}
