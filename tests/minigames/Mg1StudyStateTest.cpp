// Skipping after the skip time, and saving a puzzle in the middle and
// going on after the scene was loaded again.
#include "framework/graphics/Image.h"
#include "src/game/minigames/QstFieldBuro.h"
#include "src/game/minigames/QstFieldDoorLock.h"
#include "src/game/minigames/QstFieldLock15.h"
#include "src/game/minigames/QstFieldSeif.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolItemDrag.h"
#include "src/game/quest/QstScene.h"
#include "tests/minigames/MinigameTestSupport.h"

namespace Quib::Mg1Test {
namespace {

class StudyState : public StudyTest {
protected:
    template <class Kind>
    Kind* Field(const std::string& name)
    {
        return dynamic_cast<Kind*>(scene->GetField(name));
    }
    void ClickCentre(QstFieldMinigame* field, const MinigamePicture* picture, int button = 0)
    {
        float fx = 0, fy = 0;
        CentreOf(field, picture, fx, fy);
        ClickField(field, fx, fy, button);
        Frames(2);
    }
};

TEST_F(StudyState, SkipButtonWinsOnlyOnceItIsCharged)
{
    auto* buro = dynamic_cast<QstFieldBuro*>(OpenPuzzle("bureau", "buro"));
    ASSERT_NE(buro, nullptr);
    QstFieldControl* skip = buro->GetSkipControl();
    ASSERT_TRUE(skip->visible);
    EXPECT_FLOAT_EQ(skip->chargeTime, 120.0f) << "res\\game.ini MinigameSkipTime";
    ASSERT_NE(skip->chargePicture, nullptr);
    // Not charged yet: a press does nothing.
    ClickField(buro, float(skip->x + skip->chargeOffsetX + skip->chargePicture->width / 2),
               float(skip->y + skip->chargeOffsetY + skip->chargePicture->height / 2));
    Frames(3);
    EXPECT_FALSE(buro->IsFinishing());
    WaitAndSkip(buro);
    EXPECT_TRUE(buro->IsFinishing());
    Frames(100);
    EXPECT_EQ(StateOf("bureau"), "open");
    EXPECT_FALSE(IsOnScreen("buro"));
}

TEST_F(StudyState, WaitedSkipTimeSurvivesSaving)
{
    auto* door = dynamic_cast<QstFieldDoorLock*>(OpenPuzzle("door", "door"));
    ASSERT_NE(door, nullptr);
    Frames(100, 0.5f); // 50 s
    // Closed, not won: the waited time is kept.
    door->Close(false);
    Frames(60);
    ASSERT_FALSE(IsOnScreen("door"));
    const float waited = door->GetSkipControl()->chargeElapsed;
    EXPECT_GT(waited, 49.0f);
    ReloadScene();
    door = Field<QstFieldDoorLock>("door");
    ASSERT_NE(door, nullptr);
    EXPECT_FALSE(IsOnScreen("door"));
    EXPECT_TRUE(door->IsOpened()) << "saved puzzle state marks the puzzle as opened";
    EXPECT_FLOAT_EQ(door->GetSkipControl()->chargeElapsed, waited);
    // Saved and loaded once more without opening it: still not lost.
    ReloadScene();
    door = Field<QstFieldDoorLock>("door");
    ASSERT_NE(door, nullptr);
    EXPECT_NEAR(door->GetSkipControl()->chargeElapsed, waited, 0.01f);
    // The rest of the two minutes, not two minutes more.
    door = dynamic_cast<QstFieldDoorLock*>(OpenPuzzle("door", "door"));
    ASSERT_NE(door, nullptr);
    Frames(int((120.0f - waited) / 0.5f) + 2, 0.5f);
    EXPECT_EQ(door->GetSkipControl()->chargeRatio, 1.0f);
    WaitAndSkip(door);
    Frames(100);
    EXPECT_EQ(StateOf("door"), "open");
}

TEST_F(StudyState, SafeSavedHalfwayGoesOnFromTheSameDigits)
{
    auto* safe = dynamic_cast<QstFieldSeif*>(OpenPuzzle("safe", "safe"));
    ASSERT_NE(safe, nullptr);
    const std::string code = safe->combination;
    ClickCentre(safe, safe->digits[size_t(code[0] - '0')].picture);
    ClickCentre(safe, safe->digits[size_t(code[1] - '0')].picture);
    const float angle = safe->dialTargets.back();
    ReloadScene();
    safe = Field<QstFieldSeif>("safe");
    ASSERT_NE(safe, nullptr);
    DismissTutor();
    EXPECT_EQ(safe->entered, code.substr(0, 2));
    EXPECT_TRUE(safe->digits[size_t(code[0] - '0')].pressed);
    EXPECT_TRUE(safe->digits[size_t(code[1] - '0')].pressed);
    EXPECT_NEAR(safe->dialAngle, angle < 0 ? angle + 6.2831855f : angle, 1e-4f);
    for (size_t i = 2; i < code.size(); ++i)
        ClickCentre(safe, safe->digits[size_t(code[i] - '0')].picture);
    Frames(300);
    EXPECT_EQ(StateOf("safe"), "open");
}

TEST_F(StudyState, TileLockSavedHalfwayKeepsKeysAndTiles)
{
    QstItem* key = scene->GetItem("key");
    const FRect r = key->GetCurrentState()->GetBoundingRect();
    Click(int(r.x + r.width / 2), int(r.y + r.height / 2));
    Frames(200);
    auto* lock = dynamic_cast<QstFieldLock15*>(OpenPuzzle("tiles", "lock"));
    ASSERT_NE(lock, nullptr);
    QstPoolData* pool = scene->GetPool();
    for (int k = 0; k < 3; ++k) {
        pool->drag = new QstPoolItemDrag(key, std::string());
        pool->AddExtension(pool->drag);
        ClickCentre(lock, lock->locks[size_t(k)].lockPicture);
    }
    EXPECT_FALSE(lock->AllKeysIn());
    pool->drag = new QstPoolItemDrag(key, std::string());
    pool->AddExtension(pool->drag);
    ClickCentre(lock, lock->locks[3].lockPicture);
    ASSERT_TRUE(lock->AllKeysIn());
    Frames(60);
    ClickCentre(lock, lock->locks[2].lockPicture, 1);
    Frames(60);
    const auto homes = lock->Arrangement();
    const float angle = lock->locks[2].angleTarget;
    ReloadScene();
    lock = Field<QstFieldLock15>("lock");
    ASSERT_NE(lock, nullptr);
    DismissTutor();
    EXPECT_TRUE(lock->AllKeysIn());
    EXPECT_TRUE(lock->GetSkipControl()->visible);
    EXPECT_EQ(lock->Arrangement(), homes);
    EXPECT_NEAR(lock->locks[2].angle, angle, 1e-4f); // saved with "%g"
    for (size_t i = 0; i < 9; ++i)
        EXPECT_EQ(lock->tiles[i].x, lock->cellPictures[i]->x) << "tiles snap to their cells";
}

} // namespace
} // namespace Quib::Mg1Test
