#include "platform/Window.h"

#include "platform/WindowSystem.h"

namespace Quib {

Window::Window(WindowSystem& system, std::u16string title) : mSystem(system), mTitle(std::move(title))
{
    mSystem.Register(this);
}

Window::~Window()
{
    mSystem.Unregister(this);
}

bool Window::GetCursorClientPosition(int& x, int& y) const
{
    x = y = 0;
    return false;
}

void Window::GetLastMousePosition(int& x, int& y) const
{
    const uint64_t packed = mLastMouse.load(std::memory_order_acquire);
    x = int32_t(uint32_t(packed));
    y = int32_t(uint32_t(packed >> 32));
}

void Window::SetLastMousePosition(int x, int y)
{
    mLastMouse.store(uint64_t(uint32_t(x)) | (uint64_t(uint32_t(y)) << 32), std::memory_order_release);
}

void Window::SetTimer(uint32_t id, uint32_t periodMs)
{
    mSystem.SetTimer(this, id, periodMs);
}

bool Window::KillTimer(uint32_t id)
{
    return mSystem.KillTimer(this, id);
}

} // namespace Quib
