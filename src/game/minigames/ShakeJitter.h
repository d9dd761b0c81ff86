#pragma once
#include <cstdint>

namespace Quib {

// A small random shake: offsets that chase a random target which is drawn
// anew after a random interval.
struct ShakeJitter {
    int32_t amplitudeX = 0;
    int32_t amplitudeY = 0;
    float shortestInterval = 0.0f;
    float longestInterval = 0.0f;
    float speed = 0.0f;
    int32_t targetX = 0;
    int32_t targetY = 0;
    float offsetX = 0.0f;
    float offsetY = 0.0f;
    float timer = 0.0f;

    void Update(float seconds);
};

} // namespace Quib
