#include "tests/quest/FieldTestSupport.h"

#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstMinigameFactory.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace Quib::QfieldsTest {
namespace {

class FieldLayout : public ::testing::Test {
protected:
    FrameLayoutScope frame;
};

TEST_F(FieldLayout, FrameMeasuresAndControlsComeFromTheSharedLayout)
{
    QstField field(nullptr);
    EXPECT_EQ(field.frameTop, 30);
    EXPECT_EQ(field.frameBottom, 24);
    ASSERT_EQ(field.controls.size(), 2u);
    const QstFieldControl& close = *field.GetCloseControl();
    EXPECT_EQ(close.id, 325);
    EXPECT_EQ(close.width, 60);
    EXPECT_EQ(close.height, 40);
    EXPECT_EQ(close.chargeOffsetX, 10);
    EXPECT_EQ(close.chargeOffsetY, 5);
    EXPECT_EQ(field.GetSkipControl()->id, 326);
    EXPECT_FLOAT_EQ(field.alpha, 0.0f);
    EXPECT_FLOAT_EQ(field.targetAlpha, 1.0f);
}

TEST_F(FieldLayout, BoundsGrowTheLayersUnionByMarginsAndFrameAndLayersMoveIntoTheField)
{
    QstField field(nullptr);
    field.layers.push_back(new QstFieldLayer(MakeLayer(1, 200, 300, 100, 50)));
    field.layers.push_back(new QstFieldLayer(MakeLayer(2, 250, 320, 10, 10)));
    field.Layout();
    EXPECT_EQ(field.GetBounds(), Rect(180, 245, 141, 155));
    EXPECT_FLOAT_EQ(field.layers[0]->GetLayer()->x, 20.0f);
    EXPECT_FLOAT_EQ(field.layers[0]->GetLayer()->y, 55.0f);
    EXPECT_EQ(field.layers[0]->GetField(), &field);
    EXPECT_EQ(field.GetInnerArea(), Rect(20, 55, 101, 51));
    // Close at the bottom centre, skip at the top centre.
    EXPECT_EQ(field.GetCloseControl()->x, 40);
    EXPECT_EQ(field.GetCloseControl()->y, 115);
    EXPECT_EQ(field.GetSkipControl()->x, 40);
    EXPECT_EQ(field.GetSkipControl()->y, 0);
}

TEST_F(FieldLayout, SecondLayoutLoadsAgainButKeepsBoundsAndPositions)
{
    QstField field(nullptr);
    field.layers.push_back(new QstFieldLayer(MakeLayer(1, 200, 300, 100, 50)));
    field.Layout();
    EXPECT_EQ(DataOf(field.layers[0])->loads, 1);
    field.UnloadLayers();
    EXPECT_EQ(DataOf(field.layers[0])->unloads, 1);
    field.Layout();
    EXPECT_EQ(DataOf(field.layers[0])->loads, 2);
    EXPECT_EQ(field.GetBounds(), Rect(180, 245, 141, 155));
    EXPECT_FLOAT_EQ(field.layers[0]->GetLayer()->x, 20.0f);
}

TEST_F(FieldLayout, LayersOutsideTheBoundsDoNotWidenThem)
{
    QstItemState ignored(nullptr, "s");
    ignored.ignoreBoundingRect = true;
    QstField field(nullptr);
    field.layers.push_back(new QstFieldItemLayer(MakeLayer(1, 500, 500, 10, 10), &ignored));
    field.Layout();
    EXPECT_EQ(field.GetBounds(), Rect(-20, -55, 41, 105));

    QstField mixed(nullptr);
    mixed.layers.push_back(new QstFieldItemLayer(MakeLayer(1, 900, 900, 10, 10), &ignored));
    mixed.layers.push_back(new QstFieldLayer(MakeLayer(2, 200, 300, 100, 50)));
    mixed.Layout();
    EXPECT_EQ(mixed.GetBounds(), Rect(180, 245, 141, 155));
}

TEST_F(FieldLayout, HiddenLayerIsNotLoadedButLoadsAutomaticallyLater)
{
    QstField field(nullptr);
    auto* layer = new QstFieldLayer(MakeLayer(1, 0, 0, 10, 10));
    layer->GetLayer()->data->shown = false;
    layer->GetLayer()->alpha = 0.0f;
    field.layers.push_back(layer);
    field.Layout();
    EXPECT_EQ(DataOf(layer)->loads, 0);
    EXPECT_TRUE(layer->GetLayer()->data->autoLoad);
    layer->GetLayer()->data->forceLoad = true;
    field.Layout();
    EXPECT_EQ(DataOf(layer)->loads, 1);
}

TEST_F(FieldLayout, EscapeClosesOnlyAClosableField)
{
    struct Case {
        bool closable;
        bool disabled;
        float targetAfter;
    };
    for (const Case& c : {Case{true, false, 0.0f}, Case{false, false, 1.0f}, Case{true, true, 1.0f}}) {
        QstField field(nullptr);
        field.closable = c.closable;
        if (c.disabled)
            field.DisableClose();
        field.Open();
        field.OnKeyDown(27);
        EXPECT_FLOAT_EQ(field.targetAlpha, c.targetAfter) << c.closable << c.disabled;
        field.OnKeyDown(13); // other keys are swallowed
    }
}

TEST_F(FieldLayout, DisableCloseFadesTheCloseControlAndIsRemembered)
{
    QstField field(nullptr);
    field.Open();
    EXPECT_FLOAT_EQ(field.GetCloseControl()->alpha, 1.0f);
    field.DisableClose();
    EXPECT_TRUE(field.closeHidden);
    EXPECT_FALSE(field.closable);
    EXPECT_FALSE(field.GetCloseControl()->visible);
    EXPECT_FLOAT_EQ(field.GetCloseControl()->alpha, 1.0f);
    field.Update(0.25f);
    EXPECT_FLOAT_EQ(field.GetCloseControl()->alpha, 0.75f);
}

// --- Binding the scene picture's layers ---

class FieldBinding : public ::testing::Test {
protected:
    PsdLayerInfo& AddInfo(const std::string& name, int32_t z, bool used)
    {
        PsdLayerInfo info;
        info.name = name;
        info.baseZ = z;
        info.x = 10.0f;
        info.y = 20.0f;
        info.used = used;
        context.layers.push_back(info);
        return context.layers.back();
    }

    FrameLayoutScope frame;
    SLoadLayerDataCont context;
};

TEST_F(FieldBinding, ClaimedPicturesGiveOnlyTheirUsersAndUnclaimedOnesAPlainLayer)
{
    context.directory = "data/scenes/harbour/";
    context.layers.reserve(8);
    AddInfo("desk/back", 100, false);
    auto* itemLayer = new QstFieldLayer(MakeLayer(200, 0, 0, 5, 5, "desk/key"));
    AddInfo("desk/key", 200, true).users.push_back(itemLayer);
    auto* glow = new QstFieldLayer(MakeLayer(300, 0, 0, 5, 5, "fx"));
    AddInfo("desk/lamp", 300, false).users.push_back(glow);
    AddInfo("main/sky", 50, false);
    AddInfo("desk/spent", 400, true); // claimed, no users: nothing

    QstField desk(nullptr);
    desk.mask = "desk/";
    desk.BindPsdLayers(context);
    ASSERT_EQ(desk.layers.size(), 4u);
    EXPECT_EQ(desk.layers[0]->GetDepth(), 100);
    EXPECT_EQ(desk.layers[1], itemLayer);
    EXPECT_EQ(desk.layers[2]->GetDepth(), 300); // the plain picture of the lamp
    EXPECT_NE(desk.layers[2], glow);
    EXPECT_EQ(desk.layers[3], glow);
    EXPECT_FLOAT_EQ(desk.layers[0]->GetRect().x, 10.0f);
    EXPECT_FLOAT_EQ(desk.layers[0]->GetRect().y, 20.0f);
    EXPECT_TRUE(context.layers[1].users.empty());
    EXPECT_FALSE(context.layers[0].used);
}

TEST_F(FieldBinding, TwoFieldsShareUnclaimedPicturesButUsersGoToTheFirst)
{
    auto* user = new QstFieldLayer(MakeLayer(100, 0, 0, 5, 5));
    AddInfo("room/chair", 100, false).users.push_back(user);
    QstField first(nullptr);
    QstField second(nullptr);
    first.BindPsdLayers(context); // empty masks match every name
    second.BindPsdLayers(context);
    ASSERT_EQ(first.layers.size(), 2u);
    ASSERT_EQ(second.layers.size(), 1u);
    EXPECT_EQ(first.layers[1], user);
    EXPECT_NE(second.layers[0], user);
}

TEST_F(FieldBinding, EqualDepthsKeepThePictureOrderOnEveryRun)
{
    context.layers.reserve(12);
    std::vector<QstFieldLayer*> users;
    for (int i = 0; i < 12; ++i) {
        auto* user = new QstFieldLayer(MakeLayer(i % 2 ? 500 : 400, 0, 0, 5, 5));
        users.push_back(user);
        AddInfo("l" + std::to_string(i), 0, true).users.push_back(user);
    }
    QstField field(nullptr);
    field.BindPsdLayers(context);
    ASSERT_EQ(field.layers.size(), 12u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(field.layers[size_t(i)], users[size_t(2 * i)]);
        EXPECT_EQ(field.layers[size_t(6 + i)], users[size_t(2 * i + 1)]);
    }
}

// --- Reading the Field element ---

TEST_F(FieldLayout, ReadingStopsAtTheFirstMissingAttributeAndReadsGroupsInOrder)
{
    struct Case {
        const char* xml;
        bool ok;
        const char* message;
        size_t groups;
    };
    const Case cases[] = {
        {"<Field mask='m'/>", false, "Attribute \"name\" not found", 0},
        {"<Field name='desk'/>", false, "Attribute \"mask\" not found", 0},
        {"<Field name='desk' mask='desk/'><VisibleGroup name='a' mask='x'/><VisibleGroup name='b' mask='y'/></Field>",
         true, "", 2},
        {"<Field name='desk' mask='desk/'><VisibleGroup name='a' mask='x'/><VisibleGroup name='' mask='y'/></Field>",
         false, "Name must not be empty", 1},
        {"<Field name='desk' mask='desk/'><VisibleGroup name='a'/></Field>", false, "Attribute \"mask\" not found",
         0},
    };
    for (const Case& c : cases) {
        TiXmlDocument doc;
        doc.Parse(c.xml);
        ErrorLog log;
        QstXmlElement element(doc.RootElement(), log.Handler());
        SLoadLayerDataCont context;
        QstField field(nullptr);
        EXPECT_EQ(field.DoInitFromXML(element, context), c.ok) << c.xml;
        EXPECT_EQ(field.visibleGroups.size(), c.groups) << c.xml;
        if (c.ok)
            EXPECT_TRUE(log.messages.empty()) << c.xml;
        else
            EXPECT_EQ(log.messages, std::vector<std::string>{c.message}) << c.xml;
    }
}

// --- Mini-game kinds ---

TEST(MinigameFactory, TypeNamesAreExactAndUnknownOnesAreReported)
{
    struct Case {
        const char* xml;
        size_t messages;
    };
    const Case cases[] = {
        {"<Field name='a' mask='a'/>", 0},
        {"<Field name='a' mask='a' type=''/>", 0},
        {"<Field name='a' mask='a' type='safe'/>", 0},
        {"<Field name='a' mask='a' type='mummy'/>", 0},
        {"<Field name='a' mask='a' type='Safe'/>", 1},
        {"<Field name='a' mask='a' type='teapot'/>", 1},
    };
    for (const Case& c : cases) {
        TiXmlDocument doc;
        doc.Parse(c.xml);
        ErrorLog log;
        QstXmlElement element(doc.RootElement(), log.Handler());
        QstField* field = CreateMinigameField(nullptr, element);
        EXPECT_EQ(field, nullptr) << c.xml; // no kind is built in yet: a plain field follows
        delete field;
        ASSERT_EQ(log.messages.size(), c.messages) << c.xml;
    }
    TiXmlDocument doc;
    doc.Parse("<Field type='Safe'/>");
    ErrorLog log;
    QstXmlElement element(doc.RootElement(), log.Handler());
    CreateMinigameField(nullptr, element);
    EXPECT_EQ(log.messages, std::vector<std::string>{"Can't create minigame of type \"Safe\""});
    EXPECT_EQ(MinigameTypeTable().size(), 10u);
    EXPECT_STREQ(MinigameTypeTable().front().type, "safe");
    EXPECT_STREQ(MinigameTypeTable().back().type, "mummy");
}

TEST(MinigameFactory, ARegisteredMakerBuildsItsKindWithTheTypeName)
{
    static std::string madeType;
    QstMinigameMaker maker = [](QstScene* owner, void* loading, const std::string& type) -> QstField* {
        madeType = type;
        return new QstField(owner, loading);
    };
    ASSERT_TRUE(RegisterMinigameMaker("chain", maker));
    EXPECT_FALSE(RegisterMinigameMaker("Chain", maker));
    TiXmlDocument doc;
    doc.Parse("<Field name='a' mask='a' type='chain'/>");
    ErrorLog log;
    QstXmlElement element(doc.RootElement(), log.Handler());
    int loading = 0;
    QstField* field = CreateMinigameField(nullptr, element, &loading);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(madeType, "chain");
    EXPECT_EQ(field->loadingData, &loading);
    delete field;
    RegisterMinigameMaker("chain", nullptr);
    EXPECT_EQ(CreateMinigameField(nullptr, element), nullptr);
    EXPECT_TRUE(log.messages.empty());
}

} // namespace
} // namespace Quib::QfieldsTest
