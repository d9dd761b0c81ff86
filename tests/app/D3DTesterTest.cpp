// The 3-D capability test on the software device and on adapters made to
// misbehave: identification, the memory limits, the card lists, the pattern
// tests and their read-back, and the cache in the settings file.
#include "framework/app/D3DTester.h"
#include "framework/graphics/SoftwareDevice3D.h"
#include "framework/graphics/SoftwareGraphicsAdapter.h"
#include "platform/SettingsFile.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "tests/support/RecordingDevice3D.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/time.h>

#include <cstring>
#include <ctime>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>

namespace Quib {
namespace {

using namespace Testing;

// The software device behind an adapter whose identity, memory and device
// the test chooses.
class FakeAdapter : public GraphicsAdapter {
public:
    HRESULT Identify(AdapterIdentity* out) override
    {
        if (Failed(identifyResult))
            return identifyResult;
        *out = identity;
        return DD_OK;
    }
    HRESULT GetAvailableVideoMemory(uint64_t* total, uint64_t* free) override
    {
        *total = *free = memory;
        return memoryResult;
    }
    HRESULT CreateDevice(uint32_t, uint32_t, std::unique_ptr<Device3D>* out) override
    {
        ++devicesMade;
        auto device = makeDevice ? makeDevice() : std::make_unique<RecordingDevice3D>(caps);
        last = dynamic_cast<RecordingDevice3D*>(device.get());
        *out = std::move(device);
        return DD_OK;
    }

    AdapterIdentity identity{IdentityGuid("fake"), "", "NVIDIA Test Card"};
    HRESULT identifyResult = DD_OK;
    uint64_t memory = uint64_t(256) << 20;
    HRESULT memoryResult = DD_OK;
    DeviceCaps caps = SoftwareDevice3D::DefaultCaps();
    std::function<std::unique_ptr<Device3D>()> makeDevice;
    int devicesMade = 0;
    RecordingDevice3D* last = nullptr;
};

// A device whose blending goes wrong: every set-up adds.
class AddingDevice : public RecordingDevice3D {
public:
    HRESULT SetBlend(BlendFactor, BlendFactor) override
    {
        return device.SetBlend(BlendFactor::One, BlendFactor::One);
    }
};

// A device that draws whatever starts left of the target a pixel too far
// right: the clipping pattern's columns come out swapped.
class ShiftingDevice : public RecordingDevice3D {
public:
    HRESULT DrawPrimitive(PrimitiveType type, const DeviceVertex* v, uint32_t count) override
    {
        std::vector<DeviceVertex> moved(v, v + count);
        const bool clipped = std::any_of(moved.begin(), moved.end(),
                                         [](const DeviceVertex& d) { return d.x < -1; });
        for (DeviceVertex& d : moved)
            d.x += clipped ? 1.0f : 0.0f;
        return RecordingDevice3D::DrawPrimitive(type, moved.data(), count);
    }
};

class D3DTesterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen.screen = ScreenMetrics{1024, 768, {0, 0, 1024, 768}, 60, 32};
        SetWindowSystem(&screen);
    }
    void TearDown() override { SetWindowSystem(nullptr); }

    // A tester with the cache in the settings file.
    std::unique_ptr<D3DTester> Tester()
    {
        auto t = std::make_unique<D3DTester>();
        t->settings = &settings;
        return t;
    }

    HeadlessWindowSystem screen;
    TempDir dir;
    ScopedWorkingDirectory cwd{dir.Path()};
    SettingsFile settings{dir / "settings.txt"};
    FakeAdapter adapter;
};

TEST_F(D3DTesterTest, TheSoftwareDevicePassesCleanAndTheCacheIsReadBack)
{
    SoftwareGraphicsAdapter software;
    auto tester = Tester();
    tester->RunWithCache(&software);
    EXPECT_TRUE(tester->IsClean()) << tester->failureReason << " / " << tester->warning;
    EXPECT_TRUE(tester->freshResult);
    EXPECT_GE(tester->driverYear, 2002); // the program is its driver
    // The picture the last pattern left: one-pixel columns, from the
    // software device.
    EXPECT_EQ(tester->testImage.At(0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(tester->testImage.At(1, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(tester->Device(), nullptr); // released at the end

    int32_t value = 0;
    EXPECT_TRUE(settings.ReadDWord("Test3D\\Version", value));
    EXPECT_EQ(value, 2);
    EXPECT_TRUE(settings.ReadDWord("Test3D\\MinVidMemory", value));
    EXPECT_EQ(value, 6);
    EXPECT_TRUE(settings.ReadDWord("Test3D\\RecVidMemory", value));
    EXPECT_EQ(value, 14);
    SettingsValue stored;
    ASSERT_TRUE(settings.Read("Test3D\\DisplayGUID", stored));
    EXPECT_EQ(stored.type, REG_BINARY);
    EXPECT_EQ(stored.data.size(), 16u);
    ASSERT_TRUE(settings.Read("Test3D\\FailureReason", stored));
    EXPECT_EQ(stored.type, REG_SZ);
    EXPECT_EQ(stored.data, std::vector<uint8_t>{0}); // empty, with its terminator

    // The next run on the same adapter with the same limits takes the
    // cache (from the file, as a new run of the program would).
    SettingsFile reread(dir / "settings.txt");
    D3DTester second;
    second.settings = &reread;
    adapter.identity = AdapterIdentity{};
    ASSERT_EQ(software.Identify(&adapter.identity), DD_OK);
    second.RunWithCache(&adapter);
    EXPECT_EQ(adapter.devicesMade, 0);
    EXPECT_FALSE(second.freshResult);
    EXPECT_TRUE(second.IsClean());
}

TEST_F(D3DTesterTest, TheCacheStandsOnlyForTheSameAdapterLimitsAndVersionWithoutFailure)
{
    struct Case {
        const char* name;
        std::function<void(D3DTester&, SettingsFile&, FakeAdapter&)> change;
        bool reused;
        // A cached failure is a valid entry: read (so not fresh), then
        // tested again.
        bool fresh;
    };
    const Case cases[] = {
        {"unchanged", [](D3DTester&, SettingsFile&, FakeAdapter&) {}, true, false},
        {"another adapter", [](D3DTester&, SettingsFile&, FakeAdapter& a) { a.identity.guid[3] ^= 1; }, false,
         true},
        {"other minimum", [](D3DTester& t, SettingsFile&, FakeAdapter&) { t.minVideoMemoryMB = 7; }, false, true},
        {"other recommendation", [](D3DTester& t, SettingsFile&, FakeAdapter&) { t.recVideoMemoryMB = 20; }, false,
         true},
        {"other version", [](D3DTester&, SettingsFile& s, FakeAdapter&) { s.WriteDWord("Test3D\\Version", 1); },
         false, true},
        {"a failure cached",
         [](D3DTester&, SettingsFile& s, FakeAdapter&) { s.WriteString("Test3D\\FailureReason", "Old failure"); },
         false, false},
        {"no warning value", [](D3DTester&, SettingsFile& s, FakeAdapter&) { s.DeleteValue("Test3D\\Warning"); },
         false, true},
        {"a GUID cut short",
         [](D3DTester&, SettingsFile& s, FakeAdapter& a) {
             s.Write("Test3D\\DisplayGUID", REG_BINARY, a.identity.guid.data(), 15);
         },
         false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsFile file(dir / (std::string(c.name) + ".txt"));
        FakeAdapter a;
        D3DTester first;
        first.settings = &file;
        first.RunWithCache(&a);
        ASSERT_TRUE(first.IsClean()) << first.failureReason << first.warning;
        D3DTester next;
        next.settings = &file;
        c.change(next, file, a);
        a.devicesMade = 0;
        next.RunWithCache(&a);
        EXPECT_EQ(a.devicesMade, c.reused ? 0 : 1);
        EXPECT_EQ(next.freshResult, c.fresh);
        EXPECT_TRUE(next.IsClean()) << next.failureReason;
        // Rewritten either way, so the next run takes it.
        D3DTester third;
        third.settings = &file;
        third.minVideoMemoryMB = next.minVideoMemoryMB;
        third.recVideoMemoryMB = next.recVideoMemoryMB;
        a.devicesMade = 0;
        third.RunWithCache(&a);
        EXPECT_EQ(a.devicesMade, 0);
    }
}

TEST_F(D3DTesterTest, CachedTextsAreReadWithTheLengthTheyWereStoredWith)
{
    auto tester = Tester();
    tester->RunWithCache(&adapter);
    ASSERT_TRUE(tester->IsClean());
    // A warning stored without its terminator comes back whole, with
    // exactly the length stored, up to what the read buffer holds with the
    // terminator the settings put back.
    const std::string full(D3DTester::kMaxCachedText - 1, 'w');
    ASSERT_TRUE(settings.Write("Test3D\\Warning", REG_SZ, full.data(), full.size()));
    D3DTester reader;
    reader.settings = &settings;
    adapter.devicesMade = 0;
    reader.RunWithCache(&adapter);
    EXPECT_EQ(adapter.devicesMade, 0);
    EXPECT_EQ(reader.warning.size(), full.size());
    EXPECT_TRUE(reader.warning == full);
    // A longer one is no valid entry: the test runs again.
    const std::string longer(D3DTester::kMaxCachedText, 'w');
    ASSERT_TRUE(settings.Write("Test3D\\Warning", REG_SZ, longer.data(), longer.size()));
    D3DTester again;
    again.settings = &settings;
    again.RunWithCache(&adapter);
    EXPECT_EQ(adapter.devicesMade, 1);
    EXPECT_TRUE(again.IsClean());
    // Texts written are never longer than a read takes back.
    again.warning = std::string(5000, 'x');
    again.RunTest(&adapter); // opens the key
    again.warning = std::string(5000, 'x');
    again.WriteCache();
    SettingsValue stored;
    ASSERT_TRUE(settings.Read("Test3D\\Warning", stored));
    EXPECT_EQ(stored.data.size(), D3DTester::kMaxCachedText);
    EXPECT_EQ(stored.data.back(), 0);
}

TEST_F(D3DTesterTest, VideoMemoryCountsTheDesktopAndTheAdapter)
{
    struct Case {
        uint64_t memory;
        HRESULT result;
        const char* failure;
        const char* warning;
    };
    // 1024 x 768 x 32 bits is 3 MB of desktop.
    const Case cases[] = {
        {4u << 20, DD_OK, "", "Low video memory."},
        {1u << 20, DD_OK, "Not enough video memory.", ""},
        {11u << 20, DD_OK, "", ""},
        {10u << 20, DD_OK, "", "Low video memory."},
        {0, DDERR_UNSUPPORTED, "", "GetAvailableVidMem failed: DDERR_UNSUPPORTED"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.memory);
        FakeAdapter a;
        a.memory = c.memory;
        a.memoryResult = c.result;
        D3DTester tester; // without settings: nothing cached
        tester.RunWithCache(&a);
        EXPECT_EQ(tester.failureReason, c.failure);
        EXPECT_EQ(tester.warning, c.warning);
        EXPECT_EQ(a.devicesMade, *c.failure ? 0 : 1);
    }
}

TEST_F(D3DTesterTest, CardLists)
{
    D3DTester tester;
    tester.driverYear = 2001;
    // Without lists: drivers from 2002 on, and three kinds of card by name.
    EXPECT_TRUE(tester.IsRecommendedCard("ATI Radeon 7000"));
    EXPECT_TRUE(tester.IsRecommendedCard("ATI Rage"));
    EXPECT_FALSE(tester.IsRecommendedCard("S3 Savage"));
    EXPECT_TRUE(tester.IsRecommendedCard("nVidia Riva"));
    tester.driverYear = 2002;
    EXPECT_TRUE(tester.IsRecommendedCard("S3 Savage"));

    // The black list beats the white list; lines are trimmed, empty ones
    // skipped, letter case does not count.
    dir.WriteFile("vhwb.dat", "\n   rage  \n\n");
    dir.WriteFile("vhw.dat", "ATI RAGE 128\r\n  savage\n");
    EXPECT_FALSE(tester.IsRecommendedCard("ATI RAGE 128"));
    EXPECT_TRUE(tester.IsRecommendedCard("S3 SAVAGE 4"));
    // With a white list only what it names.
    EXPECT_FALSE(tester.IsRecommendedCard("ATI Radeon 7000"));
    EXPECT_TRUE(D3DTester::FileListMatches("vhw.dat", "s3 savage"));
    EXPECT_FALSE(D3DTester::FileListMatches("missing.dat", "s3 savage"));

    // An unrecommended card passes with a warning.
    FakeAdapter a;
    a.identity.description = "Matrox G200";
    D3DTester run;
    run.RunWithCache(&a);
    EXPECT_TRUE(run.Passed());
    EXPECT_EQ(run.warning, "Unsupported video card: Matrox G200");
}

TEST_F(D3DTesterTest, TheDriverYearIsTheDriverFilesYear)
{
    const std::string driver = dir.WriteFile("driver.so", "x");
    std::tm when{};
    when.tm_year = 2001 - 1900;
    when.tm_mon = 5;
    when.tm_mday = 15;
    when.tm_hour = 12;
    const timeval times[2] = {{mktime(&when), 0}, {mktime(&when), 0}};
    ASSERT_EQ(utimes(driver.c_str(), times), 0);
    adapter.identity.driver = driver;
    adapter.identity.description = "S3 Savage";
    D3DTester tester;
    tester.RunWithCache(&adapter);
    EXPECT_EQ(tester.driverYear, 2001);
    EXPECT_EQ(tester.warning, "Unsupported video card: S3 Savage");
    adapter.identity.driver = dir / "missing.so";
    tester.RunWithCache(&adapter);
    EXPECT_EQ(tester.driverYear, 0);
}

TEST_F(D3DTesterTest, PatternFailuresAndWarnings)
{
    struct Case {
        const char* name;
        std::function<void(FakeAdapter&)> setUp;
        const char* failure;
        const char* warning;
    };
    const Case cases[] = {
        {"blending that adds",
         [](FakeAdapter& a) { a.makeDevice = [] { return std::make_unique<AddingDevice>(); }; },
         "Alpha blend Not Supported", ""},
        {"draws a pixel off",
         [](FakeAdapter& a) { a.makeDevice = [] { return std::make_unique<ShiftingDevice>(); }; }, "",
         "Clip problem detected."},
        {"a failing draw",
         [](FakeAdapter& a) {
             a.makeDevice = [] {
                 auto d = std::make_unique<RecordingDevice3D>();
                 d->drawResult = DDERR_SURFACELOST;
                 return d;
             };
         },
         "DXError - DrawPrimitive: DDERR_SURFACELOST", ""},
        {"a texture refused",
         [](FakeAdapter& a) {
             a.makeDevice = [] {
                 auto d = std::make_unique<RecordingDevice3D>();
                 d->device.faults().createTexture = 2;
                 return d;
             };
         },
         "DXError - CreateSurface (TextureSurface1): DDERR_OUTOFVIDEOMEMORY", ""},
        {"no 32-bit textures",
         [](FakeAdapter& a) { a.caps.textureFormats = TEXTURE_FORMAT_A4R4G4B4 | TEXTURE_FORMAT_R5G6B5; }, "",
         "A8R8G8B8 texture format not supported."},
        {"no textures with alpha", [](FakeAdapter& a) { a.caps.textureFormats = TEXTURE_FORMAT_R5G6B5; },
         "A4R4G4B4 and A8R8G8B8 texture formats not supported.", "A8R8G8B8 texture format not supported."},
        {"no identity", [](FakeAdapter& a) { a.identifyResult = DDERR_GENERIC; },
         "DXError - GetDeviceIdentifier: DSERR_GENERIC", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeAdapter a;
        c.setUp(a);
        D3DTester tester;
        tester.RunWithCache(&a);
        EXPECT_EQ(tester.failureReason, c.failure);
        EXPECT_EQ(tester.warning, c.warning);
    }

    D3DTester none;
    none.RunWithCache(nullptr);
    EXPECT_EQ(none.failureReason, "No DirectDrawCreateEx");
}

TEST_F(D3DTesterTest, ADesktopOfAnotherDepthEndsTheFirstPattern)
{
    struct Case {
        int bits;
        const char* failure;
    };
    const Case cases[] = {{24, "Can't test 24-bit mode."}, {8, "Invalid Color Depth"}, {16, ""}, {32, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        screen.screen.bitsPerPixel = c.bits;
        FakeAdapter a;
        a.memory = 64u << 20;
        D3DTester tester;
        tester.RunWithCache(&a);
        EXPECT_EQ(tester.failureReason, c.failure);
        ASSERT_NE(a.last, nullptr);
        // Two draws a pattern: only the first pattern's when it failed.
        EXPECT_EQ(a.last->draws.size(), *c.failure ? 2u : 9u);
    }
}

TEST_F(D3DTesterTest, SurfacePixelsComeBackWithEachChannelAtTheTopOfItsByte)
{
    struct Case {
        SurfacePixelFormat format;
        uint32_t value;
        uint32_t want;
    };
    const Case cases[] = {
        {SurfacePixelFormat::X8R8G8B8(), 0x00123456, 0xFF123456},
        {SurfacePixelFormat::X8B8G8R8(), 0x00123456, 0xFF563412},
        {SurfacePixelFormat::R5G6B5(), 0xFFFF, 0xFFF8FCF8},
        {SurfacePixelFormat::X1R5G5B5(), 0x7C00, 0xFFF80000},
        {SurfacePixelFormat::R5G6B5(), 0x07E0, 0xFF00FC00},
    };
    for (const Case& c : cases) {
        uint8_t bits[8] = {};
        std::memcpy(bits, &c.value, c.format.bitCount / 8);
        SurfaceDesc desc;
        desc.width = desc.height = 1;
        desc.pitch = 8;
        desc.bits = bits;
        desc.format = c.format;
        D3DTestImage image;
        image.Resize(1, 1);
        D3DTester::CopySurfacePixels(desc, c.format.bitCount, image);
        EXPECT_EQ(image.At(0, 0), c.want) << std::hex << c.value;
    }
    SurfaceDesc desc;
    desc.format = SurfacePixelFormat::X8R8G8B8();
    D3DTestImage image;
    EXPECT_THROW(D3DTester::CopySurfacePixels(desc, 24, image), D3DTester::TestException);
}

TEST(D3DTestImage, CheckBlockCountsFarPixelsAndUniformity)
{
    D3DTestImage image;
    image.Resize(100, 100);
    image.Fill(0xFF7F007F);
    bool uniform = false;
    EXPECT_EQ(image.CheckBlock(0x7F007F, &uniform), 0);
    EXPECT_TRUE(uniform);
    // 16 levels in each of three channels: 768, not beyond the limit.
    image.Pixels()[0] = 0xFF8F108F;
    EXPECT_EQ(image.CheckBlock(0x7F007F, &uniform), 0);
    EXPECT_FALSE(uniform);
    image.Pixels()[101] = 0xFF90108F; // 17, 16, 16: beyond
    EXPECT_EQ(image.CheckBlock(0x7F007F, &uniform), 1);
    // Outside the 10 x 10 block nothing counts.
    image.Fill(0xFF7F007F);
    image.Pixels()[10] = 0xFFFFFFFF;
    image.Pixels()[size_t(10) * 100] = 0xFFFFFFFF;
    EXPECT_EQ(image.CheckBlock(0x7F007F, &uniform), 0);
    EXPECT_TRUE(uniform);

    image.Resize(0, 5);
    EXPECT_EQ(image.Pixels(), nullptr);
    EXPECT_EQ(image.CheckBlock(0, &uniform), 0);
}

TEST_F(D3DTesterTest, DemoPlaybackTestsNothingAndTakesTheRecordedOutcome)
{
    auto tester = Tester();
    tester->demoPlaying = [] { return true; };
    tester->demoSync = [](std::string& failure, std::string& warning, bool& fresh) {
        failure = "recorded";
        warning = "";
        fresh = false;
    };
    tester->RunWithCache(&adapter);
    EXPECT_EQ(adapter.devicesMade, 0);
    EXPECT_EQ(tester->failureReason, "recorded");
    EXPECT_FALSE(settings.HasValue("Test3D\\Version"));
}

} // namespace
} // namespace Quib
