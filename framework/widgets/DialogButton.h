#pragma once
// The button of a dialog: drawn nine-sliced from a frame image when it has
// one (a sheet of looks when its normal rect is set), else exactly like a
// ButtonWidget.

#include "framework/widgets/ButtonWidget.h"

namespace Quib {

class Image;

class DialogButton : public ButtonWidget {
public:
    DialogButton(int buttonId, ButtonListener* buttonListener);
    ~DialogButton() override;

    void Draw(Graphics& g) override;

    Image* frameImage = nullptr; // not owned
    int32_t downShiftX = 1;
    int32_t downShiftY = 1;
    int32_t labelOffsetX = 0;
    int32_t labelOffsetY = 0;
};

} // namespace Quib
