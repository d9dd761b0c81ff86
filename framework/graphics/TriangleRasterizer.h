#pragma once
#include "framework/core/Color.h"
#include "framework/core/Matrix3x3.h"
#include "framework/core/Rect.h"
#include "framework/raster/TriangleSetup.h"

namespace Quib {

class Image;
class MemoryImage;

// Draws the count corners as a triangle strip (0-1-2, 1-3-2, 2-3-4, ...)
// into target: textured with source when given (its transparency flags are
// brought up to date first; transparent or translucent texels, or smooth,
// make it blend), modulated by colour unless it is opaque white, with the
// corners' packed colours when vertexColours is set. Only pixels inside
// both the clip and the target are written.
void SetupAndRasterizeTriangles(const TriangleVertex* corners, int count, MemoryImage* source, const Color& colour,
                                const Rect& clip, const PixelBuffer& target, bool smooth, bool vertexColours);

// Draws triangleCount separate triangles (vertex triples), each moved by
// (x, y). A source that is not a MemoryImage draws untextured.
void RasterizeTriangleList(Image* source, const TriangleVertex* vertices, int triangleCount, const Rect& clip,
                           const Color& colour, const PixelBuffer& target, float x, float y, bool smooth);

// Draws sourceRect of source through the first two rows of matrix, the
// rectangle's centre on the transformed origin, at (x, y). Nothing when the
// source is not a MemoryImage.
void RasterizeImageQuad(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clip,
                        const Color& colour, const Rect& sourceRect, const PixelBuffer& target, bool smooth);

} // namespace Quib
