#pragma once
#include "framework/files/PakInterface.h"
#include "framework/graphics/BMFontData.h"
#include "framework/graphics/Font.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Quib {

class Image;

// A bitmap font: glyphs cut from page pictures, as a BMFont text descriptor
// lays them out. Copies share the descriptor and the pages.
class BMFont : public Font {
public:
    using Font::LayoutText;
    using Font::RenderText;

    // Makes the picture of a page from its file name; null when it cannot.
    using PageLoader = std::function<std::unique_ptr<Image>(const std::string& path)>;
    // Display pictures made by the default image registry (none without one).
    static PageLoader DefaultPageLoader();

    // Loads the descriptor and its pages (beside the descriptor) through
    // loadPage. Not loaded when the descriptor cannot be opened or parsed; a
    // page that fails to load draws nothing.
    explicit BMFont(const std::string& path, const PageLoader& loadPage = DefaultPageLoader());
    BMFont(const BMFont& other);
    BMFont& operator=(const BMFont&) = delete;
    ~BMFont() override;

    Font* Clone() const override;
    void LayoutText(FRect& r, std::u16string_view text, float x, float y, float scaleX, float scaleY,
                    float spacing, int hAlign, int vAlign) const override;
    // Draws with g's colourise-images flag on and the given colour and
    // clip; g keeps the colour, the flag and clip are put back.
    void RenderText(Graphics& g, int x, int y, std::u16string_view text, const Color& color, const Rect& clip,
                    float scaleX, float scaleY, float spacing, int hAlign, int vAlign) const override;

    // xadvance of c plus the kerning after `previous` (when not 0); -1 when
    // c has no glyph.
    int GetCharAdvance(int32_t c, int32_t previous) const;

    const BMFontData& Data() const { return mShared->data; }
    // Page i's picture; null when it failed to load or there is none.
    Image* Page(size_t i) const { return i < pages.size() ? pages[i] : nullptr; }

    // Reads a descriptor from an open file into data. True at the end of
    // the file or at an empty line; false at a line of an unknown kind or
    // a damaged one. What was read before stays in data. With shortfall,
    // fewer character or kerning lines than the "chars" and "kernings"
    // lines declare (a descriptor cut short) are told there, else it is
    // left empty.
    static bool ParseDescriptor(BMFontData* data, PakFile* file, std::string* shortfall = nullptr);

    // Stores the key=value pairs of a line (the first of a repeated key
    // wins; values may be quoted) and returns the line's kind word.
    static std::string SplitKeyValues(const char* line, std::map<std::string, std::string>& pairs);

    std::vector<Image*> pages; // the shared pictures, in page order

private:
    // The descriptor and the pictures, freed with the last copy.
    struct Shared {
        BMFontData data;
        std::vector<std::unique_ptr<Image>> pageImages;
    };

    int32_t Kerning(const BMFontGlyph& glyph, int32_t previous) const;
    void DrawGlyph(Graphics& g, const BMFontGlyph& glyph, float x, float y, float width, float height) const;

    std::shared_ptr<Shared> mShared;
};

} // namespace Quib
