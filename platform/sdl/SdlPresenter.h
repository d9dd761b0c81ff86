#pragma once
#include "platform/Presenter.h"
#include "platform/sdl/SdlGraphicsAdapter.h"

#include <SDL.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace Quib {

class SdlWindow;

// The surface format of an SDL pixel format: bitCount is the memory a
// pixel takes (32 for SDL's 24-bit RGB888, whose pixels are 32-bit words),
// masks as SDL gives them, no alpha. bitCount 0 for formats that are not
// packed RGB.
SurfacePixelFormat SdlToSurfaceFormat(Uint32 sdlFormat);
// The SDL pixel format of a surface format; SDL_PIXELFORMAT_UNKNOWN when
// SDL has none.
Uint32 SurfaceToSdlFormat(const SurfacePixelFormat& format);

// Shows frames in an SDL window through an SDL_Renderer: the frame's part
// is uploaded into streaming textures (tiles of at most the renderer's
// largest texture size) and drawn scaled into the fitted display, nearest
// pixel at 1:1 and linear otherwise. The display is also the renderer's
// logical size, so SDL reports mouse positions of the window in display
// pixels. Presents never wait for the vertical blank.
//
// The renderer is there for a 3-D device to draw with (Renderer()). Such a
// device registers a release listener: the renderer goes when the window
// closes, and the device's textures must go first. Presents set the
// window as the render target and put back the device's target after.
class SdlPresenter : public Presenter {
public:
    // Makes the device a presenter offers; null: none.
    using DeviceFactory = std::function<std::unique_ptr<Device3D>(SdlPresenter&)>;

    // A presenter for the window: SDL's choice of renderer (an accelerated
    // one where there is one; SDL_RENDER_DRIVER picks one by name), or
    // SDL's software renderer when that fails, when software is asked for
    // or when an accelerated renderer failed in this window before. Null
    // (and a log line) when none can be made.
    static std::unique_ptr<SdlPresenter> Create(SdlWindow& window, bool software, DeviceFactory factory = {});
    ~SdlPresenter() override;

    SurfacePixelFormat ScreenFormat() const override;
    void OutputSize(int& width, int& height) const override;
    // On a failed SDL call of an accelerated renderer that no device
    // draws with (none has a release listener), the presenter moves to
    // SDL's software renderer and tries the frame once more there.
    HRESULT Present(const PresentRequest& request) override;
    // The adapter of the renderer; null once the window has gone.
    GraphicsAdapter* Adapter() override { return mAdapter.get(); }
    // The factory's device, else the adapter's (an SdlDevice3D).
    std::unique_ptr<Device3D> CreateDevice3D(uint32_t width, uint32_t height) override;
    std::string Name() const override;

    // Null once the window has gone.
    SDL_Renderer* Renderer() const { return mRenderer; }
    bool IsSoftware() const;
    // Listeners run before the renderer is destroyed.
    int AddReleaseListener(std::function<void()> listener) override;
    void RemoveReleaseListener(int id) override;
    // Render resets SDL reported: device resets (every texture's contents
    // were lost) and render-target resets.
    int DeviceResets() const { return mDeviceResets.load(); }
    int TargetResets() const { return mTargetResets.load(); }

    // While on, every presented picture is read back from the renderer
    // just before it is shown and kept as 0xAARRGGBB words.
    void SetCapture(bool capture) { mCapture = capture; }
    const std::vector<uint32_t>& Captured() const { return mCaptured; }
    int CapturedWidth() const { return mCapturedWidth; }
    int CapturedHeight() const { return mCapturedHeight; }

    // Gives up the textures and the renderer (after the release
    // listeners); presents fail from then on.
    void ReleaseRenderer();

private:
    struct Tile {
        SDL_Texture* texture = nullptr;
        SDL_Rect part; // of the uploaded picture
    };

    SdlPresenter(SdlWindow& window, SDL_Renderer* renderer, DeviceFactory factory);
    static int EventWatch(void* self, SDL_Event* event);
    void DropTiles();
    HRESULT PresentOnce(const PresentRequest& request);
    bool CopyIntoWindowSurface(const PresentRequest& request, uint32_t format);
    HRESULT FinishPresent(HRESULT result);
    // Tiles covering width x height in the format; false when they cannot
    // be made.
    bool EnsureTiles(int width, int height, Uint32 format);
    // Moves to SDL's software renderer; false when it cannot be made.
    bool FallBackToSoftware();

    SdlWindow* mWindow;
    SDL_Renderer* mRenderer;
    std::unique_ptr<SdlGraphicsAdapter> mAdapter;
    DeviceFactory mFactory;
    std::vector<Tile> mTiles;
    int mTileWidth = 0; // the picture the tiles cover
    int mTileHeight = 0;
    Uint32 mTileFormat = SDL_PIXELFORMAT_UNKNOWN;
    int mLogicalWidth = 0;
    int mLogicalHeight = 0;
    std::map<int, std::function<void()>> mListeners;
    int mNextListener = 1;
    std::atomic<int> mDeviceResets{0};
    std::atomic<int> mTargetResets{0};
    std::atomic<bool> mResetPending{false};
    bool mCapture = false;
    std::vector<uint32_t> mCaptured;
    int mCapturedWidth = 0;
    int mCapturedHeight = 0;
};

} // namespace Quib
