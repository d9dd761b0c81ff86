// Small pictures drawn by the rasterizer, compared with reviewed PNG files
// under tests/data/raster/. QUIB_UPDATE_GOLDEN=1 rewrites them.
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/TriangleRasterizer.h"
#include "tests/raster/RasterTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace Quib {
namespace {

using namespace Testing;

// A 24 x 24 picture: colour gradients, a transparent frame, a translucent
// stripe and a dark cross, so both samplers and the blend show.
MemoryImage TestPicture()
{
    std::vector<uint32_t> px(24 * 24);
    for (uint32_t y = 0; y < 24; ++y)
        for (uint32_t x = 0; x < 24; ++x) {
            uint32_t a = 255;
            if (x == 0 || y == 0 || x == 23 || y == 23)
                a = 0;
            else if (y >= 15 && y <= 18)
                a = 110;
            uint32_t rgb = ((x * 10) << 16) | ((y * 10) << 8) | (230 - x * 5);
            if (x == 11 || y == 8)
                rgb = 0x202020;
            px[y * 24 + x] = (a << 24) | rgb;
        }
    MemoryImage img(nullptr);
    img.AssignPixels(px.data(), 24, 24, true);
    return img;
}

void Checker(TestSurface& s, uint32_t a, uint32_t b)
{
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            s.Set(x, y, ((x / 8 + y / 8) % 2) ? a : b);
}

// The surface as ARGB words (16-bit fields widened), alpha kept for 0x8888.
std::vector<uint32_t> AsArgb(const TestSurface& s)
{
    std::vector<uint32_t> out;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const uint32_t p = s.Get(x, y);
            if (s.format == PIXEL_FORMAT_8888)
                out.push_back(p);
            else if (s.format == PIXEL_FORMAT_888)
                out.push_back(p | 0xFF000000u);
            else {
                const uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
                out.push_back(0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2));
            }
        }
    return out;
}

void CompareWithGolden(const TestSurface& s, const std::string& name)
{
    std::string path = QUIB_TEST_DATA;
    path.append("/raster/").append(name);
    const std::vector<uint32_t> drawn = AsArgb(s);
    if (std::getenv("QUIB_UPDATE_GOLDEN")) {
        ImageLib::Image out;
        out.width = s.width;
        out.height = s.height;
        out.pixels = new uint32_t[drawn.size()];
        std::copy(drawn.begin(), drawn.end(), out.pixels);
        ASSERT_TRUE(ImageLib::WritePng(path, &out)) << path;
        return;
    }
    const auto golden = ImageLib::ReadPng(path);
    ASSERT_TRUE(golden) << "missing " << path << " (QUIB_UPDATE_GOLDEN=1 writes it)";
    ASSERT_EQ(golden->width, s.width);
    ASSERT_EQ(golden->height, s.height);
    int differ = 0;
    for (size_t i = 0; i < drawn.size(); ++i)
        differ += golden->pixels[i] != drawn[i];
    EXPECT_EQ(differ, 0) << name << ": pixels differing from the reviewed picture";
}

Matrix3x3 RotateScale(float angle, float scale)
{
    Matrix3x3 m;
    m.PreScale(scale, scale);
    m.PreRotate(angle);
    return m;
}

TEST(GoldenImages, RotatedSmoothQuadOverAChecker)
{
    MemoryImage img = TestPicture();
    TestSurface s(96, 96, PIXEL_FORMAT_8888);
    Checker(s, 0xFFD0D0D0, 0x00000000); // half of it transparent
    RasterizeImageQuad(&img, 48, 48, RotateScale(std::numbers::pi_v<float> / 6, 2.8f), Rect(0, 0, 96, 96),
                       Color::White, Rect(0, 0, 24, 24), s.Buffer(), true);
    CompareWithGolden(s, "rotated_smooth_quad.png");
}

TEST(GoldenImages, VertexColouredTrianglesModulated)
{
    TestSurface s(64, 64, PIXEL_FORMAT_888);
    Checker(s, 0xFF404040, 0xFF808080);
    const TriangleVertex tris[6] = {{2, 2, 0, 0, 0xFFFF0000},  {60, 10, 0, 0, 0xC000FF00}, {10, 60, 0, 0, 0x400000FF},
                                    {30, 30, 0, 0, 0xFFFFFFFF}, {70, 40, 0, 0, 0x20FFFF00}, {40, 70, 0, 0, 0xFF00FFFF}};
    RasterizeTriangleList(nullptr, tris, 2, Rect(0, 0, 64, 64), Color(255, 200, 255, 230),
                          s.Buffer(), 0, 0, false);
    CompareWithGolden(s, "vertex_coloured_triangles.png");
}

TEST(GoldenImages, NearestRotatedQuadInRgb565)
{
    MemoryImage img = TestPicture();
    TestSurface s(80, 80, PIXEL_FORMAT_565);
    Checker(s, 0x07E0, 0x0010);
    RasterizeImageQuad(&img, 40, 40, RotateScale(-0.4f, 2.5f), Rect(4, 4, 72, 72), Color(255, 160, 255, 200),
                       Rect(0, 0, 24, 24), s.Buffer(), false);
    CompareWithGolden(s, "nearest_rotated_quad_565.png");
}

} // namespace
} // namespace Quib
