#pragma once

#include "ui/Feature.h"

class ServerRuntime;
namespace consolelang {
struct LanguageHeader;
}

// The home page's console language frame 外形框44: the chosen file's name, author and version in
// 标签82, 标签83 and 标签85, the chooser 选择语言文件, and the once-a-second step that writes the
// default file when none is chosen and keeps the labels in step with the file. The choice is handed
// to the server runtime, which translates the console with it.
class ConsoleLanguageFeature : public Feature {
    Q_OBJECT

public:
    explicit ConsoleLanguageFeature(const FeatureContext& context);

    // Start-up: the stored choice, and its header in the labels.
    void load() override;
    void housekeepingStep() override;
    // The click on 选择语言文件.
    void chooseConsoleLanguage();

    QString languageName() const { return m_name; }

private:
    void choose(const QString& fileName);
    void showHeader(const consolelang::LanguageHeader& header);

    homepage::Controls m_home;
    QWidget* m_dialogParent;
    ServerRuntime& m_runtime;
    QString m_name;
};
