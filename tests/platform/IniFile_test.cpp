#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class IniFileTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    void writeRaw(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void readsEmptyForMissingFileSectionOrKey_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QByteArray gbk = codepage::toGbk(QStringLiteral(
            "[保留配置]\r\n崩服自启=启用\r\n缓动特效 = 停用 \r\n[服务器数据]\r\n内存=1024\r\n"));
        QTest::newRow("no file") << QByteArray() << QStringLiteral("保留配置") << QStringLiteral("崩服自启")
                                 << QString();
        QTest::newRow("value") << gbk << QStringLiteral("保留配置") << QStringLiteral("崩服自启")
                               << QStringLiteral("启用");
        QTest::newRow("blanks trimmed")
            << gbk << QStringLiteral("保留配置") << QStringLiteral("缓动特效") << QStringLiteral("停用");
        QTest::newRow("other section")
            << gbk << QStringLiteral("服务器数据") << QStringLiteral("崩服自启") << QString();
        QTest::newRow("missing section")
            << gbk << QStringLiteral("主要配色") << QStringLiteral("配色名称") << QString();
        QTest::newRow("missing key") << gbk << QStringLiteral("服务器数据") << QStringLiteral("核心")
                                     << QString();
        QTest::newRow("bare newlines")
            << QByteArray("[a]\nk=v\n") << QStringLiteral("a") << QStringLiteral("k") << QStringLiteral("v");
        QTest::newRow("garbage bytes")
            << QByteArray("\xff\xfe\x00[a\nk=v") << QStringLiteral("a") << QStringLiteral("k") << QString();
    }
    void readsEmptyForMissingFileSectionOrKey()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString name = QStringLiteral("read-%1.ini").arg(QString::fromUtf8(QTest::currentDataTag()));
        if (!content.isEmpty())
            writeRaw(name, content);
        QCOMPARE(ini::readValue(path(name), section, key), expected);
    }

    void writeCreatesFileAndSectionAsGbk()
    {
        const QString file = path(QStringLiteral("new.ini"));
        QVERIFY(ini::writeValue(file, QStringLiteral("主要配色"), QStringLiteral("配色名称"),
                                QStringLiteral("绿色")));
        QCOMPARE(readWholeFile(file), codepage::toGbk(QStringLiteral("[主要配色]\r\n配色名称=绿色\r\n")));
        QCOMPARE(ini::readValue(file, QStringLiteral("主要配色"), QStringLiteral("配色名称")),
                 QStringLiteral("绿色"));
    }

    void writeLeavesOtherKeysAndSectionsUntouched()
    {
        const QString file = path(QStringLiteral("keep.ini"));
        writeRaw(QStringLiteral("keep.ini"),
                 codepage::toGbk(QStringLiteral("; note\r\n[甲]\r\na=1\r\nb=2\r\n\r\n[乙]\r\na=3\r\n")));
        QVERIFY(ini::writeValue(file, QStringLiteral("甲"), QStringLiteral("b"), QStringLiteral("二")));
        QVERIFY(ini::writeValue(file, QStringLiteral("甲"), QStringLiteral("c"), QStringLiteral("4")));
        QVERIFY(ini::writeValue(file, QStringLiteral("丙"), QStringLiteral("d"), QString()));
        QCOMPARE(codepage::fromGbk(readWholeFile(file)),
                 QStringLiteral("; note\r\n[甲]\r\na=1\r\nb=二\r\nc=4\r\n\r\n[乙]\r\na=3\r\n[丙]\r\nd=\r\n"));
    }

    void unchangedWriteDoesNotTouchTheFile()
    {
        const QString file = path(QStringLiteral("same.ini"));
        QVERIFY(ini::writeValue(file, QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v")));
        QFile::setPermissions(file, QFileDevice::ReadOwner);
        // A read-only file that already holds the value needs no write, so the call still succeeds.
        QVERIFY(ini::writeValue(file, QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v")));
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void failedWriteIsReportedAndCreatesNothing()
    {
        // The folder is missing (settings written before the workspace exists): no stray file.
        const QString file = path(QStringLiteral("missing/velk.ini"));
        QVERIFY(!ini::writeValue(file, QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v")));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("missing"))));
        QCOMPARE(ini::readValue(file, QStringLiteral("s"), QStringLiteral("k")), QString());
    }
};

QTEST_GUILESS_MAIN(IniFileTest)
#include "IniFile_test.moc"
