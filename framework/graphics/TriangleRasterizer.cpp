#include "framework/graphics/TriangleRasterizer.h"

#include "framework/graphics/MemoryImage.h"

#include <algorithm>

namespace Quib {

namespace {

// The texture and drawing colour as the rasterizer takes them.
RasterTexture TextureOf(MemoryImage* source)
{
    RasterTexture texture;
    if (source) {
        source->ApplyBitsChange();
        texture.pixels = source->Pixels();
        texture.width = source->width;
        texture.height = source->height;
        texture.hasTransparent = source->hasTrans;
        texture.hasTranslucent = source->hasAlpha;
    }
    return texture;
}

FillerColor FillOf(const Color& colour)
{
    FillerColor fill;
    fill.alpha = std::clamp(colour.alpha, 0, 255);
    fill.red = std::clamp(colour.red, 0, 255);
    fill.green = std::clamp(colour.green, 0, 255);
    fill.blue = std::clamp(colour.blue, 0, 255);
    return fill;
}

} // namespace

void SetupAndRasterizeTriangles(const TriangleVertex* corners, int count, MemoryImage* source, const Color& colour,
                                const Rect& clip, const PixelBuffer& target, bool smooth, bool vertexColours)
{
    const RasterTexture texture = TextureOf(source);
    RasterizeTriangleStrip(corners, count, source ? &texture : nullptr, FillOf(colour), clip.x, clip.y, clip.width,
                           clip.height, target, smooth, vertexColours);
}

void RasterizeTriangleList(Image* source, const TriangleVertex* vertices, int triangleCount, const Rect& clip,
                           const Color& colour, const PixelBuffer& target, float x, float y, bool smooth)
{
    if (!vertices || triangleCount <= 0)
        return;
    auto* texture = dynamic_cast<MemoryImage*>(source);
    const RasterTexture texels = TextureOf(texture);
    TriangleBatch batch(texture ? &texels : nullptr, FillOf(colour), clip.x, clip.y, clip.width, clip.height,
                        target, smooth);
    for (int i = 0; i < triangleCount; ++i) {
        const TriangleVertex* triangle = vertices + 3 * static_cast<size_t>(i);
        TriangleVertex corners[3] = {triangle[0], triangle[1], triangle[2]};
        bool vertexColours = false;
        for (TriangleVertex& c : corners) {
            c.x += x;
            c.y += y;
            vertexColours = vertexColours || c.color != 0;
        }
        batch.Draw(corners[0], corners[1], corners[2], vertexColours);
    }
}

void RasterizeImageQuad(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clip,
                        const Color& colour, const Rect& sourceRect, const PixelBuffer& target, bool smooth)
{
    auto* texture = dynamic_cast<MemoryImage*>(source);
    if (!texture || texture->width <= 0 || texture->height <= 0)
        return;
    const auto w = static_cast<float>(sourceRect.width), h = static_cast<float>(sourceRect.height);
    const auto imageW = static_cast<float>(texture->width), imageH = static_cast<float>(texture->height);
    const float u0 = static_cast<float>(sourceRect.x) / imageW, u1 = (static_cast<float>(sourceRect.x) + w) / imageW;
    const float v0 = static_cast<float>(sourceRect.y) / imageH, v1 = (static_cast<float>(sourceRect.y) + h) / imageH;
    TriangleVertex corners[4] = {{-w / 2, -h / 2, u0, v0, 0xFFFFFFFF},
                                 {w / 2, -h / 2, u1, v0, 0xFFFFFFFF},
                                 {-w / 2, h / 2, u0, v1, 0xFFFFFFFF},
                                 {w / 2, h / 2, u1, v1, 0xFFFFFFFF}};
    const auto& m = matrix.m;
    for (TriangleVertex& c : corners) {
        const float px = c.x, py = c.y;
        c.x = static_cast<float>(static_cast<double>(m[0][0] * px + m[0][1] * py + m[0][2] + x) - 0.5);
        c.y = static_cast<float>(static_cast<double>(m[1][0] * px + m[1][1] * py + m[1][2] + y) - 0.5);
    }
    SetupAndRasterizeTriangles(corners, 4, texture, colour, clip, target, smooth, false);
}

} // namespace Quib
