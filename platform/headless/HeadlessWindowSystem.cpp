#include "platform/headless/HeadlessWindowSystem.h"

#include "platform/MessageSink.h"

#include <algorithm>

namespace Quib {

namespace {

uint8_t ModifierOf(uint8_t vk)
{
    switch (vk) {
    case VK_SHIFT: return InputEvent::Shift;
    case VK_CONTROL: return InputEvent::Ctrl;
    case VK_MENU: return InputEvent::Alt;
    default: return 0;
    }
}

InputEvent Event(InputEvent::Type type, int x = 0, int y = 0)
{
    InputEvent event;
    event.type = type;
    event.x = x;
    event.y = y;
    return event;
}

} // namespace

// ---------------------------------------------------------------- window

HeadlessWindow::HeadlessWindow(HeadlessWindowSystem& system, const WindowSpec& windowSpec)
    : Window(system, windowSpec.title), spec(windowSpec), mHeadless(system)
{
    const ScreenMetrics screen = system.Screen();
    if (spec.mode == WindowMode::FullScreen) {
        spec.width = screen.width;
        spec.height = screen.height;
        mX = mY = 0;
    } else {
        mX = spec.x != WindowSpec::kAnyPosition ? spec.x : screen.workArea.left;
        mY = spec.y != WindowSpec::kAnyPosition ? spec.y : screen.workArea.top;
    }
    if (spec.visible)
        mState = ShowState::Normal;
}

HeadlessWindow::~HeadlessWindow()
{
    mHeadless.Forget(this);
}

void HeadlessWindow::SetTitle(std::u16string title)
{
    spec.title = title;
    Window::SetTitle(std::move(title));
}

void HeadlessWindow::GetClientSize(int& width, int& height) const
{
    if (mState == ShowState::Maximised) {
        const ScreenRect area = mHeadless.screen.workArea;
        width = area.Width();
        height = area.Height();
        return;
    }
    width = spec.width;
    height = spec.height;
}

void HeadlessWindow::GetPosition(int& x, int& y) const
{
    x = mX;
    y = mY;
}

void HeadlessWindow::Move(int x, int y)
{
    if (x == mX && y == mY)
        return;
    Input(Event(InputEvent::Moved, x, y));
}

bool HeadlessWindow::GetCursorClientPosition(int& x, int& y) const
{
    x = cursorX;
    y = cursorY;
    return true;
}

void HeadlessWindow::Show(ShowCommand command)
{
    shows.push_back(command);
    int width = 0, height = 0;
    switch (command) {
    case ShowCommand::Hide:
        if (mActive)
            Input(Event(InputEvent::FocusLost));
        mState = ShowState::Hidden;
        break;
    case ShowCommand::Show:
    case ShowCommand::ShowNormal:
    case ShowCommand::ShowNoActivate:
        if (mState == ShowState::Hidden)
            mState = mShownState;
        if (mState == ShowState::Minimised ||
            (command == ShowCommand::ShowNormal && mState == ShowState::Maximised)) {
            mShownState = ShowState::Normal;
            mState = ShowState::Normal;
            GetClientSize(width, height);
            Input(Event(InputEvent::Restored, width, height));
        }
        if (command != ShowCommand::ShowNoActivate && !mActive)
            Input(Event(InputEvent::FocusGained));
        break;
    case ShowCommand::Minimise:
        if (mState != ShowState::Minimised) {
            Input(Event(InputEvent::Minimised));
            if (mActive)
                Input(Event(InputEvent::FocusLost));
        }
        break;
    case ShowCommand::Maximise:
        if (mState != ShowState::Maximised) {
            const ScreenRect area = mHeadless.screen.workArea;
            Input(Event(InputEvent::Maximised, area.Width(), area.Height()));
        }
        if (!mActive)
            Input(Event(InputEvent::FocusGained));
        break;
    case ShowCommand::Restore:
        if (mState != ShowState::Normal) {
            Input(Event(InputEvent::Restored, spec.width, spec.height));
        }
        if (!mActive)
            Input(Event(InputEvent::FocusGained));
        break;
    }
}

void HeadlessWindow::SetForeground()
{
    ++foregroundCalls;
    if (mState == ShowState::Hidden)
        return;
    if (!mActive)
        Input(Event(InputEvent::FocusGained));
}

void HeadlessWindow::Input(const InputEvent& event)
{
    switch (event.type) {
    case InputEvent::FocusGained: mActive = true; break;
    case InputEvent::FocusLost: mActive = false; break;
    case InputEvent::Minimised:
        if (mState != ShowState::Minimised && mState != ShowState::Hidden)
            mShownState = mState;
        mState = ShowState::Minimised;
        break;
    case InputEvent::Maximised: mState = mShownState = ShowState::Maximised; break;
    case InputEvent::Restored: mState = mShownState = ShowState::Normal; break;
    case InputEvent::Moved:
        mX = event.x;
        mY = event.y;
        break;
    case InputEvent::MouseMove:
    case InputEvent::MouseDown:
    case InputEvent::MouseUp: {
        int width = 0, height = 0;
        GetClientSize(width, height);
        PlaceCursor(event.x >= 0 && event.y >= 0 && event.x < width && event.y < height, event.x, event.y);
        break;
    }
    default: break;
    }
    mHeadless.Send(event, this);
}

void HeadlessWindow::KeyDown(uint8_t vk, bool repeat)
{
    mModifiers |= ModifierOf(vk);
    InputEvent event = Event(InputEvent::KeyDown);
    event.vk = vk;
    event.repeat = repeat;
    event.modifiers = mModifiers;
    Input(event);
}

void HeadlessWindow::KeyUp(uint8_t vk)
{
    mModifiers &= uint8_t(~ModifierOf(vk));
    InputEvent event = Event(InputEvent::KeyUp);
    event.vk = vk;
    event.modifiers = mModifiers;
    Input(event);
}

void HeadlessWindow::Type(std::string_view utf8)
{
    InputEvent event = Event(InputEvent::Text);
    event.text = std::string(utf8);
    Input(event);
}

void HeadlessWindow::MouseMove(int x, int y)
{
    Input(Event(InputEvent::MouseMove, x, y));
}

void HeadlessWindow::MouseDown(uint8_t button, int x, int y, uint8_t clicks)
{
    InputEvent event = Event(InputEvent::MouseDown, x, y);
    event.button = button;
    event.clicks = clicks;
    Input(event);
}

void HeadlessWindow::MouseUp(uint8_t button, int x, int y)
{
    InputEvent event = Event(InputEvent::MouseUp, x, y);
    event.button = button;
    Input(event);
}

void HeadlessWindow::Wheel(float notches)
{
    InputEvent event = Event(InputEvent::Wheel);
    event.wheel = notches;
    Input(event);
}

void HeadlessWindow::Activate(bool active)
{
    Input(Event(active ? InputEvent::FocusGained : InputEvent::FocusLost));
}

void HeadlessWindow::RequestClose()
{
    Input(Event(InputEvent::CloseRequest));
}

void HeadlessWindow::Expose()
{
    Input(Event(InputEvent::Exposed));
}

void HeadlessWindow::PlaceCursor(bool inside, int x, int y)
{
    cursorInside = inside;
    cursorX = x;
    cursorY = y;
}

// ---------------------------------------------------------------- clipboard and cursors

bool HeadlessClipboard::SetUtf8(const std::string& utf8)
{
    if (!available)
        return false;
    text = utf8;
    return true;
}

namespace {

HeadlessCursors::Made SizedCursor(bool color, int width, int height, int hotX, int hotY)
{
    HeadlessCursors::Made made;
    made.color = color;
    made.width = width;
    made.height = height;
    made.hotX = hotX;
    made.hotY = hotY;
    return made;
}

} // namespace

CursorId HeadlessCursors::CreateMaskCursor(const uint8_t* andMask, const uint8_t* xorMask, int width, int height,
                                           int hotX, int hotY)
{
    if (!CheckMaskCursor(andMask, xorMask, width, height, hotX, hotY))
        return 0;
    Made made = SizedCursor(false, width, height, hotX, hotY);
    const size_t bytes = size_t(width / 8) * size_t(height);
    made.andMask.assign(andMask, andMask + bytes);
    made.xorMask.assign(xorMask, xorMask + bytes);
    return Keep(std::move(made));
}

CursorId HeadlessCursors::CreateColorCursor(const uint32_t* pixels, int width, int height, int pitchPixels,
                                            int hotX, int hotY)
{
    if (!CheckColorCursor(pixels, width, height, pitchPixels, hotX, hotY))
        return 0;
    Made made = SizedCursor(true, width, height, hotX, hotY);
    for (int y = 0; y < height; ++y)
        made.pixels.insert(made.pixels.end(), pixels + size_t(y) * size_t(pitchPixels),
                           pixels + size_t(y) * size_t(pitchPixels) + width);
    return Keep(std::move(made));
}

CursorId HeadlessCursors::GetStandardCursor(StandardCursor cursor)
{
    for (const auto& [id, made] : cursors)
        if (made.isStandard && made.standard == cursor)
            return id;
    Made made;
    made.isStandard = true;
    made.standard = cursor;
    return Keep(std::move(made));
}

CursorId HeadlessCursors::Keep(Made made)
{
    cursors[mNext] = std::move(made);
    return mNext++;
}

void HeadlessCursors::DestroyCursor(CursorId cursor)
{
    auto it = cursors.find(cursor);
    if (it == cursors.end() || it->second.isStandard)
        return;
    cursors.erase(it);
    if (current == cursor)
        current = 0;
}

void HeadlessCursors::SetCursor(CursorId cursor)
{
    ++setCalls;
    current = cursors.count(cursor) ? cursor : 0;
}

void HeadlessCursors::WarpCursor(Window& window, int x, int y)
{
    warps.push_back({&window, x, y});
    if (auto* headless = dynamic_cast<HeadlessWindow*>(&window))
        headless->MouseMove(x, y);
}

// ---------------------------------------------------------------- system

std::unique_ptr<Window> HeadlessWindowSystem::CreateMainWindow(const WindowSpec& spec)
{
    if (failCreate) {
        OutputDebugString("Window: the main window could not be made\n");
        return nullptr;
    }
    auto window = std::make_unique<HeadlessWindow>(*this, spec);
    mMainWindows.push_back(window.get());
    ++windowsCreated;
    return window;
}

HeadlessWindow* HeadlessWindowSystem::MainWindow() const
{
    return mMainWindows.empty() ? nullptr : mMainWindows.back();
}

void HeadlessWindowSystem::Forget(HeadlessWindow* window)
{
    std::erase(mMainWindows, window);
}

void HeadlessWindowSystem::EndSession()
{
    InputEvent event;
    event.type = InputEvent::SessionEnd;
    Window* target = SessionWindow();
    Deliver(event, target ? target : MainWindow());
}

} // namespace Quib
