#pragma once
#include <cstdint>

namespace Quib {

// Four channels, each meant to lie in 0..255; nothing clamps them unless an
// operation says so.
struct Color {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    int32_t alpha = 255;

    static const Color White;

    Color() = default;
    constexpr Color(int32_t r, int32_t g, int32_t b, int32_t a = 255) : red(r), green(g), blue(b), alpha(a) {}
    // Packed 0xAARRGGBB; a top byte of 0 means opaque.
    constexpr explicit Color(uint32_t packed)
        : red((packed >> 16) & 255), green((packed >> 8) & 255), blue(packed & 255),
          alpha((packed >> 24) & 255)
    {
        if (alpha == 0)
            alpha = 255;
    }

    bool IsOpaqueWhite() const
    {
        return red == White.red && green == White.green && blue == White.blue && alpha == White.alpha;
    }
    bool operator==(const Color&) const = default;
};

// Constant-initialised (the constructor is constexpr): no start-up code.
inline const Color Color::White{255, 255, 255, 255};

// c's colour with alpha clamp(trunc(f * 255), 0, 255); c's alpha is replaced.
Color ColorWithAlpha(float f, const Color& c);
// Per channel trunc(a * b / 255.0), clamped to 0..255.
Color MultiplyColors(const Color& a, const Color& b);

} // namespace Quib
