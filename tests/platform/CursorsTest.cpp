#include "platform/Cursors.h"
#include "platform/headless/CapturingSink.h"
#include "platform/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

namespace Quib {
namespace {

// '.' transparent, '#' black, 'o' white, '!' inverted, read back from masks.
char PixelOf(const CursorMasks& masks, int x, int y)
{
    const size_t byte = size_t(y) * 4 + size_t(x / 8);
    const uint8_t bit = uint8_t(0x80 >> (x % 8));
    const bool a = masks.andMask[byte] & bit, o = masks.xorMask[byte] & bit;
    return a ? (o ? '!' : '.') : (o ? 'o' : '#');
}

std::string Row(const CursorMasks& masks, int y)
{
    std::string row;
    for (int x = 0; x < 32; ++x)
        row += PixelOf(masks, x, y);
    return row;
}

TEST(Cursors, BuiltinMasksDrawTheTwoHands)
{
    CursorMasks hand, open;
    ASSERT_TRUE(GetBuiltinCursorMasks(1, hand));
    ASSERT_TRUE(GetBuiltinCursorMasks(2, open));
    EXPECT_FALSE(GetBuiltinCursorMasks(0, hand));
    EXPECT_FALSE(GetBuiltinCursorMasks(3, hand));
    EXPECT_EQ(hand.hotX, 11);
    EXPECT_EQ(hand.hotY, 4);
    EXPECT_EQ(open.hotX, 15);
    EXPECT_EQ(open.hotY, 10);
    const std::string clear(32, '.');
    for (int y : {0, 3, 26, 31}) {
        EXPECT_EQ(Row(hand, y), clear) << y;
        EXPECT_EQ(Row(open, y), clear) << y;
    }
    EXPECT_EQ(Row(hand, 4), "...........##...................");
    EXPECT_EQ(Row(hand, 14), "......#oo##oooooooo#oo#.........");
    EXPECT_EQ(Row(hand, 25), "...........##########...........");
    EXPECT_EQ(Row(open, 12), ".......##..#oo#oo#oo#oo#........");
    EXPECT_EQ(Row(open, 25), ".............#########..........");
    // The hot spots lie on the outline of the finger tips.
    EXPECT_EQ(PixelOf(hand, 11, 4), '#');
    EXPECT_EQ(PixelOf(open, 15, 10), 'o');
}

TEST(Cursors, MasksBecomeSdlDataAndMask)
{
    // AND, XOR -> data, mask: transparent, black, white, inverted.
    const uint8_t andMask[] = {0b1010};
    const uint8_t xorMask[] = {0b1100};
    uint8_t data[1], mask[1];
    MasksToSdlForm(andMask, xorMask, 1, data, mask);
    // bit 3: AND 1 XOR 1 inverted -> data 1 mask 0
    // bit 2: AND 0 XOR 1 white    -> data 0 mask 1
    // bit 1: AND 1 XOR 0 clear    -> data 0 mask 0
    // bit 0: AND 0 XOR 0 black    -> data 1 mask 1
    EXPECT_EQ(data[0] & 0x0F, 0b1001);
    EXPECT_EQ(mask[0] & 0x0F, 0b0101);
}

TEST(Cursors, EveryCursorNumberHasItsChoice)
{
    using C = CursorChoice;
    auto standard = [](StandardCursor s) { return C{C::Standard, s, 0}; };
    const std::pair<int, CursorChoice> cases[] = {
        {0, standard(StandardCursor::Arrow)},
        {1, C{C::Builtin, StandardCursor::Arrow, 1}},
        {2, C{C::Builtin, StandardCursor::Arrow, 2}},
        {3, standard(StandardCursor::IBeam)},
        {4, standard(StandardCursor::No)},
        {5, standard(StandardCursor::SizeAll)},
        {6, standard(StandardCursor::SizeNESW)},
        {7, standard(StandardCursor::SizeNS)},
        {8, standard(StandardCursor::SizeNWSE)},
        {9, standard(StandardCursor::SizeWE)},
        {10, standard(StandardCursor::Wait)},
        {11, C{C::None, StandardCursor::Arrow, 0}},
        {12, C{C::None, StandardCursor::Arrow, 0}},
        {13, standard(StandardCursor::Arrow)},
        {-1, standard(StandardCursor::Arrow)},
    };
    for (const auto& [number, choice] : cases)
        EXPECT_EQ(CursorChoiceFor(number), choice) << number;
    EXPECT_TRUE(IsCursorSlot(0));
    EXPECT_TRUE(IsCursorSlot(12));
    EXPECT_FALSE(IsCursorSlot(13));
    EXPECT_FALSE(IsCursorSlot(-1));
}

TEST(Cursors, HeadlessCursorsRecordWhatIsMadeAndShown)
{
    HeadlessWindowSystem system;
    auto window = system.CreateMainWindow({});
    HeadlessCursors& cursors = system.cursors;
    CursorMasks masks;
    ASSERT_TRUE(GetBuiltinCursorMasks(2, masks));
    const CursorId open = cursors.CreateMaskCursor(masks);
    ASSERT_NE(open, 0u);
    EXPECT_EQ(cursors.cursors[open].hotX, 15);
    EXPECT_EQ(cursors.cursors[open].andMask.size(), 128u);

    // A colour cursor from a 2 x 2 corner of a wider picture.
    const uint32_t picture[] = {1, 2, 9, 3, 4, 9};
    const CursorId colour = cursors.CreateColorCursor(picture, 2, 2, 3, 1, 1);
    ASSERT_NE(colour, 0u);
    EXPECT_EQ(cursors.cursors[colour].pixels, std::vector<uint32_t>({1, 2, 3, 4}));

    cursors.SetCursor(colour);
    EXPECT_EQ(cursors.CurrentCursor(), colour);
    cursors.DestroyCursor(colour);
    EXPECT_EQ(cursors.CurrentCursor(), 0u);
    cursors.WarpCursor(*window, 5, 6);
    ASSERT_EQ(cursors.warps.size(), 1u);
    int x = 0, y = 0;
    window->GetLastMousePosition(x, y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);

    CapturingSink sink;
    EXPECT_EQ(cursors.CreateColorCursor(nullptr, 2, 2, 2, 0, 0), 0u);
    EXPECT_EQ(cursors.CreateColorCursor(picture, 0, 2, 2, 0, 0), 0u);
    EXPECT_EQ(cursors.CreateColorCursor(picture, 300, 2, 300, 0, 0), 0u);
    EXPECT_EQ(sink.debugLines.size(), 3u);
}

} // namespace
} // namespace Quib
