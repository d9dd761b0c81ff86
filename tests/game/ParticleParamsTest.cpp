#include "src/particles/ParticleParams.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace Quib {
namespace ParticleParamsTest {

void PutFloat(std::vector<uint8_t>& b, size_t at, float v)
{
    uint32_t w;
    std::memcpy(&w, &v, 4);
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(w >> (8 * i));
}

// Every field at its place, little-endian.
TEST(ParticleParams, ReadsEveryFieldAtItsOffset)
{
    std::vector<uint8_t> b(128, 0);
    b[0] = 0xFE; // cel -2
    b[1] = 0xFF;
    b[2] = 6;    // blend
    b[4] = 0x96; // rate 150
    for (size_t at = 8; at < 128; at += 4)
        PutFloat(b, at, float(at));
    b[28] = 1; // relative: the lowest byte only
    b[29] = b[30] = b[31] = 0;
    const ParticleParams p = ParticleParams::Read(b.data(), b.size());
    EXPECT_EQ(p.cel, -2);
    EXPECT_EQ(p.blend, 6);
    EXPECT_TRUE(p.IsNormalBlend());
    EXPECT_EQ(p.rate, 150);
    EXPECT_TRUE(p.IsRelative());
    const float expected[] = {p.duration, p.lifeMin, p.lifeMax, p.direction, p.spread};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(expected[i], float(8 + 4 * i));
    EXPECT_EQ(p.speedMin, 32);
    EXPECT_EQ(p.tangentialMax, 60);
    EXPECT_EQ(p.scaleStart, 64);
    EXPECT_EQ(p.rotationVariation, 84);
    EXPECT_EQ(p.startColor[0], 88);
    EXPECT_EQ(p.startColor[3], 100);
    EXPECT_EQ(p.endColor[0], 104);
    EXPECT_EQ(p.endColor[3], 116);
    EXPECT_EQ(p.colorVariation, 120);
    EXPECT_EQ(p.alphaVariation, 124);

    uint8_t back[128];
    p.Write(back);
    EXPECT_EQ(0, std::memcmp(back, b.data(), 128));
}

TEST(ParticleParams, RelativeFlagTestsOnlyTheLowestByte)
{
    std::vector<uint8_t> b(128, 0);
    b[29] = 1;
    EXPECT_FALSE(ParticleParams::Read(b.data(), b.size()).IsRelative());
    b[28] = 0x80;
    EXPECT_TRUE(ParticleParams::Read(b.data(), b.size()).IsRelative());
}

// A short file fills the block from its start; a field it only partly
// reaches takes the bytes it has, the rest keeps its value before reading.
TEST(ParticleParams, ShortFileKeepsTheRestOfTheBlock)
{
    std::vector<uint8_t> b(128, 0xAB);
    const ParticleParams none = ParticleParams::Read(nullptr, 0);
    EXPECT_EQ(none.rate, 0);
    EXPECT_EQ(none.startColor[3], 1.0f);
    EXPECT_EQ(none.endColor[3], 1.0f);
    EXPECT_EQ(none.startColor[0], 0.0f);

    const ParticleParams six = ParticleParams::Read(b.data(), 6);
    EXPECT_EQ(six.blend, 0xABAB);
    EXPECT_EQ(six.rate, 0xABAB); // two bytes of the file, two of the zero before it
    EXPECT_EQ(six.duration, 0.0f);

    const ParticleParams colours = ParticleParams::Read(b.data(), 100);
    float abab;
    const uint32_t w = 0xABABABAB;
    std::memcpy(&abab, &w, 4);
    EXPECT_EQ(colours.startColor[2], abab);
    EXPECT_EQ(colours.startColor[3], 1.0f); // bytes 100-103 not reached
    EXPECT_EQ(colours.endColor[3], 1.0f);

    // More than 128 bytes: the rest is not read.
    std::vector<uint8_t> longer(300, 0);
    longer[127] = 0x3F;
    longer[128] = 0x77;
    EXPECT_EQ(ParticleParams::Read(longer.data(), longer.size()).alphaVariation, 0.5f);
}

} // namespace ParticleParamsTest
} // namespace Quib
