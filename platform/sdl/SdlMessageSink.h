#pragma once
#include "platform/MessageSink.h"

#include <cstdint>
#include <vector>

namespace Quib {

class SdlWindowSystem;

// Message boxes through SDL (SDL_ShowMessageBox, owned by the main window
// when there is one); debugger output to stderr. With SDL's drivers that
// show nothing (offscreen, dummy), without a window system, or when SDL
// cannot show the box, the box goes to stderr and answers with its first
// button, so nothing waits for a user who is not there.
class SdlMessageSink : public MessageSink {
public:
    explicit SdlMessageSink(SdlWindowSystem* windows) : mWindows(windows) {}

    void DebugOutput(std::string_view text) override { mStderr.DebugOutput(text); }
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned style) override;
    int ShowMessageBoxW(std::u16string_view text, std::u16string_view caption, unsigned style) override;

    // The buttons of a style, left to right: the answer, the label, and
    // whether Enter or Escape chooses it.
    struct Button {
        int answer;
        const char* label;
        bool onReturn;
        bool onEscape;
    };
    static std::vector<Button> ButtonsFor(unsigned style);
    // SDL's icon flag for a style.
    static uint32_t IconFlagsFor(unsigned style);
    // The answer when the box is closed without a button.
    static int ClosedAnswer(unsigned style);

private:
    SdlWindowSystem* mWindows;
    StderrSink mStderr;
};

} // namespace Quib
