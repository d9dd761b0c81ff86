// Close-up fields in a loaded scene (tests/data/quest/fields/Pier): pixel
// hit tests, cursor kinds under the mouse, a popup opening, fading and
// closing on the update clock, exit labels and the actionable targets.
#include "framework/app/QuibAppBase.h"
#include "platform/FileNames.h"
#include "src/Lang.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/PlayerInfo.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstTutor.h"
#include "src/game/quest/QstTutorStep.h"
#include "tests/quest/PoolTestSupport.h"
#include "src/game/quest/Layer/QstImageLayer.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolItemDrag.h"
#include "src/game/quest/QstScene.h"
#include "tests/quest/QstCoreTestSupport.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace Quib::QfieldsTest {
namespace {

// The texts file is 16-bit with a byte-order mark.
std::string Utf16File(const std::string& ascii)
{
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

class FieldScene : public Testing::QstCoreSceneTest {
protected:
    FieldScene()
    {
        MakeTestDisplay(app, Testing::kDisplayLayouts[0]);
        std::filesystem::create_directories(dir / "data/scenes");
        std::filesystem::copy(std::string(QUIB_TEST_DATA) + "/quest/fields", dir / "data/scenes",
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        dir.WriteFile("res/lang.ini", Utf16File("[Scenes]\r\nscene_Square=Town square\r\n"));
        ClearDirectoryCache();
        Lang::Instance().Reload();
        scene = LoadOwn("Pier");
        QstScene::LoadLayers(scene);
        main = scene->GetField("main");
    }

    ~FieldScene() override { own.clear(); } // the pictures go before the display

    // Scene picture coordinates to the main field's.
    int MainX(int px) const { return px - main->x; }
    int MainY(int py) const { return py - main->y; }

    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            scene->UpdateScene(1.0f / 60.0f);
    }

    QuibAppBase app;
    QstScene* scene = nullptr;
    QstField* main = nullptr;
};

TEST_F(FieldScene, PierLoadsWithItsFieldsLaidOut)
{
    ASSERT_FALSE(scene->LoadFailed());
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(scene->fields.size(), 4u);
    ASSERT_EQ(scene->onScreenFields.size(), 1u);
    EXPECT_EQ(main->layers.size(), 6u); // back, the crate's two states, door, drawer, ring
    EXPECT_EQ(main->GetBounds().x, -20);
    EXPECT_EQ(main->GetBounds().width, 64 + 41);
    ASSERT_NE(scene->GetField("desk"), nullptr);
    EXPECT_EQ(scene->GetField("desk")->FindVisibleGroup("lamp")->members.size(), 1u);
}

TEST_F(FieldScene, CursorKindsFollowWhatIsUnderTheMouseAndHolesMiss)
{
    struct Case {
        int x, y; // scene picture coordinates
        EQstCursorType kind;
        const char* item; // hovered item, "" for a plain layer
    };
    const Case cases[] = {
        {12, 12, QST_CURSOR_USE, "crate"},
        {18, 18, QST_CURSOR_NONE, ""}, // the crate's transparent middle shows the back
        {44, 20, QST_CURSOR_LEAVE, "door"},
        {14, 33, QST_CURSOR_CLOSEUP, "drawer"},
        {60, 45, QST_CURSOR_NONE, ""},
    };
    for (const Case& c : cases) {
        main->OnMouseMove(MainX(c.x), MainY(c.y));
        ASSERT_NE(main->hoveredLayer, nullptr) << c.x << "," << c.y;
        std::string item, state;
        const bool isItem = main->hoveredLayer->GetItemAndState(item, state);
        EXPECT_EQ(isItem ? item : "", *c.item ? "Pier:" + std::string(c.item) : "") << c.x << "," << c.y;
        if (c.kind != QST_CURSOR_USE)
            EXPECT_EQ(main->cursorType, c.kind) << c.x << "," << c.y;
        else
            EXPECT_NE(main->cursorType, QST_CURSOR_NONE) << c.x << "," << c.y;
    }
}

TEST_F(FieldScene, AClickOpensThePopupWhichFadesInAndClosesOnEscape)
{
    main->OnMouseMove(MainX(14), MainY(33));
    ASSERT_EQ(main->cursorType, QST_CURSOR_CLOSEUP);
    main->OnMouseDownButton(MainX(14), MainY(33), 0, 1);
    main->OnMouseUpButton(MainX(14), MainY(33), 0, 1);
    EXPECT_EQ(main->cursorType, QST_CURSOR_NONE); // the arrow until the mouse moves
    Frames(1);
    QstField* desk = scene->GetField("desk");
    ASSERT_EQ(scene->GetTopField(), desk);
    EXPECT_TRUE(desk->closable);
    EXPECT_TRUE(desk->framed);
    Frames(40);
    EXPECT_FLOAT_EQ(desk->alpha, 1.0f);
    ASSERT_EQ(scene->onScreenFields.size(), 2u);

    desk->OnKeyDown(27);
    Frames(33);
    EXPECT_EQ(scene->onScreenFields.size(), 2u);
    Frames(1);
    EXPECT_TRUE(desk->IsClosed());
    ASSERT_EQ(scene->onScreenFields.size(), 1u);
    EXPECT_EQ(scene->GetTopField(), main);

    // Shown again, it fades in from nothing.
    ASSERT_EQ(scene->AddPopupField("desk", true), desk);
    EXPECT_FLOAT_EQ(desk->alpha, 0.0f);
    EXPECT_FALSE(desk->IsClosed());
}

TEST_F(FieldScene, AFieldShownTwiceIsOnScreenAndUpdatedOnce)
{
    QstField* desk = scene->AddPopupField("desk", true);
    ASSERT_NE(desk, nullptr);
    scene->AddPopupField("desk", true);
    EXPECT_EQ(scene->onScreenFields.size(), 2u);
    Frames(1);
    EXPECT_NEAR(desk->alpha, 0.03f, 1e-6f);
}

TEST_F(FieldScene, ExitsGetOneLabelNamedAfterTheirDestination)
{
    Frames(1);
    ASSERT_EQ(main->exitLabels.size(), 1u);
    EXPECT_EQ(main->exitLabels[0].text, u"Town square");
    EXPECT_EQ(main->exitLabels[0].state, scene->GetItem("door")->GetCurrentState());
    // The mouse near the exit shows its label; moving away hides it again.
    main->OnMouseMove(MainX(44), MainY(20));
    EXPECT_TRUE(main->exitLabels[0].hovered);
    Frames(20);
    ASSERT_EQ(main->exitLabels.size(), 1u);
    EXPECT_FLOAT_EQ(main->exitLabels[0].alpha, 1.0f);
    main->OnMouseMove(MainX(5), MainY(45));
    EXPECT_FALSE(main->exitLabels[0].hovered);
    Frames(20);
    EXPECT_TRUE(main->exitLabels.empty() || main->exitLabels[0].alpha == 0.0f);
}

// ring1 and ring2 open each other through four items each.
TEST_F(FieldScene, FieldsThatOpenEachOtherOfferNothingAndEndTheSearch)
{
    std::vector<QstClickTarget> clicks;
    std::vector<QstUseTarget> uses;
    scene->CollectActionable(clicks, uses);
    for (const QstClickTarget& click : clicks)
        EXPECT_NE(click.opens, "ring1") << "a loop of close-ups holds nothing to do";
    bool crateOffered = false;
    for (const QstClickTarget& click : clicks)
        crateOffered = crateOffered || click.item == scene->GetItem("crate");
    EXPECT_TRUE(crateOffered);
}

TEST_F(FieldScene, ActionsSwitchVisibleGroupsAndTheProfileKeepsThem)
{
    QstField* desk = scene->GetField("desk");
    EXPECT_TRUE(scene->SetGroupVisible("lamp", false, true));
    QstLayer* lamp = desk->FindVisibleGroup("lamp")->members[0]->GetLayer();
    EXPECT_FALSE(lamp->data->groupVisible);
    EXPECT_FLOAT_EQ(lamp->alpha, 0.0f);
    EXPECT_FALSE(scene->SetGroupVisible("nothing", false, true));
    desk->DisableClose();
    scene->SaveState();

    QstScene* again = LoadOwn("Pier");
    again->LoadState();
    QstField* restored = again->GetField("desk");
    EXPECT_FALSE(restored->FindVisibleGroup("lamp")->visible);
    EXPECT_FALSE(restored->FindVisibleGroup("lamp")->members[0]->GetLayer()->data->groupVisible);
    EXPECT_TRUE(restored->closeHidden);
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(FieldScene, ItemLayersOfferClicksAndUsesUnlessHiddenOrWithoutHint)
{
    QstPoolData pool;
    scene->SetPool(&pool);
    QstItem* rope = scene->GetItem("rope");
    QstItem* crate = scene->GetItem("crate");
    pool.AddItem(rope, "pool", "", nullptr, true, nullptr, nullptr);
    auto offered = [&](QstItem* item) {
        std::vector<QstClickTarget> clicks;
        std::vector<QstUseTarget> uses;
        scene->CollectActionable(clicks, uses);
        int clickCount = 0;
        int useCount = 0;
        for (const QstClickTarget& c : clicks)
            clickCount += c.item == item;
        for (const QstUseTarget& u : uses) {
            useCount += u.item == item;
            EXPECT_EQ(u.poolItem, rope);
            EXPECT_EQ(u.field, main);
        }
        return std::make_pair(clickCount, useCount);
    };
    EXPECT_EQ(offered(crate), std::make_pair(1, 1));
    EXPECT_EQ(offered(scene->GetItem("door")), std::make_pair(0, 1)); // clicks that leave are not offered

    crate->GetCurrentState()->noHint = true;
    EXPECT_EQ(offered(crate), std::make_pair(0, 1));
    crate->GetCurrentState()->noHint = false;

    for (QstFieldItemLayer* layer : crate->GetCurrentState()->layers)
        QstImageLayer::SetDataGroupVisible(layer->GetLayer(), false, true);
    EXPECT_EQ(offered(crate), std::make_pair(0, 0));
    scene->SetPool(nullptr);
}

// Using the rope from the inventory: on nothing the drag ends; on the crate
// the use runs, and the rope stays in hand while the door, another of its
// targets, is still shown.
TEST_F(FieldScene, ADraggedItemIsUsedOnTheItemUnderTheMouse)
{
    QstPoolData pool;
    scene->SetPool(&pool);
    QstItem* rope = scene->GetItem("rope");
    ASSERT_NE(rope, nullptr);
    pool.AddItem(rope, "pool", "", nullptr, true, nullptr, nullptr);
    ASSERT_TRUE(pool.HasItem(rope));
    std::vector<std::unique_ptr<QstPoolItemDrag>> ended;
    auto drop = [&](int px, int py) {
        main->OnMouseMove(MainX(px), MainY(py));
        main->OnMouseDownButton(MainX(px), MainY(py), 0, 1);
        main->OnMouseUpButton(MainX(px), MainY(py), 0, 1);
        Frames(1);
    };

    pool.drag = new QstPoolItemDrag(rope, "");
    ended.emplace_back(pool.drag);
    EXPECT_EQ(main->cursorType, QST_CURSOR_NONE);
    drop(60, 45); // the back: no use target
    EXPECT_EQ(pool.GetDraggedItem(), nullptr);
    EXPECT_EQ(scene->GetItem("crate")->GetCurrentState()->name, "shut");

    pool.drag = new QstPoolItemDrag(rope, "");
    ended.emplace_back(pool.drag);
    drop(12, 12);
    EXPECT_EQ(scene->GetItem("crate")->GetCurrentState()->name, "open");
    EXPECT_EQ(pool.GetDraggedItem(), rope) << "the door is still a target in view";

    drop(44, 20); // inside the door's label circle, the layer under it is the door
    EXPECT_EQ(pool.GetDraggedItem(), rope) << "using it on the door again keeps the door a target";
    pool.RemoveItem(rope);
    drop(44, 20);
    EXPECT_EQ(pool.GetDraggedItem(), nullptr) << "an item no longer in the pool is not held";
    scene->SetPool(nullptr);
}

// A tutorial step on the crate: other items show no cursor and ignore
// clicks, the crate's click completes the step; a step that disables closing
// keeps a popup open against Escape but not against a forced close.
TEST_F(FieldScene, TheTutorialGatesCursorsClicksAndClosing)
{
    PsdPicture frame;
    frame.layers.push_back(Testing::MakeOpaqueLayer("_back", 100, 100, 200, 100));
    frame.layers.push_back(Testing::MakeOpaqueLayer("text", 110, 110, 180, 50));
    auto* tutor = new QstTutor(scene);
    tutor->frameLayout = &frame;
    QstTutorStep click;
    click.kind = QstTutorStepKind::Click;
    click.itemName = "Pier:crate";
    click.noBox = true;
    QstTutorStep close;
    close.kind = QstTutorStepKind::CloseClick;
    close.closeFieldDisabled = true;
    close.noBox = true;
    tutor->steps = {click, close};
    scene->tutorial = tutor;
    GameControllerCommon::Instance().Player().showTutorial = true;
    GameControllerCommon::Instance().Player().currentTutorialStep = 0;

    main->OnMouseMove(MainX(44), MainY(25)); // the door, below its label's circle
    main->OnMouseMove(MainX(14), MainY(33)); // the drawer
    EXPECT_EQ(main->cursorType, QST_CURSOR_NONE);
    main->OnMouseDownButton(MainX(14), MainY(33), 0, 1);
    main->OnMouseUpButton(MainX(14), MainY(33), 0, 1);
    Frames(1);
    EXPECT_EQ(scene->onScreenFields.size(), 1u) << "the drawer's click was refused";

    main->OnMouseMove(MainX(12), MainY(12));
    EXPECT_NE(main->cursorType, QST_CURSOR_NONE);
    main->OnMouseDownButton(MainX(12), MainY(12), 0, 1);
    main->OnMouseUpButton(MainX(12), MainY(12), 0, 1);
    Frames(1);
    EXPECT_EQ(scene->GetItem("crate")->GetCurrentState()->name, "open");
    EXPECT_EQ(GameControllerCommon::Instance().Player().currentTutorialStep, 1);

    QstField* desk = scene->AddPopupField("desk", true);
    ASSERT_NE(desk, nullptr);
    desk->OnKeyDown(27);
    EXPECT_FLOAT_EQ(desk->targetAlpha, 1.0f);
    desk->Close(true);
    EXPECT_FLOAT_EQ(desk->targetAlpha, 0.0f);
    EXPECT_EQ(GameControllerCommon::Instance().Player().currentTutorialStep, 2);
    scene->tutorial = nullptr;
    delete tutor;
    GameControllerCommon::Instance().Player().currentTutorialStep = 0;
}

} // namespace
} // namespace Quib::QfieldsTest
