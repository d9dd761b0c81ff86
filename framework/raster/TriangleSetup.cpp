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
[[gnu::always_inline]] inline int32_t ToFixed(double value)
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

TriangleBatch::TriangleBatch(const RasterTexture* texture, const FillerColor& colour, int clipX, int clipY,
                             int clipWidth, int clipHeight, const PixelBuffer& target, bool smooth)
    : target_(target)
{
    // A blue-green-red target is drawn as red-green-blue with red and blue
    // exchanged before and back after, so its pixels come out in its order.
    exchange_ = target.format.RasterCode() == 0 && BlueGreenRed(target.format);
    format_ = target.format.RasterCode();
    if (exchange_)
        format_ = target.format.alphaMask == 0xFF000000u ? PIXEL_FORMAT_8888 : PIXEL_FORMAT_888;
    const int bytesPerPixel = PixelFormatBytes(format_);
    if (!target.bits || target.width <= 0 || target.height <= 0 || target.width > MAX_TARGET_SIZE ||
        target.height > MAX_TARGET_SIZE || target.pitch < target.width * bytesPerPixel ||
        target.pitch % bytesPerPixel != 0) {
        OutputDebugString("RasterizeTriangleStrip: unusable destination " + std::to_string(target.width) + "x" +
                          std::to_string(target.height) + " pitch " + std::to_string(target.pitch));
        return;
    }

    // The clip, cut to the destination: nothing outside it is written.
    x0_ = std::max<int64_t>(clipX, 0);
    y0_ = std::max<int64_t>(clipY, 0);
    x1_ = std::min<int64_t>(int64_t{clipX} + clipWidth, target.width);
    y1_ = std::min<int64_t>(int64_t{clipY} + clipHeight, target.height);
    if (x1_ <= x0_ || y1_ <= y0_)
        return;
    left_ = static_cast<float>(x0_);
    right_ = static_cast<float>(x1_ - 1);
    top_ = static_cast<float>(y0_);
    bottom_ = static_cast<float>(y1_ - 1);

    colour_ = colour;
    const bool modulated =
        colour.alpha != 255 || colour.red != 255 || colour.green != 255 || colour.blue != 255;

    // A texture without usable pixels still draws textured: every fetch
    // gives 0.
    textured_ = texture != nullptr;
    const bool alphaBlended = textured_ && (texture->hasTransparent || texture->hasTranslucent || smooth);
    if (textured_ && texture->pixels && texture->width > 0 && texture->height > 0 &&
        uint64_t(texture->width) * uint64_t(texture->height) <= 0xFFFFFFFFu) {
        info_.pixels = texture->pixels;
        info_.width = texture->width;
        info_.size = static_cast<uint32_t>(texture->width) * static_cast<uint32_t>(texture->height);
        texWidth_ = static_cast<float>(texture->width);
        texHeight_ = static_cast<float>(texture->height);
    }
    const int index = FillerIndex(textured_, alphaBlended, false, modulated, smooth, format_);
    filler_ = TriangleFillerAt(index);
    colouredFiller_ = TriangleFillerAt(index | FILLER_VERTEX_COLOURS);
    usable_ = true;
}

void TriangleBatch::Draw(const TriangleVertex& a, const TriangleVertex& b, const TriangleVertex& c,
                         bool vertexColours)
{
    if (!usable_)
        return;
    if (!exchange_) {
        DrawUnexchanged(a, b, c, vertexColours);
        return;
    }
    int64_t box[4];
    const TriangleVertex corners[3] = {a, b, c};
    ExchangeBox(corners, 3, box);
    DrawUnexchanged(a, b, c, vertexColours);
    ExchangeRedAndBlue(target_, box[0], box[1], box[2], box[3]);
}

void TriangleBatch::ExchangeBox(const TriangleVertex* corners, int count, int64_t* box) const
{
    // The pixels the corners may write: their box, a pixel wider for
    // rounding in the cut, within the clip.
    int64_t boxX0 = x1_, boxY0 = y1_, boxX1 = x0_, boxY1 = y0_;
    for (int i = 0; i < count; ++i) {
        if (!Finite(corners[i]))
            continue;
        const auto cx = static_cast<int64_t>(std::floor(ClampFinite(corners[i].x, left_, right_)));
        const auto cy = static_cast<int64_t>(std::floor(ClampFinite(corners[i].y, top_, bottom_)));
        boxX0 = std::min(boxX0, std::max(cx - 1, x0_));
        boxY0 = std::min(boxY0, std::max(cy - 1, y0_));
        boxX1 = std::max(boxX1, std::min(cx + 2, x1_));
        boxY1 = std::max(boxY1, std::min(cy + 2, y1_));
    }
    box[0] = boxX0;
    box[1] = boxY0;
    box[2] = boxX1;
    box[3] = boxY1;
    ExchangeRedAndBlue(target_, boxX0, boxY0, boxX1, boxY1);
}

void TriangleBatch::DrawUnexchanged(const TriangleVertex& a, const TriangleVertex& b, const TriangleVertex& c,
                                    bool vertexColours)
{
    if (!Finite(a) || !Finite(b) || !Finite(c))
        return;
    FixedCorner fixed[MAX_CLIP_CORNERS];
    const auto toFixed = [&](const TriangleVertex& v, FixedCorner& f) __attribute__((always_inline)) {
        // Rounding in the cut can leave a corner a hair outside; keep it in.
        f.x = ToFixed(ClampFinite(v.x, left_, right_) * 65536.0);
        f.y = ToFixed(ClampFinite(v.y, top_, bottom_) * 65536.0);
        if (textured_) {
            f.u = ToFixed(static_cast<double>(v.u * texWidth_) * 65536.0);
            f.v = ToFixed(static_cast<double>(v.v * texHeight_) * 65536.0);
        }
        if (vertexColours) {
            f.alpha = static_cast<int32_t>((v.color >> 8) & 0xFF0000);
            f.red = static_cast<int32_t>(v.color & 0xFF0000);
            f.green = static_cast<int32_t>((v.color & 0xFF00) << 8);
            f.blue = static_cast<int32_t>((v.color & 0xFF) << 16);
        }
    };
    const TriangleFiller fill = vertexColours ? colouredFiller_ : filler_;
    const auto inside = [this](const TriangleVertex& v) {
        return v.x >= left_ && v.x <= right_ && v.y >= top_ && v.y <= bottom_;
    };
    if (!alwaysCut && inside(a) && inside(b) && inside(c)) {
        // Wholly inside the clip: the cut would give the same three corners.
        toFixed(a, fixed[0]);
        toFixed(b, fixed[1]);
        toFixed(c, fixed[2]);
        fill(fixed, target_.bits, target_.pitch, info_, colour_);
        return;
    }
    const TriangleVertex* in[4] = {&a, &b, &c, nullptr};
    const TriangleVertex* clipped[MAX_CLIP_CORNERS];
    const int n = ClipPolygonToRect(clipped, in, left_, right_, top_, bottom_);
    if (n == 0)
        return;
    for (int k = 0; k < n; ++k)
        toFixed(*clipped[k], fixed[k]);
    for (int k = 2; k < n; ++k) {
        const FixedCorner corners[3] = {fixed[0], fixed[k - 1], fixed[k]};
        fill(corners, target_.bits, target_.pitch, info_, colour_);
    }
}

void RasterizeTriangleStrip(const TriangleVertex* corners, int count, const RasterTexture* texture,
                            const FillerColor& colour, int clipX, int clipY, int clipWidth, int clipHeight,
                            const PixelBuffer& target, bool smooth, bool vertexColours)
{
    if (!corners || count < 3)
        return;
    TriangleBatch batch(texture, colour, clipX, clipY, clipWidth, clipHeight, target, smooth);
    if (!batch.usable_)
        return;
    int64_t box[4] = {};
    if (batch.exchange_)
        batch.ExchangeBox(corners, count, box);
    for (int i = 3; i <= count; ++i) {
        if ((i - 3) % 2 == 1)
            batch.DrawUnexchanged(corners[i - 3], corners[i - 1], corners[i - 2], vertexColours);
        else
            batch.DrawUnexchanged(corners[i - 3], corners[i - 2], corners[i - 1], vertexColours);
    }
    if (batch.exchange_)
        ExchangeRedAndBlue(target, box[0], box[1], box[2], box[3]);
}

bool RasterizerCanDrawInto(const PixelFormat& format)
{
    return format.RasterCode() != 0 || BlueGreenRed(format);
}

} // namespace Quib
