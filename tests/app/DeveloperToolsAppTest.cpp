// The developer tools inside a running application: the debug keys on the
// window's key path, the overlays drawn by the main loop, the application
// as the tools' host, and the resources and shared pictures at its exit.
#include "framework/app/DeveloperTools.h"
#include "framework/app/ResourceManager.h"
#include "framework/graphics/DDImage.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/AppTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace Quib {
namespace {

using namespace Testing;

class DeveloperToolsApp : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        app.inMainLoop = true;
        app.mainWindow->Show(ShowCommand::Show);
        Pump();
        // Ctrl+Alt+D turns the debug keys on.
        Keys({VK_CONTROL, VK_MENU, 'D'});
        Pump();
        ASSERT_TRUE(app.debugKeysEnabled);
    }

    void Pump(uint32_t ms = 60)
    {
        const uint32_t end = env.clock.Milliseconds() + ms;
        for (int i = 0; i < 200000 && int32_t(env.clock.Milliseconds() - end) < 0 && !app.exiting; ++i)
            app.AppStep(nullptr);
    }
    // Presses the keys in order and lets them go in reverse.
    void Keys(std::initializer_list<int> keys)
    {
        for (int key : keys)
            Window().KeyDown(key);
        for (auto it = std::rbegin(keys); it != std::rend(keys); ++it)
            Window().KeyUp(*it);
    }
    HeadlessWindow& Window() { return *env.windows.MainWindow(); }

    HeadlessAppEnvironment env;
    TestApp app;
};

TEST_F(DeveloperToolsApp, F3ShowsTheFrameRateOverTheDrawnScreen)
{
    auto* widget = app.Adopt(new RecordingWidget);
    widget->SetBounds(0, 0, app.appWidth, app.appHeight);
    widget->animate = true; // changes every update: a present per update
    Keys({VK_F3});
    Pump(2500);
    const DebugOverlays& overlays = app.developerTools.overlays;
    ASSERT_TRUE(overlays.on);
    ASSERT_NE(overlays.image, nullptr);
    const int fps = std::stoi(std::string(overlays.text.begin() + 5, overlays.text.end()));
    EXPECT_NEAR(fps, 100, 5) << std::string(overlays.text.begin(), overlays.text.end());

    // The box sits on the screen 10 pixels from the bottom right corner.
    Image* screen = app.widgetManager->screenImage;
    ASSERT_NE(screen, nullptr);
    auto* pixels = dynamic_cast<MemoryImage*>(screen);
    ASSERT_NE(pixels, nullptr);
    const int x = app.appWidth - 50 - 10;
    const int y = app.appHeight - overlays.image->height - 10;
    EXPECT_EQ(pixels->GetPixel(x, y) & 0xFFFFFF, 0u);
    EXPECT_EQ(pixels->GetPixel(x + 49, y + overlays.image->height - 1) & 0xFFFFFF, 0u);
}

TEST_F(DeveloperToolsApp, TheApplicationAnswersForTheTools)
{
    Keys({VK_CONTROL, VK_F10});
    Pump();
    EXPECT_DOUBLE_EQ(app.updateSpeed, 0.25);
    Keys({VK_CONTROL, VK_F10});
    Pump();
    EXPECT_DOUBLE_EQ(app.updateSpeed, 1.0);

    env.sink.boxes.clear();
    Keys({VK_F8});
    Pump();
    ASSERT_EQ(env.sink.boxes.size(), 1u);
    EXPECT_EQ(env.sink.boxes[0].caption, "Video Stats");
    EXPECT_NE(env.sink.boxes[0].text.find("\r\nNum Images: " + std::to_string(app.imageSet.size()) + "\r\n"),
              std::string::npos);

    const std::string report = app.BuildSystemReport();
    EXPECT_EQ(report.find("Product: QuibTestApp\r\nVersion: " + app.productVersion + "\r\nTime Loaded: 00:00:"), 0u)
        << report;
    EXPECT_NE(report.find("\r\nFullscreen: No\r\nPrimary ThreadId: "), std::string::npos);

    DemoClock clock;
    EXPECT_FALSE(app.developerTools.Host().GetDemoClock(clock));
    app.playing = true;
    app.demoLength = 500;
    EXPECT_TRUE(app.developerTools.Host().GetDemoClock(clock));
    EXPECT_EQ(clock.demoLength, 500);
    EXPECT_EQ(clock.updateCount, app.updateCount);
    app.playing = false;
}

TEST_F(DeveloperToolsApp, TheResourceManagerUsesTheApplicationsSounds)
{
    ASSERT_NE(app.resourceManager, nullptr);
    ASSERT_NE(app.soundManager, nullptr);
    TempDir dir;
    const std::string manifest = dir.WriteFile("resources.xml",
                                               "<ResourceManifest><Resources id=\"g\"><Sound id=\"S\" path=\"s\"/>"
                                               "<Image id=\"B\" path=\"!blank\"/></Resources></ResourceManifest>");
    ASSERT_TRUE(app.resourceManager->ParseManifest(manifest)) << app.resourceManager->GetErrorText();
    ASSERT_TRUE(app.resourceManager->LoadResources("g")) << app.resourceManager->GetErrorText();
    EXPECT_EQ(app.resourceManager->Sounds(), app.soundManager.get());
    EXPECT_GE(app.resourceManager->GetSoundThrow("S"), 0);
    EXPECT_EQ(app.sharedImages.Size(), 1u);
}

// Pictures and references still held when the application goes: the
// pictures go with it, while the display exists; the references only
// find them gone.
TEST(DeveloperToolsExit, ResourcesAndSharedPicturesGoBeforeTheDisplay)
{
    HeadlessAppEnvironment env;
    SharedImageRef survivor;
    {
        TestApp app;
        app.Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        TempDir dir;
        const std::string manifest = dir.WriteFile(
            "resources.xml", "<ResourceManifest><Resources id=\"g\"><Image id=\"B\" path=\"!blank\"/></Resources>"
                             "</ResourceManifest>");
        ASSERT_TRUE(app.resourceManager->ParseManifest(manifest));
        ASSERT_TRUE(app.resourceManager->LoadResources("g"));
        survivor = app.resourceManager->GetImageThrow("B");
        app.developerTools.overlays.on = true;
        app.developerTools.UpdateOverlays(app);
        ASSERT_NE(app.developerTools.overlays.image, nullptr);
    }
    EXPECT_EQ(survivor.GetImage(), nullptr);
    survivor.Release();
}

} // namespace
} // namespace Quib
