// Thousands of seeded random events thrown at a tree of widgets of every
// kind in the table below, with the tree changed between events and from
// inside the widgets' own handlers; after each event the tree and the
// manager's references must still be consistent.
//
// To add a widget kind, add one line to kWidgetKinds.

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/CheckboxListener.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/EditListener.h"
#include "framework/widgets/SliderListener.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/TestWidgetApp.h"
#include "tests/widgets/RecordingWidget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

class RandomWorld;

struct WidgetKind {
    const char* name;
    Widget* (*make)(RandomWorld& world);
    // False for kinds that delete their own children: the harness then
    // attaches none of its widgets to them.
    bool takesForeignChildren;
};

// A widget that changes the tree from inside its own handlers.
class MischiefWidget : public Widget {
public:
    explicit MischiefWidget(RandomWorld& world) : mWorld(world) {}
    void Update() override;
    void OnMouseDownButton(int, int, int, int) override;
    void OnMouseUpButton(int, int, int, int) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnMouseDrag(int, int) override;
    void OnKeyDown(int key) override;
    void OnKeyChar(char16_t) override;
    void OnFocusGained() override;
    void OnFocusLost() override;
    void Draw(Graphics& g) override;

private:
    void Act();
    RandomWorld& mWorld;
};

class RandomWorld {
public:
    explicit RandomWorld(uint32_t seed) : rng(seed)
    {
        screen.Resize(kSize, kSize);
        wm.screenImage = &screen;
    }
    ~RandomWorld()
    {
        // Everything still alive goes through the queue.
        wm.PopModalLayer(nullptr);
        for (Widget* w : live)
            app.QueueDeferredDelete(w);
        FlushDeletes();
    }

    int Rand(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool Chance(int percent) { return Rand(0, 99) < percent; }
    Widget* AnyLive()
    {
        if (live.empty())
            return nullptr;
        auto it = live.begin();
        std::advance(it, Rand(0, static_cast<int>(live.size()) - 1));
        return *it;
    }

    Widget* MakeWidget();
    void ChangeTree();
    void Event();
    // A nested loop (as a modal dialog runs) that throws events of its own;
    // deletions wait until it has returned.
    void NestedLoop();
    // Deletes what is queued, when no step runs, after dropping the
    // harness's own references to it.
    void FlushDeletes();
    void CheckInvariants();

    static constexpr int kSize = 160;
    TestWidgetApp app{kSize, kSize};
    WidgetManager& wm = *app.manager;
    MemoryImage screen{nullptr};
    std::mt19937 rng;
    std::set<Widget*> live; // every widget the harness made and not yet deleted
    std::set<Widget*> noForeignChildren;
    int nesting = 0;
    // Do-nothing listeners for kinds that need one.
    ButtonListener buttonListener;
    DialogListener dialogListener;
    CheckboxListener checkboxListener;
    SliderListener sliderListener;
    EditListener editListener;
};

const WidgetKind kWidgetKinds[] = {
    {"Widget", [](RandomWorld&) -> Widget* { return new Widget; }, true},
    {"RecordingWidget", [](RandomWorld&) -> Widget* { return new RecordingWidget("r", nullptr); }, true},
    {"MischiefWidget", [](RandomWorld& w) -> Widget* { return new MischiefWidget(w); }, true},
};

Widget* RandomWorld::MakeWidget()
{
    const WidgetKind& kind = kWidgetKinds[Rand(0, static_cast<int>(std::size(kWidgetKinds)) - 1)];
    Widget* w = kind.make(*this);
    w->SetBounds(Rand(-20, kSize), Rand(-20, kSize), Rand(0, 90), Rand(0, 90));
    w->zOrder = Rand(0, 3);
    w->takesFocus = Chance(50);
    w->mouseVisible = Chance(85);
    w->translucent = Chance(20);
    w->transparentParts = Chance(20);
    w->handCursorOnHover = Chance(30);
    w->overlayPriority = Rand(0, 3);
    if (Chance(20))
        w->insetLeft = Rand(0, 10);
    if (Chance(10))
        w->flagsMod = WidgetFlagsMod(Rand(0, 63), Rand(0, 63));
    w->SetColor(0, Color(Rand(0, 255), Rand(0, 255), Rand(0, 255)));
    live.insert(w);
    if (!kind.takesForeignChildren)
        noForeignChildren.insert(w);
    return w;
}

void RandomWorld::ChangeTree()
{
    Widget* w = AnyLive();
    if (!w)
        return;
    switch (Rand(0, 13)) {
    case 0: {
        Widget* parent = Chance(40) ? nullptr : AnyLive();
        if (parent && noForeignChildren.count(parent))
            parent = nullptr;
        if (parent)
            parent->AttachChild(w);
        else
            wm.AttachChild(w);
        break;
    }
    case 1:
        if (w->parent)
            w->parent->DetachChild(w);
        break;
    case 2:
        if (w->parent)
            w->parent->RaiseToTop(w);
        break;
    case 3:
        if (w->parent)
            w->parent->LowerToBottom(w);
        break;
    case 4:
        if (w->parent) {
            Widget* sibling = AnyLive();
            if (Chance(50))
                w->parent->PlaceChildBelow(w, sibling);
            else
                w->parent->PlaceChildAbove(w, sibling);
        }
        break;
    case 5: w->SetVisible(!w->visible); break;
    case 6: w->SetDisabled(!w->disabled); break;
    case 7: w->SetBounds(Rand(-20, kSize), Rand(-20, kSize), Rand(0, 90), Rand(0, 90)); break;
    case 8: app.QueueDeferredDelete(w); break;
    case 9:
        if (Chance(50))
            wm.PushModalLayer(w, Chance(50) ? wm.defaultModalMod : WidgetFlagsMod(0, Rand(0, 63)));
        else
            wm.PopModalLayer(Chance(70) && !wm.modalLayers.empty() ? wm.modalLayers.back().opener : w);
        break;
    case 10: wm.SetFocusWidget(w); break;
    case 11:
        if (Chance(50))
            w->tabNext = AnyLive();
        else
            w->tabPrev = AnyLive();
        break;
    case 12:
        if (w->manager && !w->parent)
            break;
        if (Chance(30) && w->parent == &wm)
            wm.popupWidget = w;
        else if (w->manager)
            wm.ctrlTabTarget = w;
        break;
    default:
        if (live.size() < 60)
            wm.AttachChild(MakeWidget());
        break;
    }
}

void RandomWorld::Event()
{
    const int x = Rand(-30, kSize + 30);
    const int y = Rand(-30, kSize + 30);
    static constexpr ClickCode kCodes[] = {CLICK_LEFT, CLICK_LEFT_DOUBLE, CLICK_RIGHT, CLICK_RIGHT_DOUBLE,
                                           CLICK_MIDDLE};
    static constexpr int kKeys[] = {KEYCODE_TAB, KEYCODE_SHIFT, KEYCODE_CONTROL, 13, 27, 37, 39, 65, 254, 300, -1};
    switch (Rand(0, 19)) {
    case 0:
    case 1:
    case 2:
    case 3: wm.HandleMouseMove(x, y); break;
    case 4:
    case 5: wm.HandleMouseDown(x, y, kCodes[Rand(0, 4)]); break;
    case 6:
    case 7: wm.HandleMouseUp(x, y, kCodes[Rand(0, 4)]); break;
    case 8: wm.HandleMouseWheel(Rand(-240, 240)); break;
    case 9: wm.HandleKeyDown(kKeys[Rand(0, static_cast<int>(std::size(kKeys)) - 1)]); break;
    case 10: wm.HandleKeyUp(kKeys[Rand(0, static_cast<int>(std::size(kKeys)) - 1)]); break;
    case 11: wm.HandleKeyChar(Chance(30) ? u'\t' : static_cast<char16_t>(Rand(0, 0xFFFF))); break;
    case 12:
        if (Chance(50))
            wm.OnAppFocusLost();
        else
            wm.OnAppFocusGained();
        break;
    case 13:
        if (Chance(50))
            wm.ReleaseHeldButtons();
        else
            wm.HandleMouseExit();
        break;
    case 14: wm.UpdateFrame(); break;
    case 15: wm.DrawScreen(); break;
    case 16: NestedLoop(); break;
    case 17: {
        TreeWalkFlags flags;
        wm.InitTreeWalkFlags(flags);
        wm.UpdateTreeElapsed(flags, 0.5f);
        break;
    }
    default: ChangeTree(); break;
    }
}

void RandomWorld::NestedLoop()
{
    if (nesting >= 3)
        return;
    ++nesting;
    auto saved = std::move(app.onAppStep);
    int steps = Rand(1, 4);
    app.onAppStep = [this, &steps](TestWidgetApp&) {
        Event();
        ChangeTree();
        return --steps > 0;
    };
    while (app.AppStep(nullptr)) {
    }
    app.onAppStep = std::move(saved);
    --nesting;
}

void RandomWorld::FlushDeletes()
{
    if (app.deferredDeletes.StepDepth() > 0)
        return;
    std::vector<Widget*> doomed;
    for (Widget* w : live)
        if (app.deferredDeletes.Contains(w))
            doomed.push_back(w);
    for (Widget* w : doomed) {
        live.erase(w);
        noForeignChildren.erase(w);
    }
    for (Widget* other : live) {
        for (Widget* w : doomed) {
            if (other->tabNext == w)
                other->tabNext = nullptr;
            if (other->tabPrev == w)
                other->tabPrev = nullptr;
        }
    }
    app.FlushDeferredDeletes();
}

void CheckSubtree(WidgetContainer* node, WidgetManager* wm, std::set<const Widget*>& seen)
{
    int lastZ = -1000000;
    for (Widget* child : node->children) {
        ASSERT_TRUE(seen.insert(child).second) << "a widget is in the tree twice";
        ASSERT_EQ(child->parent, node);
        ASSERT_EQ(child->manager, wm);
        ASSERT_GE(child->zOrder, lastZ) << "children out of z-order";
        lastZ = child->zOrder;
        CheckSubtree(child, wm, seen);
    }
}

void RandomWorld::CheckInvariants()
{
    std::set<const Widget*> attached;
    CheckSubtree(&wm, &wm, attached);
    for (Widget* w : live) {
        if (attached.count(w))
            continue;
        EXPECT_EQ(w->manager, nullptr) << "a detached widget keeps its manager";
        if (w->parent) {
            ASSERT_TRUE(w->parent->ContainsChild(w)) << "a parent lost its child";
        }
    }
    auto attachedOrNull = [&](const Widget* w) { return !w || attached.count(w) > 0; };
    EXPECT_TRUE(attachedOrNull(wm.hoverWidget));
    EXPECT_TRUE(attachedOrNull(wm.pressedWidget));
    EXPECT_TRUE(attachedOrNull(wm.focusWidget));
    EXPECT_TRUE(attachedOrNull(wm.modalBase));
    EXPECT_TRUE(attachedOrNull(wm.popupWidget));
    EXPECT_TRUE(attachedOrNull(wm.ctrlTabTarget));
    for (const ModalLayer& layer : wm.modalLayers) {
        EXPECT_TRUE(attachedOrNull(layer.prevBase));
        EXPECT_TRUE(attachedOrNull(layer.prevFocus));
    }
    if (wm.pressedWidget) {
        EXPECT_NE(wm.buttonsOnPressed, 0);
    }
    // The per-widget flags agree with the manager.
    for (const Widget* w : attached) {
        EXPECT_EQ(w->hovered, w == wm.hoverWidget);
        if (w->pressed) {
            EXPECT_EQ(w, wm.pressedWidget);
        }
        if (w->hasFocus) {
            EXPECT_EQ(w, wm.focusWidget);
        }
    }
    EXPECT_TRUE(wm.deferredOverlays.empty());
    EXPECT_EQ(wm.screenGraphics, nullptr);
}

void MischiefWidget::Act()
{
    RandomWorld& w = mWorld;
    switch (w.Rand(0, 12)) {
    case 11:
        w.NestedLoop(); // from inside a handler or an update walk
        break;
    case 0: TheWidgetApp()->QueueDeferredDelete(this); break;
    case 1:
        if (parent)
            parent->DetachChild(this);
        break;
    case 2:
        if (parent)
            parent->RaiseToTop(this);
        break;
    case 3: SetVisible(!visible); break;
    case 4: SetDisabled(true); break;
    case 5:
        if (manager)
            manager->PushModalLayer(this);
        break;
    case 6:
        if (manager)
            manager->PopModalLayer(this);
        break;
    case 7:
        if (!children.empty())
            DetachChild(children.back());
        break;
    case 8:
        if (Widget* other = w.AnyLive(); other && !w.noForeignChildren.count(other))
            other->AttachChild(this);
        break;
    case 9:
        if (manager)
            manager->SetFocusWidget(w.AnyLive());
        break;
    case 10:
        SetBounds(w.Rand(-20, RandomWorld::kSize), w.Rand(-20, RandomWorld::kSize), w.Rand(0, 90), w.Rand(0, 90));
        break;
    default: w.ChangeTree(); break;
    }
}

void MischiefWidget::Update()
{
    Widget::Update();
    if (mWorld.Chance(10))
        Act();
}

void MischiefWidget::OnMouseDownButton(int, int, int, int)
{
    Act();
}

void MischiefWidget::OnMouseUpButton(int, int, int, int)
{
    if (mWorld.Chance(50))
        Act();
}

void MischiefWidget::OnMouseEnter()
{
    if (mWorld.Chance(30))
        Act();
}

void MischiefWidget::OnMouseLeave()
{
    if (mWorld.Chance(30))
        Act();
}

void MischiefWidget::OnMouseDrag(int, int)
{
    if (mWorld.Chance(30))
        Act();
}

void MischiefWidget::OnKeyDown(int key)
{
    Widget::OnKeyDown(key);
    if (mWorld.Chance(30))
        Act();
}

void MischiefWidget::OnKeyChar(char16_t)
{
    if (mWorld.Chance(30))
        Act();
}

void MischiefWidget::OnFocusGained()
{
    Widget::OnFocusGained();
    if (mWorld.Chance(20))
        Act();
}

void MischiefWidget::OnFocusLost()
{
    Widget::OnFocusLost();
    if (mWorld.Chance(20))
        Act();
}

void MischiefWidget::Draw(Graphics& g)
{
    g.color = GetColor(0);
    g.FillRectangle(0, 0, width, height);
    if (manager && mWorld.Chance(30))
        manager->AddDeferredOverlay(this, mWorld.Rand(0, 4));
}

class RandomEvents : public ::testing::TestWithParam<uint32_t> {};

TEST_P(RandomEvents, TreeAndManagerStayConsistent)
{
    RandomWorld world(GetParam());
    for (int i = 0; i < 12; ++i)
        world.wm.AttachChild(world.MakeWidget());
    for (int i = 0; i < 5000; ++i) {
        world.Event();
        if (world.Chance(5))
            world.FlushDeletes();
        world.CheckInvariants();
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "seed " << GetParam() << ", event " << i;
            return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomEvents, ::testing::Range(1u, 17u));

} // namespace
} // namespace Quib
