#pragma once

#include "server/gui/ConsolePage.h"
#include "ui/Feature.h"

class ConsolePresenter;

// The console page: builds it and binds it to the server runtime through its presenter.
class ConsoleFeature : public Feature {
    Q_OBJECT

public:
    explicit ConsoleFeature(const FeatureContext& context);

    void load() override;

    ConsolePresenter* presenter() const { return m_presenter; }
    const consolepage::Controls& controls() const { return m_page; }

signals:
    // A status tick found no server running.
    void stoppedTick();

private:
    consolepage::Controls m_page;
    ConsolePresenter* m_presenter = nullptr;
};
