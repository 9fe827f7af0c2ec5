#pragma once

#include "ui/Feature.h"

// The online players page (page 10), and the player files the companion plugins keep, which are
// removed when the launcher ends.
class PlayersFeature : public Feature {
    Q_OBJECT

public:
    explicit PlayersFeature(const FeatureContext& context);

    void shutdownStep() override;
};
