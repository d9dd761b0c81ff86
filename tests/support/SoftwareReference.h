#pragma once
// Slow, plain versions of the software renderer's loops, written straight
// from their formulas and kept apart from the fast code, for differential
// tests. Same arguments as the functions of SoftwareRender.h.

#include "framework/graphics/SoftwareRender.h"

#include <functional>
#include <vector>

namespace Quib::Testing {

void RefFillRect(const PixelTarget& dst, const Rect& r, const Color& color);
void RefFillSpansWithCoverage(const PixelTarget& dst, const ScanSpan* spans, int count, const Color& color,
                           const uint8_t* coverage, int left, int top, int stride);
void RefLineBlend(const PixelTarget& dst, const Color& color, double x1, double y1, double x2, double y2);
void RefLineAdd(const PixelTarget& dst, const Color& color, double x1, double y1, double x2, double y2);
void RefSmoothLineBlend(const PixelTarget& dst, const Color& color, double x1, double y1, double x2, double y2);

void RefPutImageNormal(const PixelTarget& dst, int x, int y, const PixelSource& src, const Rect& srcRect,
                    const Color& color, const uint8_t* runTable);
void RefPutImageAdditive(const PixelTarget& dst, int x, int y, const PixelSource& src, const Rect& srcRect,
                      const Color& color, bool srcHasTranslucent);
void RefStretchFast(const PixelTarget& dst, const Rect& R, const DoubleRect& area, const PixelSource& src);
bool RefStretchFiltered(const PixelTarget& dst, const Rect& R, const DoubleRect& area, const PixelSource& src);
void RefPutImageRotated(const PixelTarget& dst, const double* bounds, const PixelSource& src, const Rect& srcRect,
                     float x, float y, const Color& color, DrawMode mode, double angle, float cx, float cy);

// The lines' walks, by their own stepping: plot(x, y) for each pixel of the
// Bresenham line (fractional: the error term starts with the start point's
// fraction), plot(x, y, f, side) for each pixel of the anti-aliased line on a
// width x height target (f the fraction's high byte, side the pixel beside).
void RefWalkLine(double x1, double y1, double x2, double y2, bool fractional, const std::function<void(int, int)>& plot);
void RefWalkSmoothLine(double x1, double y1, double x2, double y2, int width, int height,
                    const std::function<void(int, int, int, bool)>& plot);

// The rotated draw's walk, by its own span cut: sample(px, py, p, W) for every
// pixel (px, py) inside a width x height target whose 2 x 2 block lies inside
// the source rectangle, with the texels p (top left, right, below, below
// right) and their weights W scaled by the texels' alphas.
void RefForEachRotatedSample(int width, int height, const double* bounds, const PixelSource& src, const Rect& srcRect,
                          float x, float y, double angle, float cx, float cy,
                          const std::function<void(int, int, const uint32_t*, const uint32_t*)>& sample);

// The alpha run table of a source, by its rule.
std::vector<uint8_t> RefAlphaRunTable(const PixelSource& src);

} // namespace Quib::Testing
