// Graphics: drawing one image into the destination.

#include "framework/core/TriangleVertex.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/LineSteppers.h"

#include <algorithm>
#include <cmath>

namespace Quib {

namespace {

Rect WholeImage(const Image* image) { return Rect(0, 0, image->width, image->height); }

// The overlap of d and the clip by edges; 0 x 0 when there is none.
Rect ClipByEdges(const Rect& d, const Rect& clip)
{
    const int64_t left = std::max<int64_t>(d.x, clip.x);
    const int64_t top = std::max<int64_t>(d.y, clip.y);
    const int64_t right = std::min<int64_t>(int64_t(d.x) + d.width, int64_t(clip.x) + clip.width);
    const int64_t bottom = std::min<int64_t>(int64_t(d.y) + d.height, int64_t(clip.y) + clip.height);
    if (right <= left || bottom <= top)
        return Rect(int32_t(left), int32_t(top), 0, 0);
    return Rect(int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top));
}

// Refuses a source reaching past the image's right or bottom edge, and cuts
// away the part of the source before its left or top edge, moving the
// destination corner (x, y) with it. A mirrored draw puts the cut columns on
// the right, so its x stays.
bool CutSource(const Image* image, Rect& source, int& x, int& y, bool mirrored)
{
    if (int64_t(source.x) + source.width > image->width || int64_t(source.y) + source.height > image->height)
        return false;
    if (source.x < 0) {
        if (!mirrored)
            x = int(int64_t(x) - source.x);
        source.width += source.x;
        source.x = 0;
    }
    if (source.y < 0) {
        y = int(int64_t(y) - source.y);
        source.height += source.y;
        source.y = 0;
    }
    return source.width > 0 && source.height > 0;
}

} // namespace

void Graphics::DrawImageAt(Image* image, int x, int y)
{
    if (!image)
        return;
    if (IsScaled()) {
        DrawImagePart(image, x, y, WholeImage(image));
        return;
    }
    const int dx = X(x), dy = Y(y);
    const Rect c = ClipByEdges(Rect(dx, dy, image->width, image->height), clipRect);
    if (c.width > 0 && c.height > 0)
        destImage->PutImage(image, c.x, c.y, Rect(c.x - dx, c.y - dy, c.width, c.height), ImageColor(), drawMode);
}

void Graphics::DrawImagePart(Image* image, int x, int y, const Rect& sourceRect)
{
    if (!image)
        return;
    Rect source = sourceRect;
    if (!CutSource(image, source, x, y, false))
        return;
    const int xi = X(x), yi = Y(y);
    if (IsScaled()) {
        const int dw = TruncToInt(std::ceil(float(source.width) * scaleX));
        const int dh = TruncToInt(std::ceil(float(source.height) * scaleY));
        const int dx = TruncToInt(std::floor((float(xi) - scaleOrigX) * scaleX) + scaleOrigX);
        const int dy = TruncToInt(std::floor((float(yi) - scaleOrigY) * scaleY) + scaleOrigY);
        destImage->PutImageStretched(image, Rect(dx, dy, dw, dh), source, clipRect, ImageColor(), drawMode,
                                     fastStretch);
        return;
    }
    const Rect c = ClipByEdges(Rect(xi, yi, source.width, source.height), clipRect);
    if (c.width > 0 && c.height > 0)
        destImage->PutImage(image, c.x, c.y, Rect(source.x + c.x - xi, source.y + c.y - yi, c.width, c.height),
                            ImageColor(), drawMode);
}

void Graphics::DrawImageMirrored(Image* image, int x, int y)
{
    if (image)
        DrawImageMirrored(image, x, y, WholeImage(image));
}

void Graphics::DrawImageMirrored(Image* image, int x, int y, const Rect& sourceRect)
{
    if (!image)
        return;
    Rect source = sourceRect;
    if (!CutSource(image, source, x, y, true))
        return;
    const Rect d(X(x), Y(y), source.width, source.height);
    const Rect c = ClipByEdges(d, clipRect);
    if (c.width > 0 && c.height > 0)
        destImage->PutImageMirrored(
            image, c.x, c.y,
            Rect(source.x + source.width + d.x - c.x - c.width, source.y + c.y - d.y, c.width, c.height),
            ImageColor(), drawMode);
}

void Graphics::DrawImageStretched(Image* image, const Rect& dest)
{
    if (image)
        DrawImageStretched(image, dest, WholeImage(image));
}

void Graphics::DrawImageStretched(Image* image, const Rect& dest, const Rect& source)
{
    if (!image)
        return;
    destImage->PutImageStretched(image, Rect(X(dest.x), Y(dest.y), dest.width, dest.height), source, clipRect,
                                 ImageColor(), drawMode, fastStretch);
}

void Graphics::DrawImageStretchedMirrored(Image* image, const Rect& dest, const Rect& source, bool mirror)
{
    if (!mirror) {
        DrawImageStretched(image, dest, source);
        return;
    }
    if (!image)
        return;
    destImage->PutImageStretchedMirrored(image, Rect(X(dest.x), Y(dest.y), dest.width, dest.height), source,
                                         clipRect, ImageColor(), drawMode, fastStretch);
}

void Graphics::DrawImageSubpixel(Image* image, float x, float y)
{
    if (image)
        DrawImagePartAtFloat(image, x, y, WholeImage(image));
}

void Graphics::DrawImagePartAtFloat(Image* image, float x, float y, const Rect& source)
{
    if (!image)
        return;
    destImage->PutImageSubpixel(image, transX + x, transY + y, source, clipRect, ImageColor(), drawMode);
}

void Graphics::DrawImagePartSubpixel(Image* image, float x, float y, const Rect& source)
{
    if (!image)
        return;
    const GraphicsState saved = *this; // the clip is scaled for the draw
    DrawTransform transform;
    transform.Translate(x + float(source.width) * 0.5f, y + float(source.height) * 0.5f);
    if (IsScaled()) {
        const float dx = scaleOrigX - transX, dy = scaleOrigY - transY;
        transform.Translate(-dx, -dy);
        transform.Scale(scaleX, scaleY);
        transform.Translate(dx, dy);
        clipRect.x = TruncToInt(scaleOrigX + (float(clipRect.x) - scaleOrigX) * scaleX);
        clipRect.y = TruncToInt(scaleOrigY + (float(clipRect.y) - scaleOrigY) * scaleY);
        clipRect.width = TruncToInt(float(clipRect.width) * scaleX) + 1;
        clipRect.height = TruncToInt(float(clipRect.height) * scaleY) + 1;
    }
    DrawImageWithTransform(image, transform, source, 0.0f, 0.0f, true);
    static_cast<GraphicsState&>(*this) = saved;
}

void Graphics::DrawImageRotatedAbout(Image* image, float x, float y, float centerX, float centerY,
                                     const Rect* source, double angle)
{
    if (!image)
        return;
    destImage->PutImageRotated(image, transX + x, transY + y, source ? *source : WholeImage(image), clipRect,
                               ImageColor(), drawMode, angle, centerX, centerY);
}

void Graphics::DrawImageWithTransform(Image* image, DrawTransform& t, const Rect& s, float x, float y,
                                      bool subpixel)
{
    if (!image)
        return;
    const float hw = float(s.width) * 0.5f, hh = float(s.height) * 0.5f;
    auto* dd = dynamic_cast<DDImage*>(destImage);
    if (t.matrixForm || (subpixel && dd && dd->IsRenderTarget())) {
        t.ToMatrix();
        destImage->PutImageMatrix(image, transX + x, transY + y, t.matrix, clipRect, ImageColor(), drawMode, s,
                                  smooth);
        return;
    }
    if (t.rotated) {
        float u = hw - t.preX, v = hh - t.preY;
        float cx = x + t.postX - u + 0.5f, cy = y + t.postY - v + 0.5f;
        if (!subpixel) {
            u = std::trunc(u);
            v = std::trunc(v);
            cx = std::trunc(cx);
            cy = std::trunc(cy);
        }
        DrawImageRotatedAbout(image, cx, cy, u, v, &s, t.angle);
        return;
    }
    if (t.scaled) {
        const float kx = t.scaleX, ky = t.scaleY;
        if (kx == -1.0f && ky == 1.0f) {
            DrawImageMirrored(image, TruncToInt(t.preX + x + t.postX - hw + 0.5f),
                              TruncToInt(t.preY + y + t.postY - hh + 0.5f), s);
            return;
        }
        // A mirrored box keeps its place and a positive width.
        const bool mirror = kx == -1.0f;
        const float ax = mirror ? 1.0f : kx;
        const Rect dest(TruncToInt(x + t.postX - ax * hw), TruncToInt(y + t.postY - ky * hh),
                        TruncToInt(2.0f * ax * hw), TruncToInt(2.0f * ky * hh));
        DrawImageStretchedMirrored(image, dest, s, mirror);
        return;
    }
    const float cx = t.preX + x + t.postX - hw + 0.5f, cy = t.preY + y + t.postY - hh + 0.5f;
    if (subpixel)
        DrawImagePartAtFloat(image, cx, cy, s);
    else
        DrawImagePart(image, TruncToInt(cx), TruncToInt(cy), s);
}

void Graphics::DrawImageWithTransformSmooth(Image* image, DrawTransform& transform, float x, float y)
{
    if (image)
        DrawImageWithTransform(image, transform, WholeImage(image), x, y, true);
}

void Graphics::DrawImageWithTransformRounded(Image* image, DrawTransform& transform, float x, float y)
{
    if (image)
        DrawImageWithTransform(image, transform, WholeImage(image), x, y, false);
}

namespace {

// Tiles of size `tile` needed to cover `length`; none for an empty run.
int TileCount(int length, int tile) { return tile > 0 && length > 0 ? int((int64_t(length) + tile - 1) / tile) : 0; }

// The tiles [first, last) of a run of `count` tiles, the first at the
// translated position `start`, that can reach the clip [clipFrom, clipTo).
// Culling is for unscaled integer draws only, where a tile outside the clip
// makes no image call anyway; it keeps a huge box from taking forever.
struct TileRange {
    int first, last;
};

TileRange VisibleTiles(bool cull, double start, int tile, int count, int clipFrom, int64_t clipTo)
{
    if (!cull || count == 0)
        return {0, count};
    constexpr double kSlack = 512; // more than float rounding moves a translated tile
    const double first = std::floor((clipFrom - kSlack - start) / tile);
    const double last = std::ceil((double(clipTo) + kSlack - start) / tile);
    return {int(std::clamp(first, 0.0, double(count))), int(std::clamp(last, 0.0, double(count)))};
}

// A box D cut from the source S by insets (left L, top T, right R, bottom
// B): corners once, edges and (with `centre`) the middle tiled, each run in
// a copy of g whose clip is narrowed to the run, so the last tile is cut to
// the box. put(graphics, x, y, source piece) draws one piece; with `cull`
// tiles wholly outside the clip are not offered to it.
template <class Put>
void DrawInsetBox(Graphics& g, const Rect& S, const Rect& D, int L, int T, int R, int B, bool centre, bool cull,
                  Put put)
{
    const int mw = S.width - L - R, mh = S.height - T - B;
    const int right = D.x + D.width - R, bottom = D.y + D.height - B;
    const int sourceRight = S.x + S.width - R, sourceBottom = S.y + S.height - B;
    put(g, D.x, D.y, Rect(S.x, S.y, L, T));
    put(g, right, D.y, Rect(sourceRight, S.y, R, T));
    put(g, D.x, bottom, Rect(S.x, sourceBottom, L, B));
    put(g, right, bottom, Rect(sourceRight, sourceBottom, R, B));

    // Without a middle of at least one pixel each way there is nothing to tile.
    const int columns = TileCount(D.width - L - R, mw);
    const int rows = TileCount(D.height - T - B, mh);
    const double startX = double(g.transX) + double(D.x) + L, startY = double(g.transY) + double(D.y) + T;
    auto columnsIn = [&](const Rect& clip) {
        return VisibleTiles(cull, startX, mw, columns, clip.x, int64_t(clip.x) + clip.width);
    };
    auto rowsIn = [&](const Rect& clip) {
        return VisibleTiles(cull, startY, mh, rows, clip.y, int64_t(clip.y) + clip.height);
    };
    {
        Graphics run(g);
        run.NarrowClip(D.x + L, D.y, D.width - L - R, D.height);
        const TileRange cols = columnsIn(run.clipRect);
        for (int k = cols.first; k < cols.last; ++k) {
            put(run, D.x + L + k * mw, D.y, Rect(S.x + L, S.y, mw, T));
            put(run, D.x + L + k * mw, bottom, Rect(S.x + L, sourceBottom, mw, B));
        }
    }
    {
        Graphics run(g);
        run.NarrowClip(D.x, D.y + T, D.width, D.height - T - B);
        const TileRange rws = rowsIn(run.clipRect);
        for (int k = rws.first; k < rws.last; ++k) {
            put(run, D.x, D.y + T + k * mh, Rect(S.x, S.y + T, L, mh));
            put(run, right, D.y + T + k * mh, Rect(sourceRight, S.y + T, R, mh));
        }
    }
    if (!centre)
        return;
    Graphics run(g);
    run.NarrowClip(D.x + L, D.y + T, D.width - L - R, D.height - T - B);
    const TileRange cols = columnsIn(run.clipRect), rws = rowsIn(run.clipRect);
    for (int j = cols.first; j < cols.last; ++j)
        for (int k = rws.first; k < rws.last; ++k)
            put(run, D.x + L + j * mw, D.y + T + k * mh, Rect(S.x + L, S.y + T, mw, mh));
}

} // namespace

void Graphics::DrawImageNineSlice(const Rect& D, Image* image)
{
    if (image)
        DrawImageNineSlice(D, WholeImage(image), image);
}

// Corners of a third of the source each way (rounded down).
void Graphics::DrawImageNineSlice(const Rect& D, const Rect& S, Image* image)
{
    if (image && S.width >= 1 && S.height >= 1)
        DrawImageFramed(S, D, image, Rect(S.width / 3, S.height / 3, S.width / 3, S.height / 3));
}

void Graphics::DrawImageNineSliceBorder(const Rect& S, const Rect& D, Image* image)
{
    if (!image || S.width < 1 || S.height < 1)
        return;
    const int cw = S.width / 3, ch = S.height / 3;
    DrawInsetBox(*this, S, D, cw, ch, cw, ch, false, false, [image](Graphics& g, int x, int y, const Rect& source) {
        g.DrawImagePartSubpixel(image, float(x), float(y), source);
    });
}

void Graphics::DrawImageNineSliceStretched(Image* image, const Rect& D)
{
    if (image)
        DrawImageNineSliceBorder(WholeImage(image), D, image);
}

void Graphics::DrawImageFramed(const Rect& S, const Rect& D, Image* image, const Rect& insets)
{
    if (!image)
        return;
    DrawInsetBox(*this, S, D, insets.x, insets.y, insets.width, insets.height, true, !IsScaled(),
                 [image](Graphics& g, int x, int y, const Rect& source) { g.DrawImagePart(image, x, y, source); });
}

void Graphics::DrawTexturedTriangle(Image* image, const TriangleVertex& a, const TriangleVertex& b,
                                    const TriangleVertex& c)
{
    const TriangleVertex corners[3] = {a, b, c};
    DrawTexturedTriangles(image, corners, 1);
}

void Graphics::DrawTexturedTriangles(Image* image, const TriangleVertex* vertices, int triangleCount)
{
    if (!image)
        return;
    destImage->PutTexturedTriangles(image, vertices, triangleCount, clipRect, ImageColor(), drawMode, transX, transY,
                                    smooth);
}

} // namespace Quib
