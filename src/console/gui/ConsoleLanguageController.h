#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace consolelang {
struct LanguageHeader;
}

// The home page's console language frame 外形框44: the chosen file's name, author and version in
// 标签82, 标签83 and 标签85, the chooser 选择语言文件, and the once-a-second step that writes the
// default file when none is chosen and keeps the labels in step with the file.
class ConsoleLanguageController : public QObject {
    Q_OBJECT

public:
    // `window` holds the home page; the controller is its child.
    explicit ConsoleLanguageController(QWidget* window);

    // Start-up: the stored choice, and its header in the labels.
    void loadAtStartup();
    // The once-a-second step of the housekeeping timer.
    void housekeepingStep();
    // The click on 选择语言文件.
    void chooseConsoleLanguage();

signals:
    // The chosen file's name has been set (start-up) or has changed.
    void languageChosen(const QString& fileName);

private:
    void showHeader(const consolelang::LanguageHeader& header);

    QPointer<QWidget> m_window;
};
