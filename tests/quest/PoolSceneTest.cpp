// The inventory over real scenes: items taken switch to their pool state,
// the whole pool goes into the profile and comes back, and the trash dialog
// carries a found item into the strip.
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolEntry.h"
#include "src/game/quest/QstPoolPlace.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstTrashDialog.h"
#include "src/game/quest/QstPoolItemFly.h"
#include "tests/quest/PoolTestSupport.h"
#include "tests/quest/QstCoreTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

class PoolSceneTest : public QstCoreSceneTest {
protected:
    PoolSceneTest()
    {
        WriteScene("Dock", R"(<Scene ambient_sounds="harbour">)"
                           R"(<Item name="key" start_state="table"><State name="table"/><State name="pool"/></Item>)"
                           R"(<Item name="coin" start_state="floor"><State name="floor"/><State name="pool"/></Item>)"
                           R"(<Field name="main" mask="main/"/></Scene>)");
        WriteScene("Pier", R"(<Scene ambient_sounds="harbour">)"
                           R"(<Item name="rope" start_state="post"><State name="post"/><State name="pool"/></Item>)"
                           R"(<Field name="main" mask="main/"/></Scene>)");
    }
    static std::string StateOf(QstItem* item)
    {
        return item && item->GetCurrentState() ? item->GetCurrentState()->name : "<none>";
    }
    static std::vector<std::string> Row(QstPoolData& pool)
    {
        std::vector<std::string> row;
        for (const QstPoolPlace& place : pool.places)
            row.push_back(place.entry ? place.entry->item->GetFullName() + "/" + place.entry->StateName() : "");
        return row;
    }
};

TEST_F(PoolSceneTest, TakenItemsSwitchStateAndTheInventoryComesBackFromTheProfile)
{
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    QstItem* key = QstScene::GetItemByRef("Dock:key");
    QstItem* rope = QstScene::GetItemByRef("Pier:rope");
    ASSERT_NE(key, nullptr);
    ASSERT_NE(rope, nullptr);
    QstPoolData* pool = controller.GetPoolData("harbour");
    pool->AddItem(key, "pool", "", nullptr, true, nullptr, nullptr);
    pool->AddItem(rope, "pool", "", nullptr, true, nullptr, nullptr);
    EXPECT_EQ(StateOf(key), "pool");
    EXPECT_EQ(pool->places.size(), 1u + 1u); // no layout: places as needed

    controller.ClearLevels(); // saves scenes and pools into the profile
    controller.LoadPools();
    QstPoolData* back = controller.GetPoolData("harbour");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(Row(*back), (std::vector<std::string>{"Dock:key/pool", "Pier:rope/pool"}));
    for (const QstPoolPlace& place : back->places)
        EXPECT_TRUE(place.entry->placed);
}

TEST_F(PoolSceneTest, TrashDialogCarriesTheFoundItemToTheStrip)
{
    QstItem* coin = QstScene::GetItemByRef("Dock:coin");
    ASSERT_NE(coin, nullptr);
    auto* layout = new PsdPicture;
    layout->layers.push_back(MakeOpaqueLayer("back", 300, 150, 400, 360));
    layout->layers.push_back(MakeOpaqueLayer("bottom", 300, 500, 400, 70));
    layout->layers.push_back(MakeOpaqueLayer("placeholders/item", 420, 190, 160, 160));
    layout->layers.push_back(MakeOpaqueLayer("close/close_in", 415, 520, 170, 44));
    layout->layers.push_back(MakeOpaqueLayer("close/close_ac", 415, 520, 170, 44));
    QstTrashDialog dialog(nullptr, "Dock:coin", Delegate(), layout);
    ASSERT_NE(dialog.fly, nullptr);
    EXPECT_FLOAT_EQ(dialog.fly->start.x, 500.0f);
    EXPECT_FLOAT_EQ(dialog.fly->start.y, 270.0f);
    for (int i = 0; i < 40; ++i)
        dialog.Update();
    EXPECT_FLOAT_EQ(dialog.fly->path.elapsed, 0.0f); // waits for the close
    dialog.ButtonDepress(0);
    int updates = 0;
    while (!dialog.finished && updates < 5000) {
        dialog.Update();
        ++updates;
    }
    EXPECT_TRUE(dialog.finished);
    EXPECT_TRUE(dialog.itemArrived);
    // The flight (about 0.9 s at 0.005 s a step) outlasts the fade-out.
    EXPECT_GT(updates, 34);
}

} // namespace
} // namespace Quib::Testing
