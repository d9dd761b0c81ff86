#pragma once
#include <cstddef>
#include <cstdint>

namespace Quib {

// The parameter block of an own-kind effect: the first 128 bytes of its
// file, little-endian, field by field.
struct ParticleParams {
    static constexpr size_t kSize = 128;

    int16_t cel = 0;    // cel of the sprite sheet when the sheet is not animated
    uint16_t blend = 0; // 6: alpha blending; anything else: additive
    int32_t rate = 0;   // particles per second
    float duration = 0; // seconds of emission; -1: endless
    float lifeMin = 0, lifeMax = 0;
    float direction = 0;   // radians
    float spread = 0;      // radians
    uint32_t relative = 0; // lowest byte non-zero: direction follows the emitter's movement
    float speedMin = 0, speedMax = 0;
    float gravityMin = 0, gravityMax = 0;
    float radialMin = 0, radialMax = 0;
    float tangentialMin = 0, tangentialMax = 0;
    float scaleStart = 0, scaleEnd = 0, scaleVariation = 0;
    float rotationStart = 0, rotationEnd = 0, rotationVariation = 0;
    float startColor[4] = {0, 0, 0, 1.0f}; // red, green, blue, alpha (0 to 1)
    float endColor[4] = {0, 0, 0, 1.0f};
    float colorVariation = 0;
    float alphaVariation = 0;

    bool IsRelative() const { return (relative & 0xFF) != 0; }
    bool IsNormalBlend() const { return blend == 6; }

    // The block from the first bytes of a file. A shorter file fills the
    // block from its start; what it does not reach keeps its value before
    // reading (zero, and the colours' defaults).
    static ParticleParams Read(const uint8_t* data, size_t size);
    // The 128 bytes of the block.
    void Write(uint8_t out[kSize]) const;
};

} // namespace Quib
