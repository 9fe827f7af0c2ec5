#pragma once

#include "server/JavaDiscovery.h"
#include "server/gui/ExtraArgsWindow.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
class FlatButton;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTimer;
class QWidget;

// The behaviour of the launch settings page "开服设置": Java lookup, the suggested memory, the core
// drop-down and core installation, the field rules of the extra arguments and autosave boxes, the
// "默认" buttons, the extra-arguments window and the exported start file.
//
// Looking for Java may run `java -version`, which can take seconds on a cold or broken runtime, so
// every lookup runs in the background and its result comes back to the user-interface thread; the
// window keeps working meanwhile.
class LaunchSettingsController : public QObject {
    Q_OBJECT

public:
    // `root` is the main window or its page 2; every control is found below it by name.
    explicit LaunchSettingsController(QWidget* root, QObject* parent = nullptr);
    // A Java lookup still under way finishes on its own; its result is dropped.
    ~LaunchSettingsController() override;

    // Refills 列表框1 with the jar files of panel/server and reloads 编辑框4 from the stored core,
    // which a notice replaces when that core is gone. Used by "刷新核心", the page's navigation
    // button and the save button.
    void refreshCoreList();

    // The open extra-arguments window, or nullptr.
    ExtraArgsWindow* extraArgsWindow() const { return m_extraArgsWindow; }

    // True while a Java lookup started by a button or by the memory question runs.
    bool isLookingUpJava() const { return !m_pending.isEmpty(); }

    // The effect of "确定" on the ConfirmBox "分配内存计算提示": the memory box gets the suggestion,
    // computed again now.
    void applySuggestedMemory();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct JavaLookup {
        JavaInfo java;
        qint64 freeMb = 0;
    };
    enum class Lookup { MemoryQuestion, MemoryAnswer, JavaPath };

    void connectControls();
    void lookUpJava(Lookup purpose, std::function<void(const JavaLookup&)> done);

    void askMemory();
    void findJavaAutomatically();
    void chooseJavaProgram();
    void toggleCoreDropDown();
    void pickCore(QListWidgetItem* item);
    void closeCoreDropDown();
    void installCoreFile();
    void openExtraArgsWindow();
    void exportCmdFile();
    void applyExtraArgsRule(const QString& text);
    void applyAutosaveRule();

    QLineEdit* edit(const char16_t* name) const;
    FlatButton* button(const char16_t* name) const;
    QWidget* dialogParent() const;

    QPointer<QWidget> m_root;
    QListWidget* m_coreList = nullptr;
    QWidget* m_coreFrame = nullptr;
    FlatButton* m_dropDown = nullptr;
    QTimer* m_autosaveTimer = nullptr;
    QPointer<ExtraArgsWindow> m_extraArgsWindow;
    QList<Lookup> m_pending;
    bool m_applyingExtraArgsRule = false;
};
