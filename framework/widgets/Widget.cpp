#include "framework/widgets/Widget.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetApp.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cstdlib>

namespace Quib {

namespace {

const Color kOpaqueBlack(0, 0, 0, 255);

// The button index (0 left, 1 right, 2 middle) and count of a click code.
void ConvertClick(ClickCode code, int& button, int& count)
{
    if (code == CLICK_MIDDLE) {
        button = 2;
        count = 1;
    } else {
        button = code < 0 ? 1 : 0;
        count = code;
    }
}

int32_t PackColor(const Color& c)
{
    return static_cast<int32_t>((static_cast<uint32_t>(c.alpha & 255) << 24) |
                                (static_cast<uint32_t>(c.red & 255) << 16) |
                                (static_cast<uint32_t>(c.green & 255) << 8) | static_cast<uint32_t>(c.blue & 255));
}

// Turns the colour-codes flag on for a call and back afterwards.
class ColorCodesOn {
public:
    explicit ColorCodesOn(Graphics& g) : mGraphics(g), mSaved(g.colorCodes) { g.colorCodes = true; }
    ~ColorCodesOn() { mGraphics.colorCodes = mSaved; }
    ColorCodesOn(const ColorCodesOn&) = delete;
    ColorCodesOn& operator=(const ColorCodesOn&) = delete;

private:
    Graphics& mGraphics;
    bool mSaved;
};

} // namespace

Widget::Widget() = default;

Widget::~Widget()
{
    if (parent)
        parent->DetachChild(this);
}

void Widget::OnOrderChanged() {}

void Widget::SetVisible(bool isVisible)
{
    if (visible == isVisible)
        return;
    visible = isVisible;
    if (visible)
        Invalidate();
    else
        InvalidateFully();
    if (manager)
        manager->RehoverMouse();
}

void Widget::SetColors(const Color* newColors, int count)
{
    colors.clear();
    for (int i = 0; i < count; ++i)
        SetColor(i, newColors[i]);
    Invalidate();
}

void Widget::SetColorsRGB(const int rgb[][3], int count)
{
    colors.clear();
    for (int i = 0; i < count; ++i)
        SetColor(i, Color(rgb[i][0], rgb[i][1], rgb[i][2], 255));
    Invalidate();
}

void Widget::SetColor(int index, const Color& color)
{
    if (index < 0)
        return;
    if (static_cast<size_t>(index) >= colors.size())
        colors.resize(static_cast<size_t>(index) + 1, kOpaqueBlack);
    colors[static_cast<size_t>(index)] = color;
    Invalidate();
}

Color Widget::GetColorOr(int index, const Color& fallback) const
{
    if (index < 0 || static_cast<size_t>(index) >= colors.size())
        return fallback;
    return colors[static_cast<size_t>(index)];
}

const Color& Widget::GetColor(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= colors.size())
        return kOpaqueBlack;
    return colors[static_cast<size_t>(index)];
}

void Widget::SetDisabled(bool isDisabled)
{
    if (disabled == isDisabled)
        return;
    disabled = isDisabled;
    if (disabled && manager)
        manager->OnChildDetached(this);
    Invalidate();
    if (!disabled && manager && ContainsPoint(manager->mouseX, manager->mouseY))
        manager->SetMousePosition(manager->mouseX, manager->mouseY);
}

void Widget::SetHandCursor(bool hand)
{
    if (!manager)
        return;
    WidgetApp* app = manager->app ? manager->app : TheWidgetApp();
    if (!app)
        return;
    app->SetCursorNum(hand ? 1 : 0);
    app->RefreshCursor();
}

void Widget::SetBoundsRect(const Rect& r)
{
    SetBounds(r.x, r.y, r.width, r.height);
}

void Widget::SetBounds(int newX, int newY, int newWidth, int newHeight)
{
    if (x == newX && y == newY && width == newWidth && height == newHeight)
        return;
    InvalidateFully();
    x = newX;
    y = newY;
    width = newWidth;
    height = newHeight;
    Invalidate();
    if (manager)
        manager->RehoverMouse();
}

void Widget::MoveTo(int newX, int newY)
{
    SetBounds(newX, newY, width, height);
}

bool Widget::TakesFocus()
{
    return takesFocus;
}

void Widget::DrawOverlayAt(Graphics& g, int)
{
    DrawOverlay(g);
}

void Widget::DrawOverlay(Graphics&) {}

void Widget::OnFocusGained()
{
    hasFocus = true;
}

void Widget::OnFocusLost()
{
    hasFocus = false;
}

void Widget::OnKeyChar(char16_t) {}

void Widget::OnKeyDown(int key)
{
    if (key != KEYCODE_TAB || !manager)
        return;
    Widget* target = manager->IsKeyDown(KEYCODE_SHIFT) ? tabPrev : tabNext;
    if (target)
        manager->SetFocusWidget(target);
}

void Widget::OnKeyUp(int) {}
void Widget::OnMouseEnter() {}
void Widget::OnMouseLeave() {}
void Widget::OnMouseMove(int, int) {}
void Widget::OnMouseDownButton(int, int, int, int) {}

void Widget::OnMouseDown(int px, int py, ClickCode code)
{
    int button = 0;
    int count = 0;
    ConvertClick(code, button, count);
    OnMouseDownButton(px, py, button, count);
}

void Widget::OnMouseUpButton(int, int, int, int) {}

void Widget::OnMouseUp(int px, int py, ClickCode code)
{
    OnMouseUpAt(px, py);
    int button = 0;
    int count = 0;
    ConvertClick(code, button, count);
    OnMouseUpButton(px, py, button, count);
}

void Widget::OnMouseUpAt(int, int) {}
void Widget::OnMouseDrag(int, int) {}
void Widget::OnMouseWheel(int) {}

bool Widget::AcceptsPoint(int, int)
{
    return true;
}

Rect Widget::DrawCenteredTextShadowed(Graphics& g, int textY, std::u16string_view text, const Color& textColor,
                                      const Color& shadowColor, const Point& offset)
{
    const int textWidth = g.TextWidth(text);
    const int textX = (width - textWidth) / 2;
    g.color = shadowColor;
    g.DrawText(text, textX + offset.x, textY + offset.y);
    g.color = textColor;
    g.DrawText(text, textX, textY);
    const int ascent = g.font ? g.font->Ascent() : 0;
    const int fontHeight = g.font ? g.font->Height() : 0;
    return Rect(textX + std::min(offset.x, 0), textY + std::min(offset.y, 0) - ascent,
                textWidth + std::abs(offset.x), fontHeight + std::abs(offset.y));
}

Rect Widget::DrawCenteredText(Graphics& g, int textY, std::u16string_view text)
{
    const int textWidth = g.TextWidth(text);
    const int textX = (width - textWidth) / 2;
    g.DrawText(text, textX, textY);
    const int ascent = g.font ? g.font->Ascent() : 0;
    const int fontHeight = g.font ? g.font->Height() : 0;
    return Rect(textX, textY - ascent, textWidth, fontHeight);
}

int Widget::DrawTextInRect(Graphics& g, std::u16string_view text, int textX, int textY, int textWidth,
                           int justification, bool draw, int start, int length)
{
    ColorCodesOn codes(g);
    return g.DrawTextInWidth(text, textX, textY, textWidth, justification, draw, start, length, PackColor(g.color));
}

int Widget::DrawWrappedText(Graphics& g, const Rect& r, std::u16string_view text, int lineSpacing,
                            int justification)
{
    ColorCodesOn codes(g);
    return g.DrawWrappedText(text, r, lineSpacing, justification, nullptr);
}

int Widget::GetWrappedTextHeight(Graphics& g, int textWidth, std::u16string_view text, int lineSpacing)
{
    return g.MeasureWrappedText(textWidth, text, lineSpacing, nullptr);
}

int Widget::CountDigits(int n)
{
    int count = 1;
    for (int64_t power = 10; power <= n; power *= 10)
        ++count;
    return count;
}

void Widget::DrawDigitStrip(Graphics& g, int number, int stripX, int stripY, Image* strip, int spacing)
{
    if (!strip || number < 0)
        return;
    const int cell = strip->width / 10;
    const int digits = CountDigits(number);
    int divisor = 1;
    for (int i = 1; i < digits; ++i)
        divisor *= 10;
    int advance = 0;
    for (int i = 0; i < digits; ++i, divisor /= 10) {
        const int digit = (number / divisor) % 10;
        Graphics cellGraphics(g);
        cellGraphics.NarrowClip(stripX + advance, stripY, cell, strip->height);
        cellGraphics.DrawImageAt(strip, stripX + advance - cell * digit, stripY);
        advance += spacing + cell;
    }
}

bool Widget::ContainsPoint(int px, int py)
{
    return px >= x && px < x + width && py >= y && py < y + height;
}

Rect Widget::GetInnerBounds()
{
    return Rect(x + insetLeft, y + insetTop, width - insetRight - insetLeft, height - insetBottom - insetTop);
}

} // namespace Quib
