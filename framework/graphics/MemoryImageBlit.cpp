// MemoryImage blits: the plain blit in its normal and additive forms, the
// stretched blits and the textured triangles.

#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/MemoryImagePixels.h"
#include "framework/graphics/TriangleRasterizer.h"
#include "platform/MessageSink.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace Quib {

namespace {

// Cuts the source rectangle placed at (x, y) to both pictures; false when
// nothing is left.
bool CutBlit(const MemoryImage& dst, const MemoryImage& src, int& x, int& y, Rect& s)
{
    const Rect inSource = CutToPicture(s, src.width, src.height);
    int64_t nx = int64_t(x) + (inSource.x - s.x), ny = int64_t(y) + (inSource.y - s.y);
    const Rect placed(int32_t(std::clamp<int64_t>(nx, INT32_MIN / 2, INT32_MAX / 2)),
                      int32_t(std::clamp<int64_t>(ny, INT32_MIN / 2, INT32_MAX / 2)), inSource.width,
                      inSource.height);
    const Rect inDest = CutToPicture(placed, dst.width, dst.height);
    if (inDest.width <= 0 || inDest.height <= 0)
        return false;
    s = Rect(inSource.x + (inDest.x - placed.x), inSource.y + (inDest.y - placed.y), inDest.width,
             inDest.height);
    x = inDest.x;
    y = inDest.y;
    return true;
}

// Copies the source pixels the stretch of `area` reads (with one pixel of
// margin where the picture has it) into `out`, each channel multiplied by
// the colour's; `outArea` is `area` in the copy's coordinates.
bool TintedWindow(MemoryImage& src, const DoubleRect& area, const Color& color, MemoryImage& out,
                  DoubleRect& outArea)
{
    PixelSource s;
    if (!SourcePixels(src, s))
        return false;
    const int x0 = std::clamp(int(std::floor(area.x)), 0, s.width);
    const int y0 = std::clamp(int(std::floor(area.y)), 0, s.height);
    const int x1 = std::clamp(int(std::ceil(area.x + area.width)) + 1, x0, s.width);
    const int y1 = std::clamp(int(std::ceil(area.y + area.height)) + 1, y0, s.height);
    const int w = x1 - x0, h = y1 - y0;
    if (w <= 0 || h <= 0)
        return false;
    auto words = std::make_unique<uint32_t[]>(size_t(w) * size_t(h) + 1);
    const uint32_t ca = uint32_t(color.alpha), cr = uint32_t(color.red), cg = uint32_t(color.green),
                   cb = uint32_t(color.blue);
    auto scale = [](uint32_t v, uint32_t k) { return (v * k + 127) / 255; };
    for (int y = 0; y < h; ++y) {
        uint32_t* row = words.get() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x) {
            const uint32_t p = s.At(x0 + x, y0 + y);
            row[x] = (scale(p >> 24, ca) << 24) | (scale((p >> 16) & 0xFF, cr) << 16) |
                     (scale((p >> 8) & 0xFF, cg) << 8) | scale(p & 0xFF, cb);
        }
    }
    out.AdoptPixels(std::move(words), w, h, true);
    outArea = DoubleRect(area.x - x0, area.y - y0, area.width, area.height);
    return true;
}

} // namespace

void MemoryImage::PutImage(Image* source, int x, int y, const Rect& sourceRect, const Color& color, DrawMode mode)
{
    if (!source)
        return;
    source->drawn = true;
    auto* src = dynamic_cast<MemoryImage*>(source);
    if (!src || (mode != DRAWMODE_NORMAL && mode != DRAWMODE_ADDITIVE))
        return;
    if (mode == DRAWMODE_NORMAL)
        PutImageNormal(src, x, y, sourceRect, color);
    else
        PutImageAdditive(src, x, y, sourceRect, color);
    NotePixelsEdited();
}

void MemoryImage::PutImageNormal(MemoryImage* source, int x, int y, const Rect& sourceRect, const Color& color)
{
    PixelTarget t;
    PixelSource s;
    Rect r = sourceRect;
    if (!CutBlit(*this, *source, x, y, r) || !TargetPixels(*this, t))
        return;
    // Run path: this image taken as opaque and a plain colour.
    const uint8_t* runs = nullptr;
    if (!hasTrans && !hasAlpha && color.IsOpaqueWhite())
        runs = source->GetAlphaRunTable();
    if (!SourcePixels(*source, s))
        return;
    SoftPutImageNormal(t, x, y, s, r, color, runs);
}

void MemoryImage::PutImageAdditive(MemoryImage* source, int x, int y, const Rect& sourceRect, const Color& color)
{
    PixelTarget t;
    PixelSource s;
    Rect r = sourceRect;
    if (!CutBlit(*this, *source, x, y, r) || !TargetPixels(*this, t) || !SourcePixels(*source, s))
        return;
    SoftPutImageAdditive(t, x, y, s, r, color, source->hasAlpha);
}

void MemoryImage::PutImageStretched(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clip,
                                    const Color& color, DrawMode, bool fast)
{
    if (!source)
        return;
    source->drawn = true;
    auto* src = dynamic_cast<MemoryImage*>(source);
    if (!src)
        return;
    Rect R;
    DoubleRect area;
    if (!ClipStretchRects(destRect, sourceRect, clip, R, area))
        return;
    // The clip lies inside the picture for every caller; cut to it all the
    // same, keeping the area mapping.
    const Rect inside = CutToPicture(R, width, height);
    if (inside != R) {
        if (inside.width <= 0 || inside.height <= 0)
            return;
        const double fx = area.width / R.width, fy = area.height / R.height;
        area = DoubleRect(area.x + (inside.x - R.x) * fx, area.y + (inside.y - R.y) * fy, inside.width * fx,
                          inside.height * fy);
        R = inside;
    }
    if (!color.IsOpaqueWhite()) {
        // The stretches draw untinted: stretch a tinted copy of the source
        // window instead. The tint scales each channel, so it commutes with
        // the filter's weighted sums.
        MemoryImage tinted(nullptr);
        DoubleRect windowArea;
        if (!TintedWindow(*src, area, color, tinted, windowArea))
            return;
        if (fast)
            StretchFast(&tinted, R, windowArea, Color::White);
        else if (!StretchFiltered(&tinted, R, windowArea))
            return;
        NotePixelsEdited();
        return;
    }
    if (fast) {
        StretchFast(src, R, area, color);
    } else if (!StretchFiltered(src, R, area)) {
        return;
    }
    NotePixelsEdited();
}

void MemoryImage::StretchFast(MemoryImage* source, const Rect& R, const DoubleRect& area, const Color& color)
{
    // Only opaque white is drawn by this path.
    if (!color.IsOpaqueWhite())
        return;
    PixelTarget t;
    PixelSource s;
    if (!TargetPixels(*this, t) || !SourcePixels(*source, s, false))
        return;
    SoftStretchFast(t, R, area, s);
}

bool MemoryImage::StretchFiltered(MemoryImage* source, const Rect& R, const DoubleRect& area)
{
    PixelTarget t;
    PixelSource s;
    if (!TargetPixels(*this, t) || !SourcePixels(*source, s))
        return false;
    if (source == this) {
        // The filter reads its whole source window before writing.
        MemoryImage copy(*source);
        PixelSource cs;
        return SourcePixels(copy, cs) && SoftStretchFiltered(t, R, area, cs);
    }
    if (SoftStretchFiltered(t, R, area, s))
        return true;
    // Either the source window is empty or the filter's buffers would not
    // have 32-bit sizes; only the second is worth a line.
    if (uint64_t(R.width + 4) * uint64_t(R.height + 4) * 16 > 0xFFFFFFFFu)
        OutputDebugString("StretchFiltered: destination too large for the filter, nothing drawn\n");
    return false;
}

void MemoryImage::PutTexturedTriangles(Image* source, const TriangleVertex* vertices, int triangleCount,
                                       const Rect& clip, const Color& color, DrawMode, float x, float y, int smooth)
{
    if (!source)
        return;
    source->drawn = true;
    const PixelBuffer target = BitsBuffer();
    if (!target.bits)
        return;
    PutTriangleList(source, vertices, triangleCount, clip, color, x, y, smooth, target);
    NotePixelsEdited();
}

void MemoryImage::PutTriangleList(Image* source, const TriangleVertex* vertices, int triangleCount,
                                  const Rect& clip, const Color& color, float x, float y, int smooth,
                                  const PixelBuffer& target)
{
    if (!target.bits)
        return;
    RasterizeTriangleList(source, vertices, triangleCount, clip, color, target, x, y, smooth != 0);
}

PixelFormatCode MemoryImage::RasterFormat() const
{
    return forced && !hasTrans && !hasAlpha ? PIXEL_FORMAT_888 : PIXEL_FORMAT_8888;
}

PixelBuffer MemoryImage::BitsBuffer()
{
    PixelBuffer buffer;
    buffer.bits = reinterpret_cast<uint8_t*>(Pixels());
    buffer.pitch = width * 4;
    buffer.width = width;
    buffer.height = height;
    buffer.format = PixelFormat::FromRasterCode(RasterFormat());
    return buffer;
}

} // namespace Quib
