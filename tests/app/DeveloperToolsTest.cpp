#include "framework/app/DDInterface.h"
#include "framework/app/DeveloperReports.h"
#include "framework/app/DeveloperTools.h"
#include "framework/app/QuibAppBase.h"
#include "framework/files/PerfTimer.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/FileNames.h"
#include "platform/WindowMessages.h"
#include "platform/headless/CapturingSink.h"
#include "platform/headless/FakeClock.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

// Records what the tools ask of the application.
class RecordingHost : public DeveloperHost {
public:
    explicit RecordingHost(QuibAppBase& application) : app(application) {}

    void ResetUpdateTimer() override { calls.push_back("reset timer"); }
    void SetStepMode(int mode) override
    {
        stepMode = mode;
        calls.push_back("step mode " + std::to_string(mode));
    }
    double GetUpdateSpeed() override { return speed; }
    void SetUpdateSpeed(double s) override { speed = s; }
    void ChangeDisplay(bool is3D) override
    {
        calls.push_back(is3D ? "display 3D" : "display 2D");
        if (app.display)
            app.display->is3D = is3D;
    }
    void TakeScreenshot() override { calls.push_back("screenshot"); }
    void PlaySoundFileAsync(const std::string& file) override { calls.push_back("sound " + file); }
    VideoMemory GetVideoMemory() override { return video; }
    TextureUsage GetTextureUsage(const MemoryImage& image) override
    {
        auto it = textures.find(&image);
        return it == textures.end() ? TextureUsage{} : it->second;
    }
    Test3DRating Get3DRating() override { return rating; }
    int GetNumSounds() override { return 7; }
    std::string GetProductName() override { return "Pelleranthe"; }
    std::string GetProductVersion() override { return "1.0.2"; }
    uint32_t GetRunningTimeMs() override { return runningMs; }
    bool IsWindowed() override { return windowed; }
    uint32_t GetMainThreadId() override { return 0x1A2B; }
    std::string GetDataFolder() override { return dataFolder; }
    bool GetDemoClock(DemoClock& clock) override
    {
        clock = demo;
        return playing;
    }

    QuibAppBase& app;
    std::vector<std::string> calls;
    int stepMode = 0;
    double speed = 1.0;
    VideoMemory video;
    std::map<const MemoryImage*, TextureUsage> textures;
    Test3DRating rating = Test3DRating::Unsupported;
    uint32_t runningMs = 0;
    bool windowed = true;
    std::string dataFolder;
    DemoClock demo;
    bool playing = false;
};

enum Modifier { NONE = 0, SHIFT = 1, CTRL = 2, ALT = 4 };

class DeveloperToolsTest : public ::testing::Test {
protected:
    DeveloperToolsTest()
    {
        MakeTestDisplay(app, kDisplayLayouts[0]);
        app.developerTools.host = &host;
        host.dataFolder = dir.Path() + "/";
    }
    ~DeveloperToolsTest() override
    {
        if (PerfTimer::IsTiming())
            PerfTimer::StopTiming();
    }

    // A key pressed the way the window delivers it: modifiers down, the key
    // down and offered to the debug keys, then everything up again.
    bool Press(int key, int modifiers = NONE)
    {
        WidgetManager& wm = *app.widgetManager;
        const int modifierKeys[] = {VK_SHIFT, VK_CONTROL, VK_MENU};
        for (int i = 0; i < 3; ++i)
            if (modifiers & (1 << i))
                wm.HandleKeyDown(modifierKeys[i]);
        wm.HandleKeyDown(key);
        const bool handled = app.DebugKey(key);
        wm.HandleKeyUp(key);
        for (int i = 0; i < 3; ++i)
            if (modifiers & (1 << i))
                wm.HandleKeyUp(modifierKeys[i]);
        return handled;
    }
    DebugOverlays& Overlays() { return app.developerTools.overlays; }

    ScopedFakeClock clock{1000};
    CapturingSink sink;
    TempDir dir;
    QuibAppBase app;
    RecordingHost host{app};
};

struct KeyCase {
    int key;
    int modifiers;
    bool handled;
    std::vector<std::string> calls;
    int stepMode;
};

TEST_F(DeveloperToolsTest, KeysDoTheirActionsAndSayWhetherTheyAreUsedUp)
{
    const KeyCase cases[] = {
        {VK_F10, NONE, true, {"step mode 1"}, 1},
        {VK_F10, SHIFT, true, {"step mode 0", "reset timer"}, 0},
        {VK_F11, NONE, true, {"screenshot"}, 0},
        {VK_F8, SHIFT, true, {"display 3D"}, 0},
        {'R', NONE, false, {}, 0},
        {'Q', SHIFT, false, {}, 0},
        {VK_F12, NONE, false, {}, 0},
    };
    for (const KeyCase& c : cases) {
        host.calls.clear();
        host.stepMode = 0;
        EXPECT_EQ(Press(c.key, c.modifiers), c.handled) << c.key << "/" << c.modifiers;
        EXPECT_EQ(host.calls, c.calls) << c.key << "/" << c.modifiers;
        EXPECT_EQ(host.stepMode, c.stepMode) << c.key << "/" << c.modifiers;
    }
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].caption, "Mode Switch");
    EXPECT_EQ(sink.boxes[0].text, "3D-Mode: ON");
    EXPECT_TRUE(Press(VK_F8, SHIFT));
    EXPECT_EQ(sink.boxes.back().text, "3D-Mode: OFF");
}

TEST_F(DeveloperToolsTest, CtrlF10TogglesTheUpdateSpeed)
{
    for (double from : {1.0, 0.25, 0.5, 2.0}) {
        host.speed = from;
        EXPECT_TRUE(Press(VK_F10, CTRL));
        EXPECT_DOUBLE_EQ(host.speed, from == 0.25 ? 1.0 : 0.25) << from;
    }
    EXPECT_EQ(host.stepMode, 0);
}

TEST_F(DeveloperToolsTest, F2TimesTheProgramAndShowsTheReport)
{
    EXPECT_FALSE(Press(VK_F2));
    EXPECT_TRUE(PerfTimer::IsTiming());
    EXPECT_EQ(host.calls, (std::vector<std::string>{"reset timer"}));
    {
        PerfScope scope("Work");
        clock.Advance(4);
    }
    clock.Advance(4);
    EXPECT_FALSE(Press(VK_F2, SHIFT));
    EXPECT_FALSE(PerfTimer::IsTiming());
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].caption, "Perf Results");
    EXPECT_EQ(sink.boxes[0].text, "Total Time: 8.00\nWork (1 calls, %50.00 time): 4.00 (4.00 avg, 4.00 longest)\n");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"reset timer", "reset timer"}));
}

TEST_F(DeveloperToolsTest, AltRReloadsTheConstantsOrClearsTheKeys)
{
    WidgetManager& wm = *app.widgetManager;
    wm.HandleKeyDown('X');
    // Nothing to reload here: the reload fails and every key is let go.
    wm.HandleKeyDown(VK_MENU);
    wm.HandleKeyDown('R');
    EXPECT_FALSE(app.DebugKey('R'));
    for (int key = 0; key < 255; ++key)
        ASSERT_EQ(wm.keyTable[key], 0) << key;
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(DeveloperToolsTest, F3SwitchesTheOverlaysAndShiftF3TheirKind)
{
    EXPECT_FALSE(Press(VK_F3));
    EXPECT_TRUE(Overlays().on);
    EXPECT_EQ(Overlays().kind, DebugOverlays::KIND_FPS);
    EXPECT_FALSE(Press(VK_F3));
    EXPECT_FALSE(Overlays().on);
    EXPECT_FALSE(Press(VK_F3, SHIFT));
    EXPECT_TRUE(Overlays().on);
    EXPECT_EQ(Overlays().kind, DebugOverlays::KIND_MOUSE);
    EXPECT_FALSE(Press(VK_F3, SHIFT));
    EXPECT_TRUE(Overlays().on);
    EXPECT_EQ(Overlays().kind, DebugOverlays::KIND_FPS);
}

TEST_F(DeveloperToolsTest, TheRateShowsZeroFirstThenFramesPerSecond)
{
    Press(VK_F3);
    app.developerTools.UpdateOverlays(app);
    EXPECT_EQ(Overlays().text, u"FPS: 0");
    ASSERT_NE(Overlays().image, nullptr);
    for (int i = 0; i < 40; ++i) {
        clock.Advance(25);
        app.developerTools.UpdateOverlays(app);
        if (i < 39) {
            ASSERT_EQ(Overlays().text, u"FPS: 0") << i;
        }
    }
    EXPECT_EQ(Overlays().text, u"FPS: 40");
    EXPECT_EQ(Overlays().frames, 0);

    // Off: nothing is counted.
    Press(VK_F3);
    app.developerTools.UpdateOverlays(app);
    EXPECT_EQ(Overlays().frames, 0);
}

TEST_F(DeveloperToolsTest, TheMouseOverlayFollowsTheManager)
{
    Press(VK_F3, SHIFT);
    app.widgetManager->mouseX = 12;
    app.widgetManager->mouseY = 345;
    app.developerTools.UpdateOverlays(app);
    EXPECT_EQ(Overlays().text, u"12,345");
    app.widgetManager->mouseX = 13;
    app.developerTools.UpdateOverlays(app);
    EXPECT_EQ(Overlays().text, u"13,345");
}

TEST_F(DeveloperToolsTest, OverlaysAreDrawnAtTheBottomRight)
{
    host.playing = true;
    host.demo = {100000, 10000, 10};
    Press(VK_F3);
    app.developerTools.UpdateOverlays(app);
    EXPECT_EQ(Overlays().clockText, u"00:15:00");
    DDImage* rate = Overlays().image.get();
    DDImage* clockImage = Overlays().clockImage.get();
    ASSERT_NE(rate, nullptr);
    ASSERT_NE(clockImage, nullptr);
    EXPECT_EQ(rate->width, 50);
    EXPECT_GT(rate->height, 4);

    MemoryImage target(nullptr);
    std::vector<uint32_t> white(300 * 200, 0xFFFFFFFF);
    target.AssignPixels(white.data(), 300, 200, true);
    app.appWidth = 300;
    app.appHeight = 200;
    app.developerTools.DrawOverlays(app, &target);
    const int rateX = 300 - 50 - 10;
    const int rateY = 200 - rate->height - 10;
    EXPECT_EQ(target.GetPixel(rateX, rateY), 0xFF000000u);     // its black top left corner
    EXPECT_EQ(target.GetPixel(rateX - 1, rateY), 0xFFFFFFFFu); // nothing left of it
    EXPECT_EQ(target.GetPixel(rateX + 49, rateY + rate->height), 0xFFFFFFFFu);
    const int clockX = 300 - clockImage->width - 10;
    const int clockY = 200 - rate->height - clockImage->height - 15;
    EXPECT_EQ(target.GetPixel(clockX, clockY), 0xFF000000u);
    EXPECT_EQ(target.GetPixel(clockX, clockY - 1), 0xFFFFFFFFu);
    bool text = false;
    for (int y = 0; y < rate->height; ++y)
        for (int x = 0; x < 50; ++x)
            text = text || target.GetPixel(rateX + x, rateY + y) != 0xFF000000u;
    EXPECT_TRUE(text); // "FPS: 0" in white
}

TEST_F(DeveloperToolsTest, TheDemoClockIsRedrawnOncePerPlayedSecond)
{
    host.playing = true;
    host.speed = 2.0;
    host.demo = {360000 + 6100, 0, 10};
    Press(VK_F3);
    app.developerTools.UpdateOverlays(app);
    EXPECT_EQ(Overlays().clockText, u"01:01:01");
    host.demo.updateCount = 100;
    clock.Advance(499);
    app.developerTools.UpdateOverlays(app);
    EXPECT_EQ(Overlays().clockText, u"01:01:01"); // not due at twice the speed before 500 ms
    clock.Advance(1);
    app.developerTools.UpdateOverlays(app);
    EXPECT_EQ(Overlays().clockText, u"01:01:00");
    host.demo.updateCount = 999999; // past the end
    clock.Advance(500);
    app.developerTools.UpdateOverlays(app);
    EXPECT_EQ(Overlays().clockText, u"00:00:00");

    // No demo: no clock drawn.
    host.playing = false;
    app.developerTools.UpdateOverlays(app);
    EXPECT_FALSE(Overlays().clockShown);
}

TEST_F(DeveloperToolsTest, VideoStatsCountTheTexturesByFormat)
{
    auto a = std::make_unique<DDImage>(app.display.get());
    auto b = std::make_unique<DDImage>(app.display.get());
    auto c = std::make_unique<DDImage>(app.display.get());
    host.textures[a.get()] = {300 * 1024, TEXTURE_A8R8G8B8};
    host.textures[b.get()] = {2048, TEXTURE_A8R8G8B8};
    host.textures[c.get()] = {5000 * 1024, TEXTURE_PALETTE8};
    host.video = {uint64_t(64) << 20, uint64_t(16) << 20};
    host.rating = Test3DRating::Recommended;
    app.display->is3D = true;
    const size_t images = app.imageSet.size();
    EXPECT_TRUE(Press(VK_F8));
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].caption, "Video Stats");
    EXPECT_EQ(sink.boxes[0].text, "3D-Mode is ON (3D is Recommended on this system)\r\n\r\n"
                                  "Num Images: " +
                                      std::to_string(images) +
                                      "\r\n"
                                      "Num Sounds: 7\r\n"
                                      "Video Memory: 49,152/65,536 KB\r\n"
                                      "Texture Memory: 5,302 KB\r\n"
                                      "A8R8G8B8: 2 - 302 KB\r\n"
                                      "A4R4G4B4: 0 - 0 KB\r\n"
                                      "R5G6B5: 0 - 0 KB\r\n"
                                      "Palette8: 1 - 5,000 KB\r\n");
    host.rating = Test3DRating::Supported;
    app.display->is3D = false;
    EXPECT_EQ(VideoStatsText(app, host).find("3D-Mode is OFF (3D is Supported on this system)\r\n\r\nNum"), 0u);
}

TEST_F(DeveloperToolsTest, TheSystemReportNamesProductTimeModeAndThread)
{
    host.runningMs = (2 * 3600 + 3 * 60 + 4) * 1000 + 999;
    EXPECT_EQ(app.BuildSystemReport(), "Product: Pelleranthe\r\nVersion: 1.0.2\r\nTime Loaded: 02:03:04\r\n"
                                       "Fullscreen: No\r\nPrimary ThreadId: 1A2B\r\n");
    host.windowed = false;
    EXPECT_NE(BuildSystemReport(host).find("\r\nFullscreen: Yes\r\n"), std::string::npos);
}

TEST(CommaSeparate64, GroupsThreeDigits)
{
    EXPECT_EQ(CommaSeparate64(0), "0");
    EXPECT_EQ(CommaSeparate64(999), "999");
    EXPECT_EQ(CommaSeparate64(1000), "1,000");
    EXPECT_EQ(CommaSeparate64(18446744073709551615ull), "18,446,744,073,709,551,615");
}

// The dump's page, without the date line.
std::string PageAfterDate(const std::string& page)
{
    const size_t at = page.find("</B></FONT><BR>");
    return at == std::string::npos ? page : page.substr(at);
}

TEST(ImageDump, WithoutImagesThePageHoldsOnlyTheTotals)
{
    CapturingSink sink;
    TempDir dir;
    QuibAppBase app;
    RecordingHost host(app);
    host.dataFolder = dir.Path();
    ASSERT_TRUE(app.imageSet.empty());
    app.developerTools.host = &host;
    // A folder left from before is replaced.
    dir.WriteFile("_dump/old.png", "x");
    ASSERT_TRUE(DumpLoadedImages(app, host));
    const std::string page = TempDir::ReadFile(dir / "_dump/imagelist.html");
    EXPECT_EQ(page.find("<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>"), 0u);
    EXPECT_EQ(PageAfterDate(page),
              "</B></FONT><BR>Total Image Allocation: 0 bytes<BR><TABLE BORDER=1 CELLSPACING=0 CELLPADDING=4>"
              "<TR><TD>Totals</TD><TD>0</TD><TD>0</TD><TD>0</TD><TD>0</TD><TD>0</TD><TD>&nbsp;</TD><TD>&nbsp;</TD>"
              "<TD>&nbsp;</TD><TD>&nbsp;</TD><TD>0</TD><TD>0</TD><TD>0</TD><TD>&nbsp;</TD></TR>"
              "</TABLE></CENTER></BODY></HTML>");
    EXPECT_FALSE(FileExists(dir / "_dump/old.png"));
}

TEST_F(DeveloperToolsTest, TheDumpListsEveryImageLargestFirstWithItsFiles)
{
    // A palettized picture with its display copy, a plain one with a
    // texture, and one of no pixels.
    auto palettized = std::make_unique<DDImage>(app.display.get());
    std::vector<uint32_t> two(16, 0xFF00FF00);
    two[5] = 0xFFFF0000;
    palettized->AssignPixels(two.data(), 4, 4, true);
    ASSERT_TRUE(palettized->TryPalettize());
    ASSERT_NE(palettized->GetDisplayFormatPixels(app.display.get()), nullptr);
    palettized->name = "images/<two>.png";
    auto plain = std::make_unique<DDImage>(app.display.get());
    std::vector<uint32_t> grey(64 * 32, 0x80808080);
    plain->AssignPixels(grey.data(), 64, 32, true);
    plain->FlagVolatile(true);
    host.textures[plain.get()] = {16384, TEXTURE_A4R4G4B4};
    auto empty = std::make_unique<DDImage>(app.display.get());
    ASSERT_EQ(app.imageSet.size(), 3u);

    EXPECT_TRUE(Press(VK_F11, SHIFT));
    const std::string page = TempDir::ReadFile(dir / "_dump/imagelist.html");
    const uint64_t plainTotal = 64 * 32 * 4 + 16384;
    const uint64_t palettizedTotal = 16 + 1024 + 1024;
    EXPECT_NE(page.find("Total Image Allocation: " + CommaSeparate64(plainTotal + palettizedTotal) + " bytes<BR>"),
              std::string::npos);
    const std::string row0 = "<TR><TD><A HREF=img0000.png><IMG SRC=thumb0000.jpg WIDTH=64 HEIGHT=64></A></TD>"
                             "<TD ALIGN=RIGHT>64 x 32<BR>24,576 bytes</TD><TD>mBits<BR>8,192</TD><TD>&nbsp;</TD>"
                             "<TD>&nbsp;</TD><TD>Texture<BR>16,384<BR>A4R4G4B4</TD><TD>Volatile</TD><TD>&nbsp;</TD>"
                             "<TD>HasAlpha</TD><TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD>"
                             "<TD>&nbsp;</TD></TR>";
    EXPECT_NE(page.find(row0), std::string::npos) << page;
    const std::string row1 = "<TR><TD><A HREF=img0001.png><IMG SRC=thumb0001.jpg WIDTH=64 HEIGHT=64></A></TD>"
                             "<TD ALIGN=RIGHT>4 x 4<BR>2,064 bytes</TD><TD>&nbsp;</TD><TD>Palletized<BR>1,040</TD>"
                             "<TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD>"
                             "<TD>&nbsp;</TD><TD>NativeAlpha<BR>1,024</TD><TD>&nbsp;</TD><TD>&nbsp;</TD>"
                             "<TD>images/&lt;two&gt;.png</TD></TR>";
    EXPECT_NE(page.find(row1), std::string::npos) << page;
    // The image of no pixels has its row, a note and no files.
    EXPECT_NE(page.find("<TR><TD>(no pixels)</TD><TD ALIGN=RIGHT>0 x 0<BR>0 bytes</TD>"), std::string::npos);
    EXPECT_NE(page.find("<TR><TD>Totals</TD><TD>26,640</TD><TD>8,192</TD><TD>1,040</TD><TD>0</TD><TD>16,384</TD>"),
              std::string::npos);
    EXPECT_FALSE(FileExists(dir / "_dump/img0002.png"));
    EXPECT_FALSE(FileExists(dir / "_dump/thumb0002.jpg"));

    // The pictures and their thumbnails, read back.
    std::unique_ptr<ImageLib::Image> png = ImageLib::ReadPng(dir / "_dump/img0001.png");
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(std::vector<uint32_t>(png->pixels, png->pixels + 16), two);
    std::unique_ptr<ImageLib::Image> thumb = ImageLib::ReadJpeg(dir / "_dump/thumb0000.jpg");
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->width, 64);
    EXPECT_EQ(thumb->height, 64);
    ASSERT_NE(ImageLib::ReadPng(dir / "_dump/img0000.png"), nullptr);
}

TEST_F(DeveloperToolsTest, ADumpFolderThatCannotBeMadeIsGivenUpAtOnce)
{
    host.dataFolder = dir.WriteFile("a-file", "x"); // "_dump" would go inside a file
    EXPECT_FALSE(DumpLoadedImages(app, host));
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].caption, "Image Dump");
    EXPECT_NE(sink.boxes[0].text.find("_dump"), std::string::npos);
}

} // namespace
} // namespace Quib
