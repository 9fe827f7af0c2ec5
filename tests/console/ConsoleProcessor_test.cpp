#include "console/ConsoleLanguage.h"
#include "console/ConsoleProcessor.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/RunDirectory.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(ConsoleLine)

namespace {

// One run per line, so that a failing comparison shows where the runs differ.
QString describe(const ConsoleLines& lines)
{
    QStringList out;
    for (const ConsoleLine& line : lines) {
        QString text = line.text;
        text.replace(QStringLiteral("\r"), QStringLiteral("\\r"))
            .replace(QStringLiteral("\n"), QStringLiteral("\\n"));
        out << QStringLiteral("%1 |%2|").arg(line.rgb, 6, 16, QLatin1Char('0')).arg(text);
    }
    return out.join(QLatin1Char('\n'));
}

ConsoleLine plain(const QString& text)
{
    return {consolecolor::Ordinary, text};
}

const ConsoleLine Info{consolecolor::Info, QStringLiteral("信息")};
const ConsoleLine Warn{consolecolor::Warning, QStringLiteral("警告")};
const ConsoleLine Error{consolecolor::Problem, QStringLiteral("错误")};

const QString CompletionLine = QStringLiteral("[12:00:00 INFO]: Done (3.2s)! For help, type \"help\"\r\n");

const QString ModLoaderTrace =
    QStringLiteral("java.lang.ClassNotFoundException: net.minecraft.launchwrapper.Launch\r\n"
                   "\tat java.net.URLClassLoader.findClass(Unknown Source)\r\n"
                   "\tat java.lang.ClassLoader.loadClass(Unknown Source)\r\n"
                   "\tat sun.misc.Launcher$AppClassLoader.loadClass(Unknown Source)\r\n"
                   "\tat java.lang.ClassLoader.loadClass(Unknown Source)\r\n"
                   "\tat java.lang.Class.forName0(Native Method)\r\n"
                   "\tat java.lang.Class.forName(Unknown Source)\r\n"
                   "\tat cpw.mods.fml.relauncher.ServerLaunchWrapper.run(ServerLaunchWrapper.java:25)\r\n"
                   "\tat cpw.mods.fml.relauncher.ServerLaunchWrapper.main(ServerLaunchWrapper.java:12)");

const ConsoleLines AnalysisLines = {
    {consolecolor::Problem, QStringLiteral("错误分析: ")},
    plain(QStringLiteral("我们在开服过程中检测到服务器文件夹中缺少 library（lib库） 文件夹.\r\n"))};
const ConsoleLines CorrectionLines = {
    {consolecolor::Problem, QStringLiteral("纠正错误: ")},
    plain(QStringLiteral(
        "你需要将 library（lib库）添加到服务器文件夹 /panel/server/ 中，FML 和 Forge 才能运行成功."))};

} // namespace

class ConsoleProcessorTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void process_data();
    void process();
    void languageChoiceAndEditsTakeEffect();
    void replaceAllCases_data();
    void replaceAllCases();
    void clearedNoticeAndByteCount();

private:
    void writeLanguageFile(const QString& name, const QString& text);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void ConsoleProcessorTest::writeLanguageFile(const QString& name, const QString& text)
{
    QVERIFY(writeFileAtomically(rundir::join(QStringLiteral("panel/Console-lang/") + name),
                                codepage::toGbk(text)));
}

void ConsoleProcessorTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    rundir::setOverride(m_dir->path());
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("panel/Console-lang")));
    QVERIFY(writeFileAtomically(consolelang::languageFilePath(consolelang::DefaultLanguageFileName),
                                consolelang::defaultLanguageFileBytes()));
}

void ConsoleProcessorTest::process_data()
{
    QTest::addColumn<QString>("languageFile"); // empty: the default file
    QTest::addColumn<QStringList>("chunks");   // all through one processor; the last one's runs are compared
    QTest::addColumn<ConsoleLines>("expected");
    QTest::addColumn<bool>("startupDone");

    const QString none;

    QTest::newRow("offline notice, any letter case, takes the join line with it")
        << none
        << QStringList{QStringLiteral("[12:00:00 WARN]: **** Server is running in offline/insecure mode!\r\n"
                                      "[12:00:01 INFO]: Steve joined the game\r\n")}
        << ConsoleLines{} << false;
    QTest::newRow("online-mode hint")
        << none
        << QStringList{QStringLiteral("[1 WARN]: TO CHANGE THIS, SET \"ONLINE-MODE\" TO \"TRUE\" IN THE "
                                      "SERVER.PROPERTIES FILE.\r\n")}
        << ConsoleLines{} << false;
    QTest::newRow("mod-loader trace")
        << none << QStringList{QStringLiteral("x\r\n") + ModLoaderTrace} << ConsoleLines{} << false;
    QTest::newRow("mod-loader trace with bare line ends")
        << none << QStringList{QString(ModLoaderTrace).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))}
        << ConsoleLines{} << false;
    QTest::newRow("mod-loader trace in another letter case is shown")
        << none << QStringList{ModLoaderTrace.toLower()} << ConsoleLines{plain(ModLoaderTrace.toLower())}
        << false;

    QTest::newRow("completion line")
        << none << QStringList{CompletionLine}
        << ConsoleLines{plain(QStringLiteral("[12:00:00 ")), Info,
                        plain(QStringLiteral("] 已开服，耗时 [3.2s] 输入“help”或“?” 查看帮助\r\n"))}
        << true;
    QTest::newRow("vanilla completion line is rewritten whole")
        << none
        << QStringList{QStringLiteral("[12:00:00 INFO]: Done (3.2s)! For help, type \"help\" or \"?\"\r\n")}
        << ConsoleLines{plain(QStringLiteral("[12:00:00 ")), Info,
                        plain(QStringLiteral("] 已开服，耗时 [3.2s] 输入“help”或“?” 查看帮助\r\n"))}
        << true;
    QTest::newRow("offline notice with a character that folds to an ASCII letter")
        << none
        << QStringList{QStringLiteral(
               "the server will ma\u212Ae no attempt to authenticate usernames. beware.")}
        << ConsoleLines{} << false;
    QTest::newRow("second completion line only gets its marker rewritten")
        << none << QStringList{CompletionLine, CompletionLine}
        << ConsoleLines{plain(QStringLiteral("[12:00:00 ")), Info,
                        plain(QStringLiteral("] Done (3.2s)! For help, type \"help\"\r\n"))}
        << true;
    QTest::newRow("Chinese completion text sets the flag")
        << none << QStringList{QStringLiteral("启动完成 Done (1s)")}
        << ConsoleLines{plain(QStringLiteral("启动完成 已开服，耗时 [1s)"))} << true;
    QTest::newRow("Done in a chat line before the real completion")
        << none << QStringList{QStringLiteral("<Steve> Done\r\n"), CompletionLine}
        << ConsoleLines{plain(QStringLiteral("[12:00:00 ")), Info,
                        plain(QStringLiteral("] Done (3.2s)! For help, type \"help\"\r\n"))}
        << true;
    QTest::newRow("lower-case done is no completion")
        << none << QStringList{QStringLiteral("done (1s)")}
        << ConsoleLines{plain(QStringLiteral("done (1s)"))} << false;

    QTest::newRow("Sponge info marker")
        << none << QStringList{QStringLiteral("[12:00:02 INFO] [Sponge]: Loading")}
        << ConsoleLines{plain(QStringLiteral("[12:00:02 ")), Info, plain(QStringLiteral("] Loading"))}
        << false;
    QTest::newRow("Sponge warn and error markers, warning coloured")
        << none << QStringList{QStringLiteral("[1 WARN] [Sponge]: a\n[2 ERROR] [Sponge]: b")}
        << ConsoleLines{plain(QStringLiteral("[1 ")), Warn, plain(QStringLiteral("] a\n[2 错误] b"))}
        << false;
    QTest::newRow("warning line") << none
                                  << QStringList{QStringLiteral("[12:00:01 WARN]: Can't keep up!\r\n")}
                                  << ConsoleLines{plain(QStringLiteral("[12:00:01 ")), Warn,
                                                  plain(QStringLiteral("] Can't keep up!\r\n"))}
                                  << false;
    QTest::newRow("info and error: only info coloured, every time")
        << none << QStringList{QStringLiteral("[1 INFO]: a\r\n[2 ERROR]: b\r\n[3 INFO]: c\r\n")}
        << ConsoleLines{plain(QStringLiteral("[1 ")), Info, plain(QStringLiteral("] a\r\n[2 错误] b\r\n[3 ")),
                        Info, plain(QStringLiteral("] c\r\n"))}
        << false;
    QTest::newRow("level word at both ends and back to back")
        << none << QStringList{QStringLiteral("错误 x 错误错误")}
        << ConsoleLines{Error, plain(QStringLiteral(" x ")), Error, Error} << false;

    const QString trigger =
        QStringLiteral("We appear to be missing one or more essential library files.\r\n");
    const QString followUp = QStringLiteral(
        "You will need to add them to your server before FML and Forge will run successfully.\r\n");
    QTest::newRow("missing library, first trigger")
        << none << QStringList{QStringLiteral("[1 ERROR]: ") + trigger}
        << ConsoleLines(AnalysisLines) +
               ConsoleLines{plain(QStringLiteral("[1 ")), Error, plain(QStringLiteral("] ") + trigger)}
        << false;
    QTest::newRow("missing library, both triggers")
        << none << QStringList{QStringLiteral("[1 ERROR]: ") + trigger + followUp}
        << ConsoleLines(AnalysisLines) + CorrectionLines << false;
    QTest::newRow("missing library, second trigger alone")
        << none << QStringList{followUp} << ConsoleLines{plain(followUp)} << false;

    QTest::newRow("default file: players online")
        << none << QStringList{QStringLiteral("[10:00:00 INFO]: There are 0 of a max of 20 players online")}
        << ConsoleLines{plain(QStringLiteral("[10:00:00 ")), Info,
                        plain(QStringLiteral("] 服务器人数 0 of a max of 20 在线玩家"))}
        << false;
    QTest::newRow("default file: every occurrence, letter case respected")
        << none << QStringList{QStringLiteral("Stopping server. stopping server. Stopping server")}
        << ConsoleLines{plain(QStringLiteral("服务器已关闭. stopping server. 服务器已关闭"))} << false;
    QTest::newRow("phrase listed twice")
        << QStringLiteral(
               "<velk>left the game</velk><velk>left the game</velk><left the game>走了</left the game>")
        << QStringList{QStringLiteral("Steve left the game, Alex left the game")}
        << ConsoleLines{plain(QStringLiteral("Steve 走了, Alex 走了"))} << false;
    QTest::newRow("later phrase sees the earlier translation")
        << QStringLiteral("<velk>joined</velk><velk>kam</velk><joined>kam</joined><kam>来了</kam>")
        << QStringList{QStringLiteral("Steve joined")} << ConsoleLines{plain(QStringLiteral("Steve 来了"))}
        << false;
    QTest::newRow("translation into a level word is coloured")
        << QStringLiteral("<velk>Oops</velk><Oops>错误</Oops>") << QStringList{QStringLiteral("Oops!")}
        << ConsoleLines{Error, plain(QStringLiteral("!"))} << false;
    QTest::newRow("empty translation keeps the phrase")
        << QStringLiteral("<velk>Stopping server</velk><Stopping server></Stopping server>")
        << QStringList{QStringLiteral("Stopping server")}
        << ConsoleLines{plain(QStringLiteral("Stopping server"))} << false;
    QTest::newRow("translation holding its own phrase")
        << QStringLiteral("<velk>tick</velk><tick>tick tock</tick>")
        << QStringList{QStringLiteral("tick tick")}
        << ConsoleLines{plain(QStringLiteral("tick tock tick tock"))} << false;
}

void ConsoleProcessorTest::process()
{
    QFETCH(QString, languageFile);
    QFETCH(QStringList, chunks);
    QFETCH(ConsoleLines, expected);
    QFETCH(bool, startupDone);

    ConsoleProcessor processor;
    processor.setLanguageName(consolelang::DefaultLanguageFileName);
    if (!languageFile.isEmpty()) {
        writeLanguageFile(QStringLiteral("test.lang"), languageFile);
        processor.setLanguageName(QStringLiteral("test.lang"));
    }
    ConsoleLines actual;
    for (const QString& chunk : chunks)
        actual = processor.process(chunk);
    QCOMPARE(describe(actual), describe(expected));
    QCOMPARE(processor.startupDone(), startupDone);
    processor.resetStartupDone();
    QVERIFY(!processor.startupDone());
}

// A new choice shows at the next chunk; an edit of the chosen file shows within the processor's
// recheck interval.
void ConsoleProcessorTest::languageChoiceAndEditsTakeEffect()
{
    ConsoleProcessor processor;
    const QString chunk = QStringLiteral("Stopping server");
    QCOMPARE(processor.process(chunk), (ConsoleLines{plain(chunk)}));
    processor.setLanguageName(consolelang::DefaultLanguageFileName);
    QCOMPARE(processor.process(chunk), (ConsoleLines{plain(QStringLiteral("服务器已关闭"))}));

    writeLanguageFile(QStringLiteral("a.lang"),
                      QStringLiteral("<velk>Stopping server</velk><Stopping server>AA</Stopping server>"));
    processor.setLanguageName(QStringLiteral("a.lang"));
    QCOMPARE(processor.process(chunk), (ConsoleLines{plain(QStringLiteral("AA"))}));

    // Same size, written at once: the file's times may not have moved at all.
    writeLanguageFile(QStringLiteral("a.lang"),
                      QStringLiteral("<velk>Stopping server</velk><Stopping server>BB</Stopping server>"));
    QTRY_COMPARE(processor.process(chunk), (ConsoleLines{plain(QStringLiteral("BB"))}));

    QVERIFY(QFile::remove(consolelang::languageFilePath(QStringLiteral("a.lang"))));
    QTRY_COMPARE(processor.process(chunk), (ConsoleLines{plain(chunk)}));

    processor.setLanguageName(consolelang::DefaultLanguageFileName);
    QCOMPARE(processor.process(chunk), (ConsoleLines{plain(QStringLiteral("服务器已关闭"))}));
    processor.setLanguageName(QString());
    QCOMPARE(processor.process(chunk), (ConsoleLines{plain(chunk)}));
}

void ConsoleProcessorTest::replaceAllCases_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");

    const auto u = [](const char* text) { return QString::fromUtf8(text); };
    QTest::newRow("every occurrence") << u("a-b-a") << u("a") << u("xy") << u("xy-b-xy");
    QTest::newRow("letter case respected") << u("Done done") << u("done") << u("ok") << u("Done ok");
    QTest::newRow("no occurrence") << u("abc") << u("x") << u("y") << u("abc");
    QTest::newRow("removal") << u("a--b--") << u("--") << u("") << u("ab");
    QTest::newRow("overlapping, left to right") << u("aaa") << u("aa") << u("b") << u("ba");
    QTest::newRow("replacement forms a new occurrence with what follows")
        << u("abbb") << u("ab") << u("a") << u("a");
    QTest::newRow("replacement holds the search text") << u("aXa") << u("a") << u("aa") << u("aaXaa");
    QTest::newRow("replacement equals the search text") << u("aXa") << u("a") << u("a") << u("aXa");
    QTest::newRow("empty search") << u("abc") << u("") << u("x") << u("abc");
    QTest::newRow("empty text") << u("") << u("a") << u("b") << u("");
}

void ConsoleProcessorTest::replaceAllCases()
{
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    QCOMPARE(replaceAll(text, search, replacement), expected);
}

void ConsoleProcessorTest::clearedNoticeAndByteCount()
{
    QCOMPARE(
        consoleClearedNotice(QTime(9, 5, 7)),
        (ConsoleLines{plain(QStringLiteral("[9:05:7")),
                      {consolecolor::Launcher, QStringLiteral(" 管理系统")},
                      plain(QStringLiteral("] 由于控制台信息量超过 200000 长度，系统已经自动帮你清理了"))}));
    QCOMPARE(consoleByteCount({plain(QStringLiteral("ab\r\n")), Info}), 8);
}

QTEST_GUILESS_MAIN(ConsoleProcessorTest)
#include "ConsoleProcessor_test.moc"
