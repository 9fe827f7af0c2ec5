#pragma once

#include <QList>
#include <QObject>

#include <functional>

class LaunchSettingsController;
class ConsoleLanguageController;
class MainWindow;
class Navigation;
class ServerController;
class QTimer;

// Assembles the main window from its pages and runs the launcher's life: the start-up sequence, the
// once-a-second housekeeping of 时钟1, the preference buttons, saving the launch settings, the
// server reset, and the close button with the shutdown.
class LauncherController : public QObject {
    Q_OBJECT

public:
    LauncherController();
    ~LauncherController() override;

    // Runs the start-up sequence on the built window; the caller shows the window afterwards.
    void start();

    MainWindow* window() const { return m_window; }
    Navigation* navigation() const { return m_navigation; }
    ServerController* serverController() const { return m_server; }
    ConsoleLanguageController* languageController() const { return m_language; }

    // Extra work of the once-a-second housekeeping tick, run after the workspace is prepared.
    void addHousekeepingStep(std::function<void()> step) { m_housekeeping.append(std::move(step)); }
    // Work after the launch settings were saved (the core list refresh).
    void addAfterSaveStep(std::function<void()> step) { m_afterSaveSteps.append(std::move(step)); }
    // Extra work of the shutdown, run before the player files are deleted.
    void addShutdownStep(std::function<void()> step) { m_shutdownSteps.append(std::move(step)); }

    // Runs the shutdown steps and ends the program with exit code 0 (runs once).
    void shutdownLauncher();
    void housekeepingTick();

private:
    void connectPreferences();
    void loadPreferenceButtons();
    void loadLaunchFields();
    void saveServerSettings();
    void openResetQuestion();
    void onCloseClicked();

    MainWindow* m_window = nullptr;
    Navigation* m_navigation = nullptr;
    LaunchSettingsController* m_launchSettings = nullptr;
    ServerController* m_server = nullptr;            // child of the window
    ConsoleLanguageController* m_language = nullptr; // child of the window
    QTimer* m_statusTimer = nullptr;
    QList<std::function<void()>> m_housekeeping;
    QList<std::function<void()>> m_shutdownSteps;
    QList<std::function<void()>> m_afterSaveSteps;
    bool m_shutDown = false;
};
