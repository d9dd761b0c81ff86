#pragma once
#include "framework/widgets/Widget.h"

#include <string>

namespace Quib {

// The darkening over a paused board, with the word "Pause" in the middle.
// Fades in and out by a fixed step per update.
class PauseWidget : public Widget {
public:
    static constexpr float kFadeStep = 0.08f;

    PauseWidget();

    // focusLost: shown because the window lost the focus; the overlay then
    // keeps catching clicks after it was hidden, until one lands on it.
    void SetShown(bool shown, bool focusLost);

    void Update() override;
    void Draw(Graphics& g) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;

    std::u16string text;
    float fade = 0.0f;
    bool wanted = false;
    bool dismissOnClick = false;
};

} // namespace Quib
