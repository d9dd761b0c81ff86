// The GPU device over SDL's renderer (SDL's software renderer on the
// offscreen driver, so that it runs everywhere), against the software
// device: the same calls, the same pictures within stated tolerances.
#include "framework/app/D3DTester.h"
#include "framework/graphics/SoftwareDevice3D.h"
#include "platform/SettingsFile.h"
#include "platform/sdl/SdlGraphicsAdapter.h"
#include "tests/support/TempDir.h"
#include "platform/sdl/SdlDevice3D.h"
#include "tests/support/SdlTestRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

namespace Quib {
namespace {

using Testing::SdlTestRenderer;

constexpr int kW = 64, kH = 48;

struct SurfaceRef {
    DisplaySurface* surface = nullptr;
    SurfaceRef(int w, int h, const SurfacePixelFormat& format)
    {
        SurfaceDesc desc;
        desc.flags = DDSD_WIDTH | DDSD_HEIGHT;
        desc.width = uint32_t(w);
        desc.height = uint32_t(h);
        EXPECT_EQ(DisplaySurface::Create(desc, format, &surface), DD_OK);
    }
    ~SurfaceRef()
    {
        if (surface)
            surface->Release();
    }
    SurfaceRef(const SurfaceRef&) = delete;
    SurfaceRef& operator=(const SurfaceRef&) = delete;
};

DeviceVertex V(float x, float y, uint32_t color = 0xFFFFFFFF, float u = 0, float v = 0)
{
    DeviceVertex d;
    d.x = x;
    d.y = y;
    d.diffuse = color;
    d.tu = u;
    d.tv = v;
    return d;
}

// A smooth ramp with an alpha disc, as 0xAARRGGBB words.
std::vector<uint32_t> Ramp(int w, int h, bool disc)
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
            p[size_t(y) * size_t(w) + size_t(x)] = (a << 24) | (uint32_t(x * 255 / (w - 1)) << 16) |
                                                   (uint32_t(y * 255 / (h - 1)) << 8) | uint32_t(128 + x * 4);
        }
    return p;
}

// Fills a texture of the device from ARGB words in its format.
std::shared_ptr<DeviceTexture> MakeTexture(Device3D& device, int w, int h, TextureFormat format,
                                           const std::vector<uint32_t>& argb)
{
    std::shared_ptr<DeviceTexture> t;
    EXPECT_EQ(device.CreateTexture(uint32_t(w), uint32_t(h), format, &t), DD_OK);
    if (!t)
        return t;
    uint8_t* bits = nullptr;
    int32_t pitch = 0;
    EXPECT_EQ(t->Lock(TextureLockMode::WriteOnly, &bits, &pitch), DD_OK);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = argb[size_t(y) * size_t(w) + size_t(x)];
            uint8_t* at = bits + size_t(y) * size_t(pitch) + size_t(x) * TextureFormatBytes(format);
            if (format == TEXTURE_FORMAT_A8R8G8B8) {
                std::memcpy(at, &p, 4);
            } else {
                const uint16_t q = format == TEXTURE_FORMAT_A4R4G4B4
                                       ? uint16_t(((p >> 16) & 0xF000) | ((p >> 12) & 0x0F00) |
                                                  ((p >> 8) & 0x00F0) | ((p >> 4) & 0x000F))
                                       : uint16_t(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
                std::memcpy(at, &q, 2);
            }
        }
    EXPECT_EQ(t->Unlock(), DD_OK);
    return t;
}

// The picture of a surface as 0xRRGGBB words, channels at the top of
// their bytes.
std::vector<uint32_t> Picture(const DisplaySurface& s)
{
    const SurfacePixelFormat& f = s.Format();
    const auto channel = [](uint32_t v, uint32_t mask) -> uint32_t {
        if (!mask)
            return 0;
        int shift = 0;
        while (!((mask >> shift) & 1))
            ++shift;
        int bits = 0;
        while ((mask >> (shift + bits)) & 1)
            ++bits;
        return ((v & mask) >> shift) << (8 - bits);
    };
    std::vector<uint32_t> out;
    for (uint32_t y = 0; y < s.Height(); ++y)
        for (uint32_t x = 0; x < s.Width(); ++x) {
            const uint32_t v = s.PixelAt(x, y);
            out.push_back((channel(v, f.redMask) << 16) | (channel(v, f.greenMask) << 8) | channel(v, f.blueMask));
        }
    return out;
}

int ChannelDifference(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int s = 0; s < 24; s += 8)
        d = std::max(d, std::abs(int((a >> s) & 255) - int((b >> s) & 255)));
    return d;
}

// The scenes draw through a device; `textures` are made per device.
struct Scene {
    const char* name;
    int tolerance32;
    int tolerance16;
    // A pixel may match one of its eight neighbours instead: edges and
    // nearest texels placed a pixel apart.
    bool neighbours;
    bool textured;
    std::function<void(Device3D&)> draw;
};

void Draw(Device3D& device, PrimitiveType type, std::initializer_list<DeviceVertex> vertices)
{
    std::vector<DeviceVertex> v(vertices);
    EXPECT_EQ(device.DrawPrimitive(type, v.data(), uint32_t(v.size())), DD_OK);
}

// A quad whose texels land one to one on pixels at (x, y).
void TexelQuad(Device3D& device, float x, float y, float w, float h, uint32_t color, float u0 = 0, float v0 = 0,
               float u1 = 1, float v1 = 1)
{
    Draw(device, PrimitiveType::TriangleStrip,
         {V(x - 0.5f, y - 0.5f, color, u0, v0), V(x - 0.5f, y + h - 0.5f, color, u0, v1),
          V(x + w - 0.5f, y - 0.5f, color, u1, v0), V(x + w - 0.5f, y + h - 0.5f, color, u1, v1)});
}

std::shared_ptr<DeviceTexture> Sprite(Device3D& d, TextureFormat format = TEXTURE_FORMAT_A8R8G8B8)
{
    return MakeTexture(d, 16, 16, format, Ramp(16, 16, true));
}

const Scene kScenes[] = {
    // Blends round a step apart: the software device exactly, SDL's
    // software renderer with its own shortcuts.
    {"untextured translucent triangles", 2, 8, true, false,
     [](Device3D& d) {
         d.SetTexture(nullptr);
         Draw(d, PrimitiveType::TriangleList,
              {V(3, 4, 0x80FF0000), V(40, 8, 0x80FF0000), V(10, 40, 0x80FF0000), V(20, 2, 0xC000FF40),
               V(60, 30, 0xC000FF40), V(30, 45, 0xC000FF40)});
     }},
    {"texels one to one", 2, 8, false, true,
     [](Device3D& d) {
         auto t = Sprite(d);
         d.SetTexture(t);
         TexelQuad(d, 5, 6, 16, 16, 0xFFFFFFFF);
         TexelQuad(d, 30, 20, 16, 16, 0xFFFFFFFF);
     }},
    {"texels times the vertex colour and alpha", 3, 8, false, true,
     [](Device3D& d) {
         auto t = Sprite(d);
         d.SetTexture(t);
         d.SetAlphaOp(AlphaOp::Modulate);
         TexelQuad(d, 5, 6, 16, 16, 0x80FF8040);
         TexelQuad(d, 30, 20, 16, 16, 0xFF40C0FF);
     }},
    {"the texture's alpha alone", 3, 8, false, true,
     [](Device3D& d) {
         auto t = Sprite(d);
         d.SetTexture(t);
         d.SetAlphaOp(AlphaOp::SelectTexture);
         TexelQuad(d, 5, 6, 16, 16, 0x20FF8040);
     }},
    {"vertex colour with the texture's alpha", 3, 8, false, true,
     [](Device3D& d) {
         auto t = Sprite(d);
         d.SetTexture(t);
         d.SetAlphaOp(AlphaOp::Modulate);
         d.SetColorArg(ColorArg::Diffuse);
         TexelQuad(d, 5, 6, 16, 16, 0xC0FF2020);
         d.SetBlend(BlendFactor::SourceAlpha, BlendFactor::One);
         TexelQuad(d, 30, 20, 16, 16, 0xFF2020FF);
     }},
    {"additive", 2, 8, false, true,
     [](Device3D& d) {
         auto t = Sprite(d);
         d.SetTexture(t);
         d.SetAlphaOp(AlphaOp::Modulate);
         d.SetBlend(BlendFactor::SourceAlpha, BlendFactor::One);
         TexelQuad(d, 5, 6, 16, 16, 0xFFFFFFFF);
         TexelQuad(d, 10, 10, 16, 16, 0x80FFFFFF);
         d.SetTexture(nullptr);
         Draw(d, PrimitiveType::TriangleFan, {V(30, 5, 0x80402010), V(60, 5, 0x80402010), V(60, 40, 0x80402010)});
     }},
    {"one plus one", 2, 8, false, true,
     [](Device3D& d) {
         auto t = Sprite(d);
         d.SetTexture(t);
         d.SetBlend(BlendFactor::One, BlendFactor::One);
         TexelQuad(d, 5, 6, 16, 16, 0xFF808080);
         d.SetTexture(nullptr);
         Draw(d, PrimitiveType::TriangleFan, {V(30, 5, 0x00404040), V(60, 5, 0x00404040), V(60, 40, 0x00404040)});
     }},
    // 4-bit channels are widened the same way by both.
    {"16-bit textures", 2, 8, false, true,
     [](Device3D& d) {
         auto a = Sprite(d, TEXTURE_FORMAT_A4R4G4B4);
         auto b = MakeTexture(d, 16, 8, TEXTURE_FORMAT_R5G6B5, Ramp(16, 8, false));
         d.SetTexture(a);
         TexelQuad(d, 5, 6, 16, 16, 0xFFFFFFFF);
         d.SetTexture(b);
         TexelQuad(d, 30, 20, 16, 8, 0xFFFFFFFF);
     }},
    // Coordinates beyond the texture take its edge texels.
    {"clamped coordinates", 2, 8, true, true,
     [](Device3D& d) {
         auto t = MakeTexture(d, 8, 8, TEXTURE_FORMAT_A8R8G8B8, Ramp(8, 8, false));
         d.SetTexture(t);
         TexelQuad(d, 4, 4, 32, 32, 0xFFFFFFFF, -1.5f, -1.5f, 2.5f, 2.5f);
     }},
    // Stretched and mirrored with the nearest texel: a texel boundary that
    // falls on a pixel centre may go either way.
    {"stretched and mirrored, nearest", 2, 8, true, true,
     [](Device3D& d) {
         auto t = MakeTexture(d, 16, 8, TEXTURE_FORMAT_A8R8G8B8, Ramp(16, 8, false));
         d.SetTexture(t);
         TexelQuad(d, 2, 2, 40, 20, 0xFFFFFFFF);
         TexelQuad(d, 2, 25, 30, 20, 0xFFFFFFFF, 1, 0, 0, 1);
     }},
    {"rotated, nearest", 2, 8, true, true,
     [](Device3D& d) {
         auto t = MakeTexture(d, 16, 16, TEXTURE_FORMAT_A8R8G8B8, Ramp(16, 16, false));
         d.SetTexture(t);
         const float c = std::cos(0.6f) * 24, s = std::sin(0.6f) * 24;
         Draw(d, PrimitiveType::TriangleStrip,
              {V(30, 2, 0xFFFFFFFF, 0, 0), V(30 - s, 2 + c, 0xFFFFFFFF, 0, 1), V(30 + c, 2 + s, 0xFFFFFFFF, 1, 0),
               V(30 + c - s, 2 + s + c, 0xFFFFFFFF, 1, 1)});
     }},
    // Bilinear on both; the GPU weighs with its own sub-texel precision.
    {"stretched and rotated, filtered", 4, 10, true, true,
     [](Device3D& d) {
         auto t = MakeTexture(d, 16, 8, TEXTURE_FORMAT_A8R8G8B8, Ramp(16, 8, false));
         d.SetTexture(t);
         d.SetFilter(TextureFilter::Linear);
         TexelQuad(d, 2, 2, 40, 20, 0xFFFFFFFF);
         const float c = std::cos(0.4f) * 20, s = std::sin(0.4f) * 20;
         Draw(d, PrimitiveType::TriangleStrip,
              {V(40, 22, 0xFFFFFFFF, 0, 0), V(40 - s, 22 + c, 0xFFFFFFFF, 0, 1),
               V(40 + c, 22 + s, 0xFFFFFFFF, 1, 0), V(40 + c - s, 22 + s + c, 0xFFFFFFFF, 1, 1)});
     }},
    {"line strips", 2, 8, true, false,
     [](Device3D& d) {
         d.SetTexture(nullptr);
         Draw(d, PrimitiveType::LineStrip,
              {V(2, 2, 0xFFFFFF00), V(60, 2, 0xFFFFFF00), V(60, 40, 0xFF00FFFF), V(5, 45, 0xFFFF00FF),
               V(5, 10, 0xFFFFFFFF), V(40, 30, 0x80FFFFFF)});
     }},
    {"viewport", 2, 8, false, false,
     [](Device3D& d) {
         d.SetViewport({10, 8, 30, 20});
         d.SetTexture(nullptr);
         Draw(d, PrimitiveType::TriangleStrip,
              {V(-5, -5, 0xFFFF0000), V(-5, 60, 0xFFFF0000), V(70, -5, 0xFFFF0000), V(70, 60, 0xFFFF0000)});
         d.Clear(0xFF0000FF);
         d.SetViewport({0, 0, kW, kH});
     }},
};

// Each renderer SDL may use: its software renderer everywhere, the GL
// renderers where a GL driver (Mesa's llvmpipe will do) is installed.
class SdlDevice3DTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        if (!sdl && std::string(GetParam()) != "software")
            GTEST_SKIP() << GetParam() << ": " << sdl.error;
        ASSERT_TRUE(sdl) << sdl.error;
    }
    SdlTestRenderer sdl{GetParam()};
};

// SDL's software renderer is coarser than a GPU by design: it takes
// texture coordinates in whole texels and spreads a texture's w texels over
// w - 1 pixel steps (the last texel of a row is never drawn), so its
// textured pictures only keep the average colour of the software device's
// (each channel's mean within 12 levels: a ramp of 8 texels that loses its
// last one moves by 8); its untextured ones are compared
// pixel by pixel, 6 levels (8 on 16-bit screens) looser since its colour
// steps along a triangle round its own way. A GPU renderer (Mesa's llvmpipe
// where no GPU is) is held to the scene's own tolerances everywhere.
bool SameAverage(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, std::string& why)
{
    for (int shift = 0; shift < 24; shift += 8) {
        double sa = 0, sb = 0;
        for (size_t i = 0; i < a.size(); ++i) {
            sa += (a[i] >> shift) & 255;
            sb += (b[i] >> shift) & 255;
        }
        sa /= double(a.size());
        sb /= double(b.size());
        if (std::fabs(sa - sb) > 12.0) {
            why = "channel at bit " + std::to_string(shift) + ": software " + std::to_string(sa) + ", gpu " +
                  std::to_string(sb);
            return false;
        }
    }
    return true;
}

void ExpectSamePicture(const Scene& scene, Device3D& gpu, const SurfacePixelFormat& format, bool coarse)
{
    SurfaceRef a(kW, kH, format), b(kW, kH, format);
    SoftwareDevice3D software;
    for (auto [device, surface] :
         {std::pair<Device3D*, DisplaySurface*>{&software, a.surface}, {&gpu, b.surface}}) {
        ASSERT_EQ(device->SetRenderTarget(surface), DD_OK);
        ASSERT_EQ(device->Clear(0xFF203040), DD_OK);
        ASSERT_EQ(device->BeginScene(), DD_OK);
        device->SetBlend(BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);
        device->SetColorArg(ColorArg::Texture);
        device->SetAlphaOp(AlphaOp::SelectTexture);
        device->SetFilter(TextureFilter::Point);
        scene.draw(*device);
        device->SetTexture(nullptr);
        ASSERT_EQ(device->EndScene(), DD_OK);
    }
    const std::vector<uint32_t> want = Picture(*a.surface), got = Picture(*b.surface);
    if (coarse && scene.textured) {
        std::string why;
        EXPECT_TRUE(SameAverage(want, got, why)) << scene.name << ", " << format.bitCount << " bits: " << why;
        return;
    }
    const int tolerance = (format.bitCount == 32 ? scene.tolerance32 : scene.tolerance16) +
                          (coarse ? (format.bitCount == 32 ? 6 : 8) : 0);
    const bool neighbours = scene.neighbours;
    int failures = 0;
    std::ostringstream first;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const size_t i = size_t(y) * kW + size_t(x);
            const auto closest = [&](const std::vector<uint32_t>& from, const std::vector<uint32_t>& in) {
                int d = ChannelDifference(from[i], in[i]);
                for (int dy = -1; neighbours && dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int xx = x + dx, yy = y + dy;
                        if (xx >= 0 && yy >= 0 && xx < kW && yy < kH)
                            d = std::min(d, ChannelDifference(from[i], in[size_t(yy) * kW + size_t(xx)]));
                    }
                return d;
            };
            const int best = std::max(closest(want, got), closest(got, want));
            if (best > tolerance && failures++ < 6)
                first << " (" << x << ", " << y << ") software " << std::hex << want[i] << " gpu " << got[i]
                      << std::dec << ";";
        }
    EXPECT_EQ(failures, 0) << scene.name << ", " << format.bitCount << " bits, tolerance " << tolerance << ":"
                           << first.str();
}

TEST_P(SdlDevice3DTest, DrawsWhatTheSoftwareDeviceDraws)
{
    const SurfacePixelFormat formats[] = {SurfacePixelFormat::X8R8G8B8(), SurfacePixelFormat::X8B8G8R8(),
                                          SurfacePixelFormat::R5G6B5(), SurfacePixelFormat::X1R5G5B5()};
    for (const SurfacePixelFormat& format : formats) {
        auto gpu = SdlDevice3D::Create(sdl.renderer, kW, kH);
        ASSERT_NE(gpu, nullptr);
        const bool coarse = gpu->RendererName() == "software";
        for (const Scene& scene : kScenes) {
            // Its blits of texture-degenerate rectangles (the bands beyond a
            // clamped texture's edge) come out in the vertex colour; the
            // display's own drawing keeps its coordinates inside 0..1.
            if (coarse && std::string(scene.name) == "clamped coordinates")
                continue;
            SCOPED_TRACE(scene.name);
            ExpectSamePicture(scene, *gpu, format, coarse);
        }
    }
}

// Drawing on the device and writing the surface's memory in turns: each
// sees what the other did, and only the parts touched travel.
TEST_P(SdlDevice3DTest, TheSurfaceAndTheTextureStayInStep)
{
    auto gpu = SdlDevice3D::Create(sdl.renderer, kW, kH);
    ASSERT_NE(gpu, nullptr);
    SurfaceRef target(kW, kH, SurfacePixelFormat::X8R8G8B8());
    DisplaySurface* s = target.surface;
    const SurfaceRect left{0, 0, 32, kH};
    ASSERT_EQ(s->Blt(&left, nullptr, nullptr, DDBLT_COLORFILL, 0x112233), DD_OK);
    ASSERT_EQ(gpu->SetRenderTarget(s), DD_OK);
    EXPECT_EQ(s->Mirror() != nullptr, true);
    ASSERT_EQ(gpu->BeginScene(), DD_OK);
    gpu->SetAlphaOp(AlphaOp::Modulate);
    // A rectangle over rows 10..19, columns 20..39.
    Draw(*gpu, PrimitiveType::TriangleStrip,
         {V(19.5f, 9.5f, 0xFFFF0000), V(19.5f, 19.5f, 0xFFFF0000), V(39.5f, 9.5f, 0xFFFF0000),
          V(39.5f, 19.5f, 0xFFFF0000)});
    // Memory written in the middle of the scene: the drawn part comes back
    // first, then the write lands on top.
    const SurfaceRect dot{30, 15, 31, 16};
    ASSERT_EQ(s->Blt(&dot, nullptr, nullptr, DDBLT_COLORFILL, 0x00FF00), DD_OK);
    EXPECT_EQ(s->PixelAt(25, 12) & 0xFFFFFF, 0xFF0000u);
    EXPECT_LT(gpu->PixelsReadBack(), uint64_t(kW) * kH); // only around the rectangle
    // Half-transparent blue over all of it: the GPU blends over the memory
    // write.
    Draw(*gpu, PrimitiveType::TriangleStrip,
         {V(-0.5f, -0.5f, 0x800000FF), V(-0.5f, kH - 0.5f, 0x800000FF), V(kW - 0.5f, -0.5f, 0x800000FF),
          V(kW - 0.5f, kH - 0.5f, 0x800000FF)});
    ASSERT_EQ(gpu->EndScene(), DD_OK);
    const auto near = [](uint32_t got, uint32_t want) { return ChannelDifference(got, want) <= 2; };
    EXPECT_PRED2(near, s->PixelAt(30, 15), 0x007F80u); // green, then blue
    EXPECT_PRED2(near, s->PixelAt(25, 12), 0x7F0080u); // red, then blue
    EXPECT_PRED2(near, s->PixelAt(5, 40), 0x081199u);  // the first fill, then blue
    EXPECT_PRED2(near, s->PixelAt(50, 40), 0x000080u); // cleared black at first, then blue
    // A read-only lock brings nothing back to the texture.
    const uint64_t uploaded = gpu->PixelsUploaded();
    SurfaceDesc desc;
    ASSERT_EQ(s->Lock(&desc, DDLOCK_WAIT | DDLOCK_READONLY), DD_OK);
    s->Unlock();
    EXPECT_NE(gpu->TargetTexture(), nullptr);
    EXPECT_EQ(gpu->PixelsUploaded(), uploaded);
    // The target given up: its mirror goes, its picture stays.
    ASSERT_EQ(gpu->SetRenderTarget(nullptr), DD_OK);
    EXPECT_EQ(s->Mirror(), nullptr);
    EXPECT_PRED2(near, s->PixelAt(25, 12), 0x7F0080u);
}

TEST_P(SdlDevice3DTest, LeavesTheRenderersStateAsItFoundIt)
{
    SDL_SetRenderDrawColor(sdl.renderer, 1, 2, 3, 4);
    SDL_SetRenderDrawBlendMode(sdl.renderer, SDL_BLENDMODE_MOD);
    auto gpu = SdlDevice3D::Create(sdl.renderer, kW, kH);
    ASSERT_NE(gpu, nullptr);
    SurfaceRef target(kW, kH, SurfacePixelFormat::R5G6B5());
    ASSERT_EQ(gpu->SetRenderTarget(target.surface), DD_OK);
    ASSERT_EQ(gpu->Clear(0xFF00FF00), DD_OK);
    ASSERT_EQ(gpu->BeginScene(), DD_OK);
    gpu->SetBlend(BlendFactor::SourceAlpha, BlendFactor::One);
    Draw(*gpu, PrimitiveType::TriangleFan, {V(0, 0, 0xFFFF0000), V(30, 0, 0xFFFF0000), V(0, 30, 0xFFFF0000)});
    ASSERT_EQ(gpu->EndScene(), DD_OK);
    EXPECT_EQ(target.surface->PixelAt(2, 2), 0xFFE0u); // red added to green
    Uint8 r, g, b, a;
    SDL_GetRenderDrawColor(sdl.renderer, &r, &g, &b, &a);
    EXPECT_EQ((std::vector<int>{r, g, b, a}), (std::vector<int>{1, 2, 3, 4}));
    SDL_BlendMode mode;
    SDL_GetRenderDrawBlendMode(sdl.renderer, &mode);
    EXPECT_EQ(mode, SDL_BLENDMODE_MOD);
    EXPECT_EQ(SDL_GetRenderTarget(sdl.renderer), nullptr);
}

TEST_P(SdlDevice3DTest, SizesFormatsAndCallsAreChecked)
{
    auto gpu = SdlDevice3D::Create(sdl.renderer, kW, kH, 64 * 64 * 4 + 16 * 16 * 2);
    ASSERT_NE(gpu, nullptr);
    DeviceCaps caps;
    ASSERT_EQ(gpu->GetCaps(&caps), DD_OK);
    struct Row {
        uint32_t w, h;
        TextureFormat format;
        HRESULT want;
    };
    const Row rows[] = {
        {0, 16, TEXTURE_FORMAT_A8R8G8B8, D3DERR_TEXTURE_BADSIZE},
        {caps.maxTextureWidth + 1, 16, TEXTURE_FORMAT_A8R8G8B8, D3DERR_TEXTURE_BADSIZE},
        {0xFFFFFFFF, 0xFFFFFFFF, TEXTURE_FORMAT_A8R8G8B8, D3DERR_TEXTURE_BADSIZE},
        {16, 16, TEXTURE_FORMAT_PALETTE8, D3DERR_WRONGTEXTUREFORMAT},
        {16, 16, TEXTURE_FORMAT_A8R8G8B8 | TEXTURE_FORMAT_R5G6B5, D3DERR_WRONGTEXTUREFORMAT},
        {64, 64, TEXTURE_FORMAT_A8R8G8B8, DD_OK},
        {16, 16, TEXTURE_FORMAT_A8R8G8B8, DDERR_OUTOFVIDEOMEMORY}, // over the memory given
        {16, 16, TEXTURE_FORMAT_R5G6B5, DD_OK},
    };
    std::vector<std::shared_ptr<DeviceTexture>> kept;
    for (const Row& row : rows) {
        std::shared_ptr<DeviceTexture> t;
        EXPECT_EQ(gpu->CreateTexture(row.w, row.h, row.format, &t), row.want) << row.w << "x" << row.h;
        EXPECT_EQ(bool(t), Succeeded(row.want));
        kept.push_back(t);
    }
    EXPECT_EQ(gpu->TextureMemoryInUse(), uint64_t(64 * 64 * 4 + 16 * 16 * 2));

    // Surfaces it cannot draw into, textures of another device, calls out
    // of order.
    SurfaceRef odd(8, 8, SurfacePixelFormat{32, 0xFF000000, 0x00FF0000, 0x0000FF00, 0});
    EXPECT_EQ(gpu->SetRenderTarget(odd.surface), DDERR_INVALIDPIXELFORMAT);
    SoftwareDevice3D other;
    std::shared_ptr<DeviceTexture> foreign;
    ASSERT_EQ(other.CreateTexture(4, 4, TEXTURE_FORMAT_A8R8G8B8, &foreign), DD_OK);
    EXPECT_EQ(gpu->SetTexture(foreign), DDERR_INVALIDPARAMS);
    const DeviceVertex tri[3] = {V(0, 0), V(9, 0), V(0, 9)};
    EXPECT_EQ(gpu->DrawPrimitive(PrimitiveType::TriangleList, tri, 3), D3DERR_SCENE_NOT_IN_SCENE);
    SurfaceRef target(kW, kH, SurfacePixelFormat::X8R8G8B8());
    ASSERT_EQ(gpu->SetRenderTarget(target.surface), DD_OK);
    ASSERT_EQ(gpu->BeginScene(), DD_OK);
    EXPECT_EQ(gpu->BeginScene(), D3DERR_SCENE_IN_SCENE);
    uint8_t* bits;
    int32_t pitch;
    ASSERT_EQ(kept[5]->Lock(TextureLockMode::WriteOnly, &bits, &pitch), DD_OK);
    ASSERT_EQ(gpu->SetTexture(kept[5]), DD_OK);
    EXPECT_EQ(gpu->DrawPrimitive(PrimitiveType::TriangleList, tri, 3), D3DERR_TEXTURE_LOCKED);
    kept[5]->Unlock();
    EXPECT_EQ(gpu->DrawPrimitive(PrimitiveType::TriangleList, nullptr, 3), DDERR_INVALIDPARAMS);
    // Corners that are not numbers draw nothing.
    const float nan = std::nanf("");
    const DeviceVertex bad[3] = {V(nan, 0), V(9, 0), V(0, 9)};
    EXPECT_EQ(gpu->DrawPrimitive(PrimitiveType::TriangleList, bad, 3), DD_OK);
    EXPECT_EQ(gpu->EndScene(), DD_OK);
    EXPECT_EQ(gpu->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);

    // Factors the renderer cannot blend with are refused, and the last good
    // ones stay.
    const HRESULT odd_factors = gpu->SetBlend(BlendFactor::InverseSourceAlpha, BlendFactor::SourceAlpha);
    EXPECT_EQ(odd_factors, gpu->CustomBlending() ? DD_OK : D3DERR_UNSUPPORTEDFACTORVALUE);

    // A render target larger than the renderer's textures, and a device
    // whose target cannot be made at all.
    SDL_RendererInfo info;
    ASSERT_EQ(SDL_GetRendererInfo(sdl.renderer, &info), 0);
    if (info.max_texture_width > 0) {
        EXPECT_EQ(SdlDevice3D::Create(sdl.renderer, uint32_t(info.max_texture_width) + 1, 4), nullptr);
    }
    EXPECT_EQ(SdlDevice3D::Create(nullptr, 4, 4), nullptr);

    // Textures may outlive their device.
    gpu.reset();
    kept.clear();
}

// The capability test on the device this renderer gives: the patterns are
// drawn and read back, and the outcome is honest: a GL renderer draws what
// the software device draws; SDL's software renderer places the one-pixel
// columns of the clipping pattern a texel off (see above), which the test
// reports as a warning, so the display does not turn 3-D on by itself.
TEST_P(SdlDevice3DTest, TheCapabilityTestRunsOnTheRenderersDevice)
{
    Testing::TempDir dir;
    Testing::ScopedWorkingDirectory cwd(dir.Path());
    SettingsFile settings(dir / "settings.txt");
    SdlGraphicsAdapter adapter(sdl.renderer);
    AdapterIdentity identity;
    ASSERT_EQ(adapter.Identify(&identity), DD_OK);
    EXPECT_FALSE(identity.description.empty());
    EXPECT_FALSE(identity.driver.empty());
    D3DTester tester;
    tester.settings = &settings;
    tester.RunWithCache(&adapter);
    EXPECT_TRUE(tester.Passed()) << tester.failureReason;
    if (std::string(GetParam()) == "software")
        EXPECT_EQ(tester.warning, "Clip problem detected.");
    else
        EXPECT_TRUE(tester.IsClean()) << tester.warning;
    EXPECT_TRUE(tester.freshResult);
    // The cache is read back by the next run.
    D3DTester next;
    next.settings = &settings;
    next.RunWithCache(&adapter);
    EXPECT_FALSE(next.freshResult);
    EXPECT_EQ(next.warning, tester.warning);
}

INSTANTIATE_TEST_SUITE_P(Renderers, SdlDevice3DTest, ::testing::Values("software", "opengl", "opengles2"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
} // namespace Quib
