#include "tests/support/Random.h"

namespace Quib::Testing {

int RandomInt(std::mt19937& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

double RandomDouble(std::mt19937& rng, double lo, double hi)
{
    return std::uniform_real_distribution<double>(lo, hi)(rng);
}

uint32_t RandomPixel(std::mt19937& rng)
{
    const uint32_t rgb = uint32_t(rng()) & 0x00FFFFFF;
    switch (RandomInt(rng, 0, 3)) {
    case 0:
        return rgb;
    case 1:
        return 0xFF000000 | rgb;
    default:
        return (uint32_t(RandomInt(rng, 0, 255)) << 24) | rgb;
    }
}

std::vector<uint32_t> RandomPicture(std::mt19937& rng, int width, int height, bool opaque)
{
    std::vector<uint32_t> words(size_t(width) * height);
    size_t i = 0;
    while (i < words.size()) {
        const uint32_t p = RandomPixel(rng);
        const int run = RandomInt(rng, 0, 3) == 0 ? RandomInt(rng, 1, 300) : RandomInt(rng, 1, 4);
        for (int k = 0; k < run && i < words.size(); ++k, ++i) {
            // Same alpha class over the run, colours vary.
            const uint32_t rgb = RandomInt(rng, 0, 1) ? (p & 0x00FFFFFF) : (uint32_t(rng()) & 0x00FFFFFF);
            const uint32_t a = p >> 24;
            words[i] = (a == 0 || a == 255 ? a : uint32_t(RandomInt(rng, 1, 254))) << 24 | rgb;
            if (opaque)
                words[i] |= 0xFF000000;
        }
    }
    return words;
}

Color RandomColor(std::mt19937& rng)
{
    switch (RandomInt(rng, 0, 3)) {
    case 0:
        return Color(255, 255, 255, 255);
    case 1: {
        const int k = RandomInt(rng, 0, 255);
        return Color(k, k, k, RandomInt(rng, 0, 1) ? 255 : RandomInt(rng, 0, 255));
    }
    default:
        return Color(RandomInt(rng, 0, 255), RandomInt(rng, 0, 255), RandomInt(rng, 0, 255),
                     RandomInt(rng, 0, 1) ? 255 : RandomInt(rng, 0, 255));
    }
}

Rect RandomRectIn(std::mt19937& rng, int w, int h)
{
    switch (RandomInt(rng, 0, 9)) {
    case 0:
    case 1:
        return Rect(0, 0, w, h);
    case 2: {
        const int x = RandomInt(rng, 0, w - 1), y = RandomInt(rng, 0, h - 1);
        return Rect(x, y, RandomInt(rng, 0, w - x), RandomInt(rng, 0, h - y));
    }
    default: {
        const int x = RandomInt(rng, 0, (w - 1) / 2), y = RandomInt(rng, 0, (h - 1) / 2);
        return Rect(x, y, RandomInt(rng, (w - x + 1) / 2, w - x), RandomInt(rng, (h - y + 1) / 2, h - y));
    }
    }
}

PalettePicture RandomPalettePicture(std::mt19937& rng, int width, int height)
{
    PalettePicture pic;
    const int colours = RandomInt(rng, 1, 256);
    for (int i = 0; i < colours; ++i)
        pic.palette.push_back(RandomPixel(rng));
    pic.palette.resize(256, 0);
    for (int i = 0; i < width * height; ++i) {
        const uint8_t index = uint8_t(RandomInt(rng, 0, colours - 1));
        pic.indices.push_back(index);
        pic.bits.push_back(pic.palette[index]);
    }
    return pic;
}

} // namespace Quib::Testing
