#include "framework/graphics/SysFont.h"

#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/LineSteppers.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/OverComposite.h"
#include "platform/SystemFont.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace Quib {

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    int64_t product = int64_t(a) * b;
    int64_t half = std::llabs(c) / 2;
    int64_t q = (product >= 0) == (c > 0) ? (std::llabs(product) + half) / std::llabs(c)
                                          : -((std::llabs(product) + half) / std::llabs(c));
    if (q > INT32_MAX || q < INT32_MIN)
        return -1;
    return int(q);
}

int SysFont::DeviceDpi() { return 96; }

SystemFontRequest SysFont::MakeRequest(const std::string& face, int pointSize, bool bold, bool italic,
                                       bool underline, int dpi)
{
    SystemFontRequest request;
    request.face = face;
    request.height = -MulDiv(pointSize, dpi, 72);
    request.weight = bold ? 700 : 400;
    request.italic = italic;
    request.underline = underline;
    return request;
}

SysFont::SysFont(const std::string& face, int pointSize, int charset)
{
    CreateGdiFont(face, pointSize, false, charset, false, false, true);
}

SysFont::SysFont(const std::string& face, int pointSize, bool bold, bool italic, bool underline)
{
    CreateGdiFont(face, pointSize, bold, 0, italic, underline, false);
}

SysFont::SysFont(const SysFont& other) : Font(), faceName(other.faceName)
{
    systemFont = SystemFont::Create(other.systemFont ? other.systemFont->Request() : SystemFontRequest{});
    ascent = other.ascent;
    height = other.height;
    loaded = other.loaded;
}

SysFont::~SysFont() = default;

Font* SysFont::Clone() const { return new SysFont(*this); }

void SysFont::CreateGdiFont(const std::string& face, int pointSize, bool bold, int /*charset*/, bool italic,
                            bool underline, bool useDeviceDpi)
{
    // Character sets are chosen by fontconfig from the face's coverage.
    const int dpi = useDeviceDpi ? DeviceDpi() : 96;
    systemFont = SystemFont::Create(MakeRequest(face, pointSize, bold, italic, underline, dpi));
    height = systemFont->Height();
    ascent = systemFont->Ascent();
    extraLineGap = 0;
    shadow = false;
    overstrike = false;
    faceName = face;
    loaded = true;
}

void SysFont::LayoutText(FRect& r, std::u16string_view text, float x, float y, float scaleX, float scaleY, float,
                         int hAlign, int vAlign) const
{
    int w = 0, h = 0;
    systemFont->MeasureText(text, w, h);
    r = FRect(x, y, float(w) * scaleX, float(h) * scaleY);
    AlignLayout(r, hAlign, vAlign, float(ascent));
}

namespace {

uint32_t Channel(int32_t v) { return uint32_t(std::clamp(v, 0, 255)); }

// The colour as 0x00RRGGBB, channels clamped.
uint32_t Rgb(const Color& c) { return (Channel(c.red) << 16) | (Channel(c.green) << 8) | Channel(c.blue); }

} // namespace

void SysFont::RenderPixels(std::u16string_view text, const Color& c, int width, int height, uint32_t* out) const
{
    std::fill(out, out + size_t(width) * size_t(height), 0u);
    const TextCoverage coverage = systemFont->Render(text);
    const int cw = std::min(coverage.width, width), ch = std::min(coverage.height, height);
    if (cw <= 0 || ch <= 0)
        return;
    const uint32_t rgb = Rgb(c);
    if (!shadow && !overstrike) {
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x)
                if (const uint8_t f = coverage.At(x, y))
                    out[size_t(y) * size_t(width) + size_t(x)] = (uint32_t(f) << 24) | rgb;
        return;
    }
    auto stamp = [&](int dx, int dy, uint32_t color) {
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x)
                if (x + dx < width && y + dy < height) {
                    uint32_t& p = out[size_t(y + dy) * size_t(width) + size_t(x + dx)];
                    p = OverCompositeFill(p, color, coverage.At(x, y));
                }
    };
    if (shadow) {
        stamp(1, 1, 0);
        if (overstrike)
            stamp(2, 1, 0);
    }
    stamp(0, 0, rgb);
    if (overstrike)
        stamp(1, 0, rgb);
}

void SysFont::RenderText(Graphics& g, int x, int y, std::u16string_view text, const Color& color, const Rect& clip,
                         float scaleX, float scaleY, float, int hAlign, int vAlign) const
{
    if (auto* dd = dynamic_cast<DDImage*>(g.destImage)) {
        RenderToSurface(*dd, g, x, y, text, color, clip, scaleX, scaleY, hAlign, vAlign);
        return;
    }
    if (g.destImage->width <= 0 || g.destImage->height <= 0)
        return; // nothing can be drawn, e.g. into the measuring destination
    const int w = WidthOfText(text, 1.0f, 1.0f, 0.0f);
    const int h = Height();
    if (w <= 0 || h <= 0 || int64_t(w) * h > kMaxCoveragePixels)
        return;
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    RenderPixels(text, color, w, h, pixels.data());
    MemoryImage image;
    image.AssignPixels(pixels.data(), w, h, true);
    g.DrawImageAt(&image, x, y - ascent);
}

void SysFont::RenderToSurface(DDImage& image, const Graphics& g, int x, int y, std::u16string_view text,
                              const Color& c, const Rect& clip, float scaleX, float scaleY, int hAlign,
                              int vAlign) const
{
    if (!(scaleX > 0.0f) || !(scaleY > 0.0f))
        return;
    DisplaySurface* surface = image.EnsureSurface();
    if (!surface)
        return;
    const bool wasLocked = image.lockCount > 0;
    if (wasLocked)
        surface->Unlock();

    FRect r;
    LayoutText(r, text, float(x), float(y), scaleX, scaleY, 0.0f, hAlign, vAlign);
    const int px = TruncToInt(r.x), py = TruncToInt(r.y);
    const SurfaceRect area{clip.x, clip.y, int32_t(int64_t(clip.x) + clip.width),
                           int32_t(int64_t(clip.y) + clip.height)};
    // The colour's alpha is honoured, so that text on a surface can fade.
    const uint32_t alpha = Channel(c.alpha) << 24;
    const uint32_t rgb = Rgb(c);
    bool failed = false, drawn = false;
    auto put = [&](uint32_t argb, int dx, int dy) {
        if (failed)
            return;
        const int tx = TruncToInt(float(px) + g.transX + float(dx)), ty = TruncToInt(float(py) + g.transY + float(dy));
        failed = Failed(surface->DrawText(*systemFont, text, argb, tx, ty, area, scaleX, scaleY));
        drawn |= !failed;
    };
    if (shadow) {
        put(alpha, 1, 1);
        if (overstrike)
            put(alpha, 2, 1);
    }
    put(alpha | rgb, 0, 0);
    if (overstrike)
        put(alpha | rgb, 1, 0);
    if (drawn)
        image.DropMemoryCopies();

    if (wasLocked)
        surface->Lock(&image.lockDesc, DDLOCK_WAIT);
}

} // namespace Quib
