#pragma once
// Slow, plain versions of the surface drawing routines of DDImage, written
// pixel by pixel and channel by channel from their formulas, apart from the
// fast loops, for differential tests. A surface is a vector of pixel values
// (16- or 32-bit), width values per row.

#include "framework/core/Color.h"
#include "framework/core/DrawMode.h"
#include "framework/core/Rect.h"
#include "framework/core/ScanSpan.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Quib::Testing {

struct SurfaceLayout {
    int bitCount = 32;
    uint32_t mask[3] = {};
    int shift[3] = {};
    int bits[3] = {};

    SurfaceLayout(int bitCount, uint32_t red, uint32_t green, uint32_t blue);
    bool Spread565() const { return bitCount == 16 && mask[0] == 0xF800 && mask[1] == 0x07E0 && mask[2] == 0x1F; }
    bool Spread555() const { return bitCount == 16 && mask[0] == 0x7C00 && mask[1] == 0x03E0 && mask[2] == 0x1F; }
    bool RgbOrder() const { return mask[0] > mask[1] && mask[1] > mask[2]; }
    uint32_t Max(int c) const { return (1u << bits[c]) - 1; }
    // The display copy of an ARGB word: colour premultiplied by (a + 1) / 256.
    uint32_t DisplayCopy(uint32_t argb) const;
};

struct RefSurface {
    SurfaceLayout layout;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> px;

    uint32_t& At(int x, int y) { return px[size_t(y) * width + x]; }
};

// A source picture in ARGB words.
struct RefSource {
    const uint32_t* argb = nullptr;
    int width = 0;
    bool hasTrans = false;
    bool hasAlpha = false;
};

void RefFill(RefSurface& s, const Rect& r, const Color& c);
void RefFillAdditive(RefSurface& s, const Rect& r, const Color& c);
void RefLine(RefSurface& s, double x1, double y1, double x2, double y2, const Color& c);
void RefLineAdditive(RefSurface& s, double x1, double y1, double x2, double y2, const Color& c);
void RefSmoothLine(RefSurface& s, double x1, double y1, double x2, double y2, const Color& c);
void RefCoverageFill(RefSurface& s, const ScanSpan* spans, int count, const Color& c, const uint8_t* coverage, int left,
                  int top, int stride);
// The normal and additive copies; mirrored draws each row right to left.
void RefPutImage(RefSurface& s, int x, int y, const RefSource& src, const Rect& sr, const Color& c, bool mirrored);
void RefPutImageAdditive(RefSurface& s, int x, int y, const RefSource& src, const Rect& sr, const Color& c, bool mirrored);
void RefPutImageVolatile(RefSurface& s, int x, int y, const RefSource& src, const Rect& sr);
// The nearest stretch of the area onto R (mirrored: rows right to left).
void RefStretch(RefSurface& s, const Rect& R, const double area[4], const RefSource& src, const Color& c, DrawMode mode,
             bool mirrored);

// The rotated draw's write of each sample into the surface, channel by
// channel (the sampling itself is the shared resampler's).
void RefRotate(RefSurface& s, const double* bounds, const RefSource& src, const Rect& sr, float x, float y, const Color& c,
            DrawMode mode, double angle, float cx, float cy);

} // namespace Quib::Testing
