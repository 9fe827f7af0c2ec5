#include "server/gui/LaunchSettingsController.h"

#include "platform/CodePage.h"
#include "platform/RunDirectory.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "server/LaunchSettings.h"
#include "server/gui/ExtraArgsWindow.h"
#include "settings/Settings.h"
#include "threads/BackgroundJob.h"
#include "ui/FileDialogs.h"
#include "ui/MessageBoxes.h"
#include "ui/Theme.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QThread>
#include <QTimer>

#include <memory>

namespace {

const QString MemoryTitle = QStringLiteral("分配内存计算提示");
const QString InstallTitle = QStringLiteral("安装核心");
const QString ExportTitle = QStringLiteral("导出Cmd格式");
const QString DropDownClosed = QStringLiteral("关闭");
const QString DropDownOpen = QStringLiteral("开启");
const QPoint DropDownPosition(16, 224);
constexpr int AutosaveRuleDelayMs = 500;

QString serverFolder()
{
    return rundir::join(QStringLiteral("panel/server"));
}

} // namespace

LaunchSettingsController::LaunchSettingsController(QWidget* root, QObject* parent)
    : QObject(parent), m_root(root)
{
    m_coreList = controls::require<QListWidget>(m_root, QStringLiteral("列表框1"));
    m_coreFrame = controls::require<QWidget>(m_root, QStringLiteral("外形框5"));
    m_dropDown = button(u"超级按钮18");

    m_autosaveTimer = new QTimer(this);
    m_autosaveTimer->setSingleShot(true);
    m_autosaveTimer->setInterval(AutosaveRuleDelayMs);
    connect(m_autosaveTimer, &QTimer::timeout, this, &LaunchSettingsController::applyAutosaveRule);

    connectControls();
    boxes::addConfirmAction(
        8, boxes::MatchOn::Title, MemoryTitle, [this](QWidget*) { applySuggestedMemory(); }, this);
}

LaunchSettingsController::~LaunchSettingsController()
{
    if (m_extraArgsWindow)
        m_extraArgsWindow->close();
}

void LaunchSettingsController::connectControls()
{
    const auto onClick = [this](const char16_t* name, void (LaunchSettingsController::*handler)()) {
        connect(button(name), &FlatButton::clicked, this, handler);
    };
    onClick(u"超级按钮20", &LaunchSettingsController::askMemory);
    onClick(u"超级按钮17", &LaunchSettingsController::findJavaAutomatically);
    onClick(u"超级按钮37", &LaunchSettingsController::chooseJavaProgram);
    onClick(u"超级按钮19", &LaunchSettingsController::refreshCoreList);
    onClick(u"超级按钮18", &LaunchSettingsController::toggleCoreDropDown);
    onClick(u"超级按钮34", &LaunchSettingsController::installCoreFile);
    onClick(u"超级按钮38", &LaunchSettingsController::openExtraArgsWindow);
    onClick(u"超级按钮66", &LaunchSettingsController::exportCmdFile);

    connect(button(u"超级按钮68"), &FlatButton::clicked, this, [this] {
        const QString chatName = QStringLiteral("&f后台");
        if (edit(u"编辑框6")->text() != chatName)
            edit(u"编辑框6")->setText(chatName);
    });
    connect(button(u"超级按钮30"), &FlatButton::clicked, this, [this] {
        const QString autosave = QStringLiteral("3");
        if (edit(u"编辑框2")->text() != autosave)
            edit(u"编辑框2")->setText(autosave);
    });

    // Clicked for the mouse, activated for the keyboard's Enter; picking twice is harmless.
    connect(m_coreList, &QListWidget::itemClicked, this, &LaunchSettingsController::pickCore);
    connect(m_coreList, &QListWidget::itemActivated, this, &LaunchSettingsController::pickCore);
    m_coreList->installEventFilter(this);

    connect(edit(u"编辑框18"), &QLineEdit::textChanged, this, &LaunchSettingsController::applyExtraArgsRule);
    connect(edit(u"编辑框2"), &QLineEdit::textChanged, m_autosaveTimer, qOverload<>(&QTimer::start));
}

QLineEdit* LaunchSettingsController::edit(const char16_t* name) const
{
    return controls::require<QLineEdit>(m_root, QString::fromUtf16(name));
}

FlatButton* LaunchSettingsController::button(const char16_t* name) const
{
    return controls::require<FlatButton>(m_root, QString::fromUtf16(name));
}

QWidget* LaunchSettingsController::dialogParent() const
{
    return m_root->window();
}

void LaunchSettingsController::lookUpJava(Lookup purpose, std::function<void(const JavaLookup&)> done)
{
    m_pending.append(purpose);
    threads::runInBackground(
        this,
        [] {
            JavaLookup found;
            found.java = discoverJava();
            found.freeMb = sysinfo::freeMemoryMb();
            return found;
        },
        [this, purpose, done = std::move(done)](const JavaLookup& found) {
            m_pending.removeOne(purpose);
            done(found);
        });
}

void LaunchSettingsController::askMemory()
{
    // A second click while the first lookup runs would only stack a second, identical question.
    if (m_pending.contains(Lookup::MemoryQuestion))
        return;
    lookUpJava(Lookup::MemoryQuestion, [](const JavaLookup& found) {
        const qint64 suggested = suggestMemory(found.java, found.freeMb);
        boxes::askConfirm(memoryQuestionText(found.java, found.freeMb, suggested), MemoryTitle);
    });
}

void LaunchSettingsController::applySuggestedMemory()
{
    lookUpJava(Lookup::MemoryAnswer, [this](const JavaLookup& found) {
        edit(u"编辑框5")->setText(QString::number(suggestMemory(found.java, found.freeMb)));
    });
}

void LaunchSettingsController::findJavaAutomatically()
{
    if (m_pending.contains(Lookup::JavaPath))
        return;
    lookUpJava(Lookup::JavaPath, [this](const JavaLookup& found) {
        // With nothing found this leaves the bare name "java", which the launch check refuses.
        edit(u"编辑框3")->setText(found.java.binFolder + QStringLiteral("java"));
    });
}

void LaunchSettingsController::chooseJavaProgram()
{
    const QString chosen =
        filedialogs::chooseFile(dialogParent(), QStringLiteral("Java对话框"), QStringLiteral("选择Java程序"),
                                shell::desktopFolder(), QStringLiteral("java (java java.exe)"));
    if (chosen.isEmpty())
        return;
    if (isJavaProgramPath(chosen))
        edit(u"编辑框3")->setText(chosen);
    else
        boxes::showInfoBox(QStringLiteral("请选择 Java.exe 程序！"), QStringLiteral("手动查找"),
                           boxes::Error);
}

void LaunchSettingsController::refreshCoreList()
{
    const CoreListResult result =
        ::refreshCoreList(settings::readServerSetting(settings::CoreKey), serverFolder());
    m_coreList->clear();
    m_coreList->addItems(result.items);
    edit(u"编辑框4")->setText(result.coreField);
}

void LaunchSettingsController::toggleCoreDropDown()
{
    const QString state = controls::tag(m_dropDown);
    if (state == DropDownClosed) {
        m_coreFrame->move(DropDownPosition);
        m_coreFrame->show();
        m_coreFrame->raise();
        controls::setTag(m_dropDown, DropDownOpen);
        // With the focus in the list, a click anywhere else closes the drop-down.
        m_coreList->setFocus(Qt::PopupFocusReason);
    } else if (state == DropDownOpen) {
        closeCoreDropDown();
    }
}

void LaunchSettingsController::pickCore(QListWidgetItem* item)
{
    if (item && !item->text().isEmpty())
        edit(u"编辑框4")->setText(item->text());
    closeCoreDropDown();
}

void LaunchSettingsController::closeCoreDropDown()
{
    m_coreFrame->hide();
    controls::setTag(m_dropDown, DropDownClosed);
}

bool LaunchSettingsController::eventFilter(QObject* watched, QEvent* event)
{
    // The focus leaves the list before the drop-down button's click arrives: closing here would let
    // that click open the list again, so the button is left to close it itself.
    if (watched == m_coreList && event->type() == QEvent::FocusOut &&
        QApplication::focusWidget() != m_dropDown)
        closeCoreDropDown();
    return QObject::eventFilter(watched, event);
}

void LaunchSettingsController::installCoreFile()
{
    const QString chosen =
        filedialogs::chooseFile(dialogParent(), QStringLiteral("核心对话框"), QStringLiteral("选择开服核心"),
                                shell::desktopFolder(), QStringLiteral("服务器核心（.jar） (*.jar)"));
    switch (::installCore(chosen, serverFolder())) {
    case InstallCoreResult::NoFile:
        return;
    case InstallCoreResult::NotJar:
        boxes::showInfoBox(QStringLiteral("请重新选择核心，文件后缀不是jar，无法安装。"), InstallTitle,
                           boxes::Error);
        return;
    case InstallCoreResult::AlreadyExists:
        boxes::showInfoBox(QStringLiteral("服务器文件夹中已有该核心"), InstallTitle, boxes::Error);
        return;
    case InstallCoreResult::Moved:
        boxes::showInfoBox(QStringLiteral("核心已经移动到服务器文件夹"), InstallTitle, boxes::Success);
        return;
    case InstallCoreResult::Failed:
        boxes::showInfoBox(QStringLiteral("核心安装失败，你可以手动移动核心到服务器文件夹"), InstallTitle,
                           boxes::Error);
        return;
    }
}

void LaunchSettingsController::openExtraArgsWindow()
{
    if (m_extraArgsWindow) {
        m_extraArgsWindow->show();
        // The offscreen platform of headless runs has no window stacking to ask for.
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
            m_extraArgsWindow->raise();
            m_extraArgsWindow->activateWindow();
        }
        return;
    }
    // A child of the main window, so that it goes when the launcher's window goes.
    m_extraArgsWindow = new ExtraArgsWindow(dialogParent());
    connect(m_extraArgsWindow, &ExtraArgsWindow::argumentsChosen, this,
            [this](const QString& arguments) { edit(u"编辑框18")->setText(arguments); });
    theme::attachToolWindow(m_extraArgsWindow);
    const QRect main = dialogParent()->geometry();
    m_extraArgsWindow->move(main.center() - QPoint(ExtraArgsWindow::Width / 2, ExtraArgsWindow::Height / 2));
    m_extraArgsWindow->show();
}

void LaunchSettingsController::exportCmdFile()
{
    const QString line = startFileLine(edit(u"编辑框3")->text(), edit(u"编辑框5")->text(),
                                       edit(u"编辑框4")->text(), edit(u"编辑框18")->text());
    // A path with a character GBK cannot hold would be written as '?', giving a start file that
    // names a program that is not there; that is a failed export, not a successful one.
    const bool representable = codepage::fromGbk(codepage::toGbk(line)) == line;
    if (representable && ::exportStartFile(line))
        boxes::showInfoBox(QStringLiteral("已导出Cmd格式开服文件在/panel/server/文件夹中"), ExportTitle,
                           boxes::Success);
    else
        boxes::showInfoBox(QStringLiteral("导出失败，再试试"), ExportTitle, boxes::Error);
}

void LaunchSettingsController::applyExtraArgsRule(const QString& text)
{
    if (m_applyingExtraArgsRule)
        return;
    const QString ruled = extraArgsRule(text);
    if (ruled == text)
        return;
    QLineEdit* field = edit(u"编辑框18");
    const int cursor = field->cursorPosition();
    m_applyingExtraArgsRule = true;
    field->setText(ruled);
    m_applyingExtraArgsRule = false;
    field->setCursorPosition(cursor + 1);
}

void LaunchSettingsController::applyAutosaveRule()
{
    QLineEdit* field = edit(u"编辑框2");
    const QString ruled = autosaveRule(field->text());
    if (ruled != field->text())
        field->setText(ruled);
}
