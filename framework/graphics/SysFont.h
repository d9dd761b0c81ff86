#pragma once
#include "framework/graphics/Font.h"

#include <memory>
#include <string>

namespace Quib {

class DDImage;
class SystemFont;
struct SystemFontRequest;

// A font made from an installed typeface (FreeType through the platform
// layer). Character spacing is ignored.
class SysFont : public Font {
public:
    using Font::LayoutText;
    using Font::RenderText;

    // Normal weight, at the device resolution.
    SysFont(const std::string& face, int pointSize, int charset);
    // At 96 DPI.
    SysFont(const std::string& face, int pointSize, bool bold, bool italic, bool underline);
    SysFont(const SysFont& other);
    SysFont& operator=(const SysFont&) = delete;
    ~SysFont() override;

    Font* Clone() const override;
    void LayoutText(FRect& r, std::u16string_view text, float x, float y, float scaleX, float scaleY,
                    float spacing, int hAlign, int vAlign) const override;
    void RenderText(Graphics& g, int x, int y, std::u16string_view text, const Color& color, const Rect& clip,
                    float scaleX, float scaleY, float spacing, int hAlign, int vAlign) const override;

    // The request made of the platform: pixel height -MulDiv(points, dpi,
    // 72), weight 700 or 400.
    static SystemFontRequest MakeRequest(const std::string& face, int pointSize, bool bold, bool italic,
                                         bool underline, int dpi);
    // The resolution of the display: 96 here.
    static int DeviceDpi();

    const SystemFont* Platform() const { return systemFont.get(); }

    std::string faceName;
    std::unique_ptr<SystemFont> systemFont;
    bool shadow = false;     // black copy one pixel right and down, drawn first
    bool overstrike = false; // every draw repeated one pixel to the right

private:
    void CreateGdiFont(const std::string& face, int pointSize, bool bold, int charset, bool italic,
                       bool underline, bool useDeviceDpi);
    // Text blended straight into a display image's surface, aligned, scaled
    // about its corner and honouring the colour's alpha.
    void RenderToSurface(DDImage& image, const Graphics& g, int x, int y, std::u16string_view text, const Color& c,
                         const Rect& clip, float scaleX, float scaleY, int hAlign, int vAlign) const;
    // The text in the colour, coverage as alpha, cell top-left at (0, 0) of
    // a width x height picture of 0xAARRGGBB words.
    void RenderPixels(std::u16string_view text, const Color& color, int width, int height, uint32_t* out) const;
};

// a * b / c rounded to the nearest, halves away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

} // namespace Quib
