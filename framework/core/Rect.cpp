#include "framework/core/Rect.h"

#include <algorithm>

namespace Quib {

namespace {

// Edges in 64 bits so that rectangles near the int limits do not wrap.
int64_t Right(const Rect& r) { return static_cast<int64_t>(r.x) + r.width; }
int64_t Bottom(const Rect& r) { return static_cast<int64_t>(r.y) + r.height; }

} // namespace

Rect Rect::Intersection(const Rect& other) const
{
    int32_t ix = std::max(x, other.x);
    int32_t iy = std::max(y, other.y);
    int64_t w = std::min(Right(*this), Right(other)) - ix;
    int64_t h = std::min(Bottom(*this), Bottom(other)) - iy;
    if (w < 0 || h < 0)
        return Rect();
    return Rect(ix, iy, static_cast<int32_t>(w), static_cast<int32_t>(h));
}

Rect Rect::Union(const Rect& other) const
{
    int32_t ux = std::min(x, other.x);
    int32_t uy = std::min(y, other.y);
    int64_t w = std::max(Right(*this), Right(other)) - ux;
    int64_t h = std::max(Bottom(*this), Bottom(other)) - uy;
    return Rect(ux, uy, static_cast<int32_t>(w), static_cast<int32_t>(h));
}

DoubleRect DoubleRect::Intersection(const DoubleRect& other) const
{
    double ix = std::max(x, other.x);
    double iy = std::max(y, other.y);
    double w = std::min(x + width, other.x + other.width) - ix;
    double h = std::min(y + height, other.y + other.height) - iy;
    if (w < 0.0 || h < 0.0)
        return DoubleRect();
    return DoubleRect(ix, iy, w, h);
}

} // namespace Quib
