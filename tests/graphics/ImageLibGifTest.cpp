#include "framework/graphics/ImageLib.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TempDir.h"
#include <gtest/gtest.h>
#include <random>

namespace Quib {
namespace {

using namespace Testing;

const std::vector<uint32_t> kFour = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

std::unique_ptr<ImageLib::Image> ReadGifBytes(const std::string& bytes)
{
    TempDir dir;
    return ImageLib::ReadGif(dir.WriteFile("pic.gif", bytes));
}

GifSpec Simple(int width, int height, std::vector<uint8_t> indices)
{
    GifSpec spec;
    spec.globalTable = kFour;
    spec.width = width;
    spec.height = height;
    spec.indices = std::move(indices);
    return spec;
}

TEST(ReadGif, DecodesIndicesThroughTheGlobalTable)
{
    auto image = ReadGifBytes(MakeGif(Simple(2, 2, {0, 1, 2, 3})));
    ASSERT_TRUE(image);
    EXPECT_EQ(Words(*image), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
}

TEST(ReadGif, TransparentIndexGivesTransparentBlack)
{
    GifSpec spec = Simple(3, 1, {1, 2, 1});
    spec.transparent = 1;
    spec.comment = true; // comment and application blocks are skipped
    auto image = ReadGifBytes(MakeGif(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(Words(*image), (std::vector<uint32_t>{0, 0xFF0000FF, 0}));
}

TEST(ReadGif, LocalTableWinsOverTheGlobalOne)
{
    GifSpec spec = Simple(2, 1, {0, 1});
    spec.localTable = {0x123456, 0xABCDEF};
    auto image = ReadGifBytes(MakeGif(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(Words(*image), (std::vector<uint32_t>{0xFF123456, 0xFFABCDEF}));
}

TEST(ReadGif, InterlacedHeightThreeFillsRowsZeroTwoOne)
{
    GifSpec spec = Simple(1, 3, {0, 1, 2});
    spec.interlaced = true;
    auto image = ReadGifBytes(MakeGif(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(Words(*image), (std::vector<uint32_t>{0xFFFF0000, 0xFF0000FF, 0xFF00FF00}));
}

TEST(ReadGif, InterlacedTallPictureFollowsTheFourPasses)
{
    std::vector<uint8_t> fileOrder;
    std::vector<int> rowOrder;
    for (int start : {0, 4, 2, 1})
        for (int y = start; y < 20; y += start == 0 || start == 4 ? 8 : start == 2 ? 4 : 2)
            rowOrder.push_back(y);
    for (int y : rowOrder)
        fileOrder.push_back(uint8_t(y % 4));
    GifSpec spec = Simple(1, 20, fileOrder);
    spec.interlaced = true;
    auto image = ReadGifBytes(MakeGif(spec));
    ASSERT_TRUE(image);
    for (int y = 0; y < 20; ++y)
        EXPECT_EQ(image->pixels[y], 0xFF000000u | kFour[size_t(y % 4)]) << "row " << y;
}

// Long random runs make the table fill, the code size grow to 12 bits and
// the encoder send clear codes; small and large code sizes alike.
TEST(ReadGif, RandomPicturesRoundTripThroughLzw)
{
    std::mt19937 random(7);
    for (int m : {2, 3, 5, 8}) {
        const int colors = 1 << m;
        std::vector<uint32_t> table(static_cast<size_t>(colors));
        for (int i = 0; i < colors; ++i)
            table[size_t(i)] = uint32_t(random()) & 0xFFFFFF;
        const int width = 97, height = 83;
        std::vector<uint8_t> indices;
        for (int i = 0; i < width * height; ++i) {
            // Runs and repeats as well as noise.
            int pick = int(random() % 4);
            indices.push_back(pick == 0 && !indices.empty() ? indices.back() : uint8_t(random() % colors));
        }
        GifSpec spec;
        spec.globalTable = table;
        spec.width = width;
        spec.height = height;
        spec.minimumCodeSize = m;
        spec.indices = indices;
        auto image = ReadGifBytes(MakeGif(spec));
        ASSERT_TRUE(image) << m;
        for (size_t i = 0; i < indices.size(); ++i)
            ASSERT_EQ(image->pixels[i], 0xFF000000u | table[indices[i]]) << "m " << m << " pixel " << i;
    }
}

TEST(ReadGif, CodeEqualToTheNextFreeCodeRepeatsThePreviousString)
{
    // 2-bit table: clear 4, end 5; codes 1, 6 (= "1 1"), 7 (= "1 1 1").
    GifSpec spec = Simple(6, 1, {});
    spec.lzw = GifPackCodes({{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 4}});
    auto image = ReadGifBytes(MakeGif(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(Words(*image), std::vector<uint32_t>(6, 0xFF00FF00));
}

TEST(ReadGif, ClearCodeInTheMiddleResetsTheTable)
{
    GifSpec spec = Simple(4, 1, {});
    spec.lzw = GifPackCodes({{4, 3}, {0, 3}, {1, 3}, {4, 3}, {2, 3}, {3, 3}, {5, 3}});
    auto image = ReadGifBytes(MakeGif(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(Words(*image), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
}

// Without a clear code a full table stays as it is and decoding goes on
// with 12-bit codes.
TEST(ReadGif, FullTableWithoutClearCodeKeepsDecoding)
{
    std::vector<std::pair<int, int>> codes = {{4, 3}, {0, 3}};
    std::vector<uint32_t> want = {0xFF000000u | kFour[0]};
    for (int next = 6, size = 3; next < 4096;) {
        int index = next % 4;
        codes.push_back({index, size});
        want.push_back(0xFF000000u | kFour[size_t(index)]);
        if (++next >= (1 << size) && size < 12)
            ++size;
    }
    for (int i = 0; i < 5; ++i) {
        codes.push_back({1, 12});
        want.push_back(0xFF000000u | kFour[1]);
    }
    codes.push_back({5, 12});
    GifSpec spec = Simple(int(want.size()), 1, {});
    spec.lzw = GifPackCodes(codes);
    auto image = ReadGifBytes(MakeGif(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(Words(*image), want);
}

TEST(ReadGif, MinimumCodeSizeElevenIsRead)
{
    GifSpec spec = Simple(2, 1, {});
    spec.minimumCodeSize = 11;
    spec.lzw = GifPackCodes({{2048, 12}, {3, 12}, {1, 12}, {2049, 12}});
    auto image = ReadGifBytes(MakeGif(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(Words(*image), (std::vector<uint32_t>{0xFFFFFFFF, 0xFF00FF00}));
}

// The packed field and the index come from the extension's last sub-block.
TEST(ReadGif, TransparencyComesFromTheLastControlSubBlock)
{
    auto control = [](std::initializer_list<std::string> blocks) {
        std::string out = "\x21\xF9";
        for (const std::string& b : blocks)
            out += char(b.size()) + b;
        return out + '\0';
    };
    const std::string set1("\x01\0\0\x01", 4), clear2("\0\0\0\x02", 4), set2("\x01\0\0\x02", 4);
    struct Case {
        const char* name;
        std::string extension;
        std::vector<uint32_t> want;
    } cases[] = {
        {"one block", control({set1}), {0xFFFF0000, 0, 0xFF0000FF}},
        {"bit cleared by the last block", control({set1, clear2}), {0xFFFF0000, 0xFF00FF00, 0xFF0000FF}},
        {"set by the last block", control({clear2, set2}), {0xFFFF0000, 0xFF00FF00, 0}},
        {"last block too short", control({set1, std::string("\x01\0", 2)}), {0xFFFF0000, 0xFF00FF00, 0xFF0000FF}},
    };
    for (const Case& c : cases) {
        std::string bytes = MakeGif(Simple(3, 1, {0, 1, 2}));
        bytes.insert(6 + 7 + 12, c.extension);
        auto image = ReadGifBytes(bytes);
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(Words(*image), c.want) << c.name;
    }
}

TEST(ReadGif, EarlyEndLeavesTheRestCleared)
{
    struct Case {
        const char* name;
        std::string lzw;
    } cases[] = {
        {"end code", GifPackCodes({{4, 3}, {1, 3}, {5, 3}})},
        {"code beyond the table", GifPackCodes({{4, 3}, {1, 3}, {7, 3}, {2, 3}})},
        {"no more sub-blocks", GifPackCodes({{4, 3}, {1, 3}})},
        {"file ends", std::string("\x05", 1) + char(0x0C)},
    };
    for (const Case& c : cases) {
        GifSpec spec = Simple(3, 2, {});
        spec.lzw = c.lzw;
        std::string bytes = MakeGif(spec);
        if (std::string(c.name) == "file ends")
            bytes.pop_back(); // no trailer either
        auto image = ReadGifBytes(bytes);
        ASSERT_TRUE(image) << c.name;
        std::vector<uint32_t> want(6, 0);
        want[0] = 0xFF00FF00;
        EXPECT_EQ(Words(*image), want) << c.name;
    }
}

TEST(ReadGif, IndexBeyondTheTableIsOpaqueBlack)
{
    GifSpec spec = Simple(3, 1, {0, 5, 7});
    spec.globalTable = {0xFF0000, 0x00FF00};
    spec.minimumCodeSize = 3;
    auto image = ReadGifBytes(MakeGif(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(Words(*image), (std::vector<uint32_t>{0xFFFF0000, 0xFF000000, 0xFF000000}));

    GifSpec none = Simple(2, 1, {0, 1});
    none.globalTable.clear();
    image = ReadGifBytes(MakeGif(none));
    ASSERT_TRUE(image);
    EXPECT_EQ(Words(*image), (std::vector<uint32_t>{0xFF000000, 0xFF000000}));
}

TEST(ReadGif, AnimatedFileGivesItsFirstFrameAtTheFramesSize)
{
    GifSpec first = Simple(2, 1, {3, 2});
    first.screenWidth = 10;
    first.screenHeight = 10;
    std::string bytes = MakeGif(first);
    bytes.pop_back();
    std::string second = MakeGif(Simple(1, 1, {0}));
    bytes += second.substr(6 + 7 + 12); // its image block and trailer
    auto image = ReadGifBytes(bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 1);
    EXPECT_EQ(Words(*image), (std::vector<uint32_t>{0xFFFFFFFF, 0xFF0000FF}));
}

TEST(ReadGif, RefusesWhatItCannotRead)
{
    GifSpec zeroWidth = Simple(0, 1, {0});
    GifSpec huge = Simple(40000, 40000, {0});
    GifSpec wide = Simple(0x9000, 1, {0}); // not a negative width either
    GifSpec codeSize12 = Simple(1, 1, {});
    codeSize12.minimumCodeSize = 12;
    codeSize12.lzw = GifPackCodes({{4096, 13}, {1, 13}});
    std::string noImage = MakeGif(Simple(1, 1, {0})).substr(0, 6 + 7 + 12) + ";";
    std::string shortTable = MakeGif(Simple(1, 1, {0})).substr(0, 6 + 7 + 5);
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"not a GIF", "GIF90a" + std::string(20, '\0')},
        {"empty", ""},
        {"zero width", MakeGif(zeroWidth)},
        {"too large", MakeGif(huge)},
        {"too wide", MakeGif(wide)},
        {"code size 12", MakeGif(codeSize12)},
        {"no image", noImage},
        {"short colour table", shortTable},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(ReadGifBytes(c.bytes)) << c.name;
}

} // namespace
} // namespace Quib
