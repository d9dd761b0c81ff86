#pragma once

namespace Quib {

// Whoever follows a flight into the inventory.
class FlyToPoolListener {
public:
    virtual ~FlyToPoolListener() = default;
    virtual void OnFlightStarted() {}
    virtual void OnArrived() = 0;
};

} // namespace Quib
