#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/TestWidgetApp.h"
#include "tests/widgets/RecordingWidget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

struct ManagerFixture {
    TestWidgetApp app{200, 200};
    WidgetManager& wm = *app.manager;
    EventLog log;
    std::vector<std::unique_ptr<RecordingWidget>> owned;

    RecordingWidget* Add(const std::string& name, int x, int y, int w, int h, WidgetContainer* parent = nullptr)
    {
        owned.push_back(std::make_unique<RecordingWidget>(name, &log, x, y, w, h));
        (parent ? parent : &wm)->AttachChild(owned.back().get());
        return owned.back().get();
    }
    ~ManagerFixture() { owned.clear(); }
    bool Logged(const std::string& entry) const { return std::find(log.begin(), log.end(), entry) != log.end(); }
};

// Refuses the mouse on its left half.
struct RightHalfWidget : RecordingWidget {
    using RecordingWidget::RecordingWidget;
    bool AcceptsPoint(int px, int) override { return px >= width / 2; }
};

TEST(WidgetManager, HitTestingTakesTheTopmostWidgetThatTakesTheMouse)
{
    ManagerFixture t;
    RecordingWidget* floor = t.Add("floor", 0, 0, 200, 200);
    RecordingWidget* low = t.Add("low", 10, 10, 50, 50);
    RecordingWidget* high = t.Add("high", 30, 30, 50, 50);
    RecordingWidget* inner = t.Add("inner", 5, 5, 10, 10, high);
    RecordingWidget* ghost = t.Add("ghost", 100, 100, 50, 50); // not hit itself, its child is
    ghost->mouseVisible = false;
    RecordingWidget* ghostChild = t.Add("ghostChild", 0, 0, 10, 10, ghost);
    RecordingWidget* off = t.Add("off", 150, 0, 40, 40);
    t.Add("offChild", 0, 0, 40, 40, off);
    off->disabled = true; // skipped with its subtree
    RecordingWidget* deaf = t.Add("deaf", 0, 150, 40, 40);
    deaf->flagsMod = WidgetFlagsMod(0, WIDGETFLAGS_ALLOW_MOUSE);
    RecordingWidget* inset = t.Add("inset", 60, 150, 40, 40);
    inset->insetLeft = 10;
    inset->insetBottom = 10;
    t.owned.push_back(std::make_unique<RightHalfWidget>("half", &t.log, 110, 150, 40, 40));
    RecordingWidget* half = t.owned.back().get();
    t.wm.AttachChild(half);

    struct HitCase {
        int x, y;
        Widget* expected;
        int localX, localY;
    };
    const HitCase cases[] = {
        {40, 40, inner, 5, 5},     {31, 31, high, 1, 1},         {15, 15, low, 5, 5},
        {5, 5, floor, 5, 5},       {105, 105, ghostChild, 5, 5}, {120, 120, floor, 120, 120},
        {160, 10, floor, 160, 10}, {10, 160, floor, 10, 160},    {65, 155, floor, 65, 155},
        {75, 155, inset, 15, 5},   {75, 185, floor, 75, 185},    {115, 160, floor, 115, 160},
        {145, 160, half, 35, 10},
    };
    for (const HitCase& c : cases) {
        int lx = -1;
        int ly = -1;
        Widget* hit = t.wm.GetWidgetAt(c.x, c.y, &lx, &ly);
        EXPECT_EQ(hit, c.expected) << c.x << "," << c.y;
        if (hit == c.expected) {
            EXPECT_EQ(lx, c.localX) << c.x << "," << c.y;
            EXPECT_EQ(ly, c.localY) << c.x << "," << c.y;
        }
    }
    floor->visible = false;
    EXPECT_EQ(t.wm.GetWidgetAt(5, 5, nullptr, nullptr), nullptr);
}

TEST(WidgetManager, DragFromOneWidgetOntoAnotherStaysWithThePressedOne)
{
    ManagerFixture t;
    t.Add("A", 0, 0, 50, 50);
    RecordingWidget* b = t.Add("B", 100, 0, 50, 50);
    t.wm.HandleMouseMove(10, 10);
    t.wm.HandleMouseDown(10, 10, CLICK_LEFT);
    t.wm.HandleMouseMove(20, 10);
    t.wm.HandleMouseMove(110, 10);
    t.wm.HandleMouseMove(120, 10);
    t.wm.HandleMouseMove(30, 10);
    t.wm.HandleMouseMove(120, 12);
    t.wm.HandleMouseUp(120, 12, CLICK_LEFT);
    EXPECT_EQ(t.log, (EventLog{"A:enter", "A:move 10,10", "A:down 10,10 b0 c1", "A:drag 20,10", "A:drag 110,10",
                               "A:leave", "A:drag 120,10", "A:drag 30,10", "A:enter", "A:drag 120,12", "A:leave",
                               "A:up 120,12 b0 c1", "B:enter", "B:move 20,12"}));
    EXPECT_EQ(t.wm.hoverWidget, b);
    EXPECT_EQ(t.wm.pressedWidget, nullptr);
}

TEST(WidgetManager, ASecondButtonGoesToThePressedWidgetWhichStaysPressedUntilBothAreUp)
{
    ManagerFixture t;
    RecordingWidget* a = t.Add("A", 10, 10, 50, 50);
    t.Add("B", 100, 10, 50, 50);
    t.wm.HandleMouseDown(20, 20, CLICK_LEFT);
    t.wm.HandleMouseMove(110, 20);
    t.wm.HandleMouseDown(110, 20, CLICK_RIGHT);
    EXPECT_TRUE(t.Logged("A:down 100,10 b1 c-1"));
    EXPECT_FALSE(t.Logged("B:down 10,10 b1 c-1"));
    t.wm.HandleMouseUp(110, 20, CLICK_LEFT);
    EXPECT_FALSE(a->pressed);
    EXPECT_EQ(t.wm.pressedWidget, a);
    t.wm.HandleMouseMove(115, 20); // still a drag
    EXPECT_TRUE(t.Logged("A:drag 105,10"));
    t.wm.HandleMouseUp(115, 20, CLICK_RIGHT);
    EXPECT_TRUE(t.Logged("A:up 105,10 b1 c-1"));
    EXPECT_EQ(t.wm.pressedWidget, nullptr);
    EXPECT_EQ(t.wm.lastPressedButton, -1);
}

TEST(WidgetManager, APressOverNothingKeepsTheMouseInDragModeUntilReleased)
{
    ManagerFixture t;
    RecordingWidget* a = t.Add("A", 10, 10, 50, 50);
    t.wm.HandleMouseMove(20, 20);
    ASSERT_EQ(t.wm.hoverWidget, a);
    t.wm.HandleMouseDown(150, 150, CLICK_MIDDLE);
    EXPECT_EQ(t.wm.hoverWidget, nullptr);
    EXPECT_EQ(t.wm.buttonsOnPressed, 4);
    t.wm.HandleMouseMove(20, 20);
    EXPECT_EQ(t.wm.hoverWidget, nullptr);
    EXPECT_EQ(std::count(t.log.begin(), t.log.end(), "A:move 10,10"), 1);
    t.wm.HandleMouseUp(20, 20, CLICK_MIDDLE);
    EXPECT_EQ(t.wm.hoverWidget, a);
    EXPECT_EQ(t.wm.buttonsOnPressed, 0);
}

TEST(WidgetManager, ReleaseHeldButtonsSendsTheOwedUpsAndEndsADragOverNothing)
{
    ManagerFixture t;
    RecordingWidget* a = t.Add("A", 10, 10, 50, 50);
    t.wm.HandleMouseDown(20, 20, CLICK_LEFT);
    t.wm.HandleMouseDown(20, 20, CLICK_MIDDLE);
    t.log.clear();
    t.wm.ReleaseHeldButtons();
    EXPECT_EQ(t.log, (EventLog{"A:up 10,10 b0 c1", "A:up 10,10 b2 c1"}));
    EXPECT_EQ(t.wm.pressedWidget, nullptr);
    EXPECT_FALSE(a->pressed);
    // A press over nothing whose release never comes does not leave the
    // mouse dragging.
    t.wm.HandleMouseDown(150, 150, CLICK_LEFT);
    t.wm.ReleaseHeldButtons();
    t.wm.HandleMouseMove(20, 20);
    EXPECT_EQ(t.wm.hoverWidget, a);
}

TEST(WidgetManager, KeysGoToTheFocusWidgetAndOnlyLowCodesEnterTheTable)
{
    ManagerFixture t;
    RecordingWidget* a = t.Add("A", 0, 0, 10, 10);
    t.wm.HandleKeyDown(65); // no focus: nothing to tell
    t.wm.HandleKeyChar(u'a');
    t.wm.HandleMouseWheel(3);
    EXPECT_TRUE(t.log.empty());
    EXPECT_TRUE(t.wm.IsKeyDown(65));
    t.wm.SetFocusWidget(a);
    t.wm.HandleKeyDown(300);
    t.wm.HandleKeyUp(300);
    t.wm.HandleKeyDown(-4);
    t.wm.HandleKeyChar(u'x');
    t.wm.HandleMouseWheel(-120);
    EXPECT_EQ(t.log,
              (EventLog{"A:focus", "A:keydown 300", "A:keyup 300", "A:keydown -4", "A:char 120", "A:wheel -120"}));
    uint8_t zeros[255] = {};
    zeros[65] = 1;
    EXPECT_TRUE(std::equal(std::begin(zeros), std::end(zeros), std::begin(t.wm.keyTable)));
    // A disabled focus widget gets no key-downs but still its key-ups.
    a->disabled = true;
    t.log.clear();
    t.wm.HandleKeyDown(66);
    t.wm.HandleKeyUp(66);
    EXPECT_EQ(t.log, (EventLog{"A:keyup 66"}));
}

TEST(WidgetManager, TabMovesTheFocusAlongTheNeighbours)
{
    ManagerFixture t;
    RecordingWidget* a = t.Add("A", 0, 0, 10, 10);
    RecordingWidget* b = t.Add("B", 20, 0, 10, 10);
    a->tabNext = b;
    b->tabPrev = a;
    t.wm.SetFocusWidget(a);
    t.wm.HandleKeyDown(KEYCODE_SHIFT);
    t.wm.HandleKeyDown(KEYCODE_TAB); // no previous neighbour: stays
    t.wm.HandleKeyUp(KEYCODE_TAB);
    EXPECT_EQ(t.wm.focusWidget, a);
    t.wm.HandleKeyUp(KEYCODE_SHIFT);
    t.wm.HandleKeyDown(KEYCODE_TAB);
    t.wm.HandleKeyUp(KEYCODE_TAB);
    EXPECT_EQ(t.wm.focusWidget, b);
    t.wm.HandleKeyDown(KEYCODE_SHIFT);
    t.wm.HandleKeyDown(KEYCODE_TAB);
    EXPECT_EQ(t.wm.focusWidget, a);
    EXPECT_TRUE(a->hasFocus);
    EXPECT_FALSE(b->hasFocus);
}

TEST(WidgetManager, CtrlTabMovesTheFocusButItsUpAndCharacterAreNotDelivered)
{
    ManagerFixture t;
    RecordingWidget* a = t.Add("A", 0, 0, 10, 10);
    RecordingWidget* b = t.Add("B", 20, 0, 10, 10);
    a->tabNext = b;
    t.wm.SetFocusWidget(a);
    t.wm.HandleKeyDown(KEYCODE_CONTROL);
    t.log.clear();
    t.wm.HandleKeyDown(KEYCODE_TAB);
    t.wm.HandleKeyChar(u'\t');
    t.wm.HandleKeyUp(KEYCODE_TAB);
    EXPECT_EQ(t.log, (EventLog{"A:keydown 9", "A:unfocus", "B:focus"}));
    // With a Ctrl+Tab target the character goes there.
    t.wm.ctrlTabTarget = a;
    t.wm.HandleKeyChar(u'\t');
    EXPECT_EQ(t.log.back(), "A:char 9");
}

TEST(WidgetManager, FocusGoesOnlyToAttachedWidgets)
{
    ManagerFixture t;
    RecordingWidget* a = t.Add("A", 0, 0, 10, 10);
    RecordingWidget loose("loose", &t.log);
    t.wm.SetFocusWidget(a);
    t.wm.SetFocusWidget(&loose);
    EXPECT_EQ(t.wm.focusWidget, nullptr);
    EXPECT_EQ(t.log, (EventLog{"A:focus", "A:unfocus"}));
    // A click focuses a widget that takes the focus.
    a->takesFocus = true;
    t.wm.HandleMouseDown(5, 5, CLICK_LEFT_DOUBLE);
    EXPECT_EQ(t.wm.focusWidget, a);
    EXPECT_TRUE(t.Logged("A:down 5,5 b0 c2"));
}

TEST(WidgetManager, ApplicationFocusLossReleasesKeysThenTheFocus)
{
    ManagerFixture t;
    RecordingWidget* a = t.Add("A", 0, 0, 10, 10);
    t.wm.SetFocusWidget(a);
    t.wm.HandleKeyDown(65);
    t.wm.HandleKeyDown(16);
    t.wm.HandleMouseDown(50, 50, CLICK_LEFT);
    t.log.clear();
    t.wm.OnAppFocusLost();
    t.wm.OnAppFocusLost();
    EXPECT_EQ(t.log, (EventLog{"A:keyup 16", "A:keyup 65", "A:unfocus"}));
    EXPECT_EQ(t.wm.focusWidget, a);
    EXPECT_FALSE(t.wm.IsLeftButtonHeld());
    EXPECT_FALSE(t.wm.IsKeyDown(65));
    // Focus set while the application is inactive is told only on return
    // (the old focus widget is told it lost it, as always).
    RecordingWidget* b = t.Add("B", 20, 0, 10, 10);
    t.log.clear();
    t.wm.SetFocusWidget(b);
    EXPECT_EQ(t.log, (EventLog{"A:unfocus"}));
    t.wm.OnAppFocusGained();
    t.wm.OnAppFocusGained();
    EXPECT_EQ(t.log, (EventLog{"A:unfocus", "B:focus"}));
    // The lost-focus mod applies while inactive.
    t.wm.lostFocusMod = WidgetFlagsMod(0, WIDGETFLAGS_UPDATE);
    EXPECT_EQ(t.wm.GetEffectiveFlags(), WIDGETFLAGS_DEFAULT);
    t.wm.OnAppFocusLost();
    EXPECT_EQ(t.wm.GetEffectiveFlags(), WIDGETFLAGS_DEFAULT & ~WIDGETFLAGS_UPDATE);
}

TEST(WidgetManager, AModalLayerTakesHoverAndFocusFromWhatIsBeneathUntilPopped)
{
    ManagerFixture t;
    RecordingWidget* below = t.Add("below", 0, 0, 100, 100);
    below->takesFocus = true;
    t.wm.HandleMouseMove(10, 10);
    t.wm.HandleMouseDown(10, 10, CLICK_LEFT);
    t.wm.HandleMouseUp(10, 10, CLICK_LEFT);
    ASSERT_EQ(t.wm.focusWidget, below);
    RecordingWidget* dialog = t.Add("dialog", 50, 50, 100, 100);
    RecordingWidget* button = t.Add("button", 10, 10, 20, 20, dialog);
    t.log.clear();
    t.wm.PushModalLayer(dialog);
    EXPECT_EQ(t.log, (EventLog{"below:leave", "below:unfocus"}));
    t.log.clear();
    t.wm.HandleMouseMove(20, 20);
    t.wm.HandleMouseDown(20, 20, CLICK_LEFT);
    t.wm.HandleMouseUp(20, 20, CLICK_LEFT);
    EXPECT_EQ(t.log, (EventLog{}));
    EXPECT_EQ(t.wm.focusWidget, nullptr);
    t.wm.HandleMouseMove(65, 65);
    EXPECT_EQ(t.wm.hoverWidget, button);
    t.wm.SetFocusWidget(nullptr);
    t.wm.PopModalLayer(below); // not the opener: nothing
    EXPECT_EQ(t.wm.modalBase, dialog);
    t.log.clear();
    t.wm.PopModalLayer(dialog);
    EXPECT_EQ(t.wm.modalBase, nullptr);
    EXPECT_EQ(t.wm.focusWidget, below);
    EXPECT_EQ(t.log, (EventLog{"below:focus"}));
    t.wm.HandleMouseMove(20, 20);
    EXPECT_EQ(t.wm.hoverWidget, below);
}

TEST(WidgetManager, TheModalBaseKeepsItsFocusAndAWidgetOutsideTheTreeOpensNoLayer)
{
    ManagerFixture t;
    RecordingWidget* dialog = t.Add("dialog", 0, 0, 50, 50);
    t.wm.SetFocusWidget(dialog);
    t.wm.PushModalLayer(dialog);
    EXPECT_EQ(t.wm.focusWidget, dialog);
    EXPECT_TRUE(dialog->hasFocus);
    RecordingWidget loose("loose", &t.log);
    t.wm.PushModalLayer(&loose);
    EXPECT_EQ(t.wm.modalBase, dialog);
    EXPECT_EQ(t.wm.modalLayers.size(), 1u);
    t.wm.PopModalLayer(dialog);
    EXPECT_EQ(t.wm.modalBase, nullptr);
}

TEST(WidgetManager, PoppingALayerWhoseBaseWentAwayPopsTheLayersOpenedOverIt)
{
    ManagerFixture t;
    RecordingWidget* first = t.Add("first", 0, 0, 50, 50);
    RecordingWidget* second = t.Add("second", 60, 0, 50, 50);
    RecordingWidget* third = t.Add("third", 120, 0, 50, 50);
    t.wm.PushModalLayer(first);
    t.wm.PushModalLayer(second);
    t.wm.PushModalLayer(third);
    t.wm.DetachChild(second);
    ASSERT_EQ(t.wm.modalLayers.size(), 3u);
    t.wm.PopModalLayer(third);
    EXPECT_EQ(t.wm.modalBase, first);
    EXPECT_EQ(t.wm.modalLayers.size(), 1u);
    t.wm.PopModalLayer(first);
    EXPECT_TRUE(t.wm.modalLayers.empty());
    EXPECT_EQ(t.wm.modalBase, nullptr);
}

TEST(WidgetManager, WalksGiveWidgetsBeneathTheModalBaseTheBelowBaseMod)
{
    ManagerFixture t;
    RecordingWidget* below = t.Add("below", 0, 0, 10, 10);
    RecordingWidget* base = t.Add("base", 20, 0, 10, 10);
    RecordingWidget* above = t.Add("above", 40, 0, 10, 10);
    RecordingWidget* child = t.Add("child", 0, 0, 5, 5, base);
    t.wm.PushModalLayer(base, WidgetFlagsMod(0, WIDGETFLAGS_UPDATE));
    t.wm.UpdateFrame();
    EXPECT_EQ(below->updateCount, 0);
    EXPECT_EQ(base->updateCount, 1);
    EXPECT_EQ(child->updateCount, 1);
    EXPECT_EQ(above->updateCount, 1);
    t.wm.UpdateFrame();
    EXPECT_EQ(above->updateCount, 2);
    t.wm.PopModalLayer(base);
    t.wm.UpdateFrame();
    EXPECT_EQ(below->updateCount, 1);
}

TEST(WidgetManager, UpdateRunsOncePerFrameOnAttachedWidgetsAndTheOverlayWidget)
{
    ManagerFixture t;
    RecordingWidget* a = t.Add("a", 0, 0, 10, 10);
    RecordingWidget* quiet = t.Add("quiet", 0, 0, 10, 10);
    quiet->flagsMod = WidgetFlagsMod(0, WIDGETFLAGS_UPDATE);
    RecordingWidget* restless = t.Add("restless", 0, 0, 10, 10);
    restless->flagsMod = WidgetFlagsMod(WIDGETFLAGS_MARK_DIRTY, 0);
    RecordingWidget cursor("cursor", &t.log);
    WidgetManager* seen = nullptr;
    cursor.onUpdate = [&](RecordingWidget& w) { seen = w.manager; };
    t.wm.overlayWidget = &cursor;
    t.wm.UpdateFrame();
    t.wm.UpdateFrame();
    EXPECT_EQ(a->updateCount, 2);
    EXPECT_EQ(quiet->updateCount, 0);
    EXPECT_EQ(cursor.updateCount, 2);
    EXPECT_EQ(seen, &t.wm);
    EXPECT_EQ(cursor.manager, nullptr);
    EXPECT_EQ(t.wm.updateCount, 2); // the frame counter
    t.wm.DrawScreen();
    EXPECT_FALSE(restless->dirty);
    EXPECT_TRUE(t.wm.UpdateFrame()); // invalidated on every walk
    EXPECT_TRUE(restless->dirty);
    t.wm.overlayWidget = nullptr;
}

TEST(WidgetManager, UpdateFrameReportsARedrawOnlyUntilTheScreenIsDrawn)
{
    ManagerFixture t;
    t.Add("a", 0, 0, 10, 10);
    EXPECT_TRUE(t.wm.UpdateFrame());
    EXPECT_TRUE(t.wm.DrawScreen());
    EXPECT_FALSE(t.wm.UpdateFrame());
    EXPECT_FALSE(t.wm.DrawScreen()); // nothing dirty: nothing drawn
    t.owned.back()->Invalidate();
    EXPECT_TRUE(t.wm.UpdateFrame());
}

TEST(WidgetManager, ScaleMousePointMapsWindowPixelsAndWaitsForAWindow)
{
    ManagerFixture t;
    t.wm.windowRect = Rect(100, 50, 400, 300);
    t.wm.widgetSpaceRect = Rect(0, 0, 800, 600);
    int x = 300;
    int y = 200;
    t.wm.ScaleMousePoint(x, y);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
    x = 99; // left of the window: truncates toward zero
    t.wm.ScaleMousePoint(x, y);
    EXPECT_EQ(x, -2);
    t.wm.windowRect = Rect();
    x = 37;
    y = 12;
    t.wm.ScaleMousePoint(x, y);
    EXPECT_EQ(x, 37);
    EXPECT_EQ(y, 12);
}

TEST(WidgetManager, HandCursorFollowsTheHover)
{
    ManagerFixture t;
    RecordingWidget* a = t.Add("A", 0, 0, 10, 10);
    a->handCursorOnHover = true;
    t.wm.HandleMouseMove(5, 5);
    EXPECT_EQ(t.app.cursorNum, 1);
    t.wm.HandleMouseMove(50, 50);
    EXPECT_EQ(t.app.cursorNum, 0);
    EXPECT_EQ(t.app.cursorRefreshes, (std::vector<int>{1, 0}));
    t.wm.HandleMouseMove(5, 5);
    t.wm.HandleMouseExit();
    EXPECT_EQ(t.wm.hoverWidget, nullptr);
    EXPECT_EQ(t.app.cursorNum, 0);
}

TEST(WidgetManager, APopupClosesWhenAButtonGoesDownOutsideIt)
{
    ManagerFixture t;
    RecordingWidget* popup = t.Add("popup", 10, 10, 20, 20);
    t.wm.popupWidget = popup;
    t.wm.HandleMouseDown(15, 15, CLICK_LEFT);
    t.wm.HandleMouseUp(15, 15, CLICK_LEFT);
    EXPECT_TRUE(t.wm.ContainsChild(popup));
    t.wm.HandleMouseDown(100, 100, CLICK_LEFT);
    EXPECT_FALSE(t.wm.ContainsChild(popup));
    EXPECT_EQ(t.wm.popupWidget, nullptr);
}

// Fills with colour 0; asks for overlays while drawing.
struct OverlayWidget : RecordingWidget {
    using RecordingWidget::RecordingWidget;
    void Draw(Graphics& g) override
    {
        RecordingWidget::Draw(g);
        Note("draw");
        for (int p : requests)
            manager->AddDeferredOverlay(this, p);
    }
    void DrawOverlayAt(Graphics& g, int priority) override
    {
        Note("overlay " + std::to_string(priority) + " at " +
             Pt(static_cast<int>(g.transX), static_cast<int>(g.transY)));
    }
    std::vector<int> requests;
};

TEST(WidgetManager, DeferredOverlaysAreDrawnInPriorityOrderBeforeWidgetsAboveThem)
{
    ManagerFixture t;
    t.wm.widgetSpaceRect = Rect(5, 0, 200, 200);
    MemoryImage screen(nullptr);
    screen.Resize(200, 200);
    t.wm.screenImage = &screen;
    auto a = std::make_unique<OverlayWidget>("a", &t.log, 10, 10, 10, 10);
    auto b = std::make_unique<OverlayWidget>("b", &t.log, 30, 10, 10, 10);
    auto c = std::make_unique<OverlayWidget>("c", &t.log, 50, 10, 10, 10);
    a->requests = {5, 1};
    b->requests = {5};
    c->overlayPriority = 3;
    t.wm.AttachChild(a.get());
    t.wm.AttachChild(b.get());
    t.wm.AttachChild(c.get());
    t.log.clear();
    t.wm.DrawScreen();
    EXPECT_EQ(t.log, (EventLog{"a:draw", "b:draw", "a:overlay 1 at 5,10", "c:draw", "a:overlay 5 at 5,10",
                               "b:overlay 5 at 25,10"}));
    EXPECT_TRUE(t.wm.deferredOverlays.empty());
    EXPECT_EQ(t.wm.lowestPendingPriority, 0x7FFFFFFF);
    EXPECT_EQ(t.wm.screenGraphics, nullptr);
}

uint32_t ScreenAt(MemoryImage& image, int x, int y)
{
    return image.GetPixel(x, y);
}

TEST(WidgetManager, DrawScreenRedrawsOnlyDirtyVisibleTopLevelWidgets)
{
    ManagerFixture t;
    t.wm.widgetSpaceRect = Rect(10, 0, 100, 100);
    MemoryImage screen(nullptr);
    screen.Resize(100, 100);
    t.wm.screenImage = &screen;
    RecordingWidget* red = t.Add("red", 10, 0, 40, 40);
    red->SetColor(0, Color(255, 0, 0));
    RecordingWidget* blue = t.Add("blue", 60, 0, 40, 40);
    blue->SetColor(0, Color(0, 0, 255));
    RecordingWidget* green = t.Add("green", 5, 5, 10, 10, red); // a child, drawn with its parent
    green->SetColor(0, Color(0, 255, 0));
    RecordingWidget* hidden = t.Add("hidden", 60, 50, 40, 40);
    hidden->SetColor(0, Color(255, 255, 255));
    hidden->SetVisible(false);
    EXPECT_TRUE(t.wm.DrawScreen());
    // Widget space starts at x 10: the red widget lands at screen x 0.
    EXPECT_EQ(ScreenAt(screen, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(ScreenAt(screen, 39, 39), 0xFFFF0000u);
    EXPECT_EQ(ScreenAt(screen, 5, 5), 0xFF00FF00u);
    EXPECT_EQ(ScreenAt(screen, 50, 0), 0xFF0000FFu);
    EXPECT_EQ(ScreenAt(screen, 45, 0), 0u);
    EXPECT_EQ(ScreenAt(screen, 50, 60), 0u);
    EXPECT_TRUE(hidden->dirty); // never drawn while hidden
    // Scribble over both, then dirty only the blue one.
    Graphics g(&screen);
    g.color = Color(9, 9, 9);
    g.FillRectangle(0, 0, 100, 40);
    blue->SetColor(0, Color(0, 0, 200));
    EXPECT_TRUE(t.wm.DrawScreen());
    EXPECT_EQ(ScreenAt(screen, 0, 0), 0xFF090909u); // not redrawn
    EXPECT_EQ(ScreenAt(screen, 50, 0), 0xFF0000C8u);
    EXPECT_EQ(red->drawCount, 1);
    EXPECT_EQ(blue->drawCount, 2);
    EXPECT_FALSE(t.wm.DrawScreen());
    // The manager's own Draw never runs, and a redraw of the parent
    // repaints its children.
    red->Invalidate();
    EXPECT_TRUE(t.wm.DrawScreen());
    EXPECT_EQ(ScreenAt(screen, 5, 5), 0xFF00FF00u);
    EXPECT_EQ(green->drawCount, 2);
}

TEST(WidgetManager, DrawScreenWithoutAScreenImageDrawsNothingAndDoesNotCrash)
{
    ManagerFixture t;
    t.Add("a", 0, 0, 10, 10)->SetColor(0, Color(1, 2, 3));
    EXPECT_TRUE(t.wm.DrawScreen());
    EXPECT_FALSE(t.wm.DrawScreen());
}

TEST(WidgetManager, AWidgetQueuedForDeletionInItsOwnHandlerLivesUntilTheFlush)
{
    ManagerFixture t;
    int deletions = 0;
    struct SelfDeleting : RecordingWidget {
        int* counter;
        SelfDeleting(EventLog* l, int* c) : RecordingWidget("self", l, 0, 0, 50, 50), counter(c) {}
        ~SelfDeleting() override { ++*counter; }
        void OnMouseDownButton(int, int, int, int) override { TheWidgetApp()->QueueDeferredDelete(this); }
    };
    auto* w = new SelfDeleting(&t.log, &deletions);
    w->takesFocus = true;
    t.wm.AttachChild(w);
    t.wm.HandleMouseMove(10, 10);
    t.wm.HandleMouseDown(10, 10, CLICK_LEFT);
    EXPECT_FALSE(t.wm.ContainsChild(w));
    EXPECT_EQ(t.wm.pressedWidget, nullptr);
    EXPECT_EQ(t.wm.focusWidget, nullptr);
    EXPECT_EQ(t.wm.hoverWidget, nullptr);
    t.wm.HandleMouseUp(10, 10, CLICK_LEFT);
    EXPECT_EQ(deletions, 0);
    // Inside a nested step nothing is deleted; after it, the flush does.
    t.app.onAppStep = [](TestWidgetApp& app) {
        app.FlushDeferredDeletes();
        return true;
    };
    EXPECT_TRUE(t.app.AppStep(nullptr));
    EXPECT_EQ(deletions, 0);
    t.app.FlushDeferredDeletes();
    EXPECT_EQ(deletions, 1);
}

} // namespace
} // namespace Quib
