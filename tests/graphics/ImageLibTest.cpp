#include "framework/files/PakArchiveWriter.h"
#include "framework/graphics/ImageLib.h"
#include "platform/FileNames.h"
#include "platform/headless/CapturingSink.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <png.h>
#include <random>
#include <thread>

namespace Quib {
namespace {

using namespace Testing;

// 1 x 1 pictures of each kind, told apart by their colour.
std::string Tga(uint32_t argb, int width = 1, int height = 1)
{
    return MakeTga(width, height, 32, 0x28, std::vector<uint32_t>(size_t(width * height), argb));
}

std::string Png(const std::vector<uint32_t>& words, int width, int height)
{
    PngSpec spec{width, height, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, {}, {}, {}};
    for (uint32_t w : words)
        spec.rows.insert(spec.rows.end(), {uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w), uint8_t(w >> 24)});
    return EncodePng(spec);
}

std::string Png(uint32_t argb) { return Png({argb}, 1, 1); }

std::string Gif(uint32_t rgb)
{
    GifSpec spec;
    spec.globalTable = {rgb, 0};
    spec.width = spec.height = 1;
    spec.indices = {0};
    return MakeGif(spec);
}

std::string GreyJpeg(uint8_t grey, int width = 8, int height = 8)
{
    return EncodeJpeg(width, height, 1, std::vector<uint8_t>(size_t(width * height), grey));
}

struct ImageFiles : ::testing::Test {
    TempDir dir;
    ScopedWorkingDirectory cwd{dir.Path()};
    ScopedPak pak;

    void Write(const std::string& name, const std::string& bytes)
    {
        dir.WriteFile(name, bytes);
        ClearDirectoryCache();
    }
};

struct File {
    const char* name;
    std::string bytes;
};

// Loads a path in a fresh working folder that holds the files.
std::unique_ptr<ImageLib::Image> LoadAmong(const std::vector<File>& files, const char* path, bool lookForAlpha)
{
    TempDir here;
    ScopedWorkingDirectory inHere(here.Path());
    for (const File& f : files)
        here.WriteFile(f.name, f.bytes);
    ClearDirectoryCache();
    return ImageLib::LoadImageFile(path, lookForAlpha);
}

TEST_F(ImageFiles, ExtensionPicksTheReader)
{
    struct Case {
        std::vector<File> files;
        const char* path;
        uint32_t want; // 0: no picture
    } cases[] = {
        {{{"gfx/pic.jpg", GreyJpeg(0x80)}}, "gfx/pic.JPG", 0xFF808080},
        {{{"gfx/pic.tga", Tga(0xFF112233)}, {"gfx/pic.png", Png(0xFF445566)}}, "gfx/pic", 0xFF112233},
        {{{"gfx/pic.png", Png(0xFF445566)}, {"gfx/pic.gif", Gif(0x778899)}}, "gfx/pic", 0xFF445566},
        {{{"gfx/pic.gif", Gif(0x778899)}}, "gfx/pic", 0xFF778899},
        {{{"gfx/pic.png", Png(0xFF445566)}}, "gfx/pic.tga", 0},
        {{{"gfx/pic.png", Png(0xFF445566)}}, "gfx/pic.bmp", 0},
        {{{"gfx/pic.bmp", Png(0xFF445566)}}, "gfx/pic.bmp", 0},
        {{{"gfx/pic.jpg", Png(0xFF445566)}}, "gfx/pic.jpg", 0}, // not a JPEG inside
        {{{"dir.old/pic.png", Png(0xFF445566)}}, "dir.old\\pic", 0xFF445566},
        {{{"dir.old/pic.png", Png(0xFF445566)}}, "dir.old/pic", 0xFF445566},
        {{}, "gfx/pic", 0},
        // Without an extension the folder is searched once: any letter case,
        // names that only begin with the stem left alone.
        {{{"Gfx/PIC.Png", Png(0xFF445566)}}, "gfx/pic", 0xFF445566},
        {{{"gfx/pic2.png", Png(0xFF445566)}, {"gfx/pic.gif", Gif(0x778899)}}, "gfx/pic", 0xFF778899},
        {{{"gfx/pic2.png", Png(0xFF445566)}, {"gfx/pic_.png", Png(0xFF445566)}}, "gfx/pic", 0},
        {{{"gfx/p?c.png", Png(0xFF445566)}}, "gfx/p?c", 0xFF445566},
        {{{"gfx/pic.png/x.png", Png(0xFF445566)}}, "gfx/pic", 0}, // a folder of that name
    };
    for (const Case& c : cases) {
        auto image = LoadAmong(c.files, c.path, false);
        if (!c.want) {
            EXPECT_FALSE(image) << c.path;
            continue;
        }
        ASSERT_TRUE(image) << c.path;
        EXPECT_EQ(image->pixels[0], c.want) << c.path;
    }
}

TEST_F(ImageFiles, AlphaPictureLookups)
{
    const std::string colour2x1 = Png({0x80102030, 0x80405060}, 2, 1);
    const std::string alpha2x1 = Png({0xFF0000AA, 0x000000BB}, 2, 1);
    struct Case {
        const char* label;
        std::vector<File> files;
        const char* path;
        uint32_t alphaOnlyColor;
        std::vector<uint32_t> want; // empty: no picture
    } cases[] = {
        {"beside with underscore", {{"gfx/pic.png", colour2x1}, {"gfx/_pic.png", alpha2x1}}, "gfx/pic.png",
         0xFFFFFF, {0xAA102030, 0xBB405060}},
        {"other size ignored", {{"gfx/pic.png", colour2x1}, {"gfx/_pic.png", Png(0xFF0000AA)}}, "gfx/pic.png",
         0xFFFFFF, {0x80102030, 0x80405060}},
        {"alpha only, white", {{"gfx/_pic.png", alpha2x1}}, "gfx/pic.png", 0xFFFFFF, {0xAAFFFFFF, 0xBBFFFFFF}},
        {"alpha only, set colour", {{"gfx/_pic.png", alpha2x1}}, "gfx/pic.png", 0x123456,
         {0xAA123456, 0xBB123456}},
        {"no extension, name_", {{"pic.png", colour2x1}, {"pic_.png", alpha2x1}}, "pic", 0xFFFFFF,
         {0xAA102030, 0xBB405060}},
        {"backslash folder", {{"gfx/pic.png", colour2x1}, {"gfx/_pic.png", alpha2x1}}, "gfx\\pic.png", 0xFFFFFF,
         {0xAA102030, 0xBB405060}},
        {"name_ with extension is not looked for", {{"pic.png", colour2x1}, {"pic.png_", alpha2x1}}, "pic.png",
         0xFFFFFF, {0x80102030, 0x80405060}},
        {"path ending in underscore is its own alpha", {{"pic_.png", colour2x1}}, "pic_", 0xFFFFFF,
         {0x30102030, 0x60405060}},
        {"nothing", {}, "gfx/pic.png", 0xFFFFFF, {}},
        {"no extension, both partners in other cases",
         {{"Gfx/Pic.PNG", colour2x1}, {"Gfx/_PIC.png", alpha2x1}, {"Gfx/PIC_.png", Png({0, 0}, 2, 1)}}, "gfx/pic",
         0xFFFFFF, {0xAA102030, 0xBB405060}},
        {"no extension, alpha of another kind", {{"pic.tga", Tga(0xFF0000AA, 2, 1)}, {"_pic.png", colour2x1}},
         "pic", 0xFFFFFF, {0x300000AA, 0x600000AA}},
        {"no extension, alpha only", {{"gfx/pic_.gif", Gif(0x0000AA)}}, "gfx/pic", 0x123456, {0xAA123456}},
    };
    for (const Case& c : cases) {
        ImageLib::AlphaOnlyColor = c.alphaOnlyColor;
        auto image = LoadAmong(c.files, c.path, true);
        ImageLib::AlphaOnlyColor = 0xFFFFFF;
        if (c.want.empty()) {
            EXPECT_FALSE(image) << c.label;
            continue;
        }
        ASSERT_TRUE(image) << c.label;
        EXPECT_EQ(Words(*image), c.want) << c.label;
    }
}

TEST_F(ImageFiles, WithoutLookupTheAlphaPictureIsNotUsed)
{
    Write("gfx/_pic.png", Png(0xFF0000AA));
    EXPECT_FALSE(ImageLib::LoadImageFile("gfx/pic.png", false));
    EXPECT_TRUE(ImageLib::LoadImageFile("gfx/pic.png", true));
}

TEST_F(ImageFiles, AlphaOnlyColourBelongsToEachThread)
{
    Write("_pic.png", Png(0xFF0000AA));
    ImageLib::AlphaOnlyColor = 0x00FF00;
    uint32_t other = 0;
    std::thread([&] {
        auto image = ImageLib::LoadImageFile("pic.png", true);
        other = image ? image->pixels[0] : 1;
    }).join();
    auto mine = ImageLib::LoadImageFile("pic.png", true);
    ImageLib::AlphaOnlyColor = 0xFFFFFF;
    EXPECT_EQ(other, 0xAAFFFFFFu);
    ASSERT_TRUE(mine);
    EXPECT_EQ(mine->pixels[0], 0xAA00FF00u);
}

TEST_F(ImageFiles, TgaAcceptedAndRefused)
{
    const std::vector<uint32_t> pixels = {0x01020304, 0xFF0000FF, 0x00FFFFFF, 0x80808080, 0xFFFFFFFF, 0};
    std::string good = MakeTga(3, 2, 32, 0x28, pixels);
    std::string huge = MakeTga(0xFFFF, 0xFFFF, 32, 0x28, pixels);
    // The header's first three bytes: id length, colour-map type, image type.
    auto withHeader = [&](int idLength, int mapType, int type, const std::string& afterHeader = "") {
        std::string bytes = good;
        bytes[0] = char(idLength);
        bytes[1] = char(mapType);
        bytes[2] = char(type);
        return bytes.insert(18, afterHeader);
    };
    struct Case {
        const char* label;
        std::string bytes;
        bool accepted;
    } cases[] = {
        {"32-bit top-down", good, true},
        {"extra bytes after the pixels", good + "xyz", true},
        {"24-bit", MakeTga(3, 2, 24, 0x28, pixels), false},
        {"bottom-up", MakeTga(3, 2, 32, 0x08, pixels), false},
        {"no alpha bits", MakeTga(3, 2, 32, 0x20, pixels), false},
        {"pixels cut short", good.substr(0, good.size() - 1), false},
        {"header cut short", good.substr(0, 17), false},
        {"size beyond the file", huge, false},
        {"zero size", MakeTga(0, 2, 32, 0x28, {}), false},
        {"id field", withHeader(3, 0, 2, "abc"), false},
        {"id length without the field", withHeader(3, 0, 2), false},
        {"colour map", withHeader(0, 1, 2), false},
        {"colour-mapped", withHeader(0, 1, 1), false},
        {"run-length true colour", withHeader(0, 0, 10), false},
        {"run-length grey", withHeader(0, 0, 11), false},
        {"grey", withHeader(0, 0, 3), false},
        {"no picture data", withHeader(0, 0, 0), false},
    };
    for (const Case& c : cases) {
        Write("pic.tga", c.bytes);
        auto image = ImageLib::ReadTga("pic.tga");
        ASSERT_EQ(bool(image), c.accepted) << c.label;
        if (!image)
            continue;
        EXPECT_EQ(image->width, 3);
        EXPECT_EQ(image->height, 2);
        EXPECT_EQ(Words(*image), pixels) << c.label;
    }
}

// Samples of a 3 x 2 picture in each PNG kind, with the words expected.
TEST_F(ImageFiles, PngKinds)
{
    auto be16 = [](std::initializer_list<int> values) {
        std::vector<uint8_t> out;
        for (int v : values)
            out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)});
        return out;
    };
    struct Case {
        const char* label;
        PngSpec spec;
        std::vector<uint32_t> want;
    } cases[] = {
        {"RGB is opaque",
         {3, 2, PNG_COLOR_TYPE_RGB, 8, false, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}, {}, {}},
         {0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C, 0xFF0D0E0F, 0xFF101112}},
        {"palette with tRNS",
         {3, 2, PNG_COLOR_TYPE_PALETTE, 8, false, {0, 1, 2, 2, 1, 0}, {10, 20, 30, 40, 50, 60, 70, 80, 90}, {0, 128}},
         {0x000A141E, 0x8028323C, 0xFF46505A, 0xFF46505A, 0x8028323C, 0x000A141E}},
        {"palette of 2 bits",
         {3, 2, PNG_COLOR_TYPE_PALETTE, 2, false, {0x18, 0x40}, {10, 20, 30, 40, 50, 60, 70, 80, 90}, {}},
         {0xFF0A141E, 0xFF28323C, 0xFF46505A, 0xFF28323C, 0xFF0A141E, 0xFF0A141E}},
        {"grey",
         {3, 2, PNG_COLOR_TYPE_GRAY, 8, false, {0, 50, 100, 150, 200, 255}, {}, {}},
         {0xFF000000, 0xFF323232, 0xFF646464, 0xFF969696, 0xFFC8C8C8, 0xFFFFFFFF}},
        {"grey of 1 bit",
         {3, 2, PNG_COLOR_TYPE_GRAY, 1, false, {0xA0, 0x40}, {}, {}},
         {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000}},
        {"grey and alpha",
         {3, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {10, 0, 20, 128, 30, 255, 40, 1, 50, 2, 60, 3}, {}, {}},
         {0x000A0A0A, 0x80141414, 0xFF1E1E1E, 0x01282828, 0x02323232, 0x033C3C3C}},
        {"16 bits per channel",
         {3, 2, PNG_COLOR_TYPE_RGB_ALPHA, 16, false,
          be16({0x1234, 0x5678, 0x9ABC, 0xFFFF, 0, 0x00FF, 0xFF00, 0x8000, 1, 2, 3, 4,
                0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD, 0x0100, 0x0200, 0x0300, 0x0400, 0xFFFF, 0xFFFF, 0xFFFF, 0}),
          {}, {}},
         {0xFF12569A, 0x800000FF, 0x00000000, 0xDDAABBCC, 0x04010203, 0x00FFFFFF}},
    };
    for (const Case& c : cases) {
        Write("pic.png", EncodePng(c.spec));
        auto image = ImageLib::ReadPng("pic.png");
        ASSERT_TRUE(image) << c.label;
        EXPECT_EQ(image->width, 3) << c.label;
        EXPECT_EQ(Words(*image), c.want) << c.label;
    }
}

TEST_F(ImageFiles, InterlacedPngComesOutInOrder)
{
    std::mt19937 random(3);
    const int width = 13, height = 11;
    PngSpec spec{width, height, PNG_COLOR_TYPE_RGB_ALPHA, 8, true, {}, {}, {}};
    std::vector<uint32_t> want;
    for (int i = 0; i < width * height; ++i) {
        uint32_t w = uint32_t(random());
        want.push_back(w);
        spec.rows.insert(spec.rows.end(), {uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w), uint8_t(w >> 24)});
    }
    Write("pic.png", EncodePng(spec));
    auto image = ImageLib::ReadPng("pic.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(Words(*image), want);
}

TEST_F(ImageFiles, WritePngThenReadPngGivesTheSameWords)
{
    std::mt19937 random(11);
    ImageLib::Image image;
    image.width = 37;
    image.height = 19;
    image.pixels = new uint32_t[37 * 19];
    for (int i = 0; i < 37 * 19; ++i)
        image.pixels[i] = uint32_t(random());
    ASSERT_TRUE(ImageLib::WritePng("out/shot.png", &image) == false); // no such folder
    MakeDirectory("out");
    ASSERT_TRUE(ImageLib::WritePng("out/shot.png", &image));
    auto back = ImageLib::ReadPng("out/shot.png");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width, 37);
    EXPECT_EQ(back->height, 19);
    EXPECT_EQ(Words(*back), Words(image));
}

TEST_F(ImageFiles, BrokenPngsAreRefused)
{
    std::string good = Png({1, 2, 3, 4}, 2, 2);
    std::string badCrc = good;
    badCrc[good.size() - 20] ^= 0x55; // inside the image data
    struct Case {
        const char* label;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"signature only", good.substr(0, 8)},
        {"cut in the data", good.substr(0, good.size() - 16)},
        {"damaged data", badCrc},
        {"not a PNG", std::string(100, 'x')},
    };
    for (const Case& c : cases) {
        Write("pic.png", c.bytes);
        EXPECT_FALSE(ImageLib::ReadPng("pic.png")) << c.label;
    }
    PngSpec huge{20000, 1, PNG_COLOR_TYPE_GRAY, 8, false, std::vector<uint8_t>(20000), {}, {}};
    Write("pic.png", EncodePng(huge));
    EXPECT_FALSE(ImageLib::ReadPng("pic.png")) << "wider than the limit";
}

TEST_F(ImageFiles, GreyJpegIsOpaqueGrey)
{
    std::vector<uint8_t> samples;
    for (int i = 0; i < 16 * 8; ++i)
        samples.push_back(uint8_t(i * 2));
    Write("pic.jpg", EncodeJpeg(16, 8, 1, samples));
    auto image = ImageLib::ReadJpeg("pic.jpg");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 16);
    EXPECT_EQ(image->height, 8);
    for (uint32_t w : Words(*image)) {
        EXPECT_EQ(w >> 24, 0xFFu);
        EXPECT_EQ((w >> 16) & 0xFF, w & 0xFF);
        EXPECT_EQ((w >> 8) & 0xFF, w & 0xFF);
    }
}

// The reader lets the library write the words itself; plain RGB output
// converted by hand must give the same.
TEST_F(ImageFiles, JpegMatchesPlainLibjpegDecoding)
{
    std::mt19937 random(5);
    for (auto [width, height] : {std::pair{1, 1}, {17, 9}, {64, 33}}) {
        std::vector<uint8_t> samples;
        for (int i = 0; i < width * height * 3; ++i)
            samples.push_back(uint8_t(random() % 64 + (i % 3) * 60));
        std::string bytes = EncodeJpeg(width, height, 3, samples, 85);
        Write("pic.jpg", bytes);
        auto image = ImageLib::ReadJpeg("pic.jpg");
        ASSERT_TRUE(image);
        int w = 0, h = 0;
        std::vector<uint32_t> plain = DecodeJpegPlain(bytes, w, h);
        EXPECT_EQ(image->width, w);
        EXPECT_EQ(image->height, h);
        EXPECT_EQ(Words(*image), plain) << width << "x" << height;
    }
}

TEST_F(ImageFiles, CmykJpegIsConverted)
{
    // Adobe CMYK holds inverted values: 255 is no ink. Cyan, magenta,
    // yellow and black blocks of 8 x 8.
    const uint8_t inks[4][4] = {{0, 255, 255, 255}, {255, 0, 255, 255}, {255, 255, 0, 255}, {255, 255, 255, 0}};
    const uint32_t want[4] = {0xFF00FFFF, 0xFFFF00FF, 0xFFFFFF00, 0xFF000000};
    std::vector<uint8_t> samples;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x)
            samples.insert(samples.end(), inks[x / 8], inks[x / 8] + 4);
    Write("pic.jpg", EncodeJpeg(32, 8, 4, samples, 100));
    auto image = ImageLib::ReadJpeg("pic.jpg");
    ASSERT_TRUE(image);
    for (int block = 0; block < 4; ++block) {
        uint32_t got = image->pixels[4 * 32 + block * 8 + 4];
        for (int shift : {0, 8, 16, 24})
            EXPECT_NEAR(int((got >> shift) & 0xFF), int((want[block] >> shift) & 0xFF), 3) << block;
    }
}

TEST_F(ImageFiles, DamagedJpegs)
{
    std::mt19937 random(9);
    std::vector<uint8_t> noise(64 * 64 * 3);
    for (uint8_t& v : noise)
        v = uint8_t(random());
    std::string good = EncodeJpeg(64, 64, 3, noise);
    Write("cut.jpg", good.substr(0, good.size() * 2 / 3));
    CapturingSink sink;
    auto cut = ImageLib::ReadJpeg("cut.jpg");
    ASSERT_TRUE(cut) << "a cut file gives what could be decoded";
    EXPECT_EQ(cut->width, 64);
    // The top rows decoded as written, the rest grey; the file is named.
    Write("good.jpg", good);
    auto whole = ImageLib::ReadJpeg("good.jpg");
    ASSERT_TRUE(whole);
    EXPECT_TRUE(std::equal(cut->pixels, cut->pixels + 64 * 8, whole->pixels));
    EXPECT_EQ(cut->pixels[64 * 64 - 1], 0xFF808080u);
    ASSERT_EQ(sink.debugLines.size(), 1u);
    EXPECT_EQ(sink.debugLines[0].rfind("ReadJpeg: cut.jpg: damaged data (Premature end of JPEG file", 0), 0u)
        << sink.debugLines[0];
    // A whole file reads without a word.
    ImageLib::ReadJpeg("good.jpg");
    EXPECT_EQ(sink.debugLines.size(), 1u);

    for (const std::string& bytes : {std::string(), std::string("\xFF\xD8", 2), std::string(64, 'j')}) {
        Write("bad.jpg", bytes);
        EXPECT_FALSE(ImageLib::ReadJpeg("bad.jpg")) << bytes.size();
    }
}

// A small file may repeat a progressive scan without end, each repeat a
// pass over the whole picture: a few are decoded, thousands refused.
TEST_F(ImageFiles, ProgressiveJpegWithCountlessScansIsRefused)
{
    std::vector<uint8_t> samples(32 * 32 * 3);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = uint8_t(i * 7);
    std::string good = EncodeJpeg(32, 32, 3, samples, 80, true);
    size_t lastScan = good.rfind("\xFF\xDA");
    ASSERT_NE(lastScan, std::string::npos);
    std::string scan = good.substr(lastScan, good.size() - 2 - lastScan);
    for (auto [repeats, readable] : {std::pair{0, true}, {20, true}, {2000, false}}) {
        std::string bytes = good.substr(0, good.size() - 2);
        for (int i = 0; i < repeats; ++i)
            bytes += scan;
        Write("pic.jpg", bytes + "\xFF\xD9");
        EXPECT_EQ(bool(ImageLib::ReadJpeg("pic.jpg")), readable) << repeats;
    }
}

TEST_F(ImageFiles, WriteJpegKeepsTheColours)
{
    ImageLib::Image image;
    image.width = 16;
    image.height = 16;
    image.pixels = new uint32_t[256];
    for (int i = 0; i < 256; ++i)
        image.pixels[i] = i < 128 ? 0x00C04020 : 0xFF2040C0; // alpha is dropped
    EXPECT_FALSE(ImageLib::WriteJpeg("missing/shot.jpg", &image));
    ASSERT_TRUE(ImageLib::WriteJpeg("shot.jpg", &image));
    auto back = ImageLib::ReadJpeg("shot.jpg");
    ASSERT_TRUE(back);
    for (int i : {0, 255}) {
        uint32_t want = image.pixels[i] | 0xFF000000;
        for (int shift : {0, 8, 16, 24})
            EXPECT_NEAR(int((back->pixels[i] >> shift) & 0xFF), int((want >> shift) & 0xFF), 6) << i;
    }
    ImageLib::Image empty;
    EXPECT_FALSE(ImageLib::WriteJpeg("empty.jpg", &empty));
    EXPECT_FALSE(ImageLib::WritePng("empty.png", &empty));
    EXPECT_FALSE(ImageLib::WritePng("null.png", nullptr));
}

TEST_F(ImageFiles, JpegTwoThousandKinds)
{
    ImageLib::LoadJ2kCodec();
    const int width = 5, height = 3;
    auto plane = [&](int w, int h, auto value) {
        std::vector<int32_t> data;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                data.push_back(value(x, y));
        return data;
    };
    auto ramp = [](int x, int y) { return x * 40 + y * 7; };
    std::vector<uint32_t> greyWant, rgbWant, prec12Want, signedWant, subWant;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t g = uint32_t(ramp(x, y));
            greyWant.push_back(0xFF000000 | g * 0x010101);
            rgbWant.push_back(0xFF000000 | g << 16 | (255 - g) << 8 | uint32_t(x * 50));
            prec12Want.push_back(0xFF000000 | (uint32_t(ramp(x, y) * 16 + 5) >> 4) * 0x010101);
            signedWant.push_back(0xFF000000 | uint32_t(ramp(x, y)) * 0x010101);
            subWant.push_back(0xFF000000 | g << 16 | uint32_t(x / 2 * 60) << 8 | uint32_t(y / 2 * 90));
        }
    using C = J2kComponent;
    C grey{1, 1, 8, false, plane(width, height, ramp)};
    C red = grey;
    C green{1, 1, 8, false, plane(width, height, [&](int x, int y) { return 255 - ramp(x, y); })};
    C blue{1, 1, 8, false, plane(width, height, [](int x, int) { return x * 50; })};
    C alpha{1, 1, 8, false, plane(width, height, [](int, int) { return 0; })};
    C prec12{1, 1, 12, false, plane(width, height, [&](int x, int y) { return ramp(x, y) * 16 + 5; })};
    C sgnd{1, 1, 8, true, plane(width, height, [&](int x, int y) { return ramp(x, y) - 128; })};
    C subG{2, 2, 8, false, plane(3, 2, [](int x, int) { return x * 60; })};
    C subB{2, 2, 8, false, plane(3, 2, [](int, int y) { return y * 90; })};
    struct Case {
        const char* label;
        bool jp2;
        std::vector<C> comps;
        std::vector<uint32_t> want;
    } cases[] = {
        {"J2K grey", false, {grey}, greyWant},
        {"JP2 grey", true, {grey}, greyWant},
        {"J2K RGB", false, {red, green, blue}, rgbWant},
        {"JP2 RGBA, alpha forced opaque", true, {red, green, blue, alpha}, rgbWant},
        {"grey and alpha", false, {grey, alpha}, greyWant},
        {"12-bit", false, {prec12}, prec12Want},
        {"signed", false, {sgnd}, signedWant},
        {"subsampled", false, {red, subG, subB}, subWant},
    };
    for (const Case& c : cases) {
        const char* name = c.jp2 ? "pic.jp2" : "pic.j2k";
        ASSERT_TRUE(WriteJ2k(dir / name, c.jp2, width, height, c.comps)) << c.label;
        ClearDirectoryCache();
        auto image = ImageLib::LoadImageFile(c.jp2 ? "pic.jp2" : "pic.j2k", false);
        ASSERT_TRUE(image) << c.label;
        EXPECT_EQ(image->width, width);
        EXPECT_EQ(image->height, height);
        EXPECT_EQ(Words(*image), c.want) << c.label;
        RemoveFile(name);
    }
    // The two kinds are told apart by their bytes, not by the name.
    ASSERT_TRUE(WriteJ2k(dir / "swapped.j2k", true, width, height, {grey}));
    ClearDirectoryCache();
    EXPECT_TRUE(ImageLib::ReadJ2k("swapped.j2k"));
}

TEST_F(ImageFiles, JpegTwoThousandSyccBecomesRgb)
{
    ImageLib::LoadJ2kCodec();
    // Six colours, each on a 2 x 2 block, so that chroma subsampled either
    // way still carries them exactly.
    const uint8_t colours[6][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {128, 128, 128}, {30, 200, 90}};
    const int width = 6, height = 4;
    auto colourAt = [&](int x, int y) { return colours[x / 2 + 3 * (y / 2)]; };
    auto level = [](double v) { return int32_t(std::lround(std::clamp(v, 0.0, 255.0))); };
    auto luma = [&](int x, int y) {
        const uint8_t* c = colourAt(x, y);
        return level(0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]);
    };
    auto cb = [&](int x, int y) {
        const uint8_t* c = colourAt(x, y);
        return level(128 - 0.168736 * c[0] - 0.331264 * c[1] + 0.5 * c[2]);
    };
    auto cr = [&](int x, int y) {
        const uint8_t* c = colourAt(x, y);
        return level(128 + 0.5 * c[0] - 0.418688 * c[1] - 0.081312 * c[2]);
    };
    // The samples of a plane subsampled by (dx, dy).
    auto sub = [&](int dx, int dy, auto f) {
        J2kComponent comp{dx, dy, 8, false, {}};
        for (int y = 0; y < height; y += dy)
            for (int x = 0; x < width; x += dx)
                comp.data.push_back(f(x, y));
        return comp;
    };
    const J2kComponent y = sub(1, 1, luma);
    const J2kComponent alpha = sub(1, 1, [](int, int) { return 7; });
    const struct {
        const char* label;
        std::vector<J2kComponent> comps;
    } cases[] = {
        {"4:4:4", {y, sub(1, 1, cb), sub(1, 1, cr)}},
        {"4:2:2", {y, sub(2, 1, cb), sub(2, 1, cr)}},
        {"4:2:0", {y, sub(2, 2, cb), sub(2, 2, cr)}},
        {"4:2:0 with alpha", {y, sub(2, 2, cb), sub(2, 2, cr), alpha}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteJ2k(dir / "sycc.jp2", true, width, height, c.comps, true)) << c.label;
        ClearDirectoryCache();
        auto image = ImageLib::ReadJ2k("sycc.jp2");
        ASSERT_TRUE(image) << c.label;
        ASSERT_EQ(image->width, width);
        ASSERT_EQ(image->height, height);
        for (int py = 0; py < height; ++py) {
            for (int px = 0; px < width; ++px) {
                const uint32_t got = image->pixels[py * width + px];
                const uint8_t* want = colourAt(px, py);
                EXPECT_EQ(got >> 24, 0xFFu) << c.label;
                for (int ch = 0; ch < 3; ++ch)
                    EXPECT_NEAR(int((got >> (16 - 8 * ch)) & 0xFF), want[ch], 2)
                        << c.label << " at " << px << "," << py << " channel " << ch;
            }
        }
        RemoveFile("sycc.jp2");
    }
}

TEST_F(ImageFiles, JpegTwoThousandNeedsTheCodec)
{
    ImageLib::LoadJ2kCodec();
    ASSERT_TRUE(WriteJ2k(dir / "pic.j2k", false, 2, 2, {{1, 1, 8, false, {1, 2, 3, 4}}}));
    ClearDirectoryCache();
    EXPECT_TRUE(ImageLib::ReadJ2k("pic.j2k"));
    EXPECT_EQ(UnloadJ2KCodec(), 1);
    EXPECT_EQ(UnloadJ2KCodec(), 0);
    EXPECT_FALSE(ImageLib::ReadJ2k("pic.j2k"));
    ImageLib::LoadJ2kCodec();
    EXPECT_TRUE(ImageLib::ReadJ2k("pic.j2k"));

    std::string bytes = TempDir::ReadFile(dir / "pic.j2k");
    for (const std::string& bad : {bytes.substr(0, bytes.size() / 2), bytes.substr(0, 3), std::string(40, 'q')}) {
        Write("bad.j2k", bad);
        EXPECT_FALSE(ImageLib::ReadJ2k("bad.j2k")) << bad.size();
    }
}

// The size segment is checked before the library allocates for it.
TEST_F(ImageFiles, JpegTwoThousandSizeSegmentLimits)
{
    ImageLib::LoadJ2kCodec();
    auto put32 = [](std::string& bytes, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + size_t(i)] = char(v >> (24 - 8 * i));
    };
    for (bool jp2 : {false, true}) {
        ASSERT_TRUE(WriteJ2k(dir / "good", jp2, 64, 64, {{1, 1, 8, false, std::vector<int32_t>(64 * 64, 9)}}));
        const std::string good = TempDir::ReadFile(dir / "good");
        const size_t siz = good.find("\xFF\x4F\xFF\x51");
        ASSERT_NE(siz, std::string::npos);
        struct Patch {
            const char* label;
            std::vector<std::pair<size_t, uint32_t>> fields;
            bool readable;
        } patches[] = {
            {"as written", {}, true},
            {"4096 tiles of one pixel", {{24, 1}, {28, 1}}, true},
            {"8192 tiles of one pixel", {{8, 128}, {24, 1}, {28, 1}}, false},
            {"no tile width", {{24, 0}}, false},
            {"tile origin beyond the picture's", {{16, 4}, {32, 5}}, false},
            {"taller than the limit", {{12, 20000}}, false},
        };
        for (const Patch& p : patches) {
            std::string bytes = good;
            for (auto [field, value] : p.fields)
                put32(bytes, siz + field, value);
            const char* name = jp2 ? "pic.jp2" : "pic.j2k";
            Write(name, bytes);
            auto image = ImageLib::ReadJ2k(name);
            EXPECT_EQ(bool(image), p.readable) << p.label << (jp2 ? " (JP2)" : " (J2K)");
        }
    }
}

// Every reader goes through the pak layer: members of an archive, in any
// letter case, read like disk files.
TEST_F(ImageFiles, ReadersReadArchiveMembers)
{
    ImageLib::LoadJ2kCodec();
    ASSERT_TRUE(WriteJ2k(dir / "tmp.j2k", false, 4, 4, {{1, 1, 8, false, std::vector<int32_t>(16, 0x42)}}));
    std::string j2k = TempDir::ReadFile(dir / "tmp.j2k");
    ASSERT_TRUE(WriteJ2k(dir / "tmp.jp2", true, 4, 4, {{1, 1, 8, false, std::vector<int32_t>(16, 0x24)}}));
    std::string jp2 = TempDir::ReadFile(dir / "tmp.jp2");
    std::vector<PakMember> members = {
        {"data\\a.tga", Tga(0xFF112233), {}}, {"data\\b.jpg", GreyJpeg(0x80), {}},
        {"data\\c.png", Png(0x80445566), {}}, {"data\\d.gif", Gif(0x778899), {}},
        {"data\\e.j2k", j2k, {}},             {"data\\_c.png", Png(0xFF0000CC), {}},
        {"data\\f.jp2", jp2, {}},             {"data\\g.jp2", jp2.substr(0, 40), {}},
    };
    ASSERT_TRUE(WritePakArchive(dir / "main.pak", members));
    ASSERT_TRUE(pak->AddPakFile("main.pak"));
    struct Case {
        const char* path;
        bool alpha;
        uint32_t want;
    } cases[] = {
        {"DATA/A.TGA", false, 0xFF112233}, {"data\\b", false, 0xFF808080}, {"Data/c.png", false, 0x80445566},
        {"data/d.gif", false, 0xFF778899}, {"data/e", false, 0xFF424242},  {"data/c.png", true, 0xCC445566},
        {"data/f", false, 0xFF242424},
    };
    for (const Case& c : cases) {
        auto image = ImageLib::LoadImageFile(c.path, c.alpha);
        ASSERT_TRUE(image) << c.path;
        EXPECT_EQ(image->pixels[0], c.want) << c.path;
    }
    EXPECT_FALSE(ImageLib::LoadImageFile("data/g.jp2", false)) << "cut inside its header";
}

// A name without an extension finds the picture and its partners among
// archive members and disk files together, in any letter case.
TEST_F(ImageFiles, PartnersComeFromArchiveAndDisk)
{
    std::vector<PakMember> members = {
        {"data\\a.png", Png(0x80102030), {}},
        {"data\\_b.png", Png(0xFF0000BB), {}},
        {"data\\c.png\\x.png", Png(0xFF445566), {}}, // a folder of that name
        {"data\\d_.gif", Gif(0x0000DD), {}},
    };
    ASSERT_TRUE(WritePakArchive(dir / "main.pak", members));
    ASSERT_TRUE(pak->AddPakFile("main.pak"));
    Write("Data/_A.PNG", Png(0xFF0000AA));
    Write("Data/B.tga", Tga(0x80405060));
    Write("Data/c.png_", Png(0xFF0000CC));
    Write("Data/D.jpg", GreyJpeg(0x80, 1, 1));
    struct Case {
        const char* path;
        uint32_t want; // 0: no picture
    } cases[] = {
        {"data/a", 0xAA102030}, {"DATA\\b", 0xBB405060}, {"data/c", 0}, {"data/d", 0xDD808080},
    };
    for (const Case& c : cases) {
        auto image = ImageLib::LoadImageFile(c.path, true);
        if (!c.want) {
            EXPECT_FALSE(image) << c.path;
            continue;
        }
        ASSERT_TRUE(image) << c.path;
        EXPECT_EQ(image->pixels[0], c.want) << c.path;
    }
}

// A replacement name stands in for a missing file, with or without the
// extension in the name asked for.
TEST_F(ImageFiles, ReplacementNamesAreFollowed)
{
    Write("gfx/real.png", Png(0xFF445566));
    pak->mPathAliases[NormalizePakPath("gfx/pic.png")] = "gfx/real.png";
    for (const char* path : {"gfx/pic.png", "gfx/pic"}) {
        auto image = ImageLib::LoadImageFile(path, true);
        ASSERT_TRUE(image) << path;
        EXPECT_EQ(image->pixels[0], 0xFF445566u) << path;
    }
}

} // namespace
} // namespace Quib
