#include "platform/SystemFont.h"

#include "platform/CoverageBlend.h"
#include "platform/TextCodecs.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

namespace Quib {

std::u32string Utf16ToCodePoints(std::u16string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();)
        out += NextCodePoint(text, i);
    return out;
}

namespace {

const char* const kFallbackFamily = "DejaVu Sans";
const char* const kFallbackFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// One FreeType library for the process; FreeType calls that create or drop
// faces are serialised through its mutex.
struct FreeTypeLibrary {
    FT_Library library = nullptr;
    std::mutex mutex;
    FreeTypeLibrary()
    {
        if (FT_Init_FreeType(&library) != 0)
            library = nullptr;
    }
    ~FreeTypeLibrary()
    {
        if (library)
            FT_Done_FreeType(library);
    }
};

FreeTypeLibrary& Library()
{
    static FreeTypeLibrary instance;
    return instance;
}

bool SameFamily(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower((unsigned char)x) == std::tolower((unsigned char)y);
           });
}

// Asks fontconfig for a family at a weight and slant; gives the file, face
// index, the family found, and whether the face itself is bold / italic.
bool MatchFont(const std::string& family, int weight, bool italic, std::string& file, int& index,
               std::string& foundFamily, bool& isBold, bool& isItalic)
{
    static std::mutex fcMutex;
    std::lock_guard lock(fcMutex);
    if (!FcInit())
        return false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return false;
    FcChar8* path = nullptr;
    FcChar8* name = nullptr;
    int foundWeight = FC_WEIGHT_REGULAR, foundSlant = FC_SLANT_ROMAN;
    bool ok = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
    if (ok) {
        file = reinterpret_cast<const char*>(path);
        index = 0;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
            foundFamily = reinterpret_cast<const char*>(name);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &foundWeight);
        FcPatternGetInteger(match, FC_SLANT, 0, &foundSlant);
        isBold = foundWeight >= FC_WEIGHT_DEMIBOLD;
        isItalic = foundSlant != FC_SLANT_ROMAN;
    }
    FcPatternDestroy(match);
    return ok;
}

bool UsableScale(float scaleX, float scaleY)
{
    return scaleX > 0.0f && scaleY > 0.0f && scaleX <= 64.0f && scaleY <= 64.0f;
}

class FreeTypeFont final : public SystemFont {
public:
    explicit FreeTypeFont(const SystemFontRequest& request) : SystemFont(request) { Open(); }

    ~FreeTypeFont() override
    {
        if (mFace) {
            std::lock_guard lock(Library().mutex);
            FT_Done_Face(mFace);
        }
    }

    std::string FamilyName() const override { return mFamily; }
    bool HasFace() const override { return mFace != nullptr; }
    int Height() const override { return mAscent + mDescent; }
    int Ascent() const override { return mAscent; }

    int CharAdvance(char32_t c) const override
    {
        std::lock_guard lock(mMutex);
        return CachedAdvance(c);
    }

    int LineWidth(std::u16string_view text) const override
    {
        std::lock_guard lock(mMutex);
        return LineWidthLocked(text, false);
    }

    void MeasureText(std::u16string_view text, int& width, int& height) const override
    {
        width = 0;
        int lines = 0;
        size_t start = 0;
        while (true) {
            size_t end = start;
            while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
                ++end;
            width = std::max(width, LineWidth(text.substr(start, end - start)));
            ++lines;
            if (end >= text.size())
                break;
            start = end + ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
            if (start >= text.size())
                break; // a final line break starts no new line
        }
        height = text.empty() ? Height() : lines * Height();
    }

    TextCoverage Render(std::u16string_view text, float scaleX, float scaleY) const override
    {
        if (!mFace || !UsableScale(scaleX, scaleY))
            return {};
        std::lock_guard lock(mMutex);
        const ScaledSize size(*this, scaleX, scaleY);
        return RenderLocked(text, scaleX, scaleY, size.scaled, 0, 0, LineWidthLocked(text, size.scaled),
                            CellHeight(scaleY));
    }

    TextCoverage RenderArea(std::u16string_view text, float scaleX, float scaleY, int left, int top, int width,
                            int height) const override
    {
        if (!mFace || !UsableScale(scaleX, scaleY))
            return {};
        std::lock_guard lock(mMutex);
        const ScaledSize size(*this, scaleX, scaleY);
        return RenderLocked(text, scaleX, scaleY, size.scaled, left, top, width, height);
    }

private:
    void Open()
    {
        FreeTypeLibrary& lib = Library();
        if (!lib.library)
            return;
        std::string file, family;
        int index = 0;
        bool bold = false, italic = false;
        bool found = MatchFont(mRequest.face, mRequest.weight, mRequest.italic, file, index, family, bold, italic) &&
                     SameFamily(family, mRequest.face);
        if (!found)
            found = MatchFont(kFallbackFamily, mRequest.weight, mRequest.italic, file, index, family, bold, italic);
        if (!found) {
            file = kFallbackFile;
            family = kFallbackFamily;
            index = 0;
            bold = italic = false;
        }
        {
            std::lock_guard lock(lib.mutex);
            if (FT_New_Face(lib.library, file.c_str(), index, &mFace) != 0) {
                mFace = nullptr;
                return;
            }
        }
        mFamily = family;
        mSynthBold = mRequest.weight >= 600 && !bold;
        mSynthItalic = mRequest.italic && !italic;

        // Vertical metrics as Windows takes them: usWinAscent / usWinDescent.
        double unitsPerEm = mFace->units_per_EM ? mFace->units_per_EM : 2048;
        double winAscent = mFace->ascender, winDescent = -mFace->descender;
        if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(mFace, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
            winAscent = os2->usWinAscent;
            winDescent = os2->usWinDescent;
        }
        if (winAscent + winDescent <= 0) {
            winAscent = unitsPerEm * 0.8;
            winDescent = unitsPerEm * 0.2;
        }
        int requested = mRequest.height == 0 ? -12 : mRequest.height;
        mEm = requested < 0 ? double(-requested) : requested * unitsPerEm / (winAscent + winDescent);
        mEm = std::min(mEm, 2048.0);
        double scale = mEm / unitsPerEm;
        mAscent = int(std::lround(winAscent * scale));
        mDescent = int(std::lround(winDescent * scale));
        mUnderlinePosition = -mFace->underline_position * scale;
        mUnderlineThickness = std::max(1.0, mFace->underline_thickness * scale);
        SetSize(mEm, mEm);
    }

    void SetSize(double emX, double emY) const
    {
        FT_Set_Char_Size(mFace, FT_F26Dot6(std::lround(emX * 64)), FT_F26Dot6(std::lround(emY * 64)), 72, 72);
    }

    // The face at a scaled size for the life of this object.
    struct ScaledSize {
        const FreeTypeFont& font;
        const bool scaled;
        ScaledSize(const FreeTypeFont& f, float scaleX, float scaleY)
            : font(f), scaled(scaleX != 1.0f || scaleY != 1.0f)
        {
            if (scaled)
                font.SetSize(font.mEm * scaleX, font.mEm * scaleY);
        }
        ~ScaledSize()
        {
            if (scaled)
                font.SetSize(font.mEm, font.mEm);
        }
    };

    int CellHeight(float scaleY) const { return int(std::ceil(Height() * scaleY)); }

    // The glyph at the face's current size into the slot, emboldened when
    // the face is synthetic bold; false when it cannot be loaded.
    bool LoadGlyph(char32_t c) const
    {
        if (!mFace || FT_Load_Char(mFace, c, FT_LOAD_DEFAULT) != 0)
            return false;
        if (mSynthBold)
            FT_GlyphSlot_Embolden(mFace->glyph);
        return true;
    }

    int SlotAdvance() const { return int((mFace->glyph->advance.x + 32) >> 6); }

    // Advance at the face's current size; 0 for a glyph that cannot be loaded.
    int LoadAdvance(char32_t c) const { return LoadGlyph(c) ? SlotAdvance() : 0; }

    // Advance at the unscaled size, remembered: measuring text asks for the
    // same few characters again and again.
    int CachedAdvance(char32_t c) const
    {
        if (auto it = mAdvances.find(c); it != mAdvances.end())
            return it->second;
        if (mAdvances.size() >= 4096)
            mAdvances.clear();
        const int advance = LoadAdvance(c);
        mAdvances.emplace(c, advance);
        return advance;
    }

    int LineWidthLocked(std::u16string_view text, bool scaled) const
    {
        int64_t width = 0;
        for (size_t i = 0; i < text.size();) {
            const char32_t c = NextCodePoint(text, i);
            width += scaled ? LoadAdvance(c) : CachedAdvance(c);
        }
        return int(std::clamp<int64_t>(width, 0, INT32_MAX));
    }

    // The window (left, top, width, height) of the line's coverage. Glyphs
    // wholly left or right of it are only measured.
    TextCoverage RenderLocked(std::u16string_view text, float scaleX, float scaleY, bool scaled, int left, int top,
                              int width, int height) const
    {
        TextCoverage out;
        if (width <= 0 || height <= 0 || int64_t(width) * height > kMaxCoveragePixels)
            return out;
        out.width = width;
        out.height = height;
        out.alpha = std::make_unique<uint8_t[]>(size_t(width) * size_t(height));
        const int ascent = int(std::lround(mAscent * scaleY));
        // How far a glyph's ink may reach past its advance.
        const int64_t reach = int64_t(std::ceil(mEm * std::max(scaleX, scaleY))) + 2;
        const int64_t right = int64_t(left) + width;
        int64_t pen = 0;
        bool pastWindow = false;
        for (size_t i = 0; i < text.size();) {
            if (pen - reach >= right) {
                pastWindow = true;
                break;
            }
            const char32_t c = NextCodePoint(text, i);
            if (!scaled && pen + CachedAdvance(c) + reach <= left) {
                pen += CachedAdvance(c);
                continue;
            }
            if (!LoadGlyph(c))
                continue;
            FT_GlyphSlot slot = mFace->glyph;
            const int advance = SlotAdvance();
            if (pen + advance + reach > left) {
                if (mSynthItalic)
                    FT_GlyphSlot_Oblique(slot);
                if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0)
                    Stamp(out, slot->bitmap, pen + slot->bitmap_left - left,
                          int64_t(ascent) - slot->bitmap_top - top);
            }
            pen += advance;
        }
        if (mRequest.underline)
            Underline(out, ascent - top, scaleY, -int64_t(left), pastWindow ? right - left : pen - left);
        return out;
    }

    static void Stamp(TextCoverage& out, const FT_Bitmap& bitmap, int64_t left, int64_t top)
    {
        if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
            return;
        for (int row = 0; row < int(bitmap.rows); ++row) {
            const int64_t y = top + row;
            if (y < 0 || y >= out.height)
                continue;
            const uint8_t* src = bitmap.buffer + ptrdiff_t(row) * bitmap.pitch;
            uint8_t* dst = out.alpha.get() + size_t(y) * size_t(out.width);
            for (int col = 0; col < int(bitmap.width); ++col) {
                const int64_t x = left + col;
                if (x >= 0 && x < out.width)
                    dst[x] = std::max(dst[x], src[col]);
            }
        }
    }

    // The underline below the baseline, from x = start to end (window pixels).
    void Underline(TextCoverage& out, int baseline, float scaleY, int64_t start, int64_t end) const
    {
        const int top = baseline + int(std::lround(mUnderlinePosition * scaleY - mUnderlineThickness * scaleY / 2));
        const int rows = std::max(1, int(std::lround(mUnderlineThickness * scaleY)));
        const int64_t from = std::max<int64_t>(start, 0), to = std::min<int64_t>(end, out.width);
        if (from >= to)
            return;
        for (int y = std::max(0, top); y < std::min(out.height, top + rows); ++y)
            std::memset(out.alpha.get() + size_t(y) * size_t(out.width) + size_t(from), 255, size_t(to - from));
    }

    FT_Face mFace = nullptr;
    std::string mFamily;
    double mEm = 16;
    int mAscent = 0;
    int mDescent = 0;
    double mUnderlinePosition = 0;
    double mUnderlineThickness = 1;
    bool mSynthBold = false;
    bool mSynthItalic = false;
    mutable std::unordered_map<char32_t, int> mAdvances; // unscaled, under mMutex
    mutable std::mutex mMutex; // a face is used by one thread at a time
};

// One colour field of a surface pixel, with the text colour's value scaled
// to the field's range.
struct Field {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t target = 0;

    Field(uint32_t fieldMask, uint32_t value) : mask(fieldMask)
    {
        while (fieldMask && !(fieldMask & 1)) {
            fieldMask >>= 1;
            ++shift;
        }
        target = (value * fieldMask + 127) / 255;
    }

    // The field moved toward the text colour by weight / 255.
    uint32_t Blend(uint32_t pixel, uint32_t weight) const
    {
        if (!mask)
            return pixel;
        const uint32_t old = (pixel & mask) >> shift;
        const uint32_t mixed = (target * weight + old * (255 - weight) + 127) / 255;
        return (pixel & ~mask) | ((mixed << shift) & mask);
    }
};

} // namespace

std::unique_ptr<SystemFont> SystemFont::Create(const SystemFontRequest& request)
{
    return std::make_unique<FreeTypeFont>(request);
}

void BlendCoverageReference(const SurfaceDesc& target, const TextCoverage& coverage, int64_t left, int64_t top,
                            uint32_t color)
{
    const uint32_t bitCount = target.format.bitCount, alpha = color >> 24;
    const SurfacePixelFormat& f = target.format;
    const Field red(f.redMask, (color >> 16) & 0xFF), green(f.greenMask, (color >> 8) & 0xFF),
        blue(f.blueMask, color & 0xFF);
    for (int py = 0; py < coverage.height; ++py) {
        uint8_t* row = static_cast<uint8_t*>(target.bits) + ptrdiff_t(top + py) * target.pitch;
        for (int px = 0; px < coverage.width; ++px) {
            const uint32_t weight = coverage.At(px, py) * alpha / 255;
            if (!weight)
                continue;
            const int64_t at = left + px;
            uint32_t pixel = bitCount == 32 ? reinterpret_cast<uint32_t*>(row)[at]
                                                   : reinterpret_cast<uint16_t*>(row)[at];
            pixel = blue.Blend(green.Blend(red.Blend(pixel, weight), weight), weight);
            if (bitCount == 32)
                reinterpret_cast<uint32_t*>(row)[at] = pixel;
            else
                reinterpret_cast<uint16_t*>(row)[at] = uint16_t(pixel);
        }
    }
}

namespace {

// The rows of BlendCoverage for one pixel size: clear coverage skipped
// eight bytes at a time.
template <typename Pixel>
void BlendCoverageRows(const SurfaceDesc& target, const TextCoverage& coverage, int64_t left, int64_t top,
                       uint32_t alpha, const Field& red, const Field& green, const Field& blue)
{
    const int width = coverage.width;
    for (int py = 0; py < coverage.height; ++py) {
        Pixel* row = reinterpret_cast<Pixel*>(static_cast<uint8_t*>(target.bits) + ptrdiff_t(top + py) * target.pitch) +
                     left;
        const uint8_t* cover = coverage.alpha.get() + size_t(py) * size_t(width);
        int px = 0;
        while (px < width) {
            if (px + 8 <= width) {
                uint64_t eight;
                std::memcpy(&eight, cover + px, 8);
                if (!eight) {
                    px += 8;
                    continue;
                }
            }
            const uint32_t weight = cover[px] * alpha / 255;
            if (weight) {
                const uint32_t pixel = row[px];
                row[px] = Pixel(blue.Blend(green.Blend(red.Blend(pixel, weight), weight), weight));
            }
            ++px;
        }
    }
}

} // namespace

void BlendCoverage(const SurfaceDesc& target, const TextCoverage& coverage, int64_t left, int64_t top, uint32_t color)
{
    const uint32_t alpha = color >> 24;
    const SurfacePixelFormat& f = target.format;
    const Field red(f.redMask, (color >> 16) & 0xFF), green(f.greenMask, (color >> 8) & 0xFF),
        blue(f.blueMask, color & 0xFF);
    if (!coverage.alpha || !alpha)
        return;
    if (f.bitCount == 32)
        BlendCoverageRows<uint32_t>(target, coverage, left, top, alpha, red, green, blue);
    else if (f.bitCount == 16)
        BlendCoverageRows<uint16_t>(target, coverage, left, top, alpha, red, green, blue);
}

std::shared_ptr<const TextCoverage> SystemFont::CoverageFor(std::u16string_view text, float scaleX, float scaleY,
                                                           int left, int top, int width, int height) const
{
    {
        std::lock_guard lock(mCacheMutex);
        for (auto it = mCoverageCache.begin(); it != mCoverageCache.end(); ++it) {
            if (it->left == left && it->top == top && it->width == width && it->height == height &&
                it->scaleX == scaleX && it->scaleY == scaleY && it->text == text) {
                mCoverageCache.splice(mCoverageCache.begin(), mCoverageCache, it);
                return mCoverageCache.front().coverage;
            }
        }
    }
    auto coverage = std::make_shared<const TextCoverage>(RenderArea(text, scaleX, scaleY, left, top, width, height));
    const size_t bytes = size_t(coverage->width) * size_t(coverage->height) + text.size() * sizeof(char16_t);
    if (bytes > kCoverageCacheBytes / 4)
        return coverage; // too large to keep
    std::lock_guard lock(mCacheMutex);
    mCoverageCache.push_front({std::u16string(text), scaleX, scaleY, left, top, width, height, coverage, bytes});
    mCoverageCacheBytes += bytes;
    while (mCoverageCache.size() > kCoverageCacheEntries || mCoverageCacheBytes > kCoverageCacheBytes) {
        mCoverageCacheBytes -= mCoverageCache.back().bytes;
        mCoverageCache.pop_back();
    }
    return coverage;
}

void SystemFont::BlendInto(const SurfaceDesc& target, std::u16string_view text, uint32_t color, int x, int y,
                           int clipX, int clipY, int clipWidth, int clipHeight, float scaleX, float scaleY) const
{
    const uint32_t bitCount = target.format.bitCount;
    const int64_t targetWidth = target.width, targetHeight = target.height;
    if (!target.bits || (bitCount != 16 && bitCount != 32) || !UsableScale(scaleX, scaleY) ||
        text.empty())
        return;
    const uint32_t alpha = color >> 24;
    if (alpha == 0)
        return;
    // Only the part of the cell inside the clip and the surface is rendered.
    const int64_t cellHeight = int64_t(std::ceil(double(Height()) * scaleY));
    const int64_t left = std::max<int64_t>({x, clipX, 0});
    const int64_t top = std::max<int64_t>({y, clipY, 0});
    int64_t right = std::min<int64_t>(int64_t(clipX) + clipWidth, targetWidth);
    if (scaleX == 1.0f) // ink ends well within a cell height of the last advance
        right = std::min<int64_t>(right, int64_t(x) + LineWidth(text) + Height());
    const int64_t bottom = std::min<int64_t>({int64_t(y) + cellHeight, int64_t(clipY) + clipHeight, targetHeight});
    if (right <= left || bottom <= top || left - x > INT32_MAX || top - y > INT32_MAX)
        return;
    const std::shared_ptr<const TextCoverage> cached =
        CoverageFor(text, scaleX, scaleY, int(left - x), int(top - y), int(right - left), int(bottom - top));
    if (!cached || !cached->alpha)
        return;
    const TextCoverage& coverage = *cached;
    BlendCoverage(target, coverage, left, top, color);
}

} // namespace Quib
