#include "console/ConsoleProcessor.h"
#include "server/gui/ConsoleView.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

namespace {

ConsoleLine plain(const QString& text)
{
    return {consolecolor::Ordinary, text};
}

const QString Notice = QStringLiteral("] 由于控制台信息量超过 200000 长度，系统已经自动帮你清理了");

// `count` server lines of 100 bytes, "line NNNNNN " + filler + "\r\n".
ConsoleLines serverLines(int first, int count)
{
    ConsoleLines lines;
    for (int i = first; i < first + count; ++i)
        lines.append(plain(QStringLiteral("line %1 ").arg(i, 6, 10, QLatin1Char('0')) +
                           QString(86, QLatin1Char('x')) + QStringLiteral("\r\n")));
    return lines;
}

} // namespace

class ConsoleViewTest : public QObject {
    Q_OBJECT

private slots:
    void runsKeepTheirColoursAndLineEnds()
    {
        ConsoleView view;
        view.appendLines({plain(QStringLiteral("[9:05:7")),
                          {consolecolor::Info, QStringLiteral("信息")},
                          plain(QStringLiteral("] a\r\nb\rc"))});
        QCOMPARE(view.toPlainText(), QStringLiteral("[9:05:7信息] a\nb\nc"));
        QCOMPARE(view.gbkLength(), 7 + 4 + 8);
        QCOMPARE(view.document()->find(QStringLiteral("信息")).charFormat().foreground().color(),
                 QColor(0, 200, 83));
        view.clearConsole();
        QCOMPARE(view.toPlainText(), QString());
        QCOMPARE(view.gbkLength(), 0);
    }

    // Near the limit, a launcher message empties the console first and is then shown whole.
    void messageNearTheLimitIsShownAfterTheClearing()
    {
        ConsoleView view;
        view.setSizeLimit(ConsoleByteLimit);
        view.appendLines({plain(QString(ConsoleByteLimit - 10, QLatin1Char('a')))});
        QCOMPARE(view.gbkLength(), ConsoleByteLimit - 10);
        const ConsoleLines message =
            launcherMessage(QStringLiteral(" 管理系统"), consolecolor::Launcher,
                            QStringLiteral("服务器进程ID（42）已终止，服务器强制关闭完成。"));
        view.appendLines(message);
        QTRY_VERIFY(
            view.toPlainText().endsWith(QStringLiteral("服务器进程ID（42）已终止，服务器强制关闭完成。\n")));
        const QString text = view.toPlainText();
        QVERIFY(text.startsWith(QLatin1Char('[')));
        QCOMPARE(text.count(Notice), 1);
        QVERIFY(!text.contains(QLatin1Char('a')));
        QCOMPARE(view.gbkLength(), consoleByteCount(consoleClearedNotice()) + consoleByteCount(message));
    }

    // A flood's batch far beyond the limit: the console shows the notice and the newest lines that
    // fit, never more than the limit, the last line included; a large batch is inserted over several
    // passes of the event loop.
    void floodBatchKeepsItsNewestLines()
    {
        ConsoleView view;
        view.setSizeLimit(ConsoleByteLimit);
        view.appendLines(serverLines(0, 1000));
        view.appendLines(serverLines(1000, 20000));
        QVERIFY(view.gbkLength() <= ConsoleByteLimit);
        QTRY_VERIFY_WITH_TIMEOUT(view.toPlainText().endsWith(QStringLiteral("line 020999 ") +
                                                             QString(86, QLatin1Char('x')) +
                                                             QLatin1Char('\n')),
                                 30000);
        const QString text = view.toPlainText();
        QCOMPARE(text.count(Notice), 1);
        QVERIFY(!text.contains(QStringLiteral("line 000999")));
        // Whole lines only, consecutive up to the last.
        const qsizetype first = text.indexOf(QStringLiteral("line "));
        const int firstNumber = text.mid(first + 5, 6).toInt();
        QCOMPARE(text.mid(first), [&] {
            QString expected;
            for (const ConsoleLine& line : serverLines(firstNumber, 21000 - firstNumber))
                expected += QString(line.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            return expected;
        }());
        QCOMPARE(view.gbkLength(), consoleByteCount(consoleClearedNotice()) + (21000 - firstNumber) * 100);
        QVERIFY(view.gbkLength() > ConsoleByteLimit - 100 - consoleByteCount(consoleClearedNotice()));
    }
};

QTEST_MAIN(ConsoleViewTest)
#include "ConsoleView_test.moc"
