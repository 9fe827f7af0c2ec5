#include "console/gui/ConsoleLanguageFeature.h"

#include "console/ConsoleLanguage.h"
#include "platform/RunDirectory.h"
#include "server/ServerRuntime.h"
#include "settings/Settings.h"
#include "ui/FileDialogs.h"
#include "ui/MainWindow.h"
#include "ui/widgets/FlatButton.h"

#include <QLabel>

ConsoleLanguageFeature::ConsoleLanguageFeature(const FeatureContext& context)
    : m_home(context.home), m_dialogParent(&context.window), m_runtime(context.runtime)
{
    connect(m_home.chooseLanguage, &FlatButton::clicked, this,
            &ConsoleLanguageFeature::chooseConsoleLanguage);
}

void ConsoleLanguageFeature::choose(const QString& fileName)
{
    m_name = fileName;
    m_runtime.setConsoleLanguage(fileName);
}

void ConsoleLanguageFeature::load()
{
    choose(settings::readPreference(settings::ConsoleLanguageKey));
    showHeader(consolelang::readHeader(m_name));
}

void ConsoleLanguageFeature::housekeepingStep()
{
    QString chosen = m_name;
    const consolelang::LanguageHeader header = consolelang::runLanguageHousekeeping(chosen);
    if (chosen != m_name)
        choose(chosen);
    showHeader(header);
}

void ConsoleLanguageFeature::chooseConsoleLanguage()
{
    const QString path = filedialogs::chooseFile(
        m_dialogParent, QStringLiteral("语言文件对话框"), QStringLiteral("选择语言文件"),
        rundir::join(QStringLiteral("panel/Console-lang")), QStringLiteral("语言文件（*.lang） (*.lang)"));
    if (path.isEmpty())
        return;
    // Only the name is kept: the file is always read from panel/Console-lang, wherever it was picked.
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const QString name = path.mid(cut + 1);
    if (name.isEmpty())
        return;
    choose(name);
    settings::writePreference(settings::ConsoleLanguageKey, name);
    showHeader(consolelang::readHeader(name));
}

void ConsoleLanguageFeature::showHeader(const consolelang::LanguageHeader& header)
{
    const QList<std::pair<QLabel*, QString>> labels = {{m_home.languageName, header.name},
                                                       {m_home.languageAuthor, header.author},
                                                       {m_home.languageVersion, header.version}};
    for (const auto& [label, text] : labels) {
        // Only a changed text is set: the step runs every second and a set text repaints.
        if (label->text() != text)
            label->setText(text);
    }
}
