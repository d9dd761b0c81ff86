// The filtered stretch: area average when shrinking, linear interpolation when
// enlarging, each axis separately. The filter is defined over two whole
// buffers (source rows filtered horizontally, then the destination rows); here
// the horizontal rows are made one at a time and the destination rows are
// finished as soon as no later source row reaches them, which gives the same
// sums with a few rows of memory.

#include "framework/graphics/LineSteppers.h"
#include "framework/graphics/SoftwareRender.h"
#include "framework/graphics/loops/PixelLoops.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace Quib {

using std::ptrdiff_t;

namespace {

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


// Enlarging on both axes with weights in range (every horizontal sum then
// fits in 16 bits): horizontal rows of 16-bit sums and the vertical mix
// by the loops' 16-bit kernels.
void EnlargeBoth16(const PixelLoopTable& loops, StretchContext& ctx, const std::vector<int>& rowK,
                   const std::vector<int>& rowK1, const std::vector<uint32_t>& rowW)
{
    const int width = ctx.R.width;
    const size_t rowSize = size_t(width) * 4 + 8;
    std::vector<uint16_t> rows(rowSize * 2);
    uint16_t* cached[2] = {rows.data(), rows.data() + rowSize};
    int cachedIndex[2] = {-1, -1};
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
    Filter16Row in;
    in.column = ctx.plan.column.data();
    in.column1 = ctx.plan.column1.data();
    in.weights = weights.data();
    in.pairCells = ctx.pairCells;
    in.width = width;
    auto ensure = [&](int k, int keep) -> int {
        for (int s = 0; s < 2; ++s)
            if (cachedIndex[s] == k)
                return s;
        const int s = keep >= 0 ? 1 - keep : (cachedIndex[0] <= cachedIndex[1] ? 0 : 1);
        const ptrdiff_t base = ptrdiff_t(ctx.r0 + k) * ctx.src.width;
        if (ctx.src.palette) {
            in.palette = ctx.src.palette;
            in.indices = ctx.src.indices + base;
        } else {
            in.bits = ctx.src.bits + base;
        }
        loops.stretchFilterRow16(in, cached[s]);
        cachedIndex[s] = k;
        return s;
    };
    for (int j = 0; j < ctx.R.height; ++j) {
        const int k = rowK[size_t(j)], k1 = rowK1[size_t(j)];
        const int sa = ensure(k, -1);
        const int sb = k1 == k ? sa : ensure(k1, sa);
        uint32_t* d = ctx.dst.bits + ptrdiff_t(ctx.R.y + j) * ctx.dst.stride + ctx.R.x;
        loops.stretchEmitRow16(d, cached[sa], cached[sb], width, rowW[size_t(j)]);
    }
}

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
        const PixelLoopTable& loops = ActiveLoops();
        if (!ctx.plan.shrink && loops.stretchFilterRow16) {
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
                EnlargeBoth16(loops, ctx, rowK, rowK1, rowW);
                return true;
            }
        }
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
