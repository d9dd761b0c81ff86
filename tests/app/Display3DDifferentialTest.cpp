// The same scene drawn by the software blitters with 3-D off, by the
// software 3-D device and by the GPU device (over each SDL renderer there
// is) with 3-D on, compared pixel by pixel in every display layout. Where
// they differ by design, the case says why and how much it allows.
#include "framework/core/TriangleVertex.h"
#include "framework/graphics/D3DResult.h"
#include "framework/graphics/Graphics.h"
#include "tests/support/Random.h"
#include "platform/sdl/SdlDevice3D.h"
#include "tests/support/Screen3D.h"
#include "tests/support/SdlTestRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <sstream>
#include <string>

namespace Quib {
namespace {

using namespace Testing;

constexpr int kWidth = 96, kHeight = 80;

// Smooth colour ramps (no sharp steps inside the picture, so that sampling
// at slightly different places gives close colours), with an alpha disc for
// the translucent sprite.
std::vector<uint32_t> RampPicture(int w, int h, bool disc)
{
    std::vector<uint32_t> p(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t a = 255;
            if (disc) {
                const double dx = x - (w - 1) / 2.0, dy = y - (h - 1) / 2.0;
                const double r2 = (dx * dx + dy * dy) / (w * w / 4.0);
                a = r2 >= 1 ? 0 : uint32_t(255 * (1 - r2));
            }
            p[size_t(y) * size_t(w) + size_t(x)] = (a << 24) | (uint32_t(x * 255 / std::max(1, w - 1)) << 16) |
                                                   (uint32_t(y * 255 / std::max(1, h - 1)) << 8) |
                                                   uint32_t((x + y) * 255 / std::max(1, w + h - 2));
        }
    return p;
}

struct Quad {
    float x[4], y[4];
};

// The images of a scene, loaded as the application loads pictures
// (textures never 16-bit), and the background drawn first.
struct DiffScene {
    TestScreen screen;
    DDImage background, sprite, opaque;

    DiffScene(const DisplayLayoutCase& layout, bool threeD, D3DInterfaceImpl::DeviceFactory factory = {})
        : screen(layout, kWidth, kHeight, threeD, std::move(factory)), background(&screen.display),
          sprite(&screen.display), opaque(&screen.display)
    {
        Load(background, RampPicture(kWidth, kHeight, false), kWidth, kHeight);
        Load(sprite, RampPicture(24, 24, true), 24, 24);
        Load(opaque, RampPicture(16, 12, false), 16, 12);
        Graphics g(&screen.screen);
        g.DrawImageAt(&background, 0, 0);
    }
    static void Load(DDImage& image, const std::vector<uint32_t>& pixels, int w, int h)
    {
        image.textureFlags |= 8;
        image.AssignPixels(pixels.data(), w, h, true);
    }
};

using Draw = std::function<void(DiffScene&, Graphics&, std::vector<Quad>& hardEdges)>;

struct SceneCase {
    const char* name;
    // Largest channel difference allowed on 32-bit and on 16-bit screens.
    int tolerance32;
    int tolerance16;
    // A pixel may instead match one of its eight neighbours in the other
    // picture: edges placed by other rules may move by a pixel.
    bool neighbours;
    bool textured; // draws textured triangles
    Draw draw;
};

int ChannelDifference(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int s = 0; s < 24; s += 8)
        d = std::max(d, std::abs(int((a >> s) & 255) - int((b >> s) & 255)));
    return d;
}

float SegmentDistance(float px, float py, float ax, float ay, float bx, float by)
{
    const float dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
    const float t = len2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0f, 1.0f) : 0.0f;
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

bool NearHardEdge(int x, int y, const std::vector<Quad>& quads)
{
    for (const Quad& q : quads)
        for (int i = 0; i < 4; ++i)
            if (SegmentDistance(float(x) + 0.5f, float(y) + 0.5f, q.x[i], q.y[i], q.x[(i + 1) % 4],
                                q.y[(i + 1) % 4]) < 2.0f)
                return true;
    return false;
}

// Compares two pictures of the case, with `extra` levels more than the
// case allows.
void ExpectSamePictures(const SceneCase& c, const DisplayLayoutCase& layout, const std::vector<uint32_t>& a,
                        const std::vector<uint32_t>& b, const std::vector<Quad>& hardEdges, int extra,
                        const char* what, bool neighbours = false, int outliers = 0)
{
    const int tolerance = (layout.bitCount == 32 ? c.tolerance32 : c.tolerance16) + extra;
    int failures = 0, compared = 0;
    std::ostringstream first;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (NearHardEdge(x, y, hardEdges))
                continue;
            ++compared;
            const size_t i = size_t(y) * kWidth + size_t(x);
            // The closest pixel of `in` to from[i]: at the same place, or
            // next to it when neighbours count.
            const auto closest = [&](const std::vector<uint32_t>& from, const std::vector<uint32_t>& in) {
                int d = ChannelDifference(from[i], in[i]);
                for (int dy = -1; (c.neighbours || neighbours) && dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int xx = x + dx, yy = y + dy;
                        if (xx >= 0 && yy >= 0 && xx < kWidth && yy < kHeight)
                            d = std::min(d, ChannelDifference(from[i], in[size_t(yy) * kWidth + size_t(xx)]));
                    }
                return d;
            };
            const int best = std::max(closest(a, b), closest(b, a));
            if (best > tolerance && failures++ < 5)
                first << " (" << x << ", " << y << ") " << std::hex << (a[i] & 0xFFFFFF) << " against "
                      << (b[i] & 0xFFFFFF) << std::dec << ";";
        }
    }
    EXPECT_GT(compared, kWidth * kHeight / 2);
    EXPECT_LE(failures, outliers) << c.name << " on " << layout.name << ", " << what << ", tolerance " << tolerance
                                  << ":" << first.str();
}

void ExpectSameScene(const SceneCase& c, const DisplayLayoutCase& layout)
{
    ClearD3DErrorText();
    DiffScene software(layout, false), device(layout, true);
    std::vector<Quad> hardEdges, unused;
    {
        Graphics g(&software.screen.screen);
        c.draw(software, g, unused);
    }
    {
        Graphics g(&device.screen.screen);
        c.draw(device, g, hardEdges);
    }
    EXPECT_EQ(D3DErrorText(), "");
    ExpectSamePictures(c, layout, software.screen.Picture(), device.screen.Picture(), hardEdges, 0,
                       "blitters against the software device");
}

// The corners of a source rectangle of w x h drawn rotated by `angle` about
// (cx, cy) at (x, y), as the render target places it.
Quad RotatedQuad(float x, float y, float w, float h, float cx, float cy, double angle)
{
    const float c = std::cos(float(angle)), s = std::sin(float(angle));
    Quad q;
    const float px[4] = {0, w, w, 0}, py[4] = {0, 0, h, h};
    for (int i = 0; i < 4; ++i) {
        const float u = px[i] - cx, v = py[i] - cy;
        q.x[i] = x + cx + c * u + s * v;
        q.y[i] = y + cy - s * u + c * v;
    }
    return q;
}

Quad BoxQuad(float x, float y, float w, float h)
{
    return Quad{{x, x + w, x + w, x}, {y, y, y + h, y + h}};
}

const SceneCase kCases[] = {
    // Blending rounds exactly on the device and with (a + 1) / 256 in the
    // blitters; on 16-bit screens the blitters weigh the destination with
    // 5-bit alphas, up to three steps of a 5-bit channel.
    {"translucent image at whole positions", 2, 24, false, false,
     [](DiffScene& s, Graphics& g, auto&) {
         g.DrawImageAt(&s.sprite, 10, 10);
         g.DrawImageAt(&s.sprite, 60, 40);
     }},
    {"opaque image at whole positions", 0, 0, false, false,
     [](DiffScene& s, Graphics& g, auto&) { g.DrawImageAt(&s.opaque, 33, 21); }},
    {"image parts", 2, 24, false, false,
     [](DiffScene& s, Graphics& g, auto&) {
         g.DrawImagePart(&s.sprite, 5, 7, Rect(4, 4, 12, 9));
         g.DrawImagePart(&s.opaque, 50, 30, Rect(3, 2, 10, 8));
     }},
    {"mirrored images", 2, 24, false, false,
     [](DiffScene& s, Graphics& g, auto&) {
         g.DrawImageMirrored(&s.sprite, 10, 10);
         g.DrawImageMirrored(&s.opaque, 50, 40);
     }},
    {"additive image", 1, 8, false, false,
     [](DiffScene& s, Graphics& g, auto&) {
         g.drawMode = DRAWMODE_ADDITIVE;
         g.DrawImageAt(&s.sprite, 20, 15);
         g.DrawImageAt(&s.opaque, 60, 50);
     }},
    {"coloured images", 2, 24, false, false,
     [](DiffScene& s, Graphics& g, auto&) {
         g.colorizeImages = true;
         g.color = Color(255, 128, 64, 160);
         g.DrawImageAt(&s.sprite, 10, 10);
         g.color = Color(90, 200, 255, 255);
         g.DrawImageAt(&s.opaque, 50, 40);
     }},
    {"clipped image", 2, 24, false, false,
     [](DiffScene& s, Graphics& g, auto&) {
         g.ReplaceClip(15, 15, 10, 10);
         g.DrawImageAt(&s.sprite, 10, 10);
     }},
    // Sub-pixel draws filter bilinearly on the device and with the rotated
    // resampler in software, whose weights differ a little; colours of a
    // smooth ramp land within 14. The device draws an opaque image's outer
    // pixels whole (a hard edge, the edge texels repeated) where software
    // blends them by coverage, so those edges are left out.
    {"images at sub-pixel positions", 14, 24, true, false,
     [](DiffScene& s, Graphics& g, std::vector<Quad>& edges) {
         std::mt19937 rng(7);
         for (int i = 0; i < 3; ++i) {
             const float x = float(RandomDouble(rng, 2, 60)), y = float(RandomDouble(rng, 2, 50));
             g.DrawImageSubpixel(&s.sprite, x, y);
         }
         const float x = float(RandomDouble(rng, 40, 70)), y = float(RandomDouble(rng, 40, 60));
         g.DrawImageSubpixel(&s.opaque, x, y);
         edges.push_back(BoxQuad(x, y, 16, 12));
     }},
    // Enlarged by 3 x 2.5: the device samples at pixel centres, the
    // software filter maps the first and last pixels onto the first and
    // last texels; on a smooth ramp that stays within 8.
    {"stretched opaque image, filtered", 8, 16, true, false,
     [](DiffScene& s, Graphics& g, auto&) { g.DrawImageStretched(&s.opaque, Rect(5, 5, 48, 30)); }},
    // The device takes the texel under each pixel's centre, the blitters
    // the one under its corner: rows and columns may switch a pixel apart.
    {"stretched images, nearest pixel", 2, 16, true, false,
     [](DiffScene& s, Graphics& g, auto&) {
         g.fastStretch = true;
         g.DrawImageStretched(&s.opaque, Rect(5, 5, 48, 30));
         g.DrawImageStretched(&s.sprite, Rect(40, 30, 48, 48));
     }},
    // The software resampler reads the source at the destination pixels'
    // corners, the device at their centres, so the software picture turns
    // about a point half a pixel off: the two drift apart by up to a pixel
    // as the angle nears a half turn. Within a radian they stay within 16
    // of each other on the ramp, a pixel's move allowed. (The device's own
    // geometry is checked exactly by the half-turn test.)
    {"rotated images", 16, 24, true, false,
     [](DiffScene& s, Graphics& g, std::vector<Quad>& edges) {
         std::mt19937 rng(11);
         for (int i = 0; i < 3; ++i) {
             const double angle = RandomDouble(rng, -1.0, 1.0);
             const float x = float(RandomInt(rng, 5, 55)), y = float(RandomInt(rng, 5, 40));
             g.DrawImageRotatedAbout(&s.sprite, x, y, 12, 12, nullptr, angle);
         }
         const double angle = RandomDouble(rng, 0.2, 1.3);
         g.DrawImageRotatedAbout(&s.opaque, 40, 30, 8, 6, nullptr, angle);
         edges.push_back(RotatedQuad(40, 30, 16, 12, 8, 6, angle));
     }},
    {"clipped rotated image", 16, 24, true, false,
     [](DiffScene& s, Graphics& g, auto&) {
         g.ReplaceClip(15, 15, 20, 20);
         g.DrawImageRotatedAbout(&s.sprite, 18, 18, 12, 12, nullptr, 0.5);
     }},
    // Overlapping fills: on 16-bit screens each blend may round a 5-bit
    // step apart.
    {"filled rectangles", 1, 16, false, false,
     [](DiffScene&, Graphics& g, auto&) {
         g.color = Color(255, 0, 0, 128);
         g.FillRectangle(10, 12, 30, 20);
         g.drawMode = DRAWMODE_ADDITIVE;
         g.color = Color(40, 80, 120, 200);
         g.FillRectangle(30, 25, 40, 30);
     }},
    // The device fills a polygon's pixels by their centres, the software
    // fill by its own edge rule: edges may lie a pixel apart. (16-bit: the
    // blitters' 5-bit weights, as above.)
    {"polygons", 4, 24, true, false,
     [](DiffScene&, Graphics& g, auto&) {
         g.color = Color(0, 0, 255, 200);
         const Point p[4] = {{10, 10}, {60, 20}, {50, 70}, {5, 40}};
         g.FillPolygon(p, 4);
         g.ReplaceClip(60, 45, 30, 30);
         g.color = Color(255, 255, 0, 120);
         const Point q[3] = {{55, 35}, {95, 55}, {70, 79}};
         g.FillPolygon(q, 3);
     }},
    {"lines", 1, 8, false, false,
     [](DiffScene&, Graphics& g, auto&) {
         g.color = Color(255, 255, 0, 255);
         g.DrawLineSegment(5, 5, 70, 40);
         g.DrawLineSegment(5, 60, 90, 60);
         g.DrawLineSegment(80, 5, 80, 70);
         g.color = Color(0, 255, 255, 128);
         g.DrawLineSegment(5, 50, 70, 10);
     }},
    // The blitters have no layout word for 32-bit screens of another
    // channel order and draw no triangles there; those screens skip this.
    // Texture coordinates stay inside the texels: at exactly 1 the device
    // repeats the edge texel while the software rasterizer reads past it.
    {"textured triangles", 0, 0, false, true,
     [](DiffScene& s, Graphics& g, auto&) {
         const float lo = 0.02f, hi = 0.98f;
         const TriangleVertex t[6] = {{10, 10, lo, lo, 0}, {60, 15, hi, lo, 0}, {20, 60, lo, hi, 0},
                                      {60, 15, hi, lo, 0}, {70, 70, hi, hi, 0}, {20, 60, lo, hi, 0}};
         g.DrawTexturedTriangles(&s.opaque, t, 2);
     }},
};

class DisplayDifferential : public ::testing::TestWithParam<DisplayLayoutCase> {};

TEST_P(DisplayDifferential, SoftwareBlittersAndDeviceDrawTheSameScene)
{
    for (const SceneCase& c : kCases) {
        SCOPED_TRACE(c.name);
        if (c.textured && GetParam().bitCount == 32 && GetParam().redMask != 0x00FF0000)
            continue;
        ExpectSameScene(c, GetParam());
    }
}

INSTANTIATE_TEST_SUITE_P(Displays, DisplayDifferential, ::testing::ValuesIn(kDisplayLayouts), DisplayLayoutName);

// The GPU device on a GL renderer (Mesa's llvmpipe where there is no GPU)
// draws what the software device draws within 3 levels (8 on 16-bit
// screens, where each upload and read-back rounds to the screen's bits); a
// pixel may match a neighbour, since where a texel boundary falls on a
// pixel centre the GPU's own sub-texel precision picks either texel, and
// the GPU snaps corners to 1/256 pixel, which may move a texel on a steep
// alpha edge: two pixels of a scene may differ more.
// Against the blitters it is held to the case's rules with those levels
// more. SDL's software renderer takes texture coordinates in whole texels
// and drops a texture's last texel (the device tests say more), so with it
// the scenes are drawn, must leave no error, and keep each channel's
// average within 10 levels of the software device's.
class GpuDisplayDifferential : public ::testing::TestWithParam<const char*> {};

TEST_P(GpuDisplayDifferential, TheGpuDeviceDrawsTheSameScenes)
{
    SdlTestRenderer sdl(GetParam());
    if (!sdl) {
        if (std::string(GetParam()) != "software")
            GTEST_SKIP() << GetParam() << ": " << sdl.error;
        FAIL() << sdl.error;
    }
    const bool coarse = std::string(GetParam()) == "software";
    for (const DisplayLayoutCase& layout : {kDisplayLayouts[0], kDisplayLayouts[2]}) {
        for (const SceneCase& c : kCases) {
            SCOPED_TRACE(c.name);
            ClearD3DErrorText();
            DiffScene blitters(layout, false), software(layout, true),
                gpu(layout, true, [&] { return SdlDevice3D::Create(sdl.renderer, kWidth, kHeight); });
            ASSERT_NE(dynamic_cast<SdlDevice3D*>(gpu.screen.d3d.Device()), nullptr);
            std::vector<Quad> hardEdges, unused;
            for (DiffScene* scene : {&blitters, &software, &gpu}) {
                Graphics g(&scene->screen.screen);
                c.draw(*scene, g, scene == &gpu ? hardEdges : unused);
            }
            EXPECT_EQ(D3DErrorText(), "");
            const std::vector<uint32_t> a = blitters.screen.Picture(), b = software.screen.Picture(),
                                        d = gpu.screen.Picture();
            const int extra = layout.bitCount == 32 ? 3 : 8;
            if (!coarse) {
                ExpectSamePictures(c, layout, b, d, hardEdges,
                                   extra - (layout.bitCount == 32 ? c.tolerance32 : c.tolerance16),
                                   "software device against the GPU device", true, 2);
                ExpectSamePictures(c, layout, a, d, hardEdges, extra, "blitters against the GPU device", true, 2);
                continue;
            }
            for (int shift = 0; shift < 24; shift += 8) {
                double sb = 0, sd = 0;
                for (size_t i = 0; i < b.size(); ++i) {
                    sb += (b[i] >> shift) & 255;
                    sd += (d[i] >> shift) & 255;
                }
                EXPECT_NEAR(sb / double(b.size()), sd / double(d.size()), 10.0)
                    << c.name << " on " << layout.name << ", channel at bit " << shift;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Renderers, GpuDisplayDifferential, ::testing::Values("software", "opengl", "opengles2"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
} // namespace Quib
