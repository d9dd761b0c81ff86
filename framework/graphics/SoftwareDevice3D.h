#pragma once
#include "framework/raster/DeviceRaster.h"
#include "platform/Device3D.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace Quib {

// The 3-D device drawn in software: textures in memory, drawing into the
// render target's memory through the triangle rasterizer's scan conversion
// and the device pixel stage. Deterministic: the same calls give the same
// pixels on every machine. It draws into 32-bit surfaces with 8-bit
// channels in any order and into 5-6-5 and 5-5-5 surfaces.
class SoftwareDevice3D : public Device3D {
public:
    // Failures tests can ask for: the next N calls of each kind fail.
    struct Faults {
        std::atomic<int> createTexture{0};
        std::atomic<int> lockTexture{0};
        std::atomic<int> setRenderTarget{0};
        std::atomic<int> setFilter{0};
        std::atomic<int> draw{0};
    };

    // Textures of 1 to 4096 texels a side in any proportion, in the three
    // formats, 256 MB of them.
    static DeviceCaps DefaultCaps();

    explicit SoftwareDevice3D(const DeviceCaps& caps = DefaultCaps());
    ~SoftwareDevice3D() override;

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

    // Bytes of texture memory in use.
    uint64_t TextureMemoryInUse() const;
    bool InScene() const { return inScene_; }

    // Shared with the textures, which may outlive the device.
    struct Shared {
        std::atomic<uint64_t> memoryInUse{0};
        Faults faults;
    };
    Faults& faults() { return shared_->faults; }

private:
    DeviceCaps caps_;
    std::shared_ptr<Shared> shared_;
    DisplaySurface* target_ = nullptr;
    DeviceViewport viewport_;
    bool inScene_ = false;
    DevicePixelState state_;
    std::shared_ptr<DeviceTexture> texture_;
};

} // namespace Quib
