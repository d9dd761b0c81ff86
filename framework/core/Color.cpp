#include "framework/core/Color.h"

#include <algorithm>

namespace Quib {

namespace {

int32_t ClampChannel(double v)
{
    // Truncate toward zero first, as the conversion to int does.
    if (!(v > 0.0))
        return 0;
    if (v >= 255.0)
        return 255;
    return static_cast<int32_t>(v);
}

int32_t MultiplyChannel(int32_t a, int32_t b)
{
    // The product is formed in 32 bits; 64 bits here only to stay defined
    // for channels far outside 0..255.
    int64_t product = static_cast<int64_t>(a) * b;
    return ClampChannel(static_cast<double>(static_cast<int32_t>(product)) / 255.0);
}

} // namespace

Color ColorWithAlpha(float f, const Color& c)
{
    Color result = c;
    result.alpha = ClampChannel(f * 255.0);
    return result;
}

Color MultiplyColors(const Color& a, const Color& b)
{
    return Color(MultiplyChannel(a.red, b.red), MultiplyChannel(a.green, b.green),
                 MultiplyChannel(a.blue, b.blue), MultiplyChannel(a.alpha, b.alpha));
}

} // namespace Quib
