#pragma once

#include "server/ServerRuntime.h"
#include "server/gui/LaunchSettingsPage.h"
#include "ui/Feature.h"

class LaunchSettingsController;

// The launch settings page and what the launch reads from it: the stored fields loaded at start-up,
// "保存信息", the crash restart switch, the server reset, and the page's own controller (Java lookup,
// memory, cores, extra arguments, export).
class LaunchSettingsFeature : public Feature, public LaunchInputSource {
    Q_OBJECT

public:
    explicit LaunchSettingsFeature(const FeatureContext& context);

    void load() override;

    Fields launchFields() const override;
    bool crashRestartEnabled() const override;

    LaunchSettingsController* controller() const { return m_controller; }
    const launchsettingspage::Controls& controls() const { return m_page; }

    // "保存信息": refuses empty required fields, writes every field and says whether it worked.
    void saveServerSettings();

private:
    void openResetQuestion();

    launchsettingspage::Controls m_page;
    ServerRuntime& m_runtime;
    LaunchSettingsController* m_controller = nullptr;
};
