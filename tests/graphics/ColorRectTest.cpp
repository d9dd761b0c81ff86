#include "framework/core/Color.h"
#include "framework/core/Rect.h"

#include <gtest/gtest.h>

#include <climits>

namespace Quib {
namespace {

TEST(Color, FromPackedTreatsZeroAlphaAsOpaque)
{
    struct Case {
        uint32_t packed;
        Color expected;
    } cases[] = {
        {0x00000000, {0, 0, 0, 255}},
        {0x80FF0000, {255, 0, 0, 128}},
        {0x01000000, {0, 0, 0, 1}},
        {0xFF123456, {0x12, 0x34, 0x56, 255}},
        {0x00ABCDEF, {0xAB, 0xCD, 0xEF, 255}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Color(c.packed), c.expected) << std::hex << c.packed;
}

TEST(Color, IsOpaqueWhite)
{
    EXPECT_TRUE(Color(255, 255, 255, 255).IsOpaqueWhite());
    EXPECT_TRUE(Color(0xFFFFFFu).IsOpaqueWhite());
    EXPECT_FALSE(Color(255, 255, 255, 254).IsOpaqueWhite());
    EXPECT_FALSE(Color(255, 255, 254, 255).IsOpaqueWhite());
}

TEST(Color, WithAlphaTruncatesAndClamps)
{
    const Color c(10, 20, 30, 77);
    struct Case {
        float f;
        int alpha;
    } cases[] = {{0.999f, 254}, {1.5f, 255}, {-0.2f, 0}, {0.0f, 0}, {1.0f, 255}, {0.5f, 127}};
    for (const Case& k : cases) {
        Color r = ColorWithAlpha(k.f, c);
        EXPECT_EQ(r, Color(10, 20, 30, k.alpha)) << k.f;
    }
}

TEST(Color, Multiply)
{
    const Color c(12, 200, 255, 7);
    EXPECT_EQ(MultiplyColors(Color::White, c), c);
    EXPECT_EQ(MultiplyColors(c, Color::White), c);
    EXPECT_EQ(MultiplyColors(Color(128, 128, 128, 128), Color(128, 128, 128, 128)), Color(64, 64, 64, 64));
    // Out-of-range channels are clamped after the division.
    EXPECT_EQ(MultiplyColors(Color(300, -5, 0, 255), Color(255, 255, 0, 255)), Color(255, 0, 0, 255));
}

TEST(Rect, Intersection)
{
    struct Case {
        Rect a, b, expected;
    } cases[] = {
        {{0, 0, 10, 10}, {10, 0, 5, 5}, {10, 0, 0, 5}}, // touching: zero width at the shared edge
        {{0, 0, 10, 10}, {11, 0, 5, 5}, {0, 0, 0, 0}},  // apart: all zeros
        {{0, 0, 10, 10}, {2, 3, 4, 5}, {2, 3, 4, 5}},
        {{-5, -5, 10, 10}, {0, 0, 10, 10}, {0, 0, 5, 5}},
        {{0, 0, 10, 10}, {0, 20, 10, 10}, {0, 0, 0, 0}},
        {{INT_MAX - 1, 0, INT_MAX, 1}, {0, 0, INT_MAX, 1}, {INT_MAX - 1, 0, 1, 1}}, // no wrap
    };
    for (const Case& c : cases) {
        Rect r = c.a.Intersection(c.b);
        EXPECT_EQ(r, c.expected) << r.x << "," << r.y << "," << r.width << "," << r.height;
    }
}

TEST(Rect, UnionCountsEmptyRectangles)
{
    EXPECT_EQ(Rect(0, 0, 0, 0).Union(Rect(5, 5, 2, 2)), Rect(0, 0, 7, 7));
    EXPECT_EQ(Rect(1, 2, 3, 4).Union(Rect(-1, 5, 1, 10)), Rect(-1, 2, 5, 13));
}

TEST(Rect, ContainsExcludesRightAndBottomEdges)
{
    const Rect r(0, 0, 10, 10);
    EXPECT_TRUE(r.Contains(0, 0));
    EXPECT_TRUE(r.Contains(9, 9));
    EXPECT_FALSE(r.Contains(10, 0));
    EXPECT_FALSE(r.Contains(0, 10));
    EXPECT_FALSE(r.Contains(Point(-1, 5)));
    EXPECT_TRUE(r.Contains(Point(5, 5)));
    EXPECT_FALSE(Rect(3, 3, 0, 5).Contains(3, 3));
    EXPECT_TRUE(Rect(INT_MAX - 1, 0, 10, 1).Contains(INT_MAX, 0));
}

TEST(Rect, Inequality)
{
    EXPECT_NE(Rect(0, 0, 1, 1), Rect(0, 0, 1, 2));
    EXPECT_EQ(Rect(1, 2, 3, 4), Rect(1, 2, 3, 4));
}

TEST(DoubleRect, Intersection)
{
    EXPECT_EQ(DoubleRect(0, 0, 10, 10).Intersection(DoubleRect(2.5, 1, 20, 3)), DoubleRect(2.5, 1, 7.5, 3));
    EXPECT_EQ(DoubleRect(0, 0, 10, 10).Intersection(DoubleRect(10, 0, 5, 5)), DoubleRect(10, 0, 0, 5));
    EXPECT_EQ(DoubleRect(0, 0, 10, 10).Intersection(DoubleRect(10.5, 0, 5, 5)), DoubleRect());
}

} // namespace
} // namespace Quib
