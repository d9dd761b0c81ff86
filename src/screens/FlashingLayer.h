#pragma once
#include <cstdint>

namespace Quib {

class PsdPictureLayer;

// A light of the main menu's picture that flashes now and then: a dark wait,
// a quick flash in, a flicker and a fade out, with its clock stepped once
// per update.
struct FlashingLayer {
    enum State : int32_t { Dark = 0, FlashIn = 1, Flicker = 2, FadeOut = 3 };

    static constexpr float kClockStep = 0.005f;
    static constexpr float kFlashInTime = 0.1f;
    static constexpr float kFlickerTime = 0.1f;
    static constexpr float kFadeOutTime = 0.2f;
    // Random dark waits: the first one, and those after a flash.
    static constexpr float kFirstWaitMin = 1.0f;
    static constexpr float kFirstWaitMax = 5.0f;
    static constexpr float kWaitMin = 1.0f;
    static constexpr float kWaitMax = 3.0f;

    // Dark, with a random first wait; clears the layer's draw flag.
    explicit FlashingLayer(PsdPictureLayer* flashLayer);

    // One update: the clock moves on; at the end of a phase the next one
    // starts. Then the alpha follows from the state and the clock.
    void Step();

    int32_t state = Dark;
    float clock = 0.0f;
    float duration = 0.0f; // of the current phase
    float alpha = 0.0f;    // 0 .. 1.2 (drawn clamped to 1)
    PsdPictureLayer* layer = nullptr;
};

} // namespace Quib
