#pragma once
// The 3-D device the display draws through: textures in three formats,
// a handful of render states, and pre-transformed, lit vertices drawn as
// triangle lists, strips and fans and as line strips into a display
// surface. Results are the display's result codes.

#include "platform/DisplaySurface.h"

#include <cstdint>
#include <memory>

namespace Quib {

// Result codes of the device.
constexpr HRESULT D3DERR_INVALID_DEVICE = HRESULT(0x887602C1u);
constexpr HRESULT D3DERR_INITFAILED = HRESULT(0x887602C2u);
constexpr HRESULT D3DERR_TEXTURE_CREATE_FAILED = HRESULT(0x887602D1u);
constexpr HRESULT D3DERR_TEXTURE_LOCK_FAILED = HRESULT(0x887602D3u);
constexpr HRESULT D3DERR_TEXTURE_LOCKED = HRESULT(0x887602D7u);
constexpr HRESULT D3DERR_TEXTURE_NOT_LOCKED = HRESULT(0x887602D8u);
constexpr HRESULT D3DERR_INVALIDPRIMITIVETYPE = HRESULT(0x887602E0u);
constexpr HRESULT D3DERR_TEXTURE_BADSIZE = HRESULT(0x887602E2u);
constexpr HRESULT D3DERR_SCENE_IN_SCENE = HRESULT(0x887602F8u);
constexpr HRESULT D3DERR_SCENE_NOT_IN_SCENE = HRESULT(0x887602F9u);
constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = HRESULT(0x88760818u);
constexpr HRESULT D3DERR_UNSUPPORTEDFACTORVALUE = HRESULT(0x8876081Fu);
constexpr HRESULT D3DERR_UNSUPPORTEDTEXTUREFILTER = HRESULT(0x88760822u);

// Texture formats, as bits of a set.
using TextureFormat = uint32_t;
enum : TextureFormat {
    TEXTURE_FORMAT_A8R8G8B8 = 1, // 32-bit 0xAARRGGBB texels
    TEXTURE_FORMAT_A4R4G4B4 = 2, // 16-bit 0xARGB texels
    TEXTURE_FORMAT_R5G6B5 = 4,   // 16-bit opaque texels
    TEXTURE_FORMAT_PALETTE8 = 8, // 8-bit palette indices (no device here offers it)
};

// Bytes per texel of a format; 0 for anything but one format bit.
constexpr uint32_t TextureFormatBytes(TextureFormat format)
{
    switch (format) {
    case TEXTURE_FORMAT_A8R8G8B8: return 4;
    case TEXTURE_FORMAT_A4R4G4B4:
    case TEXTURE_FORMAT_R5G6B5: return 2;
    case TEXTURE_FORMAT_PALETTE8: return 1;
    default: return 0;
    }
}

// What a device can do. Texture sides lie within the minimum and maximum;
// the longer side is at most maxTextureAspect times the shorter one (0: no
// limit); a device may ask for power-of-two sides (every texture made here
// has them).
struct DeviceCaps {
    uint32_t maxTextureWidth = 0;
    uint32_t maxTextureHeight = 0;
    uint32_t minTextureWidth = 0;
    uint32_t minTextureHeight = 0;
    uint32_t maxTextureAspect = 0;
    TextureFormat textureFormats = 0;
    uint64_t textureMemory = 0; // bytes all textures together may take
};

// A pre-transformed, lit vertex: screen position (pixel centres at whole
// numbers), z 0 and rhw 1, packed 0xAARRGGBB diffuse colour, specular 0,
// texture coordinates from 0 to 1 across the texture.
struct DeviceVertex {
    float x = 0;
    float y = 0;
    float z = 0;
    float rhw = 1;
    uint32_t diffuse = 0;
    uint32_t specular = 0;
    float tu = 0;
    float tv = 0;
};
static_assert(sizeof(DeviceVertex) == 32);

// A vertex at (x, y) with a diffuse colour and texture coordinates.
inline DeviceVertex MakeDeviceVertex(float x, float y, uint32_t diffuse, float u = 0.0f, float v = 0.0f)
{
    DeviceVertex d;
    d.x = x;
    d.y = y;
    d.diffuse = diffuse;
    d.tu = u;
    d.tv = v;
    return d;
}

enum class PrimitiveType {
    TriangleList,  // vertices 3k, 3k+1, 3k+2
    TriangleStrip, // vertices k, k+1, k+2
    TriangleFan,   // vertices 0, k+1, k+2
    LineStrip,     // segments k to k+1, each without its end pixel
};

// Blending: destination = source colour x source factor + destination x
// destination factor, each channel cut at 255.
enum class BlendFactor {
    One,
    SourceAlpha,
    InverseSourceAlpha,
};

// Where a drawn pixel's colour comes from: the texel modulated by the
// diffuse colour, or the diffuse colour alone. Without a texture the texel
// is opaque white.
enum class ColorArg {
    Texture,
    Diffuse,
};

// Where its alpha comes from: the texel's alpha times the diffuse alpha, or
// the texel's alone.
enum class AlphaOp {
    Modulate,
    SelectTexture,
};

// Texture sampling: the nearest texel, or the four nearest weighted
// (bilinear). Coordinates outside the texture take its edge texels.
enum class TextureFilter {
    Point,
    Linear,
};

// The rectangle drawing is kept to, in render-target pixels.
struct DeviceViewport {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

enum class TextureLockMode {
    ReadOnly,
    WriteOnly,
};

// A texture of the device. Created through Device3D::CreateTexture; freed
// when the last reference goes (the device keeps one while it is set).
class DeviceTexture {
public:
    DeviceTexture() = default;
    DeviceTexture(const DeviceTexture&) = delete;
    DeviceTexture& operator=(const DeviceTexture&) = delete;
    virtual ~DeviceTexture() = default;

    virtual uint32_t Width() const = 0;
    virtual uint32_t Height() const = 0;
    virtual TextureFormat Format() const = 0;
    // The texels, rows `pitch` bytes apart, until Unlock. A locked texture
    // cannot be locked again (D3DERR_TEXTURE_LOCKED) and does not draw.
    virtual HRESULT Lock(TextureLockMode mode, uint8_t** bits, int32_t* pitch) = 0;
    virtual HRESULT Unlock() = 0;
};

// The device. Draws happen between BeginScene and EndScene into the render
// target, in that surface's pixel format; the states stay until changed.
// Initial states: blend SourceAlpha / InverseSourceAlpha, ColorArg::Texture,
// AlphaOp::SelectTexture, TextureFilter::Point, no texture.
class Device3D {
public:
    Device3D() = default;
    Device3D(const Device3D&) = delete;
    Device3D& operator=(const Device3D&) = delete;
    virtual ~Device3D() = default;

    virtual HRESULT GetCaps(DeviceCaps* caps) const = 0;

    // A texture of the given size and format (one format bit). Sizes the
    // caps do not allow give D3DERR_TEXTURE_BADSIZE, formats they do not
    // offer D3DERR_WRONGTEXTUREFORMAT, and a texture that would take more
    // than the texture memory left DDERR_OUTOFVIDEOMEMORY; nothing is
    // allocated then. On failure *out is empty.
    virtual HRESULT CreateTexture(uint32_t width, uint32_t height, TextureFormat format,
                                  std::shared_ptr<DeviceTexture>* out) = 0;

    // The surface drawn into (one more reference, given back when replaced
    // or at destruction); the viewport becomes the whole surface. Surfaces
    // the device cannot draw into give DDERR_INVALIDPIXELFORMAT.
    virtual HRESULT SetRenderTarget(DisplaySurface* surface) = 0;
    virtual HRESULT SetViewport(const DeviceViewport& viewport) = 0;
    // Fills the viewport with the colour.
    virtual HRESULT Clear(uint32_t argb) = 0;
    // A scene cannot open twice (D3DERR_SCENE_IN_SCENE); drawing and ending
    // need an open one (D3DERR_SCENE_NOT_IN_SCENE).
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;

    virtual HRESULT SetBlend(BlendFactor source, BlendFactor destination) = 0;
    virtual HRESULT SetColorArg(ColorArg arg) = 0;
    virtual HRESULT SetAlphaOp(AlphaOp op) = 0;
    virtual HRESULT SetFilter(TextureFilter filter) = 0;
    // The texture of the draws that follow; null draws untextured.
    virtual HRESULT SetTexture(const std::shared_ptr<DeviceTexture>& texture) = 0;

    // Draws `count` vertices as the given primitives; counts that leave a
    // partial primitive draw the whole ones.
    virtual HRESULT DrawPrimitive(PrimitiveType type, const DeviceVertex* vertices, uint32_t count) = 0;
};

} // namespace Quib
