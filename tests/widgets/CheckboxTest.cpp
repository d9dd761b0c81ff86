#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/Checkbox.h"
#include "framework/widgets/CheckboxListener.h"
#include "tests/support/RecordingImage.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace Quib {
namespace CheckboxTesting {

using namespace Testing;

struct CheckRecorder : CheckboxListener {
    std::vector<std::pair<int, bool>> calls;
    void CheckboxChecked(int id, bool checked) override { calls.emplace_back(id, checked); }
};

const Color kWhite(255, 255, 255);
const Color kGrey(80, 80, 80);
const Color kYellow(255, 255, 0);

std::vector<SlotCall> DrawnCalls(Checkbox& box)
{
    RecordingImage dest(64, 64);
    Graphics g(&dest);
    box.Draw(g);
    return dest.calls;
}

TEST(Checkbox, PlainLookIsAFrameWithACrossWhenChecked)
{
    Checkbox box(nullptr);
    box.width = 16;
    box.height = 16;
    std::vector<SlotCall> calls = DrawnCalls(box);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].slot, "FillRectangle");
    EXPECT_EQ(calls[0].rect, Rect(0, 0, 16, 16));
    EXPECT_EQ(calls[0].color, kWhite);
    EXPECT_EQ(calls[1].rect, Rect(1, 1, 14, 14));
    EXPECT_EQ(calls[1].color, kGrey);

    box.checked = true;
    calls = DrawnCalls(box);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[2].slot, "DrawLineSegment");
    EXPECT_EQ(calls[2].color, kYellow);
    EXPECT_EQ(std::make_pair(calls[2].x1, calls[2].y1), std::make_pair(1.0, 1.0));
    EXPECT_EQ(std::make_pair(calls[2].x2, calls[2].y2), std::make_pair(14.0, 14.0));
    EXPECT_EQ(calls[3].color, kYellow);
    EXPECT_EQ(std::make_pair(calls[3].x1, calls[3].y1), std::make_pair(15.0, 1.0));
    EXPECT_EQ(std::make_pair(calls[3].x2, calls[3].y2), std::make_pair(1.0, 14.0));
}

TEST(Checkbox, ImageLooksAndMissingImages)
{
    Image on;
    Image off;
    on.width = off.width = 40;
    on.height = off.height = 20;
    struct Case {
        Image* checkedImage;
        Image* uncheckedImage;
        Rect checkedRect;
        bool checked;
        Image* drawnSource; // null: nothing drawn
        Rect drawnPart;
    };
    const Rect onPart(20, 0, 20, 20);
    const Rect offPart(0, 0, 20, 20);
    const Case cases[] = {
        {&on, &off, Rect(), true, &on, Rect(0, 0, 40, 20)},
        {&on, &off, Rect(), false, &off, Rect(0, 0, 40, 20)},
        {nullptr, &off, onPart, true, &off, onPart},
        {nullptr, &off, onPart, false, &off, offPart},
        // Not enough images for either look: nothing, and no image is read.
        {&on, nullptr, Rect(), true, nullptr, Rect()},
        {nullptr, &off, Rect(), false, nullptr, Rect()},
        {&on, nullptr, onPart, true, nullptr, Rect()},
    };
    for (const Case& c : cases) {
        Checkbox box(nullptr);
        box.width = 20;
        box.height = 20;
        box.checkedImage = c.checkedImage;
        box.uncheckedImage = c.uncheckedImage;
        box.checkedRect = c.checkedRect;
        box.uncheckedRect = offPart;
        box.checked = c.checked;
        const std::vector<SlotCall> calls = DrawnCalls(box);
        if (!c.drawnSource) {
            EXPECT_TRUE(calls.empty());
            continue;
        }
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].slot, "PutImage");
        EXPECT_EQ(calls[0].source, c.drawnSource);
        EXPECT_EQ(calls[0].sourceRect, c.drawnPart);
        EXPECT_EQ(std::make_pair(calls[0].x, calls[0].y), std::make_pair(0, 0));
    }
}

TEST(Checkbox, EveryPressTogglesAndNotifies)
{
    TestWidgetApp app;
    CheckRecorder listener;
    Checkbox box(&listener);
    box.id = 7;
    box.SetBounds(10, 10, 16, 16);
    app.manager->AttachChild(&box);

    // A double click is two presses: two toggles.
    WidgetManager& m = *app.manager;
    m.HandleMouseDown(15, 15, CLICK_LEFT);
    m.HandleMouseUp(15, 15, CLICK_LEFT);
    EXPECT_TRUE(box.IsChecked());
    m.HandleMouseDown(15, 15, CLICK_LEFT_DOUBLE);
    m.HandleMouseUp(15, 15, CLICK_LEFT_DOUBLE);
    EXPECT_FALSE(box.IsChecked());
    // The right button toggles too, on the press.
    m.HandleMouseDown(15, 15, CLICK_RIGHT);
    EXPECT_TRUE(box.IsChecked());
    m.HandleMouseUp(15, 15, CLICK_RIGHT);
    EXPECT_EQ(listener.calls, (std::vector<std::pair<int, bool>>{{7, true}, {7, false}, {7, true}}));

    // SetChecked notifies only when asked.
    box.SetChecked(false, false);
    EXPECT_EQ(listener.calls.size(), 3u);
    box.SetChecked(true, true);
    EXPECT_EQ(listener.calls.back(), std::make_pair(7, true));
    m.DetachChild(&box);
}

TEST(Checkbox, WithoutListenerStillToggles)
{
    TestWidgetApp app;
    Checkbox box(nullptr);
    box.SetBounds(0, 0, 10, 10);
    app.manager->AttachChild(&box);
    app.manager->HandleMouseDown(5, 5, CLICK_LEFT);
    app.manager->HandleMouseUp(5, 5, CLICK_LEFT);
    EXPECT_TRUE(box.IsChecked());
    box.SetChecked(false, true);
    EXPECT_FALSE(box.IsChecked());
    app.manager->DetachChild(&box);
}

TEST(Checkbox, HoverShowsTheHandCursor)
{
    TestWidgetApp app;
    Checkbox box(nullptr);
    box.SetBounds(0, 0, 10, 10);
    app.manager->AttachChild(&box);
    app.manager->HandleMouseMove(5, 5);
    EXPECT_EQ(app.cursorNum, 1);
    app.manager->HandleMouseMove(50, 50);
    EXPECT_EQ(app.cursorNum, 0);
    app.manager->DetachChild(&box);
}

} // namespace CheckboxTesting
} // namespace Quib
