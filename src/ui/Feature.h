#pragma once

#include "ui/HomePage.h"

#include <QObject>

#include <functional>
#include <memory>

class MainWindow;
class Navigation;
class ServerRuntime;

// What a feature is given when the launcher assembles it: the window with its pages, the navigation,
// the server runtime and the home page's shared controls. All of it outlives the feature.
struct FeatureContext {
    MainWindow& window;
    Navigation& navigation;
    ServerRuntime& runtime;
    const homepage::Controls& home;
};

// One feature of the launcher. Its constructor builds its pages into the window's page table and
// binds them; the launcher then calls the steps below. Every step is optional.
class Feature : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Start-up, after every feature is built and before the window is shown.
    virtual void load() {}
    // The once-a-second housekeeping beat (时钟1).
    virtual void housekeepingStep() {}
    // A status tick found no server running.
    virtual void stoppedStep() {}
    // The launcher is ending (before it waits for the server).
    virtual void shutdownStep() {}
    // The main window has been shown.
    virtual void shown() {}
};

using FeatureFactory = std::function<std::unique_ptr<Feature>(const FeatureContext&)>;
