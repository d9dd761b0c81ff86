#include "framework/graphics/Graphics.h"
#include "framework/widgets/ScrollListener.h"
#include "framework/widgets/ScrollbarWidget.h"
#include "framework/widgets/ScrollbuttonWidget.h"
#include "tests/support/RecordingImage.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace Quib {
namespace ScrollbarTesting {

using namespace Testing;

struct ScrollRecorder : ScrollListener {
    std::vector<std::pair<int, double>> calls;
    void OnScroll(int id, double value) override { calls.emplace_back(id, value); }
};

// A vertical bar 16 x 132 at (100, 0): arrow buttons 16 x 16, a track of
// 100 from y 16 to 116.
struct BarFixture {
    TestWidgetApp app;
    ScrollRecorder listener;
    ScrollbarWidget* bar = new ScrollbarWidget(&listener);

    BarFixture(double max = 100, double page = 10)
    {
        bar->id = 3;
        bar->ResizeScrollbar(100, 0, 16, 132);
        app.manager->AttachChild(bar);
        bar->SetMaxValue(max);
        bar->SetPageSize(page);
        listener.calls.clear();
    }
    ~BarFixture()
    {
        app.manager->DetachChild(bar);
        delete bar;
    }
    WidgetManager& M() { return *app.manager; }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            M().UpdateFrame();
    }
};

TEST(ScrollbarWidget, ThumbArithmetic)
{
    struct Case {
        int length; // along the bar; thickness 16, buttons 16
        bool horizontal;
        bool fixedThumb;
        double max, page, value;
        int size, position;
    };
    const Case cases[] = {
        {132, false, false, 100, 10, 0, 10, 16},
        {132, false, false, 100, 10, 90, 10, 106},
        {132, false, false, 100, 10, 45, 10, 61},
        {132, false, false, 100, 50, 25, 50, 41},
        {132, false, false, 1000, 1, 0, 8, 16}, // at least 8
        {132, false, false, 1000, 1, 999, 8, 108},
        {132, false, false, 10, 10, 0, 0, 16}, // nothing to scroll
        {132, false, false, 5, 10, 0, 0, 16},
        {132, true, false, 100, 10, 90, 10, 106}, // horizontal: the same along x
        {132, true, true, 100, 10, 45, 16, 58},   // fixed square thumb
        {132, false, false, 3, 1, 1, 33, 50},     // rounded: 100 / 3 + 0.5, 67 / 2 + 0.5
    };
    for (const Case& c : cases) {
        ScrollbarWidget bar(nullptr);
        bar.SetHorizontal(c.horizontal);
        bar.fixedThumb = c.fixedThumb;
        if (c.horizontal)
            bar.ResizeScrollbar(0, 0, c.length, 16);
        else
            bar.ResizeScrollbar(0, 0, 16, c.length);
        bar.SetMaxValue(c.max);
        bar.SetPageSize(c.page);
        bar.SetValue(c.value);
        EXPECT_EQ(bar.TrackLength(), c.length - 32);
        EXPECT_EQ(bar.ThumbSize(), c.size) << c.max << "/" << c.page << " at " << c.value;
        EXPECT_EQ(bar.ThumbPosition(), c.position) << c.max << "/" << c.page << " at " << c.value;
        EXPECT_EQ(bar.HitTest(c.horizontal ? c.position - 1 : 8, c.horizontal ? 8 : c.position - 1), -1);
        if (c.size > 0) {
            EXPECT_EQ(bar.HitTest(c.horizontal ? c.position : 8, c.horizontal ? 8 : c.position), 0);
        }
        const int after = c.position + c.size;
        EXPECT_EQ(bar.HitTest(c.horizontal ? after : 8, c.horizontal ? 8 : after), 1);
    }
}

TEST(ScrollbarWidget, ButtonsAreLaidOutAsSquaresAtTheEnds)
{
    ScrollbarWidget bar(nullptr);
    bar.ResizeScrollbar(5, 6, 16, 132);
    EXPECT_EQ(bar.upButton->GetBounds(), Rect(0, 0, 16, 16));
    EXPECT_EQ(bar.downButton->GetBounds(), Rect(0, 116, 16, 16));
    bar.SetHorizontal(true);
    EXPECT_TRUE(bar.upButton->horizontal);
    EXPECT_TRUE(bar.downButton->horizontal);
    bar.ResizeScrollbar(5, 6, 200, 12);
    EXPECT_EQ(bar.upButton->GetBounds(), Rect(0, 0, 12, 12));
    EXPECT_EQ(bar.downButton->GetBounds(), Rect(188, 0, 12, 12));
}

TEST(ScrollbarWidget, UnusableBarIsDisabledAndMayHide)
{
    ScrollbarWidget bar(nullptr);
    EXPECT_TRUE(bar.disabled);
    bar.ResizeScrollbar(0, 0, 16, 132);
    bar.SetMaxValue(10);
    bar.SetPageSize(10);
    EXPECT_TRUE(bar.disabled);
    EXPECT_TRUE(bar.upButton->disabled);
    EXPECT_TRUE(bar.downButton->disabled);
    EXPECT_EQ(bar.ThumbSize(), 0);
    EXPECT_TRUE(bar.visible);

    bar.SetInvisibleWhenUnused(true);
    EXPECT_FALSE(bar.visible);
    EXPECT_FALSE(bar.upButton->visible);
    EXPECT_FALSE(bar.downButton->visible);

    bar.SetMaxValue(20);
    EXPECT_FALSE(bar.disabled);
    EXPECT_FALSE(bar.downButton->disabled);
    EXPECT_TRUE(bar.visible);
    EXPECT_TRUE(bar.upButton->visible);
    bar.SetMaxValue(5);
    EXPECT_TRUE(bar.disabled);
    EXPECT_FALSE(bar.visible);

    // Only the track is drawn.
    RecordingImage dest(100, 200);
    Graphics g(&dest);
    bar.Draw(g);
    ASSERT_EQ(dest.calls.size(), 2u);
    EXPECT_EQ(dest.calls[0].rect, Rect(0, 0, 16, 16));
    EXPECT_EQ(dest.calls[1].rect, Rect(0, 16, 16, 116));
}

TEST(ScrollbarWidget, OneChangeIsOneNotification)
{
    BarFixture f;
    f.bar->SetValue(95);
    EXPECT_EQ(f.bar->value, 90);
    EXPECT_EQ(f.listener.calls, (std::vector<std::pair<int, double>>{{3, 90}}));

    // Clamping by a new maximum or page size notifies when it moves the value.
    f.listener.calls.clear();
    f.bar->SetMaxValue(50);
    EXPECT_EQ(f.listener.calls, (std::vector<std::pair<int, double>>{{3, 40}}));
    f.bar->SetPageSize(10);
    EXPECT_EQ(f.listener.calls.size(), 1u);

    f.listener.calls.clear();
    f.bar->ScrollToEnd();
    EXPECT_EQ(f.listener.calls, (std::vector<std::pair<int, double>>{{3, 40}}));
    f.bar->SetValue(-5);
    EXPECT_EQ(f.bar->value, 0);
    f.bar->SetValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(f.bar->value, 0);
}

TEST(ScrollbarWidget, AtEndWithinOne)
{
    ScrollbarWidget bar(nullptr);
    bar.SetMaxValue(100);
    bar.SetPageSize(10);
    const std::pair<double, bool> cases[] = {{90, true}, {89, true}, {88.5, false}, {0, false}};
    for (const auto& [value, atEnd] : cases) {
        bar.SetValue(value);
        EXPECT_EQ(bar.AtEnd(), atEnd) << value;
    }
}

TEST(ScrollbarWidget, HeldArrowStepsOnPressThenRepeatsEveryFrame)
{
    BarFixture f;
    // The down arrow at (100..115, 116..131).
    f.M().HandleMouseMove(108, 120);
    f.M().HandleMouseDown(108, 120, CLICK_LEFT);
    EXPECT_EQ(f.bar->value, 1);
    f.Frames(24);
    EXPECT_EQ(f.bar->value, 1);
    f.Frames(1);
    EXPECT_EQ(f.bar->value, 2);
    f.Frames(3);
    EXPECT_EQ(f.bar->value, 5);
    // Off the button: no ticks.
    f.M().HandleMouseMove(300, 300);
    f.Frames(5);
    EXPECT_EQ(f.bar->value, 5);
    f.M().HandleMouseUp(300, 300, CLICK_LEFT);

    f.M().HandleMouseMove(108, 4);
    f.M().HandleMouseDown(108, 4, CLICK_LEFT);
    f.M().HandleMouseUp(108, 4, CLICK_LEFT);
    EXPECT_EQ(f.bar->value, 4);
    EXPECT_EQ(f.listener.calls.size(), 6u);
}

TEST(ScrollbarWidget, HeldTrackPagesUntilTheThumbReachesTheMouse)
{
    BarFixture f;
    // Thumb 10 at 16; the mouse held at y 100 on the track below it.
    f.M().HandleMouseMove(108, 100);
    f.M().HandleMouseDown(108, 100, CLICK_LEFT);
    EXPECT_EQ(f.bar->value, 10);
    EXPECT_EQ(f.bar->heldPart, 2);
    f.Frames(24);
    EXPECT_EQ(f.bar->value, 10);
    f.Frames(1);
    EXPECT_EQ(f.bar->value, 20);
    f.Frames(4);
    EXPECT_EQ(f.bar->value, 20);
    f.Frames(1);
    EXPECT_EQ(f.bar->value, 30);
    // Thumb positions: 30 -> 26 + 16 = 42 (under 100); the steps go on
    // until the thumb covers y 100: value 80 puts it at 16 + 80 = 96..105.
    f.Frames(100);
    EXPECT_EQ(f.bar->value, 80);
    EXPECT_EQ(f.bar->heldPart, 0);
    f.M().HandleMouseUp(108, 100, CLICK_LEFT);

    // Above the thumb it pages back.
    f.M().HandleMouseDown(108, 20, CLICK_LEFT);
    EXPECT_EQ(f.bar->value, 70);
    EXPECT_EQ(f.bar->heldPart, 1);
    f.M().HandleMouseUp(108, 20, CLICK_LEFT);
    EXPECT_EQ(f.bar->heldPart, 0);
}

TEST(ScrollbarWidget, DraggingTheThumbFollowsTheMouse)
{
    BarFixture f;
    f.bar->SetValue(45); // thumb at 61
    f.M().HandleMouseDown(108, 65, CLICK_LEFT);
    EXPECT_TRUE(f.bar->dragging);
    EXPECT_EQ(f.bar->value, 45);
    f.M().HandleMouseMove(108, 75); // thumb to 71: (71 - 16) * 90 / 90
    EXPECT_EQ(f.bar->value, 55);
    f.M().HandleMouseMove(400, 500); // past the end
    EXPECT_EQ(f.bar->value, 90);
    f.M().HandleMouseUp(400, 500, CLICK_LEFT);
    EXPECT_FALSE(f.bar->dragging);
}

TEST(ScrollbarWidget, ThumbFillingTheTrackCannotBeDragged)
{
    // A fixed square thumb as long as the track: no room to move.
    ScrollRecorder listener;
    ScrollbarWidget bar(&listener);
    bar.SetHorizontal(true);
    bar.fixedThumb = true;
    bar.ResizeScrollbar(0, 0, 48, 16);
    bar.SetMaxValue(100);
    bar.SetPageSize(10);
    bar.SetValue(30);
    listener.calls.clear();
    EXPECT_EQ(bar.TrackLength() - bar.ThumbSize(), 0);
    bar.OnMouseDownButton(bar.ThumbPosition(), 8, 0, 1);
    EXPECT_TRUE(bar.dragging);
    bar.OnMouseDrag(bar.ThumbPosition() + 10, 8);
    bar.SetValueFromThumbPos(40);
    EXPECT_EQ(bar.value, 30);
    EXPECT_TRUE(listener.calls.empty());

    // Even a bar shorter than its buttons stays finite.
    bar.ResizeScrollbar(0, 0, 10, 16);
    bar.SetValueFromThumbPos(5);
    EXPECT_TRUE(std::isfinite(bar.value));
}

TEST(ScrollbarWidget, DisabledBarIgnoresPresses)
{
    ScrollbarWidget bar(nullptr);
    bar.ResizeScrollbar(0, 0, 16, 132);
    bar.OnMouseDownButton(8, 100, 0, 1);
    EXPECT_EQ(bar.heldPart, 0);
    EXPECT_FALSE(bar.dragging);
}

TEST(ScrollbarWidget, DrawsTrackThumbAndHeldPart)
{
    ScrollbarWidget bar(nullptr);
    bar.ResizeScrollbar(0, 0, 16, 132);
    bar.SetMaxValue(100);
    bar.SetPageSize(10);
    bar.SetValue(45); // thumb 10 at 61
    bar.heldPart = 2;
    RecordingImage dest(100, 200);
    Graphics g(&dest);
    bar.Draw(g);
    const Color track(232, 232, 232), held(48, 48, 48), face(212, 212, 212), white(255, 255, 255), black(0, 0, 0),
        shadow(132, 132, 132);
    const std::pair<Rect, Color> expected[] = {
        {Rect(0, 0, 16, 61), track},  {Rect(0, 61, 16, 10), face},  {Rect(1, 62, 14, 1), white},
        {Rect(1, 62, 1, 8), white},   {Rect(0, 70, 16, 1), black},  {Rect(15, 61, 1, 10), black},
        {Rect(1, 69, 14, 1), shadow}, {Rect(14, 62, 1, 8), shadow}, {Rect(0, 71, 16, 61), held},
    };
    ASSERT_EQ(dest.calls.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(dest.calls[i].rect, expected[i].first) << i;
        EXPECT_EQ(dest.calls[i].color, expected[i].second) << i;
    }
}

// The arrow's four lines (after the face and the bevel or outline).
std::vector<Rect> ArrowOf(ScrollbuttonWidget& button)
{
    RecordingImage dest(100, 100);
    Graphics g(&dest);
    button.Draw(g);
    std::vector<Rect> arrow;
    for (size_t i = dest.calls.size() - 4; i < dest.calls.size(); ++i)
        arrow.push_back(dest.calls[i].rect);
    return arrow;
}

TEST(ScrollbarWidget, ArrowButtonsDrawTheirArrows)
{
    ButtonListener none;
    ScrollbuttonWidget up(0, &none);
    ScrollbuttonWidget down(1, &none);
    for (ScrollbuttonWidget* b : {&up, &down}) {
        b->width = 16;
        b->height = 16;
    }
    // Centred on x = 7, rows from y 6.
    EXPECT_EQ(ArrowOf(up), (std::vector<Rect>{{7, 6, 1, 1}, {6, 7, 3, 1}, {5, 8, 5, 1}, {4, 9, 7, 1}}));
    EXPECT_EQ(ArrowOf(down), (std::vector<Rect>{{7, 9, 1, 1}, {6, 8, 3, 1}, {5, 7, 5, 1}, {4, 6, 7, 1}}));
    up.horizontal = down.horizontal = true;
    EXPECT_EQ(ArrowOf(up), (std::vector<Rect>{{6, 7, 1, 1}, {7, 6, 1, 3}, {8, 5, 1, 5}, {9, 4, 1, 7}}));
    EXPECT_EQ(ArrowOf(down), (std::vector<Rect>{{9, 7, 1, 1}, {8, 6, 1, 3}, {7, 5, 1, 5}, {6, 4, 1, 7}}));

    // Pressed and hovered: an outline and the arrow one pixel down and right.
    up.horizontal = false;
    up.pressed = up.hovered = true;
    EXPECT_EQ(ArrowOf(up), (std::vector<Rect>{{8, 7, 1, 1}, {7, 8, 3, 1}, {6, 9, 5, 1}, {5, 10, 7, 1}}));
    RecordingImage dest(100, 100);
    Graphics g(&dest);
    up.disabled = true;
    up.pressed = false;
    up.Draw(g);
    EXPECT_EQ(dest.calls.back().color, Color(132, 132, 132));
}

TEST(ScrollbarWidget, DeletingTheBarFreesItsButtonsOnce)
{
    TestWidgetApp app;
    // Deleted while attached.
    auto* bar = new ScrollbarWidget(nullptr);
    bar->ResizeScrollbar(0, 0, 16, 100);
    app.manager->AttachChild(bar);
    delete bar;
    EXPECT_TRUE(app.manager->children.empty());

    // A recursive delete of the tree deletes the buttons before the bar.
    Widget* holder = new Widget;
    holder->AttachChild(new ScrollbarWidget(nullptr));
    app.manager->AttachChild(holder);
    app.manager->DetachChild(holder);
    holder->DetachAllChildren(true, true);
    EXPECT_TRUE(holder->children.empty());
    delete holder;

    // A bar whose buttons were deleted from under it goes on without them.
    ScrollRecorder listener;
    ScrollbarWidget bare(&listener);
    bare.DetachAllChildren(true, false);
    EXPECT_EQ(bare.upButton, nullptr);
    EXPECT_EQ(bare.downButton, nullptr);
    bare.ResizeScrollbar(0, 0, 16, 100);
    bare.SetHorizontal(true);
    bare.SetInvisibleWhenUnused(true);
    bare.SetMaxValue(50);
    bare.SetPageSize(10);
    bare.SetValue(20);
    EXPECT_EQ(bare.TrackLength(), 16);
    bare.ButtonPress(1);
    EXPECT_EQ(bare.value, 21);
}

} // namespace ScrollbarTesting
} // namespace Quib
