// The demo harbour's inventory: the match taken into the strip of the
// generated interface picture is drawn in its cell once it has landed, and
// not while it is still flying.
#include "framework/app/QuibAppBase.h"
#include "framework/files/Singletone.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemStateDraw.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolEntry.h"
#include "src/game/quest/QstPoolPlace.h"
#include "src/game/quest/QstScene.h"
#include "tests/quest/PoolTestSupport.h"
#include "tests/support/GameProfileSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

class PoolHarbourTest : public ::testing::Test {
protected:
    PoolHarbourTest() : cwd(QUIB_GAME_DATA)
    {
        BeginGameProfile(user.Path(), u"sailor", false);
        MakeTestDisplay(app, kDisplayLayouts[0]);
    }
    ~PoolHarbourTest() override { EndGameProfile(); }
    // The strip drawn on a clear screen; the pixel at the centre of place i.
    uint32_t CellCentre(QstPoolData& pool, size_t i)
    {
        auto image = DrawOnClearScreen(pool.stripX, pool.stripY, [&](Graphics& g) { pool.Draw(g); });
        const QstPoolPlace& p = pool.places[i];
        return image->GetPixel(pool.stripX + int(p.x + p.width / 2), pool.stripY + int(p.y + p.height / 2));
    }

    PoolLogCapture log;
    TempDir user;
    ScopedWorkingDirectory cwd;
    QuibAppBase app;
};

TEST_F(PoolHarbourTest, TakenMatchIsDrawnInItsCellOnceLanded)
{
    QstItem* match = QstScene::GetItemByRef("harbour:match");
    ASSERT_NE(match, nullptr);
    PsdPicture interface("data/gui/interface/", true);
    QstPoolData& pool = *QstGameControllerScene::Instance().GetPoolData("harbour");
    pool.layout = &interface;
    pool.LoadLayout();
    pool.mousePosition = [&]() { return TPoint<int>(pool.stripX + 40, pool.stripY + 110); };
    pool.MouseMove(40, 110);
    for (int i = 0; i < 100; ++i)
        pool.Update(0.01f);
    ASSERT_EQ(pool.slide, 0.0f);
    const uint32_t empty = CellCentre(pool, 0);

    pool.AddItem(match, "pool", "", nullptr, false, nullptr, nullptr);
    pool.RefreshPlaces();
    QstPoolEntry* entry = pool.FindEntry(match);
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(entry->picture->state, nullptr);
    EXPECT_GT(entry->picture->w, 0.0f);
    EXPECT_EQ(entry->caption, u"A match");
    pool.Update(0.01f);
    EXPECT_EQ(CellCentre(pool, 0), empty) << "still flying";
    for (int i = 0; i < 400 && !entry->placed; ++i)
        pool.Update(0.01f);
    ASSERT_TRUE(entry->placed);
    pool.Update(0.01f);
    EXPECT_NE(CellCentre(pool, 0), empty);
    EXPECT_LE(entry->scale, 1.0f);
}

} // namespace
} // namespace Quib::Testing
