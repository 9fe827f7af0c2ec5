#include "platform/SystemInfo.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class SystemInfoTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write fixture");
        return path;
    }

private slots:
    void memoryFromMeminfo_data()
    {
        QTest::addColumn<QByteArray>("meminfo");
        QTest::addColumn<qint64>("freeMb");
        QTest::addColumn<qint64>("totalMb");

        QTest::newRow("typical") << QByteArray("MemTotal:       24683612 kB\nMemFree:        24097756 kB\n"
                                               "MemAvailable:   24312932 kB\nBuffers:            3500 kB\n")
                                 << qint64(23743) << qint64(24105);
        // 1536 kB is 1.5 MB: nearest rounds up; 1535 kB rounds down.
        QTest::newRow("half rounds up")
            << QByteArray("MemTotal: 1535 kB\nMemAvailable: 1536 kB\n") << qint64(2) << qint64(1);
        QTest::newRow("old kernel without MemAvailable")
            << QByteArray("MemTotal: 2097152 kB\nMemFree: 1048576 kB\n") << qint64(1024) << qint64(2048);
        QTest::newRow("MemAvailableX is another key")
            << QByteArray("MemAvailableX: 999999 kB\nMemFree: 2048 kB\n") << qint64(2) << qint64(0);
        QTest::newRow("garbage") << QByteArray("\x00\xff not meminfo", 15) << qint64(0) << qint64(0);
        QTest::newRow("non-number value")
            << QByteArray("MemTotal: lots kB\nMemAvailable: -5 kB\n") << qint64(0) << qint64(0);
        QTest::newRow("empty") << QByteArray() << qint64(0) << qint64(0);
    }

    void memoryFromMeminfo()
    {
        QFETCH(QByteArray, meminfo);
        const QString path = writeFile(QStringLiteral("meminfo"), meminfo);
        QFETCH(qint64, freeMb);
        QCOMPARE(sysinfo::freeMemoryMb(path), freeMb);
        QFETCH(qint64, totalMb);
        QCOMPARE(sysinfo::totalMemoryMb(path), totalMb);
    }

    void memoryOfMissingFileIsZero()
    {
        QCOMPARE(sysinfo::freeMemoryMb(m_dir.filePath(QStringLiteral("absent"))), qint64(0));
        QCOMPARE(sysinfo::totalMemoryMb(m_dir.filePath(QStringLiteral("absent"))), qint64(0));
    }

    void hostMemoryIsPlausible()
    {
        const qint64 total = sysinfo::totalMemoryMb();
        QVERIFY(total > 0);
        QVERIFY(sysinfo::freeMemoryMb() > 0);
        QVERIFY(sysinfo::freeMemoryMb() <= total);
    }

    void machineWordSize_data()
    {
        QTest::addColumn<QString>("machine");
        QTest::addColumn<bool>("sixtyFour");
        QTest::newRow("x86_64") << QStringLiteral("x86_64") << true;
        QTest::newRow("aarch64") << QStringLiteral("aarch64") << true;
        QTest::newRow("s390x") << QStringLiteral("s390x") << true;
        QTest::newRow("i686") << QStringLiteral("i686") << false;
        QTest::newRow("armv7l") << QStringLiteral("armv7l") << false;
    }

    void machineWordSize()
    {
        QFETCH(QString, machine);
        QFETCH(bool, sixtyFour);
        QCOMPARE(sysinfo::isSixtyFourBitMachine(machine), sixtyFour);
    }

    void elfClassOfFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("elfClass");
        QTest::newRow("32-bit header") << QByteArray("\x7f"
                                                     "ELF\x01\x01\x01\x00",
                                                     8)
                                       << 32;
        QTest::newRow("64-bit header") << QByteArray("\x7f"
                                                     "ELF\x02\x01\x01\x00",
                                                     8)
                                       << 64;
        QTest::newRow("unknown class") << QByteArray("\x7f"
                                                     "ELF\x03",
                                                     5)
                                       << 0;
        QTest::newRow("cut short") << QByteArray("\x7f"
                                                 "ELF")
                                   << 0;
        QTest::newRow("shell script") << QByteArray("#!/bin/sh\necho hi\n") << 0;
        QTest::newRow("empty") << QByteArray() << 0;
    }

    void elfClassOfFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, elfClass);
        QCOMPARE(sysinfo::elfClass(writeFile(QStringLiteral("program"), bytes)), elfClass);
    }

    void elfClassOfRealProgramsAndNonFiles()
    {
        // The test binary itself is a native program of the machine's word size.
        const int own = sysinfo::elfClass(QCoreApplication::applicationFilePath());
        QCOMPARE(own, int(sizeof(void*) * 8));
        QCOMPARE(sysinfo::elfClass(m_dir.filePath(QStringLiteral("absent"))), 0);
        QCOMPARE(sysinfo::elfClass(m_dir.path()), 0);
    }
};

QTEST_GUILESS_MAIN(SystemInfoTest)
#include "SystemInfo_test.moc"
