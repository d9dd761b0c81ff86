#include "framework/graphics/TextureData.h"

#include "framework/graphics/D3DResult.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PolygonClip.h"

#include <algorithm>
#include <cstring>

namespace Quib {

namespace {

// More pieces than this are refused before any is made.
constexpr int64_t kMaxPieces = int64_t(1) << 16;

int64_t PowerOfTwoAtLeast(int64_t v)
{
    int64_t p = 1;
    while (p < v)
        p *= 2;
    return p;
}

uint32_t ToA4R4G4B4(uint32_t p)
{
    return ((p >> 16) & 0xF000) | ((p >> 12) & 0x0F00) | ((p >> 8) & 0x00F0) | ((p >> 4) & 0x000F);
}

uint32_t ToR5G6B5(uint32_t p)
{
    return ((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F);
}

uint32_t FromA4R4G4B4(uint32_t t)
{
    return (((t >> 12) & 15) << 28) | (((t >> 8) & 15) << 20) | (((t >> 4) & 15) << 12) | ((t & 15) << 4);
}

uint32_t FromR5G6B5(uint32_t t)
{
    return 0xFF000000u | (((t >> 11) & 31) << 19) | (((t >> 5) & 63) << 10) | ((t & 31) << 3);
}

} // namespace

uint32_t PackDeviceColor(const Color& c)
{
    const auto ch = [](int32_t v) { return uint32_t(std::clamp(v, 0, 255)); };
    return (ch(c.alpha) << 24) | (ch(c.red) << 16) | (ch(c.green) << 8) | ch(c.blue);
}

TextureSize TextureSize::Choose(int32_t w, int32_t h, const TextureLimits& limits)
{
    const int64_t maxW = std::max(limits.maxWidth, 1), maxH = std::max(limits.maxHeight, 1);
    const int64_t aspect = std::max(limits.maxAspect, 1);
    int64_t tw = w >= maxW ? maxW : PowerOfTwoAtLeast(w);
    int64_t th = h >= maxH ? maxH : PowerOfTwoAtLeast(h);
    tw = std::max<int64_t>(tw, limits.minWidth);
    th = std::max<int64_t>(th, limits.minHeight);
    if (th < tw) {
        while (tw > aspect * th)
            th *= 2;
    } else if (th > tw) {
        while (th > aspect * tw)
            tw *= 2;
    }
    return {int32_t(std::min<int64_t>(tw, INT32_MAX)), int32_t(std::min<int64_t>(th, INT32_MAX))};
}

TextureData::~TextureData()
{
    ReleaseTextures();
}

void TextureData::ComputeLayout(int32_t w, int32_t h, const TextureLimits& limits)
{
    w = std::max(w, 0);
    h = std::max(h, 0);
    const TextureSize standard = TextureSize::Choose(w, h, limits);
    pieceWidth = standard.width;
    pieceHeight = standard.height;
    lastColumn_ = w % pieceWidth > 0 ? TextureSize::Choose(w % pieceWidth, pieceHeight, limits) : standard;
    lastRow_ = h % pieceHeight > 0 ? TextureSize::Choose(pieceWidth, h % pieceHeight, limits) : standard;
    corner_ = TextureSize::Choose(lastColumn_.width, lastRow_.height, limits);
    columns = int32_t((int64_t(w) + pieceWidth - 1) / pieceWidth);
    rows = int32_t((int64_t(h) + pieceHeight - 1) / pieceHeight);
    extentU = float(w) / float(pieceWidth);
    extentV = float(h) / float(pieceHeight);
}

TextureSize TextureData::PieceTextureSize(int32_t column, int32_t row) const
{
    const bool lastColumn = column == columns - 1, lastRow = row == rows - 1;
    if (lastColumn && lastRow)
        return corner_;
    if (lastRow)
        return lastRow_;
    if (lastColumn)
        return lastColumn_;
    return {pieceWidth, pieceHeight};
}

uint64_t TextureData::LayoutBytes(TextureFormat textureFormat) const
{
    if (columns <= 0 || rows <= 0)
        return 0;
    const auto area = [](const TextureSize& s) { return uint64_t(s.width) * uint64_t(s.height); };
    const uint64_t inner = uint64_t(columns - 1) * uint64_t(rows - 1) * area({pieceWidth, pieceHeight});
    const uint64_t texels = inner + uint64_t(rows - 1) * area(lastColumn_) +
                            uint64_t(columns - 1) * area(lastRow_) + area(corner_);
    return texels * TextureFormatBytes(textureFormat);
}

void TextureData::Refresh(MemoryImage& image, Device3D& device, const TextureLimits& limits,
                          TextureFormat& supported)
{
    if (format == 0 || image.width != width || image.height != height || image.changeCount != changeCount ||
        image.textureFlags != textureFlags)
        CreateTextures(image, device, limits, supported);
}

TextureFormat TextureData::CreateTextures(MemoryImage& image, Device3D& device, const TextureLimits& limits,
                                          TextureFormat& supported)
{
    // 1. A readable picture, without the software caches, flags current.
    if (!image.bits && !image.palette)
        image.Pixels();
    image.ReleaseSoftwareCaches();
    image.ApplyBitsChange();
    if (!image.bits && !image.palette) {
        format = 0;
        return 0;
    }

    // 2. The format.
    TextureFormat chosen = TEXTURE_FORMAT_A8R8G8B8;
    if (!image.hasTrans && !image.hasAlpha && (supported & TEXTURE_FORMAT_R5G6B5) && !(image.textureFlags & 8))
        chosen = TEXTURE_FORMAT_R5G6B5;
    if (chosen == TEXTURE_FORMAT_A8R8G8B8) {
        if ((image.textureFlags & 4) && (supported & TEXTURE_FORMAT_A4R4G4B4))
            chosen = TEXTURE_FORMAT_A4R4G4B4;
        if (!(supported & TEXTURE_FORMAT_A8R8G8B8))
            chosen = TEXTURE_FORMAT_A4R4G4B4;
    }

    // 3. A new layout when the size, format or flags changed; its size is
    // checked before anything is made.
    const bool create = image.width != width || image.height != height || chosen != format ||
                        image.textureFlags != textureFlags || pieces.size() != size_t(columns) * size_t(rows);
    if (create) {
        ReleaseTextures();
        format = chosen;
        textureFlags = image.textureFlags;
        ComputeLayout(image.width, image.height, limits);
        const int64_t count = int64_t(columns) * rows;
        const uint64_t bytes = LayoutBytes(chosen);
        if (count > kMaxPieces || (limits.memory != 0 && bytes > limits.memory)) {
            D3DCheckResult("CreateTexture", DDERR_OUTOFVIDEOMEMORY);
            format = 0;
            return 0;
        }
        pieces.resize(size_t(count));
    }

    // 5. Each piece, rows top to bottom.
    for (int32_t row = 0; row < rows; ++row) {
        for (int32_t column = 0; column < columns; ++column) {
            TexturePiece& piece = pieces[size_t(row) * size_t(columns) + size_t(column)];
            if (create) {
                const TextureSize size = PieceTextureSize(column, row);
                if (D3DCheckResult("SetTexture NULL", device.SetTexture(nullptr))) {
                    format = 0;
                    return 0;
                }
                const HRESULT made = device.CreateTexture(uint32_t(size.width), uint32_t(size.height), chosen,
                                                          &piece.texture);
                if (D3DCheckResult("CreateTexture", made)) {
                    format = 0;
                    return 0;
                }
                piece.textureWidth = size.width;
                piece.textureHeight = size.height;
                textureMemory += uint64_t(size.width) * uint64_t(size.height) * TextureFormatBytes(chosen);
            }
            UploadPiece(image, piece, column * pieceWidth, row * pieceHeight);
        }
    }

    // 6. What the textures were made from.
    width = image.width;
    height = image.height;
    changeCount = image.changeCount;
    return format;
}

bool TextureData::UploadPiece(const MemoryImage& image, const TexturePiece& piece, int32_t x, int32_t y) const
{
    if (!piece.texture)
        return false;
    uint8_t* bits = nullptr;
    int32_t pitch = 0;
    if (D3DCheckResult("Lock Texture", piece.texture->Lock(TextureLockMode::WriteOnly, &bits, &pitch)))
        return false;
    const int32_t cols = std::min(image.width - x, piece.textureWidth);
    const int32_t rowCount = std::min(image.height - y, piece.textureHeight);
    if (cols > 0 && rowCount > 0) {
        const uint32_t* palette = image.bits ? nullptr : image.palette.get();
        for (int32_t r = 0; r < rowCount; ++r) {
            const size_t start = size_t(y + r) * size_t(image.width) + size_t(x);
            const auto source = [&](int32_t i) {
                return palette ? palette[image.paletteIndices[start + size_t(i)]] : image.bits[start + size_t(i)];
            };
            uint8_t* out = bits + ptrdiff_t(r) * pitch;
            if (format == TEXTURE_FORMAT_A8R8G8B8) {
                auto* texels = reinterpret_cast<uint32_t*>(out);
                for (int32_t i = 0; i < cols; ++i)
                    texels[i] = source(i);
                if (cols < piece.textureWidth)
                    texels[cols] = texels[cols - 1];
            } else {
                auto* texels = reinterpret_cast<uint16_t*>(out);
                const bool narrowAlpha = format == TEXTURE_FORMAT_A4R4G4B4;
                for (int32_t i = 0; i < cols; ++i)
                    texels[i] = uint16_t(narrowAlpha ? ToA4R4G4B4(source(i)) : ToR5G6B5(source(i)));
                if (cols < piece.textureWidth)
                    texels[cols] = texels[cols - 1];
            }
        }
        if (rowCount < piece.textureHeight)
            std::memcpy(bits + ptrdiff_t(rowCount) * pitch, bits + ptrdiff_t(rowCount - 1) * pitch, size_t(pitch));
    }
    return !D3DCheckResult("Texture Unlock", piece.texture->Unlock());
}

void TextureData::ReleaseTextures()
{
    pieces.clear();
    textureMemory = 0;
}

bool TextureData::HoldsPicture(const MemoryImage& image) const
{
    return format != 0 && image.width == width && image.height == height && image.changeCount == changeCount &&
           pieces.size() == size_t(columns) * size_t(rows);
}

bool TextureData::ReadPixelsBack(const MemoryImage& image, uint32_t* out) const
{
    if (!out || !HoldsPicture(image))
        return false;
    for (int32_t row = 0; row < rows; ++row) {
        for (int32_t column = 0; column < columns; ++column) {
            const TexturePiece& piece = pieces[size_t(row) * size_t(columns) + size_t(column)];
            if (!piece.texture)
                return false;
            uint8_t* bits = nullptr;
            int32_t pitch = 0;
            if (D3DCheckResult("Lock Texture", piece.texture->Lock(TextureLockMode::ReadOnly, &bits, &pitch)))
                return false;
            const int32_t x = column * pieceWidth, y = row * pieceHeight;
            const int32_t cols = std::min({width - x, pieceWidth, piece.textureWidth});
            const int32_t rowCount = std::min({height - y, pieceHeight, piece.textureHeight});
            for (int32_t r = 0; r < rowCount; ++r) {
                uint32_t* to = out + size_t(y + r) * size_t(width) + size_t(x);
                const uint8_t* from = bits + ptrdiff_t(r) * pitch;
                if (format == TEXTURE_FORMAT_A8R8G8B8) {
                    std::memcpy(to, from, size_t(cols) * 4);
                } else {
                    const auto* texels = reinterpret_cast<const uint16_t*>(from);
                    for (int32_t i = 0; i < cols; ++i)
                        to[i] = format == TEXTURE_FORMAT_A4R4G4B4 ? FromA4R4G4B4(texels[i]) : FromR5G6B5(texels[i]);
                }
            }
            if (D3DCheckResult("Texture Unlock", piece.texture->Unlock()))
                return false;
        }
    }
    return true;
}

template <class Part>
void TextureData::ForEachPart(const Rect& sourceRect, Part&& part) const
{
    // The source rectangle, cut to the image.
    const int64_t left = std::max<int64_t>(sourceRect.x, 0), top = std::max<int64_t>(sourceRect.y, 0);
    const int64_t right = std::min<int64_t>(int64_t(sourceRect.x) + sourceRect.width, width);
    const int64_t bottom = std::min<int64_t>(int64_t(sourceRect.y) + sourceRect.height, height);
    if (left >= right || top >= bottom || pieces.size() != size_t(columns) * size_t(rows))
        return;
    for (int64_t sy = top; sy < bottom;) {
        const int64_t row = sy / pieceHeight, inY = sy % pieceHeight;
        const int64_t rowPixels = std::min<int64_t>(pieceHeight, height - row * pieceHeight);
        const int64_t h = std::min(rowPixels - inY, bottom - sy);
        for (int64_t sx = left; sx < right;) {
            const int64_t column = sx / pieceWidth, inX = sx % pieceWidth;
            const int64_t columnPixels = std::min<int64_t>(pieceWidth, width - column * pieceWidth);
            const int64_t w = std::min(columnPixels - inX, right - sx);
            const TexturePiece& piece = pieces[size_t(row * columns + column)];
            const float tw = float(piece.textureWidth), th = float(piece.textureHeight);
            part(piece, float(inX) / tw, float(inY) / th, float(inX + w) / tw, float(inY + h) / th,
                 float(sx - sourceRect.x), float(sy - sourceRect.y), float(w), float(h));
            sx += w;
        }
        sy += h;
    }
}

void TextureData::Blt(Device3D& device, float x, float y, const Rect& sourceRect, uint32_t color) const
{
    ForEachPart(sourceRect, [&](const TexturePiece& piece, float u0, float v0, float u1, float v1, float px,
                                float py, float w, float h) {
        const float left = x - 0.5f + px, top = y - 0.5f + py;
        const DeviceVertex quad[4] = {MakeDeviceVertex(left, top, color, u0, v0),
                                      MakeDeviceVertex(left, top + h, color, u0, v1),
                                      MakeDeviceVertex(left + w, top, color, u1, v0),
                                      MakeDeviceVertex(left + w, top + h, color, u1, v1)};
        D3DCheckResult("SetTexture gTexture", device.SetTexture(piece.texture));
        D3DCheckResult("DrawPrimitive (Tri) 1", device.DrawPrimitive(PrimitiveType::TriangleStrip, quad, 4));
    });
}

void TextureData::BltTransformed(Device3D& device, const Matrix3x3& matrix, uint32_t color, const Rect& sourceRect,
                                 const Rect* clip, float x, float y, bool center) const
{
    const float originX = center ? -float(sourceRect.width) / 2.0f : 0.0f;
    const float originY = center ? -float(sourceRect.height) / 2.0f : 0.0f;
    const float shiftX = (center ? 0.0f : -0.5f) + x, shiftY = (center ? 0.0f : -0.5f) + y;
    const auto& m = matrix.m;
    const auto place = [&](float px, float py, float u, float v) {
        return MakeDeviceVertex(m[0][0] * px + m[0][1] * py + m[0][2] + shiftX,
                                m[1][0] * px + m[1][1] * py + m[1][2] + shiftY, color, u, v);
    };
    const auto inside = [&](const DeviceVertex& v) {
        return v.x >= float(clip->x) && v.x < float(int64_t(clip->x) + clip->width) && v.y >= float(clip->y) &&
               v.y < float(int64_t(clip->y) + clip->height);
    };
    ForEachPart(sourceRect, [&](const TexturePiece& piece, float u0, float v0, float u1, float v1, float px,
                                float py, float w, float h) {
        const float x0 = originX + px, y0 = originY + py, x1 = x0 + w, y1 = y0 + h;
        const DeviceVertex p0 = place(x0, y0, u0, v0), p1 = place(x0, y1, u0, v1), p2 = place(x1, y0, u1, v0),
                           p3 = place(x1, y1, u1, v1);
        D3DCheckResult("SetTexture gTexture", device.SetTexture(piece.texture));
        if (clip && !(inside(p0) && inside(p1) && inside(p2) && inside(p3))) {
            VertexList polygon;
            polygon.Add(p0);
            polygon.Add(p1);
            polygon.Add(p3);
            polygon.Add(p2);
            ClipVerticesToRect(polygon, *clip);
            if (polygon.Size() >= 3)
                D3DCheckResult("DrawPrimitive (Tri) 2",
                               device.DrawPrimitive(PrimitiveType::TriangleFan, polygon.Data(),
                                                    uint32_t(polygon.Size())));
            return;
        }
        const DeviceVertex strip[4] = {p0, p1, p2, p3};
        D3DCheckResult("DrawPrimitive (Tri) 3", device.DrawPrimitive(PrimitiveType::TriangleStrip, strip, 4));
    });
}

} // namespace Quib
