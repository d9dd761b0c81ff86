// The tooltip and the message bubble: one text at a time, replaced only
// after fading out, hidden after the display time; the tooltip follows the
// mouse, the bubble grows up from its anchor and takes clicks on its body.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameResources.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/MessageBubble.h"
#include "src/screens/ToolTip.h"
#include "tests/screens/ScreensTestSupport.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Quib::CaptionTests {
namespace {

using namespace Testing;

// An 800 x 600 widget application with a font bound as FONT_CORBEL.
class CaptionTest : public ::testing::Test {
protected:
    CaptionTest() : oldFont(FONT_CORBEL) { FONT_CORBEL = &font; }
    ~CaptionTest() override { FONT_CORBEL = oldFont; }

    // Runs n updates of dt seconds.
    template <class W>
    static void Run(W& widget, int n, float dt = 0.01f)
    {
        for (int i = 0; i < n; ++i)
            widget.Update(dt);
    }

    TestWidgetApp app{800, 600};
    SysFont font{"DejaVu Sans", 14, false, false, false};
    Font* oldFont;
};

TEST_F(CaptionTest, ANewTextWaitsForTheShownOneToFadeOut)
{
    ToolTip tip;
    EXPECT_EQ(tip.zOrder, 10);
    tip.SetText(u"Rope", -1.0f);
    EXPECT_EQ(tip.text, u"Rope") << "shown at once over an empty one";
    EXPECT_FLOAT_EQ(tip.displayTime, 3.0f);
    Run(tip, 10);
    EXPECT_FLOAT_EQ(tip.alpha, 1.0f) << "fades in over a tenth of a second";

    tip.SetText(u"Lantern", 2.0f);
    EXPECT_EQ(tip.text, u"Rope");
    EXPECT_EQ(tip.pendingText, u"Lantern");
    Run(tip, 9);
    EXPECT_EQ(tip.text, u"Rope");
    EXPECT_GT(tip.alpha, 0.0f);
    Run(tip, 2);
    EXPECT_EQ(tip.text, u"Lantern");
    EXPECT_TRUE(tip.pendingText.empty());
    Run(tip, 10);
    EXPECT_FLOAT_EQ(tip.alpha, 1.0f);
}

TEST_F(CaptionTest, TheShownTextGivenAgainCancelsThePendingOneAndRestartsItsTime)
{
    ToolTip tip;
    tip.SetText(u"Rope", 1.0f);
    Run(tip, 50);
    tip.SetText(u"Lantern", 1.0f);
    Run(tip, 3);
    tip.SetText(u"Rope", 2.0f);
    EXPECT_TRUE(tip.pendingText.empty());
    EXPECT_EQ(tip.text, u"Rope");
    EXPECT_FLOAT_EQ(tip.displayTime, 2.0f);
    Run(tip, 10);
    EXPECT_FLOAT_EQ(tip.alpha, 1.0f) << "and it comes back";
}

TEST_F(CaptionTest, AnEmptyTextFadesOutButKeepsTheOldOne)
{
    ToolTip tip;
    tip.SetText(u"Rope", -1.0f);
    Run(tip, 20);
    tip.SetText(u"", -1.0f);
    EXPECT_TRUE(tip.textEmpty);
    Run(tip, 10);
    EXPECT_FLOAT_EQ(tip.alpha, 0.0f);
    EXPECT_EQ(tip.text, u"Rope");
    // The same text fades back in at once.
    tip.SetText(u"Rope", -1.0f);
    Run(tip, 10);
    EXPECT_FLOAT_EQ(tip.alpha, 1.0f);
    // A different one after fading out is shown on the next update.
    tip.SetText(u"", -1.0f);
    Run(tip, 10);
    tip.SetText(u"Lantern", -1.0f);
    Run(tip, 1);
    EXPECT_EQ(tip.text, u"Lantern");
}

TEST_F(CaptionTest, ABubbleTextOfTwentyCharactersStaysThreeSecondsThenFadesOut)
{
    MessageBubble bubble;
    const std::u16string text = u"Twenty characters!!!";
    ASSERT_EQ(text.size(), 20u);
    EXPECT_NEAR(TextDisplayTime(text), 3.0f, 1e-5f);
    EXPECT_NEAR(TextDisplayTime(u""), 1.0f, 1e-5f);
    bubble.Show(text, -1.0f);
    // 0.25 s steps keep the sum exact: the time is out after twelve, and
    // the update after that takes the text away.
    Run(bubble, 12, 0.25f);
    EXPECT_FALSE(bubble.textEmpty);
    EXPECT_FLOAT_EQ(bubble.displayTime, 0.0f);
    EXPECT_FLOAT_EQ(bubble.alpha, 1.0f);
    Run(bubble, 1, 0.25f);
    EXPECT_TRUE(bubble.textEmpty) << "gone after 3 s";
    Run(bubble, 1, 0.25f);
    EXPECT_FLOAT_EQ(bubble.alpha, 0.0f) << "at 10 a second a quarter second fades it out";
    EXPECT_EQ(bubble.text, text);
}

TEST_F(CaptionTest, TheTooltipSitsBelowRightOfTheMouseStaysOnScreenAndFlipsNearTheBottom)
{
    ToolTip tip;
    tip.SetText(u"Brass key", -1.0f);
    ASSERT_GT(tip.width, 12);
    EXPECT_EQ(tip.height, tip.flipLift - 45.0f) << "lift is text height + 53, height text height + 8";
    struct Case {
        int mouseX, mouseY;
        int x, y; // -1: the right edge, -2: just above the mouse
    };
    const Case cases[] = {
        {100, 100, 110, 140},
        {795, 100, -1, 140},
        {100, 595, 100, -2},
        {795, 595, -1, -2},
    };
    for (const Case& c : cases) {
        app.manager->mouseX = c.mouseX;
        app.manager->mouseY = c.mouseY;
        Run(tip, 20); // the flip eases in over ten updates
        const int x = c.x == -1 ? 800 - tip.width : c.x;
        EXPECT_EQ(tip.x, x) << c.mouseX << "," << c.mouseY;
        if (c.y == -2)
            EXPECT_EQ(tip.y + tip.height, c.mouseY - 5) << c.mouseX << "," << c.mouseY;
        else
            EXPECT_EQ(tip.y, c.y) << c.mouseX << "," << c.mouseY;
        EXPECT_EQ(tip.flipped, c.y == -2);
    }
}

TEST_F(CaptionTest, TheTooltipBoxIsBrownUnderAFrameAtItsAlpha)
{
    ToolTip tip;
    tip.SetText(u"Key", -1.0f);
    Run(tip, 10);
    std::unique_ptr<MemoryImage> screen(NewScreen(tip.width, tip.height));
    Graphics g(screen.get());
    tip.Draw(g);
    // 0xff2b0e00 at 0.3 over black inside, at 0.6 more on the frame.
    EXPECT_TRUE(Near(screen->GetPixel(0, 0), 0xFF1F0A00u)) << std::hex << screen->GetPixel(0, 0);
    EXPECT_TRUE(Near(screen->GetPixel(tip.width - 3, 1), 0xFF0D0400u)) << std::hex << screen->GetPixel(tip.width - 3, 1);
    // Pale yellow text somewhere in the box.
    bool yellow = false;
    for (int y = 0; y < tip.height; ++y)
        for (int x = 0; x < tip.width; ++x)
            yellow |= Near(screen->GetPixel(x, y), 0xFFFFF398u);
    EXPECT_TRUE(yellow);
}

// A 30 x 30 bubble frame: opaque, but for transparent 5 x 5 outer corners.
MemoryImage* BubbleFrame()
{
    auto* image = new MemoryImage(nullptr);
    image->Resize(30, 30);
    Graphics g(image);
    g.ClearArea(30, 30);
    g.color = Color(255, 255, 255, 255);
    g.FillRectangle(0, 5, 30, 20);
    g.FillRectangle(5, 0, 20, 30);
    return image;
}

class BubbleTest : public CaptionTest {
protected:
    BubbleTest()
    {
        auto* layer = new PsdPictureLayer;
        layer->name = "bubble";
        layer->x = 50;
        layer->y = 400;
        layer->image = BubbleFrame();
        layout.layers.push_back(layer);
        bubble.LoadLayout(layout);
    }
    PsdPicture layout;
    MessageBubble bubble;
};

TEST_F(BubbleTest, TakesItsFrameAndGrowsUpFromItsAnchor)
{
    EXPECT_FALSE(layout.FindLayer("bubble")->drawn);
    EXPECT_EQ(bubble.anchorX, 50);
    EXPECT_EQ(bubble.anchorY, 430);
    EXPECT_EQ(bubble.GetBounds(), Rect(50, 430, 0, 0));
    bubble.Show(u"Where is my hat?", -1.0f);
    int widest = 0;
    Graphics measuring(nullptr);
    measuring.font = &font;
    const int h = measuring.MeasureWrappedText(300, bubble.text, -1, &widest);
    EXPECT_EQ(bubble.GetBounds(), Rect(50, 430 - (h + 45), widest + 27, h + 45));
    // A long text wraps in 300 pixels.
    bubble.Show(u"", 0.0f);
    Run(bubble, 10);
    bubble.Show(std::u16string(40, u'w') + u" " + std::u16string(40, u'w'), -1.0f);
    Run(bubble, 1);
    EXPECT_LE(bubble.width, 300 + 27);
    EXPECT_GT(bubble.height, h + 45);
    EXPECT_EQ(bubble.y + bubble.height, 430);
}

TEST_F(BubbleTest, OnlyItsVisibleBodyTakesClicksAndAClickDismissesIt)
{
    EXPECT_FALSE(bubble.AcceptsPoint(0, 0)) << "no text";
    bubble.Show(u"A rather long sentence for a wide bubble", -1.0f);
    ASSERT_GT(bubble.width, 60);
    EXPECT_FALSE(bubble.AcceptsPoint(bubble.width / 2, bubble.height / 2)) << "alpha 0";
    Run(bubble, 10);
    struct Case {
        int x, y;
        bool hit;
    };
    const int w = bubble.width, h = bubble.height;
    const Case cases[] = {
        {2, 2, false},          {w - 2, h - 2, false}, {w - 2, 2, false}, {2, h - 2, false},
        {w / 2, h / 2, true},   {2, h / 2, true},      {w / 2, 1, true},  {w - 1, h / 2, true},
        {7, 7, true},           {-1, 5, false},        {w, 5, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bubble.AcceptsPoint(c.x, c.y), c.hit) << c.x << "," << c.y;
    bubble.OnMouseDownButton(w / 2, h / 2, 0, 1);
    EXPECT_TRUE(bubble.textEmpty);
    Run(bubble, 10);
    EXPECT_FALSE(bubble.AcceptsPoint(w / 2, h / 2));
}

TEST_F(BubbleTest, DrawsItsFrameStretchedAndTheTextInPaleYellow)
{
    bubble.Show(u"Hello", -1.0f);
    Run(bubble, 10);
    std::unique_ptr<MemoryImage> screen(NewScreen(bubble.width, bubble.height));
    Graphics g(screen.get());
    bubble.Draw(g);
    EXPECT_PRED2(Near, screen->GetPixel(bubble.width - 3, bubble.height / 2), 0xFFFFFFFFu) << "the frame's body";
    EXPECT_EQ(screen->GetPixel(1, 1), 0xFF000000u) << "its transparent corner";
    bool yellow = false;
    for (int y = 0; y < bubble.height; ++y)
        for (int x = 0; x < bubble.width; ++x)
            yellow |= Near(screen->GetPixel(x, y), 0xFFFFF398u);
    EXPECT_TRUE(yellow);
}

TEST_F(BubbleTest, ALayoutWithoutABubbleLeavesItWithoutAFrame)
{
    PsdPicture empty;
    MessageBubble lonely;
    lonely.LoadLayout(empty);
    lonely.Show(u"Hello", -1.0f);
    Run(lonely, 10);
    EXPECT_FALSE(lonely.AcceptsPoint(5, 5));
    std::unique_ptr<MemoryImage> screen(NewScreen(lonely.width, lonely.height));
    Graphics g(screen.get());
    lonely.Draw(g); // the text alone
}

} // namespace
} // namespace Quib::CaptionTests
