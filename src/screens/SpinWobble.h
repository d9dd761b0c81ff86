#pragma once

namespace Quib {

// One swinging ring of the hint compass: the velocity heads for a random
// target, back to rest, and again, the angle following it.
struct SpinWobble {
    explicit SpinWobble(float amp = 0.0f);

    // A new random target velocity in [-amplitude, amplitude]; rate = base rate.
    void PickTarget();
    // One step of dt seconds.
    void Step(float dt);

    float baseRate = 0.1f;
    float rate = 0.0f;
    float amplitude = 0.0f;
    float angle = 0.0f; // [0, 2 pi)
    float velocity = 0.0f;
    float targetVelocity = 0.0f;
    bool accelerating = true;
};

} // namespace Quib
