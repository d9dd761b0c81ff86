#include "tests/quest/FieldTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::QfieldsTest {
namespace {

// Records the hooks the mouse road calls.
class HookField : public QstField {
public:
    HookField() : QstField(nullptr) {}
    bool OnLayerClick(int, int, QstFieldLayer* layer) override
    {
        clicks.push_back(layer);
        return true;
    }
    void OnInnerMouseMove(int, int) override { ++innerMoves; }
    void OnInnerMouseDown(int, int, int, int) override { ++innerDowns; }
    void OnMouseLeft() override { ++lefts; }

    std::vector<QstFieldLayer*> clicks;
    int innerMoves = 0;
    int innerDowns = 0;
    int lefts = 0;
};

class TrackingLayer : public QstFieldLayer {
public:
    explicit TrackingLayer(QstLayer* layer) : QstFieldLayer(layer) {}
    void MouseEnter(int, int) override { events += "E"; }
    void MouseLeave() override { events += "L"; }
    void MouseUp(int, int) override { events += "U"; }
    std::string events;
};

class FieldInput : public ::testing::Test {
protected:
    FrameLayoutScope frame;
};

TEST_F(FieldInput, NearbyUpperLayerWinsOverALowerLayerHitExactly)
{
    QstField field(nullptr);
    auto* lower = new QstFieldLayer(MakeLayer(1, 0, 10, 20, 10));
    auto* upper = new QstFieldLayer(MakeLayer(2, 0, 0, 20, 10));
    field.layers = {lower, upper};
    struct Case {
        int x, y;
        QstFieldLayer* expected;
    };
    const Case cases[] = {{5, 5, upper}, {5, 11, upper}, {5, 12, lower}, {5, 19, lower},
                          {21, 21, lower}, {23, 5, nullptr}, {5, 22, nullptr}};
    for (const Case& c : cases)
        EXPECT_EQ(field.FindLayerAt(c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST_F(FieldInput, HiddenOrMouseInvisibleLayersAreNotHit)
{
    QstField field(nullptr);
    auto* layer = new QstFieldLayer(MakeLayer(1, 0, 0, 20, 20));
    field.layers = {layer};
    QstLayerData* data = layer->GetLayer()->data;
    bool* flags[] = {&data->shown, &data->groupVisible, &data->mouseVisible, &layer->GetLayer()->visible};
    for (bool* flag : flags) {
        *flag = false;
        EXPECT_EQ(field.FindLayerAt(5, 5), nullptr);
        *flag = true;
        EXPECT_EQ(field.FindLayerAt(5, 5), layer);
    }
}

TEST_F(FieldInput, HoverFollowsTheMouseAndLeavingClearsIt)
{
    HookField field;
    auto* a = new TrackingLayer(MakeLayer(1, 0, 0, 20, 20));
    auto* b = new TrackingLayer(MakeLayer(2, 40, 0, 20, 20));
    field.layers = {a, b};
    field.OnMouseMove(5, 5);
    EXPECT_EQ(field.hoveredLayer, a);
    EXPECT_TRUE(a->hovered);
    field.OnMouseMove(45, 5);
    EXPECT_EQ(field.hoveredLayer, b);
    EXPECT_FALSE(a->hovered);
    field.OnMouseMove(30, 5);
    EXPECT_EQ(field.hoveredLayer, nullptr);
    field.OnMouseMove(6, 6);
    field.OnMouseUpButton(6, 6, 0, 1);
    field.OnMouseLeave();
    EXPECT_EQ(field.hoveredLayer, nullptr);
    EXPECT_EQ(a->events, "ELEUL");
    EXPECT_EQ(b->events, "EL");
    EXPECT_EQ(field.lefts, 1);
    EXPECT_EQ(field.cursorType, QST_CURSOR_NONE);
}

TEST_F(FieldInput, PlainLayerClickGoesToTheFieldHookWithoutALayer)
{
    HookField field;
    auto* layer = new QstFieldLayer(MakeLayer(1, 0, 0, 20, 20));
    layer->SetField(&field);
    field.layers = {layer};
    field.OnMouseMove(5, 5);
    field.OnMouseDownButton(5, 5, 0, 1);
    field.OnMouseMove(50, 50);
    field.OnMouseDownButton(50, 50, 0, 1);
    ASSERT_EQ(field.clicks.size(), 2u);
    EXPECT_EQ(field.clicks[0], nullptr);
    EXPECT_EQ(field.clicks[1], nullptr);
}

TEST_F(FieldInput, InnerHooksRunOnlyInsideTheInnerArea)
{
    HookField field;
    field.layers = {new QstFieldLayer(MakeLayer(1, 200, 300, 100, 50))};
    field.Layout(); // inner area (20, 55, 101, 51)
    field.OnMouseMove(25, 60);
    field.OnMouseDownButton(25, 60, 0, 1);
    EXPECT_EQ(field.innerMoves, 2); // the press re-evaluates the hover
    EXPECT_EQ(field.innerDowns, 1);
    field.OnMouseMove(5, 5);
    field.OnMouseDownButton(5, 5, 0, 1);
    EXPECT_EQ(field.innerDowns, 1);
}

// The field of these tests is laid out at (180, 245) 141 x 155: the close
// control's charge picture covers (50..89, 120..149), the skip control's
// (50..89, 5..34).
class FieldControls : public FieldInput {
protected:
    void SetUp() override
    {
        field.layers = {new QstFieldLayer(MakeLayer(1, 200, 300, 100, 50))};
        field.Layout();
    }
    QstField field{nullptr};
};

TEST_F(FieldControls, CloseControlHoverPressAndReleaseClosesTheField)
{
    field.closable = true;
    field.Open();
    field.Update(0.0f);
    field.OnMouseMove(60, 130);
    EXPECT_EQ(field.hoveredControl, 0);
    EXPECT_TRUE(field.GetCloseControl()->hovered);
    field.OnMouseDownButton(60, 130, 0, 1);
    EXPECT_EQ(field.pressedControl, 0);
    EXPECT_TRUE(field.GetCloseControl()->pressed);
    EXPECT_FLOAT_EQ(field.targetAlpha, 1.0f);
    field.OnMouseUpButton(60, 130, 0, 1);
    EXPECT_EQ(field.pressedControl, -1);
    EXPECT_FLOAT_EQ(field.targetAlpha, 0.0f);
}

TEST_F(FieldControls, ReleaseAwayFromTheControlDoesNotClose)
{
    field.Open();
    field.OnMouseMove(60, 130);
    field.OnMouseDownButton(60, 130, 0, 1);
    field.OnMouseDrag(5, 5); // a held button only follows the controls
    EXPECT_EQ(field.hoveredControl, -1);
    field.OnMouseUpButton(5, 5, 0, 1);
    EXPECT_FLOAT_EQ(field.targetAlpha, 1.0f);
}

TEST_F(FieldControls, HiddenControlsLeaveTheMouseToTheLayersUnderThem)
{
    field.Open(); // plain field: the skip control is hidden
    EXPECT_FALSE(field.GetSkipControl()->visible);
    EXPECT_EQ(field.ControlAt(60, 10), -1);
    EXPECT_EQ(field.ControlAt(60, 130), 0);
    field.skipShown = true;
    field.Open();
    EXPECT_EQ(field.ControlAt(60, 10), 1);
    field.closable = false; // "main": no close control
    field.Open();
    EXPECT_EQ(field.ControlAt(60, 130), -1);
    EXPECT_FALSE(field.HoverControl(60, 130));
}

TEST_F(FieldControls, SkipControlIsPressableOnlyWhenFullyCharged)
{
    struct Listener : ButtonListener {
        void ButtonPressByMouse(int id, int) override { presses.push_back(id); }
        void ButtonDepressByMouse(int id, int) override { releases.push_back(id); }
        std::vector<int> presses, releases;
    } listener;
    QstFieldControl& skip = *field.GetSkipControl();
    skip.listener = &listener;
    skip.chargeTime = 2.0f;
    field.skipShown = true;
    field.Open();
    field.Update(1.0f);
    EXPECT_FLOAT_EQ(skip.chargeRatio, 0.5f);
    skip.hovered = true;
    skip.Press(1);
    EXPECT_FALSE(skip.pressed);
    field.Update(1.0f);
    EXPECT_FLOAT_EQ(skip.chargeRatio, 1.0f);
    skip.Press(1);
    skip.Release(1);
    EXPECT_EQ(listener.presses, std::vector<int>{326});
    EXPECT_EQ(listener.releases, std::vector<int>{326});
}

TEST_F(FieldControls, OverControlTestsTheBasePlateOfVisibleControls)
{
    field.closable = true;
    field.Open();
    EXPECT_TRUE(field.IsOverControl(41, 116));  // inside the close plate (40, 115) 60 x 40
    EXPECT_FALSE(field.IsOverControl(41, 100));
    EXPECT_FALSE(field.IsOverControl(41, 1)); // the skip plate is hidden (alpha 0)
}

} // namespace
} // namespace Quib::QfieldsTest

namespace Quib::QfieldsTest {
namespace {

TEST(FieldCursor, KindsMapToTheApplicationCursors)
{
    const std::pair<int, int32_t> table[] = {{0, 1}, {1, 1}, {2, 1}, {3, 5}, {4, 4}, {5, 4}, {6, 5}, {7, 1}, {-1, 1}};
    for (const auto& [kind, cursor] : table)
        EXPECT_EQ(QstField::AppCursorFor(EQstCursorType(kind)), cursor) << kind;
}

} // namespace
} // namespace Quib::QfieldsTest
