// Graphics and fonts drawing into display images: the render-target rule of
// transformed draws, system text on surfaces, bitmap glyphs through the 3-D
// device.
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/BMFont.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "platform/FileNames.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/RecordingD3D.h"
#include "tests/support/RecordingImage.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace Quib {
namespace {

using namespace Testing;

struct DisplayFixture {
    QuibAppBase app;
    DDInterface& display = MakeTestDisplay(app, kDisplayLayouts[0]);
    RecordingD3D d3d;
    ~DisplayFixture()
    {
        display.d3d = nullptr;
        display.drawSurface = nullptr;
    }
    bool Logged(const std::string& prefix) const
    {
        return std::any_of(d3d.calls.begin(), d3d.calls.end(),
                           [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    }
};

TEST(GraphicsDisplay, SubpixelTransformGoesThroughTheMatrixOnlyOnTheRenderTarget)
{
    DisplayFixture f;
    f.display.d3d = &f.d3d;
    DDImage screen(&f.display);
    screen.Resize(64, 64);
    ASSERT_TRUE(screen.CreateSurface());
    DDImage sprite(&f.display);
    sprite.Resize(8, 8);
    Graphics g(&screen);
    DrawTransform t;

    g.DrawImageWithTransformSmooth(&sprite, t, 20, 20);
    EXPECT_TRUE(f.d3d.calls.empty()); // not the render target: drawn in software

    ASSERT_TRUE(screen.CreateSurface()); // the software draw gave it up
    f.display.is3D = true;
    f.display.drawSurface = screen.surface;
    ASSERT_TRUE(screen.IsRenderTarget());
    g.DrawImageWithTransformSmooth(&sprite, t, 20, 20);
    EXPECT_TRUE(f.Logged("TextureBltTransformed") || f.Logged("BltTransformed"));

    // The 3-D target flag alone does not make a destination the render target.
    RecordingImage plain(64, 64);
    Graphics p(&plain);
    p.is3DTarget = true;
    p.DrawImageWithTransformSmooth(&sprite, t, 20, 20);
    ASSERT_EQ(plain.calls.size(), 1u);
    EXPECT_EQ(plain.calls[0].slot, "PutImageSubpixel");
}

uint32_t Brightest(const DisplaySurface& s)
{
    uint32_t best = 0;
    for (uint32_t y = 0; y < s.Height(); ++y)
        for (uint32_t x = 0; x < s.Width(); ++x)
            best = std::max(best, s.PixelAt(x, y) & 0xFF);
    return best;
}

TEST(GraphicsDisplay, SystemTextOnASurfaceHonoursAlphaAndLocks)
{
    DisplayFixture f;
    SysFont font("Arial", 12, false, false, false);
    auto draw = [&](const Color& c, bool locked, int failures) {
        DDImage image(&f.display);
        image.Resize(100, 40);
        EXPECT_TRUE(image.CreateSurface());
        if (locked) {
            EXPECT_TRUE(image.AcquireSurfaceLock());
        }
        Graphics g(&image);
        g.font = &font;
        g.color = c;
        GetSurfaceFaults().failText = failures;
        g.DrawText(u"Hello", 5, 30);
        GetSurfaceFaults().failText = 0;
        EXPECT_EQ(image.surface->IsLocked(), locked);
        if (locked)
            image.ReleaseSurfaceLock();
        return Brightest(*image.surface);
    };
    const uint32_t opaque = draw(Color(0, 0, 255, 255), false, 0);
    const uint32_t faded = draw(Color(0, 0, 255, 128), false, 0);
    const uint32_t lockedLevel = draw(Color(0, 0, 255, 255), true, 0);
    const uint32_t failedLevel = draw(Color(0, 0, 255, 255), false, 1);
    EXPECT_GE(opaque, 250u);
    EXPECT_GE(faded, 120u);
    EXPECT_LE(faded, 135u);
    EXPECT_GE(lockedLevel, 250u);
    EXPECT_EQ(failedLevel, 0u);
}

TEST(GraphicsDisplay, SystemTextOnASurfaceIsAlignedAndClipped)
{
    DisplayFixture f;
    SysFont font("Arial", 12, false, false, false);
    DDImage image(&f.display);
    image.Resize(200, 60);
    ASSERT_TRUE(image.CreateSurface());
    Graphics g(&image);
    g.transX = 10;
    const int w = font.WidthOfText(u"Hello", 1, 1, 0);
    // Right-aligned at x 150 (160 translated), top at y 5, clipped at x 150.
    font.RenderText(g, 150, 5, u"Hello", Color(255, 255, 255), Rect(0, 0, 150, 60), 1, 1, 0, FONT_ALIGN_RIGHT, 0);
    int left = 1000, right = -1, top = 1000;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            if (image.surface->PixelAt(uint32_t(x), uint32_t(y)) & 0xFF) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
            }
    ASSERT_GE(right, 0);
    EXPECT_GE(left, 160 - w);
    EXPECT_LT(right, 150);
    EXPECT_GE(top, 5);

    // Zero, negative or undefined scales draw nothing.
    DDImage blank(&f.display);
    blank.Resize(50, 30);
    ASSERT_TRUE(blank.CreateSurface());
    Graphics b(&blank);
    for (float scale : {0.0f, -1.0f, std::nanf("")})
        font.RenderText(b, 5, 5, u"Hello", Color(255, 255, 255), b.clipRect, scale, 1, 0, 0, 0);
    EXPECT_EQ(Brightest(*blank.surface), 0u);
}

struct BitmapFont {
    TempDir dir;
    ScopedPak pak;
    std::unique_ptr<BMFont> font;
    BitmapFont()
    {
        PngSpec spec;
        spec.width = 16;
        spec.height = 16;
        spec.colorType = 6;
        spec.rows.assign(16 * 16 * 4, 255);
        dir.WriteFile("f_0.png", EncodePng(spec));
        dir.WriteFile("f.fnt", "info face=\"F\" size=16\r\n"
                               "common lineHeight=18 base=12 scaleW=16 scaleH=16 pages=1\r\n"
                               "page id=0 file=\"f_0.png\"\r\n"
                               "char id=65 x=0 y=0 width=8 height=10 xoffset=1 yoffset=2 xadvance=9 page=0\r\n");
        ClearDirectoryCache();
        font = std::make_unique<BMFont>(dir.Path() + "/f.fnt");
    }
};

// The screen in 3-D mode, recording the image slots it is asked for.
struct RecordingRenderTarget : DDImage {
    RecordingRenderTarget(DDInterface& display, int w, int h) : DDImage(&display)
    {
        Resize(w, h);
        CreateSurface();
        display.is3D = true;
        display.drawSurface = surface;
    }
    void PutImageStretched(Image*, const Rect&, const Rect&, const Rect&, const Color&, DrawMode, bool) override
    {
        calls.push_back({"PutImageStretched"});
    }
    struct Call {
        std::string slot;
    };
    std::vector<Call> calls;
};

TEST(GraphicsDisplay, ResizedGlyphsGoThroughTheDevice)
{
    DisplayFixture f;
    BitmapFont b;
    ASSERT_TRUE(b.font->IsLoaded());
    f.display.d3d = &f.d3d;

    // Into an image that is not the render target: the image's own slot.
    RecordingImage plain(200, 200);
    Graphics p(&plain);
    b.font->RenderText(p, 10, 20, u"A", Color(1, 2, 3), Rect(0, 0, 150, 150), 2, 1, 0, 0, 0);
    ASSERT_EQ(plain.calls.size(), 1u);
    EXPECT_EQ(plain.calls[0].slot, "PutImageStretched");
    EXPECT_TRUE(f.d3d.calls.empty());

    RecordingRenderTarget dest(f.display, 200, 200);
    Graphics g(&dest);
    g.transX = 5;
    g.transY = 7;
    g.scaleX = g.scaleY = 2;
    g.scaleOrigX = g.scaleOrigY = 100;
    const Rect clip(0, 0, 150, 150);

    // At its own size: the image slot, even with the Graphics scaled.
    b.font->RenderText(g, 10, 20, u"A", Color(1, 2, 3), clip, 1, 1, 0, 0, 0);
    EXPECT_EQ(dest.calls.size(), 1u);
    EXPECT_TRUE(f.d3d.calls.empty());

    // At another size: one transformed draw, linear, not centred.
    b.font->RenderText(g, 10, 20, u"A", Color(1, 2, 3), clip, 2, 1, 0, 0, 0);
    EXPECT_EQ(dest.calls.size(), 1u);
    ASSERT_EQ(f.d3d.calls.size(), 1u);
    EXPECT_EQ(f.d3d.calls[0], "BltTransformed rgba(1,2,3,255) (0,0,8,10) 0 true 0 0 false");
    EXPECT_EQ(f.d3d.clips[0], clip);
    // The quad (10 + 2, 20 + 2, 16 x 10) scaled by 2 about (95, 93) in
    // untranslated terms, then translated: corners land where the software
    // path would put them.
    const Matrix3x3& m = f.d3d.matrices[0];
    auto map = [&](float u, float v) {
        return std::make_pair(m.m[0][0] * u + m.m[0][1] * v + m.m[0][2], m.m[1][0] * u + m.m[1][1] * v + m.m[1][2]);
    };
    auto [x0, y0] = map(0, 0);
    auto [x1, y1] = map(8, 10);
    EXPECT_FLOAT_EQ(x0, (12 - 95) * 2 + 95 + 5);
    EXPECT_FLOAT_EQ(y0, (22 - 93) * 2 + 93 + 7);
    EXPECT_FLOAT_EQ(x1 - x0, 32);
    EXPECT_FLOAT_EQ(y1 - y0, 20);
}

} // namespace
} // namespace Quib
