#include "platform/WindowSystem.h"

#include "platform/Clock.h"
#include "platform/headless/HeadlessPresenter.h"
#include "platform/ServiceSlot.h"
#include "platform/headless/HeadlessWindowSystem.h"

#include <algorithm>

namespace Quib {

namespace {
constinit ServiceSlot<WindowSystem, HeadlessWindowSystem> gWindowSystem;
} // namespace

WindowSystem& GetWindowSystem()
{
    return gWindowSystem.Get();
}

void SetWindowSystem(WindowSystem* system)
{
    gWindowSystem.Set(system);
}

WindowSystem::~WindowSystem() = default;

std::unique_ptr<Presenter> WindowSystem::CreatePresenter(Window& window)
{
    const int bits = Screen().bitsPerPixel;
    SurfacePixelFormat format = bits == 16 ? SurfacePixelFormat::R5G6B5() : SurfacePixelFormat::X8R8G8B8();
    format.bitCount = uint32_t(std::max(bits, 0));
    return std::make_unique<HeadlessPresenter>(&window, format);
}

std::unique_ptr<Window> WindowSystem::CreateInvisibleWindow(std::u16string title)
{
    auto window = std::make_unique<Window>(*this, std::move(title));
    std::lock_guard lock(mMutex);
    if (!mSessionWindow)
        mSessionWindow = window.get();
    return window;
}

void WindowSystem::Register(Window* window)
{
    std::lock_guard lock(mMutex);
    mWindows.push_back(window);
    mTranslator.ForgetActivation();
}

void WindowSystem::Unregister(Window* window)
{
    std::lock_guard lock(mMutex);
    std::erase(mWindows, window);
    std::erase(mNeedPaint, window);
    std::erase_if(mTimers, [window](const Timer& timer) { return timer.window == window; });
    std::erase_if(mQueue, [window](const WindowMessage& message) { return message.window == window; });
    if (mSessionWindow == window)
        mSessionWindow = nullptr;
}

bool WindowSystem::IsLive(const Window* window) const
{
    std::lock_guard lock(mMutex);
    return std::find(mWindows.begin(), mWindows.end(), window) != mWindows.end();
}

Window* WindowSystem::SessionWindow() const
{
    std::lock_guard lock(mMutex);
    return mSessionWindow;
}

void WindowSystem::SetTimer(Window* window, uint32_t id, uint32_t periodMs)
{
    std::lock_guard lock(mMutex);
    const uint32_t now = GetTickCount();
    for (Timer& timer : mTimers) {
        if (timer.window == window && timer.id == id) {
            timer.periodMs = periodMs;
            timer.lastMs = now;
            return;
        }
    }
    mTimers.push_back({window, id, periodMs, now});
}

bool WindowSystem::KillTimer(Window* window, uint32_t id)
{
    std::lock_guard lock(mMutex);
    return std::erase_if(mTimers, [&](const Timer& timer) { return timer.window == window && timer.id == id; }) > 0;
}

void WindowSystem::Enqueue(const WindowMessage& message)
{
    if (message.message == WM_PAINT) {
        // Paints wait until nothing else does, one per window.
        if (std::find(mNeedPaint.begin(), mNeedPaint.end(), message.window) == mNeedPaint.end())
            mNeedPaint.push_back(message.window);
        return;
    }
    mQueue.push_back(message);
}

void WindowSystem::Deliver(const InputEvent& event, Window* window)
{
    std::lock_guard lock(mMutex);
    if (!window || std::find(mWindows.begin(), mWindows.end(), window) == mWindows.end())
        return;
    mScratch.clear();
    mTranslator.Translate(event, window, mScratch);
    for (const WindowMessage& message : mScratch) {
        if (message.message >= WM_MOUSEMOVE && message.message <= WM_MBUTTONDBLCLK)
            window->SetLastMousePosition(LowWordSigned(message.lParam), HighWordSigned(message.lParam));
        Enqueue(message);
    }
}

bool WindowSystem::PostMessage(Window* window, uint32_t message, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard lock(mMutex);
    if (!window || std::find(mWindows.begin(), mWindows.end(), window) == mWindows.end())
        return false;
    Enqueue({window, message, wParam, lParam});
    return true;
}

size_t WindowSystem::QueuedMessageCount() const
{
    std::lock_guard lock(mMutex);
    return mQueue.size();
}

bool WindowSystem::PeekMessage(WindowMessage& message)
{
    std::lock_guard lock(mMutex);
    if (mQueue.empty())
        CollectInput();
    if (!mQueue.empty()) {
        message = mQueue.front();
        mQueue.pop_front();
        return true;
    }
    if (!mNeedPaint.empty()) {
        message = {mNeedPaint.front(), WM_PAINT, 0, 0};
        mNeedPaint.erase(mNeedPaint.begin());
        return true;
    }
    if (!mTimers.empty()) {
        // Round robin, so that a short timer cannot starve the others.
        const uint32_t now = GetTickCount();
        for (size_t n = 0; n < mTimers.size(); ++n) {
            Timer& timer = mTimers[(mNextTimer + n) % mTimers.size()];
            if (now - timer.lastMs >= timer.periodMs) {
                timer.lastMs = now;
                message = {timer.window, WM_TIMER, timer.id, 0};
                mNextTimer = (mNextTimer + n + 1) % mTimers.size();
                return true;
            }
        }
    }
    return false;
}

LPARAM WindowSystem::DispatchMessage(const WindowMessage& message)
{
    if (!IsLive(message.window))
        return 0;
    if (WindowProcedure* procedure = message.window->Procedure())
        return procedure->WindowProc(*message.window, message.message, message.wParam, message.lParam);
    return DefWindowProc(*message.window, message.message, message.wParam, message.lParam);
}

LPARAM WindowSystem::DefWindowProc(Window& window, uint32_t message, WPARAM wParam, LPARAM)
{
    if (message == WM_SYSKEYDOWN && wParam == VK_F4)
        PostMessage(&window, WM_CLOSE);
    return 0;
}

} // namespace Quib
