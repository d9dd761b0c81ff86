#include "framework/graphics/LineSteppers.h"
#include "framework/graphics/OverComposite.h"
#include "framework/graphics/SoftwareRender.h"

#include <algorithm>

namespace Quib {

using std::ptrdiff_t;

void SoftFillRect(const PixelTarget& dst, const Rect& r, const Color& color)
{
    if (r.width <= 0 || r.height <= 0)
        return;
    const uint32_t packed = PackColor(color);
    uint32_t* row = dst.bits + ptrdiff_t(r.y) * dst.stride + r.x;
    if (color.alpha == 255) {
        for (int j = 0; j < r.height; ++j, row += dst.stride)
            std::fill(row, row + r.width, packed);
        return;
    }
    const uint32_t a = packed >> 24;
    const uint32_t rgb = packed & 0x00FFFFFF;
    if (a == 0)
        return;  // every pixel would stay as it is
    const uint16_t* weights = OverWeightTable() + (a << 8);
    for (int j = 0; j < r.height; ++j, row += dst.stride) {
        for (int i = 0; i < r.width; ++i) {
            const uint32_t d = row[i];
            const uint32_t w = weights[d >> 24];
            if (w == 0)
                continue;
            row[i] = ((w >> 8) << 24) | MixChannelsShiftSum(d, rgb, w & 0xFF);
        }
    }
}

void SoftClearRect(const PixelTarget& dst, const Rect& r)
{
    if (r.width <= 0 || r.height <= 0)
        return;
    uint32_t* row = dst.bits + ptrdiff_t(r.y) * dst.stride + r.x;
    for (int j = 0; j < r.height; ++j, row += dst.stride)
        std::fill(row, row + r.width, 0u);
}

void SoftFillSpansWithCoverage(const PixelTarget& dst, const ScanSpan* spans, int count, const Color& color,
                               const uint8_t* coverage, int coverageLeft, int coverageTop, int coverageStride)
{
    const uint32_t packed = PackColor(color);
    const uint32_t alpha = packed >> 24;
    const uint32_t rgb = packed & 0x00FFFFFF;
    for (int s = 0; s < count; ++s) {
        const ScanSpan& span = spans[s];
        uint32_t* p = dst.bits + ptrdiff_t(span.y) * dst.stride + span.x;
        const uint8_t* c =
            coverage + ptrdiff_t(span.y - coverageTop) * coverageStride + (span.x - coverageLeft);
        for (int i = 0; i < span.length; ++i) {
            const uint32_t e = (alpha * (uint32_t(c[i]) + 1)) >> 8;
            p[i] = OverCompositeFill(p[i], rgb, e);
        }
    }
}

namespace {

bool Inside(const PixelTarget& dst, int x, int y)
{
    return x >= 0 && y >= 0 && x < dst.width && y < dst.height;
}

} // namespace

void SoftLineBlend(const PixelTarget& dst, const Color& color, double x1, double y1, double x2, double y2)
{
    const uint32_t packed = PackColor(color);
    const uint32_t a = packed >> 24;
    const uint32_t r = (packed >> 16) & 0xFF, g = (packed >> 8) & 0xFF, b = packed & 0xFF;
    if (a == 255) {
        const uint32_t pixel = 0xFF000000 | (((r * 255 + 127) >> 8) << 16) | (((g * 255 + 127) >> 8) << 8) |
                               ((b * 255 + 127) >> 8);
        StepBresenhamLine(x1, y1, x2, y2, true, dst.width, dst.height, [&](int x, int y) {
            if (Inside(dst, x, y))
                dst.bits[ptrdiff_t(y) * dst.stride + x] = pixel;
        });
        return;
    }
    auto pre = [a](uint32_t c) { return (((c * a + 128) >> 8) * 255 + 127) >> 8; };
    const uint32_t pr = pre(r), pg = pre(g), pb = pre(b);
    const uint32_t inv = 256 - a;
    StepBresenhamLine(x1, y1, x2, y2, true, dst.width, dst.height, [&](int x, int y) {
        if (!Inside(dst, x, y))
            return;
        uint32_t& d = dst.bits[ptrdiff_t(y) * dst.stride + x];
        const uint32_t nr = ((((d >> 16) & 0xFF) * inv + 127) >> 8) + pr;
        const uint32_t ng = ((((d >> 8) & 0xFF) * inv + 127) >> 8) + pg;
        const uint32_t nb = (((d & 0xFF) * inv + 127) >> 8) + pb;
        d = 0xFF000000 | (nr << 16) | (ng << 8) | nb;
    });
}

void SoftLineAdd(const PixelTarget& dst, const Color& color, double x1, double y1, double x2, double y2)
{
    const uint32_t packed = PackColor(color);
    const uint32_t a = packed >> 24;
    const uint32_t kr = a * ((packed >> 16) & 0xFF) / 255;
    const uint32_t kg = a * ((packed >> 8) & 0xFF) / 255;
    const uint32_t kb = a * (packed & 0xFF) / 255;
    StepBresenhamLine(x1, y1, x2, y2, false, dst.width, dst.height, [&](int x, int y) {
        if (!Inside(dst, x, y))
            return;
        uint32_t& d = dst.bits[ptrdiff_t(y) * dst.stride + x];
        d = 0xFF000000 | AddChannelsClamped(d, kr, kg, kb);
    });
}

void SoftSmoothLineBlend(const PixelTarget& dst, const Color& color, double x1, double y1, double x2,
                         double y2)
{
    const uint32_t packed = PackColor(color);
    const uint32_t alpha = packed >> 24;
    const uint32_t rgb = packed & 0x00FFFFFF;
    StepSmoothLine(x1, y1, x2, y2, dst.width, dst.height, [&](int x, int y, int f, bool side) {
        if (!Inside(dst, x, y))
            return;
        const uint32_t frac = side ? uint32_t(f) : 255 - uint32_t(f);
        const uint32_t a = alpha == 255 ? frac : (frac * (alpha + 1)) >> 8;
        uint32_t& d = dst.bits[ptrdiff_t(y) * dst.stride + x];
        d = OverCompositeFill(d, rgb, a);
    });
}

} // namespace Quib
