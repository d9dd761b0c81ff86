// The built-in texture shapes of the emitter library: white pictures with
// soft edges, tinted by the particles' colours. Their variety comes from a
// hash of the frame number, never from the program's random generator.
#include "src/particles/PtcModel.h"

#include <algorithm>
#include <cmath>

namespace Quib::Ptc {

namespace {

constexpr float kPi = 3.14159265f;

float Clamp01(float v)
{
    return v < 0 ? 0 : v > 1 ? 1 : v;
}

uint32_t Hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}
// 0 .. 1 from a hash of the three numbers.
float HashUnit(uint32_t a, uint32_t b, uint32_t c = 0)
{
    return float(Hash(a * 0x9E3779B1u ^ Hash(b * 0x85EBCA77u ^ Hash(c + 0x27D4EB2Fu))) >> 8) / float(1 << 24);
}

// Smooth value noise on a lattice, 0 .. 1.
float Noise(float x, float y, uint32_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const float tx = x - fx, ty = y - fy;
    const float sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    const auto at = [&](float i, float j) {
        return HashUnit(uint32_t(int32_t(i) + 4096), uint32_t(int32_t(j) + 4096), seed);
    };
    const float a = at(fx, fy), b = at(fx + 1, fy), c = at(fx, fy + 1), d = at(fx + 1, fy + 1);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

// The faintest part of a soft edge is left out (the edge still fades to
// nothing): blending an almost transparent texel costs the destination a
// little precision, which shows as a dark rim where many particles overlap.
uint32_t Pixel(float alpha, float shade)
{
    uint32_t a = uint32_t(Clamp01((alpha - 0.08f) / 0.92f) * 255.0f + 0.5f);
    if (a < 12)
        a = 0;
    const uint32_t v = uint32_t(Clamp01(shade) * 255.0f + 0.5f);
    return (a << 24) | (v << 16) | (v << 8) | v;
}

// A thin ray along the u axis: bright at the centre, gone at length.
float Ray(float u, float v, float length, float width)
{
    const float along = 1.0f - std::fabs(u) / length;
    if (along <= 0)
        return 0;
    return along * along * std::exp(-(v * v) / (width * width));
}

} // namespace

bool IsShapeName(std::string_view shape)
{
    return shape == "glow" || shape == "dot" || shape == "star" || shape == "ring" || shape == "puff" ||
           shape == "leaf";
}

void MakeShapeFrame(std::string_view shape, int width, int height, int frame, int frames, uint32_t* pixels)
{
    const float halfW = float(width) * 0.5f, halfH = float(height) * 0.5f;
    const float pixel = 1.0f / std::min(halfW, halfH); // one pixel in unit lengths
    const float phase = frames > 1 ? float(frame) / float(frames) : 0.0f;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float u = (float(x) + 0.5f - halfW) / halfW, v = (float(y) + 0.5f - halfH) / halfH;
            const float r = std::sqrt(u * u + v * v);
            float alpha = 0, shade = 1;
            if (shape == "glow") {
                const float edge = Clamp01(1.0f - r);
                alpha = 0.55f * std::pow(edge, 2.2f) + 0.45f * std::exp(-r * r * 14.0f);
            } else if (shape == "dot") {
                alpha = Clamp01((0.8f - r) / pixel + 0.5f);
            } else if (shape == "ring") {
                const float d = (r - 0.72f) / 0.1f;
                alpha = std::exp(-d * d) * Clamp01((1.0f - r) / pixel);
            } else if (shape == "star") {
                // Four long rays and four short ones that grow and shrink
                // over the frames, around a bright core.
                const float length = 0.45f + 0.55f * (0.5f + 0.5f * std::cos(2 * kPi * phase));
                const float d1 = (u + v) * 0.70710678f, d2 = (u - v) * 0.70710678f;
                const float rays = Ray(u, v, length, 0.05f) + Ray(v, u, length, 0.05f) +
                                   0.45f *
                                       (Ray(d1, d2, length * 0.55f, 0.04f) + Ray(d2, d1, length * 0.55f, 0.04f));
                alpha = std::exp(-r * r * 30.0f) + 0.35f * std::exp(-r * r * 6.0f) + rays;
                alpha *= Clamp01((1.0f - r) * 4.0f);
            } else if (shape == "puff") {
                // A few soft blobs, bumpy with noise, fading at the rim.
                float sum = 0;
                for (uint32_t k = 0; k < 6; ++k) {
                    const float a = HashUnit(uint32_t(frame), k, 1) * 2 * kPi;
                    const float dist = 0.32f * HashUnit(uint32_t(frame), k, 2);
                    const float radius = 0.24f + 0.16f * HashUnit(uint32_t(frame), k, 3);
                    const float bx = u - std::cos(a) * dist, by = v - std::sin(a) * dist;
                    sum += std::exp(-(bx * bx + by * by) / (radius * radius) * 1.6f);
                }
                const float n = 0.65f * Noise(u * 3 + 7, v * 3 + 3, uint32_t(frame)) +
                                0.35f * Noise(u * 7 + 1, v * 7 + 9, uint32_t(frame) + 77);
                alpha = Clamp01(sum * 0.55f) * (0.6f + 0.55f * n) * Clamp01((1.0f - r) * 2.5f);
                shade = 0.86f + 0.14f * (0.5f - 0.5f * v); // lit from above
            } else if (shape == "leaf") {
                // A pointed leaf along u with a stem, turning about its long
                // axis over the frames; its back is a little darker.
                const float turn = std::cos(kPi * phase);
                const float squeeze = std::max(0.12f, std::fabs(turn));
                const float t = u / 0.86f;
                const float lv = v / squeeze;
                float half = 0;
                if (t > -1 && t < 1)
                    half = 0.42f * std::pow(1 - t * t, 0.75f) * (1 + 0.18f * t);
                const float inside = (half - std::fabs(lv)) * squeeze / pixel;
                alpha = Clamp01(inside + 0.5f);
                const float stem = Clamp01((0.035f - std::fabs(v)) / pixel + 0.5f) *
                                   (u < -0.8f && u > -0.98f ? 1.0f : 0.0f);
                alpha = std::max(alpha, stem);
                const float vein = std::exp(-(lv * lv) / (0.035f * 0.035f)) * (std::fabs(t) < 0.95f ? 1.0f : 0.0f);
                const float side =
                    std::exp(-std::pow(std::fmod(std::fabs(lv) * 4 - t * 2.4f + 8.0f, 1.0f) - 0.5f, 2) * 60) *
                    0.35f * Clamp01(half - std::fabs(lv));
                shade = (0.92f - 0.25f * vein - side) * (turn >= 0 ? 1.0f : 0.78f) *
                        (0.9f + 0.1f * (1 - std::fabs(lv) / 0.42f));
            }
            pixels[size_t(y) * size_t(width) + size_t(x)] = Pixel(alpha, shade);
        }
    }
}

} // namespace Quib::Ptc
