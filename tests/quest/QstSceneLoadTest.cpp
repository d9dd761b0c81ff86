// Loading scene documents: the order of reading, the items and their states,
// every load error (reported once, nothing crashes, what was read stays),
// and the fields put on screen.
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/actions/QstActionData.h"
#include "tests/quest/QstCoreTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

const char* const kDockLayers = "main/back = 0 0 0 0 0 0 0\r\nmain/box_closed = 100 200 0 0 0 0 5\r\n"
                                "main/box_open = 100 200 0 0 0 0 5\r\nlocker/back = 300 100 0 0 0 0 9\r\n";

std::string DockXml(const std::string& items, const std::string& fields = "", const std::string& rootAttrs = "")
{
    return R"(<Scene ambient_sounds="harbour")" + rootAttrs + ">" + items + R"(<Field name="main" mask="main/"/>)" +
           fields + "</Scene>";
}

using QstSceneLoadTest = QstCoreSceneTest;

TEST_F(QstSceneLoadTest, AGoodSceneLoadsItsItemsAndShowsMainOnce)
{
    WriteScene("Dock",
               DockXml(R"(<Item name="box" start_state="closed">)"
                       R"(<State name="closed" image="main/box_closed"><OnClick><SetState new_state="open"/></OnClick></State>)"
                       R"(<State name="open" image="main/box_open"/></Item>)",
                       R"(<Field name="locker" mask="locker/"/>)", R"( distortion="1")"),
               kDockLayers);
    QstScene* scene = LoadOwn("Dock");
    EXPECT_FALSE(scene->LoadFailed());
    EXPECT_TRUE(BoxTexts().empty());
    ASSERT_EQ(scene->onScreenFields.size(), 1u);
    EXPECT_EQ(scene->onScreenFields[0], scene->GetField("main"));
    EXPECT_FALSE(scene->GetField("main")->framed);
    EXPECT_EQ(scene->fields.size(), 2u);
    EXPECT_NE(scene->distortion, nullptr);

    QstItem* box = scene->GetItem("box");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetFullName(), "Dock:box");
    EXPECT_EQ(box->GetCurrentState()->name, "closed");
    EXPECT_EQ(box->states.size(), 3u); // closed, open, off
    EXPECT_EQ(box->GetState("closed")->layers.size(), 1u);
    EXPECT_EQ(box->GetState("closed")->clickGroup, "box.closed_OnClick");
    EXPECT_NE(scene->FindActionData("box.closed_OnClick"), nullptr);
    EXPECT_EQ(scene->loadContext.layers.size(), 4u);
    EXPECT_EQ(scene->loadContext.Find("main/box_open")->baseZ, 500);
    EXPECT_TRUE(scene->loadContext.Find("main/box_open")->used);
}

TEST_F(QstSceneLoadTest, StartStatesFollowTheRules)
{
    WriteScene("Dock", DockXml(R"(<Item name="bare"/>)"
                               R"(<Item name="withnormal"><State name="a"/><State name="normal"/></Item>)"
                               R"(<Item name="two"><State name="a"/><State name="b"/></Item>)"
                               R"(<Item name="ownoff"><State name="off" no_hint="0" hint_pos="5,6"/></Item>)"));
    QstScene* scene = LoadOwn("Dock");
    ASSERT_FALSE(scene->LoadFailed()) << ::testing::PrintToString(BoxTexts());
    QstItem* bare = scene->GetItem("bare");
    ASSERT_EQ(bare->states.size(), 1u);
    EXPECT_EQ(bare->GetCurrentState()->name, "off");
    EXPECT_TRUE(bare->GetCurrentState()->layers.empty());
    EXPECT_EQ(scene->GetItem("withnormal")->GetCurrentState()->name, "normal");
    EXPECT_EQ(scene->GetItem("two")->GetCurrentState()->name, "off");
    QstItemState* ownOff = scene->GetItem("ownoff")->GetCurrentState();
    EXPECT_EQ(scene->GetItem("ownoff")->states.size(), 1u); // the document's "off" is used
    EXPECT_TRUE(ownOff->noHint);                             // any value, even "0"
    EXPECT_TRUE(ownOff->hasHintPos);
    EXPECT_EQ(ownOff->hintPos[0], 5);
    EXPECT_EQ(ownOff->hintPos[1], 6);
}

TEST_F(QstSceneLoadTest, UseEntriesAreNumberedAndTargetsGetTheScenePrefix)
{
    WriteScene("Dock", DockXml(R"(<Item name="rope"><State name="pool">)"
                               R"(<OnUse target_item="box" target_item_state="closed"><SetState item="box" new_state="open"/></OnUse>)"
                               R"(<OnUse target_item="box" target_item_state="open" no_hint=""><SetState item="box" new_state="closed"/></OnUse>)"
                               R"(<OnUse target_item="Pier:bollard" target_item_state=""><Sound sound_name="x"/></OnUse>)"
                               R"(</State></Item>)"
                               R"(<Item name="box" start_state="closed"><State name="closed"/><State name="open"/></Item>)"));
    QstScene* scene = LoadOwn("Dock");
    ASSERT_FALSE(scene->LoadFailed()) << ::testing::PrintToString(BoxTexts());
    const auto& entries = scene->GetItem("rope")->GetState("pool")->useEntries;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].groupName, "rope.pool_OnUse00");
    EXPECT_EQ(entries[1].groupName, "rope.pool_OnUse01");
    EXPECT_EQ(entries[0].targetItem, "Dock:box");
    EXPECT_EQ(entries[1].targetState, "open");
    EXPECT_FALSE(entries[0].noHint);
    EXPECT_TRUE(entries[1].noHint);
    EXPECT_EQ(entries[2].targetItem, "Pier:bollard");
    EXPECT_EQ(entries[2].targetState, "");
}

struct LoadFailureCase {
    const char* label;
    std::string xml;
    std::string firstBox;
};

TEST_F(QstSceneLoadTest, EveryLoadErrorIsReportedOnceAndTheSceneIsNotShown)
{
    const std::vector<LoadFailureCase> cases = {
        {"no root", "<Other/>", "Root \"Scene\" element not found"},
        {"parse error", "<Scene ambient_sounds=\"x\"><Item></Scene>", "Error"},
        {"no ambient", R"(<Scene><Item name="a"/><Field name="main" mask="main/"/></Scene>)",
         "Attribute \"ambient_sounds\" not found"},
        {"empty item name", DockXml(R"(<Item name=""/>)"), "Empty item name not allowed"},
        {"empty state name", DockXml(R"(<Item name="a"><State name=""/></Item>)"), "Empty state name not allowed"},
        {"duplicate state", DockXml(R"(<Item name="a"><State name="s"/><State name="s"/></Item>)"),
         "State \"s\" already exists"},
        {"unknown start", DockXml(R"(<Item name="a" start_state="gone"><State name="s"/></Item>)"),
         "Start state \"gone\" not found in item states"},
        {"item in scene and field",
         DockXml(R"(<Item name="a"/>)", R"(<Field name="locker" mask="locker/"><Item name="a"/></Field>)"),
         "Item \"a\" already exists"},
        {"duplicate field", DockXml("", R"(<Field name="main" mask="main/"/>)"), "Field \"main\" already exists"},
        {"equal uses",
         DockXml(R"(<Item name="a"><State name="s"><OnUse target_item="b" target_item_state=""/>)"
                 R"(<OnUse target_item="Bad:b" target_item_state=""/></State></Item>)"),
         "Found 2 equal OnUse actions\n(target_item=\"Bad:b\", target_item_state=\"\""},
        {"use without state", DockXml(R"(<Item name="a"><State name="s"><OnUse target_item="b"/></State></Item>)"),
         "Attribute \"target_item_state\" not found"},
        {"no main field", R"(<Scene ambient_sounds="x"/>)", "Field \"main\" not found"},
    };
    for (const LoadFailureCase& c : cases) {
        SCOPED_TRACE(c.label);
        ClearCaught();
        WriteScene("Bad", c.xml);
        QstScene scene("Bad");
        scene.LoadLevel();
        EXPECT_TRUE(scene.LoadFailed());
        ASSERT_EQ(sink.boxes.size(), 1u) << ::testing::PrintToString(BoxTexts());
        EXPECT_EQ(sink.boxes[0].text.rfind(c.firstBox, 0), 0u) << sink.boxes[0].text;
        EXPECT_EQ(sink.boxes[0].caption, "Xml error (\"data\\scenes\\Bad.xml\")!");
        EXPECT_LE(scene.onScreenFields.size(), 1u);
    }
}

TEST_F(QstSceneLoadTest, AnErrorNamesTheElementAndItsLine)
{
    WriteScene("Bad", "<Scene ambient_sounds=\"x\">\n<Item name=\"box\">\n<State name=\"\"/>\n</Item>\n</Scene>\n");
    QstScene scene("Bad");
    EXPECT_FALSE(scene.LoadScene());
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "Empty state name not allowed\nScene/Item(\"box\")/State(\"\") (line 3)");
    // The closing quote of the file name comes after the separator.
    EXPECT_EQ(LogCount("(file: \"data\\scenes\\Bad.xml; \"Scene/Item(\"box\")/State(\"\") (line 3)): "
                       "Empty state name not allowed\n"),
              1)
        << ::testing::PrintToString(sink.debugLines);
}

TEST_F(QstSceneLoadTest, AMissingAmbientAttributeKeepsNoItemsOrFields)
{
    WriteScene("Bad", R"(<Scene><Item name="a"/><Field name="main" mask="main/"/></Scene>)");
    QstScene* scene = LoadOwn("Bad");
    EXPECT_TRUE(scene->items.empty());
    EXPECT_TRUE(scene->fields.empty());
    EXPECT_TRUE(scene->onScreenFields.empty());
}

TEST_F(QstSceneLoadTest, AMissingSceneIsReportedAndNeverBecomesActive)
{
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    controller.SetLevelName("Nowhere");
    EXPECT_EQ(controller.GetActiveScene(), nullptr);
    ASSERT_EQ(BoxTexts(), std::vector<std::string>{"Can't load file"});
    // Registered before loading: asking again loads nothing and shows nothing.
    EXPECT_NE(controller.FindLoadedScene("Nowhere"), nullptr);
    EXPECT_EQ(controller.GetActiveScene(), nullptr);
    EXPECT_EQ(sink.boxes.size(), 1u);
}

TEST_F(QstSceneLoadTest, OnlyTheTextOneMakesADistortion)
{
    WriteScene("Dock", DockXml("", "", R"( distortion="true")"));
    EXPECT_EQ(LoadOwn("Dock")->distortion, nullptr);
}

TEST_F(QstSceneLoadTest, PopupsTakeInputFromTheFieldsBelowThem)
{
    WriteScene("Dock", DockXml("", R"(<Field name="locker" mask="locker/"/>)"), kDockLayers);
    QstScene* scene = LoadOwn("Dock");
    QstField* mainField = scene->GetField("main");
    QstField* locker = scene->AddPopupField("locker", true);
    ASSERT_NE(locker, nullptr);
    EXPECT_TRUE(locker->closable);
    EXPECT_NE(locker->darkBack, nullptr);
    EXPECT_TRUE(mainField->disabled);
    EXPECT_FALSE(locker->disabled);

    // Shown twice: the box, and still one entry.
    EXPECT_EQ(scene->AddPopupField("locker", true), locker);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Try to add field \"locker\", thats already on screen"});
    EXPECT_EQ(sink.boxes[0].caption, "Error");
    EXPECT_EQ(scene->onScreenFields.size(), 2u);

    scene->RemoveField(locker);
    scene->UpdateFieldInput();
    EXPECT_EQ(scene->onScreenFields.size(), 1u);
    EXPECT_FALSE(mainField->disabled);

    EXPECT_EQ(scene->AddPopupField("nothere", true), nullptr);
}

TEST_F(QstSceneLoadTest, ClusterNamesIgnoreTheCaseOfSceneNames)
{
    WriteScene("Dock", DockXml(""));
    WriteScene("Lonely", DockXml(""));
    EXPECT_EQ(LoadOwn("Dock")->GetClusterName(), "harbour");
    EXPECT_EQ(LoadOwn("Lonely")->GetClusterName(), "");
}

TEST_F(QstSceneLoadTest, DescriptionNamesAndItemNamesStayUnique)
{
    WriteScene("Dock", DockXml(R"(<Item name="a"><State name="s"><OnClick><Sound name="ping" sound_name="x"/></OnClick></State></Item>)"
                               R"(<Item name="b"><State name="s"><OnClick><Sound name="ping" sound_name="y"/></OnClick></State></Item>)"));
    QstScene* scene = LoadOwn("Dock");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Action \"ping\" already exists"});
    EXPECT_NE(scene->FindActionData("ping"), nullptr);

    EXPECT_EQ(scene->DoCreateAction(scene->GetItem("a"), "nothing", true, true), nullptr);
    EXPECT_EQ(LogCount("Try to create action with type \"nothing\" that doesn't exists"), 1);

    EXPECT_FALSE(scene->OnItemNameChanged(scene->GetItem("a"), "a", "b"));
    EXPECT_TRUE(scene->OnItemNameChanged(scene->GetItem("a"), "a", "c"));
    EXPECT_NE(scene->GetItem("c"), nullptr);
    EXPECT_EQ(scene->GetItem("a"), nullptr);
    EXPECT_FALSE(scene->OnItemNameChanged(nullptr, "gone", "d"));
    EXPECT_EQ(LogCount("Try to rename item \"gone\" that does not exists"), 1);

    QstItem* b = scene->GetItem("b");
    EXPECT_FALSE(b->OnItemStateNameChanged(nullptr, "s", "off"));
    EXPECT_TRUE(b->OnItemStateNameChanged(nullptr, "s", "t"));
    EXPECT_NE(b->GetState("t"), nullptr);
    EXPECT_FALSE(b->OnItemStateNameChanged(nullptr, "gone", "u"));
    EXPECT_EQ(LogCount("Try to rename item state \"gone\" that does not exists in item \"b\""), 1);
}

} // namespace
} // namespace Quib::Testing
