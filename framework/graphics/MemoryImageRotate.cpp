// MemoryImage rotated blits: the bilinear resampler, and the blit at a
// fractional position that runs it with angle 0.

#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/MemoryImagePixels.h"
#include "framework/graphics/TriangleRasterizer.h"

namespace Quib {

void MemoryImage::PutImageSubpixel(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                                   const Color& color, DrawMode mode)
{
    if (!source)
        return;
    source->drawn = true;
    PutImageRotated(source, x, y, sourceRect, clip, color, mode, 0.0, 0.0f, 0.0f);
}

void MemoryImage::PutImageRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                                  const Color& color, DrawMode mode, double angle, float centerX, float centerY)
{
    if (!source)
        return;
    source->drawn = true;
    const float position[2] = {x, y};
    double bounds[4];
    if (!RotatedBlitBounds(position, sourceRect, clip, bounds, centerX, centerY, angle))
        return;
    auto* src = dynamic_cast<MemoryImage*>(source);
    if (!src)
        return;
    // The resampler reads 2 x 2 blocks inside the source rectangle, which
    // must lie inside the source picture.
    const Rect s = CutToPicture(sourceRect, src->width, src->height);
    PixelTarget t;
    PixelSource p;
    if (s == sourceRect && TargetPixels(*this, t) && SourcePixels(*src, p))
        SoftPutImageRotated(t, bounds, p, s, x, y, color, mode, angle, centerX, centerY);
    NotePixelsEdited();
}

void MemoryImage::PutImageMatrix(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clip,
                                 const Color& color, DrawMode, const Rect& sourceRect, int smooth)
{
    if (!source)
        return;
    source->drawn = true;
    if (const PixelBuffer target = BitsBuffer(); target.bits)
        PutImageQuad(source, x, y, matrix, clip, color, sourceRect, smooth, target);
    NotePixelsEdited();
}

void MemoryImage::PutImageQuad(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clip,
                               const Color& color, const Rect& sourceRect, int smooth, const PixelBuffer& target)
{
    if (!source)
        return;
    source->drawn = true;
    if (!target.bits)
        return;
    RasterizeImageQuad(source, x, y, matrix, clip, color, sourceRect, target, smooth != 0);
}

} // namespace Quib
