#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/TestWidgetApp.h"
#include "tests/widgets/RecordingWidget.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

std::vector<std::string> ChildNames(const WidgetContainer& c)
{
    std::vector<std::string> names;
    for (Widget* w : c.children)
        names.push_back(static_cast<RecordingWidget*>(w)->name);
    return names;
}

void ClearDirty(WidgetContainer& c)
{
    c.dirty = false;
    for (Widget* w : c.children)
        ClearDirty(*w);
}

// Owns the widgets of a test; they are detached by their destructors.
struct TreeFixture {
    TestWidgetApp app{100, 100};
    WidgetManager& wm = *app.manager;
    EventLog log;
    std::vector<std::unique_ptr<RecordingWidget>> owned;

    RecordingWidget* Make(const std::string& name, int x, int y, int w, int h, int z = 0)
    {
        owned.push_back(std::make_unique<RecordingWidget>(name, &log, x, y, w, h));
        owned.back()->zOrder = z;
        return owned.back().get();
    }
    ~TreeFixture()
    {
        // Children before parents does not matter: each detaches itself.
        owned.clear();
    }
};

TEST(WidgetTree, ChildrenStayInZOrderAndReorderAsNearTheHintAsAllowed)
{
    TreeFixture t;
    Widget parent;
    parent.AttachChild(t.Make("z0", 0, 0, 1, 1, 0));
    parent.AttachChild(t.Make("z5a", 0, 0, 1, 1, 5));
    parent.AttachChild(t.Make("z5b", 0, 0, 1, 1, 5));
    RecordingWidget* c = t.Make("z5c", 0, 0, 1, 1, 5);
    parent.AttachChild(c);
    EXPECT_EQ(ChildNames(parent), (std::vector<std::string>{"z0", "z5a", "z5b", "z5c"}));
    parent.LowerToBottom(c);
    EXPECT_EQ(ChildNames(parent), (std::vector<std::string>{"z0", "z5c", "z5a", "z5b"}));
    parent.AttachChild(t.Make("z3", 0, 0, 1, 1, 3));
    EXPECT_EQ(ChildNames(parent), (std::vector<std::string>{"z0", "z3", "z5c", "z5a", "z5b"}));
    parent.RaiseToTop(c);
    EXPECT_EQ(ChildNames(parent), (std::vector<std::string>{"z0", "z3", "z5a", "z5b", "z5c"}));
    RecordingWidget* a = static_cast<RecordingWidget*>(*std::next(parent.children.begin(), 2));
    parent.PlaceChildBelow(c, a);
    EXPECT_EQ(ChildNames(parent), (std::vector<std::string>{"z0", "z3", "z5c", "z5a", "z5b"}));
    parent.PlaceChildAbove(c, a);
    EXPECT_EQ(ChildNames(parent), (std::vector<std::string>{"z0", "z3", "z5a", "z5c", "z5b"}));
    // A lower z-order never goes above a higher one, whatever the hint.
    RecordingWidget* z0 = static_cast<RecordingWidget*>(parent.children.front());
    parent.PlaceChildAbove(z0, c);
    EXPECT_EQ(ChildNames(parent), (std::vector<std::string>{"z0", "z3", "z5a", "z5c", "z5b"}));
    // Each reorder told the child; reordering does not invalidate.
    EXPECT_EQ(std::count(t.log.begin(), t.log.end(), "z5c:order"), 4);
    ClearDirty(parent);
    parent.RaiseToTop(a);
    EXPECT_FALSE(a->dirty);
    EXPECT_FALSE(parent.dirty);
}

TEST(WidgetTree, AttachTwiceDetachOrReorderAStrangerAreIgnored)
{
    TreeFixture t;
    Widget parent;
    RecordingWidget* a = t.Make("a", 0, 0, 1, 1);
    RecordingWidget* stranger = t.Make("s", 0, 0, 1, 1);
    parent.AttachChild(a);
    parent.AttachChild(a);
    EXPECT_EQ(parent.children.size(), 1u);
    parent.DetachChild(stranger);
    parent.RaiseToTop(stranger);
    parent.PlaceChildBelow(stranger, a);
    EXPECT_EQ(ChildNames(parent), (std::vector<std::string>{"a"}));
    EXPECT_EQ(stranger->parent, nullptr);
    // A widget cannot become its own ancestor.
    a->AttachChild(static_cast<Widget*>(&parent));
    EXPECT_TRUE(a->children.empty());
    // Attaching to another parent moves it there.
    Widget other;
    other.AttachChild(a);
    EXPECT_TRUE(parent.children.empty());
    EXPECT_EQ(a->parent, &other);
}

TEST(WidgetTree, AttachingSetsTheManagerOnTheWholeSubtreeAndDetachingClearsIt)
{
    TreeFixture t;
    RecordingWidget* top = t.Make("top", 0, 0, 50, 50);
    RecordingWidget* mid = t.Make("mid", 0, 0, 40, 40);
    RecordingWidget* leaf = t.Make("leaf", 0, 0, 30, 30);
    top->AttachChild(mid);
    mid->AttachChild(leaf);
    EXPECT_EQ(leaf->manager, nullptr);
    t.wm.AttachChild(top);
    EXPECT_EQ(top->manager, &t.wm);
    EXPECT_EQ(leaf->manager, &t.wm);
    EXPECT_TRUE(t.wm.dirty);
    t.wm.SetFocusWidget(leaf);
    t.wm.PushModalLayer(mid);
    t.wm.DetachChild(top);
    EXPECT_EQ(top->manager, nullptr);
    EXPECT_EQ(leaf->manager, nullptr);
    EXPECT_EQ(leaf->parent, mid); // the subtree stays together
    EXPECT_EQ(t.wm.focusWidget, nullptr);
    EXPECT_EQ(t.wm.modalBase, nullptr);
    EXPECT_FALSE(leaf->hasFocus);
    ASSERT_EQ(t.wm.modalLayers.size(), 1u);
    EXPECT_EQ(t.wm.modalLayers.back().prevFocus, nullptr);
}

TEST(WidgetTree, IsDrawnBeforeWalksInPreOrder)
{
    TreeFixture t;
    RecordingWidget* a = t.Make("a", 0, 0, 1, 1);
    RecordingWidget* a1 = t.Make("a1", 0, 0, 1, 1);
    RecordingWidget* b = t.Make("b", 0, 0, 1, 1);
    a->AttachChild(a1);
    t.wm.AttachChild(a);
    t.wm.AttachChild(b);
    EXPECT_TRUE(t.wm.IsDrawnBefore(a, a1));
    EXPECT_TRUE(t.wm.IsDrawnBefore(a1, b));
    EXPECT_FALSE(t.wm.IsDrawnBefore(b, a1));
    RecordingWidget* none = t.Make("none", 0, 0, 1, 1);
    EXPECT_FALSE(t.wm.IsDrawnBefore(none, b));
    EXPECT_TRUE(t.wm.IsDrawnBefore(b, none));
}

struct RemovalCase {
    const char* name;
    int removedIndex; // removed during the update of child 1
    bool reorderInstead;
};

class WidgetTreeRemovalDuringUpdate : public ::testing::TestWithParam<RemovalCase> {};

TEST_P(WidgetTreeRemovalDuringUpdate, NothingIsSkippedOrUpdatedTwice)
{
    const RemovalCase& c = GetParam();
    TreeFixture t;
    std::vector<RecordingWidget*> w;
    for (int i = 0; i < 4; ++i) {
        w.push_back(t.Make("w" + std::to_string(i), 0, 0, 1, 1));
        t.wm.AttachChild(w.back());
    }
    w[1]->onUpdate = [&](RecordingWidget&) {
        if (c.reorderInstead)
            t.wm.RaiseToTop(w[static_cast<size_t>(c.removedIndex)]);
        else
            t.wm.DetachChild(w[static_cast<size_t>(c.removedIndex)]);
    };
    t.wm.UpdateFrame();
    for (int i = 0; i < 4; ++i) {
        const auto count = std::count(t.log.begin(), t.log.end(), "w" + std::to_string(i) + ":update");
        const bool removedUnseen = !c.reorderInstead && c.removedIndex > 1 && i == c.removedIndex;
        EXPECT_EQ(count, removedUnseen ? 0 : 1) << "w" << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, WidgetTreeRemovalDuringUpdate,
                         ::testing::Values(RemovalCase{"self", 1, false}, RemovalCase{"next", 2, false},
                                           RemovalCase{"previous", 0, false}, RemovalCase{"raiseSelf", 1, true},
                                           RemovalCase{"raisePrevious", 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WidgetTree, UnchangedBoundsOrVisibilityInvalidateNothing)
{
    TreeFixture t;
    RecordingWidget* a = t.Make("a", 10, 10, 20, 20);
    t.wm.AttachChild(a);
    ClearDirty(t.wm);
    a->SetBounds(10, 10, 20, 20);
    a->SetVisible(true);
    a->SetDisabled(false);
    EXPECT_FALSE(a->dirty);
    EXPECT_FALSE(t.wm.dirty);
    a->MoveTo(11, 10);
    EXPECT_TRUE(a->dirty);
    EXPECT_TRUE(t.wm.dirty);
}

TEST(WidgetTree, HidingRedrawsWhatShowsThroughButNotBeneathAnOpaqueCover)
{
    TreeFixture t;
    RecordingWidget* floor = t.Make("floor", 0, 0, 100, 100);
    RecordingWidget* cover = t.Make("cover", 0, 0, 60, 60);
    RecordingWidget* aside = t.Make("aside", 70, 70, 10, 10);
    RecordingWidget* hidden = t.Make("hidden", 10, 10, 20, 20);
    for (RecordingWidget* w : {floor, cover, aside, hidden})
        t.wm.AttachChild(w);
    ClearDirty(t.wm);
    hidden->SetVisible(false);
    EXPECT_TRUE(hidden->dirty);
    EXPECT_TRUE(cover->dirty);
    EXPECT_FALSE(floor->dirty); // the cover hides it
    EXPECT_FALSE(aside->dirty);
    // Without the cover's opacity the floor shows through.
    ClearDirty(t.wm);
    cover->transparentParts = true;
    hidden->SetVisible(true);
    ClearDirty(t.wm);
    hidden->SetVisible(false);
    EXPECT_TRUE(cover->dirty);
    EXPECT_TRUE(floor->dirty);
    EXPECT_TRUE(aside->dirty); // over the floor, which is redrawn whole
}

TEST(WidgetTree, TranslucentWidgetInsideAnOpaqueOneDirtiesOnlyThatAndWhatIsAbove)
{
    TreeFixture t;
    RecordingWidget* floor = t.Make("floor", 0, 0, 100, 100);
    RecordingWidget* panel = t.Make("panel", 10, 10, 50, 50);
    RecordingWidget* glass = t.Make("glass", 20, 20, 10, 10);
    RecordingWidget* over = t.Make("over", 25, 25, 30, 30);
    RecordingWidget* far = t.Make("far", 80, 80, 5, 5);
    glass->translucent = true;
    for (RecordingWidget* w : {floor, panel, glass, over, far})
        t.wm.AttachChild(w);
    ClearDirty(t.wm);
    glass->Invalidate();
    EXPECT_TRUE(glass->dirty);
    EXPECT_TRUE(panel->dirty);
    EXPECT_TRUE(over->dirty);
    EXPECT_FALSE(floor->dirty);
    EXPECT_FALSE(far->dirty);
    EXPECT_TRUE(t.wm.dirty);
}

TEST(WidgetTree, InvalidatingAChildDirtiesVisibleOverlappingWidgetsAbove)
{
    TreeFixture t;
    RecordingWidget* a = t.Make("a", 0, 0, 20, 20);
    RecordingWidget* touching = t.Make("touching", 20, 0, 10, 10); // shares an edge only
    RecordingWidget* over = t.Make("over", 10, 10, 20, 20);
    RecordingWidget* hiddenOver = t.Make("hiddenOver", 10, 10, 20, 20);
    hiddenOver->visible = false;
    for (RecordingWidget* w : {a, touching, over, hiddenOver})
        t.wm.AttachChild(w);
    ClearDirty(t.wm);
    a->Invalidate();
    EXPECT_TRUE(a->dirty);
    EXPECT_TRUE(over->dirty);
    EXPECT_FALSE(touching->dirty);
    EXPECT_FALSE(hiddenOver->dirty);
}

// Writes down the clip rectangle it draws with.
struct ClipProbe : RecordingWidget {
    using RecordingWidget::RecordingWidget;
    void Draw(Graphics& g) override { seen.push_back(g.clipRect); }
    std::vector<Rect> seen;
};

TEST(WidgetTree, DrawClipsToBoundsAndAChildOutsideItsParentGetsAnEmptyClip)
{
    TreeFixture t;
    MemoryImage screen(nullptr);
    screen.Resize(100, 100);
    Widget parent;
    parent.SetBounds(10, 10, 30, 30);
    ClipProbe inside("in", &t.log, 5, 5, 50, 50);
    ClipProbe outside("out", &t.log, 40, 40, 10, 10);
    parent.AttachChild(&inside);
    parent.AttachChild(&outside);
    Graphics g(&screen);
    g.transX = 10;
    g.transY = 10;
    TreeWalkFlags flags{WIDGETFLAGS_DEFAULT, WIDGETFLAGS_DEFAULT, true};
    parent.DrawTree(flags, g);
    ASSERT_EQ(inside.seen.size(), 1u);
    EXPECT_EQ(inside.seen[0], Rect(15, 15, 25, 25));
    ASSERT_EQ(outside.seen.size(), 1u);
    EXPECT_EQ(outside.seen[0], Rect(0, 0, 0, 0));
    // Without the clip flag the child keeps its parent's clip.
    inside.seen.clear();
    inside.clip = false;
    Graphics g2(&screen);
    g2.transX = 10;
    g2.transY = 10;
    parent.DrawTree(flags, g2);
    EXPECT_EQ(inside.seen[0], Rect(10, 10, 30, 30));
    parent.DetachAllChildren(false, false);
}

struct ClickCase {
    ClickCode code;
    int button;
    int count;
};

TEST(WidgetTree, ClickCodesBecomeButtonAndCount)
{
    const ClickCase cases[] = {{CLICK_LEFT, 0, 1},
                               {CLICK_LEFT_DOUBLE, 0, 2},
                               {CLICK_RIGHT, 1, -1},
                               {CLICK_RIGHT_DOUBLE, 1, -2},
                               {CLICK_MIDDLE, 2, 1}};
    for (const ClickCase& c : cases) {
        EventLog log;
        RecordingWidget w("w", &log);
        w.OnMouseDown(3, 4, c.code);
        w.OnMouseUp(5, 6, c.code);
        const std::string b = " b" + std::to_string(c.button) + " c" + std::to_string(c.count);
        EXPECT_EQ(log, (EventLog{"w:down 3,4" + b, "w:up 5,6" + b})) << c.code;
    }
}

TEST(WidgetTree, CountDigits)
{
    Widget w;
    const std::pair<int, int> cases[] = {{0, 1}, {9, 1}, {10, 2}, {99, 2}, {1000, 4}, {-5, 1}, {2147483647, 10}};
    for (auto [n, digits] : cases)
        EXPECT_EQ(w.CountDigits(n), digits) << n;
}

TEST(WidgetTree, DrawDigitStripDrawsOneCellPerDigit)
{
    // Cells 4 wide; digit d is opaque with blue 16 * (d + 1).
    MemoryImage strip(nullptr);
    strip.Resize(40, 2);
    for (int d = 0; d < 10; ++d)
        for (int x = 0; x < 4; ++x)
            for (int y = 0; y < 2; ++y)
                strip.Pixels()[y * 40 + d * 4 + x] = 0xFF000000u + 16u * static_cast<uint32_t>(d + 1);
    strip.NotePixelsEdited();
    // The digit each column shows, -1 where nothing was drawn.
    auto draw = [&](int number) {
        MemoryImage screen(nullptr);
        screen.Resize(30, 2);
        Graphics g(&screen);
        Widget w;
        w.DrawDigitStrip(g, number, 1, 0, &strip, 2);
        std::vector<int> row;
        for (int x = 0; x < 30; ++x) {
            const uint32_t p = screen.GetPixel(x, 0);
            row.push_back(p >> 24 ? static_cast<int>(((p & 255) + 8) / 16) - 1 : -1);
        }
        return row;
    };
    std::vector<int> expectedZero(30, -1);
    for (int x = 1; x < 5; ++x)
        expectedZero[static_cast<size_t>(x)] = 0;
    EXPECT_EQ(draw(0), expectedZero);
    std::vector<int> expected305(30, -1);
    const int digits[3] = {3, 0, 5};
    for (int d = 0; d < 3; ++d)
        for (int x = 1 + d * 6; x < 5 + d * 6; ++x)
            expected305[static_cast<size_t>(x)] = digits[d];
    EXPECT_EQ(draw(305), expected305);
}

TEST(WidgetTree, ColourTableGrowsAndReadsPastTheEndAreSafe)
{
    Widget w;
    const Color six[6] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}, {13, 14, 15}, {16, 17, 18}};
    w.SetColors(six, 6);
    EXPECT_EQ(w.GetColor(5), Color(16, 17, 18));
    EXPECT_EQ(w.GetColor(7), Color(0, 0, 0, 255));
    EXPECT_EQ(w.GetColor(-1), Color(0, 0, 0, 255));
    EXPECT_EQ(w.GetColorOr(7, Color(9, 9, 9, 9)), Color(9, 9, 9, 9));
    w.SetColor(9, Color(1, 1, 1, 1));
    ASSERT_EQ(w.colors.size(), 10u);
    EXPECT_EQ(w.colors[7], Color(0, 0, 0, 255));
    const int rgb[2][3] = {{1, 2, 3}, {4, 5, 6}};
    w.SetColorsRGB(rgb, 2);
    ASSERT_EQ(w.colors.size(), 2u);
    EXPECT_EQ(w.colors[1], Color(4, 5, 6, 255));
}

TEST(WidgetTree, DeletingAnAttachedWidgetDetachesItFirst)
{
    TreeFixture t;
    auto* doomed = new RecordingWidget("doomed", &t.log, 10, 10, 20, 20);
    RecordingWidget* child = t.Make("child", 0, 0, 10, 10);
    RecordingWidget* below = t.Make("below", 0, 0, 100, 100);
    t.wm.AttachChild(below);
    t.wm.AttachChild(doomed);
    doomed->AttachChild(child);
    doomed->takesFocus = true;
    t.wm.HandleMouseMove(15, 15);
    t.wm.HandleMouseDown(15, 15, CLICK_LEFT);
    ASSERT_EQ(t.wm.pressedWidget, child);
    t.wm.SetFocusWidget(doomed);
    t.wm.PushModalLayer(doomed);
    ClearDirty(t.wm);
    delete doomed;
    EXPECT_EQ(t.wm.children.size(), 1u);
    EXPECT_EQ(t.wm.focusWidget, nullptr);
    EXPECT_EQ(t.wm.pressedWidget, nullptr);
    EXPECT_EQ(t.wm.hoverWidget, nullptr);
    EXPECT_EQ(t.wm.modalBase, nullptr);
    EXPECT_TRUE(below->dirty); // its former area is redrawn
    EXPECT_EQ(child->parent, nullptr);
    EXPECT_EQ(child->manager, nullptr);
    // The pressed child was told of the release.
    EXPECT_NE(std::find(t.log.begin(), t.log.end(), "child:up 5,5 b0 c1"), t.log.end());
    t.wm.PopModalLayer(doomed);
    EXPECT_TRUE(t.wm.modalLayers.empty());
    // The manager takes input as before.
    t.wm.HandleMouseUp(15, 15, CLICK_LEFT);
    t.wm.HandleMouseMove(50, 50);
    EXPECT_EQ(t.wm.hoverWidget, below);
}

TEST(WidgetTree, DestroyingTheManagerLeavesChildrenUnattached)
{
    EventLog log;
    RecordingWidget w("w", &log, 0, 0, 10, 10);
    RecordingWidget leaf("leaf", &log, 0, 0, 5, 5);
    w.AttachChild(&leaf);
    {
        TestWidgetApp app;
        app.manager->AttachChild(&w);
    }
    EXPECT_EQ(w.parent, nullptr);
    EXPECT_EQ(w.manager, nullptr);
    EXPECT_EQ(leaf.manager, nullptr);
    EXPECT_EQ(leaf.parent, &w);
}

TEST(WidgetTree, DetachAllChildrenCanDeleteTheWholeSubtree)
{
    TestWidgetApp app;
    int deleted = 0;
    struct Counted : Widget {
        int* n;
        explicit Counted(int* count) : n(count) {}
        ~Counted() override { ++*n; }
    };
    auto* a = new Counted(&deleted);
    auto* a1 = new Counted(&deleted);
    auto* b = new Counted(&deleted);
    a->AttachChild(a1);
    app.manager->AttachChild(a);
    app.manager->AttachChild(b);
    app.manager->DetachAllChildren(true, true);
    EXPECT_EQ(deleted, 3);
    EXPECT_TRUE(app.manager->children.empty());
}

TEST(WidgetTree, SetDisabledForgetsTheWidgetAndReenablingRehovers)
{
    TreeFixture t;
    RecordingWidget* a = t.Make("a", 10, 10, 20, 20);
    a->takesFocus = true;
    t.wm.AttachChild(a);
    t.wm.HandleMouseMove(15, 15);
    t.wm.HandleMouseDown(15, 15, CLICK_LEFT);
    t.log.clear();
    a->SetDisabled(true);
    EXPECT_EQ(t.log, (EventLog{"a:leave", "a:up 5,5 b0 c1", "a:unfocus"}));
    EXPECT_EQ(t.wm.hoverWidget, nullptr);
    t.wm.HandleMouseUp(16, 16, CLICK_LEFT);
    EXPECT_EQ(t.wm.hoverWidget, nullptr); // a disabled widget is not hit
    t.log.clear();
    a->SetDisabled(false);
    EXPECT_EQ(t.wm.hoverWidget, a);
    EXPECT_EQ(t.log, (EventLog{"a:enter", "a:move 6,6"}));
}

// Fixed metrics; records what it draws.
class StubFont : public Font {
public:
    StubFont()
    {
        ascent = 8;
        height = 10;
    }
    using Font::LayoutText;
    using Font::RenderText;
    using Font::WidthOfText;
    Font* Clone() const override { return new StubFont(*this); }
    int WidthOfText(std::u16string_view text, float, float, float) const override
    {
        return 6 * static_cast<int>(text.size());
    }
    void LayoutText(FRect&, std::u16string_view, float, float, float, float, float, int, int) const override {}
    void RenderText(Graphics&, int px, int py, std::u16string_view, const Color& color, const Rect&, float, float,
                    float, int, int) const override
    {
        drawn.push_back({px, py, color});
    }
    struct Drawn {
        int x, y;
        Color color;
    };
    mutable std::vector<Drawn> drawn;
};

TEST(WidgetTree, CentredTextWithShadowDrawsTheShadowFirstAndReturnsTheCoveredArea)
{
    StubFont font;
    Graphics g;
    g.font = &font;
    Widget w;
    w.width = 100;
    const Rect r = w.DrawCenteredTextShadowed(g, 30, u"abcd", Color(1, 2, 3), Color(4, 5, 6), Point(-2, 3));
    ASSERT_EQ(font.drawn.size(), 2u);
    EXPECT_EQ(font.drawn[0].x, 36);
    EXPECT_EQ(font.drawn[0].y, 33);
    EXPECT_EQ(font.drawn[0].color, Color(4, 5, 6));
    EXPECT_EQ(font.drawn[1].x, 38);
    EXPECT_EQ(font.drawn[1].y, 30);
    EXPECT_EQ(g.color, Color(1, 2, 3));
    EXPECT_EQ(r, Rect(36, 22, 26, 13));
    EXPECT_EQ(w.DrawCenteredText(g, 30, u"ab"), Rect(44, 22, 12, 10));
    // Without a font nothing is drawn and nothing is measured.
    Graphics plain;
    EXPECT_EQ(w.DrawCenteredText(plain, 30, u"ab"), Rect(50, 30, 0, 0));
}

} // namespace
} // namespace Quib
