#pragma once
#include "platform/InputTranslator.h"

#include <SDL.h>

#include <vector>

namespace Quib {

// The virtual key of an SDL key; 0 for keys that have none.
// Letters follow the keyboard layout, digits and punctuation the key's
// place; the number pad gives VK_NUMPAD0..9 and VK_DECIMAL with Num Lock
// on, the cursor keys it carries with Num Lock off.
uint8_t VirtualKeyFromSdl(const SDL_Keysym& key);

// One SDL event as an input event; false for events windows do not see.
bool SdlEventToInput(const SDL_Event& event, InputEvent& out);

// The SDL window an event belongs to; 0 for none (the session's end).
uint32_t SdlEventWindowId(const SDL_Event& event);

// SDL events in, window messages out: the two steps above for one window.
class SdlEventTranslator {
public:
    void Translate(const SDL_Event& event, Window* window, std::vector<WindowMessage>& out);
    InputTranslator& Input() { return mInput; }

private:
    InputTranslator mInput;
};

} // namespace Quib
