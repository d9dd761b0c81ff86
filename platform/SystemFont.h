#pragma once
#include "platform/DisplaySurface.h"

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace Quib {

// What a system font is asked for by, in the terms of a Windows LOGFONT.
struct SystemFontRequest {
    std::string face;      // family name; a family that is not installed falls back to DejaVu Sans
    int height = -16;      // negative: character (em) height in pixels; positive: cell height
    int weight = 400;      // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
};

// The largest coverage picture a font renders at once, in pixels.
constexpr int64_t kMaxCoveragePixels = int64_t(1) << 26;

// 8-bit coverage of a rendered line of text, top-down rows without gaps.
struct TextCoverage {
    int width = 0;
    int height = 0;
    std::unique_ptr<uint8_t[]> alpha;

    uint8_t At(int x, int y) const { return alpha[size_t(y) * size_t(width) + size_t(x)]; }
};

// An installed typeface at one size, rendered with FreeType. Metrics follow
// GDI's text metrics at 96 DPI: the cell height is ascent plus descent, and
// text is placed by the top of its cell.
class SystemFont {
public:
    // Never null: the fallback face is used when the family is missing; a
    // machine with no usable font gives a font that measures and draws nothing.
    static std::unique_ptr<SystemFont> Create(const SystemFontRequest& request);
    virtual ~SystemFont() = default;

    const SystemFontRequest& Request() const { return mRequest; }
    // The family actually used.
    virtual std::string FamilyName() const = 0;
    virtual bool HasFace() const = 0;

    virtual int Height() const = 0; // cell height, tmHeight
    virtual int Ascent() const = 0; // tmAscent
    // Advance of one character, in whole pixels.
    virtual int CharAdvance(char32_t c) const = 0;
    // Width of a single line of text (no line breaks considered).
    virtual int LineWidth(std::u16string_view text) const = 0;
    // Extent of text as DrawTextEx with DT_CALCRECT gives it: lines split at
    // "\r\n", "\n" or "\r"; width of the widest line, height = lines x Height().
    virtual void MeasureText(std::u16string_view text, int& width, int& height) const = 0;

    // Coverage of one line of text drawn with its cell's top-left at (0, 0),
    // scaled by (scaleX, scaleY) about that corner; the size is the scaled
    // line width by the scaled cell height. Scales outside (0, 64] and
    // pictures larger than kMaxCoveragePixels give an empty coverage.
    virtual TextCoverage Render(std::u16string_view text, float scaleX = 1.0f, float scaleY = 1.0f) const = 0;
    // The part (left, top, width, height) of what Render gives, so that a
    // long or large line costs only the part that shows.
    virtual TextCoverage RenderArea(std::u16string_view text, float scaleX, float scaleY, int left, int top,
                                    int width, int height) const = 0;

    // Blends one line of text in colour 0xAARRGGBB (alpha honoured) into a
    // locked 16- or 32-bit surface (bits, pitch, size and format of its lock
    // description), cell top-left at (x, y), writing only inside the clip
    // (clipX, clipY, clipWidth, clipHeight) and the surface.
    void BlendInto(const SurfaceDesc& target, std::u16string_view text, uint32_t color, int x, int y,
                   int clipX, int clipY, int clipWidth, int clipHeight, float scaleX = 1.0f,
                   float scaleY = 1.0f) const;

    // The coverage BlendInto blends: RenderArea's, kept for the same line,
    // scale and area drawn again (a face renders the same pixels for the same
    // arguments). Bounded by kCoverageCacheEntries and kCoverageCacheBytes.
    std::shared_ptr<const TextCoverage> CoverageFor(std::u16string_view text, float scaleX, float scaleY, int left,
                                                    int top, int width, int height) const;
    static constexpr size_t kCoverageCacheEntries = 64;
    static constexpr size_t kCoverageCacheBytes = size_t(4) << 20;

protected:
    explicit SystemFont(SystemFontRequest request) : mRequest(std::move(request)) {}
    SystemFontRequest mRequest;

private:
    struct CachedCoverage {
        std::u16string text;
        float scaleX, scaleY;
        int left, top, width, height;
        std::shared_ptr<const TextCoverage> coverage;
        size_t bytes; // what it counts against the limit
    };
    mutable std::mutex mCacheMutex;
    mutable std::list<CachedCoverage> mCoverageCache; // most recently used first
    mutable size_t mCoverageCacheBytes = 0;
};

// UTF-16 to code points; an unpaired surrogate becomes U+FFFD.
std::u32string Utf16ToCodePoints(std::u16string_view text);

} // namespace Quib
