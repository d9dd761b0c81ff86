#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/headless/CapturingSink.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <thread>
#include <vector>

namespace Quib {
namespace {

using Quib::Test::DisplayLayoutCase;
using Quib::Test::kDisplayLayouts;

std::vector<uint32_t> PixelsOf(MemoryImage& image)
{
    uint32_t* p = image.Pixels();
    return p ? std::vector<uint32_t>(p, p + size_t(image.width) * image.height) : std::vector<uint32_t>();
}

std::vector<uint8_t> TableOf(const uint8_t* table, size_t n)
{
    return table ? std::vector<uint8_t>(table, table + n) : std::vector<uint8_t>();
}

// Every storage test runs once per display layout.
class MemoryImageLayouts : public ::testing::TestWithParam<DisplayLayoutCase> {
protected:
    void SetUp() override { Quib::Test::MakeTestDisplay(app, GetParam()); }
    DDInterface& Display() { return *app.display; }
    const PixelFormat& Layout() { return app.display->layout; }

    QuibAppBase app;
};

INSTANTIATE_TEST_SUITE_P(Displays, MemoryImageLayouts, ::testing::ValuesIn(kDisplayLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(MemoryImageLayouts, NewImageIsEmptyAndListed)
{
    MemoryImage* image;
    {
        MemoryImage local(&app);
        image = &local;
        EXPECT_EQ(local.width, 0);
        EXPECT_EQ(local.height, 0);
        EXPECT_EQ(local.rows, 1);
        EXPECT_EQ(local.cols, 1);
        EXPECT_FALSE(local.bits || local.palette || local.paletteIndices || local.nativeAlpha || local.rlAlpha ||
                     local.rlAdditive);
        EXPECT_EQ(app.imageSet.count(image), 1u);
        MemoryImage global; // the process-wide application
        EXPECT_EQ(global.app, &app);
        EXPECT_EQ(app.imageSet.size(), 2u);
    }
    EXPECT_EQ(app.imageSet.count(image), 0u);
    EXPECT_TRUE(app.imageSet.empty());
}

TEST_P(MemoryImageLayouts, PixelsWithoutAnyFormAreZeroWithGuard)
{
    MemoryImage image(&app);
    image.Resize(2, 2);
    uint32_t* p = image.Pixels();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::vector<uint32_t>(p, p + 5), (std::vector<uint32_t>{0, 0, 0, 0, kImageGuardWord}));
}

TEST_P(MemoryImageLayouts, ResizeSetsBothFlagsUntilComputed)
{
    MemoryImage image(&app);
    image.Resize(3, 1);
    EXPECT_TRUE(image.hasTrans);
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_TRUE(image.bitsChanged);
    image.ApplyBitsChange();
    EXPECT_TRUE(image.hasTrans);
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_FALSE(image.bitsChanged);
}

TEST_P(MemoryImageLayouts, TransparencyFlagsFromPixels)
{
    struct Case {
        std::vector<uint32_t> pixels;
        bool trans, alpha;
    } cases[] = {
        {{0xFF000000, 0xFFFFFFFF}, false, false},
        {{0xFF000000, 0x00FFFFFF}, true, false},
        {{0x80000000, 0xFF000000}, false, true},
        {{0x01000000, 0x00000000, 0xFE123456}, true, true},
    };
    for (const Case& c : cases) {
        MemoryImage image(&app);
        image.AssignPixels(c.pixels.data(), int(c.pixels.size()), 1, true);
        EXPECT_EQ(image.hasTrans, c.trans);
        EXPECT_EQ(image.hasAlpha, c.alpha);
        // The same from the palette form.
        image.NotePixelsEdited();
        ASSERT_TRUE(image.TryPalettize());
        image.NotePixelsEdited();
        image.ApplyBitsChange();
        EXPECT_EQ(image.hasTrans, c.trans);
        EXPECT_EQ(image.hasAlpha, c.alpha);
    }
}

TEST_P(MemoryImageLayouts, PaletteScanReadsOnlyWrittenEntries)
{
    // Two opaque colours: the 254 unwritten entries must not count as
    // transparent pixels.
    const uint32_t px[] = {0xFF102030, 0xFF405060, 0xFF102030};
    MemoryImage image(&app);
    image.AssignPixels(px, 3, 1, false);
    ASSERT_TRUE(image.TryPalettize());
    EXPECT_EQ(image.paletteCount, 2);
    image.NotePixelsEdited();
    image.ApplyBitsChange();
    EXPECT_FALSE(image.hasTrans);
    EXPECT_FALSE(image.hasAlpha);
}

TEST_P(MemoryImageLayouts, ForcedFlagsStay)
{
    const uint32_t px[] = {0x00000000, 0x80FFFFFF};
    MemoryImage image(&app);
    image.ForceTransparencyFlags(false, false);
    image.AssignPixels(px, 2, 1, true);
    EXPECT_FALSE(image.hasTrans);
    EXPECT_FALSE(image.hasAlpha);
}

TEST_P(MemoryImageLayouts, AlphaRunTable)
{
    struct Case {
        std::vector<uint32_t> alphas;
        int width;
        std::vector<uint8_t> expected;
    } cases[] = {
        {{0, 0, 255, 128, 128, 128}, 6, {2, 1, 1, 3, 2, 1}},
        {{0, 0, 255, 128, 128, 128}, 3, {2, 1, 1, 3, 2, 1}},  // runs end with the row
        {{0, 0, 1, 254, 255, 255}, 2, {2, 1, 2, 1, 2, 1}},
        {{0, 255, 128}, 1, {1, 1, 1}},                        // one pixel wide
        {{7, 0, 0, 7}, 4, {1, 2, 1, 1}},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> px;
        for (uint32_t a : c.alphas)
            px.push_back(a << 24 | 0x123456);
        MemoryImage image(&app);
        image.AssignPixels(px.data(), c.width, int(px.size()) / c.width, false);
        EXPECT_EQ(TableOf(image.GetAlphaRunTable(), px.size()), c.expected);
        // The same table from the palette form and from the display copy.
        image.rlAlpha.reset();
        ASSERT_TRUE(image.TryPalettize());
        EXPECT_EQ(TableOf(image.GetAlphaRunTable(), px.size()), c.expected);
        image.Pixels();
        image.GetDisplayFormatPixels(&Display());
        image.bits.reset();
        image.rlAlpha.reset();
        EXPECT_EQ(TableOf(image.GetAlphaRunTable(), px.size()), c.expected);
    }
}

TEST_P(MemoryImageLayouts, RunTablesOfEmptyPictures)
{
    for (auto [w, h] : {std::pair{0, 3}, std::pair{3, 0}, std::pair{0, 0}}) {
        MemoryImage image(&app);
        image.Resize(w, h);
        EXPECT_NE(image.GetAlphaRunTable(), nullptr) << w << "x" << h;
        EXPECT_NE(image.GetAdditiveRunTable(&Display()), nullptr) << w << "x" << h;
    }
}

TEST_P(MemoryImageLayouts, AlphaRunTableCapsLongRuns)
{
    std::vector<uint32_t> px(300, 0xFFFFFFFF);
    MemoryImage image(&app);
    image.AssignPixels(px.data(), 300, 1, false);
    std::vector<uint8_t> table = TableOf(image.GetAlphaRunTable(), 300);
    ASSERT_EQ(table.size(), 300u);
    for (int i = 0; i < 46; ++i)
        EXPECT_EQ(table[i], 255) << i;
    for (int i = 46; i < 300; ++i)
        EXPECT_EQ(table[i], 300 - i) << i;
}

TEST_P(MemoryImageLayouts, AdditiveRunTableTreatsTransparentAsBlack)
{
    const uint32_t px[] = {0x00FFFFFF, 0xFF000000, 0x80FF0000, 0x01FFFFFF, 0xFF010101, 0xFFFFFFFF};
    MemoryImage image(&app);
    image.AssignPixels(px, 6, 1, false);
    std::vector<uint8_t> table = TableOf(image.GetAdditiveRunTable(&Display()), 6);
    // A display-copy word is black when its colour bits are all zero; what
    // else is black depends on the channel widths.
    std::vector<uint8_t> expected(6);
    std::vector<bool> black;
    for (uint32_t p : px)
        black.push_back((ToDisplayCopyPixel(p, Layout()) & 0xFFFFFF) == 0);
    EXPECT_TRUE(black[0] && black[1] && !black[2] && !black[5]);
    for (int i = 5; i >= 0; --i)
        expected[i] = (i < 5 && black[i] == black[i + 1]) ? expected[i + 1] + 1 : 1;
    EXPECT_EQ(table, expected);
    // The palette form looks the colours up through the indices.
    MemoryImage other(&app);
    other.AssignPixels(px, 6, 1, false);
    ASSERT_TRUE(other.TryPalettize());
    EXPECT_EQ(TableOf(other.GetAdditiveRunTable(&Display()), 6), expected);
}

TEST_P(MemoryImageLayouts, DisplayCopyPremultipliesAndKeepsAlpha)
{
    const uint32_t px[] = {0x80FF0000, 0xFF00FF00, 0x00FFFFFF, 0xFFFFFFFF};
    MemoryImage image(&app);
    image.AssignPixels(px, 4, 1, false);
    const uint32_t* copy = image.GetDisplayFormatPixels(&Display());
    ASSERT_NE(copy, nullptr);
    const PixelFormat& l = Layout();
    // Red 255 at alpha 128: (255 * 129) >> 8 = 128, cut to the red width.
    EXPECT_EQ(copy[0], 0x80000000u | ((128u >> (8 - l.red.bits)) << l.red.shift));
    EXPECT_EQ(copy[1], 0xFF000000u | l.green.mask);
    EXPECT_EQ(copy[2], 0u);
    EXPECT_EQ(copy[3], 0xFF000000u | l.red.mask | l.green.mask | l.blue.mask);
    // Kept until the pixels change.
    EXPECT_EQ(image.GetDisplayFormatPixels(&Display()), copy);
    image.NotePixelsEdited();
    EXPECT_EQ(image.nativeAlpha, nullptr);
}

TEST_P(MemoryImageLayouts, SixteenBitDisplayCopyFollowsTheWords)
{
    // 19 pixels: the wide loops' blocks and a tail.
    std::vector<uint32_t> px(19 * 2);
    for (size_t i = 0; i < px.size(); ++i)
        px[i] = 0xFF000000u | uint32_t(i * 0x0B1D07);
    MemoryImage image(&app);
    image.AssignPixels(px.data(), 19, 2, false);
    const uint16_t* narrow = image.GetDisplayFormatPixels16(&Display());
    if (Layout().bitCount != 16) {
        EXPECT_EQ(narrow, nullptr);
        return;
    }
    ASSERT_NE(narrow, nullptr);
    const uint32_t* words = image.GetDisplayFormatPixels(&Display());
    for (size_t i = 0; i < px.size(); ++i)
        EXPECT_EQ(narrow[i], uint16_t(words[i])) << i;
    // Made again from the new words after an edit.
    image.bits[5] = 0xFFFFFFFF;
    image.NotePixelsEdited();
    narrow = image.GetDisplayFormatPixels16(&Display());
    ASSERT_NE(narrow, nullptr);
    EXPECT_EQ(narrow[5], uint16_t(ToDisplayCopyPixel(0xFFFFFFFF, Layout())));
}

TEST(MemoryImageDisplayCopy, ExactWordsOfHalfTransparentRed)
{
    QuibAppBase app;
    // Red 255, alpha 128 in X8R8G8B8: 0x80 in alpha and red; in R5G6B5
    // bits 11..15 hold 16 and the alpha byte stays.
    Quib::Test::MakeTestDisplay(app, kDisplayLayouts[0]);
    EXPECT_EQ(ToDisplayCopyPixel(0x80FF0000, app.display->layout), 0x80800000u);
    Quib::Test::MakeTestDisplay(app, kDisplayLayouts[2]);
    EXPECT_EQ(ToDisplayCopyPixel(0x80FF0000, app.display->layout), 0x80000000u | (16u << 11));
    EXPECT_EQ(ToDisplayCopyPixel(0x80FF0000, app.display->layout) & 0x00FF0000, 0u);
}

TEST_P(MemoryImageLayouts, DisplayPrecisionIsLostOnceOnly)
{
    // Every channel value at every alpha: the pixel rebuilt from the display
    // copy converts back to the same word, so repeated purges lose nothing
    // more. Opaque pixels of 8-bit channels come back exactly.
    const PixelFormat& l = Layout();
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t c = 0; c < 256; ++c) {
            uint32_t p = a << 24 | c << 16 | (255 - c) << 8 | (c * 7 & 255);
            uint32_t word = ToDisplayCopyPixel(p, l);
            uint32_t back = FromDisplayCopyPixel(word, l);
            ASSERT_EQ(ToDisplayCopyPixel(back, l), word) << std::hex << p;
            ASSERT_EQ(back >> 24, a);
            if (a == 255 && l.bitCount == 32) {
                ASSERT_EQ(back, p);
            }
        }
    // Red 255 at alpha 128 comes back as 255 (not 254).
    EXPECT_EQ(FromDisplayCopyPixel(ToDisplayCopyPixel(0x80FF0000, l), l), 0x80FF0000u);
}

TEST_P(MemoryImageLayouts, BatchConversionsMatchThePerWordOnes)
{
    // Every alpha with every value of one channel, the others varied; and
    // display words made by hand, with more colour than their alpha holds.
    std::vector<uint32_t> argb, words;
    std::mt19937 rng(99);
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t c = 0; c < 256; ++c) {
            argb.push_back(a << 24 | c << 16 | (255 - c) << 8 | (c * 7 & 255));
            argb.push_back(a << 24 | (c * 13 & 255) << 16 | c << 8 | (255 - c));
            argb.push_back(a << 24 | (rng() & 255) << 16 | (rng() & 255) << 8 | c);
            words.push_back(a << 24 | (rng() & 0xFFFFFF));
        }
    const PixelFormat& l = Layout();
    std::vector<uint32_t> fast(argb.size());
    ToDisplayCopyPixels(argb.data(), fast.data(), argb.size(), l);
    for (size_t i = 0; i < argb.size(); ++i)
        ASSERT_EQ(fast[i], ToDisplayCopyPixel(argb[i], l)) << std::hex << argb[i];
    words.insert(words.end(), fast.begin(), fast.end());
    std::vector<uint32_t> back(words.size());
    FromDisplayCopyPixels(words.data(), back.data(), words.size(), l);
    for (size_t i = 0; i < words.size(); ++i)
        ASSERT_EQ(back[i], FromDisplayCopyPixel(words[i], l)) << std::hex << words[i];
}

TEST_P(MemoryImageLayouts, ReleaseBitsKeepsThePictureInTheDisplayCopy)
{
    const uint32_t px[] = {0xFF336699, 0x80FF0000, 0x00000000, 0xFFFFFFFF};
    MemoryImage image(&app);
    image.AssignPixels(px, 2, 2, true);
    image.ReleaseBits();
    EXPECT_TRUE(image.purgeBits);
    EXPECT_EQ(image.bits, nullptr);
    ASSERT_NE(image.nativeAlpha, nullptr);
    std::vector<uint32_t> back = PixelsOf(image);
    ASSERT_EQ(back.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ToDisplayCopyPixel(back[i], Layout()), ToDisplayCopyPixel(px[i], Layout())) << i;
    EXPECT_EQ(image.bits[4], kImageGuardWord);
    // The display copy stays after the rebuild.
    EXPECT_NE(image.nativeAlpha, nullptr);
}

TEST_P(MemoryImageLayouts, PaletteEntriesInOrderOfFirstAppearance)
{
    const uint32_t px[] = {0xFF00FF00, 0xFFFF0000, 0xFF00FF00, 0x80FF0000, 0xFF000001, 0xFFFF0000};
    MemoryImage image(&app);
    image.AssignPixels(px, 3, 2, false);
    image.GetDisplayFormatPixels(&Display());
    ASSERT_TRUE(image.TryPalettize());
    EXPECT_TRUE(image.wantPalette);
    EXPECT_EQ(image.bits, nullptr);
    EXPECT_EQ(image.nativeAlpha, nullptr);
    EXPECT_EQ(image.paletteCount, 4);
    EXPECT_EQ(std::vector<uint32_t>(image.palette.get(), image.palette.get() + 4),
              (std::vector<uint32_t>{0xFF00FF00, 0xFFFF0000, 0x80FF0000, 0xFF000001}));
    EXPECT_EQ(TableOf(image.paletteIndices.get(), 6), (std::vector<uint8_t>{0, 1, 0, 2, 3, 1}));
    EXPECT_TRUE(image.TryPalettize()); // already
    EXPECT_EQ(PixelsOf(image), std::vector<uint32_t>(px, px + 6));
    EXPECT_FALSE(image.IsPaletteForm());
}

TEST_P(MemoryImageLayouts, PalettizeLimitIs256Colours)
{
    for (int colours : {1, 255, 256, 257, 1000}) {
        std::vector<uint32_t> px;
        for (int i = 0; i < 1200; ++i)
            px.push_back(0xFF000000u | uint32_t((i * 7919) % colours)); // every colour appears
        MemoryImage image(&app);
        image.AssignPixels(px.data(), 40, 30, false);
        bool ok = image.TryPalettize();
        EXPECT_EQ(ok, colours <= 256) << colours;
        EXPECT_EQ(image.wantPalette, ok);
        EXPECT_EQ(image.IsPaletteForm(), ok);
        EXPECT_EQ(image.bits == nullptr, ok);
        EXPECT_EQ(PixelsOf(image), px) << colours;
    }
    // Colours that differ only in alpha are different colours.
    std::vector<uint32_t> px;
    for (uint32_t a = 0; a < 257; ++a)
        px.push_back((a & 255) << 24 | (a >> 8));
    MemoryImage image(&app);
    image.AssignPixels(px.data(), 257, 1, false);
    EXPECT_FALSE(image.TryPalettize());
}

TEST(MemoryImagePalette, MatchesAPlainBuilder)
{
    // Random pictures of runs of a few to a few hundred colours against a
    // builder written for clarity: same success, palette and indices.
    QuibAppBase app;
    std::mt19937 rng(5);
    for (int round = 0; round < 200; ++round) {
        const int colours = 1 + int(rng() % (round % 4 == 0 ? 320 : 40));
        std::vector<uint32_t> choices(colours);
        for (uint32_t& c : choices)
            c = (round % 2) ? rng() : rng() % 4 * 0x01000000u + rng() % 8; // near collisions
        const int w = 1 + int(rng() % 40), h = 1 + int(rng() % 40);
        std::vector<uint32_t> px;
        while (px.size() < size_t(w) * h)
            px.insert(px.end(), 1 + rng() % 5, choices[rng() % colours]);
        px.resize(size_t(w) * h);

        std::map<uint32_t, int> seen;
        std::vector<uint32_t> palette;
        std::vector<uint8_t> indices;
        for (uint32_t p : px) {
            auto [it, added] = seen.emplace(p, int(palette.size()));
            if (added)
                palette.push_back(p);
            indices.push_back(uint8_t(it->second));
        }
        const bool fits = palette.size() <= 256;

        MemoryImage image(&app);
        image.AssignPixels(px.data(), w, h, false);
        ASSERT_EQ(image.TryPalettize(), fits) << round;
        if (!fits)
            continue;
        ASSERT_EQ(image.paletteCount, int(palette.size()));
        EXPECT_EQ(std::vector<uint32_t>(image.palette.get(), image.palette.get() + palette.size()), palette);
        EXPECT_EQ(TableOf(image.paletteIndices.get(), px.size()), indices) << round;
    }
}

TEST_P(MemoryImageLayouts, AssignPixelsReusesTheBuffer)
{
    const uint32_t a[] = {1, 2, 3, 4};
    const uint32_t b[] = {5, 6, 7, 8};
    MemoryImage image(&app);
    image.AssignPixels(a, 2, 2, false);
    uint32_t* buffer = image.bits.get();
    int count = image.changeCount;
    image.AssignPixels(b, 2, 2, false);
    EXPECT_EQ(image.bits.get(), buffer);
    EXPECT_EQ(PixelsOf(image), std::vector<uint32_t>(b, b + 4));
    EXPECT_EQ(image.changeCount, count + 1);
    // Its own bits: nothing happens.
    image.AssignPixels(image.bits.get(), 2, 2, false);
    EXPECT_EQ(image.changeCount, count + 1);
    // A new size gets a new buffer.
    image.AssignPixels(a, 4, 1, true);
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(image.bits[4], kImageGuardWord);
    EXPECT_FALSE(image.bitsChanged);
}

TEST_P(MemoryImageLayouts, AssignPixelsAfterTheBitsWentMakesThemAgain)
{
    const uint32_t a[] = {0xFF000001, 0xFF000002, 0xFF000001, 0xFF000001};
    const uint32_t b[] = {0x80000005, 0x00000000, 0xFF000007, 0xFF000008};
    for (bool palettize : {false, true}) {
        MemoryImage image(&app);
        image.AssignPixels(a, 2, 2, true);
        if (palettize)
            ASSERT_TRUE(image.TryPalettize());
        else
            image.ReleaseBits();
        ASSERT_EQ(image.bits, nullptr);
        image.AssignPixels(b, 2, 2, true);
        EXPECT_FALSE(image.IsPaletteForm());
        EXPECT_EQ(image.nativeAlpha, nullptr);
        ASSERT_NE(image.bits, nullptr);
        EXPECT_EQ(image.bits[4], kImageGuardWord);
        EXPECT_EQ(PixelsOf(image), std::vector<uint32_t>(b, b + 4));
        EXPECT_TRUE(image.hasTrans);
        EXPECT_TRUE(image.hasAlpha);
    }
}

TEST_P(MemoryImageLayouts, GetPixelOutsideIsZero)
{
    const uint32_t px[] = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};
    MemoryImage image(&app);
    image.AssignPixels(px, 2, 2, false);
    EXPECT_EQ(image.GetPixel(-1, 0), 0u);
    EXPECT_EQ(image.GetPixel(2, 0), 0u);
    EXPECT_EQ(image.GetPixel(0, 2), 0u);
    EXPECT_EQ(image.GetPixel(0, -1), 0u);
    EXPECT_EQ(image.GetPixel(1, 1), 0xFF000004u);
    EXPECT_EQ(image.GetPixel(0, 1), 0xFF000003u);
}

TEST_P(MemoryImageLayouts, ZeroPixels)
{
    const uint32_t px[] = {0xFF000001, 0xFF000002};
    MemoryImage image(&app);
    image.AssignPixels(px, 2, 1, true);
    image.ZeroPixels();
    EXPECT_EQ(PixelsOf(image), (std::vector<uint32_t>{0, 0}));
    EXPECT_TRUE(image.bitsChanged);
}

TEST_P(MemoryImageLayouts, CopyOfPaletteFormCopiesNoBits)
{
    const uint32_t px[] = {0xFF000001, 0x80000002, 0xFF000001};
    MemoryImage image(&app);
    image.name = "a.png";
    image.rows = 3;
    image.animation = std::make_unique<ImageAnimation>();
    image.animation->frameMap = {0, 1, 2, 1};
    image.AssignPixels(px, 3, 1, true);
    ASSERT_TRUE(image.TryPalettize());
    image.GetDisplayFormatPixels(&Display());
    image.GetAlphaRunTable();
    MemoryImage copy(image);
    EXPECT_EQ(copy.bits, nullptr);
    ASSERT_TRUE(copy.IsPaletteForm());
    EXPECT_NE(copy.palette.get(), image.palette.get());
    EXPECT_EQ(copy.paletteCount, 2);
    EXPECT_EQ(copy.name, "");
    EXPECT_EQ(copy.rows, 3);
    ASSERT_NE(copy.animation, nullptr);
    EXPECT_EQ(copy.animation->frameMap, image.animation->frameMap);
    EXPECT_EQ(std::vector<uint32_t>(copy.nativeAlpha.get(), copy.nativeAlpha.get() + 256),
              std::vector<uint32_t>(image.nativeAlpha.get(), image.nativeAlpha.get() + 256));
    EXPECT_EQ(TableOf(copy.rlAlpha.get(), 3), (std::vector<uint8_t>{1, 1, 1}));
    EXPECT_EQ(app.imageSet.count(&copy), 1u);
    EXPECT_EQ(PixelsOf(copy), std::vector<uint32_t>(px, px + 3));
}

TEST_P(MemoryImageLayouts, CopyOfDisplayCopyOnlyImageLeavesTheSourceAsItWas)
{
    const uint32_t px[] = {0xFF102030, 0xFF405060};
    MemoryImage image(&app);
    image.AssignPixels(px, 2, 1, true);
    image.ReleaseBits();
    ASSERT_EQ(image.bits, nullptr);
    MemoryImage copy(image);
    EXPECT_EQ(image.bits, nullptr);
    ASSERT_NE(copy.bits, nullptr);
    EXPECT_EQ(copy.bits[2], kImageGuardWord);
    EXPECT_EQ(PixelsOf(copy), PixelsOf(image));
}

TEST_P(MemoryImageLayouts, CopyOfADisplayImageHeldOnlyOnItsSurface)
{
    const uint32_t px[] = {0xFF102030, 0xFFF0E0D0, 0xFF000000, 0xFFFFFFFF};
    DDImage image(&Display());
    image.AssignPixels(px, 2, 2, true);
    image.keepOnSurface = true;
    image.ReleaseBits();
    ASSERT_EQ(image.bits, nullptr);
    ASSERT_NE(image.surface, nullptr);
    const int32_t changes = image.changeCount;
    MemoryImage copy(image);
    EXPECT_EQ(image.bits, nullptr);
    EXPECT_NE(image.surface, nullptr);
    EXPECT_EQ(image.changeCount, changes);
    EXPECT_EQ(image.lockCount, 0);
    EXPECT_FALSE(image.surface->IsLocked());
    std::vector<uint32_t> got = PixelsOf(copy);
    if (GetParam().bitCount == 32) {
        EXPECT_EQ(got, std::vector<uint32_t>(px, px + 4));
    }
    // Made while the surface is locked, a copy reads through that lock and
    // leaves it held.
    ASSERT_TRUE(image.AcquireSurfaceLock());
    MemoryImage whileLocked(image);
    EXPECT_EQ(image.lockCount, 1);
    EXPECT_TRUE(image.surface->IsLocked());
    EXPECT_EQ(PixelsOf(whileLocked), got);
    image.ReleaseSurfaceLock();
    EXPECT_EQ(got, PixelsOf(image));
}

TEST_P(MemoryImageLayouts, ReleasesKeepThePicture)
{
    // Property: after any sequence of release and palettise operations the
    // pixels are the ones first stored, or (once bits were purged in favour of
    // the display copy) the same at display precision.
    enum Op { RELEASE_BITS, SOFTWARE, DISPLAY_COPY, CACHES, PALETTIZE, REAPPLY, COPY, RUNS, PIXELS, OP_COUNT };
    std::mt19937 rng(1234);
    for (int round = 0; round < 300; ++round) {
        int w = 1 + int(rng() % 9), h = 1 + int(rng() % 9);
        int colours = (round % 3 == 0) ? 300 : 1 + int(rng() % 20);
        std::vector<uint32_t> choices;
        for (int i = 0; i < colours; ++i)
            choices.push_back(rng());
        choices[0] = 0xFF000000u | (rng() & 0xFFFFFF);
        std::vector<uint32_t> px;
        for (int i = 0; i < w * h; ++i)
            px.push_back(choices[rng() % choices.size()]);
        auto image = std::make_unique<MemoryImage>(&app);
        image->AssignPixels(px.data(), w, h, rng() % 2);
        bool purged = false;
        std::string ops;
        for (int step = 0; step < 8; ++step) {
            Op op = Op(rng() % OP_COUNT);
            ops += std::to_string(op) + " ";
            switch (op) {
            case RELEASE_BITS: image->ReleaseBits(); purged = purged || !image->IsPaletteForm(); break;
            case SOFTWARE: image->ReleaseSoftwareCaches(); break;
            case DISPLAY_COPY: image->ReleaseDisplayCopy(); break;
            case CACHES: image->ReleaseCaches(); break;
            case PALETTIZE: image->TryPalettize(); break;
            case REAPPLY:
                image->ReapplyStorageOptions();
                purged = purged || (image->purgeBits && !image->IsPaletteForm());
                break;
            case COPY: image = std::make_unique<MemoryImage>(*image); break;
            case RUNS: image->GetAlphaRunTable(); image->GetAdditiveRunTable(app.display.get()); break;
            case PIXELS: image->Pixels(); break;
            default: break;
            }
            ASSERT_TRUE(image->bits || image->palette || image->nativeAlpha) << ops;
        }
        std::vector<uint32_t> got = PixelsOf(*image);
        ASSERT_EQ(got.size(), px.size());
        for (size_t i = 0; i < px.size(); ++i) {
            if (purged) {
                ASSERT_EQ(ToDisplayCopyPixel(got[i], Layout()), ToDisplayCopyPixel(px[i], Layout()))
                    << "ops " << ops << " pixel " << i;
            } else {
                ASSERT_EQ(got[i], px[i]) << "ops " << ops << " pixel " << i;
            }
        }
    }
}

TEST(MemoryImageWithoutDisplay, WorksWithoutAnApplicationOrDisplay)
{
    const uint32_t px[] = {0xFF102030, 0x80405060};
    for (bool withApp : {false, true}) {
        QuibAppBase app;
        MemoryImage image(withApp ? &app : nullptr);
        EXPECT_EQ(app.imageSet.size(), withApp ? 1u : 0u);
        image.AssignPixels(px, 2, 1, true);
        EXPECT_EQ(image.GetDisplayFormatPixels(nullptr), nullptr);
        EXPECT_EQ(image.GetAdditiveRunTable(nullptr), nullptr);
        // No display copy can hold the picture: the bits stay.
        image.ReleaseBits();
        EXPECT_NE(image.bits, nullptr);
        image.ReleaseCaches();
        ASSERT_TRUE(image.TryPalettize());
        image.ReleaseBits();
        EXPECT_EQ(PixelsOf(image), std::vector<uint32_t>(px, px + 2));
        EXPECT_EQ(TableOf(image.GetAlphaRunTable(), 2), (std::vector<uint8_t>{1, 1}));
    }
}

TEST(MemoryImageSizes, SizesThatCannotBeHeldFailCleanly)
{
    CapturingSink sink;
    QuibAppBase app;
    const uint32_t px[] = {0xFF000001, 0xFF000002};
    MemoryImage image(&app);
    image.AssignPixels(px, 2, 1, true);
    struct Case {
        int w, h;
    } cases[] = {
        {65536, 65536},     // 2^32 pixels: 0 in 32-bit arithmetic
        {65536, 65537},     // wraps to a small 32-bit count
        {0x40000000, 4},    // byte count wraps
        {-1, 5},
        {5, -1},
        {100000, 100000},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> few(4, 0xFFFFFFFF);
        image.AssignPixels(few.data(), c.w, c.h, true);
        EXPECT_EQ(image.width, 2) << c.w << "x" << c.h;
        image.Resize(c.w, c.h);
        EXPECT_EQ(image.width, 2) << c.w << "x" << c.h;
        EXPECT_EQ(PixelsOf(image), std::vector<uint32_t>(px, px + 2));
    }
    EXPECT_FALSE(sink.debugLines.empty());
    // Sizes set by hand to something unholdable give no pixels at all.
    image.width = 70000;
    image.height = 70000;
    image.bits.reset();
    EXPECT_EQ(image.Pixels(), nullptr);
    EXPECT_EQ(image.GetPixel(5, 5), 0u);
    EXPECT_EQ(image.GetAlphaRunTable(), nullptr);
    EXPECT_FALSE(image.TryPalettize());
    image.ZeroPixels();
    EXPECT_EQ(ImagePixelCount(65536, 65536), -1);
    EXPECT_EQ(ImagePixelCount(16384, 16384), int64_t(1) << 28);
    EXPECT_EQ(ImagePixelCount(0, 1 << 30), 0);
}

TEST(MemoryImageApp, FreeAndReleaseAcrossTheImageSet)
{
    QuibAppBase app;
    Quib::Test::MakeTestDisplay(app, kDisplayLayouts[0]);
    const uint32_t px[] = {0x80FF0000, 0xFF00FF00};
    MemoryImage a(&app), b(&app);
    a.AssignPixels(px, 2, 1, true);
    b.AssignPixels(px, 1, 2, true);
    for (MemoryImage* image : {&a, &b}) {
        image->GetDisplayFormatPixels(app.display.get());
        image->GetAdditiveRunTable(app.display.get());
        image->GetAlphaRunTable();
    }
    app.FreeAllImageBitBuffers();
    EXPECT_EQ(a.nativeAlpha, nullptr);
    EXPECT_EQ(b.rlAdditive, nullptr);
    EXPECT_NE(a.rlAlpha, nullptr);
    app.ReleaseAllNativeImageData();
    EXPECT_EQ(a.rlAlpha, nullptr);
    EXPECT_EQ(PixelsOf(b), std::vector<uint32_t>(px, px + 2));
}

} // namespace
} // namespace Quib

namespace Quib {
namespace {

TEST(MemoryImageApp, ImagesMadeOnSeveralThreadsAllRegister)
{
    QuibAppBase app;
    Quib::Test::MakeTestDisplay(app, kDisplayLayouts[2]);
    std::vector<std::thread> threads;
    std::vector<std::unique_ptr<MemoryImage>> kept[4];
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&app, &kept, t] {
            for (int i = 0; i < 500; ++i) {
                auto image = std::make_unique<MemoryImage>(&app);
                if (i % 2)
                    kept[t].push_back(std::move(image));
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(app.imageSet.size(), 1000u);
    for (auto& list : kept)
        for (auto& image : list)
            EXPECT_EQ(app.imageSet.count(image.get()), 1u);
}

TEST(MemoryImageApp, ImagesOutlivingTheApplicationAreLeftAlone)
{
    auto app = std::make_unique<QuibAppBase>();
    MemoryImage image(app.get());
    const uint32_t px[] = {0xFF000001};
    image.AssignPixels(px, 1, 1, true);
    app.reset();
    EXPECT_EQ(image.app, nullptr);
    image.ReleaseBits(); // no display: the bits stay
    EXPECT_EQ(image.GetPixel(0, 0), 0xFF000001u);
}

TEST(MemoryImageApp, ReleaseBitsIn3DModeWithoutTexturesKeepsTheBits)
{
    QuibAppBase app;
    Quib::Test::MakeTestDisplay(app, kDisplayLayouts[0]).is3D = true;
    MemoryImage image(&app);
    const uint32_t px[] = {0xFF000001, 0x80000002};
    image.AssignPixels(px, 2, 1, true);
    image.ReleaseBits();
    EXPECT_TRUE(image.purgeBits);
    EXPECT_NE(image.bits, nullptr);
    EXPECT_EQ(image.nativeAlpha, nullptr);
}

TEST(MemoryImageApp, ReapplyStorageOptions)
{
    QuibAppBase app;
    Quib::Test::MakeTestDisplay(app, kDisplayLayouts[0]);
    MemoryImage image(&app);
    const uint32_t px[] = {0xFF000001, 0xFF000002, 0xFF000001};
    image.wantPalette = true;
    image.purgeBits = true;
    image.AssignPixels(px, 3, 1, true);
    EXPECT_FALSE(image.IsPaletteForm());
    image.ReapplyStorageOptions();
    EXPECT_TRUE(image.IsPaletteForm());
    EXPECT_EQ(image.bits, nullptr);
    ASSERT_NE(image.nativeAlpha, nullptr); // 256 entries made from the palette
    EXPECT_EQ(image.nativeAlpha[1], 0xFF000002u);
    EXPECT_EQ(PixelsOf(image), std::vector<uint32_t>(px, px + 3));
}

} // namespace
} // namespace Quib
