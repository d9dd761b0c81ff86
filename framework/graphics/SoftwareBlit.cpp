#include "framework/graphics/LineSteppers.h"
#include "framework/graphics/OverComposite.h"
#include "framework/graphics/SoftwareRender.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#ifdef __SSE2__
#include <immintrin.h>
#endif

namespace Quib {

using std::ptrdiff_t;

namespace {

bool ProcessorHasAvx2()
{
#ifdef __SSE2__
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

bool gAvx2 = ProcessorHasAvx2();

} // namespace

void SetSoftwareAvx2(bool enabled)
{
    gAvx2 = enabled && ProcessorHasAvx2();
}

bool SoftwareAvx2() { return gAvx2; }

namespace {

// Row readers: straight bits, or palette entries through index bytes.
struct BitsRow {
    const uint32_t* p;
    uint32_t operator[](int i) const { return p[i]; }
};
struct PaletteRow {
    const uint32_t* palette;
    const uint8_t* p;
    uint32_t operator[](int i) const { return palette[p[i]]; }
};

// Calls body(row reader for source row sy + j, j) for each row.
template <class Body>
void ForEachSourceRow(const PixelSource& src, const Rect& s, Body&& body)
{
    for (int j = 0; j < s.height; ++j) {
        const ptrdiff_t offset = ptrdiff_t(s.y + j) * src.width + s.x;
        if (src.palette)
            body(PaletteRow{src.palette, src.indices + offset}, j);
        else
            body(BitsRow{src.bits + offset}, j);
    }
}

// Weights of the blits' white composite for a source alpha a over dA.
inline uint32_t WhiteComposite(uint32_t d, uint32_t s)
{
    const uint32_t a = s >> 24;
    if (a == 255)
        return 0xFF000000 | MixChannelsBlit(d, s, 255);
    OverWeights w;
    if (!LookUpOverWeights(a, d >> 24, w))
        return d;
    return (w.alpha << 24) | MixChannelsBlit(d, s, w.g);
}

// Run path: opaque destination, opaque white colour.
template <class Row>
void RunRow(uint32_t* d, Row s, const uint8_t* runs, int width)
{
    int i = 0;
    while (i < width) {
        const int n = std::min<int>(runs[i], width - i);
        const uint32_t a = s[i] >> 24;
        if (a == 255) {
            if constexpr (std::is_same_v<Row, BitsRow>) {
                std::memmove(d + i, s.p + i, size_t(n) * 4);  // a picture may be put onto itself
            } else {
                for (int k = 0; k < n; ++k)
                    d[i + k] = s[i + k];
            }
        } else if (a != 0) {
            for (int k = i; k < i + n; ++k) {
                const uint32_t sp = s[k];
                d[k] = 0xFF000000 | MixChannelsBlit(d[k], sp, sp >> 24);
            }
        }
        i += std::max(n, 1);
    }
}

#ifdef __SSE2__
// The white composite eight pixels at a time where all eight are opaque
// (a = 255 gives A = 255 and g = 255: red and green (255 s + d) >> 8, blue
// 255 s >> 8) or all transparent (skipped); mixed groups go pixel by pixel.
__attribute__((target("avx2"))) int WhiteCompositeAvx2(uint32_t* d, const uint32_t* s, int width)
{
    const __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i k255 = _mm256_set1_epi16(255);
    // The destination's share only in the red and green lanes.
    const __m256i redGreen = _mm256_set_epi16(0, -1, -1, 0, 0, -1, -1, 0, 0, -1, -1, 0, 0, -1, -1, 0);
    const __m256i blueLanes = _mm256_set_epi16(0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1);
    const int* table = reinterpret_cast<const int*>(OverWeightTable());
    int i = 0;
    for (; i + 8 <= width; i += 8) {
        const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        if (_mm256_testz_si256(sv, alphaMask))
            continue;
        __m256i* dp = reinterpret_cast<__m256i*>(d + i);
        const __m256i dv = _mm256_loadu_si256(dp);
        if (!_mm256_testc_si256(sv, alphaMask)) {
            // Mixed alphas: the weights of each pair from the table. A source
            // alpha of 0 gives g = 0 and A = dA, which leaves the pixel as it is.
            const __m256i idx = _mm256_or_si256(_mm256_slli_epi32(_mm256_srli_epi32(sv, 24), 8), _mm256_srli_epi32(dv, 24));
            const __m256i e = _mm256_and_si256(_mm256_i32gather_epi32(table, idx, 2), _mm256_set1_epi32(0xFFFF));
            const __m256i g = _mm256_and_si256(e, _mm256_set1_epi32(0xFF));
            const __m256i gg = _mm256_or_si256(g, _mm256_slli_epi32(g, 16));
            auto half = [&](__m256i s16, __m256i d16, __m256i G) __attribute__((target("avx2"))) {
                const __m256i ps = _mm256_mullo_epi16(s16, G);
                const __m256i pd = _mm256_mullo_epi16(d16, _mm256_sub_epi16(_mm256_set1_epi16(256), G));
                const __m256i rg = _mm256_srli_epi16(_mm256_add_epi16(ps, pd), 8);
                const __m256i b = _mm256_add_epi16(_mm256_srli_epi16(ps, 8), _mm256_srli_epi16(pd, 8));
                return _mm256_blendv_epi8(rg, b, blueLanes);
            };
            const __m256i lo = half(_mm256_unpacklo_epi8(sv, zero), _mm256_unpacklo_epi8(dv, zero), _mm256_unpacklo_epi32(gg, gg));
            const __m256i hi = half(_mm256_unpackhi_epi8(sv, zero), _mm256_unpackhi_epi8(dv, zero), _mm256_unpackhi_epi32(gg, gg));
            const __m256i colour = _mm256_andnot_si256(alphaMask, _mm256_packus_epi16(lo, hi));
            _mm256_storeu_si256(dp, _mm256_or_si256(colour, _mm256_slli_epi32(_mm256_srli_epi32(e, 8), 24)));
            continue;
        }
        const __m256i lo = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(sv, zero), k255),
                             _mm256_and_si256(_mm256_unpacklo_epi8(dv, zero), redGreen)),
            8);
        const __m256i hi = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(sv, zero), k255),
                             _mm256_and_si256(_mm256_unpackhi_epi8(dv, zero), redGreen)),
            8);
        _mm256_storeu_si256(dp, _mm256_or_si256(_mm256_packus_epi16(lo, hi), alphaMask));
    }
    return i;
}
#endif

template <class Row>
void WhiteRow(uint32_t* d, Row s, int width)
{
    int i = 0;
#ifdef __SSE2__
    if constexpr (std::is_same_v<Row, BitsRow>) {
        if (gAvx2)
            i = WhiteCompositeAvx2(d, s.p, width);
    }
#endif
    for (; i < width; ++i) {
        const uint32_t sp = s[i];
        if ((sp >> 24) != 0)
            d[i] = WhiteComposite(d[i], sp);
    }
}

template <class Row>
void ModulatedRow(uint32_t* d, Row s, int width, const Color& c)
{
    const uint32_t ca = uint32_t(c.alpha);
    const bool grey = c.red == c.green && c.green == c.blue;
    const uint32_t cr = uint32_t(c.red), cg = uint32_t(c.green), cb = uint32_t(c.blue);
    for (int i = 0; i < width; ++i) {
        const uint32_t sp = s[i];
        const uint32_t a = (sp >> 24) * ca / 255;
        if (a == 0)
            continue;
        const uint32_t dp = d[i];
        OverWeights w;
        if (!LookUpOverWeights(a, dp >> 24, w))
            continue;
        const uint32_t g = w.g, inv = 256 - g;
        const uint32_t sr = (sp >> 16) & 0xFF, sg = (sp >> 8) & 0xFF, sb = sp & 0xFF;
        const uint32_t dr = (dp >> 16) & 0xFF, dg = (dp >> 8) & 0xFF, db = dp & 0xFF;
        uint32_t r, gr, b;
        if (grey) {
            const uint32_t k = cr;
            r = (((sr * k) >> 8) * g + dr * inv) >> 8;
            gr = (((sg * g * k) >> 8) + dg * inv) >> 8;
            b = ((((sb * k) >> 8) * g) >> 8) + ((db * inv) >> 8);
        } else {
            r = (sr * g * cr + 256 * dr * inv) >> 16;
            gr = (((sg * g * cg) >> 8) + dg * inv) >> 8;
            b = ((sb * g * cb) >> 16) + ((db * inv) >> 8);
        }
        d[i] = (w.alpha << 24) | (r << 16) | (gr << 8) | b;
    }
}


#ifdef __SSE2__
// Four pixels of the white additive blit with translucent pixels: each
// channel + (s * sA >> 8), saturated; alpha kept.
inline __m128i AddWeightedWhite4(__m128i d, __m128i s)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i rgbMask = _mm_set1_epi32(0x00FFFFFF);
    __m128i lo = _mm_unpacklo_epi8(s, zero);
    __m128i hi = _mm_unpackhi_epi8(s, zero);
    __m128i alo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(lo, 0xFF), 0xFF);
    __m128i ahi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(hi, 0xFF), 0xFF);
    lo = _mm_srli_epi16(_mm_mullo_epi16(lo, alo), 8);
    hi = _mm_srli_epi16(_mm_mullo_epi16(hi, ahi), 8);
    const __m128i add = _mm_and_si128(_mm_packus_epi16(lo, hi), rgbMask);
    return _mm_adds_epu8(d, add);
}
#endif

// The white additive rule: each channel + s, or + s * sA >> 8 with
// translucent pixels; alpha kept.
inline uint32_t AddWhite(uint32_t d, uint32_t sp, bool translucent)
{
    const uint32_t sa = translucent ? sp >> 24 : 256;
    return AddChannelsClamped(d, (((sp >> 16) & 0xFF) * sa) >> 8, (((sp >> 8) & 0xFF) * sa) >> 8,
                              ((sp & 0xFF) * sa) >> 8);
}

#ifdef __SSE2__
// The white additive blit of `height` rows from a source in bits form, rows
// dStride and sStride words apart. Eight pixels at a time on a 32-byte
// aligned destination (no load or store of it then crosses a cache line), the
// ends of each row one at a time.
__attribute__((target("avx2"))) void AdditiveWhiteAvx2(uint32_t* d, ptrdiff_t dStride, const uint32_t* s,
                                                       ptrdiff_t sStride, int width, int height, bool translucent)
{
    const __m256i rgbMask = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000));
    const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
    const __m256i greenHigh = _mm256_set1_epi32(0x0000FF00);
    const __m256i one = _mm256_set1_epi8(1);
    // Each pixel's alpha byte into both of its 16-bit lanes.
    const __m256i alphaLanes = _mm256_setr_epi8(3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1, 3, -1, 3,
                                                -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1);
    // s * sA >> 8 per colour byte: blue and red in one 16-bit multiply per
    // lane, green (with alpha, dropped) in another.
    auto weighted = [&](__m256i sv) __attribute__((target("avx2"))) {
        if (!translucent)
            return _mm256_and_si256(sv, rgbMask);
        const __m256i a = _mm256_shuffle_epi8(sv, alphaLanes);
        const __m256i rb = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(sv, lowBytes), a), 8);
        const __m256i g = _mm256_and_si256(_mm256_mullo_epi16(_mm256_srli_epi16(sv, 8), a), greenHigh);
        return _mm256_or_si256(rb, g);
    };
    for (int j = 0; j < height; ++j, d += dStride, s += sStride) {
        const int head = std::min(width, int((32 - (reinterpret_cast<uintptr_t>(d) & 31)) & 31) / 4);
        int i = 0;
        for (; i < head; ++i)
            d[i] = AddWhite(d[i], s[i], translucent);
        for (; i + 16 <= width; i += 16) {
            const __m256i s0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
            const __m256i s1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 8));
            __m256i* dp = reinterpret_cast<__m256i*>(d + i);
            if (translucent && _mm256_testc_si256(_mm256_and_si256(s0, s1), alphaMask)) {
                // All opaque: s * 255 >> 8 is s - 1, or 0 for 0.
                _mm256_storeu_si256(dp, _mm256_adds_epu8(_mm256_loadu_si256(dp),
                                                         _mm256_and_si256(_mm256_subs_epu8(s0, one), rgbMask)));
                _mm256_storeu_si256(dp + 1, _mm256_adds_epu8(_mm256_loadu_si256(dp + 1),
                                                             _mm256_and_si256(_mm256_subs_epu8(s1, one), rgbMask)));
                continue;
            }
            // Sixteen pixels of alpha 0 add nothing when the weights apply.
            if (translucent && _mm256_testz_si256(_mm256_or_si256(s0, s1), alphaMask))
                continue;
            _mm256_storeu_si256(dp, _mm256_adds_epu8(_mm256_loadu_si256(dp), weighted(s0)));
            _mm256_storeu_si256(dp + 1, _mm256_adds_epu8(_mm256_loadu_si256(dp + 1), weighted(s1)));
        }
        for (; i + 8 <= width; i += 8) {
            const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
            __m256i* dp = reinterpret_cast<__m256i*>(d + i);
            _mm256_storeu_si256(dp, _mm256_adds_epu8(_mm256_loadu_si256(dp), weighted(sv)));
        }
        for (; i < width; ++i)
            d[i] = AddWhite(d[i], s[i], translucent);
    }
}
#endif

template <class Row>
void AdditiveRow(uint32_t* d, Row s, int width, const Color& c, bool translucent)
{
    if (c.IsOpaqueWhite()) {
        int i = 0;
#ifdef __SSE2__
        if constexpr (std::is_same_v<Row, BitsRow>) {
            const __m128i rgbMask = _mm_set1_epi32(0x00FFFFFF);
            const __m128i alphaMask = _mm_set1_epi32(int(0xFF000000));
            for (; i + 4 <= width; i += 4) {
                const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.p + i));
                __m128i* dp = reinterpret_cast<__m128i*>(d + i);
                if (!translucent) {
                    _mm_storeu_si128(dp, _mm_adds_epu8(_mm_loadu_si128(dp), _mm_and_si128(sv, rgbMask)));
                    continue;
                }
                // Four pixels of alpha 0 add nothing.
                if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(sv, alphaMask), _mm_setzero_si128())) == 0xFFFF)
                    continue;
                _mm_storeu_si128(dp, AddWeightedWhite4(_mm_loadu_si128(dp), sv));
            }
        }
#endif
        for (; i < width; ++i)
            d[i] = AddWhite(d[i], s[i], translucent);
    } else {
        const uint32_t ca = uint32_t(c.alpha);
        const uint32_t kr = ca * uint32_t(c.red) / 255, kg = ca * uint32_t(c.green) / 255,
                       kb = ca * uint32_t(c.blue) / 255;
        for (int i = 0; i < width; ++i) {
            const uint32_t sp = s[i];
            const uint32_t sr = (sp >> 16) & 0xFF, sg = (sp >> 8) & 0xFF, sb = sp & 0xFF;
            if (!translucent) {
                d[i] = AddChannelsClamped(d[i], (sr * kr) >> 8, (sg * kg) >> 8, (sb * kb) >> 8);
            } else {
                const uint32_t sa = sp >> 24;
                d[i] = AddChannelsClamped(d[i], (sr * kr * sa) >> 16, (sg * kg * sa) >> 16, (((sb * kb) >> 8) * sa) >> 8);
            }
        }
    }
}

} // namespace

void SoftPutImageNormal(const PixelTarget& dst, int x, int y, const PixelSource& src, const Rect& s,
                        const Color& color, const uint8_t* runTable)
{
    const bool white = color.IsOpaqueWhite();
    ForEachSourceRow(src, s, [&](auto row, int j) {
        uint32_t* d = dst.bits + ptrdiff_t(y + j) * dst.stride + x;
        if (white && runTable)
            RunRow(d, row, runTable + ptrdiff_t(s.y + j) * src.width + s.x, s.width);
        else if (white)
            WhiteRow(d, row, s.width);
        else
            ModulatedRow(d, row, s.width, color);
    });
}

void SoftPutImageAdditive(const PixelTarget& dst, int x, int y, const PixelSource& src, const Rect& s,
                          const Color& color, bool srcHasTranslucent)
{
#ifdef __SSE2__
    if (gAvx2 && src.bits && color.IsOpaqueWhite()) {
        AdditiveWhiteAvx2(dst.bits + ptrdiff_t(y) * dst.stride + x, dst.stride,
                          src.bits + ptrdiff_t(s.y) * src.width + s.x, src.width, s.width, s.height,
                          srcHasTranslucent);
        return;
    }
#endif
    ForEachSourceRow(src, s, [&](auto row, int j) {
        AdditiveRow(dst.bits + ptrdiff_t(y + j) * dst.stride + x, row, s.width, color, srcHasTranslucent);
    });
}

bool ClipStretchRects(const Rect& dest, const Rect& src, const Rect& clip, Rect& clipped, DoubleRect& area)
{
    clipped = dest.Intersection(clip);
    const double fx = double(src.width) / dest.width;
    const double fy = double(src.height) / dest.height;
    // Differences of int positions may pass the int range: taken as doubles.
    area.x = src.x + (double(clipped.x) - dest.x) * fx;
    area.y = src.y + (double(clipped.y) - dest.y) * fy;
    area.width = src.width + (double(clipped.width) - dest.width) * fx;
    area.height = src.height + (double(clipped.height) - dest.height) * fy;
    // A zero-sized destination gives NaN or infinite factors: not greater
    // than 0 is tested so that NaN fails as well.
    return area.width > 0 && area.height > 0 && clipped.width > 0 && clipped.height > 0;
}

void SoftStretchFast(const PixelTarget& dst, const Rect& R, const DoubleRect& area, const PixelSource& src)
{
    const double stepX = area.width / R.width;
    const double stepY = area.height / R.height;
    // Source columns once per call (clamped into the source).
    std::vector<int> columns(size_t(R.width));
    for (int i = 0; i < R.width; ++i)
        columns[size_t(i)] = std::clamp(TruncToInt(area.x + i * stepX), 0, src.width - 1);
    for (int j = 0; j < R.height; ++j) {
        const int sy = std::clamp(TruncToInt(area.y + j * stepY), 0, src.height - 1);
        uint32_t* d = dst.bits + ptrdiff_t(R.y + j) * dst.stride + R.x;
        const ptrdiff_t rowOffset = ptrdiff_t(sy) * src.width;
        for (int i = 0; i < R.width; ++i) {
            const int idx = int(rowOffset + columns[size_t(i)]);
            const uint32_t sp = src.palette ? src.palette[src.indices[idx]] : src.bits[idx];
            if ((sp >> 24) != 0)
                d[i] = WhiteComposite(d[i], sp);
        }
    }
}

} // namespace Quib
