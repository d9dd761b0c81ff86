#pragma once
#include "framework/files/Delegate.h"
#include "framework/widgets/Widget.h"

#include <cstdint>
#include <functional>

namespace Quib {

// The full-screen backdrop behind a popup: dims the board with
// IMAGE_DARK_BACK at up to half strength, and turns the first click after
// its fade has finished into the popup's close request.
class DarkBack : public Widget {
public:
    static constexpr float kFadeStep = 0.03f;

    // Covers the application and starts fading in.
    DarkBack(Delegate close, int32_t tag);

    void Update() override;
    void Draw(Graphics& g) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;

    // The screen area the popup above will cover with opaque pixels in this
    // frame, whatever lies under them: left out of the dimming. Empty (or
    // unset) when there is none.
    std::function<Rect()> coveredArea;
    Delegate closeDelegate; // called once, then cleared
    int32_t tag = 0;        // the creator's
    float fade = 0.0f;
    float fadeTarget = 0.0f;
    bool removeWhenFaded = false;
};

// A closing popup's backdrop: fades out and then removes itself. The popup
// forgets it (the pointer is cleared); nothing happens without one.
void DismissBackdrop(DarkBack*& backdrop);

} // namespace Quib
