// The picture cursor: its pulse and where it is drawn.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "src/screens/CursorWidget.h"
#include "tests/screens/ScreensTestSupport.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <memory>

namespace Quib {
namespace {

using namespace Testing;

TEST(CursorWidget, StartsPlainAndOneByOne)
{
    CursorWidget cursor;
    EXPECT_EQ(cursor.GetBounds(), Rect(0, 0, 1, 1));
    EXPECT_FLOAT_EQ(cursor.scale, 1.0f);
    EXPECT_FLOAT_EQ(cursor.largestScale, 1.0f);
    EXPECT_EQ(cursor.PictureInUse(), nullptr);
}

TEST(CursorWidget, PulsesBetweenItsLargestScaleAndFullSizeEveryHundredUpdates)
{
    MemoryImage picture(nullptr);
    picture.Resize(4, 4);
    CursorWidget cursor;
    cursor.image = &picture;
    cursor.pulse = true;
    cursor.largestScale = 0.9f;
    struct Step {
        int updates; // since the start
        float scale;
    };
    int done = 0;
    for (const Step& s : {Step{25, 0.9f}, Step{50, 0.95f}, Step{75, 1.0f}, Step{125, 0.9f}}) {
        for (; done < s.updates; ++done)
            cursor.Update();
        EXPECT_NEAR(cursor.scale, s.scale, 1e-3f) << s.updates;
    }
}

TEST(CursorWidget, NoPulseWithoutAPictureOrWithTheSecondOne)
{
    MemoryImage first(nullptr), second(nullptr);
    first.Resize(4, 4);
    second.Resize(4, 4);
    struct Case {
        Image* image;
        Image* secondImage;
        bool useSecond;
        bool pulse;
        bool moves;
    };
    const Case cases[] = {
        {&first, &second, true, true, false},
        {nullptr, nullptr, false, true, false},
        {&first, nullptr, false, false, false},
        {&first, &second, false, true, true},
    };
    for (const Case& c : cases) {
        CursorWidget cursor;
        cursor.image = c.image;
        cursor.secondImage = c.secondImage;
        cursor.useSecond = c.useSecond;
        cursor.pulse = c.pulse;
        cursor.largestScale = 0.5f;
        for (int i = 0; i < 10; ++i)
            cursor.Update();
        EXPECT_EQ(cursor.scale != 1.0f, c.moves);
        EXPECT_EQ(cursor.phase != 0.0f, c.moves);
    }
}

TEST(CursorWidget, DrawsThePictureCentredOnTheMouseAtItsScale)
{
    TestWidgetApp app(100, 100);
    app.manager->mouseX = 50;
    app.manager->mouseY = 40;
    MemoryImage first(nullptr), second(nullptr);
    for (auto [image, color] : {std::pair{&first, Color(255, 0, 0)}, std::pair{&second, Color(0, 255, 0)}}) {
        image->Resize(10, 10);
        Graphics g(image);
        g.color = color;
        g.FillRectangle(0, 0, 10, 10);
    }
    struct Case {
        bool useSecond;
        float scale;
        int insideX, outsideX; // on the mouse's row
        uint32_t color;
    };
    const Case cases[] = {
        {false, 1.0f, 45, 44, 0xFFFF0000u},
        {false, 1.0f, 54, 55, 0xFFFF0000u},
        {false, 0.5f, 48, 46, 0xFFFF0000u},
        {true, 1.0f, 45, 44, 0xFF00FF00u},
    };
    for (const Case& c : cases) {
        CursorWidget cursor;
        cursor.image = &first;
        cursor.secondImage = &second;
        cursor.useSecond = c.useSecond;
        cursor.scale = c.scale;
        std::unique_ptr<MemoryImage> screen(NewScreen(100, 100));
        Graphics g(screen.get());
        g.ReplaceClip(0, 0, 1, 1); // the widget's own bounds; the cursor draws outside them
        cursor.Draw(g);
        // Drawn smoothly: within rounding of the picture's colour.
        EXPECT_TRUE(Near(screen->GetPixel(c.insideX, 40), c.color)) << c.insideX << " at " << c.scale;
        EXPECT_EQ(screen->GetPixel(c.outsideX, 40), 0xFF000000u) << c.outsideX << " at " << c.scale;
        EXPECT_TRUE(Near(screen->GetPixel(50, 40), c.color));
    }

    CursorWidget none;
    std::unique_ptr<MemoryImage> screen(NewScreen(100, 100));
    Graphics g(screen.get());
    none.Draw(g);
    EXPECT_EQ(screen->GetPixel(50, 40), 0xFF000000u);
}

} // namespace
} // namespace Quib
