#include "platform/sdl/SdlDevice3D.h"

#include "platform/MessageSink.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <set>

namespace Quib {

namespace {

// The largest texture side offered when the renderer names no limit.
constexpr uint32_t kDefaultMaxTextureSide = 4096;
constexpr uint64_t kDefaultTextureMemory = uint64_t(256) << 20;
// How far a line's quad is moved along a reversed segment so that its end
// pixel, not its start pixel, is the one left out.
constexpr float kLineEndShift = 1.0f / 16.0f;

void LogSdlFailure(const std::string& what)
{
    OutputDebugString("SdlDevice3D: " + what + ": " + SDL_GetError() + "\n");
}

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

// The texel kinds a texture is drawn from: its own texels, white with the
// texels' alpha (the vertex colour with the texture's alpha), or the texels
// with alpha 1 (factors that ignore the source alpha).
enum Variant { kNormal, kWhiteAlpha, kOpaque, kVariantCount };

SDL_BlendFactor ToSdlFactor(BlendFactor f)
{
    switch (f) {
    case BlendFactor::One: return SDL_BLENDFACTOR_ONE;
    case BlendFactor::SourceAlpha: return SDL_BLENDFACTOR_SRC_ALPHA;
    case BlendFactor::InverseSourceAlpha: break;
    }
    return SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA;
}

// The SDL format of a surface's pixels; SDL_PIXELFORMAT_UNKNOWN for those
// the device does not draw into (it takes 32-bit surfaces of 8-bit channels
// in either order and 5-6-5 and 5-5-5 ones).
uint32_t SdlFormatOf(const SurfacePixelFormat& f)
{
    if (f.bitCount != 16 && f.bitCount != 32)
        return SDL_PIXELFORMAT_UNKNOWN;
    const uint32_t format = SDL_MasksToPixelFormatEnum(int(f.bitCount), f.redMask, f.greenMask, f.blueMask, 0);
    switch (format) {
    case SDL_PIXELFORMAT_RGB888:
    case SDL_PIXELFORMAT_BGR888:
    case SDL_PIXELFORMAT_RGB565:
    case SDL_PIXELFORMAT_RGB555: return format;
    default: return SDL_PIXELFORMAT_UNKNOWN;
    }
}

} // namespace

// What the device and its textures share; the textures may outlive the
// device, and give their SDL textures back only while it lives.
struct SdlDevice3D::Shared {
    SDL_Renderer* renderer = nullptr;
    std::atomic<uint64_t> memoryInUse{0};
    std::mutex mutex;
    std::set<class SdlTexture*> textures; // live ones, under the mutex
    bool alive = true;                    // under the mutex
};

class SdlTexture : public DeviceTexture {
public:
    SdlTexture(uint32_t width, uint32_t height, TextureFormat format, uint64_t bytes,
               std::shared_ptr<SdlDevice3D::Shared> shared)
        : width_(width), height_(height), format_(format), bytes_(bytes), shared_(std::move(shared))
    {
    }
    ~SdlTexture() override
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->alive) {
            shared_->textures.erase(this);
            DestroyTexturesLocked();
        }
        shared_->memoryInUse -= bytes_;
    }

    // Memory for the texels and the SDL texture of the texels themselves.
    bool Make()
    {
        texels_.reset(new (std::nothrow) uint8_t[bytes_]());
        if (!texels_)
            return false;
        std::lock_guard lock(shared_->mutex);
        shared_->textures.insert(this);
        return Texture(kNormal) != nullptr;
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
            ++version_;
        return DD_OK;
    }

    bool Locked() const { return locked_; }

    // A texel of a variant as 0xAARRGGBB.
    uint32_t Texel(Variant variant, uint32_t x, uint32_t y) const
    {
        x = std::min(x, width_ - 1);
        y = std::min(y, height_ - 1);
        const size_t i = size_t(y) * width_ + x;
        uint32_t p;
        if (format_ == TEXTURE_FORMAT_A8R8G8B8) {
            std::memcpy(&p, texels_.get() + i * 4, 4);
        } else {
            uint16_t t;
            std::memcpy(&t, texels_.get() + i * 2, 2);
            p = format_ == TEXTURE_FORMAT_A4R4G4B4
                    ? (Expand4(uint32_t(t) >> 12) << 24) | (Expand4((t >> 8) & 15u) << 16) |
                          (Expand4((t >> 4) & 15u) << 8) | Expand4(t & 15u)
                    : 0xFF000000u | (Expand5(uint32_t(t) >> 11) << 16) | (Expand6((t >> 5) & 63u) << 8) |
                          Expand5(t & 31u);
        }
        if (variant == kWhiteAlpha)
            p |= 0x00FFFFFFu;
        else if (variant == kOpaque)
            p |= 0xFF000000u;
        return p;
    }

    // The SDL texture of a variant, made on first use and holding the
    // newest texels, with the scale mode asked for; null when SDL could not
    // make or fill it.
    SDL_Texture* Prepare(Variant variant, bool linear)
    {
        SDL_Texture* texture = Texture(variant);
        if (!texture)
            return nullptr;
        Slot& slot = slots_[variant];
        if (slot.version != version_) {
            if (!Upload(texture, variant))
                return nullptr;
            slot.version = version_;
        }
        const int mode = linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest;
        if (slot.scaleMode != mode) {
            // Draws queued with this texture keep the filter they were
            // drawn with.
            SDL_RenderFlush(shared_->renderer);
            if (SDL_SetTextureScaleMode(texture, SDL_ScaleMode(mode)) != 0)
                return nullptr;
            slot.scaleMode = mode;
        }
        return texture;
    }

    // Forgets the SDL textures (the renderer lost them or is going).
    void DestroyTexturesLocked()
    {
        for (Slot& slot : slots_) {
            if (slot.texture)
                SDL_DestroyTexture(slot.texture);
            slot = Slot{};
        }
    }

private:
    struct Slot {
        SDL_Texture* texture = nullptr;
        uint64_t version = UINT64_MAX;
        int scaleMode = -1;
    };

    SDL_Texture* Texture(Variant variant)
    {
        Slot& slot = slots_[variant];
        if (!slot.texture) {
            slot.texture = SDL_CreateTexture(shared_->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                             int(width_), int(height_));
            if (!slot.texture) {
                LogSdlFailure("no texture of " + std::to_string(width_) + " x " + std::to_string(height_));
                return nullptr;
            }
            slot.version = UINT64_MAX;
            slot.scaleMode = -1;
        }
        return slot.texture;
    }

    // The texels as 0xAARRGGBB words, changed for the variant, into the
    // SDL texture.
    bool Upload(SDL_Texture* texture, Variant variant)
    {
        const size_t n = size_t(width_) * height_;
        if (format_ == TEXTURE_FORMAT_A8R8G8B8 && variant == kNormal)
            return SDL_UpdateTexture(texture, nullptr, texels_.get(), int(width_ * 4)) == 0;
        words_.resize(n);
        if (format_ == TEXTURE_FORMAT_A8R8G8B8) {
            std::memcpy(words_.data(), texels_.get(), n * 4);
        } else {
            const auto* in = reinterpret_cast<const uint16_t*>(texels_.get());
            if (format_ == TEXTURE_FORMAT_A4R4G4B4) {
                for (size_t i = 0; i < n; ++i) {
                    const uint32_t t = in[i];
                    words_[i] = (Expand4(t >> 12) << 24) | (Expand4((t >> 8) & 15) << 16) |
                                (Expand4((t >> 4) & 15) << 8) | Expand4(t & 15);
                }
            } else {
                for (size_t i = 0; i < n; ++i) {
                    const uint32_t t = in[i];
                    words_[i] = 0xFF000000u | (Expand5(t >> 11) << 16) | (Expand6((t >> 5) & 63) << 8) |
                                Expand5(t & 31);
                }
            }
        }
        if (variant == kWhiteAlpha)
            for (uint32_t& w : words_)
                w |= 0x00FFFFFFu;
        else if (variant == kOpaque)
            for (uint32_t& w : words_)
                w |= 0xFF000000u;
        const bool ok = SDL_UpdateTexture(texture, nullptr, words_.data(), int(width_ * 4)) == 0;
        words_.clear();
        words_.shrink_to_fit();
        return ok;
    }

    uint32_t width_, height_;
    TextureFormat format_;
    uint64_t bytes_;
    std::shared_ptr<SdlDevice3D::Shared> shared_;
    std::unique_ptr<uint8_t[]> texels_;
    std::vector<uint32_t> words_;
    Slot slots_[kVariantCount];
    uint64_t version_ = 0;
    bool locked_ = false;
    bool writing_ = false;
};

// Makes the device's texture the renderer's target for its lifetime and
// then puts back the target, draw colour and draw blend mode it found.
class SdlDevice3D::TargetScope {
public:
    explicit TargetScope(SdlDevice3D& device) : renderer_(device.renderer_)
    {
        previous_ = SDL_GetRenderTarget(renderer_);
        SDL_GetRenderDrawColor(renderer_, &r_, &g_, &b_, &a_);
        SDL_GetRenderDrawBlendMode(renderer_, &blend_);
        bound_ = previous_ == device.targetTexture_ || SDL_SetRenderTarget(renderer_, device.targetTexture_) == 0;
        if (!bound_)
            LogSdlFailure("the render target texture could not be drawn into");
        if (bound_ && previous_ != device.targetTexture_)
            device.ApplyClip();
    }
    ~TargetScope()
    {
        if (bound_ && SDL_GetRenderTarget(renderer_) != previous_)
            SDL_SetRenderTarget(renderer_, previous_);
        SDL_SetRenderDrawColor(renderer_, r_, g_, b_, a_);
        SDL_SetRenderDrawBlendMode(renderer_, blend_);
    }
    TargetScope(const TargetScope&) = delete;
    TargetScope& operator=(const TargetScope&) = delete;
    bool Bound() const { return bound_; }

private:
    SDL_Renderer* renderer_;
    SDL_Texture* previous_ = nullptr;
    Uint8 r_ = 0, g_ = 0, b_ = 0, a_ = 0;
    SDL_BlendMode blend_ = SDL_BLENDMODE_NONE;
    bool bound_ = false;
};

void SdlDevice3D::Box::Add(const Box& other)
{
    if (other.Empty())
        return;
    if (Empty()) {
        *this = other;
        return;
    }
    left = std::min(left, other.left);
    top = std::min(top, other.top);
    right = std::max(right, other.right);
    bottom = std::max(bottom, other.bottom);
}

SdlDevice3D::Box SdlDevice3D::Box::Intersect(const Box& other) const
{
    return Box{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
               std::min(bottom, other.bottom)};
}

void SdlDevice3D::Box::Remove(const Box& other)
{
    const Box cut = Intersect(other);
    if (cut.Empty())
        return;
    const bool fullWidth = cut.left == left && cut.right == right;
    const bool fullHeight = cut.top == top && cut.bottom == bottom;
    if (fullWidth && fullHeight)
        *this = Box{};
    else if (fullWidth && cut.top == top)
        top = cut.bottom;
    else if (fullWidth && cut.bottom == bottom)
        bottom = cut.top;
    else if (fullHeight && cut.left == left)
        left = cut.right;
    else if (fullHeight && cut.right == right)
        right = cut.left;
}

std::unique_ptr<SdlDevice3D> SdlDevice3D::Create(SDL_Renderer* renderer, uint32_t width, uint32_t height,
                                                 uint64_t textureMemory)
{
    if (!renderer) {
        OutputDebugString("SdlDevice3D: no renderer\n");
        return nullptr;
    }
    if (!SDL_RenderTargetSupported(renderer)) {
        OutputDebugString("SdlDevice3D: the renderer cannot draw into textures\n");
        return nullptr;
    }
    std::unique_ptr<SdlDevice3D> device(new (std::nothrow) SdlDevice3D(renderer, textureMemory));
    if (!device || !device->MakeTargetTexture(std::max(width, 1u), std::max(height, 1u)))
        return nullptr;
    // Whether the renderer takes blend factors of the device's own: tried
    // on the target texture, which then draws unblended again.
    const SDL_BlendMode custom = SDL_ComposeCustomBlendMode(SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE,
                                                            SDL_BLENDOPERATION_ADD, SDL_BLENDFACTOR_ONE,
                                                            SDL_BLENDFACTOR_ONE, SDL_BLENDOPERATION_ADD);
    device->customBlending_ = SDL_SetTextureBlendMode(device->targetTexture_, custom) == 0;
    SDL_SetTextureBlendMode(device->targetTexture_, SDL_BLENDMODE_NONE);
    device->ApplyBlend();
    // Geometry drawing: one triangle into the target, read back.
    {
        TargetScope scope(*device);
        const SDL_Vertex v[3] = {{{0, 0}, {0, 0, 0, 255}, {0, 0}},
                                 {{1, 0}, {0, 0, 0, 255}, {0, 0}},
                                 {{0, 1}, {0, 0, 0, 255}, {0, 0}}};
        if (!scope.Bound() || SDL_RenderGeometry(renderer, nullptr, v, 3, nullptr, 0) != 0) {
            LogSdlFailure("the renderer cannot draw geometry");
            return nullptr;
        }
    }
    return device;
}

SdlDevice3D::SdlDevice3D(SDL_Renderer* renderer, uint64_t textureMemory)
    : renderer_(renderer), shared_(std::make_shared<Shared>())
{
    shared_->renderer = renderer;
    SDL_RendererInfo info{};
    uint32_t maxW = 0, maxH = 0;
    if (SDL_GetRendererInfo(renderer, &info) == 0) {
        rendererName_ = info.name ? info.name : "";
        maxW = uint32_t(std::max(info.max_texture_width, 0));
        maxH = uint32_t(std::max(info.max_texture_height, 0));
    }
    caps_.maxTextureWidth = maxW ? std::min(maxW, kDefaultMaxTextureSide) : kDefaultMaxTextureSide;
    caps_.maxTextureHeight = maxH ? std::min(maxH, kDefaultMaxTextureSide) : kDefaultMaxTextureSide;
    caps_.minTextureWidth = caps_.minTextureHeight = 1;
    caps_.maxTextureAspect = 0;
    caps_.textureFormats = TEXTURE_FORMAT_A8R8G8B8 | TEXTURE_FORMAT_A4R4G4B4 | TEXTURE_FORMAT_R5G6B5;
    caps_.textureMemory = textureMemory ? textureMemory : kDefaultTextureMemory;
    SDL_AddEventWatch(&SdlDevice3D::EventWatch, this);
}

SdlDevice3D::~SdlDevice3D()
{
    SDL_DelEventWatch(&SdlDevice3D::EventWatch, this);
    if (inScene_)
        EndScene();
    texture_.reset();
    if (target_) {
        // The surface keeps the last picture drawn.
        target_->Bits();
        if (target_->Mirror() == static_cast<SurfaceMirror*>(this))
            target_->SetMirror(nullptr);
        target_->Release();
        target_ = nullptr;
    }
    {
        std::lock_guard lock(shared_->mutex);
        for (SdlTexture* t : shared_->textures)
            t->DestroyTexturesLocked();
        shared_->textures.clear();
        shared_->alive = false;
    }
    if (targetTexture_)
        SDL_DestroyTexture(targetTexture_);
}

int SdlDevice3D::EventWatch(void* self, SDL_Event* event)
{
    auto* device = static_cast<SdlDevice3D*>(self);
    if (event->type == SDL_RENDER_TARGETS_RESET)
        device->targetsReset_ = true;
    else if (event->type == SDL_RENDER_DEVICE_RESET)
        device->deviceLost_ = true;
    return 0;
}

bool SdlDevice3D::MakeTargetTexture(uint32_t width, uint32_t height)
{
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer_, &info) == 0 &&
        ((info.max_texture_width > 0 && width > uint32_t(info.max_texture_width)) ||
         (info.max_texture_height > 0 && height > uint32_t(info.max_texture_height)))) {
        OutputDebugString("SdlDevice3D: a render target of " + std::to_string(width) + " x " +
                          std::to_string(height) + " is larger than the renderer's textures\n");
        return false;
    }
    if (width > INT32_MAX || height > INT32_MAX)
        return false;
    SDL_Texture* texture = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                             int(width), int(height));
    if (!texture) {
        LogSdlFailure("no render target of " + std::to_string(width) + " x " + std::to_string(height));
        return false;
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    if (targetTexture_)
        SDL_DestroyTexture(targetTexture_);
    targetTexture_ = texture;
    targetWidth_ = width;
    targetHeight_ = height;
    return true;
}

HRESULT SdlDevice3D::GetCaps(DeviceCaps* caps) const
{
    if (!caps)
        return DDERR_INVALIDPARAMS;
    *caps = caps_;
    return DD_OK;
}

uint64_t SdlDevice3D::TextureMemoryInUse() const
{
    return shared_->memoryInUse.load();
}

HRESULT SdlDevice3D::CreateTexture(uint32_t width, uint32_t height, TextureFormat format,
                                   std::shared_ptr<DeviceTexture>* out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    out->reset();
    if (deviceLost_)
        return DDERR_SURFACELOST;
    const uint32_t bytesPerTexel = TextureFormatBytes(format);
    if (bytesPerTexel == 0 || !(caps_.textureFormats & format))
        return D3DERR_WRONGTEXTUREFORMAT;
    if (width < 1 || height < 1 || width > caps_.maxTextureWidth || height > caps_.maxTextureHeight)
        return D3DERR_TEXTURE_BADSIZE;
    // The memory counted is the texels kept here; the SDL texture is the
    // same size in 32 bits.
    const uint64_t bytes = uint64_t(width) * height * bytesPerTexel;
    uint64_t used = shared_->memoryInUse.load();
    do {
        if (bytes > caps_.textureMemory - std::min(used, caps_.textureMemory))
            return DDERR_OUTOFVIDEOMEMORY;
    } while (!shared_->memoryInUse.compare_exchange_weak(used, used + bytes));
    auto texture = std::make_shared<SdlTexture>(width, height, format, bytes, shared_);
    if (!texture->Make())
        return DDERR_OUTOFVIDEOMEMORY; // the texture gives its reservation back
    *out = std::move(texture);
    return DD_OK;
}

HRESULT SdlDevice3D::SetRenderTarget(DisplaySurface* surface)
{
    if (surface == target_) {
        if (surface)
            viewport_ = DeviceViewport{0, 0, int32_t(surface->Width()), int32_t(surface->Height())};
        if (inScene_)
            ApplyClip();
        return DD_OK;
    }
    if (inScene_)
        return D3DERR_SCENE_IN_SCENE; // the target stays for the scene
    uint32_t format = SDL_PIXELFORMAT_UNKNOWN;
    if (surface) {
        format = SdlFormatOf(surface->Format());
        if (format == SDL_PIXELFORMAT_UNKNOWN)
            return DDERR_INVALIDPIXELFORMAT;
        if (surface->Width() != targetWidth_ || surface->Height() != targetHeight_) {
            // The old target's picture goes to its memory before its
            // texture is replaced.
            if (target_)
                target_->Bits();
            if (!MakeTargetTexture(surface->Width(), surface->Height()))
                return DDERR_OUTOFVIDEOMEMORY;
            textureNewer_ = Box{};
        }
        // Pixels another mirror holds go to memory first.
        if (surface->Mirror())
            surface->Bits();
        surface->AddRef();
    }
    if (target_) {
        target_->Bits();
        if (target_->Mirror() == static_cast<SurfaceMirror*>(this))
            target_->SetMirror(nullptr);
        target_->Release();
    }
    target_ = surface;
    targetFormat_ = format;
    textureNewer_ = Box{};
    memoryNewer_ = Box{};
    viewport_ = DeviceViewport{};
    if (surface) {
        surface->SetMirror(this);
        memoryNewer_ = Box{0, 0, int32_t(surface->Width()), int32_t(surface->Height())};
        viewport_ = DeviceViewport{0, 0, int32_t(surface->Width()), int32_t(surface->Height())};
    }
    return DD_OK;
}

SdlDevice3D::Box SdlDevice3D::ViewportBox() const
{
    if (!target_)
        return Box{};
    Box box;
    box.left = std::max(viewport_.x, 0);
    box.top = std::max(viewport_.y, 0);
    box.right = int32_t(std::min<int64_t>(int64_t(viewport_.x) + viewport_.width, target_->Width()));
    box.bottom = int32_t(std::min<int64_t>(int64_t(viewport_.y) + viewport_.height, target_->Height()));
    return box;
}

void SdlDevice3D::ApplyClip()
{
    const Box box = ViewportBox();
    const SDL_Rect rect{box.left, box.top, std::max(box.right - box.left, 0), std::max(box.bottom - box.top, 0)};
    SDL_RenderSetClipRect(renderer_, &rect);
}

HRESULT SdlDevice3D::SetViewport(const DeviceViewport& viewport)
{
    if (viewport.width < 0 || viewport.height < 0)
        return DDERR_INVALIDPARAMS;
    viewport_ = viewport;
    if (inScene_)
        ApplyClip();
    return DD_OK;
}

bool SdlDevice3D::UploadMemoryChanges()
{
    if (targetsReset_.exchange(false) && target_) {
        // The texture's pixels are gone: those memory had not taken yet
        // are lost, the rest comes back from memory.
        textureNewer_ = Box{};
        memoryNewer_ = Box{0, 0, int32_t(target_->Width()), int32_t(target_->Height())};
    }
    if (!target_ || memoryNewer_.Empty())
        return true;
    const Box box = memoryNewer_;
    memoryNewer_ = Box{};
    // The memory pixels as they are, without asking the mirror (us).
    SurfaceMirror* mirror = target_->Mirror();
    target_->SetMirror(nullptr);
    const uint8_t* bits = target_->Bits();
    target_->SetMirror(mirror);
    const int32_t pitch = target_->Pitch();
    const int w = box.right - box.left, h = box.bottom - box.top;
    const uint32_t bytesPerPixel = target_->Format().bitCount / 8;
    const uint8_t* first = bits + size_t(box.top) * size_t(pitch) + size_t(box.left) * bytesPerPixel;
    const SDL_Rect rect{box.left, box.top, w, h};
    int result;
    if (targetFormat_ == SDL_PIXELFORMAT_RGB888) {
        result = SDL_UpdateTexture(targetTexture_, &rect, first, pitch);
    } else {
        scratch_.resize(size_t(w) * size_t(h) * 4);
        result = SDL_ConvertPixels(w, h, targetFormat_, first, pitch, SDL_PIXELFORMAT_ARGB8888, scratch_.data(),
                                   w * 4);
        if (result == 0)
            result = SDL_UpdateTexture(targetTexture_, &rect, scratch_.data(), w * 4);
    }
    if (result != 0) {
        LogSdlFailure("the render target texture did not take the surface's pixels");
        return false;
    }
    pixelsUploaded_ += uint64_t(w) * uint64_t(h);
    return true;
}

void SdlDevice3D::BringToMemory(const DisplaySurface& surface, uint8_t* bits, const SurfaceRect* rect)
{
    if (&surface != target_ || textureNewer_.Empty() || !bits)
        return;
    const Box wanted = rect ? Box{rect->left, rect->top, rect->right, rect->bottom}
                            : Box{0, 0, int32_t(surface.Width()), int32_t(surface.Height())};
    const Box box = textureNewer_.Intersect(wanted);
    if (box.Empty())
        return;
    // Memory pixels the texture has not taken may lie in what is read:
    // they go to the texture first, so that they come back unchanged.
    if (!memoryNewer_.Empty() && !UploadMemoryChanges())
        return;
    TargetScope scope(*this);
    if (!scope.Bound())
        return;
    const int32_t pitch = target_->Pitch();
    const uint32_t bytesPerPixel = target_->Format().bitCount / 8;
    uint8_t* first = bits + size_t(box.top) * size_t(pitch) + size_t(box.left) * bytesPerPixel;
    const SDL_Rect r{box.left, box.top, box.right - box.left, box.bottom - box.top};
    if (SDL_RenderReadPixels(renderer_, &r, targetFormat_, first, pitch) != 0) {
        LogSdlFailure("the drawn pixels could not be read back");
        return;
    }
    pixelsReadBack_ += uint64_t(r.w) * uint64_t(r.h);
    textureNewer_.Remove(box);
}

void SdlDevice3D::MemoryChanged(const DisplaySurface& surface, const SurfaceRect* rect)
{
    if (&surface != target_)
        return;
    Box box{0, 0, int32_t(surface.Width()), int32_t(surface.Height())};
    if (rect)
        box = box.Intersect(Box{rect->left, rect->top, rect->right, rect->bottom});
    if (box.Empty())
        return;
    // The changed part is kept as one box of pixels memory holds newest: a
    // box around two changes could take in pixels the texture holds newer,
    // so the earlier change goes to the texture first.
    const Box both = [&] {
        Box b = memoryNewer_;
        b.Add(box);
        return b;
    }();
    if (!memoryNewer_.Empty() && !(both.left == memoryNewer_.left && both.top == memoryNewer_.top &&
                                   both.right == memoryNewer_.right && both.bottom == memoryNewer_.bottom))
        UploadMemoryChanges();
    memoryNewer_.Add(box);
}

SDL_Texture* SdlDevice3D::TargetTexture()
{
    if (!target_)
        return nullptr;
    UploadMemoryChanges();
    // Draws still queued reach the texture before anyone else draws it.
    SDL_RenderFlush(renderer_);
    return targetTexture_;
}

HRESULT SdlDevice3D::Clear(uint32_t argb)
{
    if (!target_)
        return D3DERR_INVALID_DEVICE;
    if (deviceLost_)
        return DDERR_SURFACELOST;
    const Box box = ViewportBox();
    if (box.Empty())
        return DD_OK;
    if (!UploadMemoryChanges())
        return DDERR_SURFACELOST;
    TargetScope scope(*this);
    if (!scope.Bound())
        return DDERR_SURFACELOST;
    const SDL_Rect rect{box.left, box.top, box.right - box.left, box.bottom - box.top};
    if (SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE) != 0 ||
        SDL_SetRenderDrawColor(renderer_, Uint8(argb >> 16), Uint8(argb >> 8), Uint8(argb), Uint8(argb >> 24)) !=
            0 ||
        SDL_RenderFillRect(renderer_, &rect) != 0) {
        LogSdlFailure("clear");
        return DDERR_GENERIC;
    }
    textureNewer_.Add(box);
    return DD_OK;
}

HRESULT SdlDevice3D::BeginScene()
{
    if (inScene_)
        return D3DERR_SCENE_IN_SCENE;
    inScene_ = true;
    if (target_)
        sceneScope_ = std::make_unique<TargetScope>(*this);
    return DD_OK;
}

HRESULT SdlDevice3D::EndScene()
{
    if (!inScene_)
        return D3DERR_SCENE_NOT_IN_SCENE;
    inScene_ = false;
    sceneScope_.reset();
    return DD_OK;
}

HRESULT SdlDevice3D::ApplyBlend()
{
    forceOpaque_ = false;
    if (customBlending_) {
        const SDL_BlendFactor s = ToSdlFactor(source_), d = ToSdlFactor(destination_);
        blendMode_ = SDL_ComposeCustomBlendMode(s, d, SDL_BLENDOPERATION_ADD, s, d, SDL_BLENDOPERATION_ADD);
        return DD_OK;
    }
    // The renderer's standard modes give the same colours for these.
    if (source_ == BlendFactor::SourceAlpha && destination_ == BlendFactor::InverseSourceAlpha) {
        blendMode_ = SDL_BLENDMODE_BLEND;
        return DD_OK;
    }
    if (source_ == BlendFactor::SourceAlpha && destination_ == BlendFactor::One) {
        blendMode_ = SDL_BLENDMODE_ADD;
        return DD_OK;
    }
    if (source_ == BlendFactor::One && destination_ == BlendFactor::One) {
        blendMode_ = SDL_BLENDMODE_ADD;
        forceOpaque_ = true;
        return DD_OK;
    }
    blendMode_ = SDL_BLENDMODE_BLEND;
    return D3DERR_UNSUPPORTEDFACTORVALUE;
}

HRESULT SdlDevice3D::SetBlend(BlendFactor source, BlendFactor destination)
{
    const BlendFactor oldSource = source_, oldDestination = destination_;
    source_ = source;
    destination_ = destination;
    const HRESULT result = ApplyBlend();
    if (Failed(result)) {
        source_ = oldSource;
        destination_ = oldDestination;
        ApplyBlend();
    }
    return result;
}

HRESULT SdlDevice3D::SetColorArg(ColorArg arg)
{
    colorFromTexture_ = arg == ColorArg::Texture;
    return DD_OK;
}

HRESULT SdlDevice3D::SetAlphaOp(AlphaOp op)
{
    alphaModulate_ = op == AlphaOp::Modulate;
    return DD_OK;
}

HRESULT SdlDevice3D::SetFilter(TextureFilter filter)
{
    linear_ = filter == TextureFilter::Linear;
    return DD_OK;
}

HRESULT SdlDevice3D::SetTexture(const std::shared_ptr<DeviceTexture>& texture)
{
    if (texture && !dynamic_cast<SdlTexture*>(texture.get()))
        return DDERR_INVALIDPARAMS;
    texture_ = texture;
    return DD_OK;
}

HRESULT SdlDevice3D::Submit(SDL_Texture* texture, size_t first, size_t count)
{
    if (count == 0)
        return DD_OK;
    const GeoVertex* v = geometry_.data() + first;
    const int stride = int(sizeof(GeoVertex));
    if (SDL_RenderGeometryRaw(renderer_, texture, &v->x, stride, reinterpret_cast<const SDL_Color*>(v->rgba),
                              stride, &v->u, stride, int(count), nullptr, 0, 0) != 0) {
        LogSdlFailure("geometry");
        return DDERR_GENERIC;
    }
    return DD_OK;
}

HRESULT SdlDevice3D::DrawPrimitive(PrimitiveType type, const DeviceVertex* vertices, uint32_t count)
{
    if (!inScene_)
        return D3DERR_SCENE_NOT_IN_SCENE;
    if (!target_)
        return D3DERR_INVALID_DEVICE;
    if (!vertices && count > 0)
        return DDERR_INVALIDPARAMS;
    if (deviceLost_)
        return DDERR_SURFACELOST;
    auto* texture = static_cast<SdlTexture*>(texture_.get());
    if (texture && texture->Locked())
        return D3DERR_TEXTURE_LOCKED;
    if (type != PrimitiveType::TriangleList && type != PrimitiveType::TriangleStrip &&
        type != PrimitiveType::TriangleFan && type != PrimitiveType::LineStrip)
        return D3DERR_INVALIDPRIMITIVETYPE;
    if (!UploadMemoryChanges())
        return DDERR_SURFACELOST;
    if (!sceneScope_ || !sceneScope_->Bound())
        return DDERR_SURFACELOST;

    // Where the colour and alpha come from, as the renderer does it: the
    // vertex colour times the texel of one of the texture's variants. With
    // the texel's alpha alone the vertex alpha must not weigh in.
    const bool opaqueAlpha = !alphaModulate_ || forceOpaque_;
    Variant variant = kNormal;
    bool textured = texture != nullptr;
    if (textured) {
        if (colorFromTexture_)
            variant = forceOpaque_ ? kOpaque : kNormal;
        else if (forceOpaque_)
            textured = false; // colour and alpha both from the vertex
        else
            variant = kWhiteAlpha;
    }
    SDL_Texture* sdlTexture = nullptr;
    if (textured) {
        sdlTexture = texture->Prepare(variant, linear_);
        if (!sdlTexture)
            return DDERR_OUTOFVIDEOMEMORY;
        if (SDL_SetTextureBlendMode(sdlTexture, SDL_BlendMode(blendMode_)) != 0)
            return D3DERR_UNSUPPORTEDFACTORVALUE;
    } else if (SDL_SetRenderDrawBlendMode(renderer_, SDL_BlendMode(blendMode_)) != 0) {
        return D3DERR_UNSUPPORTEDFACTORVALUE;
    }

    // The renderer's pixel centres lie half a pixel in from the device's.
    const auto corner = [&](const DeviceVertex& d) {
        GeoVertex g;
        g.x = d.x + 0.5f;
        g.y = d.y + 0.5f;
        g.rgba[0] = uint8_t(d.diffuse >> 16);
        g.rgba[1] = uint8_t(d.diffuse >> 8);
        g.rgba[2] = uint8_t(d.diffuse);
        g.rgba[3] = opaqueAlpha ? 255 : uint8_t(d.diffuse >> 24);
        g.u = textured ? d.tu : 0.0f;
        g.v = textured ? d.tv : 0.0f;
        return g;
    };
    const auto finite = [](const GeoVertex& g) {
        return std::isfinite(g.x) && std::isfinite(g.y) && std::isfinite(g.u) && std::isfinite(g.v);
    };

    geometry_.clear();
    textured_.clear();
    // A triangle as the renderer takes it: with the texture, or (a corner
    // beyond the texture, one texel's colour) without.
    const auto emit = [&](const GeoVertex& a, const GeoVertex& b, const GeoVertex& c, bool withTexture) {
        const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
        if (area == 0.0f)
            return;
        geometry_.push_back(a);
        geometry_.push_back(b);
        geometry_.push_back(c);
        textured_.push_back(withTexture);
    };
    // A triangle whose texture coordinates leave 0..1 is cut where they
    // cross 0 and 1; each part outside takes the edge texels (clamping),
    // which holding its coordinates at the edge gives exactly.
    const auto lerp = [](const GeoVertex& a, const GeoVertex& b, float t) {
        GeoVertex r;
        r.x = a.x + (b.x - a.x) * t;
        r.y = a.y + (b.y - a.y) * t;
        r.u = a.u + (b.u - a.u) * t;
        r.v = a.v + (b.v - a.v) * t;
        for (int i = 0; i < 4; ++i)
            r.rgba[i] = uint8_t(std::lround(a.rgba[i] + (float(b.rgba[i]) - float(a.rgba[i])) * t));
        return r;
    };
    // Keeps the part of polygon_ where the coordinate (0 u, 1 v) is below
    // (keepBelow) or at least the limit, into clipped_.
    const auto clip = [&](int component, float limit, bool keepBelow) {
        clipped_.clear();
        const size_t n = polygon_.size();
        for (size_t i = 0; i < n; ++i) {
            const GeoVertex& from = polygon_[(i + n - 1) % n];
            const GeoVertex& to = polygon_[i];
            const float a = component ? from.v : from.u, b = component ? to.v : to.u;
            const bool inA = keepBelow ? a < limit : a >= limit, inB = keepBelow ? b < limit : b >= limit;
            if (inA != inB)
                clipped_.push_back(lerp(from, to, (limit - a) / (b - a)));
            if (inB)
                clipped_.push_back(to);
        }
    };
    const auto addTriangle = [&](const GeoVertex& a, const GeoVertex& b, const GeoVertex& c) {
        if (!finite(a) || !finite(b) || !finite(c))
            return;
        const auto inside = [](const GeoVertex& g) { return g.u >= 0 && g.u <= 1 && g.v >= 0 && g.v <= 1; };
        if (!textured || (inside(a) && inside(b) && inside(c))) {
            emit(a, b, c, textured);
            return;
        }
        // Three bands in u, each cut in three bands in v.
        std::vector<GeoVertex> triangle{a, b, c};
        for (int bu = 0; bu < 3; ++bu) {
            polygon_ = triangle;
            if (bu == 0) {
                clip(0, 0.0f, true);
            } else if (bu == 1) {
                clip(0, 0.0f, false);
                polygon_.swap(clipped_);
                clip(0, 1.0f, true);
            } else {
                clip(0, 1.0f, false);
            }
            if (clipped_.size() < 3)
                continue;
            const std::vector<GeoVertex> band = clipped_;
            for (int bv = 0; bv < 3; ++bv) {
                polygon_ = band;
                if (bv == 0) {
                    clip(1, 0.0f, true);
                } else if (bv == 1) {
                    clip(1, 0.0f, false);
                    polygon_.swap(clipped_);
                    clip(1, 1.0f, true);
                } else {
                    clip(1, 1.0f, false);
                }
                if (clipped_.size() < 3)
                    continue;
                // A corner beyond the texture is one texel: its colour
                // times the vertex colour, drawn without the texture.
                const bool corner = bu != 1 && bv != 1;
                const uint32_t texel = corner ? texture->Texel(variant, bu == 0 ? 0 : UINT32_MAX,
                                                               bv == 0 ? 0 : UINT32_MAX)
                                              : 0;
                for (GeoVertex& g : clipped_) {
                    g.u = std::clamp(g.u, 0.0f, 1.0f);
                    g.v = std::clamp(g.v, 0.0f, 1.0f);
                    if (corner) {
                        const uint32_t t[4] = {(texel >> 16) & 255, (texel >> 8) & 255, texel & 255, texel >> 24};
                        for (int k = 0; k < 4; ++k)
                            g.rgba[k] = uint8_t((g.rgba[k] * t[k] + 127) / 255);
                        g.u = g.v = 0;
                    }
                }
                for (size_t i = 1; i + 1 < clipped_.size(); ++i)
                    emit(clipped_[0], clipped_[i], clipped_[i + 1], !corner);
            }
        }
    };
    // A segment as a quad one pixel across: a pixel per column (per row
    // when steep) whose centre lies from the start up to, not including,
    // the end, on the row nearest the segment.
    const auto addLine = [&](const GeoVertex& a, const GeoVertex& b) {
        if (!finite(a) || !finite(b))
            return;
        const float dx = b.x - a.x, dy = b.y - a.y;
        if (dx == 0 && dy == 0)
            return;
        GeoVertex p0 = a, p1 = b, q0 = a, q1 = b;
        const bool xMajor = std::fabs(dx) >= std::fabs(dy);
        const float shift = (xMajor ? dx : dy) < 0 ? kLineEndShift : 0.0f;
        if (xMajor) {
            p0.x += shift, p1.x += shift, q0.x += shift, q1.x += shift;
            p0.y -= 0.5f, p1.y -= 0.5f, q0.y += 0.5f, q1.y += 0.5f;
        } else {
            p0.y += shift, p1.y += shift, q0.y += shift, q1.y += shift;
            p0.x -= 0.5f, p1.x -= 0.5f, q0.x += 0.5f, q1.x += 0.5f;
        }
        addTriangle(p0, p1, q0);
        addTriangle(p1, q1, q0);
    };

    switch (type) {
    case PrimitiveType::TriangleList:
        for (uint32_t i = 0; i + 2 < count; i += 3)
            addTriangle(corner(vertices[i]), corner(vertices[i + 1]), corner(vertices[i + 2]));
        break;
    case PrimitiveType::TriangleStrip:
        for (uint32_t i = 0; i + 2 < count; ++i)
            addTriangle(corner(vertices[i]), corner(vertices[i + 1]), corner(vertices[i + 2]));
        break;
    case PrimitiveType::TriangleFan:
        for (uint32_t i = 1; i + 1 < count; ++i)
            addTriangle(corner(vertices[0]), corner(vertices[i]), corner(vertices[i + 1]));
        break;
    case PrimitiveType::LineStrip:
        for (uint32_t i = 0; i + 1 < count; ++i)
            addLine(corner(vertices[i]), corner(vertices[i + 1]));
        break;
    }
    if (geometry_.empty())
        return DD_OK;
    if (geometry_.size() > size_t(INT32_MAX))
        return DDERR_INVALIDPARAMS;

    // The part of the target the draw may have changed.
    float minX = geometry_[0].x, maxX = minX, minY = geometry_[0].y, maxY = minY;
    for (const GeoVertex& g : geometry_) {
        minX = std::min(minX, g.x);
        maxX = std::max(maxX, g.x);
        minY = std::min(minY, g.y);
        maxY = std::max(maxY, g.y);
    }
    const Box view = ViewportBox();
    const auto cut = [](float v, int32_t lo, int32_t hi) {
        return int32_t(std::clamp<double>(std::floor(double(v)), double(lo), double(hi)));
    };
    Box drawn;
    drawn.left = cut(minX - 1, view.left, view.right);
    drawn.top = cut(minY - 1, view.top, view.bottom);
    drawn.right = cut(maxX + 2, view.left, view.right);
    drawn.bottom = cut(maxY + 2, view.top, view.bottom);
    if (drawn.Empty())
        return DD_OK;
    if (textured && SDL_SetRenderDrawBlendMode(renderer_, SDL_BlendMode(blendMode_)) != 0)
        return D3DERR_UNSUPPORTEDFACTORVALUE;
    // Runs of triangles with and without the texture, in their order.
    HRESULT result = DD_OK;
    for (size_t first = 0; first < textured_.size() && Succeeded(result);) {
        size_t last = first;
        while (last < textured_.size() && textured_[last] == textured_[first])
            ++last;
        result = Submit(textured_[first] ? sdlTexture : nullptr, first * 3, (last - first) * 3);
        first = last;
    }
    textureNewer_.Add(drawn);
    return result;
}

} // namespace Quib
