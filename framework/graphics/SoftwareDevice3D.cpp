#include "framework/graphics/SoftwareDevice3D.h"

#include "framework/core/PixelFormat.h"

#include <algorithm>
#include <new>

namespace Quib {

namespace {

bool TakeFault(std::atomic<int>& counter)
{
    int left = counter.load();
    while (left > 0)
        if (counter.compare_exchange_weak(left, left - 1))
            return true;
    return false;
}

// Four bits to eight by repeating them; five and six likewise.
inline uint32_t Expand4(uint32_t v)
{
    return (v << 4) | v;
}
inline uint32_t Expand5(uint32_t v)
{
    return (v << 3) | (v >> 2);
}
inline uint32_t Expand6(uint32_t v)
{
    return (v << 2) | (v >> 4);
}

// A texture in memory: its texels in its own format, and for the 16-bit
// formats the same texels as 0xAARRGGBB words, remade after a write lock.
class SoftwareTexture : public DeviceTexture {
public:
    SoftwareTexture(uint32_t width, uint32_t height, TextureFormat format, uint64_t bytes,
                    std::shared_ptr<SoftwareDevice3D::Shared> shared)
        : width_(width), height_(height), format_(format), bytes_(bytes), shared_(std::move(shared))
    {
    }
    ~SoftwareTexture() override { shared_->memoryInUse -= bytes_; }

    bool Allocate()
    {
        texels_.reset(new (std::nothrow) uint8_t[bytes_]());
        if (!texels_)
            return false;
        if (format_ != TEXTURE_FORMAT_A8R8G8B8) {
            words_.reset(new (std::nothrow) uint32_t[size_t(width_) * height_]());
            if (!words_)
                return false;
        }
        return true;
    }

    uint32_t Width() const override { return width_; }
    uint32_t Height() const override { return height_; }
    TextureFormat Format() const override { return format_; }

    HRESULT Lock(TextureLockMode mode, uint8_t** bits, int32_t* pitch) override
    {
        if (!bits || !pitch)
            return DDERR_INVALIDPARAMS;
        if (locked_)
            return D3DERR_TEXTURE_LOCKED;
        if (TakeFault(shared_->faults.lockTexture))
            return DDERR_SURFACELOST;
        locked_ = true;
        writing_ = mode == TextureLockMode::WriteOnly;
        *bits = texels_.get();
        *pitch = int32_t(width_ * TextureFormatBytes(format_));
        return DD_OK;
    }

    HRESULT Unlock() override
    {
        if (!locked_)
            return D3DERR_TEXTURE_NOT_LOCKED;
        locked_ = false;
        if (writing_)
            stale_ = true;
        return DD_OK;
    }

    bool Locked() const { return locked_; }

    // The texels as the pixel stage reads them.
    DeviceTexels Texels()
    {
        if (format_ == TEXTURE_FORMAT_A8R8G8B8)
            return {reinterpret_cast<const uint32_t*>(texels_.get()), int(width_), int(height_)};
        if (stale_) {
            const size_t n = size_t(width_) * height_;
            const auto* in = reinterpret_cast<const uint16_t*>(texels_.get());
            uint32_t* out = words_.get();
            if (format_ == TEXTURE_FORMAT_A4R4G4B4) {
                for (size_t i = 0; i < n; ++i) {
                    const uint32_t t = in[i];
                    out[i] = (Expand4(t >> 12) << 24) | (Expand4((t >> 8) & 15) << 16) |
                             (Expand4((t >> 4) & 15) << 8) | Expand4(t & 15);
                }
            } else {
                for (size_t i = 0; i < n; ++i) {
                    const uint32_t t = in[i];
                    out[i] = 0xFF000000u | (Expand5(t >> 11) << 16) | (Expand6((t >> 5) & 63) << 8) |
                             Expand5(t & 31);
                }
            }
            stale_ = false;
        }
        return {words_.get(), int(width_), int(height_)};
    }

private:
    uint32_t width_, height_;
    TextureFormat format_;
    uint64_t bytes_;
    std::shared_ptr<SoftwareDevice3D::Shared> shared_;
    std::unique_ptr<uint8_t[]> texels_;
    std::unique_ptr<uint32_t[]> words_;
    bool locked_ = false;
    bool writing_ = false;
    bool stale_ = false;
};

// An ARGB colour as a value of the surface format.
uint32_t SurfaceValue(uint32_t argb, const PixelFormat& f)
{
    const auto put = [](uint32_t c8, const PixelChannel& ch) {
        return ((c8 >> (8 - ch.bits)) << ch.shift) & ch.mask;
    };
    return put((argb >> 16) & 255, f.red) | put((argb >> 8) & 255, f.green) | put(argb & 255, f.blue);
}

DeviceFactor ToFactor(BlendFactor f)
{
    switch (f) {
    case BlendFactor::One: return DeviceFactor::One;
    case BlendFactor::SourceAlpha: return DeviceFactor::SourceAlpha;
    case BlendFactor::InverseSourceAlpha: break;
    }
    return DeviceFactor::InverseSourceAlpha;
}

TriangleVertex ToCorner(const DeviceVertex& v)
{
    TriangleVertex c;
    c.x = v.x;
    c.y = v.y;
    c.u = v.tu;
    c.v = v.tv;
    c.color = v.diffuse;
    return c;
}

} // namespace

DeviceCaps SoftwareDevice3D::DefaultCaps()
{
    DeviceCaps caps;
    caps.maxTextureWidth = caps.maxTextureHeight = 4096;
    caps.minTextureWidth = caps.minTextureHeight = 1;
    caps.maxTextureAspect = 0;
    caps.textureFormats = TEXTURE_FORMAT_A8R8G8B8 | TEXTURE_FORMAT_A4R4G4B4 | TEXTURE_FORMAT_R5G6B5;
    caps.textureMemory = uint64_t(256) << 20;
    return caps;
}

SoftwareDevice3D::SoftwareDevice3D(const DeviceCaps& caps) : caps_(caps), shared_(std::make_shared<Shared>())
{
    state_.alphaModulate = false; // the texel's alpha until told otherwise
}

SoftwareDevice3D::~SoftwareDevice3D()
{
    if (target_)
        target_->Release();
}

HRESULT SoftwareDevice3D::GetCaps(DeviceCaps* caps) const
{
    if (!caps)
        return DDERR_INVALIDPARAMS;
    *caps = caps_;
    return DD_OK;
}

uint64_t SoftwareDevice3D::TextureMemoryInUse() const
{
    return shared_->memoryInUse.load();
}

HRESULT SoftwareDevice3D::CreateTexture(uint32_t width, uint32_t height, TextureFormat format,
                                        std::shared_ptr<DeviceTexture>* out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    out->reset();
    const uint32_t bytesPerTexel = TextureFormatBytes(format);
    if (bytesPerTexel == 0 || !(caps_.textureFormats & format))
        return D3DERR_WRONGTEXTUREFORMAT;
    const uint32_t longer = std::max(width, height), shorter = std::min(width, height);
    if (width < std::max(caps_.minTextureWidth, 1u) || height < std::max(caps_.minTextureHeight, 1u) ||
        width > caps_.maxTextureWidth || height > caps_.maxTextureHeight ||
        (caps_.maxTextureAspect != 0 && uint64_t(longer) > uint64_t(caps_.maxTextureAspect) * shorter))
        return D3DERR_TEXTURE_BADSIZE;
    const uint64_t bytes = uint64_t(width) * height * bytesPerTexel;
    // Reserve the memory first, so that two creations cannot both pass.
    uint64_t used = shared_->memoryInUse.load();
    do {
        if (bytes > caps_.textureMemory - std::min(used, caps_.textureMemory))
            return DDERR_OUTOFVIDEOMEMORY;
    } while (!shared_->memoryInUse.compare_exchange_weak(used, used + bytes));
    if (TakeFault(shared_->faults.createTexture)) {
        shared_->memoryInUse -= bytes;
        return DDERR_OUTOFVIDEOMEMORY;
    }
    auto texture = std::make_shared<SoftwareTexture>(width, height, format, bytes, shared_);
    if (!texture->Allocate())
        return DDERR_OUTOFMEMORY; // the texture gives its reservation back
    *out = std::move(texture);
    return DD_OK;
}

HRESULT SoftwareDevice3D::SetRenderTarget(DisplaySurface* surface)
{
    if (surface && !DeviceCanDrawInto(PixelFormat::FromSurface(surface->Format())))
        return DDERR_INVALIDPIXELFORMAT;
    if (TakeFault(shared_->faults.setRenderTarget))
        return DDERR_SURFACELOST;
    if (surface)
        surface->AddRef();
    if (target_)
        target_->Release();
    target_ = surface;
    viewport_ = surface ? DeviceViewport{0, 0, int32_t(surface->Width()), int32_t(surface->Height())}
                        : DeviceViewport{};
    return DD_OK;
}

HRESULT SoftwareDevice3D::SetViewport(const DeviceViewport& viewport)
{
    if (viewport.width < 0 || viewport.height < 0)
        return DDERR_INVALIDPARAMS;
    viewport_ = viewport;
    return DD_OK;
}

HRESULT SoftwareDevice3D::Clear(uint32_t argb)
{
    if (!target_)
        return D3DERR_INVALID_DEVICE;
    const int64_t left = std::max<int64_t>(viewport_.x, 0), top = std::max<int64_t>(viewport_.y, 0);
    const int64_t right = std::min<int64_t>(int64_t(viewport_.x) + viewport_.width, target_->Width());
    const int64_t bottom = std::min<int64_t>(int64_t(viewport_.y) + viewport_.height, target_->Height());
    if (left >= right || top >= bottom)
        return DD_OK;
    const SurfaceRect rect{int32_t(left), int32_t(top), int32_t(right), int32_t(bottom)};
    return target_->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT,
                        SurfaceValue(argb, PixelFormat::FromSurface(target_->Format())));
}

HRESULT SoftwareDevice3D::BeginScene()
{
    if (inScene_)
        return D3DERR_SCENE_IN_SCENE;
    inScene_ = true;
    return DD_OK;
}

HRESULT SoftwareDevice3D::EndScene()
{
    if (!inScene_)
        return D3DERR_SCENE_NOT_IN_SCENE;
    inScene_ = false;
    return DD_OK;
}

HRESULT SoftwareDevice3D::SetBlend(BlendFactor source, BlendFactor destination)
{
    state_.source = ToFactor(source);
    state_.destination = ToFactor(destination);
    return DD_OK;
}

HRESULT SoftwareDevice3D::SetColorArg(ColorArg arg)
{
    state_.colorFromTexture = arg == ColorArg::Texture;
    return DD_OK;
}

HRESULT SoftwareDevice3D::SetAlphaOp(AlphaOp op)
{
    state_.alphaModulate = op == AlphaOp::Modulate;
    return DD_OK;
}

HRESULT SoftwareDevice3D::SetFilter(TextureFilter filter)
{
    if (TakeFault(shared_->faults.setFilter))
        return D3DERR_UNSUPPORTEDTEXTUREFILTER;
    state_.linear = filter == TextureFilter::Linear;
    return DD_OK;
}

HRESULT SoftwareDevice3D::SetTexture(const std::shared_ptr<DeviceTexture>& texture)
{
    if (texture && !dynamic_cast<SoftwareTexture*>(texture.get()))
        return DDERR_INVALIDPARAMS;
    texture_ = texture;
    return DD_OK;
}

HRESULT SoftwareDevice3D::DrawPrimitive(PrimitiveType type, const DeviceVertex* vertices, uint32_t count)
{
    if (!inScene_)
        return D3DERR_SCENE_NOT_IN_SCENE;
    if (!target_)
        return D3DERR_INVALID_DEVICE;
    if (!vertices && count > 0)
        return DDERR_INVALIDPARAMS;
    if (TakeFault(shared_->faults.draw))
        return DDERR_SURFACELOST;
    auto* texture = static_cast<SoftwareTexture*>(texture_.get());
    if (texture && texture->Locked())
        return D3DERR_TEXTURE_LOCKED;

    SurfaceDesc desc;
    const HRESULT locked = target_->Lock(&desc, DDLOCK_WAIT);
    if (Failed(locked))
        return locked;
    const PixelBuffer target = PixelBuffer::FromSurface(desc);
    const DeviceClip clip{viewport_.x, viewport_.y,
                          int(std::min<int64_t>(int64_t(viewport_.x) + viewport_.width, INT32_MAX)),
                          int(std::min<int64_t>(int64_t(viewport_.y) + viewport_.height, INT32_MAX))};
    DeviceTexels texels;
    if (texture)
        texels = texture->Texels();
    const DeviceTexels* tex = texture ? &texels : nullptr;
    const auto triangle = [&](uint32_t i0, uint32_t i1, uint32_t i2) {
        RasterizeDeviceTriangle(ToCorner(vertices[i0]), ToCorner(vertices[i1]), ToCorner(vertices[i2]), tex, state_,
                                target, clip);
    };
    switch (type) {
    case PrimitiveType::TriangleList:
        for (uint32_t i = 0; i + 2 < count; i += 3)
            triangle(i, i + 1, i + 2);
        break;
    case PrimitiveType::TriangleStrip:
        for (uint32_t i = 0; i + 2 < count; ++i)
            triangle(i, i + 1, i + 2);
        break;
    case PrimitiveType::TriangleFan:
        for (uint32_t i = 1; i + 1 < count; ++i)
            triangle(0, i, i + 1);
        break;
    case PrimitiveType::LineStrip:
        for (uint32_t i = 0; i + 1 < count; ++i)
            RasterizeDeviceLine(ToCorner(vertices[i]), ToCorner(vertices[i + 1]), tex, state_, target, clip);
        break;
    }
    target_->Unlock();
    return DD_OK;
}

} // namespace Quib
