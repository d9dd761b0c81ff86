#include "tests/support/SoftwareReference.h"


#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

namespace Quib::Testing {

namespace {

int Ch(uint32_t p, int i) { return int((p >> (8 * i)) & 0xFF); }  // 0 blue, 1 green, 2 red, 3 alpha
uint32_t Make(int a, int r, int g, int b)
{
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}
int T(int i) { return std::min(i, 255); }  // the add-clamp table
int Trunc(double v) { return static_cast<int>(v); }

uint32_t& Px(const PixelTarget& d, int x, int y) { return d.bits[y * d.stride + x]; }
bool In(const PixelTarget& d, int x, int y) { return x >= 0 && y >= 0 && x < d.width && y < d.height; }

// The fills' over-composite: channel (d (256 - g) + s g) >> 8.
uint32_t OverFill(uint32_t d, int sr, int sg, int sb, int a)
{
    const int dA = Ch(d, 3);
    const int A = dA + (255 - dA) * a / 255;
    if (A == 0)
        return d;  // no defined weight: unchanged
    const int g = a * 255 / A;
    auto mix = [&](int dc, int sc) { return (dc * (256 - g) + sc * g) >> 8; };
    return Make(A, mix(Ch(d, 2), sr), mix(Ch(d, 1), sg), mix(Ch(d, 0), sb));
}

} // namespace

void RefFillRect(const PixelTarget& dst, const Rect& r, const Color& c)
{
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x) {
            if (c.alpha == 255)
                Px(dst, x, y) = Make(255, c.red, c.green, c.blue);
            else if (c.alpha > 0)
                Px(dst, x, y) = OverFill(Px(dst, x, y), c.red, c.green, c.blue, c.alpha);
        }
}

void RefFillSpansWithCoverage(const PixelTarget& dst, const ScanSpan* spans, int count, const Color& c,
                           const uint8_t* coverage, int left, int top, int stride)
{
    for (int s = 0; s < count; ++s)
        for (int x = spans[s].x; x < spans[s].x + spans[s].length; ++x) {
            const int y = spans[s].y;
            const int cov = coverage[(y - top) * stride + (x - left)];
            const int e = (c.alpha * (cov + 1)) >> 8;
            if (e != 0)
                Px(dst, x, y) = OverFill(Px(dst, x, y), c.red, c.green, c.blue, e);
        }
}

namespace {

// Lines reaching beyond 2^24 pixels are not drawn.
bool Usable(double x1, double y1, double x2, double y2)
{
    for (double v : {x1, y1, x2, y2})
        if (!(std::fabs(v) <= 16777216.0))
            return false;
    return true;
}

// The Bresenham stepping, both majors written out.
template <class Plot>
void Bresenham(double x1, double y1, double x2, double y2, bool fractional, Plot plot)
{
    if (!Usable(x1, y1, x2, y2))
        return;
    const double minX = std::min(x1, x2), maxX = std::max(x1, x2);
    const double minY = std::min(y1, y2), maxY = std::max(y1, y2);
    auto leaves = [&](int x, int y) { return x < minX || y < minY || x > maxX || y > maxY; };
    if (std::fabs(x2 - x1) > std::fabs(y2 - y1)) {
        if (x2 - x1 < 0) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        const double xs = x1, ys = y1, xe = x2, ye = y2;
        const double DX = xe - xs;
        double DY = ye - ys;
        int ystep = 1;
        if (DY < 0) {
            ystep = -1;
            DY = -DY;
        }
        plot(Trunc(xs), Trunc(ys));
        const int incE = Trunc(2 * DY), incNE = Trunc(2 * (DY - DX));
        int err = fractional ? Trunc((ys - Trunc(ys)) * incE + Trunc(2 * DY - DX)) : Trunc(2 * DY - DX);
        int x = Trunc(xs + 1), y = Trunc(ys);
        while (x <= xe) {
            if (err <= 0) {
                err += incE;
            } else {
                y += ystep;
                err += incNE;
                if (leaves(x, y))
                    return;
            }
            plot(x, y);
            x += 1;
        }
    } else {
        if (y2 - y1 < 0) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        const double xs = x1, ys = y1, xe = x2, ye = y2;
        const double DY = ye - ys;
        double DX = xe - xs;
        int xstep = 1;
        if (DX < 0) {
            xstep = -1;
            DX = -DX;
        }
        plot(Trunc(xs), Trunc(ys));
        const int incE = Trunc(2 * DX), incNE = Trunc(2 * (DX - DY));
        int err = fractional ? Trunc((xs - Trunc(xs)) * incE + Trunc(2 * DX - DY)) : Trunc(2 * DX - DY);
        int y = Trunc(ys + 1), x = Trunc(xs);
        while (y <= ye) {
            if (err <= 0) {
                err += incE;
            } else {
                x += xstep;
                err += incNE;
                if (leaves(x, y))
                    return;
            }
            plot(x, y);
            y += 1;
        }
    }
}

} // namespace

void RefWalkLine(double x1, double y1, double x2, double y2, bool fractional, const std::function<void(int, int)>& plot)
{
    Bresenham(x1, y1, x2, y2, fractional, plot);
}

void RefLineBlend(const PixelTarget& dst, const Color& c, double x1, double y1, double x2, double y2)
{
    Bresenham(x1, y1, x2, y2, true, [&](int x, int y) {
        if (!In(dst, x, y))
            return;
        uint32_t& d = Px(dst, x, y);
        if (c.alpha == 255) {
            auto conv = [](int v) { return (v * 255 + 127) >> 8; };
            d = Make(255, conv(c.red), conv(c.green), conv(c.blue));
        } else {
            const int a = c.alpha;
            auto P = [&](int v) { return (((v * a + 128) >> 8) * 255 + 127) >> 8; };
            auto mix = [&](int dc, int v) { return ((dc * (256 - a) + 127) >> 8) + P(v); };
            d = Make(255, mix(Ch(d, 2), c.red), mix(Ch(d, 1), c.green), mix(Ch(d, 0), c.blue));
        }
    });
}

void RefLineAdd(const PixelTarget& dst, const Color& c, double x1, double y1, double x2, double y2)
{
    Bresenham(x1, y1, x2, y2, false, [&](int x, int y) {
        if (!In(dst, x, y))
            return;
        uint32_t& d = Px(dst, x, y);
        auto k = [&](int v) { return c.alpha * v / 255; };
        d = Make(255, T(Ch(d, 2) + k(c.red)), T(Ch(d, 1) + k(c.green)), T(Ch(d, 0) + k(c.blue)));
    });
}

void RefWalkSmoothLine(double x1, double y1, double x2, double y2, int width, int height,
                    const std::function<void(int, int, int, bool)>& plot)
{
    if (!Usable(x1, y1, x2, y2))
        return;
    int ix1 = Trunc(x1), iy1 = Trunc(y1), ix2 = Trunc(x2), iy2 = Trunc(y2);
    if (iy1 > iy2) {
        std::swap(ix1, ix2);
        std::swap(iy1, iy2);
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    int dxi = ix2 - ix1, dyi = iy2 - iy1;
    double fdx = x2 - x1, fdy = y2 - y1;
    int xstep = 1;
    if (dxi < 0) {
        xstep = -1;
        dxi = -dxi;
        fdx = -fdx;
    }
    uint32_t B = uint32_t(Trunc(std::fabs(y1 - iy1) * std::fabs(x1 - ix1) * 65536));
    plot(ix1, iy1, int(B >> 8), false);
    int x = ix1, y = iy1;
    if (dxi >= dyi) {
        const int steps = dxi;
        const uint32_t slope = steps > 1 ? uint32_t(Trunc(65536 * fdy / fdx)) : 0;
        for (int i = 0; i < steps - 1; ++i) {
            B += slope;
            if (B >= 65536) {
                B &= 0xFFFF;
                y += 1;
            }
            x += xstep;
            plot(x, y, int(B >> 8), false);
            if (y < height - 1)
                plot(x, y + 1, int(B >> 8), true);
        }
    } else {
        const int steps = dyi;
        const uint32_t slope = steps > 1 ? uint32_t(Trunc(65536 * fdx / fdy)) : 0;
        for (int i = 0; i < steps - 1; ++i) {
            B += slope;
            if (B >= 65536) {
                B &= 0xFFFF;
                x += xstep;
            }
            y += 1;
            plot(x, y, int(B >> 8), false);
            if (x + xstep >= 0 && x + xstep < width)
                plot(x + xstep, y, int(B >> 8), true);
        }
    }
    plot(ix2, iy2, int(B >> 8), false);
}

void RefSmoothLineBlend(const PixelTarget& dst, const Color& c, double x1, double y1, double x2, double y2)
{
    auto plot = [&](int x, int y, int f, bool side) {
        if (!In(dst, x, y))
            return;
        int cov;
        if (c.alpha == 255)
            cov = side ? f : 255 - f;
        else
            cov = side ? (f * (c.alpha + 1)) >> 8 : ((255 - f) * (c.alpha + 1)) >> 8;
        if (cov > 0)
            Px(dst, x, y) = OverFill(Px(dst, x, y), c.red, c.green, c.blue, cov);
    };
    RefWalkSmoothLine(x1, y1, x2, y2, dst.width, dst.height, plot);
}

std::vector<uint8_t> RefAlphaRunTable(const PixelSource& src)
{
    std::vector<uint8_t> table(size_t(src.width) * src.height);
    auto cls = [](uint32_t p) {
        const int a = Ch(p, 3);
        return a == 0 ? 0 : a == 255 ? 1 : 2;
    };
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) {
            int n = 1;
            while (x + n < src.width && cls(src.At(x + n, y)) == cls(src.At(x, y)))
                ++n;
            table[size_t(y) * src.width + x] = uint8_t(std::min(n, 255));
        }
    return table;
}

void RefPutImageNormal(const PixelTarget& dst, int x, int y, const PixelSource& src, const Rect& s, const Color& c,
                    const uint8_t* runTable)
{
    const bool white = c.red == 255 && c.green == 255 && c.blue == 255 && c.alpha == 255;
    for (int j = 0; j < s.height; ++j)
        for (int i = 0; i < s.width; ++i) {
            const uint32_t sp = src.At(s.x + i, s.y + j);
            uint32_t& d = Px(dst, x + i, y + j);
            const int sr = Ch(sp, 2), sg = Ch(sp, 1), sb = Ch(sp, 0), sA = Ch(sp, 3);
            const int dr = Ch(d, 2), dg = Ch(d, 1), db = Ch(d, 0), dA = Ch(d, 3);
            if (white && runTable) {
                // By pixel rather than by run: every pixel of a run shares its class.
                if (sA == 255)
                    d = sp;
                else if (sA != 0) {
                    const int a = sA;
                    d = Make(255, (sr * a + dr * (256 - a)) >> 8, (sg * a + dg * (256 - a)) >> 8,
                             ((sb * a) >> 8) + ((db * (256 - a)) >> 8));
                }
                continue;
            }
            int a = white ? sA : sA * c.alpha / 255;
            if (a == 0)
                continue;
            const int A = dA + (255 - dA) * a / 255;
            const int g = a * 255 / A;
            const int n = 256 - g;
            int r, gg, b;
            if (white) {
                r = (sr * g + dr * n) >> 8;
                gg = (sg * g + dg * n) >> 8;
                b = ((sb * g) >> 8) + ((db * n) >> 8);
            } else if (c.red == c.green && c.green == c.blue) {
                const int k = c.red;
                r = (((sr * k) >> 8) * g + dr * n) >> 8;
                gg = (((sg * g * k) >> 8) + dg * n) >> 8;
                b = ((((sb * k) >> 8) * g) >> 8) + ((db * n) >> 8);
            } else {
                r = int((uint32_t(sr * g) * uint32_t(c.red) + 256u * uint32_t(dr * n)) >> 16);
                gg = (((sg * g * c.green) >> 8) + dg * n) >> 8;
                b = ((sb * g * c.blue) >> 16) + ((db * n) >> 8);
            }
            d = Make(A, r, gg, b);
        }
}

void RefPutImageAdditive(const PixelTarget& dst, int x, int y, const PixelSource& src, const Rect& s, const Color& c,
                      bool translucent)
{
    const bool white = c.red == 255 && c.green == 255 && c.blue == 255 && c.alpha == 255;
    for (int j = 0; j < s.height; ++j)
        for (int i = 0; i < s.width; ++i) {
            const uint32_t sp = src.At(s.x + i, s.y + j);
            uint32_t& d = Px(dst, x + i, y + j);
            const int sA = Ch(sp, 3);
            int add[3];
            const int cc[3] = {c.blue, c.green, c.red};
            for (int ch = 0; ch < 3; ++ch) {
                const int sv = Ch(sp, ch);
                const int k = c.alpha * cc[ch] / 255;
                if (white)
                    add[ch] = translucent ? (sv * sA) >> 8 : sv;
                else if (!translucent)
                    add[ch] = (sv * k) >> 8;
                else if (ch == 0)
                    add[ch] = (((sv * k) >> 8) * sA) >> 8;
                else
                    add[ch] = (sv * k * sA) >> 16;
            }
            d = Make(Ch(d, 3), T(Ch(d, 2) + add[2]), T(Ch(d, 1) + add[1]), T(Ch(d, 0) + add[0]));
        }
}

void RefStretchFast(const PixelTarget& dst, const Rect& R, const DoubleRect& area, const PixelSource& src)
{
    const double stepX = area.width / R.width, stepY = area.height / R.height;
    for (int j = 0; j < R.height; ++j)
        for (int i = 0; i < R.width; ++i) {
            const int sy = Trunc(area.y + j * stepY), sx = Trunc(area.x + i * stepX);
            const uint32_t sp = src.At(std::clamp(sx, 0, src.width - 1), std::clamp(sy, 0, src.height - 1));
            const int a = Ch(sp, 3);
            if (a == 0)
                continue;
            uint32_t& d = Px(dst, R.x + i, R.y + j);
            const int A = Ch(d, 3) + (255 - Ch(d, 3)) * a / 255;
            const int g = a * 255 / A, n = 256 - g;
            d = Make(A, (Ch(sp, 2) * g + Ch(d, 2) * n) >> 8, (Ch(sp, 1) * g + Ch(d, 1) * n) >> 8,
                     ((Ch(sp, 0) * g) >> 8) + ((Ch(d, 0) * n) >> 8));
        }
}

bool RefStretchFiltered(const PixelTarget& dst, const Rect& R, const DoubleRect& area, const PixelSource& src)
{
    const int c = std::max(int(std::floor(area.x)), 0), r0 = std::max(int(std::floor(area.y)), 0);
    int n = int(std::ceil(area.x - c + area.width)), m = int(std::ceil(area.y - r0 + area.height));
    n = std::min(n, src.width - c);
    m = std::min(m, src.height - r0);
    if (n < 1 || m < 1)
        return false;
    const int cells = R.width + 4;
    // Whole buffers, as the filter is defined: cell = 4 sums (b, g, r, a).
    std::vector<uint32_t> hbuf(size_t(m) * cells * 4, 0), vbuf(size_t(R.height + 4) * cells * 4, 0);
    auto hcell = [&](int row, int cell) { return &hbuf[(size_t(row) * cells + cell) * 4]; };
    auto vcell = [&](int row, int cell) { return &vbuf[(size_t(row) * cells + cell) * 4]; };
    auto pixel = [&](int x, int y) { return src.At(std::clamp(x, 0, src.width - 1), y); };
    for (int row = 0; row < m; ++row) {
        const int sy = r0 + row;
        if (R.width <= area.width) {
            const double e = R.width / area.width;
            for (int k = 0; k < n; ++k) {
                const uint32_t p = pixel(c + k, sy);
                const double h = e * (c - area.x) + 1 + e * k;
                const int u = Trunc(h), v = Trunc(h + e);
                for (int ch = 0; ch < 4; ++ch) {
                    if (u == v) {
                        hcell(row, u)[ch] += uint32_t(Ch(p, ch)) * uint32_t(Trunc(e * 257));
                    } else {
                        hcell(row, u)[ch] += uint32_t(Ch(p, ch)) * uint32_t(Trunc((v - h) * 257));
                        hcell(row, u + 1)[ch] += uint32_t(Ch(p, ch)) * uint32_t(Trunc((h + e - v) * 257));
                    }
                }
            }
        } else {
            const double f = R.width == 1 ? area.width / R.width : (area.width - 1) / (R.width - 1);
            for (int i = 0; i < R.width; ++i) {
                const double t = area.x + f * i;
                const int k = Trunc(t);
                const int w = Trunc((1 - (t - k)) * 257);
                for (int ch = 0; ch < 4; ++ch) {
                    uint32_t v = uint32_t(Ch(pixel(k, sy), ch)) * uint32_t(w);
                    if (257 - w > 0)
                        v += uint32_t(Ch(pixel(k + 1, sy), ch)) * uint32_t(257 - w);
                    hcell(row, i + 1)[ch] = v;
                }
            }
        }
    }
    if (R.height <= area.height) {
        const double e = R.height / area.height;
        for (int k = 0; k < m; ++k) {
            const double h = e * (r0 - area.y) + 1 + e * k;
            const int u = int(std::floor(h)), v = int(std::floor(h + e));
            for (int cell = 0; cell < cells; ++cell)
                for (int ch = 0; ch < 4; ++ch) {
                    if (u == v) {
                        vcell(u, cell)[ch] += hcell(k, cell)[ch] * uint32_t(Trunc(e * 256));
                    } else {
                        vcell(u, cell)[ch] += hcell(k, cell)[ch] * uint32_t(Trunc((v - h) * 256));
                        vcell(v, cell)[ch] += hcell(k, cell)[ch] * uint32_t(Trunc((h + e - v) * 256));
                    }
                }
        }
    } else {
        const double f = R.height == 1 ? area.height / R.height : (area.height - 1) / (R.height - 1);
        for (int j = 0; j < R.height; ++j) {
            const double t = (area.y - Trunc(area.y)) + f * j;
            const int k = Trunc(t);
            const int w = Trunc((1 - (t - k)) * 256);
            const int k1 = k + 1 == m ? k : k + 1;
            for (int cell = 0; cell < cells; ++cell)
                for (int ch = 0; ch < 4; ++ch)
                    vcell(j + 1, cell)[ch] =
                        hcell(k, cell)[ch] * uint32_t(w) + hcell(k1, cell)[ch] * uint32_t(256 - w);
        }
    }
    for (int j = 0; j < R.height; ++j)
        for (int i = 0; i < R.width; ++i) {
            const uint32_t* s = vcell(j + 1, i + 1);
            // Unsigned arithmetic throughout (sums past 255 only arise from
            // degenerate areas narrower than a pixel).
            const uint32_t u = s[3] >> 16;
            if (u == 0)
                continue;
            uint32_t& d = Px(dst, R.x + i, R.y + j);
            auto mix = [&](int ch) { return (((s[ch] >> 16) * u) >> 8) + ((uint32_t(Ch(d, ch)) * (256 - u)) >> 8); };
            const uint32_t dA = uint32_t(Ch(d, 3));
            d = ((dA + (255 - dA) * u / 255) << 24) | (mix(2) << 16) | (mix(1) << 8) | mix(0);
        }
    return true;
}

void RefForEachRotatedSample(int width, int height, const double* bounds, const PixelSource& src, const Rect& S,
                          float x, float y, double angle, float cx, float cy,
                          const std::function<void(int, int, const uint32_t*, const uint32_t*)>& sample)
{
    const double ca = std::cos(angle), sa = std::sin(angle);
    const int du = Trunc(ca * 65536), dv = Trunc(sa * 65536);
    const int X0 = Trunc(bounds[0]), Y0 = Trunc(bounds[1]);
    const int W = S.width, H = S.height;
    for (int j = 0; j < bounds[3]; ++j) {
        const float dX = float(double(X0) - cx - x);
        const float dY = float(double(Y0 + j) - cy - y);
        int u = Trunc((dX * ca - dY * sa + cx) * 65536);
        int v = Trunc((dY * ca + dX * sa + cy) * 65536);
        int first = 0, last = Trunc(bounds[2] - 1);
        bool skip = false;
        if (du <= -1) {
            if (u < 0)
                skip = true;
            first = std::max(first, ((W << 16) - u - 0x27FFF) / du);
            last = std::min(last, (0x7FFF - u) / du);
        } else if (du >= 1) {
            if ((u >> 16) >= W - 1)
                skip = true;
            first = std::max(first, (0xFFFF - u) / du);
            last = std::min(last, ((W << 16) - u - 0x17FFF) / du);
        } else if (u < 0 || u >= (W << 16) - 0x10000) {
            skip = true;
        }
        if (dv <= -1) {
            if (v < 0)
                skip = true;
            first = std::max(first, ((H << 16) - v - 0x27FFF) / dv);
            last = std::min(last, -(v / dv));
        } else if (dv >= 1) {
            if ((v >> 16) >= H - 1)
                skip = true;
            first = std::max(first, (0xFFFF - v) / dv);
            last = std::min(last, ((H << 16) - v - 0x17FFF) / dv);
        } else if (v < 0 || v >= (H << 16) - 0x10000) {
            skip = true;
        }
        if (skip)
            continue;
        u += first * du;
        v += first * dv;
        for (int k = first; k <= last; ++k, u += du, v += dv) {
            const int px = X0 + k, py = Y0 + j;
            // Blocks outside the source rectangle and pixels outside the
            // destination are not drawn.
            if (u < 0 || v < 0 || (u >> 16) >= W - 1 || (v >> 16) >= H - 1 || px < 0 || py < 0 || px >= width ||
                py >= height)
                continue;
            const uint32_t fu = (uint32_t(u) & 0xFFFE) + 1, fv = (uint32_t(v) & 0xFFFE) + 1;
            const int sx = S.x + (u >> 16), sy = S.y + (v >> 16);
            const uint32_t p[4] = {src.At(sx, sy), src.At(sx + 1, sy), src.At(sx, sy + 1), src.At(sx + 1, sy + 1)};
            const uint32_t w[4] = {((65536 - fu) * (65536 - fv)) >> 16, (fu * (65536 - fv)) >> 16,
                                   ((65536 - fu) * fv) >> 16, (fu * fv) >> 16};
            uint32_t Wt[4];
            for (int i = 0; i < 4; ++i)
                Wt[i] = (w[i] * uint32_t(Ch(p[i], 3))) >> 16;
            sample(px, py, p, Wt);
        }
    }
}

void RefPutImageRotated(const PixelTarget& dst, const double* bounds, const PixelSource& src, const Rect& S, float x,
                     float y, const Color& c, DrawMode mode, double angle, float cx, float cy)
{
    const bool white = c.red == 255 && c.green == 255 && c.blue == 255 && c.alpha == 255;
    auto draw = [&](int px, int py, const uint32_t* p, const uint32_t* Wt) {
        const uint32_t S0 = Wt[0] + Wt[1] + Wt[2] + Wt[3];
        if (S0 == 0)
            return;
        auto sum = [&](int ch, const uint32_t* Wx) {
            uint32_t t = 0;
            for (int i = 0; i < 4; ++i)
                t += uint32_t(Ch(p[i], ch)) * Wx[i];
            return t;
        };
        uint32_t& d = Px(dst, px, py);
        if (mode != DRAWMODE_NORMAL) {
            uint32_t add[3];  // blue, green, red
            if (white) {
                for (int ch = 0; ch < 3; ++ch)
                    add[ch] = sum(ch, Wt) >> 8;
            } else {
                const uint32_t kr = uint32_t(c.alpha * c.red / 255), kg = uint32_t(c.alpha * c.green / 255),
                               kb = uint32_t(c.alpha * c.blue / 255);
                add[2] = ((sum(2, Wt) >> 8) * kr) >> 8;
                add[1] = (sum(1, Wt) * kg) >> 16;
                add[0] = (sum(0, Wt) * kb) >> 16;
            }
            d = Make(Ch(d, 3), T(Ch(d, 2) + int(add[2])), T(Ch(d, 1) + int(add[1])), T(Ch(d, 0) + int(add[0])));
            return;
        }
        uint32_t Sx = S0, P[3];
        if (white) {
            for (int ch = 0; ch < 3; ++ch)
                P[ch] = sum(ch, Wt) >> 8;
        } else {
            uint32_t W2[4];
            for (int i = 0; i < 4; ++i)
                W2[i] = (Wt[i] * uint32_t(c.alpha)) >> 8;
            Sx = W2[0] + W2[1] + W2[2] + W2[3];
            if (Sx == 0)
                return;
            P[2] = (sum(2, W2) * uint32_t(c.red)) >> 16;
            P[1] = ((sum(1, W2) >> 8) * uint32_t(c.green)) >> 8;
            P[0] = ((sum(0, W2) >> 8) * uint32_t(c.blue)) >> 8;
        }
        if (Sx > 250) {
            d = Make(255, int(P[2]), int(P[1]), int(P[0]));
            return;
        }
        const uint32_t dA = uint32_t(Ch(d, 3));
        const uint32_t A = 256 - (((256 - dA) * (256 - Sx)) >> 8);
        uint32_t out[3];
        for (int ch = 0; ch < 3; ++ch)
            out[ch] = ((((uint32_t(Ch(d, ch)) * dA) >> 8) * (256 - Sx)) + 256 * P[ch]) / A;
        d = Make(int(A - 1), int(out[2]), int(out[1]), int(out[0]));
    };
    RefForEachRotatedSample(dst.width, dst.height, bounds, src, S, x, y, angle, cx, cy, draw);
}

} // namespace Quib::Testing
