#pragma once
#include "framework/core/Color.h"
#include "framework/core/DrawMode.h"
#include "framework/core/Matrix3x3.h"
#include "framework/core/Point.h"
#include "framework/core/Rect.h"

#include <vector>

namespace Quib {

class Image;
class MemoryImage;
struct TriangleVertex;

// The display's 3-D device as the images draw through it. Every draw opens
// the frame's scene first and does nothing when that fails (device lost);
// blend states follow the draw mode: destination inverse source alpha for
// modes 0 and 2, one otherwise; colour from the texture for modes 0 and 1,
// from the vertex colour otherwise. With a non-empty transform stack every
// draw goes through its top matrix after its own.
class D3DInterface {
public:
    virtual ~D3DInterface() = default;

    virtual bool BeginDraw() = 0;
    virtual void SetLinearFilter(bool linear) = 0;

    // Untextured draws.
    virtual void FillRect(const Rect& rect, const Color& color, DrawMode mode) = 0;
    virtual void FillPoly(const Point* points, int count, const Rect* clip, const Color& color, DrawMode mode,
                          int tx, int ty) = 0;
    virtual void DrawLine(const Color& color, DrawMode mode, double x1, double y1, double x2, double y2) = 0;

    // Textured draws that prepare the source's texture themselves.
    virtual void Blt(const TriangleVertex* vertices, int triangleCount, const Color& color, DrawMode mode,
                     Image* source, float x, float y, bool smooth) = 0;
    virtual void BltTransformed(const Color& color, const Rect& sourceRect, Image* source, const Rect* clip,
                                DrawMode mode, const Matrix3x3& matrix, bool linear, float x, float y,
                                bool center) = 0;
    virtual void PutImageMirrored(Image* source, float x, float y, const Rect& sourceRect, const Color& color,
                                  DrawMode mode) = 0;
    virtual void PutImageStretchedMirrored(Image* source, const Rect& destRect, const Rect& sourceRect,
                                           const Rect& clip, const Color& color, DrawMode mode, bool fast,
                                           bool mirror) = 0;

    // Texture steps for the images' own textured draws: opens the scene,
    // makes or rebuilds the source's texture pieces (giving up the source's
    // bits when it asks for that), sets the blend states by mode and the
    // filter. False when nothing is to be drawn.
    virtual bool PrepareTexture(MemoryImage* source, DrawMode mode, bool linear) = 0;
    // Each texture piece overlapping the source rectangle as a strip of two
    // triangles at (x, y), pixel centres at -0.5.
    virtual void DrawTexturePieces(MemoryImage* source, int x, int y, const Rect& sourceRect,
                                   const Color& color) = 0;
    // The pieces covering the source rectangle at a fractional position.
    virtual void TextureBlt(MemoryImage* source, float x, float y, const Rect& sourceRect, const Color& color) = 0;
    // The pieces through a matrix, clipped.
    virtual void TextureBltTransformed(MemoryImage* source, const Matrix3x3& matrix, const Color& color,
                                       const Rect& sourceRect, const Rect& clip, float x, float y,
                                       bool center) = 0;

    // Gives up the image's textures and its record (the image no longer
    // lists one); nothing when it has none.
    virtual void ForgetImageTextures(MemoryImage* image) = 0;

    bool HasTransform() const { return !transformStack.empty(); }
    const Matrix3x3& TopTransform() const { return transformStack.back(); }

    std::vector<Matrix3x3> transformStack;
};

} // namespace Quib
