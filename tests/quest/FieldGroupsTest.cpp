#include "tests/quest/FieldTestSupport.h"

#include "src/game/quest/QstItemState.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace Quib::QfieldsTest {
namespace {

// A field with the layers lamp/a, lamp/b, fire/c and wall, and the groups
// "lamp" (mask "lamp/"), "glow" (mask "lamp/") and "fire" (mask "fire/").
class FieldGroups : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* res : {"lamp/a", "lamp/b", "fire/c", "wall"})
            field.layers.push_back(new QstFieldLayer(MakeLayer(1, 0, 0, 10, 10, res)));
        Read("<Field name='desk' mask=''><VisibleGroup name='lamp' mask='lamp/'/>"
             "<VisibleGroup name='glow' mask='lamp/'/><VisibleGroup name='fire' mask='fire/'/></Field>");
        field.BindVisibleGroups();
    }

    void Read(const char* xml)
    {
        TiXmlDocument doc;
        doc.Parse(xml);
        QstXmlElement element(doc.RootElement(), log.Handler());
        SLoadLayerDataCont context;
        ASSERT_TRUE(field.DoInitFromXML(element, context));
    }

    bool GroupVisible(size_t layer) const { return field.layers[layer]->GetLayer()->data->groupVisible; }

    // The field's saved state as text.
    std::string Saved()
    {
        TiXmlDocument doc;
        auto* root = new TiXmlElement("Field");
        doc.LinkEndChild(root);
        QstXmlElement element(root, log.Handler());
        EXPECT_TRUE(field.SaveState(element));
        TiXmlPrinter printer;
        printer.SetIndent("");
        printer.SetLineBreak("");
        root->Accept(&printer);
        return printer.CStr();
    }

    bool Restore(const char* xml)
    {
        TiXmlDocument doc;
        doc.Parse(xml);
        QstXmlElement element(doc.RootElement(), log.Handler());
        return field.LoadState(element);
    }

    ErrorLog log;
    QstField field{nullptr};
};

TEST_F(FieldGroups, MembersFollowTheMasks)
{
    ASSERT_EQ(field.visibleGroups.size(), 3u);
    EXPECT_EQ(field.FindVisibleGroup("lamp")->members.size(), 2u);
    EXPECT_EQ(field.FindVisibleGroup("fire")->members.size(), 1u);
    EXPECT_EQ(field.FindVisibleGroup("nothing"), nullptr);
}

TEST_F(FieldGroups, UntouchedGroupsSaveNothing)
{
    EXPECT_EQ(Saved(), "<Field />");
}

TEST_F(FieldGroups, HiddenGroupSavesItsFlagAndAnEmptyExceptionAndRestoresHidden)
{
    EXPECT_TRUE(field.SetGroupVisible("fire", false, true));
    EXPECT_FALSE(GroupVisible(2));
    EXPECT_EQ(Saved(), "<Field><VisibleGroup name=\"fire\" is_visible=\"0\" exception=\"\" /></Field>");
    field.SetGroupVisible("fire", true, true);
    EXPECT_TRUE(Restore("<Field><VisibleGroup name=\"fire\" is_visible=\"0\" exception=\"\" /></Field>"));
    EXPECT_FALSE(GroupVisible(2));
    EXPECT_FLOAT_EQ(field.layers[2]->GetLayer()->alpha, 0.0f);
}

TEST_F(FieldGroups, MemberSwitchedByAnotherGroupIsSavedAsException)
{
    field.SetGroupVisible("glow", false, true);
    EXPECT_EQ(Saved(), "<Field><VisibleGroup name=\"glow\" is_visible=\"0\" exception=\"\" />"
                       "<VisibleGroup name=\"lamp\" is_visible=\"1\" exception=\"lamp/a,lamp/b\" /></Field>");
}

TEST_F(FieldGroups, ExceptionListsAreTrimmedAndEmptyPartsIgnored)
{
    EXPECT_TRUE(Restore("<Field><VisibleGroup name='lamp' is_visible='1' exception=' lamp/b , ,' /></Field>"));
    EXPECT_TRUE(GroupVisible(0));
    EXPECT_FALSE(GroupVisible(1));
}

TEST_F(FieldGroups, UnknownGroupInTheProfileIsSkippedAndTheRestIsRestored)
{
    EXPECT_TRUE(Restore("<Field><VisibleGroup name='gone' is_visible='0' exception=''/>"
                        "<VisibleGroup name='fire' is_visible='0' exception=''/></Field>"));
    EXPECT_FALSE(GroupVisible(2));
    EXPECT_TRUE(log.messages.empty()); // logged, no message box
}

TEST_F(FieldGroups, BrokenEntryStopsTheRestore)
{
    EXPECT_FALSE(Restore("<Field><VisibleGroup name='fire'/><VisibleGroup name='lamp' is_visible='0' "
                         "exception=''/></Field>"));
    EXPECT_EQ(log.messages, std::vector<std::string>{"Attribute \"is_visible\" not found"});
    EXPECT_TRUE(GroupVisible(0));
}

TEST_F(FieldGroups, CloseHiddenWithAnyValueDisablesCloseAndIsSavedBack)
{
    EXPECT_TRUE(Restore("<Field CloseHidden='0'/>"));
    EXPECT_TRUE(field.closeHidden);
    EXPECT_FALSE(field.closable);
    EXPECT_EQ(Saved(), "<Field CloseHidden=\"1\" />");
}

TEST_F(FieldGroups, SameNamedGroupsSwitchOnlyTheFirstButAllAreSaved)
{
    QstField twin(nullptr);
    twin.layers.push_back(new QstFieldLayer(MakeLayer(1, 0, 0, 10, 10, "x/1")));
    twin.layers.push_back(new QstFieldLayer(MakeLayer(1, 0, 0, 10, 10, "y/1")));
    TiXmlDocument doc;
    doc.Parse("<Field name='t' mask=''><VisibleGroup name='g' mask='x/'/><VisibleGroup name='g' mask='y/'/></Field>");
    QstXmlElement element(doc.RootElement(), log.Handler());
    SLoadLayerDataCont context;
    ASSERT_TRUE(twin.DoInitFromXML(element, context));
    twin.BindVisibleGroups();
    twin.SetGroupVisible("g", false, true);
    EXPECT_FALSE(twin.layers[0]->GetLayer()->data->groupVisible);
    EXPECT_TRUE(twin.layers[1]->GetLayer()->data->groupVisible);
    EXPECT_FALSE(twin.SetGroupVisible("other", false, true));
}

// --- Exit labels ---

class FieldExitLabels : public ::testing::Test {
protected:
    void SetUp() override
    {
        exitLayer = new QstFieldItemLayer(MakeLayer(1, 0, 0, 100, 100), &state);
        state.exitLayer = exitLayer;
    }
    void TearDown() override { delete exitLayer; }

    QstItemState state{nullptr, "open"};
    QstFieldItemLayer* exitLayer = nullptr;
    QstField field{nullptr};
};

TEST_F(FieldExitLabels, CircleThroughTheAnchorCornersCatchesTheMouse)
{
    QstField::ExitTargets exits = {{&state, "harbour"}};
    field.SyncExitLabels(exits);
    ASSERT_EQ(field.exitLabels.size(), 1u);
    struct Case {
        int x, y;
        bool inside;
    };
    for (const Case& c : {Case{101, 50, true}, Case{120, 120, false}, Case{0, 0, true}, Case{50, -21, false},
                          Case{50, -20, true}}) {
        EXPECT_EQ(field.ExitLabelHitTest(c.x, c.y), c.inside) << c.x << "," << c.y;
        EXPECT_EQ(field.exitLabels[0].hovered, c.inside);
    }
}

TEST_F(FieldExitLabels, OneLabelPerStateAndUnshownLabelsFadeAway)
{
    QstField::ExitTargets exits = {{&state, "harbour"}};
    field.SyncExitLabels(exits);
    QstField::ExitTargets again = {{&state, "harbour"}};
    field.SyncExitLabels(again);
    ASSERT_EQ(field.exitLabels.size(), 1u);
    EXPECT_TRUE(field.exitLabels[0].present);

    field.ExitLabelHitTest(50, 50);
    field.UpdateExitLabels(0.1f);
    EXPECT_NEAR(field.exitLabels[0].alpha, 0.3f, 1e-5f);
    EXPECT_NEAR(field.exitLabels[0].hoverLevel, 0.3f, 1e-5f);
    field.ExitLabelHitTest(500, 500);
    field.UpdateExitLabels(0.05f);
    EXPECT_NEAR(field.exitLabels[0].alpha, 0.15f, 1e-5f);
    field.UpdateExitLabels(0.1f);
    EXPECT_TRUE(field.exitLabels.empty());
}

TEST_F(FieldExitLabels, ShowAllShowsPresentLabelsAndLeavingHidesThem)
{
    QstField::ExitTargets exits = {{&state, "harbour"}};
    field.SyncExitLabels(exits);
    field.showAllExitLabels = true;
    field.UpdateExitLabels(1.0f);
    EXPECT_FLOAT_EQ(field.exitLabels[0].alpha, 1.0f);
    field.ClearExitLabelHover();
    EXPECT_FALSE(field.showAllExitLabels);
    EXPECT_FALSE(field.exitLabels[0].present);
    EXPECT_FALSE(field.ClickExitLabel());
}

TEST_F(FieldExitLabels, TheExitHighlightIsDrawnEnlargedAboutItsCentreWithTheLabelAlpha)
{
    QstField::ExitTargets exits = {{&state, "harbour"}};
    field.SyncExitLabels(exits);
    MemoryImage target(nullptr);
    target.Resize(16, 16);
    auto* drawn = static_cast<TestLayer*>(exitLayer->GetLayer());
    struct Case {
        float hoverLevel;
        float alpha;
        float scale;
        int drawnAlpha;
    };
    for (const Case& c : {Case{0.0f, 0.5f, 1.1f, 127}, Case{1.0f, 1.0f, 1.2f, 255}}) {
        field.exitLabels[0].hoverLevel = c.hoverLevel;
        field.exitLabels[0].alpha = c.alpha;
        Graphics g(&target);
        field.DrawExitLabels(g);
        EXPECT_NEAR(drawn->drawnScale, c.scale, 1e-5f);
        EXPECT_FLOAT_EQ(drawn->originX, 50.0f);
        EXPECT_FLOAT_EQ(drawn->originY, 50.0f);
        EXPECT_EQ(drawn->drawnColor.alpha, c.drawnAlpha);
        EXPECT_EQ(g.SavedStateCount(), 0u);
    }
    EXPECT_EQ(drawn->draws, 2);
}

} // namespace
} // namespace Quib::QfieldsTest
