#include "framework/graphics/PolygonClip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace Quib {
namespace {

DeviceVertex ClipVertex(float x, float y, float u = 0, float v = 0, uint32_t color = 0xFFFFFFFF)
{
    return MakeDeviceVertex(x, y, color, u, v);
}

VertexList ClipPolygonOf(const std::vector<std::pair<float, float>>& points)
{
    VertexList list;
    for (const auto& [x, y] : points)
        list.Add(ClipVertex(x, y, x / 10, y / 10));
    return list;
}

std::vector<std::pair<float, float>> ClipPoints(const VertexList& list)
{
    std::vector<std::pair<float, float>> out;
    for (size_t i = 0; i < list.Size(); ++i)
        out.push_back({list[i].x, list[i].y});
    return out;
}

struct RectClipRow {
    const char* name;
    std::vector<std::pair<float, float>> polygon;
    Rect clip;
    std::vector<std::pair<float, float>> kept;
};

TEST(PolygonClip, RectangleClipping)
{
    using P = std::vector<std::pair<float, float>>;
    const RectClipRow rows[] = {
        {"inside stays as it is", P{{2, 2}, {8, 2}, {5, 8}}, Rect(0, 0, 10, 10), P{{2, 2}, {8, 2}, {5, 8}}},
        {"outside goes", P{{20, 2}, {28, 2}, {25, 8}}, Rect(0, 0, 10, 10), P{}},
        {"a corner on the right edge is outside: cut at the edge", P{{0, 0}, {10, 0}, {10, 4}, {0, 4}},
         Rect(0, 0, 10, 10), P{{0, 0}, {10, 0}, {10, 4}, {0, 4}}},
        {"a quad across the left edge", P{{-4, 0}, {4, 0}, {4, 4}, {-4, 4}}, Rect(0, 0, 10, 10),
         P{{0, 0}, {4, 0}, {4, 4}, {0, 4}}},
        {"a quad over a corner", P{{-4, -4}, {4, -4}, {4, 4}, {-4, 4}}, Rect(0, 0, 10, 10),
         P{{0, 0}, {4, 0}, {4, 4}, {0, 4}}},
        {"a clip rectangle away from the origin", P{{0, 0}, {40, 0}, {40, 40}, {0, 40}}, Rect(10, 20, 5, 6),
         P{{10, 20}, {15, 20}, {15, 26}, {10, 26}}},
    };
    for (const RectClipRow& row : rows) {
        SCOPED_TRACE(row.name);
        VertexList list = ClipPolygonOf(row.polygon);
        ClipVerticesToRect(list, row.clip);
        // The same points, starting anywhere.
        const auto got = ClipPoints(list);
        ASSERT_EQ(got.size(), row.kept.size());
        bool same = got.empty();
        for (size_t start = 0; start < got.size() && !same; ++start) {
            same = true;
            for (size_t i = 0; i < got.size(); ++i)
                same = same && got[(start + i) % got.size()] == row.kept[i];
        }
        EXPECT_TRUE(same);
        // Kept texture coordinates follow the positions.
        for (size_t i = 0; i < list.Size(); ++i) {
            EXPECT_FLOAT_EQ(list[i].tu, list[i].x / 10);
            EXPECT_FLOAT_EQ(list[i].tv, list[i].y / 10);
        }
    }
}

TEST(PolygonClip, OnePassKeepsItsSide)
{
    const VertexList square = ClipPolygonOf({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    VertexList out;
    ClipPolygonKeepBelow(VERTEX_X, 4, square, out);
    EXPECT_EQ(ClipPoints(out), (std::vector<std::pair<float, float>>{{0, 0}, {4, 0}, {4, 10}, {0, 10}}));
    ClipPolygonKeepAtLeast(VERTEX_Y, 4, square, out);
    EXPECT_EQ(ClipPoints(out), (std::vector<std::pair<float, float>>{{0, 4}, {10, 4}, {10, 10}, {0, 10}}));
    // Fewer than two vertices: nothing.
    ClipPolygonKeepBelow(VERTEX_X, 100, ClipPolygonOf({{1, 1}}), out);
    EXPECT_EQ(out.Size(), 0u);
    // An unknown component reads as 0.
    EXPECT_EQ(VertexComponent(ClipVertex(3, 4, 5, 6), 9), 0.0f);
    ClipPolygonKeepAtLeast(9, 1, square, out);
    EXPECT_EQ(out.Size(), 0u);
}

TEST(PolygonClip, UnitTextureClipping)
{
    VertexList list;
    list.Add(ClipVertex(0, 0, -0.5f, 0.5f));
    list.Add(ClipVertex(20, 0, 1.5f, 0.5f));
    list.Add(ClipVertex(10, 10, 0.5f, 1.5f));
    ClipToUnitTexture(list);
    ASSERT_GE(list.Size(), 3u);
    for (size_t i = 0; i < list.Size(); ++i) {
        EXPECT_GE(list[i].tu, 0.0f);
        EXPECT_LE(list[i].tu, 1.0f);
        EXPECT_GE(list[i].tv, 0.0f);
        EXPECT_LE(list[i].tv, 1.0f);
        // Positions move with the coordinates: x = 10 u + 5 here.
        EXPECT_NEAR(list[i].x, 10 * list[i].tu + 5, 1e-4);
    }
}

TEST(PolygonClip, LerpVertexColoursAndFixedParts)
{
    DeviceVertex a = ClipVertex(0, 0, 0, 0, 0xFF000000), b = ClipVertex(10, 20, 1, 2, 0x00FFFFFF);
    a.z = 0.25f;
    a.rhw = 0.5f;
    a.specular = 7;
    b.z = 1;
    b.rhw = 1;
    const DeviceVertex m = LerpVertex(a, b, 0.5f);
    EXPECT_EQ(m.diffuse, 0x7F7F7F7Fu);
    EXPECT_FLOAT_EQ(m.x, 5);
    EXPECT_FLOAT_EQ(m.y, 10);
    EXPECT_FLOAT_EQ(m.tu, 0.5f);
    EXPECT_FLOAT_EQ(m.tv, 1);
    EXPECT_EQ(m.z, 0.25f);
    EXPECT_EQ(m.rhw, 0.5f);
    EXPECT_EQ(m.specular, 7u);
    // Equal colours are kept as they are.
    EXPECT_EQ(LerpVertex(ClipVertex(0, 0, 0, 0, 0x80123456), ClipVertex(1, 1, 0, 0, 0x80123456), 0.3f).diffuse,
              0x80123456u);
}

TEST(PolygonClip, ListsGrowPastTheirInlineRoom)
{
    VertexList list;
    for (int i = 0; i < 250; ++i)
        list.Add(ClipVertex(float(i), 0));
    EXPECT_TRUE(list.OnHeap());
    ASSERT_EQ(list.Size(), 250u);
    for (int i = 0; i < 250; ++i)
        EXPECT_EQ(list[size_t(i)].x, float(i));
    VertexList small;
    for (int i = 0; i < 100; ++i)
        small.Add(ClipVertex(float(i), 0));
    EXPECT_FALSE(small.OnHeap());
}

} // namespace
} // namespace Quib
