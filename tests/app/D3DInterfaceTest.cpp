// The display's Direct3D drawing over a recording software device: what
// each operation sends to the device, the blend table, the half-pixel
// centre, texture records, failures and their recording.
#include "framework/graphics/D3DResult.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/TextureData.h"
#include "tests/support/RecordingDevice3D.h"
#include "tests/support/Screen3D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

// A 3-D screen whose device records what it is sent.
struct DeviceScreen {
    RecordingDevice3D* device = nullptr;
    TestScreen screen;

    explicit DeviceScreen(const DeviceCaps& caps = SoftwareDevice3D::DefaultCaps(), int w = 64, int h = 48)
        : screen(kDisplayLayouts[0], w, h, true, [this, caps] {
              auto made = std::make_unique<RecordingDevice3D>(caps);
              device = made.get();
              return made;
          })
    {
        ClearD3DErrorText();
        device->calls.clear();
        device->draws.clear();
    }
    ~DeviceScreen() { ClearD3DErrorText(); }

    D3DInterfaceImpl& d3d() { return screen.d3d; }
    uint32_t Pixel(int x, int y) { return screen.screen.surface->PixelAt(uint32_t(x), uint32_t(y)) & 0xFFFFFF; }
    // An image of the display, loaded as the application loads pictures.
    std::unique_ptr<DDImage> Image(const std::vector<uint32_t>& pixels, int w, int h)
    {
        auto image = std::make_unique<DDImage>(&screen.display);
        image->textureFlags |= 8;
        image->AssignPixels(pixels.data(), w, h, true);
        return image;
    }
};

struct LimitRow {
    const char* name;
    uint32_t maxW, maxH, minW, minH, aspect;
    TextureFormat formats;
    TextureLimits want;
    TextureFormat supported;
};

TEST(D3DInterface, DeviceStartTakesItsTextureLimits)
{
    constexpr TextureFormat three = TEXTURE_FORMAT_A8R8G8B8 | TEXTURE_FORMAT_A4R4G4B4 | TEXTURE_FORMAT_R5G6B5;
    const LimitRow rows[] = {
        {"large sides capped at 1024, no proportion limit",
         4096,
         4096,
         1,
         1,
         0,
         three,
         {1024, 1024, 1, 1, 65536},
         three},
        {"no maximum reported: 64 everywhere", 0, 0, 1, 1, 0, three, {64, 64, 64, 64, 1}, three},
        {"a minimum of 0 becomes 1",
         512,
         256,
         8,
         0,
         8,
         TEXTURE_FORMAT_A8R8G8B8,
         {512, 256, 8, 1, 8},
         TEXTURE_FORMAT_A8R8G8B8},
        {"no palettes", 1024, 1024, 1, 1, 1, three | TEXTURE_FORMAT_PALETTE8, {1024, 1024, 1, 1, 1}, three},
    };
    for (const LimitRow& row : rows) {
        SCOPED_TRACE(row.name);
        DeviceCaps caps = SoftwareDevice3D::DefaultCaps();
        caps.maxTextureWidth = row.maxW;
        caps.maxTextureHeight = row.maxH;
        caps.minTextureWidth = row.minW;
        caps.minTextureHeight = row.minH;
        caps.maxTextureAspect = row.aspect;
        caps.textureFormats = row.formats;
        DeviceScreen s(caps);
        const TextureLimits& l = s.d3d().limits;
        EXPECT_EQ(l.maxWidth, row.want.maxWidth);
        EXPECT_EQ(l.maxHeight, row.want.maxHeight);
        EXPECT_EQ(l.minWidth, row.want.minWidth);
        EXPECT_EQ(l.minHeight, row.want.minHeight);
        EXPECT_EQ(l.maxAspect, row.want.maxAspect);
        EXPECT_EQ(s.d3d().supportedFormats, row.supported);
    }
}

TEST(D3DInterface, StartClearsTheRenderTargetToBlack)
{
    DeviceScreen s;
    s.screen.screen.surface->SetPixelAt(3, 3, 0xFFFFFF);
    ASSERT_TRUE(s.d3d().Init(s.screen.screen.surface));
    EXPECT_EQ(s.Pixel(3, 3), 0u);
    EXPECT_EQ(s.device->calls.back(), "Clear");
}

TEST(D3DInterface, OneScenePerFrameWithTheFrameStates)
{
    DeviceScreen s;
    s.d3d().FillRect(Rect(1, 1, 2, 2), Color(255, 0, 0), DRAWMODE_NORMAL);
    s.d3d().FillRect(Rect(1, 1, 2, 2), Color(255, 0, 0), DRAWMODE_ADDITIVE);
    EXPECT_EQ(s.device->calls,
              (std::vector<std::string>{"SetRenderTarget", "BeginScene", "SetBlend SourceAlpha InverseSourceAlpha",
                                        "SetFilter Point", "SetAlphaOp Modulate",
                                        // the first rectangle
                                        "SetBlend SourceAlpha InverseSourceAlpha", "SetColorArg Texture",
                                        "SetTexture null", "Draw Strip 4",
                                        // the second: the scene is open
                                        "SetBlend SourceAlpha One", "SetColorArg Texture", "SetTexture null",
                                        "Draw Strip 4"}));
    EXPECT_TRUE(s.d3d().SceneOpen());
    D3DCheckResult("DrawPrimitive (Rect)", DDERR_SURFACELOST);
    s.d3d().EndDraw();
    EXPECT_FALSE(s.d3d().SceneOpen());
    EXPECT_EQ(s.device->calls.back(), "EndScene");
    EXPECT_EQ(D3DErrorText(), "");
    s.device->calls.clear();
    s.d3d().FillRect(Rect(1, 1, 2, 2), Color(255, 0, 0), DRAWMODE_NORMAL);
    EXPECT_EQ(s.device->calls.front(), "SetRenderTarget");
}

// A render target the device refuses makes every draw of the frame a no-op,
// raises the failure flag, and is recorded, so that the presentation
// leaves 3-D mode instead of showing an empty frame.
TEST(D3DInterface, RefusedRenderTargetIsRecorded)
{
    DeviceScreen s;
    s.device->renderTargetResult = DDERR_SURFACELOST;
    s.d3d().FillRect(Rect(1, 1, 2, 2), Color(255, 0, 0), DRAWMODE_NORMAL);
    EXPECT_FALSE(s.d3d().BeginDraw());
    EXPECT_TRUE(s.device->Calls("Draw").empty());
    EXPECT_TRUE(gD3DRenderTargetFailed);
    EXPECT_EQ(D3DErrorText(), "SetRenderTarget: DDERR_SURFACELOST");
    s.device->renderTargetResult = DD_OK;
    s.d3d().FillRect(Rect(1, 1, 2, 2), Color(255, 0, 0), DRAWMODE_NORMAL);
    EXPECT_FALSE(gD3DRenderTargetFailed);
    EXPECT_EQ(s.device->Calls("Draw").size(), 1u);
}

TEST(D3DInterface, NothingReachesTheDeviceWhileSuspended)
{
    DeviceScreen s;
    bool minimised = true;
    s.d3d().drawingSuspended = [&] { return minimised; };
    auto image = s.Image(std::vector<uint32_t>(4, 0xFFFFFFFF), 2, 2);
    const Point tri[3] = {{0, 0}, {5, 0}, {0, 5}};
    s.d3d().FillRect(Rect(1, 1, 2, 2), Color(255, 0, 0), DRAWMODE_NORMAL);
    s.d3d().FillPoly(tri, 3, nullptr, Color(255, 0, 0), DRAWMODE_NORMAL, 0, 0);
    s.d3d().DrawLine(Color(255, 0, 0), DRAWMODE_NORMAL, 0, 0, 5, 5);
    s.d3d().BltTransformed(Color::White, Rect(0, 0, 2, 2), image.get(), nullptr, DRAWMODE_NORMAL, Matrix3x3(),
                           false, 0, 0, false);
    EXPECT_FALSE(s.d3d().PrepareTexture(image.get(), DRAWMODE_NORMAL, false));
    EXPECT_TRUE(s.device->calls.empty());
    EXPECT_EQ(image->textureData, nullptr);
    minimised = false;
    s.d3d().FillRect(Rect(1, 1, 2, 2), Color(255, 0, 0), DRAWMODE_NORMAL);
    EXPECT_EQ(s.device->Calls("Draw").size(), 1u);
}

struct BlendModeRow {
    DrawMode mode;
    const char* blend;
    const char* colorArg;
    uint32_t texel;
    uint32_t shape, outside; // the drawn pixel where the texel is opaque, and where it is transparent
};

TEST(D3DInterface, BlendTableByDrawMode)
{
    // Over a grey 0x404040, an image whose left column is `texel` and right
    // column transparent, drawn with the colour red.
    const BlendModeRow rows[] = {
        {0, "SetBlend SourceAlpha InverseSourceAlpha", "SetColorArg Texture", 0xFF808080, 0x800000, 0x404040},
        {1, "SetBlend SourceAlpha One", "SetColorArg Texture", 0xFF808080, 0xC04040, 0x404040},
        {2, "SetBlend SourceAlpha InverseSourceAlpha", "SetColorArg Diffuse", 0xFF808080, 0xFF0000, 0x404040},
        {2, "SetBlend SourceAlpha InverseSourceAlpha", "SetColorArg Diffuse", 0xFFFFFFFF, 0xFF0000, 0x404040},
        {3, "SetBlend SourceAlpha One", "SetColorArg Diffuse", 0xFF808080, 0xFF4040, 0x404040},
        {7, "SetBlend SourceAlpha One", "SetColorArg Diffuse", 0xFF808080, 0xFF4040, 0x404040},
    };
    for (const BlendModeRow& row : rows) {
        SCOPED_TRACE(row.mode);
        DeviceScreen s;
        s.d3d().FillRect(Rect(0, 0, 64, 48), Color(0x40, 0x40, 0x40), DRAWMODE_NORMAL);
        auto image = s.Image({row.texel, 0x00000000, row.texel, 0x00000000}, 2, 2);
        s.device->calls.clear();
        Graphics g(&s.screen.screen);
        g.colorizeImages = true;
        g.color = Color(255, 0, 0);
        g.drawMode = row.mode;
        g.DrawImageAt(image.get(), 10, 10);
        EXPECT_EQ(s.device->Calls("SetBlend").back(), row.blend);
        EXPECT_EQ(s.device->Calls("SetColorArg").back(), row.colorArg);
        EXPECT_EQ(s.Pixel(10, 10), row.shape);
        EXPECT_EQ(s.Pixel(11, 11), row.outside);
        EXPECT_EQ(s.Pixel(12, 10), 0x404040u);
    }
}

TEST(D3DInterface, FilterChangesAreCachedAndFailuresRecorded)
{
    DeviceScreen s;
    auto image = s.Image(std::vector<uint32_t>(4, 0xFFFFFFFF), 2, 2);
    ASSERT_TRUE(s.d3d().PrepareTexture(image.get(), DRAWMODE_NORMAL, true));
    ASSERT_TRUE(s.d3d().PrepareTexture(image.get(), DRAWMODE_NORMAL, true));
    EXPECT_EQ(s.device->Calls("SetFilter"), (std::vector<std::string>{"SetFilter Point", "SetFilter Linear"}));
    s.device->filterResult = D3DERR_UNSUPPORTEDTEXTUREFILTER;
    s.d3d().SetLinearFilter(false);
    EXPECT_EQ(D3DErrorText(), "SetTextureStageState Point: D3DERR_UNSUPPORTEDTEXTUREFILTER");
    s.d3d().SetLinearFilter(true);
    EXPECT_EQ(D3DErrorText(), "SetTextureStageState LINEAR: D3DERR_UNSUPPORTEDTEXTUREFILTER");
    // A new frame starts with point filtering.
    s.d3d().EndDraw();
    s.device->filterResult = DD_OK;
    s.device->calls.clear();
    ASSERT_TRUE(s.d3d().BeginDraw());
    EXPECT_FALSE(s.d3d().LinearFilter());
}

std::vector<std::pair<float, float>> Positions(const RecordingDevice3D::Draw& d)
{
    std::vector<std::pair<float, float>> out;
    for (const DeviceVertex& v : d.vertices)
        out.push_back({v.x, v.y});
    return out;
}

TEST(D3DInterface, RectanglesAndLinesAtPixelCentres)
{
    using P = std::vector<std::pair<float, float>>;
    DeviceScreen s;
    s.d3d().FillRect(Rect(3, 4, 5, 2), Color(10, 20, 30, 40), DRAWMODE_NORMAL);
    ASSERT_EQ(s.device->draws.size(), 1u);
    EXPECT_EQ(Positions(s.device->draws[0]), (P{{2.5f, 3.5f}, {2.5f, 5.5f}, {7.5f, 3.5f}, {7.5f, 5.5f}}));
    EXPECT_EQ(s.device->draws[0].vertices[0].diffuse, 0x280A141Eu);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(s.Pixel(x, y) != 0, x >= 3 && x < 8 && y >= 4 && y < 6) << x << ", " << y;

    // 0 x 0: a strip that draws nothing.
    s.d3d().FillRect(Rect(20, 20, 0, 0), Color(255, 255, 255), DRAWMODE_NORMAL);
    EXPECT_EQ(s.device->draws.size(), 2u);
    EXPECT_EQ(s.Pixel(20, 20), 0u);

    // Lines: the end point and half a pixel beyond it, no shift.
    s.d3d().DrawLine(Color(255, 255, 255), DRAWMODE_NORMAL, 30, 10, 40, 10);
    EXPECT_EQ(s.device->draws.back().type, PrimitiveType::LineStrip);
    EXPECT_EQ(Positions(s.device->draws.back()), (P{{30, 10}, {40, 10}, {40.5f, 10.5f}}));
    for (int x = 29; x <= 41; ++x)
        EXPECT_EQ(s.Pixel(x, 10) != 0, x >= 30 && x <= 40) << x;

    // Through the top of the transform stack.
    Matrix3x3 m;
    m.PreScale(2, 2);
    m.PreTranslate(5, 7);
    s.d3d().transformStack.push_back(m);
    s.d3d().FillRect(Rect(1, 1, 2, 2), Color(255, 255, 255), DRAWMODE_NORMAL);
    EXPECT_EQ(Positions(s.device->draws.back()), (P{{6.5f, 8.5f}, {6.5f, 12.5f}, {10.5f, 8.5f}, {10.5f, 12.5f}}));
    s.d3d().DrawLine(Color(255, 255, 255), DRAWMODE_NORMAL, 1, 1, 2, 1);
    EXPECT_EQ(Positions(s.device->draws.back()), (P{{7, 9}, {9, 9}, {9.5f, 9.5f}}));
}

TEST(D3DInterface, PolygonsAndTheirClipRectangle)
{
    DeviceScreen s;
    const Point tri[3] = {{10, 10}, {20, 10}, {10, 20}};
    s.d3d().FillPoly(tri, 2, nullptr, Color(255, 0, 0), DRAWMODE_NORMAL, 0, 0);
    EXPECT_TRUE(s.device->calls.empty());

    s.d3d().FillPoly(tri, 3, nullptr, Color(255, 0, 0), DRAWMODE_NORMAL, 5, 1);
    ASSERT_EQ(s.device->draws.size(), 1u);
    EXPECT_EQ(s.device->draws[0].type, PrimitiveType::TriangleFan);
    EXPECT_EQ(Positions(s.device->draws[0]), (std::vector<std::pair<float, float>>{{15, 11}, {25, 11}, {15, 21}}));

    // A clip that holds it: one triangle, uncut.
    const Rect whole(0, 0, 64, 48);
    s.d3d().FillPoly(tri, 3, &whole, Color(255, 0, 0), DRAWMODE_NORMAL, 0, 0);
    EXPECT_EQ(s.device->draws.back().vertices.size(), 3u);
    // One that misses it: nothing.
    const Rect away(40, 30, 10, 10);
    const size_t before = s.device->draws.size();
    s.d3d().FillPoly(tri, 3, &away, Color(255, 0, 0), DRAWMODE_NORMAL, 0, 0);
    EXPECT_EQ(s.device->draws.size(), before);
    // One that cuts it: every vertex inside.
    const Rect cut(12, 12, 30, 30);
    s.d3d().FillPoly(tri, 3, &cut, Color(0, 255, 0), DRAWMODE_NORMAL, 0, 0);
    for (const DeviceVertex& v : s.device->draws.back().vertices) {
        EXPECT_GE(v.x, 12);
        EXPECT_GE(v.y, 12);
    }
    EXPECT_EQ(s.Pixel(11, 11), 0xFF0000u);
    EXPECT_EQ(s.Pixel(13, 13), 0x00FF00u);
}

TEST(D3DInterface, TexturedTrianglesOfOnePieceGoOutInBatches)
{
    DeviceScreen s;
    auto image = s.Image(std::vector<uint32_t>(6, 0xFFFFFFFF), 3, 2); // a 4 x 2 texture
    std::vector<TriangleVertex> t(3 * 250);
    for (size_t i = 0; i < t.size(); ++i) {
        t[i].x = float(i % 3);
        t[i].y = float(i % 2);
        t[i].u = i % 3 == 1 ? 1.0f : 0.0f;
        t[i].v = i % 3 == 2 ? 1.0f : 0.0f;
        t[i].color = i == 1 ? 0x80112233u : 0u;
    }
    s.d3d().Blt(t.data(), 250, Color(255, 0, 0, 255), DRAWMODE_NORMAL, image.get(), 10, 20, true);
    EXPECT_EQ(s.device->Calls("Draw"),
              (std::vector<std::string>{"Draw List 300", "Draw List 300", "Draw List 150"}));
    const DeviceVertex& first = s.device->draws[0].vertices[0];
    const DeviceVertex& second = s.device->draws[0].vertices[1];
    EXPECT_EQ(first.x, 10);
    EXPECT_EQ(first.y, 20);
    EXPECT_EQ(first.diffuse, 0xFFFF0000u); // no colour of its own: the draw colour
    EXPECT_EQ(second.diffuse, 0x80112233u);
    EXPECT_FLOAT_EQ(second.tu, 0.75f); // u in pieces: 3 of the texture's 4 texels
    EXPECT_EQ(s.device->Calls("SetFilter").back(), "SetFilter Linear");
}

TEST(D3DInterface, TexturedTriangleAcrossTwoPiecesIsTwoFans)
{
    DeviceCaps caps = SoftwareDevice3D::DefaultCaps();
    caps.maxTextureWidth = caps.maxTextureHeight = 4;
    DeviceScreen s(caps);
    std::vector<uint32_t> pixels(8 * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (i % 8) < 4 ? 0xFFFF0000u : 0xFF0000FFu; // red piece, blue piece
    auto image = s.Image(pixels, 8, 4);
    const TriangleVertex tri[3] = {{0, 0, 0.25f, 0, 0}, {16, 0, 0.75f, 0, 0}, {0, 16, 0.25f, 1, 0}};
    s.d3d().Blt(tri, 1, Color::White, DRAWMODE_NORMAL, image.get(), 0, 0, false);
    ASSERT_EQ(s.device->draws.size(), 2u);
    EXPECT_EQ(s.device->draws[0].type, PrimitiveType::TriangleFan);
    EXPECT_EQ(s.device->draws[1].type, PrimitiveType::TriangleFan);
    EXPECT_NE(s.device->draws[0].texture, s.device->draws[1].texture);
    for (const auto& d : s.device->draws)
        for (const DeviceVertex& v : d.vertices) {
            EXPECT_GE(v.tu, 0.0f);
            EXPECT_LE(v.tu, 1.0f);
        }
    // The left half of the drawn triangle is red, the right blue.
    EXPECT_EQ(s.Pixel(2, 2), 0xFF0000u);
    EXPECT_EQ(s.Pixel(10, 2), 0x0000FFu);
}

TEST(D3DInterface, TransformedDrawsStripsInsideTheClipAndFansAcrossIt)
{
    DeviceScreen s;
    auto image = s.Image(std::vector<uint32_t>(16 * 8, 0xFFFFFFFF), 16, 8);
    // A quarter turn whose quad lies inside the clip: strips only.
    Matrix3x3 turn;
    turn.m[0][0] = 0;
    turn.m[0][1] = -1;
    turn.m[1][0] = 1;
    turn.m[1][1] = 0;
    turn.PreTranslate(20, 5);
    const Rect clip(0, 0, 64, 48);
    s.d3d().BltTransformed(Color::White, Rect(0, 0, 16, 8), image.get(), &clip, DRAWMODE_NORMAL, turn, false, 0, 0,
                           false);
    EXPECT_EQ(s.device->Calls("Draw"), (std::vector<std::string>{"Draw Strip 4"}));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            EXPECT_EQ(s.Pixel(x, y) != 0, x >= 12 && x < 20 && y >= 5 && y < 21) << x << ", " << y;

    // A corner exactly on the clip's right edge counts as outside: cut.
    s.device->calls.clear();
    Matrix3x3 at;
    at.PreTranslate(48.5f, 0.5f); // the right corners land on x = 64
    s.d3d().BltTransformed(Color::White, Rect(0, 0, 16, 8), image.get(), &clip, DRAWMODE_NORMAL, at, false, 0, 0,
                           false);
    EXPECT_EQ(s.device->Calls("Draw").front().rfind("Draw Fan", 0), 0u);
    for (const DeviceVertex& v : s.device->draws.back().vertices)
        EXPECT_LE(v.x, 64.0f);

    // Centred: the source's middle at the matrix origin plus the offsets,
    // without the half-pixel shift.
    auto big = s.Image(std::vector<uint32_t>(100 * 50, 0xFFFFFFFF), 100, 50);
    s.d3d().BltTransformed(Color::White, Rect(0, 0, 100, 50), big.get(), nullptr, DRAWMODE_NORMAL, Matrix3x3(),
                           false, 200, 100, true);
    EXPECT_EQ(s.device->draws.back().vertices[0].x, 150.0f);
    EXPECT_EQ(s.device->draws.back().vertices[0].y, 75.0f);
}

TEST(D3DInterface, MirroredAndStretchedMirrored)
{
    DeviceScreen s;
    auto image = s.Image({0xFF000011, 0xFF000022, 0xFF000033, 0xFF000044}, 4, 1);
    s.d3d().PutImageMirrored(image.get(), 10, 5, Rect(0, 0, 4, 1), Color::White, DRAWMODE_NORMAL);
    EXPECT_EQ(s.Pixel(10, 5), 0x44u);
    EXPECT_EQ(s.Pixel(11, 5), 0x33u);
    EXPECT_EQ(s.Pixel(12, 5), 0x22u);
    EXPECT_EQ(s.Pixel(13, 5), 0x11u);
    EXPECT_EQ(s.Pixel(14, 5), 0u);
    EXPECT_EQ(s.device->Calls("SetFilter").back(), "SetFilter Point");

    s.d3d().PutImageStretchedMirrored(image.get(), Rect(20, 10, 8, 2), Rect(0, 0, 4, 1), Rect(0, 0, 64, 48),
                                      Color::White, DRAWMODE_NORMAL, true, true);
    const uint32_t want[8] = {0x44, 0x44, 0x33, 0x33, 0x22, 0x22, 0x11, 0x11};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(s.Pixel(20 + x, 10), want[x]) << x;
        EXPECT_EQ(s.Pixel(20 + x, 11), want[x]) << x;
    }
    // Not mirrored, filtered.
    s.d3d().PutImageStretchedMirrored(image.get(), Rect(30, 20, 8, 1), Rect(0, 0, 4, 1), Rect(0, 0, 64, 48),
                                      Color::White, DRAWMODE_NORMAL, false, false);
    EXPECT_EQ(s.device->Calls("SetFilter").back(), "SetFilter Linear");
    EXPECT_EQ(s.Pixel(30, 20), 0x11u);
    EXPECT_EQ(s.Pixel(37, 20), 0x44u);
}

TEST(D3DInterface, TextureRecordsAreListedAndForgotten)
{
    DeviceScreen s;
    auto image = s.Image(std::vector<uint32_t>(4, 0xFFFFFFFF), 2, 2);
    Graphics g(&s.screen.screen);
    g.DrawImageAt(image.get(), 1, 1);
    ASSERT_NE(image->textureData, nullptr);
    EXPECT_EQ(image->textureData->owner, &s.d3d());
    EXPECT_EQ(s.d3d().TexturedImageCount(), 1u);

    image->ReleaseTextures();
    EXPECT_EQ(image->textureData, nullptr);
    EXPECT_EQ(s.d3d().TexturedImageCount(), 0u);
    s.d3d().ForgetImageTextures(image.get()); // nothing left to forget

    g.DrawImageAt(image.get(), 1, 1);
    EXPECT_EQ(s.d3d().TexturedImageCount(), 1u);
    image.reset();
    EXPECT_EQ(s.d3d().TexturedImageCount(), 0u);
}

// An image made to give up its bits does so once the textures hold its
// picture; the picture comes back from them on demand, and when the device
// goes the picture is read back first.
TEST(D3DInterface, PurgedPicturesLiveInTheTexturesAndSurviveTheDevice)
{
    DeviceScreen s;
    std::vector<uint32_t> pixels(5 * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000u | uint32_t(i * 0x0A0B0C);
    auto image = s.Image(pixels, 5, 3);
    image->purgeBits = true;
    Graphics g(&s.screen.screen);
    g.DrawImageAt(image.get(), 0, 0);
    EXPECT_EQ(image->bits, nullptr);
    ASSERT_NE(image->textureData, nullptr);
    EXPECT_EQ(image->GetPixel(4, 2), pixels[14]); // read back from the textures
    image->ReleaseBits();
    EXPECT_EQ(image->bits, nullptr);

    s.d3d().Cleanup();
    EXPECT_EQ(image->textureData, nullptr);
    ASSERT_NE(image->bits, nullptr);
    EXPECT_EQ(std::vector<uint32_t>(image->bits.get(), image->bits.get() + 15), pixels);
}

TEST(D3DInterface, BitsStayWhenTheTexturesCannotBeMade)
{
    DeviceScreen s;
    auto image = s.Image(std::vector<uint32_t>(4, 0xFF102030), 2, 2);
    image->purgeBits = true;
    s.device->device.faults().createTexture = 1;
    EXPECT_FALSE(s.d3d().PrepareTexture(image.get(), DRAWMODE_NORMAL, false));
    EXPECT_EQ(D3DErrorText(), "CreateTexture: DDERR_OUTOFVIDEOMEMORY");
    ASSERT_NE(image->bits, nullptr);
    EXPECT_EQ(image->GetPixel(1, 1), 0xFF102030u);
    // The next draw builds them and only then lets the bits go.
    EXPECT_TRUE(s.d3d().PrepareTexture(image.get(), DRAWMODE_NORMAL, false));
    EXPECT_EQ(image->GetPixel(1, 1), 0xFF102030u);
}

TEST(D3DInterface, FailedDrawsAreRecordedForThePresentation)
{
    DeviceScreen s;
    std::vector<std::string> written;
    SetD3DRuntimeErrorWriter(
        [&](const std::string& name, const std::string& value) { written.push_back(name + "=" + value); });
    s.device->drawResult = DDERR_SURFACELOST;
    s.d3d().FillRect(Rect(0, 0, 4, 4), Color(255, 0, 0), DRAWMODE_NORMAL);
    EXPECT_EQ(D3DErrorText(), "DrawPrimitive (Rect): DDERR_SURFACELOST");
    auto image = s.Image(std::vector<uint32_t>(4, 0xFFFFFFFF), 2, 2);
    Graphics g(&s.screen.screen);
    g.DrawImageAt(image.get(), 1, 1);
    EXPECT_EQ(D3DErrorText(), "DrawPrimitive (Tri) 1: DDERR_SURFACELOST");
    EXPECT_EQ(written, (std::vector<std::string>{"Test3D\\RuntimeError=DrawPrimitive (Rect): DDERR_SURFACELOST",
                                                 "Test3D\\RuntimeError=DrawPrimitive (Tri) 1: DDERR_SURFACELOST"}));
    SetD3DRuntimeErrorWriter(nullptr);
}

// Edits after a draw reach the textures; textures made before a draw into
// the image's own surface are given up.
TEST(D3DInterface, EditedImagesAreUploadedAgain)
{
    DeviceScreen s;
    auto image = s.Image(std::vector<uint32_t>(4, 0xFF0000FF), 2, 2);
    Graphics g(&s.screen.screen);
    g.DrawImageAt(image.get(), 0, 0);
    EXPECT_EQ(s.Pixel(0, 0), 0x0000FFu);
    Graphics onImage(image.get());
    onImage.color = Color(0, 255, 0);
    onImage.FillRectangle(0, 0, 2, 2);
    g.DrawImageAt(image.get(), 0, 0);
    EXPECT_EQ(s.Pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(s.device->Calls("CreateTexture").size(), 1u);
}

// A draw into an image's own surface leaves the surface the only copy of
// the new picture: the textures made before it are given up, and the next
// 3-D draw uploads the surface's picture.
TEST(D3DInterface, SurfaceDrawsOutdateTheTextures)
{
    DeviceScreen s;
    auto image = s.Image(std::vector<uint32_t>(16, 0xFF0000FF), 4, 4);
    Graphics g(&s.screen.screen);
    g.DrawImageAt(image.get(), 0, 0);
    EXPECT_EQ(s.Pixel(1, 1), 0x0000FFu);
    ASSERT_TRUE(image->CreateSurface());
    auto green = s.Image(std::vector<uint32_t>(16, 0xFF00FF00), 4, 4);
    Matrix3x3 identity;
    image->PutImageMatrix(green.get(), 2, 2, identity, Rect(0, 0, 4, 4), Color::White, DRAWMODE_NORMAL,
                          Rect(0, 0, 4, 4), 0);
    EXPECT_EQ(image->textureData, nullptr);
    g.DrawImageAt(image.get(), 0, 0);
    EXPECT_EQ(s.Pixel(1, 1), 0x00FF00u);
}

} // namespace
} // namespace Quib
