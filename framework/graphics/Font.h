#pragma once
#include "framework/core/Color.h"
#include "framework/core/FRect.h"
#include "framework/core/Rect.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace Quib {

class Graphics;

// Alignment codes of LayoutText and RenderText. Horizontal: x is the left
// edge unless FONT_ALIGN_RIGHT or FONT_ALIGN_CENTER. Vertical: y is the top
// unless FONT_VALIGN_MIDDLE, FONT_VALIGN_BOTTOM or FONT_VALIGN_BASELINE.
enum : int {
    FONT_ALIGN_LEFT = 0,
    FONT_ALIGN_RIGHT = 2,
    FONT_ALIGN_CENTER = 6,
    FONT_VALIGN_TOP = 0,
    FONT_VALIGN_MIDDLE = 6,
    FONT_VALIGN_BOTTOM = 8,
    FONT_VALIGN_BASELINE = 24,
};

// The abstract font: metrics, measuring and drawing of wide and narrow
// (Windows-1252) strings. Character spacing is extra advance after every
// character, in unscaled pixels.
class Font {
public:
    int32_t ascent = 0;       // top of a line to the baseline
    int32_t height = 0;       // a line of glyphs
    int32_t extraLineGap = 0; // added to the height between baselines
    bool loaded = false;

    Font() = default;
    virtual ~Font();

    virtual Font* Clone() const = 0;
    virtual bool IsLoaded() const;
    virtual int Ascent() const;
    virtual int Descent() const;
    virtual int Height() const;
    virtual int LineAdvance() const;
    virtual int ExtraLineGap() const;
    virtual int WidthOfChar(char16_t c) const;
    virtual int WidthOfChar(char c) const;
    // The previous character is not looked at here.
    virtual int WidthOfCharAfter(char16_t c, char16_t previous) const;
    virtual int WidthOfCharAfter(char c, char previous) const;
    virtual int WidthOfText(std::u16string_view text, float scaleX, float scaleY, float spacing) const;
    virtual int WidthOfText(std::string_view text, float scaleX, float scaleY, float spacing) const;
    virtual void LayoutText(FRect& r, std::u16string_view text, float x, float y, float scaleX, float scaleY,
                            float spacing, int hAlign, int vAlign) const = 0;
    virtual void LayoutText(FRect& r, std::string_view text, float x, float y, float scaleX, float scaleY,
                            float spacing, int hAlign, int vAlign) const;
    virtual void RenderText(Graphics& g, int x, int y, std::u16string_view text, const Color& color,
                            const Rect& clip, float scaleX, float scaleY, float spacing, int hAlign,
                            int vAlign) const = 0;
    virtual void RenderText(Graphics& g, int x, int y, std::string_view text, const Color& color,
                            const Rect& clip, float scaleX, float scaleY, float spacing, int hAlign,
                            int vAlign) const;

protected:
    Font(const Font&) = default;
    // Moves a laid-out rectangle by the alignment codes; the baseline code
    // moves it up by baselineShift.
    static void AlignLayout(FRect& r, int hAlign, int vAlign, float baselineShift);
    Font& operator=(const Font&) = default;
};

// The baseline that centres one line of the font vertically in the
// rectangle (the rectangle's top without a font).
int CentredBaseline(const Rect& r, const Font* font);

} // namespace Quib
