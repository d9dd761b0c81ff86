#pragma once
// A two-state box drawn from images, or as a frame with a cross, that
// toggles on every mouse press and reports each change to its listener.

#include "framework/core/Color.h"
#include "framework/core/Rect.h"
#include "framework/widgets/Widget.h"

namespace Quib {

class CheckboxListener;
class Graphics;
class Image;

class Checkbox : public Widget {
public:
    // The listener is not owned and may be null.
    explicit Checkbox(CheckboxListener* checkboxListener);

    void Draw(Graphics& g) override;
    // Any button and click count toggles (so a double click toggles twice).
    void OnMouseDownButton(int px, int py, int button, int count) override;

    virtual void SetChecked(bool isChecked, bool notify);
    virtual bool IsChecked() const;

    CheckboxListener* listener;
    int32_t id = 0;
    bool checked = false;
    Image* uncheckedImage = nullptr; // not owned
    Image* checkedImage = nullptr;   // not owned
    // With a checked rect of non-zero width both looks are cut from the
    // unchecked image.
    Rect checkedRect;
    Rect uncheckedRect;
    Color outlineColor{255, 255, 255, 255};
    Color innerColor{80, 80, 80, 255};
    Color checkColor{255, 255, 0, 255};
};

} // namespace Quib
