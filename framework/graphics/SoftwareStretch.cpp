// The filtered stretch: area average when shrinking, linear interpolation when
// enlarging, each axis separately. The filter is defined over two whole
// buffers (source rows filtered horizontally, then the destination rows); here
// the horizontal rows are made one at a time and the destination rows are
// finished as soon as no later source row reaches them, which gives the same
// sums with a few rows of memory.

#include "framework/graphics/LineSteppers.h"
#include "framework/graphics/SoftwareRender.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <immintrin.h>
#endif

namespace Quib {

using std::ptrdiff_t;

namespace {

struct PaletteRow {
    const uint32_t* palette;
    const uint8_t* p;
    uint32_t operator[](int i) const { return palette[p[i]]; }
};

// Cells of four 32-bit sums in the order blue, green, red, alpha.
inline void AddWeighted(uint32_t* cell, uint32_t p, uint32_t w)
{
    cell[0] += (p & 0xFF) * w;
    cell[1] += ((p >> 8) & 0xFF) * w;
    cell[2] += ((p >> 16) & 0xFF) * w;
    cell[3] += (p >> 24) * w;
}

struct HorizontalPlan {
    bool shrink = false;
    // Shrinking: per source column k, its cell u and the two weights.
    std::vector<int> cell;
    std::vector<uint32_t> w1, w2;
    // Enlarging: per destination column, the source column and its weight.
    std::vector<int> column, column1;
    std::vector<uint32_t> weight;
};

struct StretchContext {
    const PixelTarget& dst;
    const Rect& R;
    const PixelSource& src;
    int c, r0, n, m;
    int cells;
    HorizontalPlan plan;
    int pairCells = 0;  // enlarging: cells 0 .. pairCells - 1 read two neighbouring pixels
};

void MakeHorizontalPlan(StretchContext& ctx, const DoubleRect& area)
{
    HorizontalPlan& p = ctx.plan;
    const int width = ctx.R.width;
    if (width <= area.width) {
        p.shrink = true;
        const double e = width / area.width;
        p.cell.resize(size_t(ctx.n));
        p.w1.resize(size_t(ctx.n));
        p.w2.resize(size_t(ctx.n));
        for (int k = 0; k < ctx.n; ++k) {
            const double h = e * (ctx.c - area.x) + 1 + e * k;
            const int u = TruncToInt(h), v = TruncToInt(h + e);
            p.cell[size_t(k)] = u;
            if (u == v) {
                p.w1[size_t(k)] = uint32_t(TruncToInt(e * 257));
                p.w2[size_t(k)] = 0;
            } else {
                p.w1[size_t(k)] = uint32_t(TruncToInt((v - h) * 257));
                p.w2[size_t(k)] = uint32_t(TruncToInt((h + e - v) * 257));
            }
        }
    } else {
        const double f = width == 1 ? area.width / width : (area.width - 1) / (width - 1);
        p.column.resize(size_t(width));
        p.column1.resize(size_t(width));
        p.weight.resize(size_t(width));
        const int last = ctx.src.width - 1;
        for (int i = 0; i < width; ++i) {
            const double t = area.x + f * i;
            const int k = TruncToInt(t);
            p.weight[size_t(i)] = uint32_t(TruncToInt((1 - (t - k)) * 257));
            p.column[size_t(i)] = std::clamp(k, 0, last);
            p.column1[size_t(i)] = std::clamp(k + 1, 0, last);
        }
    }
}

// Horizontal pass of source row r0 + k into `row` (cells * 4 sums).
void FilterRow(const StretchContext& ctx, int k, uint32_t* row)
{
    const int sy = ctx.r0 + k;
    const ptrdiff_t base = ptrdiff_t(sy) * ctx.src.width;
    auto px = [&](int x) {
        const ptrdiff_t i = base + x;
        return ctx.src.palette ? ctx.src.palette[ctx.src.indices[i]] : ctx.src.bits[i];
    };
    const HorizontalPlan& p = ctx.plan;
    std::fill(row, row + size_t(ctx.cells) * 4, 0u);
    if (p.shrink) {
        for (int x = 0; x < ctx.n; ++x) {
            const uint32_t pixel = px(ctx.c + x);
            const int u = p.cell[size_t(x)];
            if (u < 0 || u >= ctx.cells)
                continue;
            AddWeighted(row + size_t(u) * 4, pixel, p.w1[size_t(x)]);
            if (p.w2[size_t(x)] && u + 1 < ctx.cells)
                AddWeighted(row + size_t(u + 1) * 4, pixel, p.w2[size_t(x)]);
        }
    } else {
        for (int i = 0; i < ctx.R.width; ++i) {
            uint32_t* cell = row + size_t(i + 1) * 4;
            const uint32_t w = p.weight[size_t(i)];
            AddWeighted(cell, px(p.column[size_t(i)]), w);
            if (int(w) < 257)
                AddWeighted(cell, px(p.column1[size_t(i)]), 257 - w);
        }
    }
}

// Writes destination row j from its sums (cells; cell i + 1 is column i).
void EmitRow(const StretchContext& ctx, int j, const uint32_t* sums)
{
    uint32_t* d = ctx.dst.bits + ptrdiff_t(ctx.R.y + j) * ctx.dst.stride + ctx.R.x;
    for (int i = 0; i < ctx.R.width; ++i) {
        const uint32_t* cell = sums + size_t(i + 1) * 4;
        const uint32_t u = cell[3] >> 16;
        if (u == 0)
            continue;
        const uint32_t fb = cell[0] >> 16, fg = cell[1] >> 16, fr = cell[2] >> 16;
        const uint32_t dp = d[i], inv = 256 - u;
        const uint32_t da = dp >> 24;
        const uint32_t r = ((fr * u) >> 8) + ((((dp >> 16) & 0xFF) * inv) >> 8);
        const uint32_t g = ((fg * u) >> 8) + ((((dp >> 8) & 0xFF) * inv) >> 8);
        const uint32_t b = ((fb * u) >> 8) + (((dp & 0xFF) * inv) >> 8);
        const uint32_t a = da + (255 - da) * u / 255;
        d[i] = (a << 24) | (r << 16) | (g << 8) | b;
    }
}


#ifdef __SSE2__
// Enlarging on both axes with weights in range (every horizontal sum then
// fits in 16 bits): horizontal rows of 16-bit sums, and the vertical mix and
// the output two pixels at a time.

// Horizontal pass of source row r0 + k: cell i = pixel(k_i) w_i + pixel(k_i + 1) (257 - w_i),
// two cells at a time. weights holds per cell w_i four times, then 257 - w_i
// four times.
inline __m128i Weights(const uint16_t* weights, int i)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + size_t(i) * 8));
}

template <class Row>
void FilterRow16(const StretchContext& ctx, Row px, const uint16_t* weights, uint16_t* row, bool avx2)
{
    const HorizontalPlan& p = ctx.plan;
    const int* c0 = p.column.data();
    const int* c1 = p.column1.data();
    const __m128i zero = _mm_setzero_si128();
    const int width = ctx.R.width;
    int i = avx2 ? FilterRow16Avx2(ctx, px, weights, row) : 0;
    for (; i + 2 <= width; i += 2) {
        const __m128i v = _mm_set_epi32(int(px[c1[i + 1]]), int(px[c0[i + 1]]), int(px[c1[i]]), int(px[c0[i]]));
        const __m128i ml = _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), Weights(weights, i));
        const __m128i mh = _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), Weights(weights, i + 1));
        const __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(ml, mh), _mm_unpackhi_epi64(ml, mh));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + size_t(i) * 4), sum);
    }
    if (i < width) {
        const __m128i v = _mm_set_epi32(0, 0, int(px[c1[i]]), int(px[c0[i]]));
        const __m128i m = _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), Weights(weights, i));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row + size_t(i) * 4), _mm_add_epi16(m, _mm_srli_si128(m, 8)));
    }
}

// Filtered values (a w + b (256 - w)) >> 16 of eight 16-bit sums.
inline __m128i VerticalMix(__m128i a, __m128i b, __m128i w, __m128i w2)
{
    const __m128i flip = _mm_set1_epi16(short(0x8000));
    const __m128i lo1 = _mm_mullo_epi16(a, w), hi1 = _mm_mulhi_epu16(a, w);
    const __m128i lo2 = _mm_mullo_epi16(b, w2), hi2 = _mm_mulhi_epu16(b, w2);
    const __m128i lo = _mm_add_epi16(lo1, lo2);
    // Carry out of the low halves: lo < lo1, unsigned.
    const __m128i carry = _mm_cmplt_epi16(_mm_xor_si128(lo, flip), _mm_xor_si128(lo1, flip));
    return _mm_sub_epi16(_mm_add_epi16(hi1, hi2), carry);
}

// Output of two pixels: F the filtered b, g, r, a (16-bit lanes), d the
// destination pixels.
inline __m128i StretchOutput(__m128i F, __m128i d16)
{
    const __m128i u = _mm_shufflehi_epi16(_mm_shufflelo_epi16(F, 0xFF), 0xFF);
    const __m128i inv = _mm_sub_epi16(_mm_set1_epi16(256), u);
    const __m128i colour = _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(F, u), 8),
                                         _mm_srli_epi16(_mm_mullo_epi16(d16, inv), 8));
    // Alpha: dA + (255 - dA) u / 255, the division as (x + 1 + (x >> 8)) >> 8.
    const __m128i x = _mm_mullo_epi16(_mm_sub_epi16(_mm_set1_epi16(255), d16), u);
    const __m128i q = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_srli_epi16(x, 8)), 8);
    const __m128i alpha = _mm_add_epi16(d16, q);
    const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    return _mm_or_si128(_mm_and_si128(alphaLanes, alpha), _mm_andnot_si128(alphaLanes, colour));
}

// The same two loops eight and four pixels at a time.
__attribute__((target("avx2"))) inline __m256i Weights2(const uint16_t* weights, int i, int j)
{
    return _mm256_set_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + size_t(j) * 8)),
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + size_t(i) * 8)));
}

template <class Row>
__attribute__((target("avx2"))) int FilterRow16Avx2(const StretchContext& ctx, Row px, const uint16_t* weights,
                                                    uint16_t* row)
{
    const int* c0 = ctx.plan.column.data();
    const int* c1 = ctx.plan.column1.data();
    const __m256i zero = _mm256_setzero_si256();
    const int width = ctx.R.width;
    int i = 0;
    if constexpr (std::is_pointer_v<Row>) {
        // Where each cell's two pixels are neighbours, one 64-bit load each.
        auto pair = [&](int k) {
            long long v;
            std::memcpy(&v, px + c0[k], sizeof v);
            return v;
        };
        for (; i + 4 <= ctx.pairCells; i += 4) {
            const __m256i v = _mm256_set_epi64x(pair(i + 3), pair(i + 2), pair(i + 1), pair(i));
            const __m256i ml = _mm256_mullo_epi16(_mm256_unpacklo_epi8(v, zero), Weights2(weights, i, i + 2));
            const __m256i mh = _mm256_mullo_epi16(_mm256_unpackhi_epi8(v, zero), Weights2(weights, i + 1, i + 3));
            const __m256i sum = _mm256_add_epi16(_mm256_unpacklo_epi64(ml, mh), _mm256_unpackhi_epi64(ml, mh));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + size_t(i) * 4), sum);
        }
    }
    for (; i + 4 <= width; i += 4) {
        const __m256i v = _mm256_setr_epi32(int(px[c0[i]]), int(px[c1[i]]), int(px[c0[i + 1]]), int(px[c1[i + 1]]),
                                            int(px[c0[i + 2]]), int(px[c1[i + 2]]), int(px[c0[i + 3]]),
                                            int(px[c1[i + 3]]));
        const __m256i ml = _mm256_mullo_epi16(_mm256_unpacklo_epi8(v, zero), Weights2(weights, i, i + 2));
        const __m256i mh = _mm256_mullo_epi16(_mm256_unpackhi_epi8(v, zero), Weights2(weights, i + 1, i + 3));
        const __m256i sum = _mm256_add_epi16(_mm256_unpacklo_epi64(ml, mh), _mm256_unpackhi_epi64(ml, mh));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + size_t(i) * 4), sum);
    }
    return i;
}

__attribute__((target("avx2"))) inline __m256i VerticalMix256(__m256i a, __m256i b, __m256i w, __m256i w2)
{
    const __m256i flip = _mm256_set1_epi16(short(0x8000));
    const __m256i lo1 = _mm256_mullo_epi16(a, w), hi1 = _mm256_mulhi_epu16(a, w);
    const __m256i lo2 = _mm256_mullo_epi16(b, w2), hi2 = _mm256_mulhi_epu16(b, w2);
    const __m256i lo = _mm256_add_epi16(lo1, lo2);
    const __m256i carry = _mm256_cmpgt_epi16(_mm256_xor_si256(lo1, flip), _mm256_xor_si256(lo, flip));
    return _mm256_sub_epi16(_mm256_add_epi16(hi1, hi2), carry);
}

__attribute__((target("avx2"))) inline __m256i StretchOutput256(__m256i F, __m256i d16)
{
    const __m256i u = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(F, 0xFF), 0xFF);
    const __m256i inv = _mm256_sub_epi16(_mm256_set1_epi16(256), u);
    const __m256i colour = _mm256_add_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(F, u), 8),
                                            _mm256_srli_epi16(_mm256_mullo_epi16(d16, inv), 8));
    const __m256i x = _mm256_mullo_epi16(_mm256_sub_epi16(_mm256_set1_epi16(255), d16), u);
    const __m256i q =
        _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(x, _mm256_set1_epi16(1)), _mm256_srli_epi16(x, 8)), 8);
    const __m256i alpha = _mm256_add_epi16(d16, q);
    const __m256i alphaLanes = _mm256_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0);
    return _mm256_blendv_epi8(colour, alpha, alphaLanes);
}

// One destination row from horizontal rows a and b; returns the pixels done.
__attribute__((target("avx2"))) int EmitRowAvx2(uint32_t* d, const uint16_t* a, const uint16_t* b, int width,
                                                uint32_t weight)
{
    const __m256i w = _mm256_set1_epi16(short(weight)), w2 = _mm256_set1_epi16(short(256 - weight));
    const __m256i alphaLanes = _mm256_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0);
    const __m256i alpha255 = _mm256_and_si256(alphaLanes, _mm256_set1_epi16(255));
    int i = 0;
    for (; i + 8 <= width; i += 8) {
        const __m256i* av = reinterpret_cast<const __m256i*>(a + size_t(i) * 4);
        const __m256i* bv = reinterpret_cast<const __m256i*>(b + size_t(i) * 4);
        const __m256i F1 = VerticalMix256(_mm256_loadu_si256(av), _mm256_loadu_si256(bv), w, w2);
        const __m256i F2 = VerticalMix256(_mm256_loadu_si256(av + 1), _mm256_loadu_si256(bv + 1), w, w2);
        const __m256i alphas = _mm256_and_si256(_mm256_and_si256(F1, F2), alphaLanes);
        __m256i o1, o2;
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi16(alphas, alpha255)) == -1) {
            // u = 255 everywhere: colour F * 255 >> 8, alpha 255.
            const __m256i k = _mm256_set1_epi16(255);
            o1 = _mm256_or_si256(_mm256_srli_epi16(_mm256_mullo_epi16(F1, k), 8), alpha255);
            o2 = _mm256_or_si256(_mm256_srli_epi16(_mm256_mullo_epi16(F2, k), 8), alpha255);
        } else {
            const __m128i* dp = reinterpret_cast<const __m128i*>(d + i);
            o1 = StretchOutput256(F1, _mm256_cvtepu8_epi16(_mm_loadu_si128(dp)));
            o2 = StretchOutput256(F2, _mm256_cvtepu8_epi16(_mm_loadu_si128(dp + 1)));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                            _mm256_permute4x64_epi64(_mm256_packus_epi16(o1, o2), 0xD8));
    }
    return i;
}

void EnlargeBoth16(StretchContext& ctx, const std::vector<int>& rowK, const std::vector<int>& rowK1,
                   const std::vector<uint32_t>& rowW)
{
    const int width = ctx.R.width;
    const size_t rowSize = size_t(width) * 4 + 8;
    std::vector<uint16_t> rows(rowSize * 2);
    uint16_t* cached[2] = {rows.data(), rows.data() + rowSize};
    int cachedIndex[2] = {-1, -1};
    const bool avx2 = SoftwareAvx2();
    // Leading cells whose two pixels are neighbours (all but the last ones).
    ctx.pairCells = 0;
    while (ctx.pairCells < width && ctx.plan.column1[size_t(ctx.pairCells)] == ctx.plan.column[size_t(ctx.pairCells)] + 1)
        ++ctx.pairCells;
    std::vector<uint16_t> weights(size_t(width) * 8);
    for (int i = 0; i < width; ++i) {
        const uint16_t w = uint16_t(ctx.plan.weight[size_t(i)]);
        std::fill_n(weights.begin() + ptrdiff_t(i) * 8, 4, w);
        std::fill_n(weights.begin() + ptrdiff_t(i) * 8 + 4, 4, uint16_t(257 - w));
    }
    auto ensure = [&](int k, int keep) -> int {
        for (int s = 0; s < 2; ++s)
            if (cachedIndex[s] == k)
                return s;
        const int s = keep >= 0 ? 1 - keep : (cachedIndex[0] <= cachedIndex[1] ? 0 : 1);
        const ptrdiff_t base = ptrdiff_t(ctx.r0 + k) * ctx.src.width;
        if (ctx.src.palette)
            FilterRow16(ctx, PaletteRow{ctx.src.palette, ctx.src.indices + base}, weights.data(), cached[s], avx2);
        else
            FilterRow16(ctx, ctx.src.bits + base, weights.data(), cached[s], avx2);
        cachedIndex[s] = k;
        return s;
    };
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    const __m128i alpha255 = _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0);
    for (int j = 0; j < ctx.R.height; ++j) {
        const int k = rowK[size_t(j)], k1 = rowK1[size_t(j)];
        const int sa = ensure(k, -1);
        const int sb = k1 == k ? sa : ensure(k1, sa);
        const uint16_t* a = cached[sa];
        const uint16_t* b = cached[sb];
        const __m128i w = _mm_set1_epi16(short(rowW[size_t(j)]));
        const __m128i w2 = _mm_set1_epi16(short(256 - rowW[size_t(j)]));
        uint32_t* d = ctx.dst.bits + ptrdiff_t(ctx.R.y + j) * ctx.dst.stride + ctx.R.x;
        // Two pixels per vector; u = 255 on every pixel (an opaque source)
        // gives colour F * 255 >> 8 (the destination's share d >> 8 is 0)
        // and alpha 255 without reading the destination.
        auto pair = [&](int at, __m128i F, bool opaque) {
            if (opaque)
                return _mm_or_si128(_mm_srli_epi16(_mm_mullo_epi16(F, _mm_set1_epi16(255)), 8), alpha255);
            const __m128i d16 = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(d + at)), zero);
            return StretchOutput(F, d16);
        };
        auto mix = [&](int at) {
            return VerticalMix(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + size_t(at) * 4)),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + size_t(at) * 4)), w, w2);
        };
        int i = avx2 ? EmitRowAvx2(d, a, b, width, rowW[size_t(j)]) : 0;
        for (; i + 4 <= width; i += 4) {
            const __m128i F1 = mix(i), F2 = mix(i + 2);
            const __m128i alphas = _mm_and_si128(_mm_and_si128(F1, F2), alphaLanes);
            const bool opaque = (_mm_movemask_epi8(_mm_cmpeq_epi16(alphas, alpha255)) & 0xC0C0) == 0xC0C0;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                             _mm_packus_epi16(pair(i, F1, opaque), pair(i + 2, F2, opaque)));
        }
        for (; i + 2 <= width; i += 2)
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(pair(i, mix(i), false), zero));
        if (i < width) {
            // The last odd pixel: the same arithmetic on one lane.
            const __m128i av = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + size_t(i) * 4));
            const __m128i bv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + size_t(i) * 4));
            const __m128i F = VerticalMix(av, bv, w, w2);
            const __m128i d16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(d[i])), zero);
            d[i] = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(StretchOutput(F, d16), zero)));
        }
    }
}
#endif

} // namespace

bool SoftStretchFiltered(const PixelTarget& dst, const Rect& R, const DoubleRect& area, const PixelSource& src)
{
    if (R.width <= 0 || R.height <= 0)
        return false;
    const int c = std::max(TruncToInt(std::floor(area.x)), 0);
    const int r0 = std::max(TruncToInt(std::floor(area.y)), 0);
    int n = TruncToInt(std::ceil(area.x - c + area.width));
    int m = TruncToInt(std::ceil(area.y - r0 + area.height));
    n = int(std::min<int64_t>(n, int64_t(src.width) - c));
    m = int(std::min<int64_t>(m, int64_t(src.height) - r0));
    if (n < 1 || m < 1)
        return false;
    // The filter's two buffers of 16-byte cells must have 32-bit sizes.
    const uint64_t cells = uint64_t(R.width) + 4;
    if (uint64_t(m) * cells * 16 > 0xFFFFFFFFu || (uint64_t(R.height) + 4) * cells * 16 > 0xFFFFFFFFu)
        return false;

    StretchContext ctx{dst, R, src, c, r0, n, m, int(cells), {}};
    MakeHorizontalPlan(ctx, area);
    const size_t rowSize = size_t(cells) * 4;

    if (R.height > area.height) {
        // Enlarging: destination row j mixes horizontal rows k and k + 1.
        const double f = R.height == 1 ? area.height / R.height : (area.height - 1) / (R.height - 1);
        const double frac = area.y - TruncToInt(area.y);
#ifdef __SSE2__
        if (!ctx.plan.shrink) {
            std::vector<int> rowK(size_t(R.height)), rowK1(size_t(R.height));
            std::vector<uint32_t> rowW(size_t(R.height));
            bool inRange = std::all_of(ctx.plan.weight.begin(), ctx.plan.weight.end(),
                                       [](uint32_t w) { return w <= 257; });
            for (int j = 0; j < R.height && inRange; ++j) {
                const double t = frac + f * j;
                const int k = std::clamp(TruncToInt(t), 0, m - 1);
                const int w = TruncToInt((1 - (t - TruncToInt(t))) * 256);
                inRange = w >= 0 && w <= 256;
                rowK[size_t(j)] = k;
                rowK1[size_t(j)] = k + 1 < m ? k + 1 : k;
                rowW[size_t(j)] = uint32_t(w);
            }
            if (inRange) {
                EnlargeBoth16(ctx, rowK, rowK1, rowW);
                return true;
            }
        }
#endif
        std::vector<uint32_t> rows(rowSize * 3);
        uint32_t* cached[2] = {rows.data(), rows.data() + rowSize};
        int cachedIndex[2] = {-1, -1};
        uint32_t* out = rows.data() + 2 * rowSize;
        // The slot holding horizontal row k, filtered on first use; never
        // the slot `keep`.
        auto ensure = [&](int k, int keep) -> int {
            for (int s = 0; s < 2; ++s)
                if (cachedIndex[s] == k)
                    return s;
            const int s = keep >= 0 ? 1 - keep : (cachedIndex[0] <= cachedIndex[1] ? 0 : 1);
            FilterRow(ctx, k, cached[s]);
            cachedIndex[s] = k;
            return s;
        };
        for (int j = 0; j < R.height; ++j) {
            const double t = frac + f * j;
            const int k = std::clamp(TruncToInt(t), 0, m - 1);
            const uint32_t w = uint32_t(TruncToInt((1 - (t - TruncToInt(t))) * 256));
            const int k1 = k + 1 < m ? k + 1 : k;
            const int sa = ensure(k, -1);
            const int sb = k1 == k ? sa : ensure(k1, sa);
            const uint32_t* a = cached[sa];
            const uint32_t* b = cached[sb];
            const uint32_t w2 = 256 - w;
            for (size_t e = 4; e < size_t(R.width + 1) * 4; ++e)
                out[e] = a[e] * w + b[e] * w2;
            EmitRow(ctx, j, out);
        }
        return true;
    }

    // Shrinking or equal: every horizontal row adds into destination rows u
    // and u + 1; a row is finished once the rows have moved past it.
    const double e = R.height / area.height;
    std::vector<uint32_t> rows(rowSize * 3);
    uint32_t* hrow = rows.data();
    uint32_t* acc[2] = {rows.data() + rowSize, rows.data() + 2 * rowSize};
    int low = INT32_MIN;  // buffer row held in acc[0]; acc[1] holds low + 1
    auto flush = [&](uint32_t* sums, int bufferRow) {
        if (bufferRow >= 1 && bufferRow <= R.height)
            EmitRow(ctx, bufferRow - 1, sums);
        std::fill(sums, sums + rowSize, 0u);
    };
    auto addRow = [&](int bufferRow, uint32_t w) {
        if (bufferRow != low && bufferRow != low + 1)
            return;
        uint32_t* target = bufferRow == low ? acc[0] : acc[1];
        for (size_t i = 0; i < rowSize; ++i)
            target[i] += hrow[i] * w;
    };
    for (int k = 0; k < m; ++k) {
        const double h = e * (r0 - area.y) + 1 + e * k;
        const int u = TruncToInt(std::floor(h)), v = TruncToInt(std::floor(h + e));
        if (low == INT32_MIN) {
            low = u;
        } else {
            while (low < u) {
                flush(acc[0], low);
                std::swap(acc[0], acc[1]);
                ++low;
            }
        }
        FilterRow(ctx, k, hrow);
        if (u == v) {
            addRow(u, uint32_t(TruncToInt(e * 256)));
        } else {
            addRow(u, uint32_t(TruncToInt((v - h) * 256)));
            addRow(v, uint32_t(TruncToInt((h + e - v) * 256)));
        }
    }
    if (low != INT32_MIN) {
        flush(acc[0], low);
        flush(acc[1], low + 1);
    }
    return true;
}

} // namespace Quib
