#pragma once

namespace Quib {

struct FloatRange {
    float min = 0.0f;
    float max = 0.0f;

    // A value from min to max, both included, drawn with RandomFloat.
    float Random() const;

    bool operator==(const FloatRange&) const = default;
};

} // namespace Quib
