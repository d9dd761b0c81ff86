#include "framework/raster/TriangleSetup.h"

#include "platform/MessageSink.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace Quib {
namespace {

// Corners made by clipping; a convex triangle needs at most 8 (two per side).
constexpr int CLIP_POOL_SIZE = 32;
thread_local TriangleVertex clipPool[CLIP_POOL_SIZE];
thread_local int clipPoolUsed = 0;

// Fixed-point coordinates are 16.16 in 32 bits.
constexpr int MAX_TARGET_SIZE = 32767;

TriangleVertex* NewClipCorner()
{
    return clipPoolUsed < CLIP_POOL_SIZE ? &clipPool[clipPoolUsed++] : nullptr;
}

// The value kept within [low, high]; NaN gives low.
float ClampFinite(float value, float low, float high)
{
    if (!(value >= low))
        return low;
    if (!(value <= high))
        return high;
    return value;
}

uint32_t LerpColour(uint32_t inside, uint32_t outside, float t)
{
    uint32_t packed = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((inside >> shift) & 0xFF);
        const int b = static_cast<int>((outside >> shift) & 0xFF);
        const float c = ClampFinite(static_cast<float>(b) + t * static_cast<float>(a - b), 0, 255);
        packed |= static_cast<uint32_t>(c) << shift;
    }
    return packed;
}

void Interpolate(TriangleVertex& r, const TriangleVertex& a, const TriangleVertex& b, float t)
{
    r.x = b.x + (a.x - b.x) * t;
    r.y = b.y + (a.y - b.y) * t;
    r.u = b.u + (a.u - b.u) * t;
    r.v = b.v + (a.v - b.v) * t;
    r.color = LerpColour(a.color, b.color, t);
}

// Sutherland-Hodgman against one side; outside(corner) says which side.
template <class Outside, class Interp>
int ClipSide(const TriangleVertex* const* in, const TriangleVertex** out, Outside outside, Interp interp)
{
    int n = 0;
    while (n < MAX_CLIP_CORNERS && in[n])
        ++n;
    if (n == 0) {
        out[0] = nullptr;
        return 0;
    }
    int written = 0;
    const auto emit = [&](const TriangleVertex* c) {
        if (!c || written >= MAX_CLIP_CORNERS - 1)
            return false;
        out[written++] = c;
        return true;
    };
    for (int i = 0; i < n; ++i) {
        const TriangleVertex* s = in[i];
        const TriangleVertex* p = in[(i + 1) % n];
        const bool sOut = outside(*s), pOut = outside(*p);
        bool ok = true;
        if (!sOut) {
            ok = emit(s);
            if (ok && pOut) {
                TriangleVertex* c = NewClipCorner();
                if (c)
                    interp(*c, *s, *p);
                ok = emit(c);
            }
        } else if (!pOut) {
            TriangleVertex* c = NewClipCorner();
            if (c)
                interp(*c, *p, *s);
            ok = emit(c);
        }
        if (!ok) {
            out[0] = nullptr;
            return 0;
        }
    }
    out[written] = nullptr;
    return written;
}

// Float to 16.16 (or texel) fixed point, truncated toward zero; NaN gives 0
// and values out of range saturate.
int32_t ToFixed(double value)
{
    if (!(value == value))
        return 0;
    return static_cast<int32_t>(std::clamp(value, -2147483648.0, 2147483647.0));
}

bool Finite(const TriangleVertex& c) { return std::isfinite(c.x) && std::isfinite(c.y); }

// 32-bit pixels whose channels run blue, green, red from the low byte up.
bool BlueGreenRed(const PixelFormat& f)
{
    return f.bitCount == 32 && f.red.mask == 0xFF && f.green.mask == 0xFF00 && f.blue.mask == 0xFF0000;
}

// Exchanges red and blue of the 32-bit pixels in columns x0 .. x1 - 1 of
// rows y0 .. y1 - 1.
void ExchangeRedAndBlue(const PixelBuffer& target, int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    for (int64_t y = y0; y < y1; ++y) {
        uint8_t* p = target.bits + y * target.pitch + x0 * 4;
        for (int64_t x = x0; x < x1; ++x, p += 4) {
            uint32_t v;
            std::memcpy(&v, p, 4);
            v = (v & 0xFF00FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16);
            std::memcpy(p, &v, 4);
        }
    }
}

} // namespace

void InterpolateCornerAtX(TriangleVertex& result, const TriangleVertex& inside, const TriangleVertex& outside,
                          float bound)
{
    const float t = (bound - outside.x) / (inside.x - outside.x);
    Interpolate(result, inside, outside, t);
}

void InterpolateCornerAtY(TriangleVertex& result, const TriangleVertex& inside, const TriangleVertex& outside,
                          float bound)
{
    const float t = (bound - outside.y) / (inside.y - outside.y);
    Interpolate(result, inside, outside, t);
}

int ClipPolygonLeft(const TriangleVertex* const* in, const TriangleVertex** out, float bound)
{
    return ClipSide(
        in, out, [bound](const TriangleVertex& c) { return c.x < bound; },
        [bound](TriangleVertex& r, const TriangleVertex& a, const TriangleVertex& b) {
            InterpolateCornerAtX(r, a, b, bound);
        });
}

int ClipPolygonRight(const TriangleVertex* const* in, const TriangleVertex** out, float bound)
{
    return ClipSide(
        in, out, [bound](const TriangleVertex& c) { return c.x > bound; },
        [bound](TriangleVertex& r, const TriangleVertex& a, const TriangleVertex& b) {
            InterpolateCornerAtX(r, a, b, bound);
        });
}

int ClipPolygonTop(const TriangleVertex* const* in, const TriangleVertex** out, float bound)
{
    return ClipSide(
        in, out, [bound](const TriangleVertex& c) { return c.y < bound; },
        [bound](TriangleVertex& r, const TriangleVertex& a, const TriangleVertex& b) {
            InterpolateCornerAtY(r, a, b, bound);
        });
}

int ClipPolygonBottom(const TriangleVertex* const* in, const TriangleVertex** out, float bound)
{
    return ClipSide(
        in, out, [bound](const TriangleVertex& c) { return c.y > bound; },
        [bound](TriangleVertex& r, const TriangleVertex& a, const TriangleVertex& b) {
            InterpolateCornerAtY(r, a, b, bound);
        });
}

int ClipPolygonToRect(const TriangleVertex** out, const TriangleVertex* const* in, float left, float right,
                      float top, float bottom)
{
    clipPoolUsed = 0;
    const TriangleVertex* local[4] = {in[0], in[1], in[2], nullptr};
    const TriangleVertex* temp[MAX_CLIP_CORNERS];
    out[0] = nullptr;
    if (ClipPolygonLeft(local, temp, left) < 3)
        return 0;
    if (ClipPolygonRight(temp, out, right) < 3)
        return 0;
    if (ClipPolygonTop(out, temp, top) < 3)
        return 0;
    const int n = ClipPolygonBottom(temp, out, bottom);
    return n < 3 ? 0 : n;
}

void RasterizeTriangleStrip(const TriangleVertex* corners, int count, const RasterTexture* texture,
                            const FillerColor& colour, int clipX, int clipY, int clipWidth, int clipHeight,
                            const PixelBuffer& target, bool smooth, bool vertexColours)
{
    if (!corners || count < 3)
        return;
    // A blue-green-red target is drawn as red-green-blue with red and blue
    // exchanged before and back after, so its pixels come out in its order.
    const bool exchange = target.format.RasterCode() == 0 && BlueGreenRed(target.format);
    PixelFormatCode format = target.format.RasterCode();
    if (exchange)
        format = target.format.alphaMask == 0xFF000000u ? PIXEL_FORMAT_8888 : PIXEL_FORMAT_888;
    const int bytesPerPixel = PixelFormatBytes(format);
    if (!target.bits || target.width <= 0 || target.height <= 0 || target.width > MAX_TARGET_SIZE ||
        target.height > MAX_TARGET_SIZE || target.pitch < target.width * bytesPerPixel ||
        target.pitch % bytesPerPixel != 0) {
        OutputDebugString("RasterizeTriangleStrip: unusable destination " + std::to_string(target.width) + "x" +
                          std::to_string(target.height) + " pitch " + std::to_string(target.pitch));
        return;
    }

    // The clip, cut to the destination: nothing outside it is written.
    const int64_t x0 = std::max<int64_t>(clipX, 0);
    const int64_t y0 = std::max<int64_t>(clipY, 0);
    const int64_t x1 = std::min<int64_t>(int64_t{clipX} + clipWidth, target.width);
    const int64_t y1 = std::min<int64_t>(int64_t{clipY} + clipHeight, target.height);
    if (x1 <= x0 || y1 <= y0)
        return;
    const auto left = static_cast<float>(x0), right = static_cast<float>(x1 - 1);
    const auto top = static_cast<float>(y0), bottom = static_cast<float>(y1 - 1);

    const bool modulated = colour.alpha != 255 || colour.red != 255 || colour.green != 255 || colour.blue != 255;

    // A texture without usable pixels still draws textured: every fetch
    // gives 0.
    const bool textured = texture != nullptr;
    const bool alphaBlended = textured && (texture->hasTransparent || texture->hasTranslucent || smooth);
    TextureInfo info;
    float texWidth = 0, texHeight = 0;
    if (textured && texture->pixels && texture->width > 0 && texture->height > 0 &&
        uint64_t(texture->width) * uint64_t(texture->height) <= 0xFFFFFFFFu) {
        info.pixels = texture->pixels;
        info.width = texture->width;
        info.size = static_cast<uint32_t>(texture->width) * static_cast<uint32_t>(texture->height);
        texWidth = static_cast<float>(texture->width);
        texHeight = static_cast<float>(texture->height);
    }

    // The pixels the strip may write: its corners' box, a pixel wider for
    // rounding in the cut, within the clip.
    int64_t boxX0 = x1, boxY0 = y1, boxX1 = x0, boxY1 = y0;
    if (exchange) {
        for (int i = 0; i < count; ++i) {
            if (!Finite(corners[i]))
                continue;
            const auto cx = static_cast<int64_t>(std::floor(ClampFinite(corners[i].x, left, right)));
            const auto cy = static_cast<int64_t>(std::floor(ClampFinite(corners[i].y, top, bottom)));
            boxX0 = std::min(boxX0, std::max(cx - 1, x0));
            boxY0 = std::min(boxY0, std::max(cy - 1, y0));
            boxX1 = std::max(boxX1, std::min(cx + 2, x1));
            boxY1 = std::max(boxY1, std::min(cy + 2, y1));
        }
        ExchangeRedAndBlue(target, boxX0, boxY0, boxX1, boxY1);
    }

    uint8_t* bits = target.bits;
    for (int i = 3; i <= count; ++i) {
        const TriangleVertex* in[4] = {&corners[i - 3], &corners[i - 2], &corners[i - 1], nullptr};
        if ((i - 3) % 2 == 1)
            std::swap(in[1], in[2]);
        if (!Finite(*in[0]) || !Finite(*in[1]) || !Finite(*in[2]))
            continue;
        const TriangleVertex* clipped[MAX_CLIP_CORNERS];
        const int n = ClipPolygonToRect(clipped, in, left, right, top, bottom);
        if (n == 0)
            continue;

        FixedCorner fixed[MAX_CLIP_CORNERS];
        for (int k = 0; k < n; ++k) {
            const TriangleVertex& c = *clipped[k];
            FixedCorner& f = fixed[k];
            // Rounding in the cut can leave a corner a hair outside; keep it in.
            f.x = ToFixed(ClampFinite(c.x, left, right) * 65536.0);
            f.y = ToFixed(ClampFinite(c.y, top, bottom) * 65536.0);
            if (textured) {
                f.u = ToFixed(static_cast<double>(c.u * texWidth) * 65536.0);
                f.v = ToFixed(static_cast<double>(c.v * texHeight) * 65536.0);
            }
            if (vertexColours) {
                f.alpha = static_cast<int32_t>((c.color >> 8) & 0xFF0000);
                f.red = static_cast<int32_t>(c.color & 0xFF0000);
                f.green = static_cast<int32_t>((c.color & 0xFF00) << 8);
                f.blue = static_cast<int32_t>((c.color & 0xFF) << 16);
            }
        }
        for (int k = 2; k < n; ++k)
            RasterizeTriangleDispatch(textured, alphaBlended, vertexColours, modulated, fixed[0], fixed[k - 1],
                                      fixed[k], bits, target.pitch, info, colour, format, smooth);
    }
    if (exchange)
        ExchangeRedAndBlue(target, boxX0, boxY0, boxX1, boxY1);
}

bool RasterizerCanDrawInto(const PixelFormat& format)
{
    return format.RasterCode() != 0 || BlueGreenRed(format);
}

} // namespace Quib
