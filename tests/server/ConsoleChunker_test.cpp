#include "platform/CodePage.h"
#include "server/ConsoleChunker.h"

#include <QtTest>

namespace {

QByteArray gbk(const QString& text)
{
    return codepage::toGbk(text);
}

QByteArray utf8(const QString& text)
{
    return text.toUtf8();
}

} // namespace

class ConsoleChunkerTest : public QObject {
    Q_OBJECT

private slots:
    // Pieces as the pipe delivers them, then what the reader does when the output pauses
    // ("flush") or ends ("finish").
    void chunks_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<QString>("then");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<QString>("charset");

        const QString none;
        const QString flush = QStringLiteral("flush");
        const QString finish = QStringLiteral("finish");

        QTest::newRow("whole lines in one read stay one chunk")
            << QList<QByteArray>{"[12:00:01 INFO]: Done\r\n[12:00:02 INFO]: list\n"} << none
            << QStringList{QStringLiteral("[12:00:01 INFO]: Done\r\n[12:00:02 INFO]: list\n")} << false
            << QStringLiteral("UTF-8");
        QTest::newRow("partial line waits for its end")
            << QList<QByteArray>{"a\nhal", "f line\r", "\n"} << none
            << QStringList{QStringLiteral("a\n"), QStringLiteral("half line\r\n")} << false
            << QStringLiteral("UTF-8");
        QTest::newRow("partial line held back")
            << QList<QByteArray>{"a\n> "} << none << QStringList{QStringLiteral("a\n")} << true
            << QStringLiteral("UTF-8");
        QTest::newRow("prompt shown after a pause")
            << QList<QByteArray>{"name> "} << flush << QStringList{QStringLiteral("name> ")} << false
            << QStringLiteral("UTF-8");
        QTest::newRow("pause keeps an unfinished character back")
            << QList<QByteArray>{QByteArray("ab\xE4\xBD")} << flush << QStringList{QStringLiteral("ab")}
            << true << QStringLiteral("UTF-8");
        QTest::newRow("character completed after the pause")
            << QList<QByteArray>{QByteArray("ab\xE4\xBD"), QByteArray("\xA0\n")} << none
            << QStringList{QStringLiteral("ab你\n")} << false << QStringLiteral("UTF-8");
        QTest::newRow("end of output hands everything on")
            << QList<QByteArray>{"last words"} << finish << QStringList{QStringLiteral("last words")} << false
            << QStringLiteral("UTF-8");
        QTest::newRow("GBK line") << QList<QByteArray>{gbk(QStringLiteral("[信息] 服务器已启动\r\n"))} << none
                                  << QStringList{QStringLiteral("[信息] 服务器已启动\r\n")} << false
                                  << QStringLiteral("GBK");
        QTest::newRow("GBK line split between reads")
            << QList<QByteArray>{gbk(QStringLiteral("你好")).left(3), gbk(QStringLiteral("你好\n")).mid(3)}
            << none << QStringList{QStringLiteral("你好\n")} << false << QStringLiteral("GBK");
        QTest::newRow("mixed lines each decoded by their own bytes")
            << QList<QByteArray>{utf8(QStringLiteral("你好\n")) + gbk(QStringLiteral("再见\n")) + "ascii\n"}
            << none << QStringList{QStringLiteral("你好\n再见\nascii\n")} << false << QStringLiteral("GBK");
        QTest::newRow("UTF-8 line after GBK switches back")
            << QList<QByteArray>{gbk(QStringLiteral("甲\n")), utf8(QStringLiteral("乙\n")), "plain\n"} << none
            << QStringList{QStringLiteral("甲\n"), QStringLiteral("乙\n"), QStringLiteral("plain\n")} << false
            << QStringLiteral("UTF-8");
        QTest::newRow("ASCII after GBK keeps GBK")
            << QList<QByteArray>{gbk(QStringLiteral("甲\n")), "plain\n"} << none
            << QStringList{QStringLiteral("甲\n"), QStringLiteral("plain\n")} << false
            << QStringLiteral("GBK");
        QTest::newRow("bytes that are neither charset")
            << QList<QByteArray>{QByteArray("\xFF\xFF x\n")} << none
            << QStringList{QStringLiteral("\uFFFD\uFFFD x\n")} << false << QStringLiteral("GBK");
    }

    void chunks()
    {
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(QString, then);
        QFETCH(QStringList, expected);
        QFETCH(bool, pending);
        QFETCH(QString, charset);

        ConsoleChunker chunker;
        QStringList chunks;
        for (const QByteArray& piece : pieces)
            chunks += chunker.feed(piece);
        if (then == QLatin1String("flush"))
            chunks += chunker.flushPartial();
        else if (then == QLatin1String("finish"))
            chunks += chunker.finish();
        QCOMPARE(chunks, expected);
        QCOMPARE(chunker.hasPending(), pending);
        QCOMPARE(chunker.lastCharset(), charset);
    }

    // Chunks hold at most 1000 bytes and end at the last line end within them.
    void linesPackedUpToTheLimit()
    {
        QByteArray input;
        for (int i = 0; i < 15; ++i)
            input += QByteArray(99, char('a' + i)) + '\n';
        ConsoleChunker chunker;
        const QStringList chunks = chunker.feed(input);
        QCOMPARE(chunks.size(), 2);
        QCOMPARE(chunks.at(0).size(), 1000);
        QCOMPARE(chunks.at(1).size(), 500);
        QVERIFY(chunks.at(0).endsWith(QLatin1Char('\n')));
        QCOMPARE(chunks.join(QString()).toLatin1(), input);
    }

    // A line longer than a chunk is cut at most 1000 bytes in, never inside a character and never
    // between "\r" and "\n", and nothing is lost or garbled.
    void longLinesCutOnCharacterBoundaries_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("isGbk");
        QTest::newRow("ASCII") << QString(3000, QLatin1Char('x')) << false;
        QTest::newRow("UTF-8, three-byte characters")
            << QStringLiteral("a") + QString(1000, QChar(0x4F60)) << false;
        QTest::newRow("UTF-8, four-byte characters")
            << QStringLiteral("ab") + QString::fromUcs4(std::u32string(800, U'\U0001F600').c_str()) << false;
        QTest::newRow("GBK") << QStringLiteral("a") + QString(1500, QChar(0x4F60)) << true;
        QTest::newRow("GBK, mixed widths") << QStringLiteral("服a务b器c").repeated(300) << true;
        QTest::newRow("CRLF at the cut")
            << QString(999, QLatin1Char('x')) + QStringLiteral("\r\nnext\n") << false;
    }

    void longLinesCutOnCharacterBoundaries()
    {
        QFETCH(QString, line);
        QFETCH(bool, isGbk);
        const QByteArray bytes = isGbk ? gbk(line) : utf8(line);

        ConsoleChunker chunker;
        QStringList chunks;
        // Delivered in odd-sized reads, as a pipe does.
        for (qsizetype at = 0; at < bytes.size(); at += 777)
            chunks += chunker.feed(bytes.mid(at, 777));
        chunks += chunker.finish();

        QCOMPARE(chunks.join(QString()), line);
        for (const QString& chunk : chunks) {
            QVERIFY(!chunk.contains(QChar(0xFFFD)));
            QVERIFY(!chunk.endsWith(QLatin1Char('\r')));
            const qsizetype size = isGbk ? gbk(chunk).size() : utf8(chunk).size();
            QVERIFY2(size <= ConsoleChunker::MaxChunkBytes, qPrintable(QString::number(size)));
        }
        QCOMPARE(chunker.lastCharset(), isGbk ? QStringLiteral("GBK") : QStringLiteral("UTF-8"));
    }
};

QTEST_GUILESS_MAIN(ConsoleChunkerTest)
#include "ConsoleChunker_test.moc"
