#include "app/gui/LauncherController.h"

#include "settings/Settings.h"
#include "app/Workspace.h"
#include "console/gui/ConsoleLanguageController.h"
#include "platform/RunDirectory.h"
#include "players/gui/PlayersPage.h"
#include "server/gui/ConsolePage.h"
#include "server/gui/ConsoleView.h"
#include "server/gui/LaunchSettingsController.h"
#include "server/gui/LaunchSettingsPage.h"
#include "server/gui/ServerController.h"
#include "server/ServerState.h"
#include "ui/HomePage.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/Navigation.h"
#include "ui/Theme.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace {

const QString ResetTitle = QStringLiteral("重置服务器提示");
const QString ResetQuestion =
    QStringLiteral("确定要重置服务器吗？重置会执行以下步骤\r\n1.删除服务器server文件夹所有文件");

struct LaunchField {
    const QString& key;
    const char16_t* control;
};

// Launch fields in the order the save button writes them.
const QList<LaunchField>& launchFields()
{
    static const QList<LaunchField> fields = {
        {settings::AutosaveKey, u"编辑框2"}, {settings::JavaPathKey, u"编辑框3"},
        {settings::CoreKey, u"编辑框4"},     {settings::MemoryKey, u"编辑框5"},
        {settings::ChatNameKey, u"编辑框6"}, {settings::ExtraArgsKey, u"编辑框18"},
    };
    return fields;
}

} // namespace

LauncherController::LauncherController()
{
    m_window = new MainWindow;
    homepage::build(m_window->page(0));
    consolepage::build(m_window->page(1));
    launchsettingspage::build(m_window->page(2));
    playerspage::build(m_window->page(10));
    m_navigation = new Navigation(m_window);
    m_server = new ServerController(m_window);
    m_language = new ConsoleLanguageController(m_window);
    addHousekeepingStep([language = QPointer(m_language)] {
        if (language)
            language->housekeepingStep();
    });
    addShutdownStep([server = QPointer(m_server)] {
        if (server)
            server->terminateServer();
    });
    m_launchSettings = new LaunchSettingsController(m_window, this);
    m_navigation->setPageAction(2, [this] { m_launchSettings->refreshCoreList(); });
    addAfterSaveStep([this] { m_launchSettings->refreshCoreList(); });

    m_statusTimer = new QTimer(m_window);
    m_statusTimer->setObjectName(QStringLiteral("时钟1"));
    m_statusTimer->setInterval(1000);
    connect(m_statusTimer, &QTimer::timeout, this, &LauncherController::housekeepingTick);

    connect(m_window, &MainWindow::closeClicked, this, &LauncherController::onCloseClicked);
    connect(m_window, &MainWindow::closing, this, &LauncherController::shutdownLauncher);
    connectPreferences();

    // The confirm table lives as long as the process; one row serves every window.
    static const bool resetRowAdded = [] {
        boxes::addConfirmAction(7, boxes::MatchOn::Text, ResetQuestion, [](QWidget*) {
            // Deleting is enough: the housekeeping tick recreates the empty folder and the defaults.
            QDir(rundir::join(QStringLiteral("panel/server"))).removeRecursively();
        });
        return true;
    }();
    Q_UNUSED(resetRowAdded);
}

LauncherController::~LauncherController()
{
    delete m_window;
}

void LauncherController::start()
{
    workspace::prepareWorkspace();
    theme::loadThemeStep(m_window);
    loadPreferenceButtons();
    theme::applyTheme(m_window, QStringLiteral("1"));
    m_navigation->showHomeState();
    loadLaunchFields();
    theme::loadTitleStep(m_window);
    m_language->loadAtStartup();
    theme::connectThemeControls(m_window, [this] { return m_navigation->currentSection(); });

    appendConsoleLine(consolecolor::Ordinary,
                      QStringLiteral("欢迎使用 Velk Manager 开服器 | 有问题欢迎加入开服器交流群一起讨论 | "
                                     "开服器目前只支持PE服使用 Nukkit 核心\r\n"));
    m_statusTimer->start();
    m_server->start();
}

void LauncherController::connectPreferences()
{
    const auto storeOnClick = [this](const QString& name, const QString& key) {
        auto* button = controls::find<FlatButton>(m_window, name);
        connect(button, &FlatButton::clicked, this,
                [button, key] { settings::writePreference(key, settings::onOff(button->isChecked())); });
    };
    storeOnClick(QStringLiteral("超级按钮76"), settings::CrashRestartKey);
    storeOnClick(QStringLiteral("超级按钮64"), settings::EasingKey);

    auto* autostart = controls::find<FlatButton>(m_window, QStringLiteral("超级按钮39"));
    connect(autostart, &FlatButton::clicked, this, [autostart] {
        settings::writePreference(settings::AutostartKey, settings::onOff(autostart->isChecked()));
        settings::applyAutostart(autostart->isChecked());
    });

    connect(controls::find<FlatButton>(m_window, QStringLiteral("超级按钮21")), &FlatButton::clicked, this,
            &LauncherController::saveServerSettings);
    connect(controls::find<FlatButton>(m_window, QStringLiteral("超级按钮90")), &FlatButton::clicked, this,
            &LauncherController::openResetQuestion);
}

void LauncherController::loadPreferenceButtons()
{
    const QList<std::pair<QString, QString>> buttons = {
        {settings::CrashRestartKey, QStringLiteral("超级按钮76")},
        {settings::EasingKey, QStringLiteral("超级按钮64")},
        {settings::AutostartKey, QStringLiteral("超级按钮39")}};
    for (const auto& [key, name] : buttons)
        controls::find<FlatButton>(m_window, name)->setChecked(settings::isOn(settings::readPreference(key)));
}

void LauncherController::loadLaunchFields()
{
    for (const LaunchField& field : launchFields())
        controls::find<QLineEdit>(m_window, QString::fromUtf16(field.control))
            ->setText(settings::readServerSetting(field.key));
}

void LauncherController::saveServerSettings()
{
    const auto text = [this](const char16_t* name) {
        return controls::find<QLineEdit>(m_window, QString::fromUtf16(name))->text();
    };
    if (text(u"编辑框2").isEmpty() || text(u"编辑框3").isEmpty() || text(u"编辑框4").isEmpty() ||
        text(u"编辑框5").isEmpty()) {
        boxes::showInfoBox(QStringLiteral("数据不能为空"), QStringLiteral("数据提示"), boxes::Error);
        return;
    }
    QList<std::pair<QString, QString>> values;
    for (const LaunchField& field : launchFields())
        values.append({field.key, text(field.control)});
    if (const QString failure = settings::saveServerSettings(values); !failure.isEmpty()) {
        boxes::showInfoBox(failure, QStringLiteral("数据提示"), boxes::Error);
        return;
    }
    for (const auto& step : m_afterSaveSteps)
        step();
    boxes::showInfoBox(settings::SaveSucceededText, QStringLiteral("数据提示"), boxes::Success);
}

void LauncherController::openResetQuestion()
{
    if (serverstate::isRunningState()) {
        boxes::showInfoBox(QStringLiteral("服务器正在运行请先关闭"), ResetTitle, boxes::Error);
        return;
    }
    boxes::askConfirm(ResetQuestion, ResetTitle);
}

void LauncherController::housekeepingTick()
{
    workspace::prepareWorkspace();
    for (const auto& step : m_housekeeping)
        step();
}

void LauncherController::onCloseClicked()
{
    if (serverstate::isRunningState()) {
        boxes::showInfoBox(QStringLiteral("请先关闭服务器"), QStringLiteral("检测提示"), boxes::SelectFirst);
        return;
    }
    shutdownLauncher();
}

void LauncherController::shutdownLauncher()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_statusTimer->stop();
    for (const auto& step : m_shutdownSteps)
        step();
    QFile::remove(rundir::join(QStringLiteral("panel/server/plugins/tolvix_manager/playerinfo.txt")));
    QFile::remove(rundir::join(QStringLiteral("panel/server/plugins/tolvix_velk/playerinfo.txt")));
    QCoreApplication::exit(0);
}
