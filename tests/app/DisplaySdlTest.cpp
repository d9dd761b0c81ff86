// The display shown through SDL's renderer on the offscreen driver: the
// presented frame, cursor included, read back from the renderer, with 3-D
// off and on.
#include "framework/app/D3DInterfaceImpl.h"
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/app/DisplayTester.h"
#include "platform/sdl/SdlDevice3D.h"
#include "platform/sdl/SdlPresenter.h"
#include "platform/sdl/SdlWindowSystem.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace Quib {
namespace {

using Testing::ScopedEnv;

class DisplaySdl : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        system = SdlWindowSystem::Create();
        ASSERT_NE(system, nullptr) << SDL_GetError();
        WindowSpec spec;
        spec.width = 96;
        spec.height = 64;
        window = system->CreateMainWindow(spec);
        ASSERT_NE(window, nullptr);
        app.appWidth = 96;
        app.appHeight = 64;
        app.display = std::make_unique<DDInterface>(&app);
        display = app.display.get();
        display->is3D = GetParam();
    }
    void TearDown() override
    {
        app.display.reset();
        window.reset();
    }

    ScopedEnv driver{"SDL_VIDEODRIVER",
                     std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "offscreen"};
    ScopedEnv renderDriver{"SDL_RENDER_DRIVER", "software"};
    // The window's own framebuffer, not one SDL would make through a GPU
    // renderer (whose driver libraries keep memory to the end).
    ScopedEnv framebuffer{"SDL_FRAMEBUFFER_ACCELERATION", "0"};
    std::unique_ptr<SdlWindowSystem> system;
    std::unique_ptr<Window> window;
    QuibAppBase app;
    DDInterface* display = nullptr;
};

TEST_P(DisplaySdl, PresentedFrameReadsBackWithTheCursor)
{
    ASSERT_EQ(display->Init(window.get(), true), RESULT_OK) << display->errorText;
    auto* presenter = dynamic_cast<SdlPresenter*>(display->GetPresenter());
    ASSERT_NE(presenter, nullptr);
    // 3-D draws with the GPU device on the presenter's renderer.
    EXPECT_EQ(dynamic_cast<SdlDevice3D*>(display->D3D()->Device()) != nullptr, GetParam());
    presenter->SetCapture(true);
    EXPECT_EQ(display->drawSurface->Format().bitCount, 32u) << "SDL's 24-bit RGB888 is a 32-bit display";

    // A picture: three bands, drawn through the screen image.
    auto band = [&](int y, uint32_t argb) {
        Graphics g(display->screenImage);
        g.color = Color(argb);
        g.FillRectangle(0, y, 96, 20);
    };
    band(0, 0xFFFF0000u);
    band(20, 0xFF00FF00u);
    band(40, 0xFF0000FFu);
    auto cursor = std::make_unique<DDImage>(display);
    std::vector<uint32_t> pixels(8 * 8, 0xFFFFFFFFu);
    cursor->AssignPixels(pixels.data(), 8, 8, true);
    display->SetCursorImage(cursor.get());
    display->cursorPosition = PackCursorPosition(48, 30);

    ASSERT_TRUE(display->Redraw(nullptr)) << display->errorText;
    ASSERT_EQ(presenter->CapturedWidth(), 96);
    ASSERT_EQ(presenter->CapturedHeight(), 64);
    const std::vector<uint32_t>& shot = presenter->Captured();
    DisplaySurface* drawn = display->ScreenSurface();
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x) {
            const bool underCursor = x >= 44 && x < 52 && y >= 26 && y < 34;
            const uint32_t want = underCursor ? 0xFFFFFFFFu
                                              : SurfacePixelToArgb(drawn->PixelAt(uint32_t(x), uint32_t(y)),
                                                                   drawn->Format());
            ASSERT_EQ(shot[size_t(y) * 96 + size_t(x)], want) << x << "," << y;
        }
    // The drawn surface kept the picture only: green under the cursor.
    const uint32_t under = SurfacePixelToArgb(drawn->PixelAt(48, 30), drawn->Format());
    EXPECT_GT((under >> 8) & 0xFF, 0xF0u);
    EXPECT_EQ(under & 0xFF00FF, 0u);
}

TEST_P(DisplaySdl, TheWindowGoingTakesTheDeviceFirst)
{
    ASSERT_EQ(display->Init(window.get(), true), RESULT_OK) << display->errorText;
    {
        Graphics g(display->screenImage);
        g.color = Color(0xFF808080u);
        g.FillRectangle(0, 0, 96, 64);
    }
    ASSERT_TRUE(display->Redraw(nullptr));
    window.reset(); // as a screen-mode switch does before the display starts again
    EXPECT_EQ(display->D3D()->Device(), nullptr);
    EXPECT_FALSE(display->Redraw(nullptr));
    display->Cleanup();
}

TEST_P(DisplaySdl, CapabilityTestRunsOnTheRenderer)
{
    app.auto3D = !GetParam();
    app.check3D = GetParam();
    ASSERT_EQ(display->Init(window.get(), true), RESULT_OK) << display->errorText;
    ASSERT_NE(display->tester, nullptr);
    EXPECT_TRUE(display->tester->Passed()) << display->tester->failureReason;
    EXPECT_TRUE(display->tester->freshResult); // nothing cached without settings
    // SDL's software renderer draws the clipping pattern a texel off: a
    // warning, which keeps 3-D off; a renderer that draws it right is
    // trusted.
    if (display->tester->IsClean()) {
        EXPECT_TRUE(display->is3D);
        EXPECT_NE(dynamic_cast<SdlDevice3D*>(display->D3D()->Device()), nullptr);
    } else {
        EXPECT_FALSE(display->is3D) << display->tester->warning;
    }
}

INSTANTIATE_TEST_SUITE_P(ThreeD, DisplaySdl, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "On" : "Off"; });

} // namespace
} // namespace Quib
