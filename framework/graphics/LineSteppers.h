#pragma once
// Pixel stepping of the software lines, separate from the pixel rule so that
// every destination layout steps the same way.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace Quib {

// Lines with an end point further out than this (or not a number) are not
// drawn: stepping toward the picture from there would take billions of steps.
constexpr double kMaxLineCoordinate = 16777216.0;

inline bool LineEndsUsable(double x1, double y1, double x2, double y2)
{
    auto ok = [](double v) { return v >= -kMaxLineCoordinate && v <= kMaxLineCoordinate; };
    return ok(x1) && ok(y1) && ok(x2) && ok(y2);
}

// double -> int toward zero; values outside the int range (and NaN) give
// INT_MIN, as the x86 conversion does, instead of undefined behaviour.
inline int TruncToInt(double v)
{
    if (!(v > -2147483649.0 && v < 2147483648.0))
        return INT32_MIN;
    return static_cast<int>(v);
}

// Bresenham line on double end points: plot(x, y) for every pixel. With
// fractionalStart the error term includes the start point's fraction (the
// normal line); without it, it does not (the additive line). The line stops as
// soon as a step leaves the bounding box of the two end points, or once it has
// left an image of the given size for good. plot must still check the bounds.
template <class Plot>
void StepBresenhamLine(double x1, double y1, double x2, double y2, bool fractionalStart, int width,
                       int height, Plot&& plot)
{
    if (!LineEndsUsable(x1, y1, x2, y2))
        return;
    const double minX = std::min(x1, x2), maxX = std::max(x1, x2);
    const double minY = std::min(y1, y2), maxY = std::max(y1, y2);
    const bool xMajor = std::fabs(x2 - x1) > std::fabs(y2 - y1);
    if (!xMajor) {
        // Exchange the axes; plot swaps them back.
        std::swap(x1, y1);
        std::swap(x2, y2);
    }
    if (x2 - x1 < 0) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const double xs = x1, ys = y1, xe = x2;
    const double dMajor = x2 - x1;
    double dMinor = y2 - y1;
    int step = 1;
    if (dMinor < 0) {
        step = -1;
        dMinor = -dMinor;
    }
    auto put = [&](int a, int b) {
        if (xMajor)
            plot(a, b);
        else
            plot(b, a);
    };
    auto outside = [&](int a, int b) {
        const int x = xMajor ? a : b, y = xMajor ? b : a;
        return x < minX || y < minY || x > maxX || y > maxY;
    };
    put(TruncToInt(xs), TruncToInt(ys));
    const int incE = TruncToInt(2 * dMinor);
    const int incNE = TruncToInt(2 * (dMinor - dMajor));
    int64_t err = fractionalStart
                      ? TruncToInt((ys - TruncToInt(ys)) * incE + TruncToInt(2 * dMinor - dMajor))
                      : TruncToInt(2 * dMinor - dMajor);
    int a = TruncToInt(xs + 1);
    int b = TruncToInt(ys);
    const int majorEnd = xMajor ? width : height;
    for (; a <= xe && a < majorEnd; ++a) {
        if (err <= 0) {
            err += incE;
        } else {
            b += step;
            err += incNE;
            if (outside(a, b))
                return;
        }
        put(a, b);
    }
}

// The anti-aliased line: a 16.16 fraction, a main pixel per step and a side
// pixel beside it. plot(x, y, f, side) with f the fraction's high byte (0..255);
// the caller turns f into coverage (main 255 - f, side f). Side pixels below
// the last row or beside the image are skipped; plot must still check the
// bounds of the others.
template <class Plot>
void StepSmoothLine(double x1, double y1, double x2, double y2, int width, int height, Plot&& plot)
{
    if (!LineEndsUsable(x1, y1, x2, y2))
        return;
    int ix1 = TruncToInt(x1), iy1 = TruncToInt(y1);
    int ix2 = TruncToInt(x2), iy2 = TruncToInt(y2);
    if (iy1 > iy2) {
        std::swap(ix1, ix2);
        std::swap(iy1, iy2);
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    int64_t dxi = int64_t(ix2) - ix1;
    const int64_t dyi = int64_t(iy2) - iy1;
    double fdx = x2 - x1;
    const double fdy = y2 - y1;
    int xStep = 1;
    if (dxi < 0) {
        xStep = -1;
        dxi = -dxi;
        fdx = -fdx;
    }
    uint32_t B = static_cast<uint32_t>(TruncToInt(std::fabs(y1 - iy1) * std::fabs(x1 - ix1) * 65536));
    plot(ix1, iy1, int(B >> 8), false);
    int x = ix1, y = iy1;
    if (dxi >= dyi) {
        const int64_t steps = dxi;
        if (steps > 1) {
            const uint32_t slope = static_cast<uint32_t>(TruncToInt(65536 * fdy / fdx));
            for (int64_t i = 1; i < steps; ++i) {
                B += slope;
                if (B >= 65536) {
                    B &= 0xFFFF;
                    ++y;
                }
                x += xStep;
                if (xStep > 0 ? x >= width : x < 0)
                    break;  // the rest lies outside the image
                const int f = int(B >> 8);
                plot(x, y, f, false);
                if (y < height - 1)
                    plot(x, y + 1, f, true);
            }
        }
    } else {
        const int64_t steps = dyi;
        if (steps > 1) {
            const uint32_t slope = static_cast<uint32_t>(TruncToInt(65536 * fdx / fdy));
            for (int64_t i = 1; i < steps; ++i) {
                B += slope;
                if (B >= 65536) {
                    B &= 0xFFFF;
                    x += xStep;
                }
                ++y;
                if (y >= height)
                    break;
                const int f = int(B >> 8);
                plot(x, y, f, false);
                const int xs = x + xStep;
                if (xs >= 0 && xs < width)
                    plot(xs, y, f, true);
            }
        }
    }
    plot(ix2, iy2, int(B >> 8), false);
}

}  // namespace Quib
