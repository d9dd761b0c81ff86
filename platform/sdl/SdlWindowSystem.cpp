#include "platform/sdl/SdlWindowSystem.h"

#include "platform/MessageSink.h"
#include "platform/TextCodecs.h"
#include "platform/sdl/SdlEventTranslator.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace Quib {

namespace {

void LogSdlFailure(const std::string& what)
{
    OutputDebugString(what + ": " + SDL_GetError() + "\n");
}

} // namespace

// ---------------------------------------------------------------- window

SdlWindow::SdlWindow(SdlWindowSystem& system, const WindowSpec& spec, SDL_Window* window)
    : Window(system, spec.title), mSdl(system), mWindow(window), mMode(spec.mode)
{
}

SdlWindow::~SdlWindow()
{
    mSdl.Forget(this);
    // A renderer must not outlive its window.
    if (mPresenter)
        mPresenter->ReleaseRenderer();
    SDL_DestroyWindow(mWindow);
}

void SdlWindow::SetTitle(std::u16string title)
{
    SDL_SetWindowTitle(mWindow, Utf16ToUtf8(title).c_str());
    Window::SetTitle(std::move(title));
}

void SdlWindow::Show(ShowCommand command)
{
    const Uint32 flags = SDL_GetWindowFlags(mWindow);
    switch (command) {
    case ShowCommand::Hide: SDL_HideWindow(mWindow); break;
    case ShowCommand::Show:
        SDL_ShowWindow(mWindow);
        SDL_RaiseWindow(mWindow);
        break;
    case ShowCommand::ShowNormal:
        SDL_ShowWindow(mWindow);
        if (flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_MAXIMIZED))
            SDL_RestoreWindow(mWindow);
        SDL_RaiseWindow(mWindow);
        break;
    case ShowCommand::ShowNoActivate:
        SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
        SDL_ShowWindow(mWindow);
        SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "0");
        break;
    case ShowCommand::Minimise: SDL_MinimizeWindow(mWindow); break;
    case ShowCommand::Maximise: SDL_MaximizeWindow(mWindow); break;
    case ShowCommand::Restore: SDL_RestoreWindow(mWindow); break;
    }
}

void SdlWindow::SetForeground()
{
    SDL_RaiseWindow(mWindow);
}

ShowState SdlWindow::State() const
{
    const Uint32 flags = SDL_GetWindowFlags(mWindow);
    if (flags & SDL_WINDOW_HIDDEN)
        return ShowState::Hidden;
    if (flags & SDL_WINDOW_MINIMIZED)
        return ShowState::Minimised;
    if (flags & SDL_WINDOW_MAXIMIZED)
        return ShowState::Maximised;
    return ShowState::Normal;
}

bool SdlWindow::IsActive() const
{
    return (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void SdlWindow::GetClientSize(int& width, int& height) const
{
    SDL_GetWindowSize(mWindow, &width, &height);
}

void SdlWindow::GetPosition(int& x, int& y) const
{
    SDL_GetWindowPosition(mWindow, &x, &y);
}

void SdlWindow::Move(int x, int y)
{
    SDL_SetWindowPosition(mWindow, x, y);
}

FrameBorders SdlWindow::Borders() const
{
    FrameBorders borders;
    if (SDL_GetWindowBordersSize(mWindow, &borders.top, &borders.left, &borders.bottom, &borders.right) != 0)
        borders = {};
    return borders;
}

void SdlWindow::SetCapture(bool capture)
{
    SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
}

bool SdlWindow::IsUnderCursor() const
{
    return SDL_GetMouseFocus() == mWindow;
}

bool SdlWindow::GetCursorClientPosition(int& x, int& y) const
{
    if (SDL_GetMouseFocus() == mWindow) {
        SDL_GetMouseState(&x, &y);
        return true;
    }
    int left = 0, top = 0;
    SDL_GetGlobalMouseState(&x, &y);
    SDL_GetWindowPosition(mWindow, &left, &top);
    x -= left;
    y -= top;
    return true;
}

// ---------------------------------------------------------------- clipboard

bool SdlClipboard::SetUtf8(const std::string& utf8)
{
    if (SDL_SetClipboardText(utf8.c_str()) != 0) {
        LogSdlFailure("Clipboard: the text could not be put there");
        return false;
    }
    return true;
}

std::string SdlClipboard::GetUtf8()
{
    if (!SDL_HasClipboardText())
        return {};
    char* text = SDL_GetClipboardText();
    std::string result = text ? text : "";
    SDL_free(text);
    return result;
}

// ---------------------------------------------------------------- cursors

SdlCursors::~SdlCursors()
{
    ReleaseAll();
}

void SdlCursors::ReleaseAll()
{
    for (auto& [id, entry] : mCursors)
        if (entry.owned)
            SDL_FreeCursor(entry.cursor);
    mCursors.clear();
    std::fill(std::begin(mStandard), std::end(mStandard), 0);
    mCurrent = 0;
}

CursorId SdlCursors::Keep(SDL_Cursor* cursor, bool standard, bool owned)
{
    mCursors[mNext] = {cursor, standard, owned};
    return mNext++;
}

CursorId SdlCursors::CreateMaskCursor(const uint8_t* andMask, const uint8_t* xorMask, int width, int height,
                                      int hotX, int hotY)
{
    if (!CheckMaskCursor(andMask, xorMask, width, height, hotX, hotY))
        return 0;
    if (mRecordOnly)
        return Keep(nullptr, false, false);
    const size_t bytes = size_t(width / 8) * size_t(height);
    std::vector<uint8_t> data(bytes), mask(bytes);
    MasksToSdlForm(andMask, xorMask, bytes, data.data(), mask.data());
    SDL_Cursor* cursor = SDL_CreateCursor(data.data(), mask.data(), width, height, hotX, hotY);
    if (!cursor) {
        LogSdlFailure("Cursor: no monochrome cursor");
        return 0;
    }
    return Keep(cursor, false, true);
}

CursorId SdlCursors::CreateColorCursor(const uint32_t* pixels, int width, int height, int pitchPixels, int hotX,
                                       int hotY)
{
    if (!CheckColorCursor(pixels, width, height, pitchPixels, hotX, hotY))
        return 0;
    if (mRecordOnly)
        return Keep(nullptr, false, false);
    // SDL reads the pixels while making the cursor and keeps none of them.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels), width, height, 32,
                                                              pitchPixels * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) {
        LogSdlFailure("Cursor: no colour cursor");
        return 0;
    }
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, hotX, hotY);
    SDL_FreeSurface(surface);
    if (!cursor) {
        LogSdlFailure("Cursor: no colour cursor");
        return 0;
    }
    return Keep(cursor, false, true);
}

CursorId SdlCursors::GetStandardCursor(StandardCursor which)
{
    const size_t index = size_t(which);
    if (index >= std::size(mStandard))
        return 0;
    if (mStandard[index])
        return mStandard[index];
    if (mRecordOnly)
        return mStandard[index] = Keep(nullptr, true, false);
    static constexpr SDL_SystemCursor kSystem[] = {
        SDL_SYSTEM_CURSOR_ARROW,  SDL_SYSTEM_CURSOR_IBEAM,    SDL_SYSTEM_CURSOR_WAIT,
        SDL_SYSTEM_CURSOR_NO,     SDL_SYSTEM_CURSOR_SIZEALL,  SDL_SYSTEM_CURSOR_SIZENESW,
        SDL_SYSTEM_CURSOR_SIZENS, SDL_SYSTEM_CURSOR_SIZENWSE, SDL_SYSTEM_CURSOR_SIZEWE,
    };
    SDL_Cursor* cursor = SDL_CreateSystemCursor(kSystem[index]);
    bool owned = true;
    if (!cursor) {
        // Drivers without system cursors have at least their default one.
        cursor = SDL_GetDefaultCursor();
        owned = false;
    }
    if (!cursor)
        return 0;
    mStandard[index] = Keep(cursor, true, owned);
    return mStandard[index];
}

void SdlCursors::DestroyCursor(CursorId id)
{
    auto it = mCursors.find(id);
    if (it == mCursors.end() || it->second.standard)
        return;
    if (mCurrent == id) {
        mCurrent = 0;
        Apply();
    }
    if (it->second.owned)
        SDL_FreeCursor(it->second.cursor);
    mCursors.erase(it);
}

void SdlCursors::SetCursor(CursorId id)
{
    mCurrent = mCursors.count(id) ? id : 0;
    Apply();
}

void SdlCursors::ShowCursor(bool show)
{
    mShown = show;
    Apply();
}

void SdlCursors::Apply()
{
    if (mRecordOnly)
        return;
    if (mCurrent && mShown) {
        SDL_SetCursor(mCursors[mCurrent].cursor);
        SDL_ShowCursor(SDL_ENABLE);
    } else {
        SDL_ShowCursor(SDL_DISABLE);
    }
}

void SdlCursors::WarpCursor(Window& window, int x, int y)
{
    if (mRecordOnly)
        return;
    if (auto* native = static_cast<SDL_Window*>(window.NativeHandle()))
        SDL_WarpMouseInWindow(native, x, y);
}

// ---------------------------------------------------------------- system

std::unique_ptr<SdlWindowSystem> SdlWindowSystem::Create()
{
    // Closing the window is the program's decision, not SDL's.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        LogSdlFailure("Window: no video");
        return nullptr;
    }
    return std::unique_ptr<SdlWindowSystem>(new SdlWindowSystem());
}

SdlWindowSystem::SdlWindowSystem()
{
    mCursors.SetRecordOnly(IsHeadlessDriver());
}

SdlWindowSystem::~SdlWindowSystem()
{
    mCursors.ReleaseAll();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

const char* SdlWindowSystem::DriverName() const
{
    const char* name = SDL_GetCurrentVideoDriver();
    return name ? name : "";
}

bool SdlWindowSystem::IsHeadlessDriver() const
{
    const std::string name = DriverName();
    return name == "offscreen" || name == "dummy" || name == "evdev";
}

std::unique_ptr<Window> SdlWindowSystem::CreateMainWindow(const WindowSpec& spec)
{
    Uint32 flags = spec.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    if (spec.mode == WindowMode::FullScreen)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    int x = spec.x == WindowSpec::kAnyPosition ? int(SDL_WINDOWPOS_UNDEFINED) : spec.x;
    int y = spec.y == WindowSpec::kAnyPosition ? int(SDL_WINDOWPOS_UNDEFINED) : spec.y;
    int width = std::max(1, spec.width), height = std::max(1, spec.height);
    SDL_Rect desktop{};
    if (spec.mode == WindowMode::FullScreen && SDL_GetDisplayBounds(0, &desktop) == 0 && desktop.w > 0 &&
        desktop.h > 0) {
        // Made as large as the desktop, so that it covers it even where no
        // window manager applies the full-screen state.
        x = desktop.x;
        y = desktop.y;
        width = desktop.w;
        height = desktop.h;
    }
    SDL_Window* native = SDL_CreateWindow(Utf16ToUtf8(spec.title).c_str(), x, y, width, height, flags);
    if (!native) {
        LogSdlFailure("Window: the main window could not be made");
        return nullptr;
    }
    std::unique_ptr<SdlWindow> window(new SdlWindow(*this, spec, native));
    mMainWindows.push_back(window.get());
    return window;
}

std::unique_ptr<Presenter> SdlWindowSystem::CreatePresenter(Window& window)
{
    auto* sdl = dynamic_cast<SdlWindow*>(&window);
    if (!sdl || std::find(mMainWindows.begin(), mMainWindows.end(), sdl) == mMainWindows.end())
        return WindowSystem::CreatePresenter(window);
    return SdlPresenter::Create(*sdl, mSoftwareRendering, mDeviceFactory);
}

void SdlWindowSystem::Forget(SdlWindow* window)
{
    std::erase(mMainWindows, window);
}

SdlWindow* SdlWindowSystem::MainWindow() const
{
    return mMainWindows.empty() ? nullptr : mMainWindows.back();
}

ScreenMetrics SdlWindowSystem::Screen()
{
    ScreenMetrics metrics;
    int display = 0;
    if (SdlWindow* window = MainWindow())
        display = std::max(0, SDL_GetWindowDisplayIndex(window->Sdl()));
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(display, &mode) != 0) {
        LogSdlFailure("Window: no desktop mode");
        return metrics;
    }
    metrics.width = mode.w;
    metrics.height = mode.h;
    metrics.refreshRate = mode.refresh_rate;
    // SDL counts 24 bits for 32-bit pixels without alpha; the memory holds 32.
    metrics.bitsPerPixel = SDL_BYTESPERPIXEL(mode.format) * 8;
    if (metrics.bitsPerPixel == 0)
        metrics.bitsPerPixel = 32;
    SDL_Rect bounds{};
    if (SDL_GetDisplayUsableBounds(display, &bounds) == 0 && bounds.w > 0 && bounds.h > 0)
        metrics.workArea = {bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
    else
        metrics.workArea = {0, 0, mode.w, mode.h};
    return metrics;
}

void SdlWindowSystem::AllowScreenSaver(bool allow)
{
    if (allow)
        SDL_EnableScreenSaver();
    else
        SDL_DisableScreenSaver();
}

void SdlWindowSystem::Convert(const SDL_Event& event)
{
    InputEvent input;
    if (!SdlEventToInput(event, input))
        return;
    Window* target = nullptr;
    if (const uint32_t id = SdlEventWindowId(event)) {
        for (SdlWindow* window : mMainWindows)
            if (SDL_GetWindowID(window->Sdl()) == id)
                target = window;
        if (!target)
            return; // a window that is gone
    } else if (input.type == InputEvent::SessionEnd) {
        target = SessionWindow();
        if (!target)
            target = MainWindow();
    } else {
        target = MainWindow();
    }
    if (input.type == InputEvent::DisplayChanged) {
        const ScreenMetrics screen = Screen();
        input.x = screen.width;
        input.y = screen.height;
    }
    if (target)
        Deliver(input, target);
}

void SdlWindowSystem::CollectInput()
{
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
        Convert(event);
}

} // namespace Quib
