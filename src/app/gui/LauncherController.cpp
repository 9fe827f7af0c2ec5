#include "app/gui/LauncherController.h"

#include "app/Workspace.h"
#include "console/gui/ConsoleLanguageFeature.h"
#include "players/gui/PlayersFeature.h"
#include "server/ServerRuntime.h"
#include "server/gui/ConsoleFeature.h"
#include "server/gui/LaunchSettingsFeature.h"
#include "settings/Settings.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/Navigation.h"
#include "ui/Theme.h"
#include "ui/widgets/FlatButton.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

template <typename T> std::unique_ptr<Feature> make(const FeatureContext& context)
{
    return std::make_unique<T>(context);
}

// The launcher's features, built in this order. A new feature is one line here.
const QList<FeatureFactory>& featureTable()
{
    static const QList<FeatureFactory> table = {
        make<ConsoleFeature>,
        make<LaunchSettingsFeature>,
        make<ConsoleLanguageFeature>,
        make<PlayersFeature>,
    };
    return table;
}

} // namespace

LauncherController::LauncherController()
{
    m_window = new MainWindow;
    m_home = homepage::build(m_window->page(0));
    m_navigation = new Navigation(m_window);
    m_runtime = new ServerRuntime(this);

    const FeatureContext context{*m_window, *m_navigation, *m_runtime, m_home};
    for (const FeatureFactory& make : featureTable())
        m_features.push_back(make(context));
    if (auto* console = feature<ConsoleFeature>())
        connect(console, &ConsoleFeature::stoppedTick, this, [this] {
            for (const auto& f : m_features)
                f->stoppedStep();
        });

    m_housekeepingTimer = new QTimer(m_window);
    m_housekeepingTimer->setObjectName(QStringLiteral("时钟1"));
    m_housekeepingTimer->setInterval(1000);
    connect(m_housekeepingTimer, &QTimer::timeout, this, &LauncherController::housekeepingTick);

    connect(m_window, &MainWindow::closeClicked, this, &LauncherController::onCloseClicked);
    connect(m_window, &MainWindow::closing, this, &LauncherController::shutdownLauncher);
    connect(m_runtime, &ServerRuntime::shutdownFinished, this, [] { QCoreApplication::exit(0); });
    connectPreferences();
}

LauncherController::~LauncherController()
{
    // Features go before the window whose controls they hold; the runtime, a child of this object,
    // goes last and kills a server that still runs.
    m_runtime->setLaunchInputs(nullptr);
    m_features.clear();
    delete m_window;
}

void LauncherController::start()
{
    workspace::prepareWorkspace();
    theme::loadThemeStep(m_window);
    loadPreferenceButtons();
    for (const auto& f : m_features)
        f->load();
    theme::applyTheme(m_window, QStringLiteral("1"));
    m_navigation->showHomeState();
    theme::loadTitleStep(m_window);
    theme::connectThemeControls(m_window, [this] { return m_navigation->currentSection(); });

    m_runtime->print({{consolecolor::Ordinary,
                       QStringLiteral("欢迎使用 Velk Manager 开服器 | 有问题欢迎加入开服器交流群一起讨论 | "
                                      "开服器目前只支持PE服使用 Nukkit 核心\r\n")}});
    m_housekeepingTimer->start();
}

void LauncherController::shown()
{
    for (const auto& f : m_features)
        f->shown();
}

void LauncherController::connectPreferences()
{
    connect(m_home.easing, &FlatButton::clicked, this, [this] {
        settings::writePreference(settings::EasingKey, settings::onOff(m_home.easing->isChecked()));
    });
    connect(m_home.autostart, &FlatButton::clicked, this, [this] {
        settings::writePreference(settings::AutostartKey, settings::onOff(m_home.autostart->isChecked()));
        settings::applyAutostart(m_home.autostart->isChecked());
    });
}

void LauncherController::loadPreferenceButtons()
{
    m_home.easing->setChecked(settings::isOn(settings::readPreference(settings::EasingKey)));
    m_home.autostart->setChecked(settings::isOn(settings::readPreference(settings::AutostartKey)));
}

void LauncherController::housekeepingTick()
{
    workspace::prepareWorkspace();
    for (const auto& f : m_features)
        f->housekeepingStep();
}

void LauncherController::onCloseClicked()
{
    if (m_runtime->state() == ServerState::Running) {
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
    m_housekeepingTimer->stop();
    for (const auto& f : m_features)
        f->shutdownStep();
    // Ends the program through shutdownFinished, at once when no server runs.
    m_runtime->shutdown();
}
