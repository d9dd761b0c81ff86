#include "framework/graphics/BMFont.h"

#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/ImageDisplay.h"
#include "framework/graphics/LineSteppers.h"
#include "platform/MessageSink.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace Quib {

namespace {

// The drive and folder of a path, with the separator after it ('\' or '/').
std::string FolderOf(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/");
    if (cut != std::string::npos)
        return path.substr(0, cut + 1);
    const size_t drive = path.find(':');
    return drive == std::string::npos ? std::string() : path.substr(0, drive + 1);
}

// The width of the line that starts at text[from], up to the next newline:
// every character adds (spacing + its advance after the one before) scaled.
float LineWidth(const BMFont& font, std::u16string_view text, size_t from, float scaleX, float spacing)
{
    float width = 0;
    int32_t previous = 0;
    for (size_t i = from; i < text.size() && text[i] != u'\n'; ++i) {
        width += scaleX * (spacing + float(font.GetCharAdvance(text[i], previous)));
        previous = text[i];
    }
    return width;
}

// A sum of descriptor numbers, which may lie anywhere in the int range.
int64_t Sum(int32_t a, int32_t b) { return int64_t(a) + b; }

// Whether a position or size reaches past the int range.
bool OutsideInt(double v) { return !(v >= double(INT32_MIN) && v <= double(INT32_MAX)); }

} // namespace

BMFont::PageLoader BMFont::DefaultPageLoader()
{
    return [](const std::string& path) {
        ImageRegistry* registry = DefaultImageRegistry();
        return std::unique_ptr<Image>(registry ? registry->CreateImage(path, true) : nullptr);
    };
}

BMFont::BMFont(const std::string& path, const PageLoader& loadPage) : mShared(std::make_shared<Shared>())
{
    if (PakFile* file = PakFOpen(path)) {
        std::string shortfall;
        loaded = ParseDescriptor(&mShared->data, file, &shortfall);
        PakFClose(file);
        if (!loaded)
            OutputDebugString("Font " + path + ": the descriptor cannot be read\n");
        else if (!shortfall.empty())
            // What was read is kept: the characters missing are not drawn.
            OutputDebugString("Font " + path + ": the descriptor is cut short (" + shortfall + ")\n");
    } else {
        OutputDebugString("Font " + path + ": the descriptor cannot be opened\n");
    }
    const std::string folder = FolderOf(path);
    const size_t count = mShared->data.pages.size();
    mShared->pageImages.resize(count);
    pages.resize(count);
    for (size_t i = 0; i < count; ++i) {
        if (loadPage) {
            mShared->pageImages[i] = loadPage(folder + mShared->data.pages[i]);
            if (!mShared->pageImages[i])
                OutputDebugString("Font " + path + ": the page picture " + folder + mShared->data.pages[i] +
                                  " cannot be loaded; its characters are not drawn\n");
        }
        pages[i] = mShared->pageImages[i].get();
    }
    ascent = mShared->data.base;
    height = mShared->data.size;
    extraLineGap = 0;
}

BMFont::BMFont(const BMFont& other) : Font(other), pages(other.pages), mShared(other.mShared) {}

BMFont::~BMFont() = default;

Font* BMFont::Clone() const { return new BMFont(*this); }

int32_t BMFont::Kerning(const BMFontGlyph& glyph, int32_t previous) const
{
    if (previous == 0)
        return 0;
    auto it = glyph.kerning.find(previous);
    return it == glyph.kerning.end() ? 0 : it->second;
}

int BMFont::GetCharAdvance(int32_t c, int32_t previous) const
{
    auto it = mShared->data.glyphs.find(c);
    if (it == mShared->data.glyphs.end())
        return -1;
    return int(std::clamp<int64_t>(Sum(it->second.xadvance, Kerning(it->second, previous)), INT32_MIN, INT32_MAX));
}

void BMFont::LayoutText(FRect& r, std::u16string_view text, float x, float y, float scaleX, float scaleY,
                        float spacing, int hAlign, int vAlign) const
{
    int lines = 1;
    float widest = 0;
    for (size_t start = 0;; ++lines) {
        widest = std::max(widest, LineWidth(*this, text, start, scaleX, spacing));
        start = text.find(u'\n', start);
        if (start == std::u16string_view::npos)
            break;
        ++start;
    }
    r = FRect(x, y, widest, float(lines) * (float(mShared->data.lineHeight) * scaleY));
    AlignLayout(r, hAlign, vAlign, 0.0f); // the baseline code leaves y here
}

void BMFont::DrawGlyph(Graphics& g, const BMFontGlyph& glyph, float x, float y, float width, float height) const
{
    Image* page = Page(size_t(std::max(glyph.page, 0)));
    if (glyph.page < 0 || !page || glyph.width == 0 || glyph.height == 0)
        return;
    const float dx = g.scaleOrigX - g.transX, dy = g.scaleOrigY - g.transY;
    const Rect source(glyph.x, glyph.y, glyph.width, glyph.height);
    // The device draws only into its render target; glyphs for any other
    // destination are drawn by the destination itself.
    auto* target = dynamic_cast<DDImage*>(g.destImage);
    D3DInterface* d3d = target && target->IsRenderTarget() ? target->display->d3d : nullptr;
    if (d3d && (width != float(glyph.width) || height != float(glyph.height))) {
        // Through the 3-D device, filtered: the quad, then the Graphics
        // scale about its origin, then the translation.
        Matrix3x3 m;
        m.PreScale(width / float(glyph.width), height / float(glyph.height));
        m.PreTranslate(x, y);
        if (g.IsScaled()) {
            m.PreTranslate(-dx, -dy);
            m.PreScale(g.scaleX, g.scaleY);
            m.PreTranslate(dx, dy);
        }
        m.PreTranslate(g.transX, g.transY);
        d3d->BltTransformed(g.color, source, page, &g.clipRect, g.drawMode, m, true, 0.0f, 0.0f, false);
        return;
    }
    if (g.IsScaled()) {
        // Scale about the Graphics' scale origin, taken in untranslated terms.
        x = (x - dx) * g.scaleX + dx;
        y = (y - dy) * g.scaleY + dy;
        width *= g.scaleX;
        height *= g.scaleY;
    }
    const double left = double(g.transX) + std::trunc(x), top = double(g.transY) + std::trunc(y);
    // A glyph placed or sized past the int range lies outside every picture.
    if (OutsideInt(left) || OutsideInt(top) || OutsideInt(width) || OutsideInt(height))
        return;
    const Rect dest(TruncToInt(left), TruncToInt(top), TruncToInt(width), TruncToInt(height));
    g.destImage->PutImageStretched(page, dest, source, g.clipRect, g.color, g.drawMode, g.fastStretch);
}

void BMFont::RenderText(Graphics& g, int x, int y, std::u16string_view text, const Color& color, const Rect& clip,
                        float scaleX, float scaleY, float spacing, int hAlign, int vAlign) const
{
    const Rect oldClip = g.clipRect;
    g.colorizeImages = true;
    g.color = color;
    g.clipRect = clip;
    if (vAlign == FONT_VALIGN_BASELINE) {
        // A descriptor's base can be anything: saturate rather than overflow.
        y = int(std::clamp<int64_t>(int64_t(y) - ascent, INT32_MIN, INT32_MAX));
        vAlign = 0;
    }

    const BMFontData& data = mShared->data;
    const float lineHeight = float(data.lineHeight) * scaleY;
    const int lines = vAlign == 0 ? 1 : 1 + int(std::count(text.begin(), text.end(), u'\n'));

    int line = 0;
    float penX = 0, penY = 0;
    // Each line is placed by its own width.
    auto placePen = [&](size_t lineStart) {
        const bool measure = hAlign == FONT_ALIGN_RIGHT || hAlign == FONT_ALIGN_CENTER;
        const float w = measure ? LineWidth(*this, text, lineStart, scaleX, spacing) : 0.0f;
        penX = hAlign == FONT_ALIGN_RIGHT ? float(x) - w : hAlign == FONT_ALIGN_CENTER ? float(x) - w / 2 : float(x);
        const float index = float(line);
        penY = vAlign == FONT_VALIGN_MIDDLE   ? float(y) + lineHeight * (index - float(lines) / 2)
               : vAlign == FONT_VALIGN_BOTTOM ? float(y) + lineHeight * (index - float(lines))
                                              : float(y) + lineHeight * index;
    };
    placePen(0);
    int32_t previous = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\n') {
            ++line;
            previous = 0;
            placePen(i + 1);
            continue;
        }
        int64_t advance = -1;
        auto it = data.glyphs.find(c);
        if (it != data.glyphs.end()) {
            const BMFontGlyph& glyph = it->second;
            const int32_t kern = Kerning(glyph, previous);
            DrawGlyph(g, glyph, penX + float(Sum(glyph.xoffset, kern)) * scaleX, penY + float(glyph.yoffset) * scaleY,
                      float(glyph.width) * scaleX, float(glyph.height) * scaleY);
            advance = Sum(glyph.xadvance, kern);
        }
        penX += (spacing + float(advance)) * scaleX;
        previous = c;
    }

    // The clip comes back; the colour stays and colourising is left off.
    g.clipRect = oldClip;
    g.colorizeImages = false;
}

} // namespace Quib
