#include "server/gui/ConsoleFeature.h"

#include "server/gui/ConsolePresenter.h"
#include "ui/MainWindow.h"

namespace {
constexpr int PageIndex = 1;
}

ConsoleFeature::ConsoleFeature(const FeatureContext& context)
    : m_page(consolepage::build(context.window.page(PageIndex)))
{
    const ConsolePresenter::Counters counters{context.home.uptimeHours, context.home.uptimeMinutes,
                                              context.home.crashRestarts};
    m_presenter = new ConsolePresenter(m_page, counters, context.runtime, this);
    connect(m_presenter, &ConsolePresenter::stoppedTick, this, &ConsoleFeature::stoppedTick);
}

void ConsoleFeature::load()
{
    m_presenter->start();
}
