#pragma once
#include "framework/core/Color.h"
#include "framework/core/DrawMode.h"
#include "framework/core/Matrix3x3.h"
#include "framework/core/Point.h"
#include "framework/core/Rect.h"
#include "framework/graphics/ImageAnimation.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Quib {

struct ScanSpan;
struct TriangleVertex;

// The abstract picture: a size, a grid of rows x cols equal cels, an
// optional cel animation, and the drawing operations every picture answers.
// The drawing slots do nothing here; the pictures with pixels override them.
class Image {
public:
    bool drawn = false; // set by every drawing that uses the image as a source
    std::string name;   // the path the picture was created from
    int32_t width = 0;
    int32_t height = 0;
    int32_t rows = 1;
    int32_t cols = 1;
    std::unique_ptr<ImageAnimation> animation;

    Image() = default;
    // Copies the size, the cel grid and the animation; not drawn nor name.
    Image(const Image& other);
    Image& operator=(const Image&) = delete;
    virtual ~Image();

    // The drawing operations. Arguments are in the caller's already
    // translated and clipped destination pixels except where a clip
    // rectangle is passed.
    virtual bool TryFillPolygon(const Point* vertices, int count, const Rect& clip, const Color& color,
                                DrawMode mode, int tx, int ty);
    virtual void FillRectangle(const Rect& rect, const Color& color, DrawMode mode);
    virtual void OutlineRectangle(const Rect& rect, const Color& color, DrawMode mode);
    virtual void ClearRectangle(const Rect& rect);
    virtual void DrawLineSegment(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode);
    virtual void DrawSmoothLineSegment(double x1, double y1, double x2, double y2, const Color& color,
                                       DrawMode mode);
    virtual void FillSpans(const ScanSpan* spans, int count, const Color& color, DrawMode mode);
    virtual void FillSpansWithCoverage(const ScanSpan* spans, int count, const Color& color, DrawMode mode,
                                       const uint8_t* coverage, int coverageLeft, int coverageTop,
                                       int coverageStride);
    virtual void PutImage(Image* source, int x, int y, const Rect& sourceRect, const Color& color,
                          DrawMode mode);
    virtual void PutImageSubpixel(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                                  const Color& color, DrawMode mode);
    virtual void PutImageRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                                 const Color& color, DrawMode mode, double angle, float centerX,
                                 float centerY);
    virtual void PutImageStretched(Image* source, const Rect& destRect, const Rect& sourceRect,
                                   const Rect& clip, const Color& color, DrawMode mode, bool fast);
    virtual void PutImageMatrix(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clip,
                                const Color& color, DrawMode mode, const Rect& sourceRect, int smooth);
    virtual void PutTexturedTriangles(Image* source, const TriangleVertex* vertices, int triangleCount,
                                      const Rect& clip, const Color& color, DrawMode mode, float x, float y,
                                      int smooth);
    virtual void PutImageMirrored(Image* source, int x, int y, const Rect& sourceRect, const Color& color,
                                  DrawMode mode);
    virtual void PutImageStretchedMirrored(Image* source, const Rect& destRect, const Rect& sourceRect,
                                           const Rect& clip, const Color& color, DrawMode mode, bool fast);
};

} // namespace Quib
