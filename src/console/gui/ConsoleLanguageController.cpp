#include "console/gui/ConsoleLanguageController.h"

#include "console/ConsoleLanguage.h"
#include "platform/RunDirectory.h"
#include "settings/Settings.h"
#include "ui/FileDialogs.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"

#include <QLabel>

ConsoleLanguageController::ConsoleLanguageController(QWidget* window) : QObject(window), m_window(window)
{
    if (auto* chooser = controls::find<FlatButton>(window, QStringLiteral("选择语言文件")))
        connect(chooser, &FlatButton::clicked, this, &ConsoleLanguageController::chooseConsoleLanguage);
}

void ConsoleLanguageController::loadAtStartup()
{
    consolelang::setCurrentLanguageName(settings::readPreference(settings::ConsoleLanguageKey));
    showHeader(consolelang::readHeader(consolelang::currentLanguageName()));
    emit languageChosen(consolelang::currentLanguageName());
}

void ConsoleLanguageController::housekeepingStep()
{
    const QString before = consolelang::currentLanguageName();
    showHeader(consolelang::runLanguageHousekeeping());
    if (consolelang::currentLanguageName() != before)
        emit languageChosen(consolelang::currentLanguageName());
}

void ConsoleLanguageController::chooseConsoleLanguage()
{
    const QString path = filedialogs::chooseFile(
        m_window, QStringLiteral("语言文件对话框"), QStringLiteral("选择语言文件"),
        rundir::join(QStringLiteral("panel/Console-lang")), QStringLiteral("语言文件（*.lang） (*.lang)"));
    if (path.isEmpty())
        return;
    // Only the name is kept: the file is always read from panel/Console-lang, wherever it was picked.
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const QString name = path.mid(cut + 1);
    if (name.isEmpty())
        return;
    consolelang::setCurrentLanguageName(name);
    settings::writePreference(settings::ConsoleLanguageKey, name);
    emit languageChosen(name);
    showHeader(consolelang::readHeader(name));
}

void ConsoleLanguageController::showHeader(const consolelang::LanguageHeader& header)
{
    const QList<std::pair<const char16_t*, QString>> labels = {
        {u"标签82", header.name}, {u"标签83", header.author}, {u"标签85", header.version}};
    for (const auto& [name, text] : labels) {
        // Only a changed text is set: the step runs every second and a set text repaints.
        auto* label = controls::find<QLabel>(m_window, QString::fromUtf16(name));
        if (label && label->text() != text)
            label->setText(text);
    }
}
