// The application in a real SDL window (the offscreen driver in CI).
#include "platform/sdl/SdlWindowSystem.h"
#include "tests/support/AppTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace Quib {
namespace {

using namespace Testing;

TEST(AppOnSdl, OpensARealWindowDrawsTakesInputAndExits)
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    ScopedEnv video("SDL_VIDEODRIVER", driver ? driver : "offscreen");
    HeadlessAppEnvironment env;
    std::unique_ptr<SdlWindowSystem> sdl = SdlWindowSystem::Create();
    if (!sdl)
        GTEST_SKIP() << "no SDL video";
    SetWindowSystem(sdl.get());
    {
        TestApp app;
        app.windowTitle = u"Quib SDL";
        app.Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        ASSERT_TRUE(app.mainWindow);
        EXPECT_TRUE(app.mainWindow->HasNativeWindow());
        EXPECT_NE(app.mainWindow->NativeHandle(), nullptr);
        EXPECT_EQ(app.mainWindow->Title(), u"Quib SDL");

        auto* widget = app.Adopt(new RecordingWidget);
        widget->SetBounds(0, 0, 640, 480);
        widget->animate = true;
        app.widgetManager->SetFocusWidget(widget);
        std::string shot;
        app.onUpdate = [&](int update) {
            if (update == 10) {
                // Input through the SDL system's own queue.
                sdl->PostMessage(app.mainWindow.get(), WM_KEYDOWN, 'Z', 0);
                sdl->PostMessage(app.mainWindow.get(), WM_CHAR, 'z', 0);
            } else if (update == 20 && shot.empty()) {
                shot = app.TakeScreenshot();
                sdl->PostMessage(app.mainWindow.get(), WM_CLOSE);
            }
        };
        app.Run();
        EXPECT_TRUE(app.closedByUser);
        EXPECT_GE(app.updateCount, 20);
        EXPECT_GT(widget->draws, 0);
        EXPECT_GT(app.drawCount, 0);
        EXPECT_EQ(widget->log, (std::vector<std::string>{"key 90", "char 122"}));
        EXPECT_FALSE(app.cursorThread.joinable());
        EXPECT_FALSE(shot.empty());
        EXPECT_TRUE(std::filesystem::exists(shot));
    }
    SetWindowSystem(&env.windows);
}

} // namespace
} // namespace Quib
