#pragma once
// The arrow button at each end of a scroll bar: a push button that draws
// its own bevelled face and an up/down (or left/right) arrow.

#include "framework/widgets/ButtonWidget.h"

namespace Quib {

class Graphics;

class ScrollbuttonWidget : public ButtonWidget {
public:
    // Button id 0 points up (left), 1 down (right).
    ScrollbuttonWidget(int buttonId, ButtonListener* buttonListener);
    ~ScrollbuttonWidget() override;

    void Draw(Graphics& g) override;

    bool horizontal = false; // left/right arrows instead of up/down
};

// A raised bevel over (x, y, w, h): grey face, white top and left inner
// edges, black bottom and right edges, grey inner shadow.
void DrawRaisedBevel(Graphics& g, int x, int y, int w, int h);

} // namespace Quib
