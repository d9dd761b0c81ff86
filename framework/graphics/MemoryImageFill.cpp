// MemoryImage fills, lines and spans, and the two Image operations built on
// FillRectangle.

#include "framework/core/ScanSpan.h"
#include "framework/graphics/LineSteppers.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/MemoryImagePixels.h"

#include <algorithm>
#include <cmath>

namespace Quib {

void Image::OutlineRectangle(const Rect& r, const Color& color, DrawMode mode)
{
    FillRectangle(Rect(r.x, r.y, r.width + 1, 1), color, mode);
    FillRectangle(Rect(r.x, r.y + r.height, r.width + 1, 1), color, mode);
    FillRectangle(Rect(r.x, r.y + 1, 1, r.height - 1), color, mode);
    FillRectangle(Rect(r.x + r.width, r.y + 1, 1, r.height - 1), color, mode);
}

void Image::FillSpans(const ScanSpan* spans, int count, const Color& color, DrawMode mode)
{
    if (!spans)
        return;
    for (int i = 0; i < count; ++i)
        FillRectangle(Rect(spans[i].x, spans[i].y, spans[i].length, 1), color, mode);
}

void MemoryImage::FillRectangle(const Rect& rect, const Color& color, DrawMode)
{
    PixelTarget t;
    if (!TargetPixels(*this, t))
        return;
    SoftFillRect(t, CutToPicture(rect, width, height), color);
    NotePixelsEdited();
}

void MemoryImage::ClearRectangle(const Rect& rect)
{
    PixelTarget t;
    if (!TargetPixels(*this, t))
        return;
    SoftClearRect(t, CutToPicture(rect, width, height));
    NotePixelsEdited();
}

void MemoryImage::FillSpansWithCoverage(const ScanSpan* spans, int count, const Color& color, DrawMode,
                                        const uint8_t* coverage, int coverageLeft, int coverageTop,
                                        int coverageStride)
{
    PixelTarget t;
    if (!spans || !coverage || !TargetPixels(*this, t))
        return;
    // Spans are cut to the picture one at a time; the coverage position
    // follows the pixel position.
    for (int i = 0; i < count; ++i) {
        const Rect cut = CutToPicture(Rect(spans[i].x, spans[i].y, spans[i].length, 1), width, height);
        if (cut.width <= 0 || cut.height <= 0)
            continue;
        const ScanSpan span{cut.y, cut.x, cut.width};
        SoftFillSpansWithCoverage(t, &span, 1, color, coverage, coverageLeft, coverageTop, coverageStride);
    }
    NotePixelsEdited();
}

namespace {

// The axis-aligned lines as rectangles: columns lo .. hi of one row (or rows
// of one column), cut to an int range.
Rect AxisLineRect(int64_t x, int64_t y, int64_t w, int64_t h)
{
    auto cut = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); };
    return Rect(cut(x), cut(y), cut(w), cut(h));
}

} // namespace

void MemoryImage::DrawLineSegment(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode)
{
    if (y1 == y2) {
        const int64_t lo = TruncToInt(std::min(x1, x2)), hi = TruncToInt(std::max(x1, x2));
        FillRectangle(AxisLineRect(lo, TruncToInt(y1), hi - lo + 1, TruncToInt(y2 - y1 + 1)), color, mode);
        return;
    }
    if (x1 == x2) {
        const int64_t lo = TruncToInt(std::min(y1, y2)), hi = TruncToInt(std::max(y1, y2));
        FillRectangle(AxisLineRect(TruncToInt(x1), lo, 1, hi - lo + 1), color, mode);
        return;
    }
    if (mode == DRAWMODE_NORMAL)
        DrawLineBlend(this, color, x1, y1, x2, y2);
    else if (mode == DRAWMODE_ADDITIVE)
        DrawLineAdd(this, color, x1, y1, x2, y2);
    NotePixelsEdited();
}

void MemoryImage::DrawSmoothLineSegment(double x1, double y1, double x2, double y2, const Color& color,
                                        DrawMode mode)
{
    if (y1 == y2 || x1 == x2) {
        // The same rectangles as the plain line.
        MemoryImage::DrawLineSegment(x1, y1, x2, y2, color, mode);
        return;
    }
    // An additive anti-aliased line draws nothing.
    if (mode == DRAWMODE_NORMAL)
        DrawSmoothLineBlend(this, color, x1, y1, x2, y2);
    NotePixelsEdited();
}

void MemoryImage::DrawLineBlend(MemoryImage* image, const Color& color, double x1, double y1, double x2, double y2)
{
    PixelTarget t;
    if (TargetPixels(*image, t))
        SoftLineBlend(t, color, x1, y1, x2, y2);
}

void MemoryImage::DrawLineAdd(MemoryImage* image, const Color& color, double x1, double y1, double x2, double y2)
{
    PixelTarget t;
    if (TargetPixels(*image, t))
        SoftLineAdd(t, color, x1, y1, x2, y2);
}

void MemoryImage::DrawSmoothLineBlend(MemoryImage* image, const Color& color, double x1, double y1, double x2,
                                      double y2)
{
    PixelTarget t;
    if (!TargetPixels(*image, t))
        return;
    SoftSmoothLineBlend(t, color, x1, y1, x2, y2);
    image->NotePixelsEdited();
}

} // namespace Quib
