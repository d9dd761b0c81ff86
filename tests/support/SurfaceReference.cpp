#include "tests/support/SurfaceReference.h"

#include "framework/graphics/SoftwareRender.h"
#include "tests/support/SoftwareReference.h"

#include <algorithm>

namespace Quib::Testing {

namespace {

uint32_t Ch(const Color& c, int i)
{
    return uint32_t(i == 0 ? c.red : i == 1 ? c.green : c.blue);
}

uint32_t PixelMask(const SurfaceLayout& L)
{
    return L.bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
}

uint32_t Value(const SurfaceLayout& L, uint32_t d, int c)
{
    return (d & L.mask[c]) >> L.shift[c];
}

uint32_t Clamped(const SurfaceLayout& L, int c, uint32_t v)
{
    return std::min(v, L.Max(c)) << L.shift[c];
}

// A coloured source pixel s (display copy, alpha sa > 0) over d.
uint32_t Modulated(const SurfaceLayout& L, uint32_t s, uint32_t d, const Color& c, bool spreadGrey)
{
    const uint32_t sa = s >> 24, ca = uint32_t(c.alpha);
    uint32_t k[3];
    for (int i = 0; i < 3; ++i)
        k[i] = Ch(c, i) * ca / 255;
    const bool solid = sa == 255 && ca == 255;
    const uint32_t ea = sa * ca / 255;
    const bool grey = k[0] == k[1] && k[1] == k[2];
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i) {
        if (grey && spreadGrey && (L.Spread565() || L.Spread555())) {
            const uint32_t v = (Value(L, s, i) * (k[i] >> 3) + Value(L, d, i) * ((solid ? 0 : 256 - ea) >> 3)) >> 5;
            out |= (v << L.shift[i]) & L.mask[i];
        } else if (solid) {
            out |= (((s & L.mask[i]) * k[i]) >> 8) & L.mask[i];
        } else {
            out |= (((s & L.mask[i]) * k[i] + (d & L.mask[i]) * (256 - ea)) >> 8) & L.mask[i];
        }
    }
    return out;
}

// A translucent premultiplied pixel over d with a white colour.
uint32_t Blended(const SurfaceLayout& L, uint32_t s, uint32_t d)
{
    const uint32_t sa = s >> 24;
    uint32_t sum = 0;
    for (int i = 0; i < 3; ++i) {
        if (L.Spread565() || L.Spread555())
            sum += ((Value(L, d, i) * ((256 - sa) >> 3)) >> 5) << L.shift[i];
        else
            sum += (((d & L.mask[i]) * (256 - sa)) >> 8) & L.mask[i];
    }
    return (s + sum) & PixelMask(L);
}

uint32_t AddedPixel(const SurfaceLayout& L, uint32_t s, uint32_t d, const Color& c)
{
    const bool white = c.IsOpaqueWhite();
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i) {
        const uint32_t k = uint32_t(c.alpha) * Ch(c, i) / 255;
        const uint32_t sum = white ? ((d & L.mask[i]) + (s & L.mask[i])) >> L.shift[i]
                                   : Value(L, d, i) + ((k * Value(L, s, i)) >> 8);
        out |= Clamped(L, i, sum);
    }
    return out;
}

} // namespace

SurfaceLayout::SurfaceLayout(int count, uint32_t red, uint32_t green, uint32_t blue) : bitCount(count)
{
    const uint32_t masks[3] = {red, green, blue};
    for (int c = 0; c < 3; ++c) {
        mask[c] = masks[c];
        int s = 0;
        while (s < 32 && !((masks[c] >> s) & 1))
            ++s;
        int b = 0;
        while (s + b < 32 && ((masks[c] >> (s + b)) & 1))
            ++b;
        shift[c] = s;
        bits[c] = b;
    }
}

uint32_t SurfaceLayout::DisplayCopy(uint32_t argb) const
{
    const uint32_t a = argb >> 24;
    uint32_t out = a << 24;
    for (int c = 0; c < 3; ++c) {
        const uint32_t v = (((argb >> (16 - 8 * c)) & 0xFF) * (a + 1)) >> 8;
        out |= ((v >> (8 - bits[c])) << shift[c]) & mask[c];
    }
    return out;
}

void RefFill(RefSurface& s, const Rect& r, const Color& c)
{
    const SurfaceLayout& L = s.layout;
    const uint32_t a = uint32_t(c.alpha);
    const bool wide = L.bitCount == 32;
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) {
            const uint32_t d = s.At(x, y);
            uint32_t out = 0;
            for (int i = 0; i < 3; ++i) {
                const uint32_t m = L.mask[i], cc = Ch(c, i);
                if (a == 255)
                    out += (wide ? (cc * m) >> 8 : ((cc + 1) * m) >> 8) & m;
                else if (wide)
                    out += (((((cc * a + 127) >> 8) + 1) * m) >> 8 & m) + ((((d & m) * (256 - a)) >> 8) & m);
                else
                    out += (((((cc * a + 128) >> 8) + 1) * m) >> 8 & m) + ((((d & m) * (256 - a) + m) >> 8) & m);
            }
            s.At(x, y) = out & PixelMask(L);
        }
    }
}

void RefFillAdditive(RefSurface& s, const Rect& r, const Color& c)
{
    const SurfaceLayout& L = s.layout;
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) {
            uint32_t out = 0;
            for (int i = 0; i < 3; ++i) {
                const uint32_t k = (uint32_t(c.alpha) * Ch(c, i) / 255) >> (8 - L.bits[i]);
                out |= Clamped(L, i, k + Value(L, s.At(x, y), i));
            }
            s.At(x, y) = out;
        }
    }
}

void RefLine(RefSurface& s, double x1, double y1, double x2, double y2, const Color& c)
{
    const SurfaceLayout& L = s.layout;
    const uint32_t a = uint32_t(c.alpha);
    RefWalkLine(x1, y1, x2, y2, true, [&](int x, int y) {
        if (x < 0 || y < 0 || x >= s.width || y >= s.height)
            return;
        const uint32_t d = s.At(x, y);
        uint32_t out = 0;
        for (int i = 0; i < 3; ++i) {
            const uint32_t m = L.mask[i], cc = Ch(c, i);
            if (a == 255)
                out += ((m / 2 + m * cc) >> 8) & m;
            else
                out += (((m / 2 + m * ((cc * a + 128) >> 8)) >> 8) & m) + (((m / 2 + (d & m) * (256 - a)) >> 8) & m);
        }
        s.At(x, y) = out & PixelMask(L);
    });
}

void RefLineAdditive(RefSurface& s, double x1, double y1, double x2, double y2, const Color& c)
{
    RefWalkLine(x1, y1, x2, y2, true, [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < s.width && y < s.height)
            RefFillAdditive(s, Rect(x, y, 1, 1), c);
    });
}

void RefSmoothLine(RefSurface& s, double x1, double y1, double x2, double y2, const Color& c)
{
    const SurfaceLayout& L = s.layout;
    const uint32_t P = uint32_t(c.alpha);
    RefWalkSmoothLine(x1, y1, x2, y2, s.width, s.height, [&](int x, int y, int f, bool side) {
        if (x < 0 || y < 0 || x >= s.width || y >= s.height)
            return;
        uint32_t cov = side ? uint32_t(f) : 255 - uint32_t(f);
        if (P < 255)
            cov = (cov * (P + 1)) >> 8;
        const uint32_t d = s.At(x, y);
        uint32_t out = 0;
        for (int i = 0; i < 3; ++i) {
            const uint32_t m = L.mask[i];
            const uint32_t t = ((m * Ch(c, i)) >> 8) & m;
            out |= ((t * cov + (d & m) * (256 - cov)) >> 8) & m;
        }
        s.At(x, y) = out;
    });
}

void RefCoverageFill(RefSurface& s, const ScanSpan* spans, int count, const Color& c, const uint8_t* coverage, int left,
                  int top, int stride)
{
    const SurfaceLayout& L = s.layout;
    for (int n = 0; n < count; ++n) {
        for (int x = spans[n].x; x < spans[n].x + spans[n].length; ++x) {
            const int y = spans[n].y;
            const uint32_t v = coverage[(y - top) * stride + (x - left)];
            const uint32_t E = ((v + 1) * uint32_t(c.alpha)) >> 8;
            const uint32_t d = s.At(x, y);
            uint32_t out = 0;
            for (int i = 0; i < 3; ++i) {
                const uint32_t m = L.mask[i];
                const uint32_t t = ((m * Ch(c, i)) >> 8) & m;
                out |= (((d & m) * (256 - E) + t * E) >> 8) & m;
            }
            s.At(x, y) = out;
        }
    }
}

void RefPutImage(RefSurface& s, int x, int y, const RefSource& src, const Rect& sr, const Color& c, bool mirrored)
{
    const SurfaceLayout& L = s.layout;
    const bool white = c.IsOpaqueWhite();
    for (int j = 0; j < sr.height; ++j) {
        for (int i = 0; i < sr.width; ++i) {
            const uint32_t sv = L.DisplayCopy(src.argb[size_t(sr.y + j) * src.width + sr.x + i]);
            const uint32_t sa = sv >> 24;
            uint32_t& d = s.At(mirrored ? x + sr.width - 1 - i : x + i, y + j);
            if (white && !src.hasAlpha) {
                if (!(src.hasTrans && sa == 0))
                    d = sv & PixelMask(L);
            } else if (sa == 0) {
            } else if (white) {
                d = sa == 255 ? sv & PixelMask(L) : Blended(L, sv, d);
            } else {
                d = Modulated(L, sv, d, c, !mirrored);
            }
        }
    }
}

void RefPutImageAdditive(RefSurface& s, int x, int y, const RefSource& src, const Rect& sr, const Color& c, bool mirrored)
{
    const SurfaceLayout& L = s.layout;
    for (int j = 0; j < sr.height; ++j) {
        for (int i = 0; i < sr.width; ++i) {
            const uint32_t sv = L.DisplayCopy(src.argb[size_t(sr.y + j) * src.width + sr.x + i]);
            if ((sv & 0xFFFFFF) == 0)
                continue;
            uint32_t& d = s.At(mirrored ? x + sr.width - 1 - i : x + i, y + j);
            d = AddedPixel(L, sv, d, c);
        }
    }
}

void RefPutImageVolatile(RefSurface& s, int x, int y, const RefSource& src, const Rect& sr)
{
    const SurfaceLayout& L = s.layout;
    for (int j = 0; j < sr.height; ++j) {
        for (int i = 0; i < sr.width; ++i) {
            const uint32_t p = src.argb[size_t(sr.y + j) * src.width + sr.x + i];
            const uint32_t a = p >> 24;
            uint32_t& d = s.At(x + i, y + j);
            if (L.RgbOrder() && L.Spread565()) {
                const uint32_t S = (((p >> 19) & 0x1F) << 11) | (((p >> 10) & 0x3F) << 21) | ((p >> 3) & 0x1F);
                const uint32_t D = (d * 0x10001) & 0x07E0F81F;
                const uint32_t r = ((((S - D) * (a >> 3)) >> 5) + D) & 0x07E0F81F;
                d = ((r >> 16) | r) & 0xFFFF;
            } else if (L.RgbOrder() && L.Spread555()) {
                const uint32_t S = ((p >> 9) & 0x7C00) | ((p & 0xF800) << 10) | ((p >> 3) & 0x1F);
                const uint32_t D = (d * 0x10001) & 0x03E07C1F;
                const uint32_t r = ((((S - D) * (a >> 3)) >> 5) + D) & 0x03E07C1F;
                d = ((r >> 16) | r) & 0xFFFF;
            } else if (L.RgbOrder() && L.bitCount == 32) {
                uint32_t out = 0;
                for (uint32_t m : {0x00FF00FFu, 0x0000FF00u})
                    out |= (((((p & m) - (d & m)) * a) >> 8) + (d & m)) & m;
                d = out;
            } else {
                uint32_t out = 0;
                for (int c = 0; c < 3; ++c) {
                    const uint64_t m = L.mask[c], cc = (p >> (16 - 8 * c)) & 0xFF;
                    out |= uint32_t((((cc * a * m) >> 8) + m / 2 + (d & m) * (256 - a)) >> 8) & L.mask[c];
                }
                d = out;
            }
        }
    }
}

void RefStretch(RefSurface& s, const Rect& R, const double area[4], const RefSource& src, const Color& c, DrawMode mode,
             bool mirrored)
{
    const SurfaceLayout& L = s.layout;
    const int du = int(area[2] * 65536 / R.width), dv = int(area[3] * 65536 / R.height);
    for (int j = 0; j < R.height; ++j) {
        const int sy = int((int64_t(int(area[1] * 65536)) + int64_t(j) * dv) >> 16);
        for (int i = 0; i < R.width; ++i) {
            const int sx = int((int64_t(int(area[0] * 65536)) + int64_t(i) * du) >> 16);
            const uint32_t sv = L.DisplayCopy(src.argb[size_t(sy) * src.width + sx]);
            uint32_t& d = s.At(mirrored ? R.x + R.width - 1 - i : R.x + i, R.y + j);
            if (mode == DRAWMODE_NORMAL) {
                const uint32_t sa = sv >> 24;
                if (sa == 0)
                    continue;
                if (c.IsOpaqueWhite()) {
                    uint32_t out = sv;
                    for (int k = 0; k < 3; ++k)
                        out += (((d & L.mask[k]) * (256 - sa)) >> 8) & L.mask[k];
                    d = out & PixelMask(L);
                } else {
                    d = Modulated(L, sv, d, c, false);
                }
            } else if (sv != 0) {
                d = AddedPixel(L, sv, d, c);
            }
        }
    }
}

void RefRotate(RefSurface& s, const double* bounds, const RefSource& src, const Rect& sr, float x, float y, const Color& c,
            DrawMode mode, double angle, float cx, float cy)
{
    const SurfaceLayout& L = s.layout;
    const PixelSource pixels{src.argb, nullptr, nullptr, src.width, 0};
    const bool white = c.IsOpaqueWhite();
    const bool rgb32 = L.bitCount == 32 && L.mask[0] == 0xFF0000 && L.mask[1] == 0xFF00 && L.mask[2] == 0xFF;
    const bool spread = L.Spread565() || L.Spread555();
    auto draw = [&](int px, int py, const uint32_t* p, const uint32_t* Wt) {
        uint32_t W[4] = {Wt[0], Wt[1], Wt[2], Wt[3]};
        if (mode == DRAWMODE_NORMAL && !white)
            for (uint32_t& w : W)
                w = (w * uint32_t(c.alpha)) >> 8;
        const uint32_t S = W[0] + W[1] + W[2] + W[3];
        if (S == 0)
            return;
        uint32_t& d = s.At(px, py);
        uint32_t out = 0;
        for (int k = 0; k < 3; ++k) {
            const int shift = 16 - 8 * k;
            uint32_t sum = 0;
            for (int i = 0; i < 4; ++i)
                sum += ((p[i] >> shift) & 0xFF) * W[i];
            const uint32_t cc = Ch(c, k);
            const uint32_t dc = Value(L, d, k), cut = 8 - L.bits[k];
            uint32_t value;
            if (mode != DRAWMODE_NORMAL) {
                const uint32_t kk = uint32_t(c.alpha) * cc / 255;
                const uint32_t add = white ? sum >> 8 : k == 0 ? ((sum >> 8) * kk) >> 8 : (sum * kk) >> 16;
                value = std::min(dc + (add >> cut), L.Max(k));
            } else if (!white) {
                value = ((((sum >> 8) * (cc + 1)) >> 8) >> cut) + ((dc * (256 - S)) >> 8);
            } else if (rgb32) {
                value = (sum >> 8) + ((dc * (256 - S)) >> 8);
            } else if (spread) {
                value = ((sum >> 8) >> cut) + ((dc * ((256 - S) >> 3)) >> 5);
            } else {
                value = ((sum >> 8) >> cut) + ((dc * (256 - S)) >> 8);
            }
            out |= (value << L.shift[k]) & L.mask[k];
        }
        d = out;
    };
    // The span cut and the 2 x 2 sample of the memory reference.
    RefForEachRotatedSample(s.width, s.height, bounds, pixels, sr, x, y, angle, cx, cy, draw);
}

} // namespace Quib::Testing
