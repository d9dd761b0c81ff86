// The triangle fillers: one function per pixel layout and option set,
// generated from one template, and the compile-time table that picks them.
#include "framework/raster/TriangleFiller.h"

#include "framework/core/CpuFeatures.h"
#include "framework/raster/FillerSpans.h"
#include "framework/raster/ScanConvert.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <utility>

namespace Quib {
namespace {

using namespace Scan;

// The layout words in the order of the filler table's layout slots.
constexpr PixelFormatCode kSlotFormats[4] = {PIXEL_FORMAT_8888, PIXEL_FORMAT_888, PIXEL_FORMAT_565, PIXEL_FORMAT_555};

inline uint32_t Load32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline uint32_t Load16(const uint8_t* p)
{
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void Store16(uint8_t* p, uint32_t v)
{
    const auto w = static_cast<uint16_t>(v);
    std::memcpy(p, &w, 2);
}


// The red, green and blue of a 0x..RRGGBB word packed into 16 bits; the low
// bits of each channel are dropped.
template <int L>
inline uint32_t Pack16(uint32_t rgb)
{
    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    if constexpr (L == PIXEL_FORMAT_565)
        return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    else
        return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
}

// Writes the red, green and blue of a word without reading the destination.
template <int L>
[[gnu::always_inline]] inline void WriteOpaque(uint8_t* p, uint32_t rgb)
{
    if constexpr (PixelFormatBytes(L) == 4)
        Store32(p, rgb | 0xFF000000u);
    else
        Store16(p, Pack16<L>(rgb));
}

// Blends the source terms s (0x..RRGGBB, already weighted by a) over the
// destination pixel, a being the source's effective alpha (0..240).
template <int L>
[[gnu::always_inline]] inline void Blend(uint8_t* p, uint32_t s, uint32_t a)
{
    const uint32_t sr = (s >> 16) & 0xFF, sg = (s >> 8) & 0xFF, sb = s & 0xFF;
    if constexpr (L == PIXEL_FORMAT_8888) {
        const uint32_t d = Load32(p);
        const uint32_t da = d >> 24;
        const uint32_t outA = 256 - (((256 - da) * (256 - a)) >> 8);
        if (outA == 0)
            return; // nothing over nothing: the pixel stays as it is
        const uint32_t keep = 256 - a;
        const auto channel = [&](uint32_t dc, uint32_t sc) {
            return std::min<uint32_t>(255, ((((dc * da) >> 8) * keep) + 256 * sc) / outA);
        };
        Store32(p, ((outA - 1) << 24) | (channel((d >> 16) & 0xFF, sr) << 16) |
                       (channel((d >> 8) & 0xFF, sg) << 8) | channel(d & 0xFF, sb));
    } else if constexpr (L == PIXEL_FORMAT_888) {
        const uint32_t d = Load32(p);
        const uint32_t keep = 255 - a;
        const auto channel = [&](uint32_t dc, uint32_t sc) {
            return std::min<uint32_t>(255, sc + ((dc * keep) >> 8));
        };
        Store32(p, 0xFF000000u | (channel((d >> 16) & 0xFF, sr) << 16) |
                       (channel((d >> 8) & 0xFF, sg) << 8) | channel(d & 0xFF, sb));
    } else {
        const uint32_t d = Load16(p);
        const uint32_t k = (255 - a) >> 3;
        const uint32_t src = Pack16<L>(s);
        constexpr int gBits = L == PIXEL_FORMAT_565 ? 6 : 5;
        constexpr int rShift = 5 + gBits;
        constexpr uint32_t gMask = (1u << gBits) - 1;
        const auto field = [&](int shift, uint32_t mask) {
            const uint32_t sum = ((((d >> shift) & mask) * k) >> 5) + ((src >> shift) & mask);
            return std::min(sum, mask) << shift;
        };
        Store16(p, field(rShift, 31) | field(5, gMask) | field(0, 31));
    }
}

// The texture as the samplers read it: width x height words. A texture
// without pixels reads as one transparent black texel.
struct Texels {
    const uint32_t* pixels;
    uint32_t width;
    uint32_t height;
};

inline Texels TexelsOf(const TextureInfo& t)
{
    static constexpr uint32_t nothing = 0;
    if (!t.pixels || t.width <= 0 || t.size < static_cast<uint32_t>(t.width))
        return {&nothing, 1, 1};
    return {t.pixels, static_cast<uint32_t>(t.width), t.size / static_cast<uint32_t>(t.width)};
}

// The whole part of a 16.16 coordinate held to 0 .. count - 1.
inline uint32_t HeldTexel(int32_t coordinate, uint32_t count)
{
    const int32_t i = coordinate >> 16;
    return i <= 0 ? 0 : std::min(static_cast<uint32_t>(i), count - 1);
}

// The nearest texel; a coordinate past an edge (u or v of 1.0 included)
// takes the edge texel.
[[gnu::always_inline]] inline uint32_t SampleNearest(const Texels& t, int32_t u, int32_t v)
{
    return t.pixels[size_t{HeldTexel(v, t.height)} * t.width + HeldTexel(u, t.width)];
}

// The 2 x 2 texels at column x, row y when some lie outside the picture:
// those outside read 0. Kept out of the pixel loop, which rarely needs it.
[[gnu::noinline]] void EdgeTaps(const Texels& t, int32_t x, int32_t y, uint32_t* taps)
{
    const auto at = [&t](int32_t tx, int32_t ty) {
        return static_cast<uint32_t>(tx) < t.width && static_cast<uint32_t>(ty) < t.height
                   ? t.pixels[size_t{static_cast<uint32_t>(ty)} * t.width + static_cast<uint32_t>(tx)]
                   : 0u;
    };
    taps[0] = at(x, y);
    taps[1] = at(x + 1, y);
    taps[2] = at(x, y + 1);
    taps[3] = at(x + 1, y + 1);
}

// Bilinear, alpha-weighted 2 x 2 filter at (u, v) (already moved back by half
// a texel): colour premultiplied by the weights, alpha = sum of the weights.
// Taps outside the picture are transparent, so the picture fades out over
// one texel at its borders; they never wrap to another row.
[[gnu::always_inline]] inline uint32_t SampleBilinear(const Texels& t, int32_t u, int32_t v)
{
    const int32_t fu0 = FixedFloor(u), fv0 = FixedFloor(v);
    const int32_t x0 = fu0 >> 16, y0 = fv0 >> 16;
    uint32_t t00, t10, t01, t11;
    if (static_cast<uint32_t>(x0) < t.width - 1 && static_cast<uint32_t>(y0) < t.height - 1) [[likely]] {
        const uint32_t* p = t.pixels + size_t{static_cast<uint32_t>(y0)} * t.width + static_cast<uint32_t>(x0);
        t00 = p[0];
        t10 = p[1];
        t01 = p[t.width];
        t11 = p[t.width + 1];
    } else {
        uint32_t taps[4];
        EdgeTaps(t, x0, y0, taps);
        t00 = taps[0];
        t10 = taps[1];
        t01 = taps[2];
        t11 = taps[3];
    }
    const uint32_t fu = ((static_cast<uint32_t>(u) - static_cast<uint32_t>(fu0)) & 0xFFFE) + 1;
    const uint32_t fv = ((static_cast<uint32_t>(v) - static_cast<uint32_t>(fv0)) & 0xFFFE) + 1;
    const uint32_t gu = 0x10000 - fu, gv = 0x10000 - fv;
    const uint32_t w00 = ((((gu * gv) >> 16)) * (t00 >> 24)) >> 16;
    const uint32_t w10 = ((((fu * gv) >> 16)) * (t10 >> 24)) >> 16;
    const uint32_t w01 = ((((gu * fv) >> 16)) * (t01 >> 24)) >> 16;
    const uint32_t w11 = ((((fu * fv) >> 16)) * (t11 >> 24)) >> 16;
    // Red and blue share one product, green has its own; no channel spills.
    const uint32_t rb = (t00 & 0x00FF00FF) * w00 + (t10 & 0x00FF00FF) * w10 + (t01 & 0x00FF00FF) * w01 +
                        (t11 & 0x00FF00FF) * w11;
    const uint32_t g = (t00 & 0x0000FF00) * w00 + (t10 & 0x0000FF00) * w10 + (t01 & 0x0000FF00) * w01 +
                       (t11 & 0x0000FF00) * w11;
    return (((w00 + w10 + w01 + w11) & 0xFF) << 24) | ((rb >> 8) & 0x00FF00FF) | ((g >> 8) & 0x0000FF00);
}

// Integer part of an interpolated 16.16 channel, read unsigned.
inline uint32_t IntPart(int32_t v) { return static_cast<uint32_t>(v) >> 16; }

// The pixel rules of a textured span, each texel read by `sample` at the
// span's stepped (u, v).
template <int L, bool Alpha, bool VC, bool Mod, bool Smooth, class Sample>
inline void TexturedPixels(uint8_t* p, int32_t n, int32_t u, int32_t v, const int32_t* q, const int32_t* dq,
                           const FillerColor& colour, Sample sample)
{
    constexpr int UV = VC ? 4 : 0;
    constexpr bool plain = !Alpha && !VC && !Mod;
    const int32_t du = dq[UV], dv = dq[UV + 1];
    int32_t va = 0, vr = 0, vg = 0, vb = 0;
    if constexpr (VC) {
        va = q[0];
        vr = q[1];
        vg = q[2];
        vb = q[3];
    }
    for (int32_t i = 0; i < n; ++i, p += PixelFormatBytes(L)) {
        const uint32_t s = sample(u, v);
        u = Add32(u, du);
        v = Add32(v, dv);
        uint32_t fa = 0, fr = 0, fg = 0, fb = 0;
        if constexpr (VC) {
            fa = IntPart(va);
            fr = IntPart(vr);
            fg = IntPart(vg);
            fb = IntPart(vb);
            va = Add32(va, dq[0]);
            vr = Add32(vr, dq[1]);
            vg = Add32(vg, dq[2]);
            vb = Add32(vb, dq[3]);
        } else if constexpr (Mod) {
            fa = static_cast<uint32_t>(colour.alpha);
            fr = static_cast<uint32_t>(colour.red);
            fg = static_cast<uint32_t>(colour.green);
            fb = static_cast<uint32_t>(colour.blue);
        }
        if constexpr (plain) {
            WriteOpaque<L>(p, s);
            continue;
        }
        const uint32_t alpha = Alpha ? s >> 24 : 255;
        if (Alpha && alpha <= 8)
            continue;
        uint32_t m = s & 0x00FFFFFF;
        uint32_t a = alpha;
        if constexpr (VC || Mod) {
            const auto scale = [&](uint32_t c, uint32_t f) {
                const uint32_t x = ((c * f) >> 8) & 0xFF;
                return Smooth ? ((x * fa) >> 8) & 0xFF : x;
            };
            m = (scale((s >> 16) & 0xFF, fr) << 16) | (scale((s >> 8) & 0xFF, fg) << 8) | scale(s & 0xFF, fb);
            a = ((fa * alpha) >> 8) & 0xFF;
        }
        if (a >= 240) {
            WriteOpaque<L>(p, m);
            continue;
        }
        if constexpr (!Smooth) {
            // Red and blue in one product, green in another.
            m = (((m & 0x00FF00FF) * a >> 8) & 0x00FF00FF) | (((m & 0x0000FF00) * a >> 8) & 0x0000FF00);
        }
        Blend<L>(p, m, a);
    }
}

// Whether every nearest sample of a span of n pixels from (u, v), stepping
// by (du, dv), lies inside the texture: the coordinates move linearly (no
// step wraps), so the two ends tell.
inline bool NearestSpanInside(const Texels& t, int32_t u, int32_t v, int32_t du, int32_t dv, int32_t n)
{
    if (n <= 0)
        return false;
    const int64_t u1 = int64_t{u} + int64_t{du} * (n - 1), v1 = int64_t{v} + int64_t{dv} * (n - 1);
    const auto inside = [](int64_t a, int64_t b, uint32_t count) {
        return std::min(a, b) >= 0 && std::max(a, b) < (int64_t{count} << 16);
    };
    return inside(u, u1, t.width) && inside(v, v1, t.height);
}

// The wide kernel of a filler's options, or null when it has none: spans
// into 32-bit pixels without vertex colours, nearest, or bilinear and
// blended into PIXEL_FORMAT_888.
template <int L, bool Alpha, bool VC, bool Mod, bool Smooth>
constexpr NearestSpanKernel FillerSpanKernels::*WideKernelOf()
{
    if constexpr (VC || PixelFormatBytes(L) != 4)
        return nullptr;
    else if constexpr (Smooth)
        return L != PIXEL_FORMAT_888 || !Alpha ? nullptr
               : Mod                           ? &FillerSpanKernels::bilinearBlendedModulated888
                                               : &FillerSpanKernels::bilinearBlended888;
    else if constexpr (!Alpha && !Mod)
        return &FillerSpanKernels::opaque;
    else if constexpr (L != PIXEL_FORMAT_888)
        return nullptr;
    else if constexpr (Alpha && Mod)
        return &FillerSpanKernels::blendedModulated888;
    else if constexpr (Alpha)
        return &FillerSpanKernels::blended888;
    else
        return &FillerSpanKernels::modulated888;
}

// The kernel of the same options that takes a triangle's spans at once,
// or null: the nearest ones.
template <int L, bool Alpha, bool VC, bool Mod, bool Smooth>
constexpr NearestSpansKernel FillerSpanKernels::*WideSpansKernelOf()
{
    constexpr NearestSpanKernel FillerSpanKernels::*one = WideKernelOf<L, Alpha, VC, Mod, Smooth>();
    if constexpr (one == &FillerSpanKernels::opaque)
        return &FillerSpanKernels::opaqueSpans;
    else if constexpr (one == &FillerSpanKernels::blended888)
        return &FillerSpanKernels::blended888Spans;
    else if constexpr (one == &FillerSpanKernels::modulated888)
        return &FillerSpanKernels::modulated888Spans;
    else if constexpr (one == &FillerSpanKernels::blendedModulated888)
        return &FillerSpanKernels::blendedModulated888Spans;
    else
        return nullptr;
}

// Spans a wide filler gathers before it hands them to its kernel.
constexpr int32_t kSpanBatch = 64;

// The kernels of the wide fillers; filled before the wide table is first
// handed out, and never changed after.
FillerSpanKernels wideKernels;

// The texture as the wide kernels read it; no pixels when its word indices
// would not fit 32-bit lanes.
inline SpanTexels SpanTexelsOf(const Texels& t)
{
    if (uint64_t{t.width} * t.height > 0x7FFFFFFFu)
        return {};
    return {t.pixels, static_cast<int32_t>(t.width), static_cast<int32_t>(t.height)};
}

// The pixel work of a textured filler over one span. The texture comes by
// value, so the destination stores cannot make its fields reload. A nearest
// span wholly inside the texture reads its texels without holding the
// coordinates to the edges (SampleNearest gives the same texels there). A
// wide filler first hands the span to its kernel; what the kernel leaves is
// drawn here.
template <int L, bool Alpha, bool VC, bool Mod, bool Smooth, bool Wide>
inline void TexturedSpan(uint8_t* p, int32_t n, const int32_t* q, const int32_t* dq, const Texels tex,
                         const SpanTexels wide, const FillerColor& colour)
{
    constexpr int UV = VC ? 4 : 0;
    int32_t u = q[UV], v = q[UV + 1];
    if constexpr (Wide) {
        constexpr NearestSpanKernel FillerSpanKernels::*slot = WideKernelOf<L, Alpha, VC, Mod, Smooth>();
        static_assert(slot != nullptr);
        if (const NearestSpanKernel kernel = wideKernels.*slot) {
            NearestSpan span;
            span.p = p;
            span.count = n;
            span.u = u;
            span.v = v;
            span.du = dq[UV];
            span.dv = dq[UV + 1];
            const int32_t done = kernel(span, wide, colour);
            p += std::ptrdiff_t{done} * PixelFormatBytes(L);
            n -= done;
            u = Add32(u, static_cast<int32_t>(static_cast<uint32_t>(dq[UV]) * static_cast<uint32_t>(done)));
            v = Add32(v, static_cast<int32_t>(static_cast<uint32_t>(dq[UV + 1]) * static_cast<uint32_t>(done)));
            if (n <= 0)
                return;
        }
    }
    if constexpr (Smooth) {
        u = Add32(u, -0x8000);
        v = Add32(v, -0x8000);
        TexturedPixels<L, Alpha, VC, Mod, Smooth>(p, n, u, v, q, dq, colour,
                                                  [&tex](int32_t su, int32_t sv) { return SampleBilinear(tex, su, sv); });
    } else if (NearestSpanInside(tex, u, v, dq[UV], dq[UV + 1], n)) {
        TexturedPixels<L, Alpha, VC, Mod, Smooth>(p, n, u, v, q, dq, colour, [&tex](int32_t su, int32_t sv) {
            return tex.pixels[size_t{static_cast<uint32_t>(sv) >> 16} * tex.width + (static_cast<uint32_t>(su) >> 16)];
        });
    } else {
        TexturedPixels<L, Alpha, VC, Mod, Smooth>(p, n, u, v, q, dq, colour,
                                                  [&tex](int32_t su, int32_t sv) { return SampleNearest(tex, su, sv); });
    }
}

// The pixel work of an untextured filler with vertex colours over one span.
template <int L>
inline void ColouredSpan(uint8_t* p, int32_t n, const int32_t* q, const int32_t* dq)
{
    int32_t va = q[0], vr = q[1], vg = q[2], vb = q[3];
    for (int32_t i = 0; i < n; ++i, p += PixelFormatBytes(L)) {
        const uint32_t a = static_cast<uint32_t>(va);
        const uint32_t r16 = static_cast<uint32_t>(vr), g16 = static_cast<uint32_t>(vg),
                       b16 = static_cast<uint32_t>(vb);
        va = Add32(va, dq[0]);
        vr = Add32(vr, dq[1]);
        vg = Add32(vg, dq[2]);
        vb = Add32(vb, dq[3]);
        if (a > 0xF00000) {
            WriteOpaque<L>(p, (((r16 >> 16) & 0xFF) << 16) | (((g16 >> 16) & 0xFF) << 8) | ((b16 >> 16) & 0xFF));
            continue;
        }
        if (a <= 0x80000)
            continue;
        const uint32_t A = a >> 16;
        uint32_t sr, sg, sb;
        if constexpr (L == PIXEL_FORMAT_8888) {
            sr = static_cast<uint32_t>((uint64_t{r16} * A) >> 24) & 0xFF;
            sg = (((g16 >> 8) * A) >> 16) & 0xFF;
            sb = (((b16 >> 16) * A) >> 8) & 0xFF;
        } else {
            sr = (((r16 >> 16) * A) >> 8) & 0xFF;
            sg = (((g16 >> 16) * A) >> 8) & 0xFF;
            sb = (((b16 >> 16) * A) >> 8) & 0xFF;
        }
        Blend<L>(p, (sr << 16) | (sg << 8) | sb, A);
    }
}

template <int L, bool Tex, bool Alpha, bool VC, bool Mod, bool Smooth, bool Wide = false>
void Filler(const FixedCorner* corners, uint8_t* bits, int pitch, const TextureInfo& texture,
            const FillerColor& colour)
{
    FixedCorner c[3] = {corners[0], corners[1], corners[2]};
    if constexpr (VC && Mod) {
        // The drawing colour acts once, on this filler's own copy.
        const auto mul = [](int32_t ch, int32_t k) {
            return static_cast<int32_t>((static_cast<uint32_t>(ch) * static_cast<uint32_t>(k)) >> 8);
        };
        for (FixedCorner& k : c) {
            k.alpha = mul(k.alpha, colour.alpha);
            k.red = mul(k.red, colour.red);
            k.green = mul(k.green, colour.green);
            k.blue = mul(k.blue, colour.blue);
        }
    }
    const Texels texels = Tex ? TexelsOf(texture) : Texels{};
    const SpanTexels wide = Wide ? SpanTexelsOf(texels) : SpanTexels{};
    constexpr int first = VC ? 2 : 6;
    constexpr int nq = (VC ? 4 : 0) + (Tex ? 2 : 0);
    if constexpr (Tex && Wide && WideSpansKernelOf<L, Alpha, VC, Mod, Smooth>() != nullptr) {
        // The spans go to the kernel in batches, its set-up paid once per
        // batch; spans it declines are drawn by the filler's own loop.
        if (const NearestSpansKernel kernel = wideKernels.*WideSpansKernelOf<L, Alpha, VC, Mod, Smooth>()) {
            NearestSpan spans[kSpanBatch];
            int32_t count = 0;
            const auto flush = [&](int32_t n) {
                if (n > 0 && !kernel(spans, n, wide, colour)) {
                    for (int32_t k = 0; k < n; ++k) {
                        const int32_t q[2] = {spans[k].u, spans[k].v}, dq[2] = {spans[k].du, spans[k].dv};
                        TexturedSpan<L, Alpha, VC, Mod, Smooth, false>(spans[k].p, spans[k].count, q, dq, texels,
                                                                       wide, colour);
                    }
                }
            };
            ScanConvert<first, nq, PixelFormatBytes(L)>(
                c, bits, pitch, [&](uint8_t* p, int32_t n, const int32_t* q, const int32_t* dq) {
                    NearestSpan& span = spans[count++];
                    span.p = p;
                    span.count = n;
                    span.u = q[0];
                    span.v = q[1];
                    span.du = dq[0];
                    span.dv = dq[1];
                    if (count == kSpanBatch) {
                        flush(count);
                        count = 0;
                    }
                });
            flush(count);
            return;
        }
    }
    ScanConvert<first, nq, PixelFormatBytes(L)>(c, bits, pitch,
                                             [&](uint8_t* p, int32_t n, const int32_t* q, const int32_t* dq) {
                                                 if constexpr (Tex)
                                                     TexturedSpan<L, Alpha, VC, Mod, Smooth, Wide>(
                                                         p, n, q, dq, texels, wide, colour);
                                                 else
                                                     ColouredSpan<L>(p, n, q, dq);
                                             });
}

// Entry I of the plain table, or of the wide one (Wide), whose fillers with
// a kernel hand their spans to it first.
template <int I, bool Wide>
constexpr TriangleFiller TableEntry()
{
    constexpr PixelFormatCode layout = kSlotFormats[I >> 5];
    constexpr bool tex = I & FILLER_TEXTURED, alpha = I & FILLER_ALPHA_BLENDED, vc = I & FILLER_VERTEX_COLOURS,
                   mod = I & FILLER_MODULATED, smooth = I & FILLER_SMOOTH;
    if constexpr (!tex && !vc)
        return &RasterizeNothing;
    else if constexpr (!tex)
        return &Filler<layout, false, false, true, mod, false>;
    else if constexpr (layout == PIXEL_FORMAT_888 && !alpha && !vc && !mod)
        return TableEntry<(I & 0x1F), Wide>(); // the 32-bit plain fillers are shared
    else if constexpr (Wide && WideKernelOf<layout, alpha, vc, mod, smooth>() != nullptr)
        return &Filler<layout, true, alpha, vc, mod, smooth, true>;
    else
        return &Filler<layout, true, alpha, vc, mod, smooth>;
}

template <bool Wide, size_t... I>
constexpr std::array<TriangleFiller, FILLER_TABLE_SIZE> MakeTable(std::index_sequence<I...>)
{
    return {TableEntry<static_cast<int>(I), Wide>()...};
}

constexpr std::array<TriangleFiller, FILLER_TABLE_SIZE> fillerTable =
    MakeTable<false>(std::make_index_sequence<FILLER_TABLE_SIZE>());
constexpr std::array<TriangleFiller, FILLER_TABLE_SIZE> wideFillerTable =
    MakeTable<true>(std::make_index_sequence<FILLER_TABLE_SIZE>());

// The table of the active pixel-loop family, chosen once.
const std::array<TriangleFiller, FILLER_TABLE_SIZE>& ActiveTable()
{
    static const std::array<TriangleFiller, FILLER_TABLE_SIZE>* const table = [] {
        if (ActivePixelLoops() != PixelLoops::Avx2)
            return &fillerTable;
        FillAvx2FillerSpans(wideKernels);
        return &wideFillerTable;
    }();
    return *table;
}

} // namespace

void RasterizeNothing(const FixedCorner*, uint8_t*, int, const TextureInfo&, const FillerColor&) {}

int FillerIndex(bool textured, bool alphaBlended, bool vertexColours, bool modulated, bool smooth,
                PixelFormatCode format)
{
    int slot = 0; // any other word draws as PIXEL_FORMAT_8888
    for (int i = 1; i < 4; ++i)
        if (format == kSlotFormats[i])
            slot = i;
    return (slot << 5) | (textured ? FILLER_TEXTURED : 0) | (alphaBlended ? FILLER_ALPHA_BLENDED : 0) |
           (vertexColours ? FILLER_VERTEX_COLOURS : 0) | (modulated ? FILLER_MODULATED : 0) |
           (smooth ? FILLER_SMOOTH : 0);
}

TriangleFiller TriangleFillerAt(int index)
{
    return index >= 0 && index < FILLER_TABLE_SIZE ? ActiveTable()[static_cast<size_t>(index)] : &RasterizeNothing;
}

TriangleFiller PlainTriangleFillerAt(int index)
{
    return index >= 0 && index < FILLER_TABLE_SIZE ? fillerTable[static_cast<size_t>(index)] : &RasterizeNothing;
}

void RasterizeTriangleDispatch(bool textured, bool alphaBlended, bool vertexColours, bool modulated,
                               const FixedCorner& c0, const FixedCorner& c1, const FixedCorner& c2,
                               uint8_t* bits, int pitch, const TextureInfo& texture,
                               const FillerColor& colour, PixelFormatCode format, bool smooth)
{
    const FixedCorner corners[3] = {c0, c1, c2};
    ActiveTable()[static_cast<size_t>(FillerIndex(textured, alphaBlended, vertexColours, modulated, smooth, format))](
        corners, bits, pitch, texture, colour);
}

} // namespace Quib
