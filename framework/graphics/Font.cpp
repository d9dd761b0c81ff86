#include "framework/graphics/Font.h"

#include "framework/files/StringUtils.h"
#include "framework/graphics/LineSteppers.h"

namespace Quib {

Font::~Font() = default;

bool Font::IsLoaded() const { return loaded; }

int Font::Ascent() const { return ascent; }

int Font::Descent() const { return height - ascent; }

int Font::Height() const { return height; }

int CentredBaseline(const Rect& r, const Font* font)
{
    return font ? r.y + (r.height + font->Ascent() - font->Descent()) / 2 : r.y;
}

int Font::LineAdvance() const { return height + extraLineGap; }

int Font::ExtraLineGap() const { return extraLineGap; }

int Font::WidthOfChar(char16_t c) const { return WidthOfText(std::u16string_view(&c, 1), 1.0f, 1.0f, 0.0f); }

int Font::WidthOfChar(char c) const { return WidthOfText(std::string_view(&c, 1), 1.0f, 1.0f, 0.0f); }

int Font::WidthOfCharAfter(char16_t c, char16_t) const { return WidthOfChar(c); }

int Font::WidthOfCharAfter(char c, char) const { return WidthOfChar(c); }

int Font::WidthOfText(std::u16string_view text, float scaleX, float scaleY, float spacing) const
{
    FRect r;
    LayoutText(r, text, 0.0f, 0.0f, scaleX, scaleY, spacing, FONT_ALIGN_LEFT, FONT_VALIGN_TOP);
    return TruncToInt(r.width);
}

int Font::WidthOfText(std::string_view text, float scaleX, float scaleY, float spacing) const
{
    FRect r;
    LayoutText(r, text, 0.0f, 0.0f, scaleX, scaleY, spacing, FONT_ALIGN_LEFT, FONT_VALIGN_TOP);
    return TruncToInt(r.width);
}

void Font::AlignLayout(FRect& r, int hAlign, int vAlign, float baselineShift)
{
    if (hAlign == FONT_ALIGN_RIGHT)
        r.x -= r.width;
    else if (hAlign == FONT_ALIGN_CENTER)
        r.x -= r.width / 2;
    if (vAlign == FONT_VALIGN_MIDDLE)
        r.y -= r.height / 2;
    else if (vAlign == FONT_VALIGN_BOTTOM)
        r.y -= r.height;
    else if (vAlign == FONT_VALIGN_BASELINE)
        r.y -= baselineShift;
}

void Font::LayoutText(FRect& r, std::string_view text, float x, float y, float scaleX, float scaleY,
                      float spacing, int hAlign, int vAlign) const
{
    LayoutText(r, AnsiToWStringLarge(text), x, y, scaleX, scaleY, spacing, hAlign, vAlign);
}

void Font::RenderText(Graphics& g, int x, int y, std::string_view text, const Color& color, const Rect& clip,
                      float scaleX, float scaleY, float spacing, int hAlign, int vAlign) const
{
    RenderText(g, x, y, AnsiToWStringLarge(text), color, clip, scaleX, scaleY, spacing, hAlign, vAlign);
}

} // namespace Quib
