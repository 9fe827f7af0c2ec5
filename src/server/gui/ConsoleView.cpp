#include "server/gui/ConsoleView.h"

#include "console/ConsoleProcessor.h"
#include "platform/CodePage.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>

#include <vector>

namespace {

// One pass of insertion stops after this long; laying out is the costly part.
constexpr int SliceMs = 8;
// While a batch came this recently, the server is still flooding: what is inserted now will most
// likely be cleared again before anyone reads it, so the passes are spaced out and the processor
// time goes to the server and the reader. Once the flood stops, the passes follow one another.
constexpr int FloodingMs = 50;
constexpr int FloodPassIntervalMs = 40;

} // namespace

ConsoleView::ConsoleView(QWidget* parent) : QTextEdit(parent)
{
    setObjectName(QStringLiteral("超级编辑框2"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    QFont font(QStringLiteral("微软雅黑"));
    font.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(10);
    m_format.setFont(font);
    m_nextSlice = new QTimer(this);
    m_nextSlice->setSingleShot(true);
    m_nextSlice->setInterval(0);
    connect(m_nextSlice, &QTimer::timeout, this, &ConsoleView::insertWaiting);
}

void ConsoleView::appendLines(const ConsoleLines& lines)
{
    std::vector<qsizetype> lengths;
    lengths.reserve(size_t(lines.size()));
    qsizetype incoming = 0;
    for (const ConsoleLine& line : lines) {
        lengths.push_back(codepage::gbkByteLength(line.text));
        incoming += lengths.back();
    }
    if (m_sizeLimit <= 0 || m_gbkLength + incoming <= m_sizeLimit) {
        m_waiting.append(lines);
        m_gbkLength += incoming;
    } else {
        // Emptied first, then shown: the notice and the newest runs that fit beside it. What was
        // shown or waiting goes; the runs that do not fit are never inserted.
        const ConsoleLines notice = consoleClearedNotice();
        const qsizetype room = m_sizeLimit - consoleByteCount(notice);
        qsizetype from = lines.size();
        qsizetype kept = 0;
        while (from > 0 && kept + lengths[size_t(from - 1)] <= room) {
            --from;
            kept += lengths[size_t(from)];
        }
        m_waiting = notice + lines.mid(from);
        m_waitingFrom = 0;
        m_clearFirst = true;
        m_gbkLength = consoleByteCount(notice) + kept;
    }
    // A short message shows at once; a flood's batch from the next pass on when it needs more.
    m_sinceBatch.start();
    if (!m_nextSlice->isActive())
        insertWaiting();
}

void ConsoleView::clearConsole()
{
    m_waiting.clear();
    m_waitingFrom = 0;
    m_clearFirst = false;
    m_nextSlice->stop();
    m_gbkLength = 0;
    QTextEdit::clear();
}

void ConsoleView::setSizeLimit(qsizetype bytes)
{
    m_sizeLimit = bytes;
}

void ConsoleView::insertWaiting()
{
    if (m_clearFirst) {
        // Dropping a full document's layout is a pass of its own.
        m_clearFirst = false;
        QTextEdit::clear();
        if (m_waitingFrom < m_waiting.size()) {
            m_nextSlice->start(0);
            return;
        }
    }
    if (m_waitingFrom >= m_waiting.size()) {
        m_waiting.clear();
        m_waitingFrom = 0;
        return;
    }
    QElapsedTimer clock;
    clock.start();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    // The document lays out what changed at the end of each edit block: a block of a few thousand
    // characters is the step at which the time is checked. Runs of one colour in a row go in as
    // one insertion.
    constexpr qsizetype BlockChars = 2048;
    QString text;
    QString converted;
    while (m_waitingFrom < m_waiting.size() && clock.elapsed() < SliceMs) {
        cursor.beginEditBlock();
        qsizetype blockChars = 0;
        quint32 rgb = m_waiting.at(m_waitingFrom).rgb;
        while (m_waitingFrom < m_waiting.size() && blockChars < BlockChars) {
            const ConsoleLine& line = m_waiting.at(m_waitingFrom++);
            if (line.rgb != rgb && !text.isEmpty()) {
                m_format.setForeground(QColor::fromRgb(rgb));
                cursor.insertText(text, m_format);
                text.clear();
            }
            rgb = line.rgb;
            blockChars += line.text.size();
            if (!line.text.contains(QLatin1Char('\r'))) {
                text += line.text;
                continue;
            }
            // "\r\n" is one line end in the console; a lone "\r" would show as a stray glyph.
            converted = line.text;
            converted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            converted.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            text += converted;
        }
        if (!text.isEmpty()) {
            m_format.setForeground(QColor::fromRgb(rgb));
            cursor.insertText(text, m_format);
            text.clear();
        }
        cursor.endEditBlock();
    }
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
    if (m_waitingFrom < m_waiting.size()) {
        m_nextSlice->start(m_sinceBatch.isValid() && m_sinceBatch.elapsed() < FloodingMs ? FloodPassIntervalMs
                                                                                         : 0);
    } else {
        m_waiting.clear();
        m_waitingFrom = 0;
    }
}

void ConsoleView::focusInEvent(QFocusEvent* event)
{
    QTextEdit::focusInEvent(event);
    emit focusReceived();
}
