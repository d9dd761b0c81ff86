#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Quib {

// One glyph of a bitmap font: its rectangle in a page picture and its
// placement against the pen.
struct BMFontGlyph {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t xoffset = 0;
    int32_t yoffset = 0;
    int32_t xadvance = 0;
    int32_t page = 0;
    int32_t chnl = 0;
    // Character before this glyph -> amount added to its place and advance.
    std::map<int32_t, int32_t> kerning;
};

// A parsed bitmap-font descriptor, shared by the copies of a font.
struct BMFontData {
    std::string face;
    int32_t size = 0;
    bool bold = false;
    bool italic = false;
    std::string charset;
    bool unicode = false;
    int32_t stretchH = 0;
    bool smooth = false;
    int32_t aa = 0;
    int32_t padding[4] = {};
    int32_t spacing[2] = {};
    int32_t lineHeight = 0;
    int32_t base = 0;
    int32_t scaleW = 0;
    int32_t scaleH = 0;
    int32_t packed = 0;
    std::vector<std::string> pages;
    std::map<int32_t, BMFontGlyph> glyphs;

    // The file of page i; empty when there is no such page.
    std::string GetPageFile(int32_t i) const;
};

} // namespace Quib
