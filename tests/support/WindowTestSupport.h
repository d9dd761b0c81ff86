#pragma once
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessWindowSystem.h"

#include <initializer_list>
#include <iterator>
#include <vector>

namespace Quib::Testing {

// Every message the window system has waiting now (input, posted, paints,
// due timers), in the order PeekMessage gives them.
inline std::vector<WindowMessage> DrainMessages(WindowSystem& system)
{
    std::vector<WindowMessage> messages;
    WindowMessage message;
    while (system.PeekMessage(message) && messages.size() < 10000)
        messages.push_back(message);
    return messages;
}

// Presses the keys in order and lets them go in reverse order.
inline void PressChord(HeadlessWindow& window, std::initializer_list<uint8_t> keys)
{
    for (uint8_t vk : keys)
        window.KeyDown(vk);
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it)
        window.KeyUp(*it);
}

} // namespace Quib::Testing
