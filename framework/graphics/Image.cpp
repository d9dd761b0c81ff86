#include "framework/graphics/Image.h"

namespace Quib {

Image::Image(const Image& other)
    : width(other.width), height(other.height), rows(other.rows), cols(other.cols),
      animation(other.animation ? std::make_unique<ImageAnimation>(*other.animation) : nullptr)
{
}

Image::~Image() = default;

bool Image::TryFillPolygon(const Point*, int, const Rect&, const Color&, DrawMode, int, int)
{
    return false;
}

void Image::FillRectangle(const Rect&, const Color&, DrawMode) {}

void Image::ClearRectangle(const Rect&) {}

void Image::DrawLineSegment(double, double, double, double, const Color&, DrawMode) {}

void Image::DrawSmoothLineSegment(double, double, double, double, const Color&, DrawMode) {}

void Image::FillSpansWithCoverage(const ScanSpan*, int, const Color&, DrawMode, const uint8_t*, int, int, int)
{
}

void Image::PutImage(Image*, int, int, const Rect&, const Color&, DrawMode) {}

void Image::PutImageSubpixel(Image*, float, float, const Rect&, const Rect&, const Color&, DrawMode) {}

void Image::PutImageRotated(Image*, float, float, const Rect&, const Rect&, const Color&, DrawMode, double, float,
                            float)
{
}

void Image::PutImageStretched(Image*, const Rect&, const Rect&, const Rect&, const Color&, DrawMode, bool) {}

void Image::PutImageMatrix(Image*, float, float, const Matrix3x3&, const Rect&, const Color&, DrawMode,
                           const Rect&, int)
{
}

void Image::PutTexturedTriangles(Image*, const TriangleVertex*, int, const Rect&, const Color&, DrawMode, float,
                                 float, int)
{
}

void Image::PutImageMirrored(Image*, int, int, const Rect&, const Color&, DrawMode) {}

void Image::PutImageStretchedMirrored(Image*, const Rect&, const Rect&, const Rect&, const Color&, DrawMode,
                                      bool)
{
}

} // namespace Quib
