// The pixel arithmetic and scan-conversion rules, case by case.
#include "tests/raster/RasterTestSupport.h"

#include <gtest/gtest.h>

namespace Quib {
namespace {

using namespace Testing;

enum Opt : int { TEX = 16, ALPHA = 8, VC = 4, MOD = 2, SMOOTH = 1 };

int Index(PixelFormatCode format, int options)
{
    return FillerIndex(options & TEX, options & ALPHA, options & VC, options & MOD, options & SMOOTH, format);
}

// Covers a 4 x 4 destination with two triangles whose corners all sample
// the middle of a 1 x 1 texture and carry the same vertex colour.
uint32_t DrawOnePixelValue(PixelFormatCode format, int options, uint32_t texel, FillerColor colour,
                           uint32_t vertexColour, uint32_t dest)
{
    TestSurface s(4, 4, format);
    s.Fill(dest);
    const std::vector<uint32_t> tex = {texel};
    const TextureInfo info = MakeTextureInfo(tex, 1);
    const FixedCorner a = Corner(0, 0, 0.5, 0.5, vertexColour), b = Corner(4, 0, 0.5, 0.5, vertexColour),
                      c = Corner(0, 4, 0.5, 0.5, vertexColour), d = Corner(4, 4, 0.5, 0.5, vertexColour);
    const FixedCorner t1[3] = {a, b, c}, t2[3] = {b, d, c};
    TriangleFillerAt(Index(format, options))(t1, s.Bits(), s.pitch, info, colour);
    TriangleFillerAt(Index(format, options))(t2, s.Bits(), s.pitch, info, colour);
    return s.Get(1, 1);
}

struct ArithmeticCase {
    const char* name;
    PixelFormatCode format;
    int options;
    uint32_t texel;
    FillerColor colour;
    uint32_t vertexColour;
    uint32_t dest;
    uint32_t expected;
};

constexpr FillerColor white{255, 255, 255, 255};

const ArithmeticCase arithmeticCases[] = {
    {"texel alpha 8 is skipped", PIXEL_FORMAT_8888, TEX | ALPHA, 0x08FFFFFF, white, 0, 0xFF102030, 0xFF102030},
    {"texel alpha 9 blends", PIXEL_FORMAT_8888, TEX | ALPHA, 0x09FFFFFF, white, 0, 0xFF000000, 0xFF080808},
    {"texel alpha 240 is opaque", PIXEL_FORMAT_8888, TEX | ALPHA, 0xF0123456, white, 0, 0x00000000, 0xFF123456},
    {"white over white at 128, ARGB", PIXEL_FORMAT_8888, TEX | ALPHA, 0x80FFFFFF, white, 0, 0xFFFFFFFF, 0xFFFEFEFE},
    {"white over white at 128, XRGB", PIXEL_FORMAT_888, TEX | ALPHA, 0x80FFFFFF, white, 0, 0xFFFFFFFF, 0xFFFDFDFD},
    {"over destination alpha 0", PIXEL_FORMAT_8888, TEX | ALPHA, 0x64C8C8C8, white, 0, 0x00000000, 0x63C7C7C7},
    {"colour alpha 0, XRGB", PIXEL_FORMAT_888, TEX | MOD, 0xFF102030, {0, 255, 255, 255}, 0, 0xFF808080,
     0xFF7F7F7F},
    {"colour alpha 1, XRGB", PIXEL_FORMAT_888, TEX | MOD, 0xFF102030, {1, 255, 255, 255}, 0, 0xFF808080,
     0xFF7F7F7F},
    {"colour alpha 0, ARGB keeps colour", PIXEL_FORMAT_8888, TEX | MOD, 0xFF102030, {0, 255, 255, 255}, 0,
     0x80406080, 0x7F406080},
    {"nothing over nothing stays", PIXEL_FORMAT_8888, TEX | MOD, 0xFF102030, {0, 255, 255, 255}, 0, 0x00406080,
     0x00406080},
    {"nothing over nothing stays, smooth", PIXEL_FORMAT_8888, TEX | ALPHA | MOD | SMOOTH, 0xFF102030,
     {1, 255, 255, 255}, 0, 0x00406080, 0x00406080},
    {"RGB565 red at 128", PIXEL_FORMAT_565, TEX | ALPHA, 0x80FF0000, white, 0, 0xF800, 0xE800},
    {"RGB555 red at 128", PIXEL_FORMAT_555, TEX | ALPHA, 0x80FF0000, white, 0, 0x7C00, 0x7400},
    {"RGB565 opaque packs", PIXEL_FORMAT_565, TEX | ALPHA, 0xFF10F8FF, white, 0, 0, 0x17DF},
    {"RGB555 plain packs, bit 15 zero", PIXEL_FORMAT_555, TEX, 0x00FFFFFF, white, 0, 0xFFFF, 0x7FFF},
    {"modulated halves", PIXEL_FORMAT_8888, TEX | MOD, 0xFFC86432, {255, 128, 128, 128}, 0, 0, 0xFF643219},
    {"white vertices, colour alpha 128", PIXEL_FORMAT_8888, TEX | VC | MOD, 0xFFFFFFFF, {128, 255, 255, 255},
     0xFFFFFFFF, 0x00000000, 0x7DFBFBFB},
    {"vertex colour alone", PIXEL_FORMAT_888, TEX | VC, 0xFF808080, white, 0xFF804020, 0xFF000000, 0xFF402010},
    {"texel alpha and drawing colour", PIXEL_FORMAT_888, TEX | ALPHA | MOD, 0x80FFFFFF, {128, 255, 255, 255}, 0,
     0xFF000000, 0xFF3F3F3F},
    {"texel alpha and vertex colour", PIXEL_FORMAT_888, TEX | ALPHA | VC, 0x80FFFFFF, white, 0xFF808080, 0xFF202020,
     0xFF4F4F4F},
    {"texel alpha, vertex colour and drawing colour", PIXEL_FORMAT_888, TEX | ALPHA | VC | MOD, 0xC0FFFFFF,
     {128, 255, 0, 255}, 0xFFFFFFFF, 0xFF000000, 0xFF5D005D},
    {"plain ignores texel alpha", PIXEL_FORMAT_8888, TEX, 0x00123456, white, 0, 0x00000000, 0xFF123456},
    {"untextured alpha 240.0 blends", PIXEL_FORMAT_888, VC, 0, white, 0xF0FFFFFF, 0xFF000000, 0xFFEFEFEF},
    {"untextured alpha 241 is opaque", PIXEL_FORMAT_888, VC, 0, white, 0xF1FFFFFF, 0xFF000000, 0xFFFFFFFF},
    {"untextured alpha 8.0 is skipped", PIXEL_FORMAT_888, VC, 0, white, 0x08FFFFFF, 0xFF000000, 0xFF000000},
    {"untextured alpha 9 blends", PIXEL_FORMAT_888, VC, 0, white, 0x09FFFFFF, 0xFF000000, 0xFF080808},
    {"untextured ARGB source terms", PIXEL_FORMAT_8888, VC, 0, white, 0x80FF8040, 0xFF000000, 0xFF7F4020},
    {"untextured modulated", PIXEL_FORMAT_888, VC | MOD, 0, {255, 128, 255, 0}, 0xFFFFFFFF, 0xFF000000,
     0xFF7FFE00},
    {"untextured RGB565 opaque", PIXEL_FORMAT_565, VC, 0, white, 0xFFFF0000, 0x001F, 0xF800},
    {"untextured ignores alpha-blended", PIXEL_FORMAT_888, VC | ALPHA | SMOOTH, 0, white, 0xFF00FF00, 0xFF000000,
     0xFF00FF00},
    {"untextured without vertex colours draws nothing", PIXEL_FORMAT_8888, MOD, 0, {128, 0, 0, 0}, 0, 0x12345678,
     0x12345678},
};

TEST(FillerArithmetic, ValueTable)
{
    for (const ArithmeticCase& c : arithmeticCases)
        EXPECT_EQ(DrawOnePixelValue(c.format, c.options, c.texel, c.colour, c.vertexColour, c.dest), c.expected)
            << c.name;
}

// Coverage of one triangle as a string of rows, '#' for written pixels.
std::string Coverage(int w, int h, std::initializer_list<FixedCorner> corners)
{
    TestSurface s(w, h, PIXEL_FORMAT_8888);
    s.Fill(0);
    std::vector<FixedCorner> c(corners);
    for (auto& k : c) {
        k.alpha = k.red = k.green = k.blue = 255 << 16;
    }
    TriangleFillerAt(Index(PIXEL_FORMAT_8888, VC))(c.data(), s.Bits(), s.pitch, TextureInfo{}, white);
    std::string out;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            out += s.Get(x, y) ? '#' : '.';
        out += '\n';
    }
    return out;
}

TEST(ScanConversion, TopAndLeftEdgesIncludedBottomAndRightLeftOut)
{
    EXPECT_EQ(Coverage(6, 6, {Corner(0, 0), Corner(4, 0), Corner(0, 4)}), "####..\n"
                                                                          "###...\n"
                                                                          "##....\n"
                                                                          "#.....\n"
                                                                          "......\n"
                                                                          "......\n");
}

TEST(ScanConversion, RowsNeedACentreBetweenTopAndBottom)
{
    EXPECT_EQ(Coverage(4, 4, {Corner(0, 2.2), Corner(4, 2.5), Corner(1, 2.9)}), "....\n....\n....\n....\n");
    EXPECT_EQ(Coverage(4, 4, {Corner(0, 2), Corner(4, 2), Corner(4, 3)}), "....\n"
                                                                         "....\n"
                                                                         "####\n"
                                                                         "....\n");
    // Collinear corners.
    EXPECT_EQ(Coverage(4, 4, {Corner(0, 0), Corner(1.5, 1.5), Corner(3, 3)}), "....\n....\n....\n....\n");
}

uint32_t PlainSample(const std::vector<uint32_t>& tex, int texWidth, double u, double v, int options = TEX)
{
    TestSurface s(2, 2, PIXEL_FORMAT_8888);
    s.Fill(0x12345678);
    TextureInfo info = MakeTextureInfo(tex, texWidth);
    const FixedCorner t[3] = {Corner(0, 0, u, v), Corner(2, 0, u, v), Corner(0, 2, u, v)};
    TriangleFillerAt(Index(PIXEL_FORMAT_8888, options))(t, s.Bits(), s.pitch, info, white);
    return s.Get(0, 0);
}

TEST(Sampling, NearestClampsToTheEdgeTexels)
{
    // 2 x 2: AA BB / CC DD.
    const std::vector<uint32_t> tex = {0xFF0000AA, 0xFF0000BB, 0xFF0000CC, 0xFF0000DD};
    const struct {
        double u, v;
        uint32_t want;
    } cases[] = {
        {1.5, 0.5, 0xFF0000BB},   {2.0, 0.5, 0xFF0000BB},   // u = 1.0: the last column, not the next row
        {2.5, 1.5, 0xFF0000DD},   {0.5, 2.0, 0xFF0000CC},   // v = 1.0: the last row
        {2.0, 2.0, 0xFF0000DD},   {9.0, 9.0, 0xFF0000DD},   // both, and far past
        {0.5, -0.01, 0xFF0000AA}, {-0.01, 1.5, 0xFF0000CC}, // slightly negative: the first texel
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlainSample(tex, 2, c.u, c.v), c.want) << c.u << "," << c.v;
    // A 32-bit XRGB destination uses the same plain filler.
    EXPECT_EQ(TriangleFillerAt(Index(PIXEL_FORMAT_888, TEX)), TriangleFillerAt(Index(PIXEL_FORMAT_8888, TEX)));
}

TEST(Sampling, SmoothNeverReachesAcrossThePicture)
{
    // 4 x 3, column 0 red, the rest blue, drawn mirrored to 16 x 12: the
    // left of the destination samples around u = 1.0, the right around 0.
    std::vector<uint32_t> tex(12, 0xFF0000FF);
    for (size_t row = 0; row < 3; ++row)
        tex[row * 4] = 0xFFFF0000;
    const TextureInfo info = MakeTextureInfo(tex, 4);
    for (PixelFormatCode f : {PIXEL_FORMAT_8888, PIXEL_FORMAT_888}) {
        TestSurface s(16, 12, f);
        s.Fill(0xFF000000);
        const FixedCorner a = Corner(0, 0, 4, 3), b = Corner(16, 0, 0, 3), c = Corner(0, 12, 4, 0),
                          d = Corner(16, 12, 0, 0);
        const FixedCorner t1[3] = {a, b, c}, t2[3] = {b, d, c};
        for (auto* t : {t1, t2})
            TriangleFillerAt(Index(f, TEX | ALPHA | SMOOTH))(t, s.Bits(), s.pitch, info, white);
        for (int y = 0; y < 12; ++y) {
            // Past the last column is nothing, not the next row's red; before
            // the first column is nothing, not the row above's blue.
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ((s.Get(x, y) >> 16) & 0xFF, 0u) << f << " at " << x << "," << y;
            for (int x = 14; x < 16; ++x)
                ASSERT_EQ(s.Get(x, y) & 0xFF, 0u) << f << " at " << x << "," << y;
            // The border fades: at u = 1.0 half the last column's blue, a
            // quarter in the corner where v = 1.0 too.
            EXPECT_GE(s.Get(0, y) & 0xFF, 0x3Eu) << y;
            EXPECT_LE(s.Get(0, y) & 0xFF, 0x80u) << y;
        }
    }
}

TEST(Sampling, SmoothFadesAtTheBordersAndStaysBelowTheColour)
{
    const std::vector<uint32_t> tex(4, 0xFFC08040);
    const TextureInfo info = MakeTextureInfo(tex, 2);
    TestSurface s(8, 8, PIXEL_FORMAT_8888);
    s.Fill(0);
    const FixedCorner a = Corner(0, 0, 0, 0), b = Corner(8, 0, 2, 0), c = Corner(0, 8, 0, 2), d = Corner(8, 8, 2, 2);
    const FixedCorner t1[3] = {a, b, c}, t2[3] = {b, d, c};
    for (auto* t : {t1, t2})
        TriangleFillerAt(Index(PIXEL_FORMAT_8888, TEX | SMOOTH))(t, s.Bits(), s.pitch, info, white);
    const uint32_t centre = s.Get(4, 4), corner = s.Get(0, 0);
    EXPECT_EQ(centre >> 24, 0xFFu);
    for (int shift : {16, 8, 0}) {
        const uint32_t want = (0xFFC08040u >> shift) & 0xFF, got = (centre >> shift) & 0xFF;
        EXPECT_LT(got, want);
        EXPECT_GE(got + 4, want);
        EXPECT_LT((corner >> shift) & 0xFF, want * 3 / 4); // only a quarter of the filter inside
    }
}

} // namespace
} // namespace Quib
