#include "console/ConsoleLanguage.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "platform/RunDirectory.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>

namespace consolelang {
namespace {

const QString LanguageFolder = QStringLiteral("panel/Console-lang");
const QString HeaderSection = QStringLiteral("lang");
const QString OpenListTag = QStringLiteral("<velk>");
const QString CloseListTag = QStringLiteral("</velk>");
const QChar FullWidthBlank = QChar(0x3000);

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == FullWidthBlank;
}

// Only the two blanks go: a tab or a line end inside the tags is part of the phrase.
QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// A phrase cannot carry a double quote inside its own tag name in the file, so "#引号" stands for it.
QString tagText(const QString& phrase)
{
    QString text = phrase;
    text.replace(QStringLiteral("#引号"), QStringLiteral("\""));
    return text;
}

QByteArray readBoundedFile(const QString& path)
{
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxLanguageFileBytes)
        return {};
    return file.read(MaxLanguageFileBytes);
}

} // namespace

QString languageFilePath(const QString& fileName)
{
    if (fileName.isEmpty() || fileName == QLatin1String(".") || fileName == QLatin1String("..") ||
        fileName.contains(QLatin1Char('/')) || fileName.contains(QLatin1Char('\\')) ||
        fileName.contains(QChar(0)))
        return {};
    return rundir::join(LanguageFolder + QLatin1Char('/') + fileName);
}

QByteArray defaultLanguageFileBytes()
{
    static const char* const phrases[][2] = {
        {"Unknown command. Type", "未知指令，请输入"},
        {"Stopping server", "服务器已关闭"},
        {"Starting Minecraft server on *", "启动我的世界服务器*"},
        {"Starting minecraft server version", "启动我的世界服务器版本"},
        {"Default game type", "默认游戏类型"},
        {"Stopping the server", "停止服务器"},
        {"left the game", "离开了游戏"},
        {"There are", "服务器人数"},
        {"players online", "在线玩家"},
        {"Preparing spawn area", "服务器地图生成"},
    };
    const QString separator = QStringLiteral("// ") + QString(43, QLatin1Char('*')) + QStringLiteral(" //");

    QStringList lines = {QStringLiteral("[lang]"),
                         QStringLiteral("语言名称=简体中文"),
                         QStringLiteral("翻译作者=Velk"),
                         QStringLiteral("翻译版本=1.0.0"),
                         QString(),
                         separator,
                         QString()};
    for (const auto& entry : phrases)
        lines << OpenListTag + QString::fromUtf8(entry[0]) + CloseListTag;
    lines << QString() << separator << QString();
    for (const auto& entry : phrases) {
        const QString phrase = QString::fromUtf8(entry[0]);
        lines << QLatin1Char('<') + phrase + QLatin1Char('>') + QString::fromUtf8(entry[1]) +
                     QStringLiteral("</") + phrase + QLatin1Char('>');
    }
    lines << QString() << separator;
    return codepage::toGbk(lines.join(QStringLiteral("\r\n")));
}

LanguageHeader readHeader(const QString& fileName)
{
    // Read once, under the same size bound as the console reader: this runs every second.
    const QString text = readLanguageFileText(fileName);
    return {ini::valueIn(text, HeaderSection, QStringLiteral("语言名称")),
            ini::valueIn(text, HeaderSection, QStringLiteral("翻译作者")),
            ini::valueIn(text, HeaderSection, QStringLiteral("翻译版本"))};
}

QStringList phraseListOf(const QString& fileText)
{
    QStringList phrases;
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = fileText.indexOf(OpenListTag, from);
        if (open < 0)
            break;
        const qsizetype textStart = open + OpenListTag.size();
        const qsizetype close = fileText.indexOf(CloseListTag, textStart);
        if (close < 0)
            break;
        const QString phrase = trimBlanks(fileText.mid(textStart, close - textStart));
        if (phrase.isEmpty()) {
            from = textStart;
        } else {
            phrases << phrase;
            from = close + CloseListTag.size();
        }
    }
    return phrases;
}

QString translationIn(const QString& fileText, const QString& phrase)
{
    const QString name = tagText(phrase);
    const QString openTag = QLatin1Char('<') + name + QLatin1Char('>');
    const QString closeTag = QStringLiteral("</") + name + QLatin1Char('>');
    const qsizetype open = fileText.indexOf(openTag);
    if (open < 0)
        return {};
    const qsizetype textStart = open + openTag.size();
    const qsizetype close = fileText.indexOf(closeTag, textStart);
    if (close < 0)
        return {};
    return fileText.mid(textStart, close - textStart);
}

QString readLanguageFileText(const QString& fileName)
{
    return codepage::fromGbk(readBoundedFile(languageFilePath(fileName)));
}

QStringList loadPhraseList(const QString& fileName)
{
    return phraseListOf(readLanguageFileText(fileName));
}

QString findTranslation(const QString& fileName, const QString& phrase)
{
    return translationIn(readLanguageFileText(fileName), phrase);
}

LanguageHeader runLanguageHousekeeping(QString& chosen)
{
    if (chosen.isEmpty()) {
        // The choice is made only once the file is really there; otherwise the next tick tries
        // again instead of leaving a chosen name that points at nothing.
        QDir().mkpath(rundir::join(LanguageFolder));
        if (writeFileAtomically(languageFilePath(DefaultLanguageFileName), defaultLanguageFileBytes())) {
            chosen = DefaultLanguageFileName;
            settings::writePreference(settings::ConsoleLanguageKey, DefaultLanguageFileName);
        }
    }
    return readHeader(chosen);
}

} // namespace consolelang
