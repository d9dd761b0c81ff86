#pragma once
#include <cstdint>

namespace Quib {

template <typename T>
struct TPoint {
    T x{};
    T y{};

    TPoint() = default;
    TPoint(T px, T py) : x(px), y(py) {}
    bool operator==(const TPoint&) const = default;
};

using Point = TPoint<int32_t>;

} // namespace Quib
