#pragma once
#include "platform/WindowMessages.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <string>

namespace Quib {

class Window;
class WindowSystem;

// The code that handles a window's messages: its window procedure.
// Messages it leaves alone go to WindowSystem::DefWindowProc.
class WindowProcedure {
public:
    virtual ~WindowProcedure() = default;
    virtual LPARAM WindowProc(Window& window, uint32_t message, WPARAM wParam, LPARAM lParam) = 0;
};

enum class WindowMode : uint8_t { Windowed, FullScreen };
enum class ShowState : uint8_t { Hidden, Normal, Minimised, Maximised };
// What ShowWindow asks for.
enum class ShowCommand : uint8_t {
    Hide,
    Show,           // shows and activates
    ShowNormal,     // shows, restores when minimised, activates
    ShowNoActivate, // shows without taking the focus
    Minimise,
    Maximise,
    Restore,
};

// A rectangle in screen or client coordinates; right and bottom excluded.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const ScreenRect&) const = default;
};

// The frame the system draws around a window's client area.
struct FrameBorders {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What a main window is made with. Positions and sizes are of the client
// area.
struct WindowSpec {
    static constexpr int kAnyPosition = INT_MIN; // the system places the window

    std::u16string title;
    int width = 640;
    int height = 480;
    WindowMode mode = WindowMode::Windowed; // full screen covers the desktop in its own mode
    int x = kAnyPosition;
    int y = kAnyPosition;
    bool visible = false;
};

// A top-level window. This base is the window without anything on screen
// (the invisible window: it has a title and takes messages); the backends'
// main windows derive from it. Made by a WindowSystem, used on the thread
// that pumps its messages, except where a call says otherwise.
class Window {
public:
    Window(WindowSystem& system, std::u16string title);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    WindowSystem& System() const { return mSystem; }

    // The procedure for this window's messages (not owned); null leaves
    // them to the default handling.
    void SetProcedure(WindowProcedure* procedure) { mProcedure = procedure; }
    WindowProcedure* Procedure() const { return mProcedure; }

    const std::u16string& Title() const { return mTitle; }
    virtual void SetTitle(std::u16string title) { mTitle = std::move(title); }

    // False for the window without anything on screen.
    virtual bool HasNativeWindow() const { return false; }
    // The backend's own handle (SDL_Window* for the SDL backend), for the
    // backend's other parts; null without one.
    virtual void* NativeHandle() const { return nullptr; }

    virtual void Show(ShowCommand) {}
    // Raises the window and gives it the input focus.
    virtual void SetForeground() {}
    virtual ShowState State() const { return ShowState::Hidden; }
    bool IsVisible() const { return State() != ShowState::Hidden; }
    bool IsMinimised() const { return State() == ShowState::Minimised; }
    // The window has the input focus (it is the active window).
    virtual bool IsActive() const { return false; }
    virtual WindowMode Mode() const { return WindowMode::Windowed; }

    virtual void GetClientSize(int& width, int& height) const { width = height = 0; }
    // Client origin on the screen.
    virtual void GetPosition(int& x, int& y) const { x = y = 0; }
    virtual void Move(int, int) {}
    virtual FrameBorders Borders() const { return {}; }

    // Keeps the mouse reporting to this window while a button is held
    // outside it.
    virtual void SetCapture(bool) {}
    // The cursor is over this window (and nothing covers it there).
    virtual bool IsUnderCursor() const { return false; }
    // The cursor position relative to the client area, asked of the system
    // now; false when it cannot be told.
    virtual bool GetCursorClientPosition(int& x, int& y) const;

    // The position of the latest mouse message for this window. Any thread
    // may ask; x and y always belong to the same message.
    void GetLastMousePosition(int& x, int& y) const;

    // WM_TIMER with wParam = id every periodMs while no other message
    // waits; setting an existing id restarts it. Timers never pile up.
    void SetTimer(uint32_t id, uint32_t periodMs);
    bool KillTimer(uint32_t id);

protected:
    void SetLastMousePosition(int x, int y);

private:
    friend class WindowSystem;

    WindowSystem& mSystem;
    std::u16string mTitle;
    WindowProcedure* mProcedure = nullptr;
    std::atomic<uint64_t> mLastMouse{0};
};

} // namespace Quib
