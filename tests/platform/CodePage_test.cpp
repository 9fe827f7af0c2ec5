#include "platform/CodePage.h"

#include <QTest>

class CodePageTest : public QObject {
    Q_OBJECT

private slots:
    // Text GBK holds keeps its GBK bytes (files written by older versions stay as they are); other
    // text takes GB18030's form and comes back whole.
    void extendedGbkRoundTrips_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("plainGbk");
        QTest::newRow("ASCII") << QStringLiteral("/usr/bin/java") << true;
        QTest::newRow("Chinese") << QStringLiteral("服务器数据=启用") << true;
        QTest::newRow("euro sign") << QStringLiteral("€") << true;
        QTest::newRow("Hangul and emoji") << QStringLiteral("/opt/자바/jdk🎮/bin/java") << false;
        QTest::newRow("private use") << QString(QChar(0xE0E5)) + QStringLiteral("/") << false;
    }
    void extendedGbkRoundTrips()
    {
        QFETCH(QString, text);
        QFETCH(bool, plainGbk);
        bool lossless = false;
        const QByteArray bytes = codepage::toGbkExtended(text, &lossless);
        QVERIFY(lossless);
        QCOMPARE(codepage::fromGbkExtended(bytes), text);
        QCOMPARE(bytes == codepage::toGbk(text), plainGbk);
        QVERIFY(!bytes.contains('?'));
    }

    void loneSurrogateIsReportedNotHidden()
    {
        bool lossless = true;
        QCOMPARE(codepage::toGbkExtended(QString(QChar(0xDC00)) + QStringLiteral("a"), &lossless),
                 QByteArray("?a"));
        QVERIFY(!lossless);
    }
};

QTEST_GUILESS_MAIN(CodePageTest)
#include "CodePage_test.moc"
