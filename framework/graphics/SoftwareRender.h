#pragma once
// The software renderer's pixel loops on plain 32-bit 0xAARRGGBB buffers. The
// MemoryImage drawing operations call them on their own pixels; they know
// nothing of images, flags or change counts.

#include "framework/core/Color.h"
#include "framework/core/DrawMode.h"
#include "framework/core/Rect.h"
#include "framework/core/ScanSpan.h"

#include <cstddef>
#include <cstdint>

namespace Quib {

// A destination: width x height pixels, rows `stride` words apart.
struct PixelTarget {
    uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// A source in bits form (bits) or palette form (palette + indices), rows
// `width` pixels apart.
struct PixelSource {
    const uint32_t* bits = nullptr;
    const uint32_t* palette = nullptr;
    const uint8_t* indices = nullptr;
    int width = 0;
    int height = 0;

    uint32_t At(int x, int y) const
    {
        const int i = y * width + x;
        return palette ? palette[indices[i]] : bits[i];
    }
};

// Packs a colour as ((alpha * 256 + red) * 256 + green) * 256 + blue.
inline uint32_t PackColor(const Color& c)
{
    return ((uint32_t(c.alpha) * 256 + uint32_t(c.red)) * 256 + uint32_t(c.green)) * 256 + uint32_t(c.blue);
}

// ---- Fills, lines and spans (the rectangle and the spans must lie inside
// the target; pixels of lines outside the target are skipped).
void SoftFillRect(const PixelTarget& dst, const Rect& r, const Color& color);
void SoftClearRect(const PixelTarget& dst, const Rect& r);
void SoftFillSpansWithCoverage(const PixelTarget& dst, const ScanSpan* spans, int count, const Color& color,
                               const uint8_t* coverage, int coverageLeft, int coverageTop, int coverageStride);
void SoftLineBlend(const PixelTarget& dst, const Color& color, double x1, double y1, double x2, double y2);
void SoftLineAdd(const PixelTarget& dst, const Color& color, double x1, double y1, double x2, double y2);
void SoftSmoothLineBlend(const PixelTarget& dst, const Color& color, double x1, double y1, double x2,
                         double y2);

// ---- Blits. The source rectangle lies inside the source and its image at
// (x, y) inside the target.

// The normal blit. runTable (the source's alpha run table) selects the run
// path; it is used only with opaque white.
void SoftPutImageNormal(const PixelTarget& dst, int x, int y, const PixelSource& src, const Rect& srcRect,
                        const Color& color, const uint8_t* runTable);
void SoftPutImageAdditive(const PixelTarget& dst, int x, int y, const PixelSource& src, const Rect& srcRect,
                          const Color& color, bool srcHasTranslucent);

// Maps the destination rectangle cut by the clip back to a source area; false
// when nothing is visible.
bool ClipStretchRects(const Rect& dest, const Rect& src, const Rect& clip, Rect& clipped, DoubleRect& area);
// Nearest-pixel stretch of the source area onto R, with opaque white only.
void SoftStretchFast(const PixelTarget& dst, const Rect& R, const DoubleRect& area, const PixelSource& src);
// Filtered stretch; false when the source window is empty or the filter's
// buffers would not fit in 32-bit sizes (nothing drawn).
bool SoftStretchFiltered(const PixelTarget& dst, const Rect& R, const DoubleRect& area, const PixelSource& src);

// ---- Rotated blits.

// Box of the turned source rectangle cut by the clip, as (left, top, width,
// height); false when empty.
bool RotatedBlitBounds(const float* position, const Rect& src, const Rect& clip, double* bounds, float centerX,
                       float centerY, double angle);
// The bilinear resampler into 32-bit pixels with alpha: mode 0 normal, any
// other additive.
void SoftPutImageRotated(const PixelTarget& dst, const double* bounds, const PixelSource& src,
                         const Rect& srcRect, float x, float y, const Color& color, DrawMode mode, double angle,
                         float centerX, float centerY);

} // namespace Quib
