#include "console/ConsoleLanguage.h"
#include "console/LanguageFileCache.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "platform/RunDirectory.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class ConsoleLanguageTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void defaultFileRoundTrips();
    void phraseList_data();
    void phraseList();
    void translation_data();
    void translation();
    void headerWithMissingKeyOrFile();
    void hostileNamesStayInTheFolder_data();
    void hostileNamesStayInTheFolder();
    void housekeepingWritesDefaultOnce();
    void housekeepingRetriesWhenTheFileCannotBeWritten();
    void cachePicksUpEdits();
    void oversizedFileReadsAsUnreadable();

private:
    QString langPath(const QString& name) const
    {
        return rundir::join(QStringLiteral("panel/Console-lang/") + name);
    }
    void writeLang(const QString& name, const QString& text)
    {
        QVERIFY(writeFileAtomically(langPath(name), codepage::toGbk(text)));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void ConsoleLanguageTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    rundir::setOverride(m_dir->path());
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("panel/Console-lang")));
}

void ConsoleLanguageTest::defaultFileRoundTrips()
{
    const QByteArray bytes = consolelang::defaultLanguageFileBytes();
    QCOMPARE(bytes.size(), 1145);
    QVERIFY(bytes.startsWith("[lang]\r\n"));
    QVERIFY(!bytes.endsWith("\n"));
    QCOMPARE(bytes.count("\r\n"), 31);

    QVERIFY(writeFileAtomically(langPath(QStringLiteral("zh-cn.lang")), bytes));
    const consolelang::LanguageHeader header = consolelang::readHeader(QStringLiteral("zh-cn.lang"));
    QCOMPARE(header, (consolelang::LanguageHeader{QStringLiteral("简体中文"), QStringLiteral("Velk"),
                                                  QStringLiteral("1.0.0")}));

    const QStringList phrases = consolelang::loadPhraseList(QStringLiteral("zh-cn.lang"));
    QCOMPARE(phrases.size(), 10);
    QCOMPARE(phrases.first(), QStringLiteral("Unknown command. Type"));
    QCOMPARE(phrases.at(2), QStringLiteral("Starting Minecraft server on *"));
    QCOMPARE(phrases.last(), QStringLiteral("Preparing spawn area"));
    for (const QString& phrase : phrases)
        QVERIFY2(!consolelang::findTranslation(QStringLiteral("zh-cn.lang"), phrase).isEmpty(),
                 qPrintable(phrase));
    QCOMPARE(consolelang::findTranslation(QStringLiteral("zh-cn.lang"),
                                          QStringLiteral("Starting Minecraft server on *")),
             QStringLiteral("启动我的世界服务器*"));
    QCOMPARE(consolelang::findTranslation(QStringLiteral("zh-cn.lang"), QStringLiteral("Stopping server")),
             QStringLiteral("服务器已关闭"));
}

void ConsoleLanguageTest::phraseList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("blanks of both widths trimmed")
        << QStringLiteral("<velk> left the game </velk>\r\n<velk>　 There are　</velk>")
        << QStringList{QStringLiteral("left the game"), QStringLiteral("There are")};
    QTest::newRow("tabs and line ends stay")
        << QStringLiteral("<velk>\ta\r\nb </velk>") << QStringList{QStringLiteral("\ta\r\nb")};
    QTest::newRow("empty and blank entries skipped")
        << QStringLiteral("<velk></velk><velk> 　 </velk><velk>x</velk>") << QStringList{QStringLiteral("x")};
    QTest::newRow("unclosed entry ends the list")
        << QStringLiteral("<velk>a</velk><velk>b") << QStringList{QStringLiteral("a")};
    QTest::newRow("tags are case-sensitive")
        << QStringLiteral("<VELK>a</VELK><velk>b</velk>") << QStringList{QStringLiteral("b")};
    QTest::newRow("duplicates kept") << QStringLiteral("<velk>a</velk><velk>a</velk>")
                                     << QStringList{QStringLiteral("a"), QStringLiteral("a")};
    QTest::newRow("no entries") << QStringLiteral("[lang]\r\n语言名称=x") << QStringList{};
}

void ConsoleLanguageTest::phraseList()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(consolelang::phraseListOf(text), expected);
    // The same through a GBK file on disk.
    writeLang(QStringLiteral("t.lang"), text);
    QCOMPARE(consolelang::loadPhraseList(QStringLiteral("t.lang")), expected);
}

void ConsoleLanguageTest::translation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<QString>("expected");

    QTest::newRow("quote placeholder in the tags")
        << QStringLiteral("<velk>type #引号help#引号</velk><type \"help\">输入“help”</type \"help\">")
        << QStringLiteral("type #引号help#引号") << QStringLiteral("输入“help”");
    QTest::newRow("translation not trimmed")
        << QStringLiteral("<a> 甲 </a>") << QStringLiteral("a") << QStringLiteral(" 甲 ");
    QTest::newRow("first opening tag wins")
        << QStringLiteral("<a>1</a><a>2</a>") << QStringLiteral("a") << QStringLiteral("1");
    QTest::newRow("closing tag before the opening one is not used")
        << QStringLiteral("</a><a>1</a>") << QStringLiteral("a") << QStringLiteral("1");
    QTest::newRow("no closing tag") << QStringLiteral("<a>1") << QStringLiteral("a") << QString();
    QTest::newRow("letter case respected") << QStringLiteral("<A>1</A>") << QStringLiteral("a") << QString();
}

void ConsoleLanguageTest::translation()
{
    QFETCH(QString, text);
    QFETCH(QString, phrase);
    QFETCH(QString, expected);
    writeLang(QStringLiteral("t.lang"), text);
    QCOMPARE(consolelang::findTranslation(QStringLiteral("t.lang"), phrase), expected);
}

void ConsoleLanguageTest::headerWithMissingKeyOrFile()
{
    writeLang(QStringLiteral("t.lang"),
              QStringLiteral("[lang]\r\n语言名称=English\r\n翻译版本=2\r\n<velk>a</velk>"));
    QCOMPARE(consolelang::readHeader(QStringLiteral("t.lang")),
             (consolelang::LanguageHeader{QStringLiteral("English"), QString(), QStringLiteral("2")}));
    QCOMPARE(consolelang::readHeader(QStringLiteral("missing.lang")), consolelang::LanguageHeader{});
    QVERIFY(consolelang::loadPhraseList(QStringLiteral("missing.lang")).isEmpty());
    QVERIFY(consolelang::findTranslation(QStringLiteral("missing.lang"), QStringLiteral("a")).isEmpty());
}

void ConsoleLanguageTest::hostileNamesStayInTheFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("parent path") << QStringLiteral("../velk.ini");
    QTest::newRow("backslash parent path") << QStringLiteral("..\\velk.ini");
    QTest::newRow("dot dot") << QStringLiteral("..");
    QTest::newRow("dot") << QStringLiteral(".");
    QTest::newRow("absolute") << QStringLiteral("/etc/passwd");
    QTest::newRow("empty") << QString();
}

void ConsoleLanguageTest::hostileNamesStayInTheFolder()
{
    QFETCH(QString, name);
    // A file one level up that would read as a language file if the name got out.
    QVERIFY(writeFileAtomically(
        rundir::join(QStringLiteral("panel/velk.ini")),
        codepage::toGbk(QStringLiteral("[lang]\r\n语言名称=leak\r\n<velk>a</velk><a>b</a>"))));
    QVERIFY(consolelang::languageFilePath(name).isEmpty());
    QCOMPARE(consolelang::readHeader(name), consolelang::LanguageHeader{});
    QVERIFY(consolelang::loadPhraseList(name).isEmpty());
    QVERIFY(consolelang::findTranslation(name, QStringLiteral("a")).isEmpty());
    LanguageFileCache cache;
    QVERIFY(cache.load(name).phrases.isEmpty());
}

void ConsoleLanguageTest::housekeepingWritesDefaultOnce()
{
    const consolelang::LanguageHeader defaultHeader{QStringLiteral("简体中文"), QStringLiteral("Velk"),
                                                    QStringLiteral("1.0.0")};
    QString chosen;
    QCOMPARE(consolelang::runLanguageHousekeeping(chosen), defaultHeader);
    QCOMPARE(chosen, QStringLiteral("zh-cn.lang"));
    QCOMPARE(readWholeFile(langPath(QStringLiteral("zh-cn.lang"))), consolelang::defaultLanguageFileBytes());
    QCOMPARE(settings::readPreference(settings::ConsoleLanguageKey), QStringLiteral("zh-cn.lang"));

    // Chosen and then deleted: labels go empty, the file is not brought back.
    QVERIFY(QFile::remove(langPath(QStringLiteral("zh-cn.lang"))));
    QCOMPARE(consolelang::runLanguageHousekeeping(chosen), consolelang::LanguageHeader{});
    QVERIFY(!QFile::exists(langPath(QStringLiteral("zh-cn.lang"))));

    // Another file chosen: its header is shown and the stored choice is left alone.
    writeLang(QStringLiteral("en.lang"), QStringLiteral("[lang]\r\n语言名称=E\r\n翻译作者=A\r\n翻译版本=9"));
    chosen = QStringLiteral("en.lang");
    QCOMPARE(consolelang::runLanguageHousekeeping(chosen),
             (consolelang::LanguageHeader{QStringLiteral("E"), QStringLiteral("A"), QStringLiteral("9")}));
    QVERIFY(!QFile::exists(langPath(QStringLiteral("zh-cn.lang"))));
    QCOMPARE(settings::readPreference(settings::ConsoleLanguageKey), QStringLiteral("zh-cn.lang"));
}

void ConsoleLanguageTest::housekeepingRetriesWhenTheFileCannotBeWritten()
{
    // A plain file where the language folder should be.
    const QString folder = rundir::join(QStringLiteral("panel/Console-lang"));
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(writeFileAtomically(folder, "not a folder"));

    QString chosen;
    QCOMPARE(consolelang::runLanguageHousekeeping(chosen), consolelang::LanguageHeader{});
    QVERIFY(chosen.isEmpty());
    QVERIFY(settings::readPreference(settings::ConsoleLanguageKey).isEmpty());

    QVERIFY(QFile::remove(folder));
    QCOMPARE(consolelang::runLanguageHousekeeping(chosen).name, QStringLiteral("简体中文"));
    QCOMPARE(chosen, QStringLiteral("zh-cn.lang"));
}

void ConsoleLanguageTest::cachePicksUpEdits()
{
    LanguageFileCache cache;
    const QString name = QStringLiteral("c.lang");
    QVERIFY(cache.load(name).phrases.isEmpty());

    writeLang(name, QStringLiteral("<velk>a</velk><a>1</a>"));
    QCOMPARE(cache.load(name).phrases, QStringList{QStringLiteral("a")});
    QCOMPARE(consolelang::translationIn(cache.load(name).text, QStringLiteral("a")), QStringLiteral("1"));

    // Same size, written straight away: size and times may all be unchanged.
    writeLang(name, QStringLiteral("<velk>b</velk><b>2</b>"));
    QCOMPARE(cache.load(name).phrases, QStringList{QStringLiteral("b")});
    QCOMPARE(consolelang::translationIn(cache.load(name).text, QStringLiteral("b")), QStringLiteral("2"));

    // Rewritten in place with an old modification time.
    {
        QFile file(langPath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(codepage::toGbk(QStringLiteral("<velk>cc</velk><cc>33</cc>")));
        QVERIFY(
            file.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    }
    QCOMPARE(cache.load(name).phrases, QStringList{QStringLiteral("cc")});

    QVERIFY(QFile::remove(langPath(name)));
    QVERIFY(cache.load(name).phrases.isEmpty());
    QVERIFY(cache.load(name).text.isEmpty());
}

void ConsoleLanguageTest::oversizedFileReadsAsUnreadable()
{
    QByteArray bytes = "[lang]\r\n\xd3\xef\xd1\xd4\xc3\xfb\xb3\xc6=big\r\n<velk>a</velk><a>1</a>";
    bytes.append(QByteArray(consolelang::MaxLanguageFileBytes, ' '));
    QVERIFY(writeFileAtomically(langPath(QStringLiteral("big.lang")), bytes));
    QVERIFY(consolelang::loadPhraseList(QStringLiteral("big.lang")).isEmpty());
    // The header, read every second, is bounded the same way.
    QCOMPARE(consolelang::readHeader(QStringLiteral("big.lang")), consolelang::LanguageHeader{});
    LanguageFileCache cache;
    QVERIFY(cache.load(QStringLiteral("big.lang")).phrases.isEmpty());
}

QTEST_GUILESS_MAIN(ConsoleLanguageTest)
#include "ConsoleLanguage_test.moc"
