#pragma once
// Seeded random pictures, colours and rectangles for the drawing tests.

#include "framework/core/Color.h"
#include "framework/core/Rect.h"

#include <cstdint>
#include <random>
#include <vector>

namespace Quib::Testing {

int RandomInt(std::mt19937& rng, int lo, int hi); // inclusive
double RandomDouble(std::mt19937& rng, double lo, double hi);

// Random pixel: often fully transparent or opaque, else any alpha.
uint32_t RandomPixel(std::mt19937& rng);
// Picture of random pixels grouped in runs, so that run tables have runs.
std::vector<uint32_t> RandomPicture(std::mt19937& rng, int width, int height, bool opaque = false);
// Colour: opaque white, grey, or any, with alpha 255 or any.
Color RandomColor(std::mt19937& rng);
// A rectangle inside width x height: often the whole area, mostly large,
// sometimes anywhere and of any size down to empty.
Rect RandomRectIn(std::mt19937& rng, int width, int height);

// A picture of at most 256 colours in palette form.
struct PalettePicture {
    std::vector<uint32_t> palette;
    std::vector<uint8_t> indices;
    std::vector<uint32_t> bits; // the same picture as bits
};
PalettePicture RandomPalettePicture(std::mt19937& rng, int width, int height);

} // namespace Quib::Testing
