#pragma once
#include "platform/InputTranslator.h"
#include "platform/Window.h"

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace Quib {

class Clipboard;
class CursorSystem;
class Presenter;

// The screen the main window lives on.
struct ScreenMetrics {
    int width = 0;
    int height = 0;
    ScreenRect workArea; // the screen minus panels and docks
    int refreshRate = 0; // Hz; 0 when unknown
    int bitsPerPixel = 32;
};

// The windowing system: makes the windows, gathers what happens to them
// into one first-in first-out message queue and hands the messages to the
// windows' procedures. The SDL backend shows real windows; the headless
// backend has windows that tests drive. Messages are pumped on one thread
// (the main thread); PostMessage may come from any thread.
class WindowSystem {
public:
    WindowSystem() = default;
    virtual ~WindowSystem();
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;

    // The main window; null (and a log line) when it cannot be made. A
    // program that switches screen modes drops the old one and makes
    // another.
    virtual std::unique_ptr<Window> CreateMainWindow(const WindowSpec& spec) = 0;
    // A window without anything on screen. The first one made also takes
    // the session's request to end, as a WM_CLOSE.
    std::unique_ptr<Window> CreateInvisibleWindow(std::u16string title);

    virtual ScreenMetrics Screen() = 0;
    virtual Clipboard& GetClipboard() = 0;
    virtual CursorSystem& Cursors() = 0;
    // Whether the system's screen saver may start while the program runs.
    virtual void AllowScreenSaver(bool allow) = 0;
    // What shows frames in the window; null (and a log line) when nothing
    // can. This one keeps them in memory, in the screen's pixel format (32
    // bits X8R8G8B8, 16 bits R5G6B5, any other depth as it is).
    virtual std::unique_ptr<Presenter> CreatePresenter(Window& window);

    // Takes the oldest waiting message: posted and input messages in the
    // order they came, then a WM_PAINT of a window that needs one, then a
    // due WM_TIMER. False when nothing waits.
    bool PeekMessage(WindowMessage& message);
    // Hands a message to its window's procedure (or the default handling)
    // and returns the result; 0 for a window that no longer exists.
    LPARAM DispatchMessage(const WindowMessage& message);
    // Queues a message for a window; false when the window does not exist.
    bool PostMessage(Window* window, uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0);
    // What happens to messages no procedure handled: Alt+F4 (WM_SYSKEYDOWN
    // with VK_F4) asks the window to close with a posted WM_CLOSE; WM_CLOSE
    // itself destroys nothing (the window's owner decides). Returns 0.
    LPARAM DefWindowProc(Window& window, uint32_t message, WPARAM wParam, LPARAM lParam);

    // Messages waiting in the queue (timers and paints not counted).
    size_t QueuedMessageCount() const;
    // The window was made by this system and is not destroyed yet.
    bool IsLive(const Window* window) const;

protected:
    // The backend moves what the system reported into the queue through
    // Deliver. Called by PeekMessage when the queue is empty.
    virtual void CollectInput() = 0;
    // Turns one event into messages for the window and queues them.
    void Deliver(const InputEvent& event, Window* window);
    // The window that takes the session's end: the first invisible window,
    // else null.
    Window* SessionWindow() const;
    InputTranslator& Translator() { return mTranslator; }

private:
    friend class Window;
    struct Timer {
        Window* window;
        uint32_t id;
        uint32_t periodMs;
        uint32_t lastMs;
    };

    void Register(Window* window);
    void Unregister(Window* window);
    void SetTimer(Window* window, uint32_t id, uint32_t periodMs);
    bool KillTimer(Window* window, uint32_t id);
    void Enqueue(const WindowMessage& message);

    mutable std::recursive_mutex mMutex;
    std::deque<WindowMessage> mQueue;
    std::vector<Window*> mWindows;
    std::vector<Window*> mNeedPaint;
    std::vector<Timer> mTimers;
    size_t mNextTimer = 0;
    Window* mSessionWindow = nullptr;
    InputTranslator mTranslator;
    std::vector<WindowMessage> mScratch;
};

// The process-wide window system: the one installed, else a headless one.
WindowSystem& GetWindowSystem();
// Installs a window system (not owned); null goes back to the headless one.
void SetWindowSystem(WindowSystem* system);

} // namespace Quib
