// The 3-D device's pixel stage against a slow reference written apart from
// it (floating point, one pixel at a time), and its rules as tables: blend
// arithmetic, clamped sampling, line pixels, shared edges and clipping.
#include "framework/raster/DeviceRaster.h"
#include "tests/support/Differential.h"
#include "tests/support/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

// The destination layouts the device draws into.
struct DestLayout {
    const char* name;
    int bitCount;
    uint32_t red, green, blue;
};

constexpr DestLayout kDestLayouts[] = {
    {"X8R8G8B8", 32, 0x00FF0000, 0x0000FF00, 0x000000FF},
    {"X8B8G8R8", 32, 0x000000FF, 0x0000FF00, 0x00FF0000},
    {"R5G6B5", 16, 0xF800, 0x07E0, 0x001F},
    {"X1R5G5B5", 16, 0x7C00, 0x03E0, 0x001F},
};

// A destination of width x height pixels with a padded pitch.
struct DestBuffer {
    int width, height, pitch, bytes;
    PixelFormat format;
    std::vector<uint8_t> data;

    DestBuffer(const DestLayout& l, int w, int h)
        : width(w), height(h), pitch(w * (l.bitCount / 8) + 12), bytes(l.bitCount / 8),
          format(PixelFormat::FromMasks(l.bitCount, l.red, l.green, l.blue)), data(size_t(pitch) * size_t(h))
    {
    }
    PixelBuffer Buffer() { return {data.data(), pitch, width, height, format}; }
    uint32_t Raw(int x, int y) const
    {
        uint32_t v = 0;
        std::memcpy(&v, data.data() + size_t(y) * size_t(pitch) + size_t(x) * size_t(bytes), size_t(bytes));
        return v;
    }
    void SetRaw(int x, int y, uint32_t v)
    {
        std::memcpy(data.data() + size_t(y) * size_t(pitch) + size_t(x) * size_t(bytes), &v, size_t(bytes));
    }
    // A pixel as 8-bit red, green, blue (16-bit channels put in the top bits).
    void Get(int x, int y, int rgb[3]) const
    {
        const uint32_t v = Raw(x, y);
        const PixelChannel* ch[3] = {&format.red, &format.green, &format.blue};
        for (int i = 0; i < 3; ++i)
            rgb[i] = int(((v & ch[i]->mask) >> ch[i]->shift) << (8 - ch[i]->bits));
    }
    // The same, 16-bit channels widened by repeating their bits, as the
    // device reads a destination to blend with it.
    void GetWidened(int x, int y, int rgb[3]) const
    {
        const uint32_t v = Raw(x, y);
        const PixelChannel* ch[3] = {&format.red, &format.green, &format.blue};
        for (int i = 0; i < 3; ++i) {
            const int bits = ch[i]->bits, c = int((v & ch[i]->mask) >> ch[i]->shift);
            rgb[i] = bits == 8 ? c : (c << (8 - bits)) | (c >> (2 * bits - 8));
        }
    }
    void Set(int x, int y, const int rgb[3])
    {
        const PixelChannel* ch[3] = {&format.red, &format.green, &format.blue};
        uint32_t v = 0;
        for (int i = 0; i < 3; ++i)
            v |= (uint32_t(rgb[i]) >> (8 - ch[i]->bits)) << ch[i]->shift;
        SetRaw(x, y, v);
    }
};

// ---- The reference: one pixel at a time in doubles.

struct RefTexture {
    const std::vector<uint32_t>* pixels;
    int w, h;
    double Channel(int x, int y, int shift) const
    {
        x = std::clamp(x, 0, w - 1);
        y = std::clamp(y, 0, h - 1);
        return double(((*pixels)[size_t(y) * size_t(w) + size_t(x)] >> shift) & 255);
    }
};

// Texel channels a, r, g, b at texture coordinates (u, v) in 0..1.
void RefSample(const RefTexture& t, double u, double v, bool linear, double out[4])
{
    const int shifts[4] = {24, 16, 8, 0};
    if (!linear) {
        const int x = int(std::floor(u * t.w)), y = int(std::floor(v * t.h));
        for (int i = 0; i < 4; ++i)
            out[i] = t.Channel(x, y, shifts[i]);
        return;
    }
    const double uu = u * t.w - 0.5, vv = v * t.h - 0.5;
    const int x0 = int(std::floor(uu)), y0 = int(std::floor(vv));
    const double fx = uu - x0, fy = vv - y0;
    for (int i = 0; i < 4; ++i)
        out[i] = (1 - fx) * (1 - fy) * t.Channel(x0, y0, shifts[i]) +
                 fx * (1 - fy) * t.Channel(x0 + 1, y0, shifts[i]) +
                 (1 - fx) * fy * t.Channel(x0, y0 + 1, shifts[i]) + fx * fy * t.Channel(x0 + 1, y0 + 1, shifts[i]);
}

double RefFactor(DeviceFactor f, double alpha)
{
    return f == DeviceFactor::One ? 255.0 : f == DeviceFactor::SourceAlpha ? alpha : 255.0 - alpha;
}

// Colours and blends the texel (a, r, g, b) with the diffuse channels over
// the destination channels; 0..255 each.
void RefShade(const double texel[4], const double diffuse[4], const DevicePixelState& s, const int dest[3],
              double out[3])
{
    const double sa = s.alphaModulate ? texel[0] * diffuse[0] / 255 : texel[0];
    const double sf = RefFactor(s.source, sa), df = RefFactor(s.destination, sa);
    for (int i = 0; i < 3; ++i) {
        const double src = s.colorFromTexture ? texel[i + 1] * diffuse[i + 1] / 255 : diffuse[i + 1];
        out[i] = std::min(255.0, src * sf / 255 + dest[i] * df / 255);
    }
}

TriangleVertex Vtx(float x, float y, float u, float v, uint32_t color)
{
    TriangleVertex c;
    c.x = x;
    c.y = y;
    c.u = u;
    c.v = v;
    c.color = color;
    return c;
}

double RefCross(double ax, double ay, double bx, double by)
{
    return ax * by - ay * bx;
}

// ---- The random cases.

class DeviceRasterReference : public ::testing::TestWithParam<DestLayout> {};

TEST_P(DeviceRasterReference, RandomTrianglesMatchTheReference)
{
    RunCases(std::string("device triangles into ") + GetParam().name, 300, [&](uint32_t seed) {
        std::mt19937 rng(seed);
        const int w = 40, h = 32;
        DestBuffer target(GetParam(), w, h);
        // A background of random colours, kept to compare against.
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int rgb[3] = {RandomInt(rng, 0, 255), RandomInt(rng, 0, 255), RandomInt(rng, 0, 255)};
                target.Set(x, y, rgb);
            }
        const DestBuffer before = target;

        const bool textured = RandomInt(rng, 0, 3) != 0;
        const int tw = RandomInt(rng, 1, 9);
        const int th = RandomInt(rng, 1, 9);
        std::vector<uint32_t> texels(size_t(tw) * size_t(th));
        for (uint32_t& t : texels)
            t = RandomPixel(rng);
        const DeviceTexels tex{texels.data(), tw, th};
        const RefTexture ref{&texels, tw, th};

        DevicePixelState state;
        const DeviceFactor factors[3] = {DeviceFactor::One, DeviceFactor::SourceAlpha,
                                         DeviceFactor::InverseSourceAlpha};
        state.source = factors[RandomInt(rng, 0, 2)];
        state.destination = factors[RandomInt(rng, 0, 2)];
        state.colorFromTexture = RandomInt(rng, 0, 1) != 0;
        state.alphaModulate = RandomInt(rng, 0, 1) != 0;
        state.linear = RandomInt(rng, 0, 1) != 0;

        const bool oneColour = RandomInt(rng, 0, 1) != 0;
        const uint32_t colour0 = RandomPixel(rng);
        TriangleVertex c[3];
        for (TriangleVertex& k : c)
            k = Vtx(float(RandomDouble(rng, -8, w + 8)), float(RandomDouble(rng, -8, h + 8)),
                    float(RandomDouble(rng, -0.3, 1.3)), float(RandomDouble(rng, -0.3, 1.3)),
                    oneColour ? colour0 : RandomPixel(rng));
        const DeviceClip clip{RandomInt(rng, -5, 10), RandomInt(rng, -5, 10), RandomInt(rng, 25, w + 5),
                              RandomInt(rng, 20, h + 5)};
        RasterizeDeviceTriangle(c[0], c[1], c[2], textured ? &tex : nullptr, state, target.Buffer(), clip);

        const double area = RefCross(c[1].x - c[0].x, c[1].y - c[0].y, c[2].x - c[0].x, c[2].y - c[0].y);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int got[3], old[3];
                target.Get(x, y, got);
                before.Get(x, y, old);
                const bool inClip = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
                // Barycentric weights of the pixel centre, and its distance
                // to the nearest edge.
                double wts[3] = {0, 0, 0}, nearest = 1e9;
                bool inside = std::fabs(area) > 1e-6;
                for (int e = 0; e < 3 && inside; ++e) {
                    const TriangleVertex& a = c[(e + 1) % 3];
                    const TriangleVertex& b = c[(e + 2) % 3];
                    const double cross = RefCross(b.x - a.x, b.y - a.y, x - a.x, y - a.y);
                    wts[e] = cross / area;
                    nearest = std::min(nearest, std::fabs(cross) / std::hypot(b.x - a.x, b.y - a.y));
                    inside = wts[e] >= 0;
                }
                if (!inClip || !inside) {
                    if (!inClip || nearest > 0.01) {
                        EXPECT_TRUE(got[0] == old[0] && got[1] == old[1] && got[2] == old[2])
                            << "(" << x << ", " << y << ") written outside";
                    }
                    continue;
                }
                if (nearest < 0.01)
                    continue; // on an edge: the fill rule decides
                double diffuse[4], texel[4] = {255, 255, 255, 255}, u = 0, v = 0;
                for (int i = 0; i < 4; ++i) {
                    diffuse[i] = 0;
                    for (int k = 0; k < 3; ++k)
                        diffuse[i] += wts[k] * double((c[k].color >> (24 - 8 * i)) & 255);
                }
                for (int k = 0; k < 3; ++k) {
                    u += wts[k] * c[k].u;
                    v += wts[k] * c[k].v;
                }
                if (textured) {
                    // Nearest sampling right at a texel border may go either way.
                    const double fu = u * tw - std::floor(u * tw), fv = v * th - std::floor(v * th);
                    if (!state.linear && (fu < 0.02 || fu > 0.98 || fv < 0.02 || fv > 0.98))
                        continue;
                    RefSample(ref, u, v, state.linear, texel);
                }
                int widened[3];
                before.GetWidened(x, y, widened);
                double want[3];
                RefShade(texel, diffuse, state, widened, want);
                // Colours and texture coordinates step in 16.16 from the
                // top corner and filtering weighs with 8-bit fractions: a
                // channel may land 5 from the exact value; a 16-bit screen
                // then keeps the channel's top bits, a step of 8 (4 for
                // 6-bit green) either way.
                for (int i = 0; i < 3; ++i) {
                    const int bits = i == 0   ? target.format.red.bits
                                     : i == 1 ? target.format.green.bits
                                              : target.format.blue.bits;
                    const int step = 1 << (8 - bits);
                    const double lo = std::floor((want[i] - 5) / step) * step,
                                 hi = std::floor((want[i] + 5) / step) * step;
                    ASSERT_TRUE(got[i] >= lo && got[i] <= hi)
                        << "(" << x << ", " << y << ") channel " << i << ": " << got[i] << ", exact " << want[i];
                }
            }
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Targets, DeviceRasterReference, ::testing::ValuesIn(kDestLayouts),
                         [](const ::testing::TestParamInfo<DestLayout>& info) {
                             return std::string(info.param.name);
                         });

// Two triangles sharing an edge blend each pixel once: no seam, no pixel
// blended twice.
TEST(DeviceRaster, SharedEdgesCoverEachPixelOnce)
{
    RunCases("quads of two triangles", 200, [](uint32_t seed) {
        std::mt19937 rng(seed);
        DestBuffer target(kDestLayouts[0], 48, 40);
        const uint32_t half = 0x80FFFFFFu;
        // q1-q2 is the shared edge, q0 and q3 on either side of it.
        TriangleVertex q[4];
        const auto side = [&](const TriangleVertex& p) {
            return RefCross(q[2].x - q[1].x, q[2].y - q[1].y, p.x - q[1].x, p.y - q[1].y);
        };
        do {
            for (TriangleVertex& k : q)
                k = Vtx(float(RandomDouble(rng, -5, 53)), float(RandomDouble(rng, -5, 45)), 0, 0, half);
        } while (!(side(q[0]) * side(q[3]) < 0));
        DevicePixelState state;
        RasterizeDeviceTriangle(q[0], q[1], q[2], nullptr, state, target.Buffer(), {0, 0, 48, 40});
        RasterizeDeviceTriangle(q[2], q[1], q[3], nullptr, state, target.Buffer(), {0, 0, 48, 40});
        // Over black, one blend of white at alpha 128 gives 128; two give 192.
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 48; ++x) {
                int rgb[3];
                target.Get(x, y, rgb);
                ASSERT_TRUE(rgb[0] == 0 || rgb[0] == 128) << "(" << x << ", " << y << ") " << rgb[0];
            }
    });
}

// One pixel of the capability patterns and the draw modes: state, texel,
// diffuse colour, destination, expected result.
struct BlendRow {
    const char* name;
    DeviceFactor source, destination;
    bool colorFromTexture, alphaModulate;
    uint32_t texel, diffuse, dest, want;
};

const BlendRow kBlendRows[] = {
    {"alpha over", DeviceFactor::SourceAlpha, DeviceFactor::InverseSourceAlpha, true, true, 0x80FF0000, 0xFFFFFFFF,
     0x0000FF, 0x80007F},
    {"one plus one", DeviceFactor::One, DeviceFactor::One, true, false, 0xFF404040, 0xFFFFFFFF, 0x404040, 0x808080},
    {"alpha added", DeviceFactor::SourceAlpha, DeviceFactor::One, true, false, 0x80808080, 0xFFFFFFFF, 0x404040,
     0x808080},
    {"modulated alpha", DeviceFactor::SourceAlpha, DeviceFactor::InverseSourceAlpha, true, true, 0xFFFF0000,
     0x80FFFFFF, 0x0000FF, 0x80007F},
    {"texel alpha alone", DeviceFactor::SourceAlpha, DeviceFactor::InverseSourceAlpha, true, false, 0xFFFF0000,
     0x80FFFFFF, 0x0000FF, 0xFF0000},
    {"colour modulated", DeviceFactor::SourceAlpha, DeviceFactor::InverseSourceAlpha, true, true, 0xFF808080,
     0xFFFF8000, 0x000000, 0x804000},
    {"colour from the vertex", DeviceFactor::SourceAlpha, DeviceFactor::InverseSourceAlpha, false, true, 0xFFFFFFFF,
     0xFFFF0000, 0x00FF00, 0xFF0000},
    {"shape from the texture, colour from the vertex", DeviceFactor::SourceAlpha, DeviceFactor::InverseSourceAlpha,
     false, true, 0x00FFFFFF, 0xFFFF0000, 0x00FF00, 0x00FF00},
    {"additive cut at 255", DeviceFactor::SourceAlpha, DeviceFactor::One, true, true, 0xFFC0C0C0, 0xFFFFFFFF,
     0xC0C0C0, 0xFFFFFF},
    {"transparent texel leaves the pixel", DeviceFactor::SourceAlpha, DeviceFactor::InverseSourceAlpha, true, true,
     0x00123456, 0xFFFFFFFF, 0xABCDEF, 0xABCDEF},
};

TEST(DeviceRaster, BlendTable)
{
    for (const BlendRow& row : kBlendRows) {
        SCOPED_TRACE(row.name);
        DestBuffer target(kDestLayouts[0], 4, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                target.SetRaw(x, y, row.dest);
        const uint32_t texel = row.texel;
        const DeviceTexels tex{&texel, 1, 1};
        DevicePixelState state{row.source, row.destination, row.colorFromTexture, row.alphaModulate, false};
        const uint32_t c = row.diffuse;
        RasterizeDeviceTriangle(Vtx(-0.5f, -0.5f, 0, 0, c), Vtx(3.5f, -0.5f, 1, 0, c), Vtx(-0.5f, 3.5f, 0, 1, c),
                                &tex, state, target.Buffer(), {0, 0, 4, 4});
        EXPECT_EQ(target.Raw(0, 0) & 0xFFFFFF, row.want);
    }
}

// A row of 8 pixels textured with u from u0 at its left edge to u1 at its
// right edge, from a texture of a red and a blue texel.
std::vector<uint32_t> SampleRow(float u0, float u1, bool linear)
{
    const uint32_t texels[2] = {0xFFFF0000u, 0xFF0000FFu};
    const DeviceTexels tex{texels, 2, 1};
    DestBuffer target(kDestLayouts[0], 8, 1);
    DevicePixelState state;
    state.linear = linear;
    const uint32_t c = 0xFFFFFFFF;
    const TriangleVertex tl = Vtx(-0.5f, -0.5f, u0, 0, c), tr = Vtx(7.5f, -0.5f, u1, 0, c),
                         bl = Vtx(-0.5f, 0.5f, u0, 1, c), br = Vtx(7.5f, 0.5f, u1, 1, c);
    RasterizeDeviceTriangle(tl, tr, bl, &tex, state, target.Buffer(), {0, 0, 8, 1});
    RasterizeDeviceTriangle(tr, br, bl, &tex, state, target.Buffer(), {0, 0, 8, 1});
    std::vector<uint32_t> out;
    for (int x = 0; x < 8; ++x)
        out.push_back(target.Raw(x, 0) & 0xFFFFFF);
    return out;
}

// Point sampling takes the texel under the pixel centre; coordinates
// outside 0..1 take the edge texels; linear sampling weighs the two texels
// by the centre's distance from theirs, and stays at the edge texel beyond
// the outer centres.
TEST(DeviceRaster, SamplingAtPixelCentresClampedToTheEdge)
{
    constexpr uint32_t R = 0xFF0000, B = 0x0000FF;
    EXPECT_EQ(SampleRow(0, 1, false), (std::vector<uint32_t>{R, R, R, R, B, B, B, B}));
    // Pixel x samples u = -1 + (x + 0.5) / 2.
    EXPECT_EQ(SampleRow(-1, 3, false), (std::vector<uint32_t>{R, R, R, B, B, B, B, B}));
    // Pixel x samples texel coordinate (x + 0.5) / 4 - 0.5 from texel 0's centre.
    EXPECT_EQ(SampleRow(0, 1, true), (std::vector<uint32_t>{R, R, 0xDF0020, 0x9F0060, 0x60009F, 0x2000DF, B, B}));
}

struct LineRow {
    const char* name;
    float x0, y0, x1, y1;
    std::vector<std::pair<int, int>> pixels;
};

TEST(DeviceRaster, LinePixels)
{
    const LineRow rows[] = {
        {"horizontal, end pixel left out", 2, 3, 6, 3, {{2, 3}, {3, 3}, {4, 3}, {5, 3}}},
        {"drawn backwards: the start pixel in, the end out", 6, 3, 2, 3, {{3, 3}, {4, 3}, {5, 3}, {6, 3}}},
        {"vertical", 1, 1, 1, 4, {{1, 1}, {1, 2}, {1, 3}}},
        {"half a pixel diagonally: the last pixel of a line", 5, 5, 5.5f, 5.5f, {{5, 5}}},
        {"shallow slope, rows by the nearest centre", 0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},
        {"steep slope", 0, 0, 2, 4, {{0, 0}, {1, 1}, {1, 2}, {2, 3}}},
        {"a point draws nothing", 3, 3, 3, 3, {}},
        {"cut at the clip", -10, 2, 20, 2, {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}, {7, 2}}},
    };
    for (const LineRow& row : rows) {
        SCOPED_TRACE(row.name);
        DestBuffer target(kDestLayouts[0], 8, 8);
        RasterizeDeviceLine(Vtx(row.x0, row.y0, 0, 0, 0xFFFFFFFF), Vtx(row.x1, row.y1, 0, 0, 0xFFFFFFFF), nullptr,
                            DevicePixelState{}, target.Buffer(), {0, 0, 8, 8});
        std::set<std::pair<int, int>> got, want(row.pixels.begin(), row.pixels.end());
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                if (target.Raw(x, y) & 0xFFFFFF)
                    got.insert({x, y});
        EXPECT_EQ(got, want);
    }
}

// Nothing outside the clip and the target is ever written, whatever the
// corners: huge, not finite, or degenerate.
TEST(DeviceRaster, WritesStayInsideTheClip)
{
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const float corners[][6] = {
        {-1e30f, -1e30f, 1e30f, 0, 0, 1e30f},
        {inf, 0, 0, inf, 5, 5},
        {nan, 1, 2, 3, 4, 5},
        {-3, -3, 100, 4, 4, 100},
        {5, 5, 5, 5, 5, 5},
        {0, 0, 1e-7f, 0, 0, 50},
        {-1e9f, 5, 1e9f, 5.5f, -1e9f, 6},
        {2, 2, 2e9f, 3, 2, 2e9f},
    };
    for (const DestLayout& layout : kDestLayouts) {
        for (const auto& k : corners) {
            DestBuffer target(layout, 16, 12);
            std::fill(target.data.begin(), target.data.end(), uint8_t(0xA5));
            const DestBuffer before = target;
            const uint32_t texel = 0xFFFFFFFF;
            const DeviceTexels tex{&texel, 1, 1};
            const DeviceClip clip{4, 3, 12, 9};
            const TriangleVertex a = Vtx(k[0], k[1], 0, 0, 0xFFFFFFFF), b = Vtx(k[2], k[3], 1e30f, 0, 0xFFFFFFFF),
                                 c = Vtx(k[4], k[5], 0, -1e30f, 0xFFFFFFFF);
            RasterizeDeviceTriangle(a, b, c, &tex, DevicePixelState{}, target.Buffer(), clip);
            RasterizeDeviceLine(a, b, &tex, DevicePixelState{}, target.Buffer(), clip);
            RasterizeDeviceLine(b, c, nullptr, DevicePixelState{}, target.Buffer(), clip);
            for (int y = 0; y < target.height; ++y)
                for (int x = 0; x < target.pitch; ++x) {
                    const size_t i = size_t(y) * size_t(target.pitch) + size_t(x);
                    const int px = x / target.bytes;
                    const bool inside = px >= clip.left && px < clip.right && y >= clip.top && y < clip.bottom;
                    if (!inside) {
                        ASSERT_EQ(target.data[i], before.data[i]) << layout.name << " byte " << x << ", row " << y;
                    }
                }
        }
    }
}

TEST(DeviceRaster, DrawsOnlyIntoLayoutsItKnows)
{
    EXPECT_TRUE(DeviceCanDrawInto(PixelFormat::FromMasks(32, 0xFF0000, 0xFF00, 0xFF)));
    EXPECT_TRUE(DeviceCanDrawInto(PixelFormat::FromMasks(32, 0xFF, 0xFF00, 0xFF0000)));
    EXPECT_TRUE(DeviceCanDrawInto(PixelFormat::FromMasks(16, 0xF800, 0x07E0, 0x001F)));
    EXPECT_TRUE(DeviceCanDrawInto(PixelFormat::FromMasks(16, 0x7C00, 0x03E0, 0x001F)));
    EXPECT_FALSE(DeviceCanDrawInto(PixelFormat::FromMasks(16, 0x001F, 0x07E0, 0xF800)));
    EXPECT_FALSE(DeviceCanDrawInto(PixelFormat::FromMasks(24, 0xFF0000, 0xFF00, 0xFF)));
    EXPECT_FALSE(DeviceCanDrawInto(PixelFormat::FromMasks(32, 0xFF0000, 0xFF0000, 0xFF)));
}

} // namespace
} // namespace Quib
