#include "src/screens/SpinWobble.h"

#include "framework/files/Random.h"

#include <cmath>
#include <numbers>

namespace Quib {

SpinWobble::SpinWobble(float amp) : amplitude(amp)
{
    PickTarget();
}

void SpinWobble::PickTarget()
{
    targetVelocity = -amplitude + float(Quib::rand()) / 32767.0f * 2.0f * amplitude;
    rate = baseRate;
}

void SpinWobble::Step(float dt)
{
    const float goal = accelerating ? targetVelocity : 0.0f;
    const float step = dt * rate;
    if (std::fabs(velocity - goal) <= step) {
        velocity = goal;
        if (accelerating) {
            accelerating = false;
        } else {
            accelerating = true;
            PickTarget();
        }
    } else {
        velocity += velocity < goal ? step : -step;
    }
    constexpr float kTurn = 2.0f * std::numbers::pi_v<float>;
    angle += dt * velocity;
    if (!std::isfinite(angle))
        angle = 0.0f;
    angle = std::fmod(angle, kTurn);
    if (angle < 0.0f)
        angle += kTurn;
    if (angle >= kTurn)
        angle = 0.0f;
}

} // namespace Quib
