#pragma once
#include "src/screens/FadingCaption.h"

#include <string>

namespace Quib {

// The text box that follows the mouse and names what lies under it; near
// the bottom of the screen it flips above the mouse, near the right edge it
// is pushed left.
class ToolTip : public FadingCaption {
public:
    static constexpr float kDefaultSeconds = 3.0f;

    ToolTip();

    // seconds -1: kDefaultSeconds. An empty text fades the tip out.
    void SetText(const std::u16string& newText, float seconds);
    void Draw(Graphics& g) override;

    float flipShift = 10.0f; // leftward at full flip
    float flipLift = 0.0f;   // upward at full flip
    bool flipped = false;    // the box would reach the bottom below the mouse
    float flipAmount = 0.0f; // eases toward flipped

protected:
    void LayoutText(int widest, int textHeight) override;
    void AfterFade(float step) override;
    void Expire() override;
};

} // namespace Quib
