#pragma once
#include "src/screens/TGameButton.h"

namespace Quib {

// A game button that can be drawn scaled about its centre and multiplied by
// a colour, for the appear animation of popups. Pictures are drawn smoothly
// at sub-pixel positions; the label stays on whole pixels.
class ScaleButton : public TGameButton {
public:
    ScaleButton(int buttonId, ButtonListener* buttonListener);

    void DrawImagePart(Graphics& g, Image* image, const Rect& rect, int drawX, int drawY) override;
    // Also records the laid-out centre as the home centre.
    void SetImagesFromLayers(PsdPictureLayer* normal, PsdPictureLayer* over) override;
    void Draw(Graphics& g) override;
    bool AcceptsPoint(int px, int py) override;

    // Stores the scale; with move, places the button on the line from
    // (fromX, fromY) (scale 0) to its home centre (scale 1).
    void SetScale(float newScale, bool move, int fromX, int fromY);

    float scale = 1.0f;
    Color color = Color::White;
    int32_t homeX = 0;
    int32_t homeY = 0;
    float remainderX = 0.0f; // in [0, 1)
    float remainderY = 0.0f;
};

// Whole part toward minus infinity and the remainder in [0, 1).
void SplitPosition(float value, int& whole, float& remainder);

// A scale button laid out from two layers of the layout, with the label in
// FONT_BUTTON and both label colours set to labelColor. The caller owns it.
ScaleButton* CreateScaleButton(PsdPicture& layout, int id, const std::string& normalLayer,
                               const std::string& overLayer, ButtonListener* listener, const std::u16string& label,
                               const Color& labelColor);
// The close or confirm button of a popup: id 0, the label in dark brown.
ScaleButton* CreateDialogScaleButton(PsdPicture& layout, ButtonListener* popup, const std::string& normalLayer,
                                     const std::string& overLayer, const std::u16string& label);

} // namespace Quib
