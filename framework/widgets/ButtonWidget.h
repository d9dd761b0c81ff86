#pragma once
// The push button: a bevelled frame with a text label, or image looks
// (normal, over, down, disabled) with a fade to the over look. Reports
// presses, releases, hovering and holding to its listener.

#include "framework/core/Point.h"
#include "framework/core/Rect.h"
#include "framework/widgets/Widget.h"

#include <memory>
#include <string>

namespace Quib {

class ButtonListener;
class Font;
class Graphics;
class Image;

// Colour table entries of a button.
enum ButtonColor : int {
    BUTTON_COLOR_LABEL = 0,
    BUTTON_COLOR_LABEL_HILITE = 1, // while hovered (and in the image down look)
    BUTTON_COLOR_DARK_OUTLINE = 2,
    BUTTON_COLOR_LIGHT_OUTLINE = 3,
    BUTTON_COLOR_MEDIUM_OUTLINE = 4,
    BUTTON_COLOR_BKG = 5,
    BUTTON_COLOR_COUNT = 6,
};

// Widget is a virtual base so that classes built on a button share one
// Widget part.
class ButtonWidget : public virtual Widget {
public:
    // The listener is required and not owned.
    ButtonWidget(int buttonId, ButtonListener* buttonListener);
    ~ButtonWidget() override;

    // rect.width not 0: that part of the normal image, whatever image is
    // given; else the whole given image.
    virtual void DrawImagePart(Graphics& g, Image* image, const Rect& rect, int drawX, int drawY);
    // The font stays its giver's.
    virtual void SetFont(Font* newFont);
    // Pressed, hovered and not disabled.
    virtual bool IsPressedVisual();

    void Update() override;
    void Draw(Graphics& g) override;
    void SetDisabled(bool isDisabled) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnMouseMove(int px, int py) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseUpButton(int px, int py, int button, int count) override;

    // A look is defined when its image is set or its rect has a width.
    bool HaveNormalLook() const { return normalImage || normalRect.width != 0; }
    bool HaveOverLook() const { return overImage || overRect.width != 0; }
    bool HaveDownLook() const { return downImage || downRect.width != 0; }
    bool HaveDisabledLook() const { return disabledImage || disabledRect.width != 0; }

    int32_t id;
    std::u16string label;
    int32_t labelJustify = 0; // 0 centre, 1 right, anything else left
    Font* font = nullptr;     // not owned (see ownedFont)
    Image* normalImage = nullptr;
    Image* overImage = nullptr;
    Image* downImage = nullptr;
    Image* disabledImage = nullptr;
    Rect normalRect;
    Rect overRect;
    Rect downRect;
    Rect disabledRect;
    Point normalOffset;
    Point overOffset;
    Point disabledOffset;
    Point downOffset;
    bool invertDownLook = false;
    bool hidden = false;  // draws nothing
    bool noFrame = false; // the frame look without bevel and face
    ButtonListener* listener;
    double overAlpha = 0.0;
    double fadeOutStep = 0.0;
    double fadeInStep = 0.0;
    bool depressWhenNotHovered = false;

protected:
    // The label font the button made for itself; released with it.
    std::unique_ptr<Font> ownedFont;

private:
    // Draws one look (its image or its part of the normal image) at its
    // offset plus (dx, dy).
    void DrawLook(Graphics& g, Image* image, const Rect& rect, const Point& offset, int dx, int dy);
    // The hover change needs a redraw when pressed, with an over look, or
    // when the hovered label colour differs.
    void InvalidateForHover();
};

} // namespace Quib
