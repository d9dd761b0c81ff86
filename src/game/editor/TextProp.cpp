#include "src/game/editor/TextProp.h"

#include "framework/graphics/Graphics.h"
#include "src/GameResources.h"

namespace Quib {

TextProp::TextProp(const std::u16string& initial) : text(initial), font(FONT_DEFAULT)
{
    mouseVisible = false;
}

void TextProp::SetText(const std::u16string& newText)
{
    HeightGuard guard(this);
    text = newText;
    UpdateHeight();
}

void TextProp::UpdateHeight()
{
    Graphics measure;
    measure.font = font;
    height = measure.MeasureWrappedText(width, text, -1, nullptr);
}

void TextProp::Draw(Graphics& g)
{
    g.font = font;
    g.color = color;
    g.DrawWrappedText(text, Rect(0, 0, width, height), -1, justification, nullptr);
}

int TextProp::MeasureWidth(int atWidth)
{
    Graphics measure;
    measure.font = font;
    int widest = 0;
    measure.MeasureWrappedText(atWidth ? atWidth : width, text, -1, &widest);
    return widest;
}

} // namespace Quib
