#include "server/LaunchChecks.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/RunDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include <limits>

namespace {

const QString LauncherTag = QStringLiteral(" 管理系统");

class PlanBuilder {
public:
    PlanBuilder(LaunchPlan& plan, const QTime& now) : m_plan(plan), m_now(now) {}

    void report(const QString& message) { append(LauncherTag, consolecolor::Launcher, message); }

    // Ends the plan with a refusal in the problem colour.
    LaunchPlan& refuse(const QString& tag, const QString& message)
    {
        append(tag, consolecolor::Problem, message);
        m_plan.outcome = LaunchPlan::Refused;
        return m_plan;
    }

    void append(const QString& tag, quint32 rgb, const QString& message)
    {
        m_plan.lines += launcherMessage(tag, rgb, message, m_now);
    }

private:
    LaunchPlan& m_plan;
    QTime m_now;
};

// A core name must lead to a file inside the server folder: "../../x.jar" would start whatever lies
// elsewhere on the disk.
bool staysInside(const QString& folder, const QString& name)
{
    const QString base = QDir::cleanPath(folder);
    const QString full = QDir::cleanPath(base + QLatin1Char('/') + name);
    return !name.startsWith(QLatin1Char('/')) && full.startsWith(base + QLatin1Char('/'));
}

} // namespace

qint64 leadingNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    constexpr qint64 Limit = std::numeric_limits<qint64>::max() / 10 - 9;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = value > Limit ? std::numeric_limits<qint64>::max() : value * 10 + (c.unicode() - '0');
    }
    return negative ? -value : value;
}

LaunchPlan planLaunch(const LaunchInputs& in, const QTime& now)
{
    LaunchPlan plan;
    PlanBuilder out(plan, now);

    out.report(QStringLiteral("请稍等开服器需要检测一些设置"));

    if (in.portOwner != 0) {
        out.append(QStringLiteral(" 端口问题"), consolecolor::Problem,
                   QStringLiteral("端口已被其它程序占用，请将占用进程关闭或者更换服务器端口"));
        plan.outcome = LaunchPlan::PortTaken;
        plan.portQuestionText =
            QStringLiteral("结束进程ID：") + QString::number(in.portOwner) +
            QStringLiteral("，需要点击下方 [确定] \r\n随机更换服务器端口，需要点击下方 [取消]");
        return plan;
    }
    out.report(QStringLiteral("服务器监听端口*") + in.serverPortText);

    const QString javaTag = QStringLiteral(" Java问题");
    if (in.javaPath.isEmpty())
        return out.refuse(javaTag, QStringLiteral("请填写Java路径"));
    if (!QFileInfo(in.javaPath).isFile())
        return out.refuse(javaTag, QStringLiteral("这个Java路径没有找到java.exe"));
    out.report(QStringLiteral("本地Java（") + in.java.bitness + QStringLiteral("）路径*") + in.javaPath);

    const QString memoryTag = QStringLiteral(" 内存问题");
    if (in.memory.isEmpty())
        return out.refuse(memoryTag, QStringLiteral("请填写分配内存"));
    if (in.java.bitness == QStringLiteral("x86") && leadingNumber(in.memory) > 1024)
        return out.refuse(memoryTag, QStringLiteral("Java 32位所以你的开服内存不能大于1024，请重新设置"));
    out.report(QStringLiteral("服务器分配内存*") + in.memory + QStringLiteral("MB"));

    const QString coreTag = QStringLiteral(" 核心问题");
    const QString serverFolder = in.runDirectory + QStringLiteral("/panel/server");
    if (in.core.isEmpty() || !in.core.endsWith(QStringLiteral("jar")))
        return out.refuse(coreTag, QStringLiteral("请选择开服核心"));
    const QString corePath = serverFolder + QLatin1Char('/') + in.core;
    if (!staysInside(serverFolder, in.core) || !QFileInfo(corePath).isFile())
        return out.refuse(coreTag, QStringLiteral("在") + serverFolder +
                                       QStringLiteral("/ 文件夹中没有找到开服器核心（") + in.core +
                                       QStringLiteral("）"));
    out.report(QStringLiteral("启动服务器核心*") + in.core);

    if (in.autosave.isEmpty())
        return out.refuse(QStringLiteral(" 设置问题"), QStringLiteral("请设置自动保存时间"));
    out.report(QStringLiteral("自动保存*") + in.autosave + QStringLiteral("分钟"));

    out.report(QStringLiteral("自定义后置开服参数*") +
               (in.extraArgs.isEmpty() ? QStringLiteral("无参数") : in.extraArgs));
    if (in.languageChosen)
        out.report(QStringLiteral("Console-lang（语言：") + in.languageName + QStringLiteral("，版本：") +
                   in.languageVersion + QStringLiteral("）作者：") + in.languageAuthor);
    else
        out.report(QStringLiteral("Console-lang（语言：未选择，版本：未知）作者：未选择"));

    // The file that passed the check is the one started: a bare "java" must not turn into a PATH
    // search when the process is spawned.
    plan.program = QFileInfo(in.javaPath).absoluteFilePath();
    plan.arguments = {QStringLiteral("-Xmx") + in.memory + QLatin1Char('M'),
                      QStringLiteral("-Xms") + in.memory + QLatin1Char('M')};
    // Split as the Java launcher splits a Windows command line: at blanks, with double quotes
    // keeping "-Dname=a b" whole.
    plan.arguments += QProcess::splitCommand(in.extraArgs);
    plan.arguments += {QStringLiteral("-jar"), corePath};
    plan.workingDirectory = serverFolder;
    plan.outcome = LaunchPlan::Ready;
    out.report(QStringLiteral("检测完毕..准备开始启动服务器"));
    return plan;
}

QString commandLineText(const LaunchPlan& plan)
{
    QString text = QLatin1Char('"') + plan.program + QLatin1Char('"');
    for (qsizetype i = 0; i < plan.arguments.size(); ++i) {
        QString argument = plan.arguments.at(i);
        if (argument.contains(QLatin1Char(' ')) || argument.contains(QLatin1Char('\t')))
            argument = QLatin1Char('"') + argument + QLatin1Char('"');
        if (i > 0)
            text += QLatin1Char(' ');
        text += argument;
    }
    return text;
}

QString randomPort()
{
    QRandomGenerator* random = QRandomGenerator::global();
    // Each digit has its own range so that the port never passes 65535.
    const int highest[] = {6, 5, 5, 3, 5};
    QString port;
    for (int i = 0; i < 5; ++i) {
        const int lowest = i == 0 ? 1 : 0;
        port += QString::number(random->bounded(lowest, highest[i] + 1));
    }
    return port;
}

QString eulaPath()
{
    return rundir::join(QStringLiteral("panel/server/eula.txt"));
}

QByteArray eulaBytes()
{
    return codepage::toGbk(
        QStringLiteral("协议地址: https://account.mojang.com/documents/minecraft_eula\r\neula=true"));
}

bool writeEula()
{
    const QString path = eulaPath();
    return makeFolders(QFileInfo(path).absolutePath()) && writeFileAtomically(path, eulaBytes());
}
