#pragma once
#include "framework/core/PixelFormat.h"
#include "framework/core/TriangleVertex.h"
#include "framework/raster/TriangleFiller.h"

#include <cstdint>

namespace Quib {

// A texture as the rasterizer reads it: 0xAARRGGBB words, width per row,
// with the image's current transparency flags.
struct RasterTexture {
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    bool hasTransparent = false;
    bool hasTranslucent = false;
};

// Draws the count corners as a triangle strip (corners 0-1-2, 1-3-2,
// 2-3-4, ...), each triangle cut to the clip rectangle (x, y, width,
// height) and to the destination, whose pitch must be a whole number of
// pixels; it is drawn in its format's layout word, 32-bit blue-green-red
// pixels as red-green-blue ones in their own order (PIXEL_FORMAT_8888 when
// the format has none). texture null draws untextured. Nothing outside both
// is ever changed.
void RasterizeTriangleStrip(const TriangleVertex* corners, int count, const RasterTexture* texture,
                            const FillerColor& colour, int clipX, int clipY, int clipWidth, int clipHeight,
                            const PixelBuffer& target, bool smooth, bool vertexColours);

// Triangles drawn one by one with one texture, colour, clip and
// destination: what RasterizeTriangleStrip works out once per call is worked
// out once here, and each Draw draws its triangle exactly as a strip of its
// three corners would. A triangle wholly inside the clip skips the cut.
class TriangleBatch {
public:
    TriangleBatch(const RasterTexture* texture, const FillerColor& colour, int clipX, int clipY, int clipWidth,
                  int clipHeight, const PixelBuffer& target, bool smooth);

    void Draw(const TriangleVertex& a, const TriangleVertex& b, const TriangleVertex& c, bool vertexColours);

    // Every triangle through the general cut, even one wholly inside the
    // clip: the plain route that the shortcut matches.
    bool alwaysCut = false;

private:
    friend void RasterizeTriangleStrip(const TriangleVertex*, int, const RasterTexture*, const FillerColor&, int,
                                       int, int, int, const PixelBuffer&, bool, bool);
    void DrawUnexchanged(const TriangleVertex& a, const TriangleVertex& b, const TriangleVertex& c,
                         bool vertexColours);
    // Exchanges red and blue in the box the corners may write (x0, y0, x1,
    // y1 into box) for a blue-green-red target.
    void ExchangeBox(const TriangleVertex* corners, int count, int64_t* box) const;

    PixelBuffer target_;
    bool usable_ = false;
    bool exchange_ = false;
    bool textured_ = false;
    PixelFormatCode format_ = PIXEL_FORMAT_8888;
    int64_t x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0;
    float left_ = 0, right_ = 0, top_ = 0, bottom_ = 0;
    float texWidth_ = 0, texHeight_ = 0;
    TextureInfo info_;
    FillerColor colour_;
    TriangleFiller filler_ = nullptr;
    TriangleFiller colouredFiller_ = nullptr;
};

// Whether RasterizeTriangleStrip writes pixels of this format in their own
// layout: the four layout words, and 32-bit blue-green-red pixels.
bool RasterizerCanDrawInto(const PixelFormat& format);

// Most corners of a clip list (a clipped triangle has at most 7).
constexpr int MAX_CLIP_CORNERS = 64;

// Cuts the triangle in[0..2] (null-terminated) to the bounds; out gets
// the remaining corners, null-terminated. Returns their number, 0 when
// fewer than three remain. New corners live in a per-thread pool that the
// next call reuses.
int ClipPolygonToRect(const TriangleVertex** out, const TriangleVertex* const* in, float left, float right,
                      float top, float bottom);

// One side: corners with x < bound (left), x > bound (right), y < bound
// (top) or y > bound (bottom) are outside. Returns the number of corners
// written to out (null-terminated), or 0 when the pool or list is full.
int ClipPolygonLeft(const TriangleVertex* const* in, const TriangleVertex** out, float bound);
int ClipPolygonRight(const TriangleVertex* const* in, const TriangleVertex** out, float bound);
int ClipPolygonTop(const TriangleVertex* const* in, const TriangleVertex** out, float bound);
int ClipPolygonBottom(const TriangleVertex* const* in, const TriangleVertex** out, float bound);

// The point where the edge from inside to outside meets x = bound (or
// y = bound), with u, v and the colour channels interpolated.
void InterpolateCornerAtX(TriangleVertex& result, const TriangleVertex& inside, const TriangleVertex& outside,
                          float bound);
void InterpolateCornerAtY(TriangleVertex& result, const TriangleVertex& inside, const TriangleVertex& outside,
                          float bound);

} // namespace Quib
