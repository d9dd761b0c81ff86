#pragma once
#include "framework/core/Color.h"
#include "framework/core/Matrix3x3.h"
#include "framework/core/Rect.h"
#include "platform/Device3D.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Quib {

class D3DInterface;
class MemoryImage;

// The device's texture limits, as images are cut to them.
struct TextureLimits {
    int32_t maxWidth = 64;
    int32_t maxHeight = 64;
    int32_t minWidth = 64;
    int32_t minHeight = 64;
    int32_t maxAspect = 1;
    uint64_t memory = 0; // bytes of texture memory; 0: not known
};

// The texture size for w x h pixels: each side the smallest power of two
// that holds it (the maximum when it reaches that), at least the minimum,
// and the shorter side doubled until the proportion is allowed.
struct TextureSize {
    int32_t width = 0;
    int32_t height = 0;

    static TextureSize Choose(int32_t w, int32_t h, const TextureLimits& limits);
    bool operator==(const TextureSize&) const = default;
};

// An ARGB word of a colour, each channel cut to 0..255.
uint32_t PackDeviceColor(const Color& color);

// One texture of an image: its texture and texture size.
struct TexturePiece {
    std::shared_ptr<DeviceTexture> texture;
    int32_t textureWidth = 0;
    int32_t textureHeight = 0;
};

// An image cut into a grid of textures of the device. Interior pieces hold
// pieceWidth x pieceHeight pixels of the image; the last column and row
// hold what is left, in textures sized for it, with the texel after the
// last pixel of each row and the row after the last row repeating them (so
// filtering at the edge reads the edge). The record knows the image's size,
// change count and texture flags it was made from.
class TextureData {
public:
    TextureData() = default;
    TextureData(const TextureData&) = delete;
    TextureData& operator=(const TextureData&) = delete;
    ~TextureData();

    // Cuts a w x h image: piece sizes, grid, extents. Makes no texture.
    void ComputeLayout(int32_t w, int32_t h, const TextureLimits& limits);
    // Texture size of the piece in the given column and row.
    TextureSize PieceTextureSize(int32_t column, int32_t row) const;
    // Bytes of texture all pieces of the layout take in a format.
    uint64_t LayoutBytes(TextureFormat textureFormat) const;

    // Builds the textures again when there are none usable or the image's
    // size, change count or texture flags moved; otherwise nothing.
    void Refresh(MemoryImage& image, Device3D& device, const TextureLimits& limits, TextureFormat& supported);
    // Chooses the format, lays the pieces out and makes their textures
    // when the size, format or flags changed, and uploads every piece.
    // Returns the format; 0 when the textures cannot be made (the failure
    // is recorded as a device error).
    TextureFormat CreateTextures(MemoryImage& image, Device3D& device, const TextureLimits& limits,
                                 TextureFormat& supported);
    // Gives up every texture.
    void ReleaseTextures();
    // Whether the textures hold the image's current picture.
    bool HoldsPicture(const MemoryImage& image) const;
    // Writes the image's picture (width x height words) from the textures;
    // false when they do not hold its current picture or a texture cannot
    // be read. 16-bit formats give their channels in the top bits.
    bool ReadPixelsBack(const MemoryImage& image, uint32_t* out) const;

    // Draws the pieces covering the source rectangle at (x, y), pixel
    // centres at -0.5.
    void Blt(Device3D& device, float x, float y, const Rect& sourceRect, uint32_t color) const;
    // Draws them through the matrix, moved by (x, y) after it, and by -0.5
    // unless centred (then the source rectangle's middle is the matrix's
    // origin); a piece that reaches out of the clip rectangle is cut to it.
    void BltTransformed(Device3D& device, const Matrix3x3& matrix, uint32_t color, const Rect& sourceRect,
                        const Rect* clip, float x, float y, bool center) const;

    std::vector<TexturePiece> pieces; // row-major
    int32_t width = 0;
    int32_t height = 0;
    int32_t columns = 0;
    int32_t rows = 0;
    int32_t pieceWidth = 64;
    int32_t pieceHeight = 64;
    int32_t changeCount = 0;
    uint64_t textureMemory = 0;
    float extentU = 0; // the image's width in pieces
    float extentV = 0;
    TextureFormat format = 0; // 0: no usable textures
    uint32_t textureFlags = 0;
    D3DInterface* owner = nullptr; // the interface that lists it

private:
    TextureSize lastColumn_, lastRow_, corner_;

    bool UploadPiece(const MemoryImage& image, const TexturePiece& piece, int32_t x, int32_t y) const;
    // Calls part(piece, u0, v0, u1, v1, x, y, w, h) for each piece part of
    // the source rectangle: texture coordinates and the part's place
    // relative to the rectangle's corner.
    template <class Part>
    void ForEachPart(const Rect& sourceRect, Part&& part) const;
};

} // namespace Quib
