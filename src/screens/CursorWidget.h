#pragma once
#include "framework/widgets/Widget.h"

namespace Quib {

class Image;

// The game's picture cursor (door, hand, magnifier), centred on the mouse
// and optionally pulsing; 20 pixels right of the mouse while the system
// arrow is shown.
class CursorWidget : public Widget {
public:
    static constexpr float kPhaseStep = 0.02f;
    static constexpr float kSystemArrowOffset = 20.0f;

    CursorWidget();

    // The picture drawn: the second one when asked for, else the first.
    Image* PictureInUse() const { return useSecond ? secondImage : image; }

    void Update() override;
    void Draw(Graphics& g) override;

    Image* image = nullptr;       // not owned
    Image* secondImage = nullptr; // not owned
    bool useSecond = false;
    bool pulse = false;
    float scale = 1.0f;
    float phase = 0.0f;
    float largestScale = 1.0f;
};

} // namespace Quib
