#pragma once
// Random pictures, colours and a destination with a canary border for the
// software renderer's tests.

#include "framework/graphics/SoftwareRender.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace Quib::TestSupport {

constexpr uint32_t kCanary = 0xDEADBEEF;

// A destination of width x height pixels inside a border of canary words.
class CanaryTarget {
public:
    CanaryTarget(int width, int height, int border = 3)
        : width_(width), height_(height), border_(border), stride_(width + 2 * border),
          words_(size_t(stride_) * (height + 2 * border), kCanary)
    {
    }
    PixelTarget Target()
    {
        return PixelTarget{words_.data() + size_t(border_) * stride_ + border_, width_, height_, stride_};
    }
    uint32_t& At(int x, int y) { return words_[size_t(y + border_) * stride_ + x + border_]; }
    const std::vector<uint32_t>& Words() const { return words_; }
    std::vector<uint32_t>& Words() { return words_; }
    bool CanaryIntact() const
    {
        for (int y = 0; y < height_ + 2 * border_; ++y)
            for (int x = 0; x < stride_; ++x) {
                const bool inside = x >= border_ && x < border_ + width_ && y >= border_ && y < border_ + height_;
                if (!inside && words_[size_t(y) * stride_ + x] != kCanary)
                    return false;
            }
        return true;
    }
    // First differing word as "(x, y) got g want w", empty when equal.
    std::string FirstDifference(const CanaryTarget& other) const;

private:
    int width_, height_, border_, stride_;
    std::vector<uint32_t> words_;
};

// Random pixel: often fully transparent or opaque, else any alpha.
uint32_t RandomPixel(std::mt19937& rng);
// Picture of random pixels grouped in runs, so that run tables have runs.
std::vector<uint32_t> RandomPicture(std::mt19937& rng, int width, int height, bool opaque = false);
// Colour: opaque white, grey, or any, with alpha 255 or any.
Color RandomColor(std::mt19937& rng);
int RandomInt(std::mt19937& rng, int lo, int hi);  // inclusive
double RandomDouble(std::mt19937& rng, double lo, double hi);

// A picture of at most 256 colours in palette form.
struct PalettePicture {
    std::vector<uint32_t> palette;
    std::vector<uint8_t> indices;
    std::vector<uint32_t> bits;  // the same picture as bits
};
PalettePicture RandomPalettePicture(std::mt19937& rng, int width, int height);

} // namespace Quib::TestSupport
