// Image textures: sizes, piece layouts, formats, uploads with the edge
// texels repeated, uploads on change, read-back, and the size checks made
// before anything is allocated.
#include "framework/graphics/D3DResult.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/TextureData.h"
#include "tests/support/RecordingDevice3D.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

TextureLimits TexLimits(int max, int min = 1, int aspect = 65536)
{
    TextureLimits l;
    l.maxWidth = l.maxHeight = max;
    l.minWidth = l.minHeight = min;
    l.maxAspect = aspect;
    return l;
}

TEST(TextureSize, ChooseTable)
{
    struct Row {
        int w, h;
        TextureLimits limits;
        TextureSize want;
    };
    const Row rows[] = {
        {1, 1, TexLimits(1024), {1, 1}},
        {100, 50, TexLimits(1024), {128, 64}},
        {64, 64, TexLimits(1024), {64, 64}},
        {65, 3, TexLimits(1024), {128, 4}},
        {1000, 700, TexLimits(1024), {1024, 1024}},
        {3000, 10, TexLimits(1024), {1024, 16}},    // the maximum once reached
        {5, 5, TexLimits(1024, 16), {16, 16}},      // the minimum
        {256, 2, TexLimits(1024, 1, 8), {256, 32}}, // the short side doubled to 1 : 8
        {2, 300, TexLimits(256, 1, 4), {64, 256}},
        {0, 0, TexLimits(1024), {1, 1}},
        {100, 100, TexLimits(64, 64, 1), {64, 64}}, // a device without limits of its own
    };
    for (const Row& row : rows)
        EXPECT_EQ(TextureSize::Choose(row.w, row.h, row.limits), row.want) << row.w << " x " << row.h;
}

TEST(TextureData, LayoutTable)
{
    struct Row {
        const char* name;
        int w, h;
        TextureLimits limits;
        int columns, rows, pieceWidth, pieceHeight;
        float extentU, extentV;
        std::vector<TextureSize> sizes; // row-major
    };
    const Row rows[] = {
        {"one piece under a 1024 limit",
         1000,
         700,
         TexLimits(1024),
         1,
         1,
         1024,
         1024,
         0.9765625f,
         0.68359375f,
         {{1024, 1024}}},
        {"a 256 limit: remainders round up to 256 too", 1000, 700, TexLimits(256), 4, 3, 256, 256, 3.90625f,
         2.734375f, std::vector<TextureSize>(12, TextureSize{256, 256})},
        {"a last column of its own size",
         300,
         40,
         TexLimits(256, 1, 8),
         2,
         1,
         256,
         64,
         300.0f / 256,
         40.0f / 64,
         {{256, 64}, {64, 64}}},
        {"last column, last row and corner",
         300,
         200,
         TexLimits(128),
         3,
         2,
         128,
         128,
         300.0f / 128,
         200.0f / 128,
         {{128, 128}, {128, 128}, {64, 128}, {128, 128}, {128, 128}, {64, 128}}},
        {"an empty image has no pieces", 0, 0, TexLimits(1024), 0, 0, 1, 1, 0, 0, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TextureData data;
        data.ComputeLayout(row.w, row.h, row.limits);
        EXPECT_EQ(data.columns, row.columns);
        EXPECT_EQ(data.rows, row.rows);
        EXPECT_EQ(data.pieceWidth, row.pieceWidth);
        EXPECT_EQ(data.pieceHeight, row.pieceHeight);
        EXPECT_FLOAT_EQ(data.extentU, row.extentU);
        EXPECT_FLOAT_EQ(data.extentV, row.extentV);
        std::vector<TextureSize> sizes;
        for (int r = 0; r < data.rows; ++r)
            for (int c = 0; c < data.columns; ++c)
                sizes.push_back(data.PieceTextureSize(c, r));
        EXPECT_EQ(sizes, row.sizes);
    }
}

// An image of the given pixels, flags up to date.
void FillImage(MemoryImage& image, const std::vector<uint32_t>& pixels, int w, int h, uint32_t flags = 0)
{
    image.textureFlags = flags;
    image.AssignPixels(pixels.data(), w, h, true);
}

struct FormatRow {
    const char* name;
    uint32_t pixel;
    uint32_t flags;
    TextureFormat supported, want;
};

TEST(TextureData, FormatTable)
{
    constexpr TextureFormat all = TEXTURE_FORMAT_A8R8G8B8 | TEXTURE_FORMAT_A4R4G4B4 | TEXTURE_FORMAT_R5G6B5;
    const FormatRow rows[] = {
        {"opaque, 16-bit allowed", 0xFF102030, 0, all, TEXTURE_FORMAT_R5G6B5},
        {"opaque, 16-bit forbidden by flag 8", 0xFF102030, 8, all, TEXTURE_FORMAT_A8R8G8B8},
        {"opaque, no R5G6B5 on the device", 0xFF102030, 0, TEXTURE_FORMAT_A8R8G8B8, TEXTURE_FORMAT_A8R8G8B8},
        {"translucent", 0x80102030, 0, all, TEXTURE_FORMAT_A8R8G8B8},
        {"translucent asking for 4-4-4-4", 0x80102030, 4 | 8, all, TEXTURE_FORMAT_A4R4G4B4},
        {"asking for 4-4-4-4 the device lacks", 0x80102030, 4, TEXTURE_FORMAT_A8R8G8B8, TEXTURE_FORMAT_A8R8G8B8},
        {"no 8-8-8-8 on the device", 0x80102030, 0, TEXTURE_FORMAT_R5G6B5, TEXTURE_FORMAT_A4R4G4B4},
        {"no 8-8-8-8, opaque with flag 8", 0xFF102030, 8, TEXTURE_FORMAT_A4R4G4B4, TEXTURE_FORMAT_A4R4G4B4},
    };
    for (const FormatRow& row : rows) {
        SCOPED_TRACE(row.name);
        DeviceCaps caps = SoftwareDevice3D::DefaultCaps();
        caps.textureFormats = TEXTURE_FORMAT_A8R8G8B8 | TEXTURE_FORMAT_A4R4G4B4 | TEXTURE_FORMAT_R5G6B5;
        SoftwareDevice3D device(caps);
        MemoryImage image(nullptr);
        FillImage(image, std::vector<uint32_t>(6, row.pixel), 3, 2, row.flags);
        TextureData data;
        TextureFormat supported = row.supported;
        EXPECT_EQ(data.CreateTextures(image, device, TexLimits(1024), supported), row.want);
        ASSERT_EQ(data.pieces.size(), 1u);
        EXPECT_EQ(data.pieces[0].texture->Format(), row.want);
    }
}

// The texels of a piece as words (16-bit texels widened to 32 bits as they are).
std::vector<uint32_t> Texels(const TexturePiece& piece)
{
    uint8_t* bits = nullptr;
    int32_t pitch = 0;
    std::vector<uint32_t> out;
    EXPECT_EQ(piece.texture->Lock(TextureLockMode::ReadOnly, &bits, &pitch), DD_OK);
    const uint32_t bytes = TextureFormatBytes(piece.texture->Format());
    for (int y = 0; y < piece.textureHeight; ++y)
        for (int x = 0; x < piece.textureWidth; ++x) {
            uint32_t v = 0;
            std::memcpy(&v, bits + ptrdiff_t(y) * pitch + ptrdiff_t(x) * bytes, bytes);
            out.push_back(v);
        }
    piece.texture->Unlock();
    return out;
}

TEST(TextureData, UploadRepeatsTheEdgeTexels)
{
    SoftwareDevice3D device;
    MemoryImage image(nullptr);
    // 3 x 2 in a 4 x 2 texture: the fourth column repeats the third; the
    // rows fill the texture.
    const std::vector<uint32_t> p = {0x80000001, 0x80000002, 0x80000003, 0x80000004, 0x80000005, 0x80000006};
    FillImage(image, p, 3, 2);
    TextureData data;
    TextureFormat supported = TEXTURE_FORMAT_A8R8G8B8;
    ASSERT_EQ(data.CreateTextures(image, device, TexLimits(1024), supported), TEXTURE_FORMAT_A8R8G8B8);
    EXPECT_EQ(Texels(data.pieces[0]), (std::vector<uint32_t>{p[0], p[1], p[2], p[2], p[3], p[4], p[5], p[5]}));
    EXPECT_EQ(data.textureMemory, 4u * 2 * 4);

    // 3 x 3 in 4 x 4: the fourth row repeats the third.
    MemoryImage tall(nullptr);
    const std::vector<uint32_t> q = {0x81000001, 0x81000002, 0x81000003, 0x81000004, 0x81000005,
                                     0x81000006, 0x81000007, 0x81000008, 0x81000009};
    FillImage(tall, q, 3, 3);
    TextureData data2;
    ASSERT_EQ(data2.CreateTextures(tall, device, TexLimits(1024), supported), TEXTURE_FORMAT_A8R8G8B8);
    EXPECT_EQ(Texels(data2.pieces[0]), (std::vector<uint32_t>{q[0], q[1], q[2], q[2], q[3], q[4], q[5], q[5], q[6],
                                                              q[7], q[8], q[8], q[6], q[7], q[8], q[8]}));

    // Pieces of a cut image: each holds its own part, the last column its
    // remainder with the edge repeated.
    MemoryImage wide(nullptr);
    std::vector<uint32_t> r(7 * 2);
    for (size_t i = 0; i < r.size(); ++i)
        r[i] = 0xFF000000u | uint32_t(i + 1);
    FillImage(wide, r, 7, 2, 8);
    TextureData data3;
    ASSERT_EQ(data3.CreateTextures(wide, device, TexLimits(4), supported), TEXTURE_FORMAT_A8R8G8B8);
    ASSERT_EQ(data3.pieces.size(), 2u);
    EXPECT_EQ(Texels(data3.pieces[0]), (std::vector<uint32_t>{r[0], r[1], r[2], r[3], r[7], r[8], r[9], r[10]}));
    EXPECT_EQ(Texels(data3.pieces[1]), (std::vector<uint32_t>{r[4], r[5], r[6], r[6], r[11], r[12], r[13], r[13]}));
}

TEST(TextureData, SixteenBitConversionsAndReadBack)
{
    struct Row {
        TextureFormat format;
        uint32_t flags, pixel, texel, readBack;
    };
    const Row rows[] = {
        {TEXTURE_FORMAT_A4R4G4B4, 4, 0x8C4D6E7F, 0x8467, 0x80406070},
        {TEXTURE_FORMAT_R5G6B5, 0, 0xFFFF8040, 0xFC08, 0xFFF88040},
        {TEXTURE_FORMAT_R5G6B5, 0, 0xFF0F0703, 0x0820, 0xFF080400},
        {TEXTURE_FORMAT_A8R8G8B8, 8, 0x12345678, 0x12345678, 0x12345678},
    };
    for (const Row& row : rows) {
        SoftwareDevice3D device;
        MemoryImage image(nullptr);
        FillImage(image, std::vector<uint32_t>(4, row.pixel), 2, 2, row.flags);
        TextureData data;
        TextureFormat supported = TEXTURE_FORMAT_A8R8G8B8 | TEXTURE_FORMAT_A4R4G4B4 | TEXTURE_FORMAT_R5G6B5;
        ASSERT_EQ(data.CreateTextures(image, device, TexLimits(1024), supported), row.format);
        EXPECT_EQ(Texels(data.pieces[0])[0], row.texel) << std::hex << row.pixel;
        std::vector<uint32_t> back(4);
        ASSERT_TRUE(data.ReadPixelsBack(image, back.data()));
        EXPECT_EQ(back, std::vector<uint32_t>(4, row.readBack)) << std::hex << row.pixel;
    }
}

TEST(TextureData, RefreshUploadsChangesAndLaysOutAgainOnlyWhenNeeded)
{
    RecordingDevice3D device;
    MemoryImage image(nullptr);
    std::vector<uint32_t> p(8, 0xFF000010);
    FillImage(image, p, 4, 2, 8);
    TextureData data;
    TextureFormat supported = TEXTURE_FORMAT_A8R8G8B8 | TEXTURE_FORMAT_R5G6B5;
    data.Refresh(image, device, TexLimits(1024), supported);
    EXPECT_EQ(device.Calls("CreateTexture").size(), 1u);
    EXPECT_TRUE(data.HoldsPicture(image));
    data.Refresh(image, device, TexLimits(1024), supported);
    EXPECT_EQ(device.Calls("CreateTexture").size(), 1u);

    // An edit is uploaded into the same texture.
    const DeviceTexture* before = data.pieces[0].texture.get();
    image.Pixels()[1] = 0xFF00FF00;
    image.NotePixelsEdited();
    EXPECT_FALSE(data.HoldsPicture(image));
    data.Refresh(image, device, TexLimits(1024), supported);
    EXPECT_EQ(device.Calls("CreateTexture").size(), 1u);
    EXPECT_EQ(data.pieces[0].texture.get(), before);
    EXPECT_EQ(Texels(data.pieces[0])[1], 0xFF00FF00u);

    // New flags or a new size lay the image out again.
    image.textureFlags = 0; // now a 16-bit texture
    data.Refresh(image, device, TexLimits(1024), supported);
    EXPECT_EQ(device.Calls("CreateTexture").size(), 2u);
    EXPECT_EQ(data.format, TEXTURE_FORMAT_R5G6B5);
    FillImage(image, std::vector<uint32_t>(9, 0xFF0000FF), 3, 3);
    data.Refresh(image, device, TexLimits(1024), supported);
    EXPECT_EQ(device.Calls("CreateTexture").back(), "CreateTexture 4x4 4");
}

TEST(TextureData, ReadBackNeedsTheCurrentPicture)
{
    SoftwareDevice3D device;
    MemoryImage image(nullptr);
    std::vector<uint32_t> p = {0x11223344, 0x55667788, 0x99AABBCC, 0xDDEEFF00, 0x01020304, 0x05060708};
    FillImage(image, p, 3, 2, 8);
    TextureData data;
    TextureFormat supported = TEXTURE_FORMAT_A8R8G8B8;
    ASSERT_EQ(data.CreateTextures(image, device, TexLimits(2), supported), TEXTURE_FORMAT_A8R8G8B8);
    ASSERT_EQ(data.pieces.size(), 2u);
    std::vector<uint32_t> back(6);
    ASSERT_TRUE(data.ReadPixelsBack(image, back.data()));
    EXPECT_EQ(back, p);
    image.NotePixelsEdited();
    EXPECT_FALSE(data.ReadPixelsBack(image, back.data()));
    // A texture that cannot be read gives no picture.
    data.Refresh(image, device, TexLimits(2), supported);
    device.faults().lockTexture = 1;
    ClearD3DErrorText();
    EXPECT_FALSE(data.ReadPixelsBack(image, back.data()));
    EXPECT_EQ(D3DErrorText(), "Lock Texture: DDERR_SURFACELOST");
    ClearD3DErrorText();
}

// Layouts too large for the device are refused before any texture is made,
// and the refusal is recorded so that drawing leaves the device.
TEST(TextureData, OversizedLayoutsAreRefusedBeforeAllocating)
{
    struct Row {
        const char* name;
        int w, h;
        TextureLimits limits;
    };
    TextureLimits small = TexLimits(1024);
    small.memory = 1 << 20;
    const Row rows[] = {
        {"more texture memory than the device has", 1024, 512, small},
        {"more pieces than are ever made", 300, 300, TexLimits(1)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ClearD3DErrorText();
        RecordingDevice3D device;
        MemoryImage image(nullptr);
        FillImage(image, std::vector<uint32_t>(size_t(row.w) * size_t(row.h), 0xFF000000), row.w, row.h, 8);
        TextureData data;
        TextureFormat supported = TEXTURE_FORMAT_A8R8G8B8;
        EXPECT_EQ(data.CreateTextures(image, device, row.limits, supported), 0u);
        EXPECT_TRUE(device.Calls("CreateTexture").empty());
        EXPECT_TRUE(data.pieces.empty());
        EXPECT_EQ(D3DErrorText(), "CreateTexture: DDERR_OUTOFVIDEOMEMORY");
        EXPECT_FALSE(data.HoldsPicture(image));
    }
    ClearD3DErrorText();
}

TEST(TextureData, FailedCreationLeavesNoTexturesAndIsRecorded)
{
    ClearD3DErrorText();
    SoftwareDevice3D device;
    MemoryImage image(nullptr);
    FillImage(image, std::vector<uint32_t>(6 * 2, 0xFF000000), 6, 2, 8);
    TextureData data;
    TextureFormat supported = TEXTURE_FORMAT_A8R8G8B8;
    device.faults().createTexture = 1;
    EXPECT_EQ(data.CreateTextures(image, device, TexLimits(4), supported), 0u);
    EXPECT_EQ(D3DErrorText(), "CreateTexture: DDERR_OUTOFVIDEOMEMORY");
    EXPECT_FALSE(data.HoldsPicture(image));
    // The next attempt builds the whole record again.
    data.Refresh(image, device, TexLimits(4), supported);
    EXPECT_EQ(data.format, TEXTURE_FORMAT_A8R8G8B8);
    EXPECT_EQ(data.pieces.size(), 2u);
    EXPECT_TRUE(data.HoldsPicture(image));
    ClearD3DErrorText();
}

} // namespace
} // namespace Quib
