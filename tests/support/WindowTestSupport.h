#pragma once
#include "platform/WindowSystem.h"

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

} // namespace Quib::Testing
