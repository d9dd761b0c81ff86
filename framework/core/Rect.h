#pragma once
#include "framework/core/Point.h"

#include <cstdint>

namespace Quib {

// Covers columns x .. x + width - 1 and rows y .. y + height - 1.
struct Rect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    Rect() = default;
    Rect(int32_t px, int32_t py, int32_t w, int32_t h) : x(px), y(py), width(w), height(h) {}

    // A negative width or height gives (0, 0, 0, 0); a zero one keeps its
    // position.
    Rect Intersection(const Rect& other) const;
    // Empty rectangles still widen the union by their position.
    Rect Union(const Rect& other) const;
    bool Contains(int32_t px, int32_t py) const
    {
        return px >= x && px < static_cast<int64_t>(x) + width && py >= y &&
               py < static_cast<int64_t>(y) + height;
    }
    bool Contains(const Point& p) const { return Contains(p.x, p.y); }

    bool operator==(const Rect&) const = default;
};

// The clipped source area of rotated and stretched software blits.
struct DoubleRect {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;

    DoubleRect() = default;
    DoubleRect(double px, double py, double w, double h) : x(px), y(py), width(w), height(h) {}

    DoubleRect Intersection(const DoubleRect& other) const;
    bool operator==(const DoubleRect&) const = default;
};

} // namespace Quib
