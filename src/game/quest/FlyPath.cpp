#include "src/game/quest/FlyPath.h"

#include "src/game/quest/FlyToPoolListener.h"

#include <cmath>
#include <numbers>

namespace Quib {

void FlyPath::Start(const TPoint<float>& from, const TPoint<float>& to)
{
    position = from;
    start = from;
    end = to;
    elapsed = 0.0f;
    arrived = false;
    moving = true;
    const float dx = to.x - from.x, dy = to.y - from.y;
    duration = std::sqrt(dx * dx + dy * dy) / kSpeed;
    if (listener)
        listener->OnFlightStarted();
    active = true;
}

void FlyPath::Step(float seconds)
{
    if (!active || !moving)
        return;
    elapsed += seconds;
    if (elapsed >= duration) {
        position = end;
        moving = false;
        arrived = true;
        if (listener)
            listener->OnArrived();
        return;
    }
    constexpr float kPi = std::numbers::pi_v<float>;
    const float t = elapsed / duration;
    const float e = (1.0f - std::cos(kPi * t)) / 2.0f;
    position.x = start.x + std::sin(e * kPi / 2.0f) * (end.x - start.x);
    position.y = start.y + e * (end.y - start.y);
}

float FlyPath::Progress() const
{
    if (duration <= 0.0f)
        return 1.0f;
    return elapsed / duration;
}

} // namespace Quib
