#include "src/game/editor/ColorProp.h"

#include "framework/graphics/Graphics.h"
#include "src/game/editor/LabeledProp.h"
#include "src/game/editor/NumProp.h"
#include "src/game/editor/SliderProp.h"

#include <cmath>

namespace Quib {

int ClampChannel(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= 255.0f)
        return 255;
    return int(std::trunc(value));
}

ColorProp::ColorProp(const std::u16string& blockTitle, Color* edited)
    : PropertyBlock(blockTitle, true, false), color(edited), swatchInset(headerTopPad)
{
    headerBottomPad = 12;
    headerTopPad = 12;
    headerRightPad = 5 + 6 + 30;
    spacing = 15 / 2;
    static const char16_t* const names[4] = {u"R", u"G", u"B", u"A"};
    void (ColorProp::*handlers[4])(float) = {&ColorProp::OnRed, &ColorProp::OnGreen, &ColorProp::OnBlue,
                                             &ColorProp::OnAlpha};
    for (int i = 0; i < 4; ++i) {
        auto handler = handlers[i];
        sliders[i] = new SliderProp(0.0f, [this, handler](float v) { (this->*handler)(v); }, 0.0f, 255.0f);
        AddProperty(new LabeledProp(names[i], sliders[i], false));
    }
    hex = new HexProp([this](uint32_t v) { OnHexChanged(v); });
    AddProperty(hex);
    Refresh();
}

void ColorProp::OnRed(float value)
{
    if (color)
        color->red = ClampChannel(value);
    Refresh();
}

void ColorProp::OnGreen(float value)
{
    if (color)
        color->green = ClampChannel(value);
    Refresh();
}

void ColorProp::OnBlue(float value)
{
    if (color)
        color->blue = ClampChannel(value);
    Refresh();
}

void ColorProp::OnAlpha(float value)
{
    if (color)
        color->alpha = ClampChannel(value);
    Refresh();
}

void ColorProp::OnHexChanged(uint32_t v)
{
    if (color) {
        color->red = int((v >> 16) & 0xff);
        color->green = int((v >> 8) & 0xff);
        color->blue = int(v & 0xff);
        color->alpha = int(v >> 24);
    }
    // The field being typed into keeps its text.
    fromHex = true;
    Refresh();
    fromHex = false;
}

void ColorProp::Refresh()
{
    if (!color)
        return;
    SetSliderValue(sliders[0], float(color->red));
    SetSliderValue(sliders[1], float(color->green));
    SetSliderValue(sliders[2], float(color->blue));
    SetSliderValue(sliders[3], float(color->alpha));
    const uint32_t packed = ((uint32_t(color->alpha & 0xff) * 256u + uint32_t(color->red & 0xff)) * 256u +
                             uint32_t(color->green & 0xff)) * 256u + uint32_t(color->blue & 0xff);
    if (!fromHex)
        SetNumValue(hex, packed);
}

void ColorProp::LayoutAll(int newX, int newY, int newWidth)
{
    PropertyBlock::LayoutAll(newX, newY, newWidth);
    swatchX = width - swatchInset - 30;
    swatchY = swatchInset;
    swatchWidth = 30;
    swatchHeight = headerHeight - 2 * swatchInset;
}

void ColorProp::Draw(Graphics& g)
{
    PropertyBlock::Draw(g);
    if (!color)
        return;
    const int sx = swatchX, sy = swatchY, sh = swatchHeight;
    const int t = 30 * 2 / 3;
    g.color = Color(255, 255, 255, 255);
    g.FillRectangle(sx + t, sy, 10, sh / 2);
    g.color = Color(0, 0, 0, 255);
    g.FillRectangle(sx + t, sy + sh / 2, 10, sh - sh / 2);
    if (color->alpha != 0) {
        g.color = *color;
        g.FillRectangle(sx + t, sy, 10, sh);
    }
    g.color = Color(color->red, color->green, color->blue, 255);
    g.FillRectangle(sx, sy, 20, sh);
    g.color = Color(0xff999999u);
    g.OutlineRectangle(sx, sy, 30, sh);
}

} // namespace Quib
