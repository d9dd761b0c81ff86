#pragma once
// The 3-D device drawn by an SDL renderer: textures in graphics memory,
// triangles through the renderer's geometry drawing into a render-target
// texture that mirrors the render-target surface. The surface's memory
// pixels and the texture are kept in step: the texture takes the memory
// pixels that changed before it is drawn into, and the memory takes the
// drawn part before anyone reads or writes it (see SurfaceMirror).
//
// It does not own the renderer (the presentation does) and leaves the
// renderer's target, draw colour and draw blend mode as it found them
// outside a scene.

#include "platform/Device3D.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace Quib {

class SdlDevice3D : public Device3D, private SurfaceMirror {
public:
    // A device on the renderer, its render target texture made at once for
    // targets of width x height (others are made when set). Null, with a
    // log line, when the renderer cannot draw into textures or draw
    // geometry, or the target texture cannot be made. textureMemory 0
    // allows 256 MB of textures.
    static std::unique_ptr<SdlDevice3D> Create(SDL_Renderer* renderer, uint32_t width, uint32_t height,
                                               uint64_t textureMemory = 0);
    ~SdlDevice3D() override;

    HRESULT GetCaps(DeviceCaps* caps) const override;
    HRESULT CreateTexture(uint32_t width, uint32_t height, TextureFormat format,
                          std::shared_ptr<DeviceTexture>* out) override;
    HRESULT SetRenderTarget(DisplaySurface* surface) override;
    HRESULT SetViewport(const DeviceViewport& viewport) override;
    HRESULT Clear(uint32_t argb) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT SetBlend(BlendFactor source, BlendFactor destination) override;
    HRESULT SetColorArg(ColorArg arg) override;
    HRESULT SetAlphaOp(AlphaOp op) override;
    HRESULT SetFilter(TextureFilter filter) override;
    HRESULT SetTexture(const std::shared_ptr<DeviceTexture>& texture) override;
    HRESULT DrawPrimitive(PrimitiveType type, const DeviceVertex* vertices, uint32_t count) override;

    SDL_Renderer* Renderer() const { return renderer_; }
    // The render target's texture holding the newest picture of the target
    // surface (memory pixels changed since are taken first), for a
    // presentation that draws it to the window without reading it back.
    // Null without a target.
    SDL_Texture* TargetTexture();
    // Whether the renderer blends with the device's own factors; without
    // that the two common set-ups and one-one adding are drawn with the
    // renderer's standard blend modes, other factors are refused.
    bool CustomBlending() const { return customBlending_; }
    // The renderer's name ("opengl", "software", ...).
    const std::string& RendererName() const { return rendererName_; }
    uint64_t TextureMemoryInUse() const;
    // Pixels read back from the target texture and uploaded into it so far
    // (for tests and measurements).
    uint64_t PixelsReadBack() const { return pixelsReadBack_; }
    uint64_t PixelsUploaded() const { return pixelsUploaded_; }

    struct Shared;

private:
    struct Box {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
        bool Empty() const { return left >= right || top >= bottom; }
        void Add(const Box& other);
        Box Intersect(const Box& other) const;
        // Takes away a box when what is left is one box.
        void Remove(const Box& other);
    };
    class TargetScope;

    SdlDevice3D(SDL_Renderer* renderer, uint64_t textureMemory);

    void BringToMemory(const DisplaySurface& surface, uint8_t* bits, const SurfaceRect* rect) override;
    void MemoryChanged(const DisplaySurface& surface, const SurfaceRect* rect) override;
    static int EventWatch(void* self, SDL_Event* event);

    bool MakeTargetTexture(uint32_t width, uint32_t height);
    bool BindTarget();
    // Uploads the memory pixels changed since the texture was last drawn.
    bool UploadMemoryChanges();
    Box ViewportBox() const;
    void ApplyClip();
    HRESULT ApplyBlend();
    HRESULT Submit(SDL_Texture* texture, size_t first, size_t count);

    SDL_Renderer* renderer_;
    std::string rendererName_;
    DeviceCaps caps_;
    std::shared_ptr<Shared> shared_;
    bool customBlending_ = false;

    SDL_Texture* targetTexture_ = nullptr;
    uint32_t targetWidth_ = 0, targetHeight_ = 0;
    DisplaySurface* target_ = nullptr;
    uint32_t targetFormat_ = 0; // the surface's SDL pixel format
    Box memoryNewer_;           // memory pixels the texture has not taken
    Box textureNewer_;          // drawn pixels memory has not taken
    std::vector<uint8_t> scratch_;

    DeviceViewport viewport_;
    bool inScene_ = false;
    std::unique_ptr<TargetScope> sceneScope_;
    BlendFactor source_ = BlendFactor::SourceAlpha;
    BlendFactor destination_ = BlendFactor::InverseSourceAlpha;
    bool colorFromTexture_ = true;
    bool alphaModulate_ = false;
    bool linear_ = false;
    std::shared_ptr<DeviceTexture> texture_;

    // The blend of the draws, worked out from the factors.
    int blendMode_ = 0;        // an SDL_BlendMode
    bool forceOpaque_ = false; // the factors ignore source alpha: drawn with alpha 1

    // A corner as the renderer takes it: position, colour bytes r, g, b, a
    // and texture coordinates.
    struct GeoVertex {
        float x, y;
        uint8_t rgba[4];
        float u, v;
    };
    std::vector<GeoVertex> geometry_; // the draw's triangles, three corners each
    std::vector<uint8_t> textured_;   // per triangle: drawn with the texture
    std::vector<GeoVertex> polygon_, clipped_;

    std::atomic<bool> targetsReset_{false};
    std::atomic<bool> deviceLost_{false};
    uint64_t pixelsReadBack_ = 0;
    uint64_t pixelsUploaded_ = 0;
};

} // namespace Quib
