#pragma once
#include "framework/core/Color.h"
#include "framework/widgets/ButtonWidget.h"

#include <string>

namespace Quib {

class PsdPicture;
class PsdPictureLayer;

// A picture button of the game's screens: its normal and hover pictures,
// bounds and picture offsets come from two layers of a layout. Hovering and
// left presses play the interface sounds; other mouse buttons are ignored.
// Transparent parts of the picture are not part of the button.
class TGameButton : public ButtonWidget {
public:
    // The label colours every laid-out button starts with.
    static constexpr uint32_t kLabelColor = 0xa0ffffff;
    static constexpr uint32_t kLabelHoverColor = 0xd0ffffff;
    // Opaque black: no tint pass.
    static constexpr Color kNoTint{0, 0, 0, 255};

    TGameButton(int buttonId, ButtonListener* buttonListener);

    virtual bool HasHoverSound() { return hoverSound; }
    // Takes the pictures of the layers (either may be null), clears their
    // draw flags and sets the bounds to cover both pictures.
    virtual void SetImagesFromLayers(PsdPictureLayer* normal, PsdPictureLayer* over);

    void Draw(Graphics& g) override;
    void OnMouseEnter() override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseUpButton(int px, int py, int button, int count) override;
    bool AcceptsPoint(int px, int py) override;

    Image* normalPicture = nullptr; // the layout's
    Image* overPicture = nullptr;   // the layout's
    Color tint = kNoTint;
    bool hoverSound = true;
};

// A button laid out from two layers of the layout (a missing name gives no
// picture), with the label in FONT_DEFAULT. The caller owns it.
TGameButton* CreateGameButton(PsdPicture& layout, int id, const std::string& normalLayer,
                              const std::string& overLayer, ButtonListener* listener, const std::u16string& label);

// True when the picture's pixel at (x, y) is inside it and not fully
// transparent.
bool PictureOpaqueAt(Image* picture, int x, int y);

} // namespace Quib
