#include "framework/raster/DeviceRaster.h"

#include "framework/raster/ScanConvert.h"
#include "framework/raster/TriangleSetup.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Quib {
namespace {

using namespace Scan;

// Fixed-point coordinates are 16.16 in 32 bits.
constexpr int kMaxTargetSize = 32767;
// Texture coordinates are kept within this many texels of the texture so
// that their 16.16 values cannot overflow.
constexpr float kTexelRange = 16384.0f;

// x * y / 255, rounded, for x, y in 0..255.
inline uint32_t Mul255(uint32_t x, uint32_t y)
{
    const uint32_t p = x * y + 128;
    return (p + (p >> 8)) >> 8;
}

inline uint32_t Channel16(int32_t v)
{
    // An interpolated 16.16 channel, rounded and cut to 0..255.
    return v <= 0 ? 0u : v >= (255 << 16) ? 255u : (uint32_t(v) + 0x8000) >> 16;
}

inline int Clamp(int v, int low, int high)
{
    return v < low ? low : v > high ? high : v;
}

// Destination pixel access, per layout.
struct Target32 {
    static constexpr int kBytes = 4;
    int redShift, greenShift, blueShift;
    uint32_t keep; // bits that are no colour channel, left as they are

    void Read(const uint8_t* p, uint32_t& r, uint32_t& g, uint32_t& b) const
    {
        uint32_t v;
        std::memcpy(&v, p, 4);
        r = (v >> redShift) & 255;
        g = (v >> greenShift) & 255;
        b = (v >> blueShift) & 255;
    }
    void Write(uint8_t* p, uint32_t r, uint32_t g, uint32_t b) const
    {
        uint32_t v;
        std::memcpy(&v, p, 4);
        v = (v & keep) | (r << redShift) | (g << greenShift) | (b << blueShift);
        std::memcpy(p, &v, 4);
    }
};

template <int GreenBits>
struct Target16 {
    static constexpr int kBytes = 2;
    static constexpr int kRedShift = 5 + GreenBits;
    static constexpr uint32_t kGreenMask = (1u << GreenBits) - 1;

    void Read(const uint8_t* p, uint32_t& r, uint32_t& g, uint32_t& b) const
    {
        uint16_t v;
        std::memcpy(&v, p, 2);
        const uint32_t r5 = (v >> kRedShift) & 31, g6 = (v >> 5) & kGreenMask, b5 = v & 31;
        r = (r5 << 3) | (r5 >> 2);
        g = GreenBits == 6 ? (g6 << 2) | (g6 >> 4) : (g6 << 3) | (g6 >> 2);
        b = (b5 << 3) | (b5 >> 2);
    }
    void Write(uint8_t* p, uint32_t r, uint32_t g, uint32_t b) const
    {
        const auto v = uint16_t(((r >> 3) << kRedShift) | ((g >> (8 - GreenBits)) << 5) | (b >> 3));
        std::memcpy(p, &v, 2);
    }
};

inline uint32_t SampleNearest(const DeviceTexels& t, int32_t u, int32_t v)
{
    const int x = Clamp(u >> 16, 0, t.width - 1), y = Clamp(v >> 16, 0, t.height - 1);
    return t.pixels[size_t(y) * size_t(t.width) + size_t(x)];
}

// The four texels around (u, v) weighted by their distance from the texel
// centres; each channel filtered on its own.
inline uint32_t SampleLinear(const DeviceTexels& t, int32_t u, int32_t v)
{
    const int32_t us = Add32(u, -0x8000), vs = Add32(v, -0x8000);
    const uint32_t fx = (uint32_t(us) >> 8) & 0xFF, fy = (uint32_t(vs) >> 8) & 0xFF;
    const int x0 = Clamp(us >> 16, 0, t.width - 1), x1 = Clamp((us >> 16) + 1, 0, t.width - 1);
    const int y0 = Clamp(vs >> 16, 0, t.height - 1), y1 = Clamp((vs >> 16) + 1, 0, t.height - 1);
    const uint32_t* row0 = t.pixels + size_t(y0) * size_t(t.width);
    const uint32_t* row1 = t.pixels + size_t(y1) * size_t(t.width);
    const uint32_t p00 = row0[x0], p10 = row0[x1], p01 = row1[x0], p11 = row1[x1];
    const uint32_t w00 = (256 - fx) * (256 - fy), w10 = fx * (256 - fy), w01 = (256 - fx) * fy, w11 = fx * fy;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t c = ((p00 >> shift) & 255) * w00 + ((p10 >> shift) & 255) * w10 +
                           ((p01 >> shift) & 255) * w01 + ((p11 >> shift) & 255) * w11;
        out |= ((c + 32768) >> 16) << shift;
    }
    return out;
}

inline uint32_t Factor(DeviceFactor f, uint32_t alpha)
{
    return f == DeviceFactor::One ? 255u : f == DeviceFactor::SourceAlpha ? alpha : 255u - alpha;
}

// What a span or a line needs besides its interpolants.
struct PixelContext {
    const DeviceTexels* texture;
    DevicePixelState state;
    uint32_t flat[4]; // alpha, red, green, blue of a triangle of one colour
};

// Colours, blends and writes one pixel from its texel and diffuse colour.
template <class T>
inline void ShadePixel(const T& target, uint8_t* p, uint32_t texel, uint32_t da, uint32_t dr, uint32_t dg,
                       uint32_t db, const DevicePixelState& s)
{
    uint32_t sr = dr, sg = dg, sb = db;
    if (s.colorFromTexture) {
        sr = Mul255((texel >> 16) & 255, dr);
        sg = Mul255((texel >> 8) & 255, dg);
        sb = Mul255(texel & 255, db);
    }
    const uint32_t ta = texel >> 24;
    const uint32_t sa = s.alphaModulate ? Mul255(ta, da) : ta;
    const uint32_t sf = Factor(s.source, sa), df = Factor(s.destination, sa);
    if (sf == 0 && df == 255)
        return; // the destination stays as it is
    uint32_t r = 0, g = 0, b = 0;
    if (df != 0)
        target.Read(p, r, g, b);
    r = std::min(255u, Mul255(sr, sf) + Mul255(r, df));
    g = std::min(255u, Mul255(sg, sf) + Mul255(g, df));
    b = std::min(255u, Mul255(sb, sf) + Mul255(b, df));
    target.Write(p, r, g, b);
}

template <class T, bool Tex, bool Linear>
inline uint32_t Texel(const PixelContext& ctx, int32_t u, int32_t v)
{
    if constexpr (!Tex)
        return 0xFFFFFFFFu;
    else if constexpr (Linear)
        return SampleLinear(*ctx.texture, u, v);
    else
        return SampleNearest(*ctx.texture, u, v);
}

// One triangle; the interpolants are the diffuse channels (unless the
// triangle has one colour) and u, v (when textured).
template <class T, bool Tex, bool Linear, bool Flat>
void FillTriangle(const FixedCorner* corners, uint8_t* bits, int pitch, const T& target, const PixelContext& ctx)
{
    constexpr int first = Flat ? 6 : 2;
    constexpr int nq = (Flat ? 0 : 4) + (Tex ? 2 : 0);
    constexpr int uv = Flat ? 0 : 4;
    ScanConvert<first, nq, T::kBytes>(corners, bits, pitch,
                                      [&](uint8_t* p, int32_t n, const int32_t* q, const int32_t* dq) {
                                          int32_t c[nq > 0 ? nq : 1];
                                          for (int i = 0; i < nq; ++i)
                                              c[i] = q[i];
                                          for (int32_t i = 0; i < n; ++i, p += T::kBytes) {
                                              uint32_t texel = 0xFFFFFFFFu;
                                              if constexpr (Tex)
                                                  texel = Texel<T, Tex, Linear>(ctx, c[uv], c[uv + 1]);
                                              if constexpr (Flat)
                                                  ShadePixel(target, p, texel, ctx.flat[0], ctx.flat[1],
                                                             ctx.flat[2], ctx.flat[3], ctx.state);
                                              else
                                                  ShadePixel(target, p, texel, Channel16(c[0]), Channel16(c[1]),
                                                             Channel16(c[2]), Channel16(c[3]), ctx.state);
                                              for (int k = 0; k < nq; ++k)
                                                  c[k] = Add32(c[k], dq[k]);
                                          }
                                      });
}

using TriangleFn = void (*)(const FixedCorner*, uint8_t*, int, const void*, const PixelContext&);

template <class T, bool Tex, bool Linear, bool Flat>
void FillTriangleErased(const FixedCorner* corners, uint8_t* bits, int pitch, const void* target,
                        const PixelContext& ctx)
{
    FillTriangle<T, Tex, Linear, Flat>(corners, bits, pitch, *static_cast<const T*>(target), ctx);
}

template <class T>
TriangleFn PickTriangleFn(bool tex, bool linear, bool flat)
{
    if (!tex)
        return flat ? &FillTriangleErased<T, false, false, true> : &FillTriangleErased<T, false, false, false>;
    if (linear)
        return flat ? &FillTriangleErased<T, true, true, true> : &FillTriangleErased<T, true, true, false>;
    return flat ? &FillTriangleErased<T, true, false, true> : &FillTriangleErased<T, true, false, false>;
}

// The destination as the pixel stage writes it; false when it cannot.
struct Destination {
    enum Kind { None, Wide, Narrow565, Narrow555 } kind = None;
    Target32 wide{};
    Target16<6> narrow565{};
    Target16<5> narrow555{};
    int bytes = 0;
};

bool EightBitChannel(const PixelChannel& c)
{
    return c.bits == 8 && c.mask == (255u << c.shift);
}

Destination MakeDestination(const PixelFormat& f)
{
    Destination d;
    if (f.bitCount == 32 && EightBitChannel(f.red) && EightBitChannel(f.green) && EightBitChannel(f.blue) &&
        !(f.red.mask & f.green.mask) && !(f.red.mask & f.blue.mask) && !(f.green.mask & f.blue.mask)) {
        d.kind = Destination::Wide;
        d.wide = Target32{f.red.shift, f.green.shift, f.blue.shift, ~(f.red.mask | f.green.mask | f.blue.mask)};
        d.bytes = 4;
    } else if (f.kind == PixelKind::R5G6B5) {
        d.kind = Destination::Narrow565;
        d.bytes = 2;
    } else if (f.kind == PixelKind::X1R5G5B5) {
        d.kind = Destination::Narrow555;
        d.bytes = 2;
    }
    return d;
}

// The clip cut to the target; false when nothing can be drawn.
bool UsableTarget(const PixelBuffer& target, const Destination& d, DeviceClip& clip)
{
    if (d.kind == Destination::None || !target.bits || target.width <= 0 || target.height <= 0 ||
        target.width > kMaxTargetSize || target.height > kMaxTargetSize || target.pitch < target.width * d.bytes ||
        target.pitch % d.bytes != 0)
        return false;
    clip.left = std::max(clip.left, 0);
    clip.top = std::max(clip.top, 0);
    clip.right = std::min(clip.right, target.width);
    clip.bottom = std::min(clip.bottom, target.height);
    return clip.left < clip.right && clip.top < clip.bottom;
}

bool UsableTexture(const DeviceTexels* t)
{
    return t && t->pixels && t->width > 0 && t->height > 0 && t->width <= kMaxTargetSize &&
           t->height <= kMaxTargetSize;
}

int32_t ToFixed(float value)
{
    return static_cast<int32_t>(std::clamp(double(value) * 65536.0, -2147483648.0, 2147483647.0));
}

float ClampFinite(float value, float low, float high)
{
    if (!(value >= low))
        return low;
    if (!(value <= high))
        return high;
    return value;
}

bool Finite(const TriangleVertex& c)
{
    return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.u) && std::isfinite(c.v);
}

void SplitColour(uint32_t argb, uint32_t out[4])
{
    out[0] = argb >> 24;
    out[1] = (argb >> 16) & 255;
    out[2] = (argb >> 8) & 255;
    out[3] = argb & 255;
}

} // namespace

bool DeviceCanDrawInto(const PixelFormat& format)
{
    return MakeDestination(format).kind != Destination::None;
}

void RasterizeDeviceTriangle(const TriangleVertex& a, const TriangleVertex& b, const TriangleVertex& c,
                             const DeviceTexels* texture, const DevicePixelState& state, const PixelBuffer& target,
                             const DeviceClip& clipIn)
{
    const Destination d = MakeDestination(target.format);
    DeviceClip clip = clipIn;
    if (!UsableTarget(target, d, clip) || !Finite(a) || !Finite(b) || !Finite(c))
        return;
    const bool textured = texture != nullptr;
    if (textured && !UsableTexture(texture))
        return; // a texture without texels draws nothing

    // Pixel centres at whole coordinates: the pixels left..right-1 are
    // those whose centres lie in [left - 0.5, right - 0.5).
    const float left = float(clip.left) - 0.5f, right = float(clip.right) - 0.5f;
    const float top = float(clip.top) - 0.5f, bottom = float(clip.bottom) - 0.5f;
    const TriangleVertex* in[4] = {&a, &b, &c, nullptr};
    const TriangleVertex* clipped[MAX_CLIP_CORNERS];
    const int n = ClipPolygonToRect(clipped, in, left, right, top, bottom);
    if (n < 3)
        return;

    PixelContext ctx{texture, state, {}};
    SplitColour(clipped[0]->color, ctx.flat);
    bool flat = true;
    for (int k = 1; k < n; ++k)
        flat = flat && clipped[k]->color == clipped[0]->color;
    const float tw = textured ? float(texture->width) : 0.0f, th = textured ? float(texture->height) : 0.0f;

    FixedCorner fixed[MAX_CLIP_CORNERS];
    for (int k = 0; k < n; ++k) {
        const TriangleVertex& v = *clipped[k];
        FixedCorner& f = fixed[k];
        // Rounding in the cut can leave a corner a hair outside; keep it in.
        f.x = ToFixed(ClampFinite(v.x, left, right));
        f.y = ToFixed(ClampFinite(v.y, top, bottom));
        f.alpha = int32_t((v.color >> 8) & 0xFF0000);
        f.red = int32_t(v.color & 0xFF0000);
        f.green = int32_t((v.color & 0xFF00) << 8);
        f.blue = int32_t((v.color & 0xFF) << 16);
        if (textured) {
            f.u = ToFixed(ClampFinite(v.u * tw, -kTexelRange, tw + kTexelRange));
            f.v = ToFixed(ClampFinite(v.v * th, -kTexelRange, th + kTexelRange));
        }
    }

    TriangleFn fill = nullptr;
    const void* dest = nullptr;
    switch (d.kind) {
    case Destination::Wide:
        fill = PickTriangleFn<Target32>(textured, state.linear, flat);
        dest = &d.wide;
        break;
    case Destination::Narrow565:
        fill = PickTriangleFn<Target16<6>>(textured, state.linear, flat);
        dest = &d.narrow565;
        break;
    case Destination::Narrow555:
        fill = PickTriangleFn<Target16<5>>(textured, state.linear, flat);
        dest = &d.narrow555;
        break;
    case Destination::None: return;
    }
    for (int k = 2; k < n; ++k) {
        const FixedCorner corners[3] = {fixed[0], fixed[k - 1], fixed[k]};
        fill(corners, target.bits, target.pitch, dest, ctx);
    }
}

namespace {

template <class T>
void DrawLine(const TriangleVertex& a, const TriangleVertex& b, const PixelContext& ctx, const T& target,
              const PixelBuffer& buffer, const DeviceClip& clip)
{
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    const double along0 = xMajor ? a.x : a.y, along1 = xMajor ? b.x : b.y;
    const double span = xMajor ? dx : dy;
    if (span == 0)
        return;
    // Whole positions whose centre lies in [start, end) along the segment.
    double first, last;
    if (span > 0) {
        first = std::ceil(along0);
        last = std::ceil(along1) - 1;
    } else {
        first = std::floor(along1) + 1;
        last = std::floor(along0);
    }
    const int low = xMajor ? clip.left : clip.top, high = (xMajor ? clip.right : clip.bottom) - 1;
    first = std::max(first, double(low));
    last = std::min(last, double(high));
    uint32_t ca[4], cb[4];
    SplitColour(a.color, ca);
    SplitColour(b.color, cb);
    const float tw = ctx.texture ? float(ctx.texture->width) : 0.0f;
    const float th = ctx.texture ? float(ctx.texture->height) : 0.0f;
    for (double pos = first; pos <= last; ++pos) {
        const double t = (pos - along0) / span;
        const double across = xMajor ? a.y + t * dy : a.x + t * dx;
        const double cross = std::floor(across + 0.5);
        if (!(xMajor ? (cross >= clip.top && cross < clip.bottom) : (cross >= clip.left && cross < clip.right)))
            continue;
        const int px = int(xMajor ? pos : cross), py = int(xMajor ? cross : pos);
        uint32_t c[4];
        for (int i = 0; i < 4; ++i)
            c[i] = uint32_t(double(ca[i]) + t * (double(cb[i]) - double(ca[i])));
        uint32_t texel = 0xFFFFFFFFu;
        if (ctx.texture) {
            const float u = float(a.u + t * (double(b.u) - a.u)) * tw,
                        v = float(a.v + t * (double(b.v) - a.v)) * th;
            const int32_t fu = ToFixed(ClampFinite(u, -kTexelRange, tw + kTexelRange));
            const int32_t fv = ToFixed(ClampFinite(v, -kTexelRange, th + kTexelRange));
            texel = ctx.state.linear ? SampleLinear(*ctx.texture, fu, fv) : SampleNearest(*ctx.texture, fu, fv);
        }
        uint8_t* p = buffer.bits + ptrdiff_t(py) * buffer.pitch + ptrdiff_t(px) * T::kBytes;
        ShadePixel(target, p, texel, c[0], c[1], c[2], c[3], ctx.state);
    }
}

} // namespace

void RasterizeDeviceLine(const TriangleVertex& a, const TriangleVertex& b, const DeviceTexels* texture,
                         const DevicePixelState& state, const PixelBuffer& target, const DeviceClip& clipIn)
{
    const Destination d = MakeDestination(target.format);
    DeviceClip clip = clipIn;
    if (!UsableTarget(target, d, clip) || !Finite(a) || !Finite(b))
        return;
    if (texture && !UsableTexture(texture))
        return;
    const PixelContext ctx{texture, state, {}};
    switch (d.kind) {
    case Destination::Wide: DrawLine(a, b, ctx, d.wide, target, clip); break;
    case Destination::Narrow565: DrawLine(a, b, ctx, d.narrow565, target, clip); break;
    case Destination::Narrow555: DrawLine(a, b, ctx, d.narrow555, target, clip); break;
    case Destination::None: break;
    }
}

} // namespace Quib
