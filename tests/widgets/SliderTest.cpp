#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/Slider.h"
#include "framework/widgets/SliderListener.h"
#include "tests/support/RecordingImage.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

namespace Quib {
namespace SliderTesting {

using namespace Testing;

struct ValueRecorder : SliderListener {
    std::vector<std::pair<int, double>> calls;
    void SliderValueChanged(int id, double value) override { calls.emplace_back(id, value); }
};

Image MakeImage(int w, int h)
{
    Image image;
    image.width = w;
    image.height = h;
    return image;
}

// A 200 x 20 horizontal slider with a 20 x 10 thumb, attached at (100, 50).
struct SliderFixture {
    TestWidgetApp app;
    ValueRecorder listener;
    Image thumb = MakeImage(20, 10);
    Slider slider{nullptr, &thumb, 4, &listener};

    SliderFixture()
    {
        slider.SetBounds(100, 50, 200, 20);
        app.manager->AttachChild(&slider);
    }
    ~SliderFixture() { app.manager->DetachChild(&slider); }

    void Down(int localX) { app.manager->HandleMouseDown(100 + localX, 60, CLICK_LEFT); }
    void Move(int localX) { app.manager->HandleMouseMove(100 + localX, 60); }
    void Up(int localX) { app.manager->HandleMouseUp(100 + localX, 60, CLICK_LEFT); }
};

TEST(Slider, DraggingTheThumbNotifiesEachChangeAndTheRelease)
{
    SliderFixture f;
    f.slider.SetValue(0.5);
    EXPECT_EQ(f.slider.ThumbPosition(), 90);

    f.Down(95);
    EXPECT_TRUE(f.slider.dragging);
    EXPECT_EQ(f.slider.grabOffsetX, 5);
    EXPECT_EQ(f.slider.value, 0.5);
    EXPECT_EQ(f.app.cursorNum, 2);
    EXPECT_TRUE(f.listener.calls.empty());

    f.Move(145);
    ASSERT_EQ(f.listener.calls.size(), 1u);
    EXPECT_EQ(f.listener.calls[0].first, 4);
    EXPECT_DOUBLE_EQ(f.listener.calls[0].second, 140.0 / 180.0);
    f.Move(145); // no change, no call
    EXPECT_EQ(f.listener.calls.size(), 1u);
    f.Move(1000); // beyond the end: 1
    f.Move(2000);
    ASSERT_EQ(f.listener.calls.size(), 2u);
    EXPECT_EQ(f.listener.calls[1].second, 1.0);

    f.Up(2000);
    EXPECT_FALSE(f.slider.dragging);
    EXPECT_EQ(f.app.cursorNum, 0);
    ASSERT_EQ(f.listener.calls.size(), 3u);
    EXPECT_EQ(f.listener.calls[2].second, 1.0);
}

TEST(Slider, PressBesideTheThumbJumpsAndNotifiesOnRelease)
{
    SliderFixture f;
    f.slider.SetValue(0.5);
    f.Down(55); // thumb centred on 55: its left edge at 45 of 180
    EXPECT_FALSE(f.slider.dragging);
    EXPECT_DOUBLE_EQ(f.slider.value, 0.25);
    EXPECT_TRUE(f.listener.calls.empty());
    f.Move(70); // not dragging: nothing changes
    EXPECT_DOUBLE_EQ(f.slider.value, 0.25);
    f.Up(70);
    ASSERT_EQ(f.listener.calls.size(), 1u);
    EXPECT_DOUBLE_EQ(f.listener.calls[0].second, 0.25);
}

TEST(Slider, PressOnTheTrackCentresTheThumbOnTheMouse)
{
    // The 200 wide track, the 20 wide thumb: the thumb's left edge can go
    // from 0 to 180. Near the ends the thumb stops at the end.
    const struct {
        int press;
        int thumbLeft;
    } cases[] = {{190, 180}, {199, 180}, {145, 135}, {100, 90}, {55, 45}, {10, 0}, {2, 0}};
    for (const auto& c : cases) {
        SliderFixture f;
        f.slider.SetValue(c.press < 100 ? 1.0 : 0.0); // the thumb far from the press
        f.Down(c.press);
        EXPECT_FALSE(f.slider.dragging) << c.press;
        EXPECT_EQ(f.slider.ThumbPosition(), c.thumbLeft) << c.press;
        if (c.thumbLeft > 0 && c.thumbLeft < 180) {
            const int centre = f.slider.ThumbPosition() + f.slider.ThumbLength() / 2;
            EXPECT_LE(std::abs(centre - c.press), 1) << c.press;
        }
        f.Up(c.press);
    }
}

TEST(Slider, SetValueIsLimited)
{
    const std::pair<double, double> cases[] = {{1.7, 1.0},
                                               {-2.0, 0.0},
                                               {0.3, 0.3},
                                               {std::numeric_limits<double>::quiet_NaN(), 0.0}};
    Slider slider(nullptr, nullptr, 0, nullptr);
    for (const auto& [given, stored] : cases) {
        slider.SetValue(given);
        EXPECT_EQ(slider.value, stored) << given;
    }
}

TEST(Slider, CursorFollowsTheThumbUnlessDragging)
{
    SliderFixture f;
    f.Move(5); // thumb at 0..19
    EXPECT_EQ(f.app.cursorNum, 2);
    f.Move(30);
    EXPECT_EQ(f.app.cursorNum, 0);
    f.Move(10);
    f.app.manager->HandleMouseExit();
    EXPECT_EQ(f.app.cursorNum, 0);

    // Leaving while dragging keeps the dragging cursor.
    f.Down(10);
    f.app.manager->HandleMouseDrag(100 + 10, 500);
    EXPECT_EQ(f.app.cursorNum, 2);
}

TEST(Slider, VerticalSliderFollowsY)
{
    TestWidgetApp app;
    ValueRecorder listener;
    Image thumb = MakeImage(10, 20);
    Slider slider(nullptr, &thumb, 1, &listener);
    slider.horizontal = false;
    slider.SetBounds(0, 0, 20, 120);
    app.manager->AttachChild(&slider);
    app.manager->HandleMouseDown(10, 5, CLICK_LEFT); // on the thumb at 0
    app.manager->HandleMouseMove(10, 55);            // thumb to 50 of 100
    ASSERT_EQ(listener.calls.size(), 1u);
    EXPECT_DOUBLE_EQ(listener.calls[0].second, 0.5);
    app.manager->HandleMouseUp(10, 55, CLICK_LEFT);
    EXPECT_EQ(listener.calls.size(), 2u);
    app.manager->DetachChild(&slider);
}

TEST(Slider, DrawsTheTrackCellsAndTheThumb)
{
    Image track = MakeImage(90, 10);
    Image thumb = MakeImage(20, 10);
    Slider slider(&track, &thumb, 0, nullptr);
    slider.width = 200;
    slider.height = 20;
    slider.value = 0.5;
    RecordingImage dest(400, 100);
    Graphics g(&dest);
    slider.Draw(g);

    struct Expected {
        Image* source;
        int x;
        Rect part;
    };
    const Expected expected[] = {
        {&track, 0, Rect(0, 0, 30, 10)},
        // The middle cell five times from x 30, clipped to x 30..169.
        {&track, 30, Rect(30, 0, 30, 10)},
        {&track, 60, Rect(30, 0, 30, 10)},
        {&track, 90, Rect(30, 0, 30, 10)},
        {&track, 120, Rect(30, 0, 30, 10)},
        {&track, 150, Rect(30, 0, 20, 10)},
        {&track, 170, Rect(60, 0, 30, 10)},
        {&thumb, 90, Rect(0, 0, 20, 10)},
    };
    ASSERT_EQ(dest.calls.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(dest.calls[i].source, expected[i].source) << i;
        EXPECT_EQ(dest.calls[i].x, expected[i].x) << i;
        EXPECT_EQ(dest.calls[i].y, 5) << i;
        EXPECT_EQ(dest.calls[i].sourceRect, expected[i].part) << i;
    }
}

TEST(Slider, NarrowTrackImageDrawsOnlyItsEnds)
{
    // Cells of width 0 (track narrower than three pixels) repeat nothing.
    Image track = MakeImage(2, 10);
    Slider slider(&track, nullptr, 0, nullptr);
    slider.width = 100;
    slider.height = 10;
    RecordingImage dest(200, 100);
    Graphics g(&dest);
    slider.Draw(g);
    EXPECT_TRUE(dest.calls.empty());
}

TEST(Slider, WithoutThumbImageClicksStillSetTheValue)
{
    TestWidgetApp app;
    ValueRecorder listener;
    Slider slider(nullptr, nullptr, 2, &listener);
    slider.SetBounds(0, 0, 100, 10);
    app.manager->AttachChild(&slider);
    app.manager->HandleMouseMove(10, 5);
    app.manager->HandleMouseDown(40, 5, CLICK_LEFT);
    EXPECT_FALSE(slider.dragging);
    app.manager->HandleMouseMove(60, 5);
    app.manager->HandleMouseUp(60, 5, CLICK_LEFT);
    ASSERT_EQ(listener.calls.size(), 1u);
    EXPECT_DOUBLE_EQ(listener.calls[0].second, 0.4);
    app.manager->DetachChild(&slider);
}

TEST(Slider, ThumbAsLongAsTheTrackCannotMove)
{
    TestWidgetApp app;
    ValueRecorder listener;
    Image thumb = MakeImage(50, 10);
    Slider slider(nullptr, &thumb, 0, &listener);
    slider.SetBounds(0, 0, 50, 10);
    app.manager->AttachChild(&slider);
    slider.SetValue(0.5);
    app.manager->HandleMouseDown(10, 5, CLICK_LEFT);
    EXPECT_TRUE(slider.dragging);
    app.manager->HandleMouseMove(40, 5);
    EXPECT_EQ(slider.value, 0.5);
    app.manager->HandleMouseUp(40, 5, CLICK_LEFT);
    ASSERT_EQ(listener.calls.size(), 1u);
    EXPECT_EQ(listener.calls[0].second, 0.5);

    // Nor does a slider with no length at all divide by it.
    slider.SetBounds(0, 0, 0, 10);
    slider.OnMouseDown(0, 5, CLICK_LEFT);
    slider.OnMouseDrag(30, 5);
    EXPECT_TRUE(std::isfinite(slider.value));
    app.manager->DetachChild(&slider);
}

TEST(Slider, NoListenerIsTolerated)
{
    TestWidgetApp app;
    Image thumb = MakeImage(10, 10);
    Slider slider(nullptr, &thumb, 0, nullptr);
    slider.SetBounds(0, 0, 100, 10);
    app.manager->AttachChild(&slider);
    app.manager->HandleMouseDown(5, 5, CLICK_LEFT);
    app.manager->HandleMouseMove(50, 5);
    app.manager->HandleMouseUp(50, 5, CLICK_LEFT);
    EXPECT_DOUBLE_EQ(slider.value, 45.0 / 90.0);
    app.manager->DetachChild(&slider);
}

} // namespace SliderTesting
} // namespace Quib
