#pragma once
// An element of the widget tree: visibility, enabled state, focus, hover and
// press state, a colour table, insets, tab neighbours, the default reactions
// to input and a few drawing helpers that subclasses share.

#include "framework/core/Color.h"
#include "framework/core/Point.h"
#include "framework/core/Rect.h"
#include "framework/widgets/WidgetContainer.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace Quib {

class Graphics;
class Image;

class Widget : public WidgetContainer {
public:
    Widget();
    // A widget still in a tree is detached from it first; its children stay
    // alive, without a parent.
    ~Widget() override;

    virtual void OnOrderChanged();
    virtual void SetVisible(bool isVisible);
    virtual void SetColors(const Color* newColors, int count);
    virtual void SetColorsRGB(const int rgb[][3], int count);
    virtual void SetColor(int index, const Color& color);
    virtual Color GetColorOr(int index, const Color& fallback) const;
    // Opaque black past the end of the table.
    virtual const Color& GetColor(int index) const;
    virtual void SetDisabled(bool isDisabled);
    virtual void SetHandCursor(bool hand);
    virtual void SetBoundsRect(const Rect& r);
    virtual void SetBounds(int newX, int newY, int newWidth, int newHeight);
    virtual void MoveTo(int newX, int newY);
    virtual bool TakesFocus();
    virtual void DrawOverlayAt(Graphics& g, int priority);
    virtual void DrawOverlay(Graphics& g);
    virtual void OnFocusGained();
    virtual void OnFocusLost();
    virtual void OnKeyChar(char16_t ch);
    virtual void OnKeyDown(int key);
    virtual void OnKeyUp(int key);
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    virtual void OnMouseMove(int px, int py);
    // button 0 left, 1 right, 2 middle.
    virtual void OnMouseDownButton(int px, int py, int button, int count);
    virtual void OnMouseDown(int px, int py, ClickCode code);
    virtual void OnMouseUpButton(int px, int py, int button, int count);
    virtual void OnMouseUp(int px, int py, ClickCode code);
    virtual void OnMouseUpAt(int px, int py);
    virtual void OnMouseDrag(int px, int py);
    virtual void OnMouseWheel(int delta);
    // Fine hit test, in widget coordinates.
    virtual bool AcceptsPoint(int px, int py);
    // Text centred in the widget's width at baseline y, over a shadow drawn
    // at the offset; returns the covered area.
    virtual Rect DrawCenteredTextShadowed(Graphics& g, int textY, std::u16string_view text, const Color& textColor,
                                          const Color& shadowColor, const Point& offset);
    virtual Rect DrawCenteredText(Graphics& g, int textY, std::u16string_view text);
    // Graphics::DrawTextInWidth with colour codes on.
    virtual int DrawTextInRect(Graphics& g, std::u16string_view text, int textX, int textY, int textWidth,
                               int justification, bool draw, int start, int length);
    // Returns the height of the wrapped block.
    virtual int DrawWrappedText(Graphics& g, const Rect& r, std::u16string_view text, int lineSpacing,
                                int justification);
    virtual int GetWrappedTextHeight(Graphics& g, int textWidth, std::u16string_view text, int lineSpacing);
    // 1 for 0..9 and for negative numbers.
    virtual int CountDigits(int n);
    // The strip holds the digits 0..9 in ten equal cells side by side.
    // Non-negative numbers only.
    virtual void DrawDigitStrip(Graphics& g, int number, int stripX, int stripY, Image* strip, int spacing);
    // In the parent's coordinates, half-open.
    virtual bool ContainsPoint(int px, int py);
    // The bounds less the insets.
    virtual Rect GetInnerBounds();

    bool visible = true;
    bool mouseVisible = true;
    bool disabled = false;
    bool hasFocus = false;
    bool pressed = false;
    bool hovered = false;
    bool transparentParts = false;
    std::vector<Color> colors;
    int32_t insetLeft = 0;
    int32_t insetTop = 0;
    int32_t insetRight = 0;
    int32_t insetBottom = 0;
    bool handCursorOnHover = false;
    bool takesFocus = false;
    Widget* tabPrev = nullptr;
    Widget* tabNext = nullptr;
};

} // namespace Quib
