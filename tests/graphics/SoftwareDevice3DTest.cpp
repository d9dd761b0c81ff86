#include "framework/graphics/SoftwareDevice3D.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace Quib {
namespace {

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

DeviceVertex DevVertex(float x, float y, uint32_t color = 0xFFFFFFFF, float u = 0, float v = 0)
{
    return MakeDeviceVertex(x, y, color, u, v);
}

int CountPixels(const DisplaySurface& s, uint32_t value)
{
    int n = 0;
    for (uint32_t y = 0; y < s.Height(); ++y)
        for (uint32_t x = 0; x < s.Width(); ++x)
            n += (s.PixelAt(x, y) & 0xFFFFFF) == value;
    return n;
}

TEST(SoftwareDevice3D, TextureSizesAndMemoryAreCheckedBeforeAllocating)
{
    DeviceCaps caps = SoftwareDevice3D::DefaultCaps();
    caps.maxTextureWidth = 256;
    caps.maxTextureHeight = 128;
    caps.minTextureWidth = 2;
    caps.maxTextureAspect = 4;
    caps.textureFormats = TEXTURE_FORMAT_A8R8G8B8 | TEXTURE_FORMAT_R5G6B5;
    caps.textureMemory = 256 * 128 * 4 + 64 * 64 * 2;
    SoftwareDevice3D device(caps);
    struct Row {
        uint32_t w, h;
        TextureFormat format;
        HRESULT want;
    };
    const Row rows[] = {
        {0, 16, TEXTURE_FORMAT_A8R8G8B8, D3DERR_TEXTURE_BADSIZE},
        {1, 1, TEXTURE_FORMAT_A8R8G8B8, D3DERR_TEXTURE_BADSIZE}, // below the minimum width
        {512, 64, TEXTURE_FORMAT_A8R8G8B8, D3DERR_TEXTURE_BADSIZE},
        {64, 256, TEXTURE_FORMAT_A8R8G8B8, D3DERR_TEXTURE_BADSIZE},
        {256, 32, TEXTURE_FORMAT_A8R8G8B8, D3DERR_TEXTURE_BADSIZE}, // 8 : 1
        {0xFFFFFFFF, 0xFFFFFFFF, TEXTURE_FORMAT_A8R8G8B8, D3DERR_TEXTURE_BADSIZE},
        {16, 16, TEXTURE_FORMAT_A4R4G4B4, D3DERR_WRONGTEXTUREFORMAT}, // not offered
        {16, 16, TEXTURE_FORMAT_A8R8G8B8 | TEXTURE_FORMAT_R5G6B5, D3DERR_WRONGTEXTUREFORMAT},
        {16, 16, 0, D3DERR_WRONGTEXTUREFORMAT},
    };
    for (const Row& row : rows) {
        std::shared_ptr<DeviceTexture> t;
        EXPECT_EQ(device.CreateTexture(row.w, row.h, row.format, &t), row.want) << row.w << "x" << row.h;
        EXPECT_FALSE(t);
    }
    EXPECT_EQ(device.TextureMemoryInUse(), 0u);

    // The memory: one large texture and one small fill it exactly.
    std::shared_ptr<DeviceTexture> big, small, more;
    EXPECT_EQ(device.CreateTexture(256, 128, TEXTURE_FORMAT_A8R8G8B8, &big), DD_OK);
    EXPECT_EQ(device.CreateTexture(64, 64, TEXTURE_FORMAT_R5G6B5, &small), DD_OK);
    EXPECT_EQ(device.CreateTexture(2, 2, TEXTURE_FORMAT_R5G6B5, &more), DDERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(more);
    big.reset();
    EXPECT_EQ(device.TextureMemoryInUse(), 64u * 64 * 2);
    EXPECT_EQ(device.CreateTexture(2, 2, TEXTURE_FORMAT_R5G6B5, &more), DD_OK);

    // A failure asked for gives the memory back.
    device.faults().createTexture = 1;
    std::shared_ptr<DeviceTexture> failed;
    EXPECT_EQ(device.CreateTexture(16, 16, TEXTURE_FORMAT_A8R8G8B8, &failed), DDERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(device.TextureMemoryInUse(), 64u * 64 * 2 + 2 * 2 * 2);
}

TEST(SoftwareDevice3D, TextureLocks)
{
    SoftwareDevice3D device;
    std::shared_ptr<DeviceTexture> t;
    ASSERT_EQ(device.CreateTexture(4, 2, TEXTURE_FORMAT_A4R4G4B4, &t), DD_OK);
    EXPECT_EQ(t->Width(), 4u);
    EXPECT_EQ(t->Height(), 2u);
    EXPECT_EQ(t->Format(), TEXTURE_FORMAT_A4R4G4B4);
    uint8_t* bits = nullptr;
    int32_t pitch = 0;
    EXPECT_EQ(t->Unlock(), D3DERR_TEXTURE_NOT_LOCKED);
    ASSERT_EQ(t->Lock(TextureLockMode::WriteOnly, &bits, &pitch), DD_OK);
    EXPECT_EQ(pitch, 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(bits[i], 0) << "new textures start cleared";
    EXPECT_EQ(t->Lock(TextureLockMode::ReadOnly, &bits, &pitch), D3DERR_TEXTURE_LOCKED);

    // A locked texture does not draw.
    SurfaceRef target(4, 4, SurfacePixelFormat::X8R8G8B8());
    ASSERT_EQ(device.SetRenderTarget(target.surface), DD_OK);
    ASSERT_EQ(device.BeginScene(), DD_OK);
    ASSERT_EQ(device.SetTexture(t), DD_OK);
    const DeviceVertex quad[4] = {DevVertex(-0.5f, -0.5f), DevVertex(-0.5f, 3.5f), DevVertex(3.5f, -0.5f),
                                  DevVertex(3.5f, 3.5f)};
    EXPECT_EQ(device.DrawPrimitive(PrimitiveType::TriangleStrip, quad, 4), D3DERR_TEXTURE_LOCKED);
    EXPECT_EQ(t->Unlock(), DD_OK);
    device.faults().lockTexture = 1;
    EXPECT_EQ(t->Lock(TextureLockMode::ReadOnly, &bits, &pitch), DDERR_SURFACELOST);
    EXPECT_EQ(t->Lock(TextureLockMode::ReadOnly, &bits, &pitch), DD_OK);
    EXPECT_EQ(t->Unlock(), DD_OK);
    device.EndScene();
}

// The 16-bit formats widen their channels by repeating the bits when drawn.
TEST(SoftwareDevice3D, SixteenBitTexelsDrawWidened)
{
    struct Row {
        TextureFormat format;
        uint16_t texel;
        uint32_t dest, want;
    };
    const Row rows[] = {
        {TEXTURE_FORMAT_A4R4G4B4, 0xFF80, 0x000000, 0xFF8800},
        {TEXTURE_FORMAT_A4R4G4B4, 0x8F00, 0x000000, 0x880000}, // alpha 0x88
        {TEXTURE_FORMAT_R5G6B5, 0xF81F, 0x00FF00, 0xFF00FF},
        {TEXTURE_FORMAT_R5G6B5, 0x0410, 0x000000, 0x008284},
    };
    for (const Row& row : rows) {
        SoftwareDevice3D device;
        std::shared_ptr<DeviceTexture> t;
        ASSERT_EQ(device.CreateTexture(1, 1, row.format, &t), DD_OK);
        uint8_t* bits = nullptr;
        int32_t pitch = 0;
        ASSERT_EQ(t->Lock(TextureLockMode::WriteOnly, &bits, &pitch), DD_OK);
        std::memcpy(bits, &row.texel, 2);
        ASSERT_EQ(t->Unlock(), DD_OK);
        SurfaceRef target(2, 2, SurfacePixelFormat::X8R8G8B8());
        target.surface->SetPixelAt(0, 0, row.dest);
        device.SetRenderTarget(target.surface);
        device.BeginScene();
        device.SetTexture(t);
        const DeviceVertex tri[3] = {DevVertex(-0.5f, -0.5f), DevVertex(1.5f, -0.5f), DevVertex(-0.5f, 1.5f)};
        EXPECT_EQ(device.DrawPrimitive(PrimitiveType::TriangleList, tri, 3), DD_OK);
        device.EndScene();
        EXPECT_EQ(target.surface->PixelAt(0, 0) & 0xFFFFFF, row.want) << std::hex << row.texel;
    }
}

TEST(SoftwareDevice3D, SceneRules)
{
    SoftwareDevice3D device;
    SurfaceRef target(4, 4, SurfacePixelFormat::X8R8G8B8());
    const DeviceVertex tri[3] = {DevVertex(0, 0), DevVertex(3, 0), DevVertex(0, 3)};
    EXPECT_EQ(device.Clear(0xFF000000), D3DERR_INVALID_DEVICE);
    EXPECT_EQ(device.EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(device.BeginScene(), DD_OK);
    EXPECT_EQ(device.BeginScene(), D3DERR_SCENE_IN_SCENE);
    EXPECT_EQ(device.DrawPrimitive(PrimitiveType::TriangleList, tri, 3), D3DERR_INVALID_DEVICE); // no target
    ASSERT_EQ(device.SetRenderTarget(target.surface), DD_OK);
    EXPECT_EQ(device.DrawPrimitive(PrimitiveType::TriangleList, tri, 3), DD_OK);
    EXPECT_EQ(device.DrawPrimitive(PrimitiveType::TriangleList, nullptr, 3), DDERR_INVALIDPARAMS);
    EXPECT_EQ(device.EndScene(), DD_OK);
    EXPECT_FALSE(device.InScene());
    EXPECT_EQ(device.DrawPrimitive(PrimitiveType::TriangleList, tri, 3), D3DERR_SCENE_NOT_IN_SCENE);
    // A locked render target cannot be drawn into.
    device.BeginScene();
    SurfaceDesc desc;
    ASSERT_EQ(target.surface->Lock(&desc, 0), DD_OK);
    EXPECT_EQ(device.DrawPrimitive(PrimitiveType::TriangleList, tri, 3), DDERR_SURFACEBUSY);
    target.surface->Unlock();
    device.faults().draw = 1;
    EXPECT_EQ(device.DrawPrimitive(PrimitiveType::TriangleList, tri, 3), DDERR_SURFACELOST);
    EXPECT_EQ(device.DrawPrimitive(PrimitiveType::TriangleList, tri, 3), DD_OK);
}

TEST(SoftwareDevice3D, RenderTargets)
{
    SoftwareDevice3D device;
    SurfaceRef bgr565(4, 4, SurfacePixelFormat{16, 0x001F, 0x07E0, 0xF800, 0});
    EXPECT_EQ(device.SetRenderTarget(bgr565.surface), DDERR_INVALIDPIXELFORMAT);
    for (const SurfacePixelFormat& f : {SurfacePixelFormat::X8R8G8B8(), SurfacePixelFormat::X8B8G8R8(),
                                        SurfacePixelFormat::R5G6B5(), SurfacePixelFormat::X1R5G5B5()}) {
        SurfaceRef s(4, 4, f);
        EXPECT_EQ(device.SetRenderTarget(s.surface), DD_OK);
    }
    // The device keeps its own reference to the surface it draws into.
    DisplaySurface* kept = nullptr;
    {
        SurfaceRef s(6, 5, SurfacePixelFormat::X8R8G8B8());
        kept = s.surface;
        ASSERT_EQ(device.SetRenderTarget(kept), DD_OK);
        kept->AddRef();
    }
    EXPECT_EQ(kept->Release(), 1u); // the device's
    // Clear fills the viewport only.
    ASSERT_EQ(device.SetViewport({1, 1, 3, 2}), DD_OK);
    EXPECT_EQ(device.Clear(0xFF123456), DD_OK);
    EXPECT_EQ(CountPixels(*kept, 0x123456), 6);
    EXPECT_EQ(device.SetViewport({0, 0, -1, 2}), DDERR_INVALIDPARAMS);
    device.faults().setRenderTarget = 1;
    EXPECT_EQ(device.SetRenderTarget(nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(device.SetRenderTarget(nullptr), DD_OK);
}

TEST(SoftwareDevice3D, PrimitiveKinds)
{
    // Corners of two 4 x 4 pixel cells side by side (pixel edges at -0.5 + 4k).
    const DeviceVertex p[6] = {DevVertex(-0.5f, -0.5f), DevVertex(3.5f, -0.5f), DevVertex(-0.5f, 3.5f),
                               DevVertex(3.5f, 3.5f),   DevVertex(7.5f, -0.5f), DevVertex(7.5f, 3.5f)};
    struct Row {
        const char* name;
        PrimitiveType type;
        std::vector<int> corners;
        int pixels;
    };
    // A cell's upper-left half takes 6 pixels, the lower-right half the 4
    // on the diagonal as well (the top-left rule): 10.
    const Row rows[] = {
        {"list of two triangles", PrimitiveType::TriangleList, {0, 1, 2, 3, 4, 5}, 6 + 10},
        {"list with a partial triangle", PrimitiveType::TriangleList, {0, 1, 2, 3, 4}, 6},
        {"strip: one cell", PrimitiveType::TriangleStrip, {0, 2, 1, 3}, 16},
        {"strip: two cells", PrimitiveType::TriangleStrip, {0, 2, 1, 3, 4, 5}, 32},
        {"fan: one cell", PrimitiveType::TriangleFan, {0, 1, 3, 2}, 16},
        {"two vertices draw no triangle", PrimitiveType::TriangleStrip, {0, 1}, 0},
        {"line strip: a row without its end pixel", PrimitiveType::LineStrip, {0, 1}, 4},
        {"line strip of two segments", PrimitiveType::LineStrip, {0, 1, 4}, 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<DeviceVertex> v;
        for (int i : row.corners)
            v.push_back(p[i]);
        SoftwareDevice3D device;
        SurfaceRef target(8, 4, SurfacePixelFormat::X8R8G8B8());
        device.SetRenderTarget(target.surface);
        device.BeginScene();
        EXPECT_EQ(device.DrawPrimitive(row.type, v.data(), uint32_t(v.size())), DD_OK);
        EXPECT_EQ(CountPixels(*target.surface, 0xFFFFFF), row.pixels);
    }
}

TEST(SoftwareDevice3D, TexturesMayOutliveTheDevice)
{
    std::shared_ptr<DeviceTexture> t;
    {
        SoftwareDevice3D device;
        ASSERT_EQ(device.CreateTexture(8, 8, TEXTURE_FORMAT_A8R8G8B8, &t), DD_OK);
        device.SetTexture(t);
    }
    uint8_t* bits = nullptr;
    int32_t pitch = 0;
    EXPECT_EQ(t->Lock(TextureLockMode::WriteOnly, &bits, &pitch), DD_OK);
    EXPECT_EQ(t->Unlock(), DD_OK);
    t.reset();
}

} // namespace
} // namespace Quib
