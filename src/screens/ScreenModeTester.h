#pragma once
#include "framework/widgets/Dialog.h"

#include <functional>

namespace Quib {

// A hidden dialog that learns the outcome of every screen-mode switch (the
// application tells every open dialog) and hands it on.
class ScreenModeTester : public Dialog {
public:
    static constexpr int kDialogId = 2423;

    explicit ScreenModeTester(std::function<void(bool)> onChanged);

    void Draw(Graphics&) override {}
    void OnScreenModeChanged(bool windowed) override;

    std::function<void(bool)> changed; // cleared by the owner before it goes
};

} // namespace Quib
