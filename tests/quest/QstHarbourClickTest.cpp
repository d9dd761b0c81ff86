// The harbour in a headless application: its pictures loaded, the mouse
// pressed where the player would press it, and the scripts run.
#include "tests/support/SceneAppTestSupport.h"

namespace Quib::Testing {
namespace {

class QstHarbourClicks : public SceneAppTest {
protected:
    QstHarbourClicks() : SceneAppTest("harbour", u"deckhand") {}
    void BeforeSceneStart() override { GameControllerCommon::Instance().Player().showTutorial = WithTutorial(); }
    // A click, then long enough for fades to finish (fields fade by 0.03 an update).
    void Click(int px, int py)
    {
        SceneAppTest::Click(px, py);
        for (int i = 0; i < 50; ++i)
            scene->UpdateScene(0.02f);
    }
    virtual bool WithTutorial() const { return true; }
};

TEST_F(QstHarbourClicks, TheTutorialLeadsTheFirstClicks)
{
    ASSERT_NE(scene->GetTutor(), nullptr);
    EXPECT_TRUE(scene->layersLoaded);
    Click(10, 300); // the sky: nothing happens
    EXPECT_EQ(StateOf("crate"), "closed");

    Click(480, 580); // the chest: not yet, the tutorial points at the crate
    EXPECT_EQ(scene->onScreenFields.size(), 1u);

    Click(290, 570);
    EXPECT_EQ(StateOf("crate"), "open");
    EXPECT_EQ(StateOf("match"), "normal");
    EXPECT_EQ(GameControllerCommon::Instance().Player().currentTutorialStep, 1);

    Click(290, 537); // the match goes into the bag
    EXPECT_EQ(StateOf("match"), "pool");
    EXPECT_EQ(GameControllerCommon::Instance().Player().currentTutorialStep, 2);
}

class QstHarbourClicksWithoutTutorial : public QstHarbourClicks {
protected:
    bool WithTutorial() const override { return false; }
};

TEST_F(QstHarbourClicksWithoutTutorial, TheChestOpensItsCloseUp)
{
    EXPECT_EQ(scene->GetTutor(), nullptr);
    Click(480, 580);
    ASSERT_EQ(scene->onScreenFields.size(), 2u);
    EXPECT_EQ(scene->GetTopField()->name, "chest");
    EXPECT_TRUE(scene->GetField("main")->disabled);
    // The lid, then the key under it.
    Click(500, 340);
    EXPECT_EQ(StateOf("lid"), "open");
    EXPECT_EQ(StateOf("key"), "normal");
    Click(500, 384);
    EXPECT_EQ(StateOf("key"), "pool");
}

} // namespace
} // namespace Quib::Testing
