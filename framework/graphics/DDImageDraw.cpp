// The drawing rule of DDImage: the render target draws through the 3-D
// device (or a surface blit), an image that cannot be drawn on its surface
// draws with the MemoryImage code on its bits, and otherwise the locked
// surface is drawn into and becomes the only copy of the pixels.

#include "framework/core/ScanSpan.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageDisplay.h"
#include "framework/graphics/LineSteppers.h"
#include "framework/graphics/SoftwareRender.h"
#include "framework/graphics/TriangleRasterizer.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace Quib {

namespace {

// Locks the surface and hands it to draw as a rasterizer target (when the
// rasterizer can write its layout); false when it could not be locked.
template <class Draw>
bool RasterizeIntoSurface(DDImage& image, Draw&& draw)
{
    if (image.noSurfaceAccess || !image.EnsureSurface() || !image.AcquireSurfaceLock())
        return false;
    PixelBuffer target = PixelBuffer::FromSurface(image.lockDesc);
    target.format.alphaMask = 0; // surface pixels are drawn opaque
    if (RasterizerCanDrawInto(target.format))
        draw(target);
    image.ReleaseSurfaceLock();
    return true;
}

} // namespace

bool DDImage::DrawsInSoftware(bool keyExempt) const
{
    return softwareOnly || hasAlpha || (hasTrans && !(keyExempt && colorKeyFromFirstPixel)) || In3DMode();
}

void DDImage::FinishSurfaceDraw()
{
    // Without a surface the memory copies are all there is. With one, it
    // alone holds the new picture: textures made before are out of date.
    if (surface) {
        DropMemoryCopies();
        ReleaseTextures();
    }
}

bool DDImage::BlitSurface(DDImage* source, const SurfaceRect& dest, const SurfaceRect& src, bool* relocked)
{
    if (!source || !source->surface || (source->hasTrans && source->keyUnavailable) || !EnsureSurface())
        return false;
    const uint32_t flags = DDBLT_WAIT | (source->hasTrans ? uint32_t(DDBLT_KEYSRC) : 0u);
    if (lockCount > 0)
        surface->Unlock();
    surface->Blt(&dest, source->surface, &src, flags);
    const bool locked = lockCount == 0 || Succeeded(surface->Lock(&lockDesc, DDLOCK_WAIT));
    if (relocked)
        *relocked = locked;
    return true;
}

// ---- Untextured drawing

bool DDImage::TryFillPolygon(const Point* vertices, int count, const Rect& clip, const Color& color, DrawMode mode,
                             int tx, int ty)
{
    if (!IsRenderTarget() || !display->d3d)
        return false;
    display->d3d->FillPoly(vertices, count, &clip, color, mode, tx, ty);
    return true;
}

void DDImage::FillRectangle(const Rect& rect, const Color& color, DrawMode mode)
{
    if (IsRenderTarget()) {
        if (display->d3d)
            display->d3d->FillRect(rect, color, mode);
        return;
    }
    ApplyBitsChange();
    if (DrawsInSoftware(true)) {
        MemoryImage::FillRectangle(rect, color, mode);
        return;
    }
    if (mode == DRAWMODE_NORMAL)
        SurfaceFillRectangle(rect, color);
    else if (mode == DRAWMODE_ADDITIVE)
        SurfaceFillRectangleAdditive(rect, color);
    FinishSurfaceDraw();
}

namespace {

// Horizontal and vertical lines are rectangle fills; false for others.
bool AxisLineRect(double x1, double y1, double x2, double y2, Rect& r)
{
    if (y1 == y2) {
        const int left = TruncToInt(std::min(x1, x2));
        r = Rect(left, TruncToInt(y1), TruncToInt(std::max(x1, x2)) - left + 1, TruncToInt(y2 - y1 + 1));
        return true;
    }
    if (x1 == x2) {
        const int top = TruncToInt(std::min(y1, y2));
        r = Rect(TruncToInt(x1), top, TruncToInt(x2 - x1 + 1), TruncToInt(std::max(y1, y2)) - top + 1);
        return true;
    }
    return false;
}

} // namespace

void DDImage::DrawLine(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode, bool smooth)
{
    if (IsRenderTarget()) {
        // The render target draws no anti-aliased lines of its own.
        if (display->d3d)
            display->d3d->DrawLine(color, mode, x1, y1, x2, y2);
        return;
    }
    if (DrawsInSoftware(false)) {
        if (smooth)
            MemoryImage::DrawSmoothLineSegment(x1, y1, x2, y2, color, mode);
        else
            MemoryImage::DrawLineSegment(x1, y1, x2, y2, color, mode);
        return;
    }
    Rect r;
    if (AxisLineRect(x1, y1, x2, y2, r)) {
        FillRectangle(r, color, mode);
        return;
    }
    if (mode == DRAWMODE_NORMAL || mode == DRAWMODE_NORMAL_COLOR) {
        ApplyBitsChange();
        if (smooth)
            SurfaceDrawSmoothLine(x1, y1, x2, y2, color);
        else
            SurfaceDrawLine(x1, y1, x2, y2, color);
    } else if (mode == DRAWMODE_ADDITIVE) {
        ApplyBitsChange();
        if (smooth)
            SurfaceDrawSmoothLineAdditive(x1, y1, x2, y2, color);
        else
            SurfaceDrawLineAdditive(x1, y1, x2, y2, color);
    }
    FinishSurfaceDraw();
}

void DDImage::DrawLineSegment(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode)
{
    DrawLine(x1, y1, x2, y2, color, mode, false);
}

void DDImage::DrawSmoothLineSegment(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode)
{
    DrawLine(x1, y1, x2, y2, color, mode, true);
}

void DDImage::FillSpansWithCoverage(const ScanSpan* spans, int count, const Color& color, DrawMode mode,
                                    const uint8_t* coverage, int coverageLeft, int coverageTop, int coverageStride)
{
    if (count <= 0 || !spans)
        return;
    if (IsRenderTarget()) {
        // Work on a copy: the caller's spans stay as they were.
        std::vector<ScanSpan> local(spans, spans + count);
        int64_t left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
        for (const ScanSpan& s : local) {
            left = std::min<int64_t>(left, s.x);
            top = std::min<int64_t>(top, s.y);
            right = std::max<int64_t>(right, int64_t(s.x) + s.length - 1);
            bottom = std::max<int64_t>(bottom, s.y);
        }
        // Only the part on this image is drawn: the scratch image is no
        // larger (its own fill cuts the spans to it).
        left = std::max<int64_t>(left, 0);
        top = std::max<int64_t>(top, 0);
        right = std::min<int64_t>(right, int64_t(width) - 1);
        bottom = std::min<int64_t>(bottom, int64_t(height) - 1);
        const int64_t w = right - left + 1, h = bottom - top + 1;
        if (w <= 0 || h <= 0 || ImagePixelCount(w, h) < 0)
            return;
        for (ScanSpan& s : local) {
            s.x -= int32_t(left);
            s.y -= int32_t(top);
        }
        MemoryImage scratch(nullptr);
        scratch.Resize(int(w), int(h));
        scratch.MemoryImage::FillSpansWithCoverage(local.data(), count, color, mode, coverage,
                                                   coverageLeft - int(left), coverageTop - int(top),
                                                   coverageStride);
        PutImage(&scratch, int(left), int(top), Rect(0, 0, int(w), int(h)), Color::White, mode);
        return;
    }
    SurfaceFillSpansWithCoverage(*this, spans, count, color, coverage, coverageLeft, coverageTop, coverageStride);
    FinishSurfaceDraw();
}

// ---- Image copies

void DDImage::RenderTargetPutImage(Image* source, int x, int y, const Rect& sr, const Color& color, DrawMode mode)
{
    D3DInterface* d3d = display->d3d;
    if (!d3d)
        return;
    auto* ddSource = dynamic_cast<DDImage*>(source);
    if (ddSource && ddSource->surface && !d3d->HasTransform() && mode == DRAWMODE_NORMAL && color.IsOpaqueWhite() &&
        !ddSource->hasAlpha &&
        BlitSurface(ddSource, {x, y, x + sr.width, y + sr.height}, {sr.x, sr.y, sr.x + sr.width, sr.y + sr.height}))
        return;
    if (d3d->HasTransform()) {
        d3d->BltTransformed(color, sr, source, nullptr, mode, Matrix3x3::Translation(float(x), float(y)), true,
                            0.0f, 0.0f, false);
        return;
    }
    auto* texture = dynamic_cast<MemoryImage*>(source);
    if (texture && d3d->PrepareTexture(texture, mode, false))
        d3d->DrawTexturePieces(texture, x, y, sr, color);
}

void DDImage::PutImage(Image* source, int x, int y, const Rect& sourceRect, const Color& color, DrawMode mode)
{
    if (!source)
        return;
    source->drawn = true;
    ApplyBitsChange();
    if (IsRenderTarget()) {
        RenderTargetPutImage(source, x, y, sourceRect, color, mode);
        return;
    }
    const bool cursorArea =
        display && (this == display->cursorAreaImages[0] || this == display->cursorAreaImages[1]);
    if (softwareOnly || hasAlpha || (hasTrans && !colorKeyFromFirstPixel) || (In3DMode() && !cursorArea)) {
        MemoryImage::PutImage(source, x, y, sourceRect, color, mode);
        return;
    }
    if (mode == DRAWMODE_NORMAL)
        SurfacePutImage(source, x, y, sourceRect, color);
    else if (mode == DRAWMODE_ADDITIVE)
        SurfacePutImageAdditive(source, x, y, sourceRect, color);
    FinishSurfaceDraw();
}

void DDImage::PutImageSubpixel(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                               const Color& color, DrawMode mode)
{
    if (!source)
        return;
    source->drawn = true;
    if (!IsRenderTarget()) {
        PutImageRotated(source, x, y, sourceRect, clip, color, mode, 0.0, 0.0f, 0.0f);
        return;
    }
    D3DInterface* d3d = display->d3d;
    if (!d3d)
        return;
    const double visibleW =
        std::max(0.0, std::min<double>(x + sourceRect.width, double(clip.x) + clip.width) - std::max<double>(x, clip.x));
    const double visibleH = std::max(
        0.0, std::min<double>(y + sourceRect.height, double(clip.y) + clip.height) - std::max<double>(y, clip.y));
    if (visibleW <= 0 || visibleH <= 0)
        return;
    if (visibleW < sourceRect.width || visibleH < sourceRect.height) {
        d3d->BltTransformed(color, sourceRect, source, &clip, mode, Matrix3x3::Translation(x, y), true, 0.0f, 0.0f,
                            false);
        return;
    }
    if (d3d->HasTransform()) {
        d3d->BltTransformed(color, sourceRect, source, nullptr, mode, Matrix3x3::Translation(x, y), true, 0.0f,
                            0.0f, false);
        return;
    }
    auto* texture = dynamic_cast<MemoryImage*>(source);
    if (texture && d3d->PrepareTexture(texture, mode, true))
        d3d->TextureBlt(texture, x, y, sourceRect, color);
}

void DDImage::PutImageRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                              const Color& color, DrawMode mode, double angle, float centerX, float centerY)
{
    if (!source)
        return;
    source->drawn = true;
    if (noSurfaceAccess)
        return;
    ApplyBitsChange();
    if (IsRenderTarget()) {
        if (!display->d3d)
            return;
        const float a = float(angle);
        Matrix3x3 turn;
        turn.m[0][0] = std::cos(a);
        turn.m[0][1] = std::sin(a);
        turn.m[1][0] = -std::sin(a);
        turn.m[1][1] = std::cos(a);
        const Matrix3x3 m = Matrix3x3::Product(Matrix3x3::Product(Matrix3x3::Translation(x + centerX, y + centerY),
                                                                  turn),
                                               Matrix3x3::Translation(-centerX, -centerY));
        display->d3d->BltTransformed(color, sourceRect, source, &clip, mode, m, true, 0.0f, 0.0f, false);
        return;
    }
    if (DrawsInSoftware(true)) {
        MemoryImage::PutImageRotated(source, x, y, sourceRect, clip, color, mode, angle, centerX, centerY);
        return;
    }
    const float position[2] = {x, y};
    double bounds[4];
    if (!RotatedBlitBounds(position, sourceRect, clip, bounds, centerX, centerY, angle))
        return;
    auto* texture = dynamic_cast<MemoryImage*>(source);
    if (!texture) {
        FinishSurfaceDraw();
        return;
    }
    texture->ApplyBitsChange();
    if (!AcquireSurfaceLock())
        return;
    RotateIntoSurface(texture, bounds, sourceRect, x, y, color, mode, angle, centerX, centerY);
    ReleaseSurfaceLock();
    FinishSurfaceDraw();
}

void DDImage::PutImageStretched(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clip,
                                const Color& color, DrawMode mode, bool fast)
{
    if (!source)
        return;
    source->drawn = true;
    ApplyBitsChange();
    auto* texture = dynamic_cast<MemoryImage*>(source);
    if (IsRenderTarget()) {
        D3DInterface* d3d = display->d3d;
        if (!d3d || !texture || sourceRect.width == 0 || sourceRect.height == 0)
            return;
        Matrix3x3 m = Matrix3x3::Product(Matrix3x3::Translation(float(destRect.x), float(destRect.y)),
                                         Matrix3x3::Scaling(float(destRect.width) / float(sourceRect.width),
                                                            float(destRect.height) / float(sourceRect.height)));
        if (!d3d->PrepareTexture(texture, mode, !fast || d3d->HasTransform()))
            return;
        if (d3d->HasTransform())
            m = Matrix3x3::Product(d3d->TopTransform(), m);
        d3d->TextureBltTransformed(texture, m, color, sourceRect, clip, 0.0f, 0.0f, false);
        return;
    }
    if (!fast && (softwareOnly || hasAlpha || hasTrans || In3DMode())) {
        MemoryImage::PutImageStretched(source, destRect, sourceRect, clip, color, mode, false);
        return;
    }
    Rect R;
    DoubleRect area;
    if (!ClipStretchRects(destRect, sourceRect, clip, R, area))
        return;
    if (fast) {
        auto* ddSource = dynamic_cast<DDImage*>(source);
        bool relocked = false;
        if (ddSource && color.IsOpaqueWhite() && mode == DRAWMODE_NORMAL && !ddSource->hasAlpha && ddSource->EnsureSurface() &&
            BlitSurface(ddSource, {R.x, R.y, R.x + R.width, R.y + R.height},
                        {TruncToInt(area.x), TruncToInt(area.y), TruncToInt(area.x + area.width),
                         TruncToInt(area.y + area.height)},
                        &relocked)) {
            if (relocked)
                FinishSurfaceDraw();
            return;
        }
        if (!texture || noSurfaceAccess)
            return;
        if (StretchIntoSurface(texture, R, area, color, mode, false))
            FinishSurfaceDraw();
        return;
    }
    if (!texture)
        return;
    MemoryImage scratch(nullptr);
    scratch.Resize(R.width, R.height);
    if (!scratch.StretchFiltered(texture, Rect(0, 0, R.width, R.height), area))
        return;
    // The filter leaves colour weighted by its coverage in the scratch
    // picture, and the blit weights it by alpha again: turn it back into
    // plain colour first, the exact inverse of the blit's premultiplication,
    // so the surface gets what the filter gives on bits.
    if (uint32_t* words = scratch.Pixels())
        FromDisplayCopyPixels(words, words, size_t(R.width) * size_t(R.height), PixelFormat::Argb32(true));
    scratch.NotePixelsEdited();
    PutImage(&scratch, R.x, R.y, Rect(0, 0, R.width, R.height), color, mode);
    FinishSurfaceDraw();
}

void DDImage::PutImageMatrix(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clip,
                             const Color& color, DrawMode mode, const Rect& sourceRect, int smooth)
{
    if (!source)
        return;
    source->drawn = true;
    if (IsRenderTarget()) {
        D3DInterface* d3d = display->d3d;
        auto* texture = dynamic_cast<MemoryImage*>(source);
        if (!d3d || !texture || !d3d->PrepareTexture(texture, mode, smooth != 0 || d3d->HasTransform()))
            return;
        Matrix3x3 m = Matrix3x3::Product(Matrix3x3::Product(Matrix3x3::Translation(x, y), matrix),
                                         Matrix3x3::Translation(-float(sourceRect.width) / 2.0f,
                                                                -float(sourceRect.height) / 2.0f));
        if (d3d->HasTransform())
            m = Matrix3x3::Product(d3d->TopTransform(), m);
        d3d->TextureBltTransformed(texture, m, color, sourceRect, clip, 0.0f, 0.0f, false);
        return;
    }
    if (RasterizeIntoSurface(*this, [&](const PixelBuffer& target) {
            RasterizeImageQuad(source, x, y, matrix, clip, color, sourceRect, target, smooth != 0);
        }))
        FinishSurfaceDraw();
}

void DDImage::PutTexturedTriangles(Image* source, const TriangleVertex* vertices, int triangleCount,
                                   const Rect& clip, const Color& color, DrawMode mode, float x, float y, int smooth)
{
    if (source)
        source->drawn = true;
    if (IsRenderTarget()) {
        if (display->d3d)
            display->d3d->Blt(vertices, triangleCount, color, mode, source, x, y, smooth != 0);
        return;
    }
    if (RasterizeIntoSurface(*this, [&](const PixelBuffer& target) {
            RasterizeTriangleList(source, vertices, triangleCount, clip, color, target, x, y, smooth != 0);
        }))
        FinishSurfaceDraw();
}

void DDImage::PutImageMirrored(Image* source, int x, int y, const Rect& sourceRect, const Color& color,
                               DrawMode mode)
{
    if (!source)
        return;
    ApplyBitsChange();
    if (IsRenderTarget()) {
        if (display->d3d)
            display->d3d->PutImageMirrored(source, float(x), float(y), sourceRect, color, mode);
        return;
    }
    if (mode == DRAWMODE_NORMAL)
        SurfacePutImageMirrored(source, x, y, sourceRect, color);
    else if (mode == DRAWMODE_ADDITIVE)
        SurfacePutImageMirroredAdditive(source, x, y, sourceRect, color);
    FinishSurfaceDraw();
}

void DDImage::PutImageStretchedMirrored(Image* source, const Rect& destRect, const Rect& sourceRect,
                                        const Rect& clip, const Color& color, DrawMode mode, bool fast)
{
    if (!source)
        return;
    source->drawn = true;
    ApplyBitsChange();
    if (IsRenderTarget()) {
        if (display->d3d)
            display->d3d->PutImageStretchedMirrored(source, destRect, sourceRect, clip, color, mode, fast, true);
        return;
    }
    const Rect visible = destRect.Intersection(clip);
    if (visible.width <= 0 || visible.height <= 0 || destRect.width <= 0 || destRect.height <= 0)
        return;
    const double sx = double(sourceRect.width) / destRect.width, sy = double(sourceRect.height) / destRect.height;
    const double destRight = double(destRect.x) + destRect.width, visibleRight = double(visible.x) + visible.width;
    const DoubleRect area(sx * (destRight - visibleRight) + sourceRect.x,
                          sy * (visible.y - destRect.y) + sourceRect.y,
                          sourceRect.width + sx * (visible.width - destRect.width),
                          sourceRect.height + sy * (visible.height - destRect.height));
    if (!(area.width > 0) || !(area.height > 0))
        return;
    if (auto* texture = dynamic_cast<MemoryImage*>(source)) {
        if (noSurfaceAccess || !StretchIntoSurface(texture, visible, area, color, mode, true))
            return;
    }
    FinishSurfaceDraw();
}

} // namespace Quib
