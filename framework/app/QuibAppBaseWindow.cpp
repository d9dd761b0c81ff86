// The main window: its messages, the queue they wait in, and the display
// set up for it.
#include "framework/app/DDInterface.h"
#include "framework/app/AdapterTester.h"
#include "framework/app/QuibAppBase.h"
#include "framework/files/PrintfFormat.h"
#include "framework/graphics/DDImage.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Clock.h"
#include "platform/MessageSink.h"
#include "platform/TextCodecs.h"
#include "platform/WindowSystem.h"

#include <algorithm>

namespace Quib {

namespace {

// System commands the procedure looks at.
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_NEXTWINDOW = 0xF040;
constexpr WPARAM SC_PREVWINDOW = 0xF050;
constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;

bool IsQueuedMessage(uint32_t message)
{
    switch (message) {
    case WM_MOVE:
    case WM_SIZE:
    case WM_CLOSE:
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_ACTIVATEAPP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_TIMER:
    case WM_MOUSEWHEEL: return true;
    default: return message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP;
    }
}

bool IsKeyMessage(uint32_t message)
{
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
}

} // namespace

LPARAM QuibAppBase::WindowProc(Window& window, uint32_t message, WPARAM wParam, LPARAM lParam)
{
    WindowSystem& system = window.System();
    const auto byDefault = [&] { return system.DefWindowProc(window, message, wParam, lParam); };
    const bool isMain = &window == mainWindow.get();

    LPARAM filtered = 0;
    if (screenSaverMode && ScreenSaverFilter(window, message, wParam, lParam, filtered))
        return filtered;

    switch (message) {
    case WM_DESTROY:
        OutputDebugString(StrFormat("DESTROYED HWND: %d\r\n", int(reinterpret_cast<uintptr_t>(&window))));
        return byDefault();
    case WM_ENABLE: windowDisabled = wParam == 0; return byDefault();
    case WM_PAINT:
        if (initialized && !hidden) {
            if (inMainLoop)
                Redraw(nullptr);
            return 0;
        }
        return byDefault();
    case WM_QUERYOPEN: return CanRestore() ? byDefault() : 0;
    case WM_ERASEBKGND: return 1;
    case WM_ENDSESSION: RequestExit(); return byDefault();
    case WM_SETCURSOR:
        if (!hidden)
            RefreshCursor();
        return 1;
    case WM_NCLBUTTONDOWN: {
        const LPARAM result = byDefault();
        ResetUpdateTimer();
        return result;
    }
    case WM_SYSCHAR: return IsHandledSysChar(int(wParam)) ? 0 : byDefault();
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SCREENSAVE)
            return loadingAcknowledged && windowed ? byDefault() : 0;
        if ((wParam & 0xFFF0) == SC_MONITORPOWER) {
            monitorPowerTime = GetTickCount();
            return loadingAcknowledged ? byDefault() : 0;
        }
        return byDefault();
    case WM_ACTIVATEAPP:
        if (!playing && isMain)
            active = wParam != 0;
        break;
    default: break;
    }
    if (notifyMessage != 0 && message == notifyMessage && isMain) {
        OnInstanceNotify(wParam);
        return 0;
    }
    if (!IsQueuedMessage(message))
        return byDefault();
    if (popupShown)
        return byDefault();

    if (IsKeyMessage(message)) {
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        if (wParam == VK_CONTROL)
            ctrlDown = down;
        else if (wParam == VK_MENU)
            altDown = down;
        if (down && OnRawKeyDown(int(wParam), ctrlDown, altDown))
            return 0;
    }
    if (playing) {
        if (message == WM_CHAR)
            HandlePlaybackKey(int(wParam));
        else if (message == WM_KEYDOWN)
            DebugKey(int(wParam));
    }
    QueueMessage(window, message, wParam, lParam);

    if (message == WM_SIZE)
        minimisedNow = wParam == SIZE_MINIMIZED;
    else if (message == WM_SYSKEYDOWN && wParam != VK_F4)
        return 0; // only Alt+F4 reaches the default handling
    else if (message == WM_CLOSE) {
        OnCloseRequest();
        return 0; // the close itself is applied from the queue
    }
    return byDefault();
}

void QuibAppBase::QueueMessage(Window& window, uint32_t message, WPARAM wParam, LPARAM lParam)
{
    if (!messageQueue.empty()) {
        const uint32_t last = messageQueue.back().message;
        if (last == WM_CLOSE)
            return; // nothing after a close
        if (message == WM_TIMER && last == WM_TIMER)
            return;
    }
    if (message == WM_SYSCOLORCHANGE || message == WM_DISPLAYCHANGE) {
        for (const WindowMessage& queued : messageQueue)
            if (queued.message == WM_SYSCOLORCHANGE || queued.message == WM_DISPLAYCHANGE)
                return;
    }
    messageQueue.push_back({&window, message, wParam, lParam});
}

bool QuibAppBase::ProcessDeferredMessage()
{
    if (messageQueue.empty())
        return false;
    const WindowMessage m = messageQueue.front();
    messageQueue.pop_front();
    if (recording && !exiting)
        RecordDemoMessage(m);
    const bool ofMain = m.window != nullptr && m.window == mainWindow.get();

    if (!playing) {
        switch (m.message) {
        case WM_MOVE:
            if (ofMain && windowedWanted && mainWindow->State() == ShowState::Normal) {
                int x = 0, y = 0;
                mainWindow->GetPosition(x, y);
                const FrameBorders borders = mainWindow->Borders();
                preferredX = x - borders.left;
                preferredY = y - borders.top;
            }
            break;
        case WM_SIZE:
            if (ofMain && !exiting) {
                ApplyMinimised(m.wParam == SIZE_MINIMIZED);
                OnActiveChanged();
                if (m.wParam == SIZE_MAXIMIZED)
                    SwitchScreenModeWindowed(false);
            }
            break;
        case WM_SYSCOLORCHANGE:
        case WM_DISPLAYCHANGE:
            widgetManager->PropagateSystemChange();
            widgetManager->InvalidateAll();
            break;
        case WM_ACTIVATEAPP:
            if (ofMain && !hidden && !exiting) {
                OnActiveChanged();
                if (active && !windowed)
                    widgetManager->InvalidateAll();
                if (urlOpening && !active)
                    OnOpenUrlDone(urlBeingOpened);
            }
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: ApplyKeyDown(m); break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            lastInputTime = windowTimerTick;
            widgetManager->HandleKeyUp(int(m.wParam));
            break;
        case WM_CHAR:
            lastInputTime = windowTimerTick;
            widgetManager->HandleKeyChar(char16_t(m.wParam));
            break;
        case WM_TIMER:
            if (!hidden && inMainLoop)
                ApplyTimer();
            break;
        case WM_MOUSEWHEEL: {
            // Steps below a notch add up instead of being cut off; turning
            // the wheel back drops what was left of the other direction.
            const int delta = HighWordSigned(LPARAM(m.wParam));
            if ((delta > 0 && wheelRest < 0) || (delta < 0 && wheelRest > 0))
                wheelRest = 0;
            wheelRest += delta;
            const int notches = wheelRest / WHEEL_DELTA;
            wheelRest -= notches * WHEEL_DELTA;
            if (notches != 0) {
                if (recording)
                    RecordDemoWheel(notches);
                widgetManager->HandleMouseWheel(notches);
            }
            break;
        }
        default:
            if (m.message >= WM_MOUSEMOVE && m.message <= WM_MBUTTONUP && !hidden)
                ApplyMouseMessage(m);
            break;
        }
    }
    if (m.message == WM_CLOSE && m.window != nullptr &&
        (m.window == mainWindow.get() || m.window == invisibleWindow.get())) {
        closedByUser = true;
        RequestExit();
    }
    return !messageQueue.empty();
}

void QuibAppBase::ApplyMinimised(bool nowMinimised)
{
    if (nowMinimised == minimised)
        return;
    minimised = nowMinimised;
    if (!nowMinimised) {
        if (muteWhenInactive)
            Unmute(true);
        widgetManager->InvalidateAll();
    } else if (muteWhenInactive) {
        Mute(true);
    }
}

void QuibAppBase::ApplyKeyDown(const WindowMessage& m)
{
    lastInputTime = windowTimerTick;
    const int key = int(m.wParam);
    if (m.message == WM_SYSKEYDOWN && key == VK_RETURN && !fullScreenForced && !fullScreenImpossible) {
        SwitchScreenModeWindowed(!windowedWanted);
        std::fill(std::begin(widgetManager->keyTable), std::end(widgetManager->keyTable), uint8_t(0));
        ctrlDown = false;
        altDown = false;
        return;
    }
    if (key == 'D' && widgetManager->IsKeyDown(VK_CONTROL) && widgetManager->IsKeyDown(VK_MENU))
        debugKeysEnabled = !debugKeysEnabled;
    if (debugKeysEnabled && DebugKey(key))
        return;
    widgetManager->HandleKeyDown(key);
}

void QuibAppBase::ApplyTimer()
{
    const uint32_t now = GetTickCount();
    if (now - windowTimerTick > 500)
        timerResumeTime = now;
    windowTimerTick = now;
    CheckUrlOpening(now);

    int x = 0, y = 0;
    bool inside = false;
    if (mainWindow && mainWindow->IsUnderCursor() && mainWindow->GetCursorClientPosition(x, y)) {
        const Rect area = display ? Rect(0, 0, display->presentRect.x + display->presentRect.width,
                                         display->presentRect.y + display->presentRect.height)
                                  : Rect(0, 0, appWidth, appHeight);
        inside = x >= 0 && y >= 0 && x < area.width && y < area.height;
    } else if (mainWindow) {
        mainWindow->GetLastMousePosition(x, y);
    }
    if (inside == mouseInside)
        return;
    if (recording)
        RecordDemoEvent(inside ? 7 : 8);
    if (!inside) {
        widgetManager->ScaleMousePoint(x, y);
        widgetManager->mouseX = x;
        widgetManager->mouseY = y;
        widgetManager->HandleMouseExit();
    }
    mouseInside = inside;
    RefreshCursor();
}

void QuibAppBase::ApplyMouseMessage(const WindowMessage& m)
{
    int x = LowWordSigned(m.lParam);
    int y = HighWordSigned(m.lParam);
    widgetManager->ScaleMousePoint(x, y);
    lastInputTime = windowTimerTick;
    if (!mouseInside) {
        if (recording)
            RecordDemoEvent(7);
        mouseInside = true;
        RefreshCursor();
    }
    if (widgetManager->buttonsOnPressed != 0)
        widgetManager->HandleMouseDrag(x, y);
    else
        widgetManager->SetMousePosition(x, y);

    const bool othersHeld = (m.wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
    const auto press = [&](ClickCode code) {
        if (mainWindow)
            mainWindow->SetCapture(true);
        widgetManager->HandleMouseDown(x, y, code);
    };
    const auto release = [&](ClickCode code) {
        if (!othersHeld && mainWindow)
            mainWindow->SetCapture(false);
        widgetManager->HandleMouseUp(x, y, code);
    };
    switch (m.message) {
    case WM_LBUTTONDOWN: press(1); break;
    case WM_LBUTTONDBLCLK: press(2); break;
    case WM_RBUTTONDOWN: press(-1); break;
    case WM_RBUTTONDBLCLK: press(-2); break;
    case WM_MBUTTONDOWN: press(3); break;
    case WM_LBUTTONUP: release(1); break;
    case WM_RBUTTONUP: release(-1); break;
    case WM_MBUTTONUP: release(3); break;
    default: break;
    }
}

void QuibAppBase::OnActiveChanged()
{
    const bool focus = active && !minimised;
    if (focus == hasFocus)
        return;
    hasFocus = focus;
    if (focus) {
        if (muteWhenInactive)
            Unmute(true);
        widgetManager->OnAppFocusGained();
        OnGotFocus();
    } else {
        if (muteWhenInactive)
            Mute(true);
        widgetManager->OnAppFocusLost();
        OnLostFocus();
        if (mainWindow)
            mainWindow->SetCapture(false);
        widgetManager->ReleaseHeldButtons();
    }
}

void QuibAppBase::OnInstanceNotify(WPARAM wParam)
{
    if (wParam != 0 || !mainWindow)
        return;
    if (mainWindow->IsMinimised())
        mainWindow->Show(ShowCommand::Restore);
    mainWindow->SetForeground();
}

bool QuibAppBase::IsHandledSysChar(int ch)
{
    return ch == '\r' || ch == 'r' || ch == 'R';
}

bool QuibAppBase::CanRestore()
{
    return !windowDisabled;
}

void QuibAppBase::DestroyMainWindow()
{
    if (!mainWindow)
        return;
    mainWindow->SetProcedure(nullptr);
    Window* old = mainWindow.get();
    {
        std::lock_guard lock(mainWindowMutex);
        mainWindow.reset();
    }
    // Queued messages of the old window now belong to none.
    for (WindowMessage& queued : messageQueue)
        if (queued.window == old)
            queued.window = nullptr;
}

bool QuibAppBase::CreateMainWindow()
{
    if (mainWindow) {
        DestroyMainWindow();
        widgetManager->screenImage = nullptr;
    }
    WindowSystem& system = GetWindowSystem();
    const ScreenMetrics screen = system.Screen();
    WindowSpec spec;
    spec.title = windowTitle;
    spec.width = appWidth;
    spec.height = appHeight;
    const bool inWindow = playing || windowedWanted;
    if (!inWindow) {
        spec.mode = WindowMode::FullScreen;
        spec.x = 0;
        spec.y = 0;
    }
    std::unique_ptr<Window> made = system.CreateMainWindow(spec);
    if (!made)
        return false;
    {
        std::lock_guard lock(mainWindowMutex);
        mainWindow = std::move(made);
    }
    if (inWindow) {
        const FrameBorders borders = mainWindow->Borders();
        const int width = appWidth + borders.left + borders.right;
        const int height = appHeight + borders.top + borders.bottom;
        const ScreenRect work = screen.workArea;
        int x = 0, y = 0;
        if (preferredX != -1) {
            // Kept at least 4 pixels inside the work area.
            x = std::max(preferredX, work.left + 4);
            y = std::max(preferredY, work.top + 4);
            if (x + width >= work.right - 4)
                x = work.right - width - 4;
            if (y + height >= work.bottom - 4)
                y = work.bottom - height - 4;
        } else {
            x = work.left + (work.Width() - width) / 2;
            y = work.top + int(0.382 * (work.Height() - height));
        }
        mainWindow->Move(x + borders.left, y + borders.top);
        windowed = true;
    } else {
        windowed = false;
    }
    if (screen.width == appWidth && screen.height == appHeight)
        mainWindow->Move(0, 0);
    mainWindow->SetProcedure(this);

    if (!display) {
        display = displayFactory ? displayFactory(*this) : std::make_unique<DDInterface>(this);
        if (!display)
            display = std::make_unique<DDInterface>(this);
        if (!display->testerFactory) {
            // The capability test caches its outcome in the application's
            // settings and tests nothing while a demo plays.
            display->testerFactory = [this]() -> std::unique_ptr<DisplayTester> {
                auto tester = std::make_unique<AdapterTester>();
                tester->test.settings = Settings();
                tester->test.demoPlaying = [this] { return playing; };
                return tester;
            };
        }
        bool is3D = false;
        if (RegistryReadBool("Is3D", is3D)) {
            if (auto3D) {
                auto3D = false;
                check3D = true;
            }
            if (is3D)
                check3D = true;
            display->is3D = is3D;
        }
    }

    const int result = InitDisplay();
    if (display->freshTestResult)
        RegistryDeleteValue(u"Is3D");
    if (windowed && result == RESULT_INVALID_COLORDEPTH) {
        if (!fullScreenImpossible) {
            fullScreenForced = true;
            SwitchScreenModeWindowed(false);
            return mainWindow != nullptr;
        }
        ShowFatalErrorW(
            GetStringEntry("PLEASE_SET_COLOR_DEPTH", u"Please set your desktop color depth to 16 bit."));
        FatalExit(1);
        return false;
    }
    if (!windowed && (result == RESULT_EXCLUSIVE_FAIL || result == RESULT_DISPCHANGE_FAIL)) {
        // Full screen cannot be had: a window it is, even where one was
        // forced because it does not fit.
        fullScreenImpossible = true;
        fullScreenForced = false;
        SwitchScreenModeWindowed(true);
        return mainWindow != nullptr;
    }
    if (result == RESULT_3D_FAIL || (result != RESULT_OK && display->is3D)) {
        ChangeDisplay(false, true);
        return mainWindow != nullptr;
    }
    if (result != RESULT_OK) {
        ShowFatalErrorW(GetStringEntry("FAILED_INIT_DIRECTDRAW", u"Failed to initialize DirectDraw: ") +
                        Utf8ToUtf16(DisplayResultName(result)) + u" " + Utf8ToUtf16(display->errorText));
        FatalExit(1);
        return false;
    }

    const bool wasActive = active;
    active = mainWindow->IsActive();
    minimisedNow = false;
    if (minimised) {
        if (muteWhenInactive)
            Unmute(true);
        minimised = false;
        OnActiveChanged();
    }
    if (active != wasActive)
        OnActiveChanged();

    RefreshAllImages();
    widgetManager->screenImage = display->screenImage;
    widgetManager->InvalidateAll();
    mainWindow->SetTimer(kWindowTimerId, uint32_t(std::max(framePeriodMs, 1)));
    return true;
}

int QuibAppBase::InitDisplay()
{
    if (!display)
        return RESULT_DD_CREATE_FAIL;
    BeforeDisplayInitHook();
    FreeAllImageBitBuffers();
    const int result = display->Init(mainWindow.get(), windowed);
    TakeDisplayRefreshRate();
    if (result != RESULT_OK)
        return result;
    const int x = (appWidth - display->drawWidth) / 2;
    const int y = (appHeight - display->drawHeight) / 2;
    drawArea = Rect(x, y, display->drawWidth, display->drawHeight);
    widgetManager->width = display->drawWidth + 2 * x;
    widgetManager->height = display->drawHeight + 2 * y;
    widgetManager->widgetSpaceRect = drawArea;
    widgetManager->windowRect = display->presentRect;
    AfterDisplayInitHook();
    return RESULT_OK;
}

void QuibAppBase::TakeDisplayRefreshRate()
{
    if (!display)
        return;
    refreshRate = std::max(display->refreshRate, 1);
    frameIntervalMs = display->FrameIntervalMs();
    if (recording)
        RecordDemoScreenMode(windowedWanted, refreshRate);
}

bool QuibAppBase::ScreenSaverFilter(Window& window, uint32_t message, WPARAM wParam, LPARAM lParam, LPARAM& result)
{
    if (screenSaverClosing)
        return false;
    result = 0;
    bool ends = false;
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CLOSE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: ends = true; break;
    case WM_MOUSEMOVE: {
        const int x = LowWordSigned(lParam);
        const int y = HighWordSigned(lParam);
        if (!screenSaverHaveCursor) {
            screenSaverHaveCursor = true;
            screenSaverCursorX = x;
            screenSaverCursorY = y;
            return true;
        }
        if (x == screenSaverCursorX && y == screenSaverCursorY)
            return false;
        screenSaverCursorX = x;
        screenSaverCursorY = y;
        if (++screenSaverMoves < 4)
            return true; // the first moves are swallowed
        ends = true;
        break;
    }
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE: ends = wParam == 0; break;
    case WM_SYSCOMMAND: {
        const WPARAM command = wParam & 0xFFF0;
        return command == SC_CLOSE || command == SC_NEXTWINDOW || command == SC_PREVWINDOW ||
               command == SC_SCREENSAVE;
    }
    default: break;
    }
    if (!ends || &window != mainWindow.get())
        return false;
    const bool settling = monitorPowerTime != 0 && GetTickCount() - monitorPowerTime < 1000;
    if (settling && (message == WM_ACTIVATE || message == WM_ACTIVATEAPP || message == WM_NCACTIVATE ||
                     message == WM_CLOSE || message == WM_MOUSEMOVE))
        return false;
    screenSaverClosing = true;
    window.System().PostMessage(&window, WM_CLOSE);
    return true;
}

} // namespace Quib
