#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "tests/support/SurfaceReference.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

// Resets the injected surface failures after each test.
struct ScopedFaults {
    ~ScopedFaults()
    {
        GetSurfaceFaults().failCreate = 0;
        GetSurfaceFaults().failLock = 0;
    }
};

class DDImageStorage : public DisplayLayoutTest {
protected:
    DDInterface* Display() { return app.display.get(); }
    void Assign(DDImage& image, const std::vector<uint32_t>& words, int w, int h)
    {
        image.AssignPixels(words.data(), w, h, true);
    }
    static bool KeyOf(DDImage& image, uint32_t& key)
    {
        SurfaceColorKey k;
        if (Failed(image.surface->GetColorKey(DDCKEY_SRCBLT, &k)))
            return false;
        EXPECT_EQ(k.low, k.high);
        key = k.low;
        return true;
    }

    ScopedFaults faults;
};

INSTANTIATE_TEST_SUITE_P(Displays, DDImageStorage, ::testing::ValuesIn(kDisplayLayouts), DisplayLayoutName);

TEST_P(DDImageStorage, RegisteredInBothSetsForItsLife)
{
    {
        DDImage image(Display());
        EXPECT_EQ(Display()->images.count(&image), 1u);
        EXPECT_EQ(app.imageSet.count(&image), 1u);
        EXPECT_EQ(image.display, Display());
        EXPECT_FALSE(image.surface || image.surfaceAttached || image.noSurfaceAccess || image.preferVideoMemory ||
                     image.colorKeyFromFirstPixel || image.keepOnSurface || image.softwareOnly);
        EXPECT_EQ(image.lockCount, 0);
        DDImage own; // the application's display
        EXPECT_EQ(own.display, Display());
    }
    EXPECT_TRUE(Display()->images.empty());
    EXPECT_TRUE(app.imageSet.empty());
}

TEST_P(DDImageStorage, ImagesMadeOnSeveralThreadsAtOnce)
{
    // Images are made on the loading thread while the main thread draws.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([this] {
            const std::vector<uint32_t> words(16, 0x80FF0000);
            for (int i = 0; i < 50; ++i) {
                DDImage image(Display());
                image.AssignPixels(words.data(), 4, 4, true);
                EXPECT_TRUE(image.CreateSurface());
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_TRUE(Display()->images.empty());
    EXPECT_TRUE(app.imageSet.empty());
}

TEST_P(DDImageStorage, SurfaceMadeFromTheBits)
{
    const std::vector<uint32_t> words = {0xFF102030, 0xFFFFFFFF, 0xFF000000, 0xFF8090A0};
    DDImage image(Display());
    Assign(image, words, 2, 2);
    ASSERT_NE(image.EnsureSurface(), nullptr);
    EXPECT_TRUE(image.keepOnSurface);
    EXPECT_FALSE(image.surface->InVideoMemory());
    EXPECT_EQ(image.surface->Format().bitCount, uint32_t(GetParam().bitCount));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(image.surface->PixelAt(i % 2, i / 2), OnSurface(words[i])) << i;
    // All opaque: no key.
    uint32_t key;
    EXPECT_FALSE(KeyOf(image, key));
    EXPECT_EQ(image.lockCount, 0);
    EXPECT_FALSE(image.surface->IsLocked());
    // The bits stay beside the surface.
    EXPECT_TRUE(image.bits);
}

TEST_P(DDImageStorage, ColourKeyCases)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> words;
        bool keyed;
    };
    const Case cases[] = {
        {"first non-opaque", {0xFF102030, 0x00405060, 0x80708090, 0xFFA0B0C0}, true},
        {"translucent only", {0xFF102030, 0x80405060, 0x10708090, 0xFFA0B0C0}, false},
        {"all opaque", {0xFF102030, 0xFF405060, 0xFF000000, 0xFFA0B0C0}, false},
    };
    for (const Case& c : cases) {
        DDImage image(Display());
        Assign(image, c.words, 4, 1);
        ASSERT_TRUE(image.CreateSurface()) << c.name;
        uint32_t key = 0;
        EXPECT_EQ(KeyOf(image, key), c.keyed) << c.name;
        for (int i = 0; i < 4; ++i) {
            const uint32_t a = c.words[i] >> 24;
            // Every pixel below 255 is the key in a keyed surface, translucent
            // ones included; otherwise the colour with alpha dropped.
            const uint32_t want = c.keyed && a != 255 ? OnSurface(c.words[1]) : OnSurface(c.words[i]);
            EXPECT_EQ(image.surface->PixelAt(i, 0), want) << c.name << " " << i;
        }
        if (c.keyed) {
            EXPECT_EQ(key, OnSurface(c.words[1])) << c.name;
        }
    }
}

TEST_P(DDImageStorage, OpaquePixelOnTheKeyMovesTheKeyToTheLowestFreeValue)
{
    // The transparent pixel's colour is also an opaque pixel's colour.
    const std::vector<uint32_t> words = {0x00000000, 0xFF000000, 0xFF000001 | (1u << 16) | (1u << 8), 0xFF102030};
    DDImage image(Display());
    Assign(image, words, 4, 1);
    ASSERT_TRUE(image.CreateSurface());
    uint32_t key;
    ASSERT_TRUE(KeyOf(image, key));
    // 0 is taken by the black pixel; the lowest value no pixel converts to.
    std::vector<uint32_t> used;
    for (int i = 1; i < 4; ++i)
        used.push_back(OnSurface(words[i]));
    uint32_t lowest = 0;
    while (std::find(used.begin(), used.end(), lowest) != used.end())
        ++lowest;
    EXPECT_EQ(key, lowest);
    EXPECT_EQ(image.surface->PixelAt(0, 0), key);
    EXPECT_EQ(image.surface->PixelAt(1, 0), 0u);
}

TEST_P(DDImageStorage, OpaquePixelsNeverTurnIntoTheKey)
{
    // In reversed channel order, the raw word of the transparent pixel is
    // what the opaque pixel converts to. Key and pixels compare in one form,
    // so the opaque pixel stays visible through a keyed blit.
    const std::vector<uint32_t> words = {0x00112233, 0xFF332211, 0xFF112233};
    DDImage image(Display());
    Assign(image, words, 3, 1);
    ASSERT_TRUE(image.CreateSurface());
    uint32_t key;
    ASSERT_TRUE(KeyOf(image, key));
    EXPECT_NE(image.surface->PixelAt(1, 0), key);
    EXPECT_NE(image.surface->PixelAt(2, 0), key);
    DDImage dest(Display());
    const std::vector<uint32_t> grey(3, 0xFF808080);
    Assign(dest, grey, 3, 1);
    ASSERT_TRUE(dest.CreateSurface());
    dest.PutImage(&image, 0, 0, Rect(0, 0, 3, 1), Color::White, 0);
    EXPECT_EQ(dest.surface->PixelAt(0, 0), OnSurface(0x808080));
    EXPECT_EQ(dest.surface->PixelAt(1, 0), OnSurface(words[1]));
    EXPECT_EQ(dest.surface->PixelAt(2, 0), OnSurface(words[2]));
}

TEST(DDImageKeys, PictureUsingEveryValueGetsNoKeyAndStillDrawsTransparently)
{
    QuibAppBase app;
    MakeTestDisplay(app, kDisplayLayouts[2]); // R5G6B5
    // 65536 opaque pixels, one per 16-bit value, and transparent ones.
    const int w = 257, h = 256;
    std::vector<uint32_t> words(size_t(w) * h, 0x00FF0000);
    for (uint32_t v = 0; v < 65536; ++v) {
        const uint32_t r = ((v >> 11) & 0x1F) << 3, g = ((v >> 5) & 0x3F) << 2, b = (v & 0x1F) << 3;
        words[size_t(v / 256) * w + v % 256] = 0xFF000000 | (r << 16) | (g << 8) | b;
    }
    DDImage image(app.display.get());
    image.AssignPixels(words.data(), w, h, true);
    ASSERT_TRUE(image.CreateSurface());
    SurfaceColorKey key;
    EXPECT_EQ(image.surface->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOCOLORKEY);
    EXPECT_TRUE(image.keyUnavailable);
    // Drawn onto another surface, the transparent column leaves the
    // destination alone and the picture's own pixels all arrive.
    DDImage dest(app.display.get());
    const std::vector<uint32_t> blue(size_t(w) * 2, 0xFF0000FF);
    dest.AssignPixels(blue.data(), w, 2, true);
    ASSERT_TRUE(dest.CreateSurface());
    dest.PutImage(&image, 0, 0, Rect(0, 0, w, 2), Color::White, 0);
    EXPECT_EQ(dest.surface->PixelAt(256, 0), 0x001Fu);
    EXPECT_EQ(dest.surface->PixelAt(0, 0), 0u);
    EXPECT_EQ(dest.surface->PixelAt(255, 1), 511u);
}

TEST_P(DDImageStorage, ColourKeyFromFirstPixel)
{
    const std::vector<uint32_t> words = {0xFF00FF00, 0x00000000, 0xFF00FF00, 0xFF102030};
    DDImage image(Display());
    image.colorKeyFromFirstPixel = true;
    Assign(image, words, 4, 1);
    ASSERT_TRUE(image.CreateSurface());
    uint32_t key;
    ASSERT_TRUE(KeyOf(image, key));
    EXPECT_EQ(key, OnSurface(words[0]));
    // Every pixel is written converted.
    EXPECT_EQ(image.surface->PixelAt(1, 0), 0u);
    image.surface->SetPixelAt(0, 0, OnSurface(0x102030));
    EXPECT_TRUE(image.SetColorKeyFromFirstPixel());
    ASSERT_TRUE(KeyOf(image, key));
    EXPECT_EQ(key, OnSurface(0x102030));
    // Refused without the option.
    image.colorKeyFromFirstPixel = false;
    EXPECT_FALSE(image.SetColorKeyFromFirstPixel());
}

TEST_P(DDImageStorage, LocksNest)
{
    DDImage image(Display());
    image.Resize(3, 3);
    ASSERT_TRUE(image.AcquireSurfaceLock());
    ASSERT_TRUE(image.AcquireSurfaceLock());
    EXPECT_EQ(image.lockCount, 2);
    EXPECT_TRUE(image.surface->IsLocked());
    EXPECT_NE(image.lockDesc.bits, nullptr);
    EXPECT_EQ(image.lockDesc.format.bitCount, uint32_t(GetParam().bitCount));
    EXPECT_TRUE(image.ReleaseSurfaceLock());
    EXPECT_TRUE(image.surface->IsLocked());
    EXPECT_TRUE(image.ReleaseSurfaceLock());
    EXPECT_FALSE(image.surface->IsLocked());
    // A release without an acquisition changes nothing.
    EXPECT_FALSE(image.ReleaseSurfaceLock());
    EXPECT_EQ(image.lockCount, 0);
    // A failed lock does not count.
    GetSurfaceFaults().failLock = 2;
    EXPECT_FALSE(image.AcquireSurfaceLock());
    EXPECT_EQ(image.lockCount, 0);
    EXPECT_EQ(image.Pixels(), nullptr); // no bits, and the surface cannot be read
    EXPECT_NE(image.Pixels(), nullptr);
}

TEST_P(DDImageStorage, RenderTargetNeverLocks)
{
    DDImage image(Display());
    image.Resize(2, 2);
    ASSERT_TRUE(image.CreateSurface());
    Display()->is3D = true;
    Display()->drawSurface = image.surface;
    EXPECT_TRUE(image.IsRenderTarget());
    EXPECT_FALSE(image.AcquireSurfaceLock());
    EXPECT_FALSE(image.ReleaseSurfaceLock());
    EXPECT_EQ(image.lockCount, 0);
    EXPECT_FALSE(image.surface->IsLocked());
    Display()->is3D = false;
    EXPECT_FALSE(image.IsRenderTarget());
    Display()->drawSurface = nullptr;
}

TEST_P(DDImageStorage, InjectedCreateFailureKeepsThePixels)
{
    const std::vector<uint32_t> words(6, 0xFF405060);
    DDImage image(Display());
    Assign(image, words, 3, 2);
    GetSurfaceFaults().failCreate = 1;
    image.FillRectangle(Rect(0, 0, 3, 2), Color(255, 0, 0), 0);
    EXPECT_EQ(image.surface, nullptr);
    ASSERT_TRUE(image.bits);
    EXPECT_EQ(std::vector<uint32_t>(image.bits.get(), image.bits.get() + 6), words);
    EXPECT_EQ(image.EnsureSurface() != nullptr, true); // the next try succeeds
    // A failed first lock gives the unfilled surface up, so that the next
    // surface draw starts from the bits and keeps the rest of the picture.
    DDImage other(Display());
    Assign(other, words, 3, 2);
    GetSurfaceFaults().failLock = 1;
    EXPECT_FALSE(other.CreateSurface());
    EXPECT_EQ(other.surface, nullptr);
    ASSERT_TRUE(other.bits);
    other.FillRectangle(Rect(0, 0, 1, 1), Color(255, 0, 0), 0);
    ASSERT_NE(other.surface, nullptr);
    EXPECT_EQ(other.surface->PixelAt(2, 1), OnSurface(0xFF405060));
}

TEST_P(DDImageStorage, SurfaceDrawingLeavesTheSurfaceAsTheOnlyCopy)
{
    const std::vector<uint32_t> words(6, 0xFF000000);
    DDImage image(Display());
    Assign(image, words, 3, 2);
    image.FillRectangle(Rect(1, 0, 2, 2), Color(255, 255, 255), 1); // additive white
    ASSERT_NE(image.surface, nullptr);
    EXPECT_FALSE(image.bits || image.nativeAlpha || image.rlAlpha || image.palette);
    // Read back on demand; the surface is kept.
    uint32_t* p = image.Pixels();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 0xFF000000u);
    EXPECT_EQ(p[1] & 0xF0F0F0, 0xF0F0F0u);
    EXPECT_EQ(p[6], kImageGuardWord);
    EXPECT_NE(image.surface, nullptr);
}

TEST_P(DDImageStorage, DrawModeTwoFillDrawsNothingButFreesTheCopies)
{
    const std::vector<uint32_t> words(4, 0xFF102030);
    DDImage image(Display());
    Assign(image, words, 2, 2);
    ASSERT_TRUE(image.CreateSurface());
    image.FillRectangle(Rect(0, 0, 2, 2), Color(255, 0, 0), 2);
    ASSERT_NE(image.surface, nullptr);
    EXPECT_FALSE(image.bits);
    EXPECT_EQ(image.surface->PixelAt(1, 1), OnSurface(0x102030));
}

TEST_P(DDImageStorage, AxisLinesBecomeFills)
{
    struct Case {
        double x1, y1, x2, y2;
        Rect covered;
    };
    for (Case c : {Case{7.6, 2.2, 1.3, 2.2, Rect(1, 2, 7, 1)}, Case{3.5, 4.9, 3.5, 0.2, Rect(3, 0, 1, 5)},
                   Case{4.0, 4.0, 4.0, 4.0, Rect(4, 4, 1, 1)}}) {
        const std::vector<uint32_t> words(100, 0xFF000000);
        DDImage image(Display());
        Assign(image, words, 10, 10);
        image.DrawLineSegment(c.x1, c.y1, c.x2, c.y2, Color(255, 255, 255), 0);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                EXPECT_EQ(image.surface->PixelAt(x, y) != 0, c.covered.Contains(x, y)) << x << "," << y;
    }
}

TEST_P(DDImageStorage, StaleFlagsWhileTheSurfaceLives)
{
    std::vector<uint32_t> words(4, 0xFF102030);
    DDImage image(Display());
    Assign(image, words, 2, 2);
    ASSERT_TRUE(image.CreateSurface());
    image.bits[0] = 0; // made transparent behind the flags
    image.bitsChanged = true;
    image.ApplyBitsChange();
    EXPECT_FALSE(image.hasTrans);
    image.NotePixelsEdited(); // drops the surface
    EXPECT_EQ(image.surface, nullptr);
    image.ApplyBitsChange();
    EXPECT_TRUE(image.hasTrans);
}

TEST_P(DDImageStorage, SoftwareEditSurvivesTheNextSurfaceDraw)
{
    // A clear goes into the bits; the following fill goes onto the surface.
    for (const bool attached : {false, true}) {
        SCOPED_TRACE(attached ? "attached surface" : "own surface");
        DDImage image(Display());
        DisplaySurface* own = nullptr;
        if (attached) {
            SurfaceDesc desc;
            desc.flags = DDSD_WIDTH | DDSD_HEIGHT;
            desc.width = 4;
            desc.height = 3;
            ASSERT_EQ(Display()->CreateSurface(desc, &own), DD_OK);
            image.AttachSurface(own);
            own->Release();
        } else {
            Assign(image, std::vector<uint32_t>(12, 0xFF000000), 4, 3);
            ASSERT_TRUE(image.CreateSurface());
        }
        image.FillRectangle(Rect(0, 0, 4, 3), Color(255, 255, 255), 0);
        ASSERT_FALSE(image.bits);
        Graphics g(&image);
        g.ClearArea(1, 1, 2, 1);
        image.FillRectangle(Rect(0, 0, 1, 1), Color(255, 0, 0), 0);
        // Attached, the fill went onto the surface, which is read back here.
        EXPECT_EQ(!image.bits, attached);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x) {
                const uint32_t want = y == 1 && (x == 1 || x == 2) ? 0 : x == 0 && y == 0 ? 0xFF0000 : 0xFFFFFF;
                // The top bit of each channel survives every surface layout.
                EXPECT_EQ(image.GetPixel(x, y) & 0x808080, want & 0x808080) << x << "," << y;
            }
        }
    }
}

TEST_P(DDImageStorage, ResizeDropsSurfaceAndBits)
{
    const std::vector<uint32_t> words(4, 0xFF102030);
    DDImage image(Display());
    Assign(image, words, 2, 2);
    image.TryPalettize();
    ASSERT_TRUE(image.CreateSurface());
    image.Resize(3, 5);
    EXPECT_EQ(image.surface, nullptr);
    EXPECT_FALSE(image.bits || image.palette || image.paletteIndices);
    uint32_t* p = image.Pixels();
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(p[i], 0u);
}

TEST_P(DDImageStorage, DropSurfaceReadsBackWhenItIsTheOnlyCopy)
{
    const std::vector<uint32_t> words(4, 0xFF000000);
    DDImage image(Display());
    Assign(image, words, 2, 2);
    image.FillRectangle(Rect(0, 0, 1, 1), Color(255, 255, 255), 1);
    ASSERT_FALSE(image.bits);
    image.DropSurface();
    EXPECT_EQ(image.surface, nullptr);
    ASSERT_TRUE(image.bits);
    EXPECT_NE(image.bits[0] & 0xFFFFFF, 0u);
    EXPECT_EQ(image.bits[1], 0xFF000000u);
}

TEST_P(DDImageStorage, AttachSurfaceAdoptsItsSize)
{
    SurfaceDesc desc;
    desc.flags = DDSD_WIDTH | DDSD_HEIGHT;
    desc.width = 7;
    desc.height = 5;
    DisplaySurface* surface = nullptr;
    ASSERT_EQ(Display()->CreateSurface(desc, &surface), DD_OK);
    {
        DDImage screen(Display());
        screen.noSurfaceAccess = true;
        screen.AttachSurface(surface);
        EXPECT_TRUE(screen.surfaceAttached);
        EXPECT_FALSE(screen.noSurfaceAccess);
        EXPECT_EQ(screen.width, 7);
        EXPECT_EQ(screen.height, 5);
        // An attached surface stays through edits and cache releases.
        screen.ReleaseCaches();
        screen.NotePixelsEdited();
        EXPECT_EQ(screen.surface, surface);
        EXPECT_EQ(surface->AddRef(), 3u);
        surface->Release();
    }
    EXPECT_EQ(surface->Release(), 0u);
}

TEST_P(DDImageStorage, StorageOptions)
{
    const std::vector<uint32_t> words(4, 0xFF102030);
    DDImage image(Display());
    Assign(image, words, 2, 2);
    // Video memory: made again in the other memory on next use.
    image.PreferVideoMemory(true);
    ASSERT_TRUE(image.CreateSurface());
    EXPECT_TRUE(image.surface->InVideoMemory());
    image.PreferVideoMemory(false);
    EXPECT_EQ(image.surface, nullptr);
    ASSERT_TRUE(image.bits);
    // ReleaseBits with a wanted surface keeps only the surface.
    image.keepOnSurface = true;
    image.ReleaseBits();
    EXPECT_TRUE(image.purgeBits);
    EXPECT_NE(image.surface, nullptr);
    EXPECT_FALSE(image.bits);
    // In 3-D mode the surface is read back and given up.
    Display()->is3D = true;
    image.ReleaseBits();
    EXPECT_EQ(image.surface, nullptr);
    Display()->is3D = false;
    EXPECT_EQ(image.GetPixel(1, 1) >> 24, 0xFFu);
    // Palettizing drops the surface; reapplying the options makes it again.
    ASSERT_TRUE(image.CreateSurface());
    EXPECT_TRUE(image.TryPalettize());
    EXPECT_EQ(image.surface, nullptr);
    image.ReapplyStorageOptions();
    EXPECT_NE(image.surface, nullptr);
}

TEST_P(DDImageStorage, ReadBackConvertsEachChannel)
{
    DDImage image(Display());
    image.Resize(2, 1);
    ASSERT_TRUE(image.CreateSurface());
    image.DropMemoryCopies();
    const uint32_t value = OnSurface(0xFFF8FCF8);
    image.surface->SetPixelAt(0, 0, value);
    uint32_t* p = image.Pixels();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 0xFFF8FCF8u & (Wide() ? 0xFFFFFFFFu : GetParam().greenMask == 0x07E0 ? 0xFFF8FCF8u : 0xFFF8F8F8u));
    EXPECT_EQ(p[1], 0xFF000000u);
    // No surface access: nothing to read.
    image.DropMemoryCopies();
    image.noSurfaceAccess = true;
    EXPECT_EQ(image.Pixels(), nullptr);
}

TEST(DDInterfaceSurfaces, CreateSurfaceNeedsA16Or32BitDisplay)
{
    QuibAppBase app;
    app.display = std::make_unique<DDInterface>(&app);
    SurfaceDesc desc;
    desc.flags = DDSD_WIDTH | DDSD_HEIGHT;
    desc.width = desc.height = 4;
    DisplaySurface* surface = reinterpret_cast<DisplaySurface*>(&desc);
    EXPECT_EQ(app.display->CreateSurface(desc, &surface), DDERR_INVALIDPIXELFORMAT);
    EXPECT_EQ(surface, nullptr);
    DDImage image(app.display.get());
    image.Resize(4, 4);
    EXPECT_FALSE(image.CreateSurface());
    EXPECT_EQ(image.EnsureSurface(), nullptr);
    ASSERT_TRUE(app.display->SetPixelFormat(16, 0xF800, 0x07E0, 0x1F));
    ASSERT_EQ(app.display->CreateSurface(desc, &surface), DD_OK);
    EXPECT_EQ(surface->Format(), SurfacePixelFormat::R5G6B5());
    surface->Release();
}

} // namespace
} // namespace Quib
