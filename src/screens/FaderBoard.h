#pragma once
#include "framework/files/Delegate.h"
#include "framework/widgets/Widget.h"

namespace Quib {

// A full-screen black fade: darkens to black, calls back, clears again and
// calls back. Fixed steps per update; clicks pass through it.
class FaderBoard : public Widget {
public:
    enum State : int { IDLE = 0, DARKENING = 1, CLEARING = 2 };
    static constexpr float kStep = 0.01f;
    static constexpr float kPhase = 0.4f;
    static constexpr int kZOrder = 80;

    FaderBoard();

    // Raises the fader to the top of its parent and starts darkening.
    void StartFadeOut(Delegate atBlack, Delegate atEnd);

    void Update() override;
    void Draw(Graphics& g) override;

    int state = IDLE;
    Delegate atBlack;
    Delegate atEnd;
    int alpha = 0;
    float time = 0.0f;
};

} // namespace Quib
