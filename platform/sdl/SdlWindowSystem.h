#pragma once
#include "platform/Clipboard.h"
#include "platform/Cursors.h"
#include "platform/WindowSystem.h"
#include "platform/sdl/SdlPresenter.h"

#include <SDL.h>

#include <memory>
#include <unordered_map>
#include <vector>

namespace Quib {

class SdlWindowSystem;

// A main window shown by SDL: windowed, or full screen over the desktop in
// the desktop's own mode.
class SdlWindow : public Window {
public:
    ~SdlWindow() override;

    bool HasNativeWindow() const override { return true; }
    void* NativeHandle() const override { return mWindow; }
    SDL_Window* Sdl() const { return mWindow; }

    void SetTitle(std::u16string title) override;
    void Show(ShowCommand command) override;
    void SetForeground() override;
    ShowState State() const override;
    bool IsActive() const override;
    WindowMode Mode() const override { return mMode; }
    void GetClientSize(int& width, int& height) const override;
    void GetPosition(int& x, int& y) const override;
    void Move(int x, int y) override;
    FrameBorders Borders() const override;
    void SetCapture(bool capture) override;
    bool IsUnderCursor() const override;
    bool GetCursorClientPosition(int& x, int& y) const override;

private:
    friend class SdlWindowSystem;
    friend class SdlPresenter;
    SdlWindow(SdlWindowSystem& system, const WindowSpec& spec, SDL_Window* window);

    SdlWindowSystem& mSdl;
    SDL_Window* mWindow;
    WindowMode mMode;
    // The presenter with the window's renderer, which goes before the
    // window does.
    SdlPresenter* mPresenter = nullptr;
    // An accelerated renderer failed here: later presenters use software.
    bool mSoftwareRendering = false;
};

// The clipboard through SDL (UTF-8).
class SdlClipboard : public Clipboard {
public:
    bool SetUtf8(const std::string& utf8) override;
    std::string GetUtf8() override;
};

// Cursors through SDL.
class SdlCursors : public CursorSystem {
public:
    ~SdlCursors() override;

    CursorId CreateMaskCursor(const uint8_t* andMask, const uint8_t* xorMask, int width, int height, int hotX,
                              int hotY) override;
    using CursorSystem::CreateMaskCursor;
    CursorId CreateColorCursor(const uint32_t* pixels, int width, int height, int pitchPixels, int hotX,
                               int hotY) override;
    CursorId GetStandardCursor(StandardCursor cursor) override;
    void DestroyCursor(CursorId cursor) override;
    void SetCursor(CursorId cursor) override;
    CursorId CurrentCursor() const override { return mCurrent; }
    void ShowCursor(bool show) override;
    bool IsCursorShown() const override { return mShown; }
    void WarpCursor(Window& window, int x, int y) override;

    // Frees every cursor (before SDL's video stops).
    void ReleaseAll();
    // SDL's drivers that show nothing make no cursors; there cursors are
    // kept as records only, so that choosing them works the same.
    void SetRecordOnly(bool recordOnly) { mRecordOnly = recordOnly; }

private:
    CursorId Keep(SDL_Cursor* cursor, bool standard, bool owned);
    void Apply();

    struct Entry {
        SDL_Cursor* cursor;
        bool standard;
        bool owned;
    };
    std::unordered_map<CursorId, Entry> mCursors;
    CursorId mStandard[9] = {};
    CursorId mNext = 1;
    CursorId mCurrent = 0;
    bool mShown = true;
    bool mRecordOnly = false;
};

// The windowing system over SDL's video: real windows with a display, or
// SDL's "offscreen" and "dummy" drivers without one.
class SdlWindowSystem : public WindowSystem {
public:
    // Starts SDL's video; null (and a log line) when it cannot.
    static std::unique_ptr<SdlWindowSystem> Create();
    ~SdlWindowSystem() override;

    std::unique_ptr<Window> CreateMainWindow(const WindowSpec& spec) override;
    ScreenMetrics Screen() override;
    Clipboard& GetClipboard() override { return mClipboard; }
    CursorSystem& Cursors() override { return mCursors; }
    void AllowScreenSaver(bool allow) override;
    // An SdlPresenter for this system's windows (the base's for others);
    // null when the window already has a presenter or no renderer works.
    std::unique_ptr<Presenter> CreatePresenter(Window& window) override;
    // The 3-D device the presenters offer (the GPU device); none by
    // default.
    void SetDevice3DFactory(SdlPresenter::DeviceFactory factory) { mDeviceFactory = std::move(factory); }
    // Presenters made from now on use SDL's software renderer.
    void UseSoftwareRendering(bool software) { mSoftwareRendering = software; }

    // The video driver in use ("x11", "wayland", "offscreen", "dummy", ...).
    const char* DriverName() const;
    // True for the drivers that show nothing (offscreen, dummy).
    bool IsHeadlessDriver() const;
    // The latest main window made and still alive; null when none is.
    SdlWindow* MainWindow() const;

protected:
    void CollectInput() override;

private:
    friend class SdlWindow;
    SdlWindowSystem();
    void Forget(SdlWindow* window);
    void Convert(const SDL_Event& event);

    std::vector<SdlWindow*> mMainWindows;
    SdlClipboard mClipboard;
    SdlCursors mCursors;
    SdlPresenter::DeviceFactory mDeviceFactory;
    bool mSoftwareRendering = false;
};

} // namespace Quib
