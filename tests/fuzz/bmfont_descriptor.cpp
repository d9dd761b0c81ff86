// Loads any bytes as a bitmap-font descriptor from a pak archive, gives the
// font a page picture, then lays out, measures and draws text made of its
// glyphs (with their kerning pairs) into a picture.
#include "FuzzSupport.h"
#include "framework/graphics/BMFont.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

using namespace Quib;

namespace {

// Glyphs of the font with the characters kerned before them, and a line
// break: text the layout and drawing code can meet.
std::u16string TextOf(const BMFontData& data)
{
    std::u16string text;
    for (const auto& [id, glyph] : data.glyphs) {
        if (text.size() > 64)
            break;
        if (id < 0 || id > 0xFFFF)
            continue;
        for (const auto& [previous, amount] : glyph.kerning)
            if (previous >= 0 && previous <= 0xFFFF && text.size() < 64) {
                text += char16_t(previous);
                text += char16_t(id);
            }
        text += char16_t(id);
        if (text.size() % 5 == 0)
            text += u'\n';
    }
    return text;
}

MemoryImage& PagePicture()
{
    static MemoryImage* page = [] {
        auto* image = new MemoryImage(nullptr);
        std::vector<uint32_t> words(32 * 32);
        for (size_t i = 0; i < words.size(); ++i)
            words[i] = i % 3 ? 0xFFFFFFFFu : 0x80402010u;
        image->AssignPixels(words.data(), 32, 32, true);
        return image;
    }();
    return *page;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::FuzzPak pak({{"fonts\\fuzz.fnt", std::string(Fuzz::Text(data, size)), {}}});
    {
        std::map<std::string, std::string> pairs;
        const std::string line(Fuzz::Text(data, size));
        BMFont::SplitKeyValues(line.c_str(), pairs);
    }

    BMFont font("fonts/FUZZ.fnt");
    for (Image*& page : font.pages)
        page = &PagePicture();
    (void)font.Data().GetPageFile(int32_t(size));
    const std::u16string text = TextOf(font.Data());
    for (size_t i = 1; i < text.size(); ++i)
        font.GetCharAdvance(text[i], text[i - 1]);
    font.WidthOfText(text, 1, 1, 0);

    MemoryImage dest(nullptr);
    dest.Resize(48, 32);
    Graphics g(&dest);
    struct Pass {
        int x, y;
        float scaleX, scaleY, spacing;
        int hAlign, vAlign;
    };
    const Pass passes[] = {
        {4, 4, 1, 1, 0, FONT_ALIGN_LEFT, FONT_VALIGN_TOP},
        {40, 30, 2.5f, 0.5f, 1, FONT_ALIGN_RIGHT, FONT_VALIGN_BASELINE},
        {24, 16, 0.75f, 3, -2, FONT_ALIGN_CENTER, FONT_VALIGN_MIDDLE},
        {-5, 40, 1, 1, 0, FONT_ALIGN_LEFT, FONT_VALIGN_BOTTOM},
    };
    for (const Pass& p : passes) {
        FRect r;
        font.LayoutText(r, text, float(p.x), float(p.y), p.scaleX, p.scaleY, p.spacing, p.hAlign, p.vAlign);
        font.RenderText(g, p.x, p.y, text, Color(200, 100, 50), Rect(0, 0, 48, 32), p.scaleX, p.scaleY, p.spacing,
                        p.hAlign, p.vAlign);
    }
    g.font = &font;
    g.DrawText(text, 2, 20);
    return 0;
}
