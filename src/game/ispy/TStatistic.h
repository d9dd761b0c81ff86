#pragma once
#include "src/game/ispy/TMessenger.h"

#include <vector>

namespace Quib {

// Watches the misclicks of a hidden-object board and announces a burst of
// fast misses (message 53).
class TStatistic : public TMessenger {
public:
    TStatistic();
    void OnMessage(int32_t id, TMessenger* sender, TMessageData* data) override;

    bool running = true;
    float clock = 0.0f;
    float threshold = 3.0f;
    std::vector<float> missTimes;
};

} // namespace Quib
