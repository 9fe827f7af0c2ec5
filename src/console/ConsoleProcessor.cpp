#include "console/ConsoleProcessor.h"

#include "platform/CodePage.h"

#include <QMutexLocker>
#include <QStringList>
#include <QStringMatcher>

namespace {

// Printed by every server in offline mode, several times per start; they would only alarm.
const QStringList OfflineNotices = {
    QStringLiteral("The server will make no attempt to authenticate usernames. Beware."),
    QStringLiteral("While this makes the game possible to play without internet access, it also opens up "
                   "the ability for hackers to connect with any username they choose."),
    QStringLiteral("To change this, set \"online-mode\" to \"true\" in the server.properties file."),
    QStringLiteral("**** SERVER IS RUNNING IN OFFLINE/INSECURE MODE!"),
};

// An old mod loader started without its launch wrapper prints this trace and dies; the trace
// explains nothing to the operator.
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

struct Rewrite {
    QString from;
    QString to;
};

// The Sponge forms first: " INFO]:" would otherwise never see them, and " INFO] [Sponge]:" must not
// keep its "[Sponge]:".
const Rewrite LevelMarkers[] = {
    {QStringLiteral(" INFO] [Sponge]:"), QStringLiteral(" 信息]")},
    {QStringLiteral(" WARN] [Sponge]:"), QStringLiteral(" 警告]")},
    {QStringLiteral(" ERROR] [Sponge]:"), QStringLiteral(" 错误]")},
    {QStringLiteral(" INFO]:"), QStringLiteral(" 信息]")},
    {QStringLiteral(" WARN]:"), QStringLiteral(" 警告]")},
    {QStringLiteral(" ERROR]:"), QStringLiteral(" 错误]")},
};

struct LevelWord {
    QString word;
    quint32 rgb;
};

const LevelWord LevelWords[] = {
    {QStringLiteral("信息"), consolecolor::Info},
    {QStringLiteral("警告"), consolecolor::Warning},
    {QStringLiteral("错误"), consolecolor::Problem},
};

// The longer form first: a vanilla server prints `For help, type "help" or "?"`.
const QString CompletionHelpTexts[] = {
    QStringLiteral("s)! For help, type \"help\" or \"?\""),
    QStringLiteral("s)! For help, type \"help\""),
};

const QString MissingLibraryTrigger =
    QStringLiteral("We appear to be missing one or more essential library files.");
const QString MissingLibraryFollowUp =
    QStringLiteral("You will need to add them to your server before FML and Forge will run successfully.");

// Case folding as a case-insensitive match does it: the ASCII letters by hand (almost every
// character of a server's output), the rest by Qt, for the few that fold to an ASCII letter
// (U+212A KELVIN SIGN folds to "k").
QString caseFolded(const QString& text)
{
    QString folded(text.size(), Qt::Uninitialized);
    const QChar* in = text.constData();
    QChar* out = folded.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = in[i].unicode();
        if (c < 0x80)
            out[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
        else
            out[i] = in[i].toCaseFolded();
    }
    return folded;
}

bool shouldDrop(const QString& chunk)
{
    // Matchers built once: the reader tests every chunk of a flood against them. Folding the chunk
    // once and matching exactly is much cheaper than four case-insensitive searches.
    static const QList<QStringMatcher> notices = [] {
        QList<QStringMatcher> matchers;
        for (const QString& notice : OfflineNotices)
            matchers.append(QStringMatcher(caseFolded(notice)));
        return matchers;
    }();
    const QString folded = caseFolded(chunk);
    for (const QStringMatcher& notice : notices) {
        if (notice.indexIn(folded) >= 0)
            return true;
    }
    // Both forms of the trace start with its first line; most chunks lack it.
    static const QString traceStart = ModLoaderTrace.left(ModLoaderTrace.indexOf(QLatin1Char('\r')));
    if (!chunk.contains(traceStart))
        return false;
    if (chunk.contains(ModLoaderTrace))
        return true;
    // A server on this system ends its lines with "\n" alone.
    static const QString bareLineEndTrace =
        QString(ModLoaderTrace).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return chunk.contains(bareLineEndTrace);
}

void appendColoured(ConsoleLines& out, const QString& chunk)
{
    for (const LevelWord& level : LevelWords) {
        if (!chunk.contains(level.word))
            continue;
        qsizetype from = 0;
        for (qsizetype at = chunk.indexOf(level.word); at >= 0; at = chunk.indexOf(level.word, from)) {
            if (at > from)
                out.append({consolecolor::Ordinary, chunk.mid(from, at - from)});
            out.append({level.rgb, level.word});
            from = at + level.word.size();
        }
        if (from < chunk.size())
            out.append({consolecolor::Ordinary, chunk.mid(from)});
        return;
    }
    if (!chunk.isEmpty())
        out.append({consolecolor::Ordinary, chunk});
}

} // namespace

ConsoleLines consoleClearedNotice(const QTime& time)
{
    return {{consolecolor::Ordinary, QLatin1Char('[') + clockText(time)},
            {consolecolor::Launcher, QStringLiteral(" 管理系统")},
            {consolecolor::Ordinary,
             QStringLiteral("] 由于控制台信息量超过 200000 长度，系统已经自动帮你清理了")}};
}

qsizetype consoleByteCount(const ConsoleLines& lines)
{
    qsizetype bytes = 0;
    for (const ConsoleLine& line : lines)
        bytes += codepage::gbkByteLength(line.text);
    return bytes;
}

QString replaceAll(const QString& text, const QString& search, const QString& replacement)
{
    if (search.isEmpty())
        return text;
    // Looking again from the replacement's start would find the search text inside it forever.
    const qsizetype resumeOffset = replacement.contains(search) ? replacement.size() : 0;
    QString result = text;
    for (qsizetype at = result.indexOf(search); at >= 0; at = result.indexOf(search, at + resumeOffset))
        result.replace(at, search.size(), replacement);
    return result;
}

void ConsoleProcessor::setLanguageName(const QString& fileName)
{
    QMutexLocker lock(&m_nameMutex);
    m_chosenName = fileName;
    m_nameChanged.store(true);
}

ConsoleLines ConsoleProcessor::process(const QString& chunk)
{
    if (chunk.isEmpty() || shouldDrop(chunk))
        return {};

    if (m_nameChanged.exchange(false)) {
        QMutexLocker lock(&m_nameMutex);
        m_languageName = m_chosenName;
    }

    QString text = chunk;
    if (!m_startupDone.load() &&
        (text.contains(QStringLiteral("Done")) || text.contains(QStringLiteral("启动完成")))) {
        m_startupDone.store(true);
        // "[12:00:00 INFO]: Done (3.2s)! For help, type "help"" becomes
        // "[12:00:00 信息] 已开服，耗时 [3.2s] 输入“help”或“?” 查看帮助". A vanilla server adds
        // ` or "?"`, which the Chinese text already says; left alone it would dangle behind it.
        text = replaceAll(text, QStringLiteral("Done ("), QStringLiteral("已开服，耗时 ["));
        for (const QString& help : CompletionHelpTexts)
            text = replaceAll(text, help, QStringLiteral("s] 输入“help”或“?” 查看帮助"));
    }

    for (const Rewrite& marker : LevelMarkers)
        text = replaceAll(text, marker.from, marker.to);

    ConsoleLines out;
    if (text.contains(MissingLibraryTrigger)) {
        out.append({consolecolor::Problem, QStringLiteral("错误分析: ")});
        out.append({consolecolor::Ordinary,
                    QStringLiteral("我们在开服过程中检测到服务器文件夹中缺少 library（lib库） 文件夹.\r\n")});
        if (text.contains(MissingLibraryFollowUp)) {
            text.clear();
            out.append({consolecolor::Problem, QStringLiteral("纠正错误: ")});
            out.append({consolecolor::Ordinary,
                        QStringLiteral("你需要将 library（lib库）添加到服务器文件夹 /panel/server/ "
                                       "中，FML 和 Forge 才能运行成功.")});
        }
    }

    const LanguageFileCache::Content& language = m_languageFile.load(m_languageName, LanguageRecheckMs);
    for (const LanguageFileCache::Translation& entry : language.translations) {
        if (text.contains(entry.phrase))
            text = replaceAll(text, entry.phrase, entry.translation);
    }

    appendColoured(out, text);
    return out;
}
