#pragma once

#include "ui/Feature.h"
#include "ui/HomePage.h"

#include <QObject>

#include <memory>
#include <vector>

class MainWindow;
class Navigation;
class ServerRuntime;
class QTimer;

// Assembles the launcher: the main window, the navigation, the server runtime and every feature
// from the feature table; then runs the launcher's life: the start-up sequence, the once-a-second
// housekeeping of 时钟1, the launcher preferences of the home page, and the close button with the
// shutdown.
class LauncherController : public QObject {
    Q_OBJECT

public:
    LauncherController();
    ~LauncherController() override;

    // Runs the start-up sequence on the built window; the caller shows the window afterwards.
    void start();
    // The window has been shown.
    void shown();

    MainWindow* window() const { return m_window; }
    Navigation* navigation() const { return m_navigation; }
    ServerRuntime& runtime() const { return *m_runtime; }

    // The assembled feature of type T, or nullptr.
    template <typename T> T* feature() const
    {
        for (const auto& f : m_features)
            if (auto* found = qobject_cast<T*>(f.get()))
                return found;
        return nullptr;
    }

    // Runs the features' shutdown steps, gives a running server its graceful stop, then ends the
    // program with exit code 0 (runs once).
    void shutdownLauncher();
    void housekeepingTick();

private:
    void connectPreferences();
    void loadPreferenceButtons();
    void onCloseClicked();

    MainWindow* m_window = nullptr;
    Navigation* m_navigation = nullptr;
    ServerRuntime* m_runtime = nullptr;
    homepage::Controls m_home;
    std::vector<std::unique_ptr<Feature>> m_features;
    QTimer* m_housekeepingTimer = nullptr;
    bool m_shutDown = false;
};
