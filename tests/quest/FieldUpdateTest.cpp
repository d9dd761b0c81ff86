#include "tests/quest/FieldTestSupport.h"

#include "src/game/quest/QstFieldLayerExtraDraw.h"

#include <gtest/gtest.h>

namespace Quib::QfieldsTest {
namespace {

int UpdatesUntil(QstField& field, float alpha, int limit = 100)
{
    int n = 0;
    while (field.alpha != alpha && n < limit) {
        field.Update(0.016f);
        ++n;
    }
    return n;
}

TEST(FieldFade, ANewFieldFadesInInThirtyFourUpdatesAndOutAgain)
{
    QstField field(nullptr);
    field.Open();
    EXPECT_EQ(UpdatesUntil(field, 1.0f), 34);
    field.Close(false);
    EXPECT_FALSE(field.IsClosed());
    EXPECT_EQ(UpdatesUntil(field, 0.0f), 34);
    EXPECT_TRUE(field.IsClosed());
}

TEST(FieldFade, OpenedAndClosedInOneFrameIsClosedOnTheFirstUpdate)
{
    QstField field(nullptr);
    field.Open();
    field.Close(true);
    field.Update(0.016f);
    EXPECT_TRUE(field.IsClosed());
}

TEST(FieldFade, ReversingMidwayFadesBackFromTheAlphaReached)
{
    QstField field(nullptr);
    field.Open();
    for (int i = 0; i < 10; ++i)
        field.Update(0.016f);
    const float reached = field.alpha;
    field.Close(false);
    field.Update(0.016f);
    EXPECT_NEAR(field.alpha, reached - 0.03f, 1e-5f);
    field.Open();
    for (int i = 0; i < 40; ++i)
        field.Update(0.016f);
    EXPECT_FLOAT_EQ(field.alpha, 1.0f);
    EXPECT_FALSE(field.IsClosed());
}

TEST(FieldFade, OpenShowsTheControlsAtOnceAndTheyFadeAtOnePerSecond)
{
    QstField field(nullptr);
    field.closable = true;
    field.Open();
    EXPECT_FLOAT_EQ(field.GetCloseControl()->alpha, 1.0f);
    EXPECT_FLOAT_EQ(field.GetSkipControl()->alpha, 0.0f);
    field.GetCloseControl()->SetVisible(false, false);
    field.Update(0.5f);
    EXPECT_FLOAT_EQ(field.GetCloseControl()->alpha, 0.5f);
    // A charge time of 0 keeps the ratio and the control is ready at once.
    EXPECT_FLOAT_EQ(field.GetSkipControl()->chargeRatio, 1.0f);
    EXPECT_FLOAT_EQ(field.GetSkipControl()->readyLevel, 1.0f);
}

TEST(FieldFade, EffectWidgetsAreDeletedWhenTheFieldHasClosed)
{
    struct Effect : Widget {
        explicit Effect(int* count) : deleted(count) {}
        ~Effect() override { ++*deleted; }
        int* deleted;
    };
    int deleted = 0;
    QstField field(nullptr);
    auto* kept = new Effect(&deleted);
    auto* gone = new Effect(&deleted);
    field.AddEffect(kept);
    field.AddEffect(gone);
    field.DetachChild(gone); // removed itself earlier
    delete gone;
    EXPECT_EQ(deleted, 1);
    field.Close(true);
    field.Update(0.016f);
    EXPECT_TRUE(field.childWidgets.empty());
    EXPECT_TRUE(field.children.empty());
    EXPECT_EQ(deleted, 2);
}

// --- Drawing ---

class CountingHook : public QstFieldLayerExtraDraw {
public:
    void Before(Graphics&) override { calls += "B"; }
    void After(Graphics&) override { calls += "A"; }
    bool DrawsLayer() override { return drawsLayer; }
    std::string calls;
    bool drawsLayer = true;
};

TEST(FieldDraw, LayersTakeTheOpeningGreyAndAlpha)
{
    struct Case {
        float fieldAlpha;
        float layerAlpha;
        Color expected;
    };
    const Case cases[] = {
        {0.0f, 1.0f, Color(100, 100, 100, 0)},
        {0.5f, 1.0f, Color(177, 177, 177, 127)},
        {1.0f, 1.0f, Color(255, 255, 255, 255)},
        {1.0f, 0.5f, Color(255, 255, 255, 127)},
    };
    MemoryImage target(nullptr);
    target.Resize(64, 64);
    for (const Case& c : cases) {
        QstField field(nullptr);
        TestLayer* drawn = MakeLayer(1, 4, 6, 10, 20);
        drawn->alpha = c.layerAlpha;
        field.layers.push_back(new QstFieldLayer(drawn));
        field.SetBounds(0, 0, 64, 64);
        field.alpha = c.fieldAlpha;
        Graphics g(&target);
        field.Draw(g);
        ASSERT_EQ(drawn->draws, 1);
        EXPECT_EQ(drawn->drawnColor, c.expected) << c.fieldAlpha << " " << c.layerAlpha;
        EXPECT_FLOAT_EQ(drawn->originX, 9.0f);
        EXPECT_FLOAT_EQ(drawn->originY, 16.0f);
        EXPECT_EQ(g.SavedStateCount(), 0u);
        EXPECT_FLOAT_EQ(g.scaleX, 1.0f);
    }
}

TEST(FieldDraw, HooksWrapTheLayerAndInvisibleLayersAreSkipped)
{
    MemoryImage target(nullptr);
    target.Resize(32, 32);
    QstField field(nullptr);
    TestLayer* shown = MakeLayer(1, 0, 0, 4, 4);
    TestLayer* hidden = MakeLayer(2, 0, 0, 4, 4);
    hidden->alpha = 0.0f;
    auto* shownLayer = new QstFieldLayer(shown);
    auto* hiddenLayer = new QstFieldLayer(hidden);
    auto* hook = new CountingHook();
    auto* hiddenHook = new CountingHook();
    shownLayer->SetExtraDraw(hook, true);
    hiddenLayer->SetExtraDraw(hiddenHook, true);
    field.layers = {shownLayer, hiddenLayer};
    field.alpha = 1.0f;
    Graphics g(&target);
    field.Draw(g);
    EXPECT_EQ(hook->calls, "BA");
    EXPECT_EQ(shown->draws, 1);
    EXPECT_EQ(hiddenHook->calls, "");
    EXPECT_EQ(hidden->draws, 0);
    hook->drawsLayer = false;
    field.Draw(g);
    EXPECT_EQ(hook->calls, "BABA");
    EXPECT_EQ(shown->draws, 1);
    EXPECT_EQ(hook->fieldLayer, shownLayer);
    EXPECT_EQ(hook->layer, shown);
}

TEST(FieldDraw, MainFieldDrawsNoFrameAndNoControls)
{
    FrameLayoutScope frame;
    MemoryImage target(nullptr);
    target.Resize(300, 300);
    target.ZeroPixels();
    QstField field(nullptr);
    field.layers = {new QstFieldLayer(MakeLayer(1, 200, 300, 100, 50))};
    field.Layout();
    field.MoveTo(0, 0);
    field.framed = false;
    field.closable = false;
    field.alpha = 1.0f;
    field.Open();
    Graphics g(&target);
    field.DrawOverChildren(g);
    int painted = 0;
    for (int py = 0; py < 300; ++py)
        for (int px = 0; px < 300; ++px)
            painted += target.GetPixel(px, py) != 0;
    EXPECT_EQ(painted, 0);

    // A framed popup paints its frame and its close control.
    field.framed = true;
    field.closable = true;
    field.Open();
    Graphics g2(&target);
    field.DrawOverChildren(g2);
    EXPECT_NE(target.GetPixel(70, 100), 0u); // frame
    EXPECT_NE(target.GetPixel(60, 130), 0u); // close control
    EXPECT_EQ(g2.SavedStateCount(), 0u);
}

} // namespace
} // namespace Quib::QfieldsTest
