#include "framework/graphics/LineSteppers.h"
#include "framework/graphics/OverComposite.h"
#include "framework/graphics/SoftwareRender.h"
#include "framework/graphics/loops/PixelLoops.h"
#include "framework/graphics/loops/PortableRows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

namespace Quib {

using std::ptrdiff_t;

namespace {

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


// The coloured additive row (and the white one from a palette source).
template <class Row>
void AdditiveRow(uint32_t* d, Row s, int width, const Color& c, bool translucent)
{
    if (c.IsOpaqueWhite()) {
        PortableAdditiveWhiteRow(d, s, width, translucent);
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
    const auto whiteRow = ActiveLoops().whiteRow;
    ForEachSourceRow(src, s, [&](auto row, int j) {
        uint32_t* d = dst.bits + ptrdiff_t(y + j) * dst.stride + x;
        if (white && runTable)
            RunRow(d, row, runTable + ptrdiff_t(s.y + j) * src.width + s.x, s.width);
        else if (white && std::is_same_v<decltype(row), BitsRow>)
            whiteRow(d, src.bits + ptrdiff_t(s.y + j) * src.width + s.x, s.width);
        else if (white)
            PortableWhiteRow(d, row, s.width);
        else
            ModulatedRow(d, row, s.width, color);
    });
}

void SoftPutImageAdditive(const PixelTarget& dst, int x, int y, const PixelSource& src, const Rect& s,
                          const Color& color, bool srcHasTranslucent)
{
    if (src.bits && color.IsOpaqueWhite()) {
        const auto row = ActiveLoops().additiveWhiteRow;
        for (int j = 0; j < s.height; ++j)
            row(dst.bits + ptrdiff_t(y + j) * dst.stride + x, src.bits + ptrdiff_t(s.y + j) * src.width + s.x,
                s.width, srcHasTranslucent);
        return;
    }
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
