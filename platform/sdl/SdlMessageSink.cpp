#include "platform/sdl/SdlMessageSink.h"

#include "platform/TextCodecs.h"
#include "platform/sdl/SdlWindowSystem.h"

#include <SDL.h>

#include <string>

namespace Quib {

std::vector<SdlMessageSink::Button> SdlMessageSink::ButtonsFor(unsigned style)
{
    switch (style & kMessageBoxButtonsMask) {
    case MB_OKCANCEL: return {{IDOK, "OK", true, false}, {IDCANCEL, "Cancel", false, true}};
    case MB_YESNO: return {{IDYES, "Yes", true, false}, {IDNO, "No", false, true}};
    default: return {{IDOK, "OK", true, true}};
    }
}

uint32_t SdlMessageSink::IconFlagsFor(unsigned style)
{
    switch (style & kMessageBoxIconMask) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

int SdlMessageSink::ClosedAnswer(unsigned style)
{
    for (const Button& button : ButtonsFor(style))
        if (button.onEscape)
            return button.answer;
    return DefaultAnswer(style);
}

int SdlMessageSink::ShowMessageBox(std::string_view text, std::string_view caption, unsigned style)
{
    return ShowMessageBoxW(Windows1252ToUtf16(text), Windows1252ToUtf16(caption), style);
}

int SdlMessageSink::ShowMessageBoxW(std::u16string_view text, std::u16string_view caption, unsigned style)
{
    const std::string utf8Text = Utf16ToUtf8(text);
    const std::string utf8Caption = Utf16ToUtf8(caption);
    if (!mWindows || mWindows->IsHeadlessDriver())
        return mStderr.ShowMessageBox(utf8Text, utf8Caption, style);

    const std::vector<Button> buttons = ButtonsFor(style);
    std::vector<SDL_MessageBoxButtonData> data;
    for (size_t i = 0; i < buttons.size(); ++i) {
        Uint32 flags = 0;
        if (buttons[i].onReturn)
            flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (buttons[i].onEscape)
            flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        data.push_back({flags, int(i), buttons[i].label});
    }
    SDL_MessageBoxData box{};
    box.flags = IconFlagsFor(style) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    SdlWindow* owner = mWindows->MainWindow();
    box.window = owner ? owner->Sdl() : nullptr;
    box.title = utf8Caption.c_str();
    box.message = utf8Text.c_str();
    box.numbuttons = int(data.size());
    box.buttons = data.data();
    int chosen = -1;
    if (SDL_ShowMessageBox(&box, &chosen) != 0) {
        mStderr.DebugOutput(std::string("Message box not shown: ") + SDL_GetError());
        return mStderr.ShowMessageBox(utf8Text, utf8Caption, style);
    }
    if (chosen < 0 || size_t(chosen) >= buttons.size())
        return ClosedAnswer(style);
    return buttons[size_t(chosen)].answer;
}

} // namespace Quib
