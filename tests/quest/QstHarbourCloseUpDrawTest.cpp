// The harbour with its chest close-up open: the backdrop behind the
// close-up and the scene's mesh cells under it leave out what the
// close-up's opaque picture covers, and the screen comes out the same as
// with everything drawn.
#include "framework/graphics/MemoryImage.h"
#include "src/screens/DarkBack.h"
#include "tests/support/SceneAppTestSupport.h"

#include <vector>

namespace Quib::Testing {
namespace {

class QstHarbourCloseUpDraw : public SceneAppTest {
protected:
    QstHarbourCloseUpDraw() : SceneAppTest("harbour", u"closeup") {}
    void BeforeSceneStart() override { GameControllerCommon::Instance().Player().showTutorial = false; }

    // The whole tree drawn on the screen picture, read back.
    std::vector<uint32_t> Screen()
    {
        auto* screen = dynamic_cast<MemoryImage*>(app.widgetManager->screenImage);
        EXPECT_NE(screen, nullptr);
        if (!screen)
            return {};
        app.widgetManager->InvalidateAll();
        app.widgetManager->DrawScreen();
        std::vector<uint32_t> words(size_t(screen->width) * size_t(screen->height));
        EXPECT_TRUE(screen->ReadPictureInto(words.data()));
        // The colour only: the top byte of an opaque screen is no part of the picture.
        for (uint32_t& w : words)
            w &= 0x00FFFFFF;
        return words;
    }
};

TEST_F(QstHarbourCloseUpDraw, TheBackdropAndSceneSkipWhatTheOpenCloseUpCovers)
{
    QstField* chest = scene->AddPopupField("chest", true);
    ASSERT_NE(chest, nullptr);
    DarkBack* back = chest->darkBack;
    ASSERT_NE(back, nullptr);
    ASSERT_TRUE(back->coveredArea);
    // Opening: zoomed and tinted, nothing is sure to be covered.
    Frames(3);
    ASSERT_GT(chest->alpha, 0.0f);
    ASSERT_LT(chest->alpha, 1.0f);
    EXPECT_EQ(chest->OpaqueScreenArea().width, 0);

    Frames(60);
    ASSERT_EQ(chest->alpha, 1.0f);
    ASSERT_EQ(back->fade, back->fadeTarget);
    const Rect area = chest->OpaqueScreenArea();
    // Inside the close-up's back picture (262, 144, 500 x 420), most of it.
    EXPECT_GT(area.width, 400);
    EXPECT_GT(area.height, 330);
    EXPECT_TRUE(Rect(262, 144, 500, 420).Contains(area.x, area.y));
    EXPECT_TRUE(Rect(262, 144, 500, 420).Contains(area.x + area.width - 1, area.y + area.height - 1));

    // The same screen with the hole and with the whole backdrop, over a
    // few frames of the rippling scene.
    for (int frame = 0; frame < 3; ++frame) {
        const std::vector<uint32_t> withHole = Screen();
        const auto covered = back->coveredArea;
        back->coveredArea = nullptr;
        scene->skipCoveredCells = false;
        const std::vector<uint32_t> whole = Screen();
        back->coveredArea = covered;
        scene->skipCoveredCells = true;
        ASSERT_FALSE(whole.empty());
        ASSERT_EQ(withHole, whole) << "frame " << frame;
        Frames(7);
    }

    // The scene under the close-up knows what covers it; the close-up
    // itself is covered by nothing.
    const Rect below = scene->AreaCoveredAbove(scene->GetField("main"));
    EXPECT_EQ(below.x, area.x);
    EXPECT_EQ(below.width, area.width);
    EXPECT_EQ(scene->AreaCoveredAbove(chest).width, 0);

    // Hidden, the close-up covers nothing.
    chest->visible = false;
    EXPECT_EQ(chest->OpaqueScreenArea().width, 0);
    chest->visible = true;
    // Closing: the backdrop no longer asks the field.
    chest->Close(true);
    EXPECT_FALSE(back->coveredArea);
}

} // namespace
} // namespace Quib::Testing
