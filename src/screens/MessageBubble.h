#pragma once
#include "src/screens/FadingCaption.h"

#include <cstdint>
#include <string>

namespace Quib {

class Image;
class PsdPicture;

// Seconds a text stays shown: "TimePerStringAdd" + "TimePerChar" x its
// length (res\game.ini [Game], defaults 1.0 and 0.1, read once).
float TextDisplayTime(const std::u16string& text);

// The hero's speech bubble at a fixed place of the board: the layout's
// "bubble" picture stretched about the text, growing upward from its
// bottom-left anchor. A click on its visible body dismisses it.
class MessageBubble : public FadingCaption {
public:
    static constexpr int kHitAlpha = 10; // picture alpha a hit must exceed

    MessageBubble() = default;

    // Takes the picture of the layer "bubble" (which is no longer drawn by
    // the layout) and anchors the bubble at its bottom-left corner.
    void LoadLayout(PsdPicture& layout);
    // seconds -1: TextDisplayTime of the text. An empty text fades it out.
    void Show(const std::u16string& newText, float seconds);

    void Draw(Graphics& g) override;
    bool AcceptsPoint(int px, int py) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;

    Image* picture = nullptr; // the layout's
    int32_t anchorX = 0;
    int32_t anchorY = 0;

protected:
    void LayoutText(int widest, int textHeight) override;
    void Expire() override;
};

} // namespace Quib
