#pragma once
#include "framework/core/Point.h"

namespace Quib {

class FlyToPoolListener;

// An eased flight from one point to another at 500 pixels per second: the
// horizontal movement leads the vertical one, so the path curves.
class FlyPath {
public:
    static constexpr float kSpeed = 500.0f;

    explicit FlyPath(FlyToPoolListener* owner) : listener(owner) {}

    void Start(const TPoint<float>& from, const TPoint<float>& to);
    // Advances an active, moving path; tells the listener on arrival.
    void Step(float seconds);
    // Elapsed time over duration; 1 for a zero duration.
    float Progress() const;

    bool active = false;
    FlyToPoolListener* listener = nullptr;
    bool moving = false;
    TPoint<float> position;
    TPoint<float> start;
    TPoint<float> end;
    float duration = 0.0f;
    float elapsed = 0.0f;
    bool arrived = false;
};

} // namespace Quib
