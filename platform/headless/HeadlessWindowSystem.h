#pragma once
#include "platform/Clipboard.h"
#include "platform/Cursors.h"
#include "platform/WindowSystem.h"

#include <map>
#include <string>
#include <vector>

namespace Quib {

class HeadlessWindowSystem;

// A main window with nothing on screen that behaves like one: showing,
// minimising, moving and focus change its state and send the messages a
// real window would get. Tests drive it with scripted input, which goes
// through the same translation as the SDL backend's events.
class HeadlessWindow : public Window {
public:
    HeadlessWindow(HeadlessWindowSystem& system, const WindowSpec& spec);
    ~HeadlessWindow() override;

    bool HasNativeWindow() const override { return true; }
    void SetTitle(std::u16string title) override;
    void Show(ShowCommand command) override;
    void SetForeground() override;
    ShowState State() const override { return mState; }
    bool IsActive() const override { return mActive; }
    WindowMode Mode() const override { return spec.mode; }
    void GetClientSize(int& width, int& height) const override;
    void GetPosition(int& x, int& y) const override;
    void Move(int x, int y) override;
    FrameBorders Borders() const override { return borders; }
    void SetCapture(bool capture) override { captured = capture; }
    bool IsUnderCursor() const override { return cursorInside; }
    bool GetCursorClientPosition(int& x, int& y) const override;

    // Scripted input: one event, as the system would report it.
    void Input(const InputEvent& event);
    // Keys; Shift, Ctrl and Alt held by earlier KeyDowns count as held.
    void KeyDown(uint8_t vk, bool repeat = false);
    void KeyUp(uint8_t vk);
    void Type(std::string_view utf8);
    // Mouse in client coordinates; moving also puts the cursor there.
    void MouseMove(int x, int y);
    void MouseDown(uint8_t button, int x, int y, uint8_t clicks = 1);
    void MouseUp(uint8_t button, int x, int y);
    void Wheel(float notches);
    void Activate(bool active);
    void RequestClose();
    void Expose();
    // Where the cursor is, as IsUnderCursor and GetCursorClientPosition
    // tell it (MouseMove sets both).
    void PlaceCursor(bool inside, int x, int y);

    // What the program asked of the window.
    WindowSpec spec;
    std::vector<ShowCommand> shows;
    int foregroundCalls = 0;
    bool captured = false;
    bool cursorInside = false;
    int cursorX = 0;
    int cursorY = 0;
    FrameBorders borders;

private:
    HeadlessWindowSystem& mHeadless;
    ShowState mState = ShowState::Hidden;
    ShowState mShownState = ShowState::Normal; // the state before minimising
    bool mActive = false;
    int mX = 0;
    int mY = 0;
    uint8_t mModifiers = 0;
};

// Clipboard text kept in memory.
class HeadlessClipboard : public Clipboard {
public:
    bool SetUtf8(const std::string& utf8) override;
    std::string GetUtf8() override { return text; }

    std::string text;      // UTF-8
    bool available = true; // false: the clipboard cannot be used
};

// Records cursors and what is shown.
class HeadlessCursors : public CursorSystem {
public:
    struct Made {
        bool color = false;
        int width = 0;
        int height = 0;
        int hotX = 0;
        int hotY = 0;
        std::vector<uint8_t> andMask, xorMask; // monochrome
        std::vector<uint32_t> pixels;          // colour, width x height
        StandardCursor standard = StandardCursor::Arrow;
        bool isStandard = false;
    };

    CursorId CreateMaskCursor(const uint8_t* andMask, const uint8_t* xorMask, int width, int height, int hotX,
                              int hotY) override;
    using CursorSystem::CreateMaskCursor;
    CursorId CreateColorCursor(const uint32_t* pixels, int width, int height, int pitchPixels, int hotX,
                               int hotY) override;
    CursorId GetStandardCursor(StandardCursor cursor) override;
    void DestroyCursor(CursorId cursor) override;
    void SetCursor(CursorId cursor) override;
    CursorId CurrentCursor() const override { return current; }
    void ShowCursor(bool show) override { shown = show; }
    bool IsCursorShown() const override { return shown; }
    void WarpCursor(Window& window, int x, int y) override;

    std::map<CursorId, Made> cursors; // the live ones
    CursorId current = 0;
    bool shown = true;
    int setCalls = 0;
    struct Warp {
        Window* window;
        int x, y;
    };
    std::vector<Warp> warps;

private:
    CursorId Keep(Made made);

    CursorId mNext = 1;
};

// The windowing system for tests and runs without a display.
class HeadlessWindowSystem : public WindowSystem {
public:
    std::unique_ptr<Window> CreateMainWindow(const WindowSpec& spec) override;
    ScreenMetrics Screen() override { return screen; }
    Clipboard& GetClipboard() override { return clipboard; }
    CursorSystem& Cursors() override { return cursors; }
    void AllowScreenSaver(bool allow) override { screenSaverAllowed = allow; }

    // The latest main window made and still alive; null when none is.
    HeadlessWindow* MainWindow() const;
    // The session asks the program to end.
    void EndSession();
    // The translation's state (held keys and buttons, the wheel's rest).
    const InputTranslator& Translation() { return Translator(); }

    ScreenMetrics screen{1280, 1024, {0, 0, 1280, 994}, 60, 32};
    bool failCreate = false; // CreateMainWindow fails
    bool screenSaverAllowed = true;
    int windowsCreated = 0;
    HeadlessClipboard clipboard;
    HeadlessCursors cursors;

protected:
    void CollectInput() override {}

private:
    friend class HeadlessWindow;
    void Send(const InputEvent& event, Window* window) { Deliver(event, window); }
    void Forget(HeadlessWindow* window);

    std::vector<HeadlessWindow*> mMainWindows;
};

} // namespace Quib
