#include "tests/graphics/SoftwareTestSupport.h"


#include <cstdio>

namespace Quib::TestSupport {

std::string CanaryTarget::FirstDifference(const CanaryTarget& other) const
{
    for (size_t i = 0; i < words_.size(); ++i)
        if (words_[i] != other.words_[i]) {
            char text[128];
            std::snprintf(text, sizeof text, "(%d, %d) got %08X want %08X", int(i % stride_) - border_,
                          int(i / stride_) - border_, words_[i], other.words_[i]);
            return text;
        }
    return {};
}

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

} // namespace Quib::TestSupport
