#pragma once
// The graphics adapter behind an SDL renderer: identified by the renderer's
// name and, for the OpenGL renderers, the GL vendor, renderer and version
// strings; its devices are SdlDevice3D on that renderer. The renderer is
// not owned and must outlive the adapter and its devices.

#include "platform/GraphicsAdapter.h"

#include <string>

struct SDL_Renderer;

namespace Quib {

class SdlGraphicsAdapter : public GraphicsAdapter {
public:
    explicit SdlGraphicsAdapter(SDL_Renderer* renderer);

    // Without a renderer: DDERR_INVALIDOBJECT.
    HRESULT Identify(AdapterIdentity* out) override;
    // What the GL driver tells (NVX or ATI memory information, or Mesa's
    // renderer query); for SDL's software renderer and Mesa's software
    // rasterizers the machine's memory, which they draw in; otherwise
    // DDERR_UNSUPPORTED.
    HRESULT GetAvailableVideoMemory(uint64_t* total, uint64_t* free) override;
    HRESULT CreateDevice(uint32_t width, uint32_t height, std::unique_ptr<Device3D>* out) override;

    SDL_Renderer* Renderer() const { return renderer_; }
    const std::string& RendererName() const { return rendererName_; }
    bool IsSoftwareRenderer() const { return rendererName_ == "software"; }

private:
    SDL_Renderer* renderer_;
    std::string rendererName_;
};

} // namespace Quib
