#pragma once
#include "framework/widgets/Widget.h"

#include <cstdint>
#include <string>

namespace Quib {

// A short text that fades in, stays for its display time and fades out.
// A new, different text waits until the shown one has faded out. The
// owner calls Update once per update frame with the elapsed seconds.
class FadingCaption : public Widget {
public:
    static constexpr uint32_t kTextColor = 0xfffff398;    // pale yellow
    static constexpr uint32_t kOutlineColor = 0xff2b0e00; // dark brown
    static constexpr int kWrapWidth = 300;
    static constexpr float kFadeRate = 10.0f; // alpha per second

    using Widget::Update;
    void Update(float dt);

    bool textEmpty = false; // the last text given was empty: fading out
    float alpha = 0.0f;
    std::u16string text;        // shown
    std::u16string pendingText; // waits for the shown one to fade out
    float displayTime = 0.0f;   // seconds left

protected:
    // The text given with its display time.
    void SetCaption(const std::u16string& newText, float seconds);
    // The pending text becomes the shown one, faded out, and is measured.
    void ShowPending();
    // The size of the shown text wrapped in kWrapWidth.
    virtual void LayoutText(int widest, int textHeight) = 0;
    // Per update while a text is shown, after the fade step.
    virtual void AfterFade(float step) { (void)step; }
    // The display time is over.
    virtual void Expire() = 0;
    // The four outline copies at (x +- 1, y +- 1) and the text at (x, y).
    void DrawOutlinedText(Graphics& g, int textX, int textY, int wrapWidth);
};

} // namespace Quib
