#pragma once
// Slow, plain versions of the software renderer's loops, written straight
// from their formulas and kept apart from the fast code, for differential
// tests. Same arguments as the functions of SoftwareRender.h.

#include "framework/graphics/SoftwareRender.h"

#include <vector>

namespace Quib::Ref {

void FillRect(const PixelTarget& dst, const Rect& r, const Color& color);
void FillSpansWithCoverage(const PixelTarget& dst, const ScanSpan* spans, int count, const Color& color,
                           const uint8_t* coverage, int left, int top, int stride);
void LineBlend(const PixelTarget& dst, const Color& color, double x1, double y1, double x2, double y2);
void LineAdd(const PixelTarget& dst, const Color& color, double x1, double y1, double x2, double y2);
void SmoothLineBlend(const PixelTarget& dst, const Color& color, double x1, double y1, double x2, double y2);

void PutImageNormal(const PixelTarget& dst, int x, int y, const PixelSource& src, const Rect& srcRect,
                    const Color& color, const uint8_t* runTable);
void PutImageAdditive(const PixelTarget& dst, int x, int y, const PixelSource& src, const Rect& srcRect,
                      const Color& color, bool srcHasTranslucent);
void StretchFast(const PixelTarget& dst, const Rect& R, const DoubleRect& area, const PixelSource& src);
bool StretchFiltered(const PixelTarget& dst, const Rect& R, const DoubleRect& area, const PixelSource& src);
void PutImageRotated(const PixelTarget& dst, const double* bounds, const PixelSource& src, const Rect& srcRect,
                     float x, float y, const Color& color, DrawMode mode, double angle, float cx, float cy);

// The alpha run table of a source, by its rule.
std::vector<uint8_t> AlphaRunTable(const PixelSource& src);

} // namespace Quib::Ref
