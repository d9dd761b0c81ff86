#include "src/particles/ParticleParams.h"

#include <bit>
#include <cstring>

namespace Quib {

namespace {

uint32_t Word(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
uint16_t Half(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
float Float(const uint8_t* p)
{
    return std::bit_cast<float>(Word(p));
}

void PutWord(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
void PutHalf(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void PutFloat(uint8_t* p, float v)
{
    PutWord(p, std::bit_cast<uint32_t>(v));
}

// The float fields from byte 8 on, in block order (relative, at 28, is not
// among them).
template <class Block, class F>
void EachFloat(Block& b, F&& f)
{
    f(8, b.duration);
    f(12, b.lifeMin);
    f(16, b.lifeMax);
    f(20, b.direction);
    f(24, b.spread);
    f(32, b.speedMin);
    f(36, b.speedMax);
    f(40, b.gravityMin);
    f(44, b.gravityMax);
    f(48, b.radialMin);
    f(52, b.radialMax);
    f(56, b.tangentialMin);
    f(60, b.tangentialMax);
    f(64, b.scaleStart);
    f(68, b.scaleEnd);
    f(72, b.scaleVariation);
    f(76, b.rotationStart);
    f(80, b.rotationEnd);
    f(84, b.rotationVariation);
    for (int i = 0; i < 4; ++i)
        f(88 + 4 * i, b.startColor[i]);
    for (int i = 0; i < 4; ++i)
        f(104 + 4 * i, b.endColor[i]);
    f(120, b.colorVariation);
    f(124, b.alphaVariation);
}

} // namespace

ParticleParams ParticleParams::Read(const uint8_t* data, size_t size)
{
    // The block before reading, as bytes; the file's bytes replace its start.
    uint8_t bytes[kSize];
    ParticleParams().Write(bytes);
    if (data)
        std::memcpy(bytes, data, size < kSize ? size : kSize);

    ParticleParams p;
    p.cel = int16_t(Half(bytes));
    p.blend = Half(bytes + 2);
    p.rate = int32_t(Word(bytes + 4));
    p.relative = Word(bytes + 28);
    EachFloat(p, [&](size_t at, float& field) { field = Float(bytes + at); });
    return p;
}

void ParticleParams::Write(uint8_t out[kSize]) const
{
    PutHalf(out, uint16_t(cel));
    PutHalf(out + 2, blend);
    PutWord(out + 4, uint32_t(rate));
    PutWord(out + 28, relative);
    EachFloat(*this, [&](size_t at, const float& field) { PutFloat(out + at, field); });
}

} // namespace Quib
