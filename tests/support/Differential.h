#pragma once
// The differential harness: a fast pixel loop and its plain reference draw
// seeded random cases into destinations inside a canary border; a failure
// names the case's seed and the pixel loops the process runs
// (QUIB_PIXEL_LOOPS picks them; ctest runs the pixel tests once per family).

#include "framework/core/PixelFormat.h"
#include "framework/graphics/SoftwareRender.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Quib::Testing {

// Runs `body(seed)` for the case seeds first .. first + count - 1. Every
// failure inside is traced with what was drawn, the seed and the pixel
// loops; the run stops at the first case with a fatal failure.
void RunCases(const std::string& what, int count, const std::function<void(uint32_t seed)>& body,
              uint32_t first = 1);

// A destination of width x height pixels of 2 or 4 bytes inside a border
// of canary bytes `border` pixels wide; each row ends with `rowPadding`
// more canary bytes, so the pitch need not be a multiple of the pixel.
class CanaryBuffer {
public:
    static constexpr uint8_t kCanary[4] = {0xEF, 0xBE, 0xAD, 0xDE};

    CanaryBuffer(int width, int height, int bytesPerPixel = 4, int border = 3, int rowPadding = 0);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Pitch() const { return pitch_; }
    int BytesPerPixel() const { return bpp_; }
    // The first pixel.
    uint8_t* Bits() { return bytes_.data() + Offset(0, 0); }
    uint32_t Get(int x, int y) const;
    void Set(int x, int y, uint32_t value);
    // Every pixel from a picture of width x height values.
    void Assign(const std::vector<uint32_t>& picture);
    std::vector<uint32_t> Pixels() const;

    PixelBuffer Buffer(const PixelFormat& format) { return {Bits(), pitch_, width_, height_, format}; }
    // A 32-bit destination for the software loops.
    PixelTarget Target() { return PixelTarget{reinterpret_cast<uint32_t*>(Bits()), width_, height_, pitch_ / 4}; }

    // Where the first canary byte that changed is, empty when none did.
    std::string CanaryDamage() const;
    // The first pixel or canary byte that differs from `other`'s, as
    // "(x, y) got g want w", empty when all bytes are equal.
    std::string FirstDifference(const CanaryBuffer& other) const;

private:
    size_t Offset(int x, int y) const { return size_t(border_ + y) * pitch_ + size_t(border_ + x) * bpp_; }
    bool Inside(size_t index) const;

    int width_, height_, bpp_, border_, pitch_;
    std::vector<uint8_t> bytes_;
};

// Expects the fast drawing equal to the reference, canary border included.
void ExpectSameDrawing(const CanaryBuffer& fast, const CanaryBuffer& reference);

} // namespace Quib::Testing
