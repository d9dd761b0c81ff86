#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/SystemFont.h"
#include "tests/support/RecordingImage.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

// Writes every listener call into a log, keeping the default forwarding of
// the by-mouse calls.
class ButtonLog : public ButtonListener {
public:
    void ButtonPressByMouse(int id, int mouseButton) override
    {
        Note("pressByMouse " + std::to_string(id) + " " + std::to_string(mouseButton));
        ButtonListener::ButtonPressByMouse(id, mouseButton);
    }
    void ButtonPress(int id) override { Note("press " + std::to_string(id)); }
    void ButtonDepressByMouse(int id, int mouseButton) override
    {
        Note("depressByMouse " + std::to_string(id) + " " + std::to_string(mouseButton));
        ButtonListener::ButtonDepressByMouse(id, mouseButton);
    }
    void ButtonDepress(int id) override { Note("depress " + std::to_string(id)); }
    void ButtonHeldTick(int id) override { Note("tick " + std::to_string(id)); }
    void ButtonMouseEnter(int id) override { Note("enter " + std::to_string(id)); }
    void ButtonMouseLeave(int id) override { Note("leave " + std::to_string(id)); }
    void ButtonMouseMove(int id, int x, int y) override
    {
        Note("move " + std::to_string(id) + " " + std::to_string(x) + "," + std::to_string(y));
    }

    void Note(const std::string& s) { calls.push_back(s); }
    std::vector<std::string> Take()
    {
        std::vector<std::string> out;
        out.swap(calls);
        return out;
    }

    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

// A button with id 7 at (10, 10, 40, 20) in an 800 x 600 manager.
struct ButtonFixture {
    TestWidgetApp app;
    WidgetManager& wm = *app.manager;
    ButtonLog log;
    ButtonWidget button{7, &log};

    ButtonFixture()
    {
        button.SetBounds(10, 10, 40, 20);
        wm.AttachChild(&button);
        log.Take();
    }
};

TEST(ButtonWidget, LeftClickReportsPressThenDepressThroughTheDefaults)
{
    ButtonFixture t;
    t.wm.HandleMouseMove(20, 15);
    EXPECT_EQ(t.log.Take(), (Calls{"enter 7", "move 7 10,5"}));
    t.wm.HandleMouseDown(20, 15, CLICK_LEFT);
    EXPECT_EQ(t.log.Take(), (Calls{"pressByMouse 7 0", "press 7"}));
    EXPECT_TRUE(t.button.IsPressedVisual());
    t.wm.UpdateFrame();
    t.wm.UpdateFrame();
    EXPECT_EQ(t.log.Take(), (Calls{"tick 7", "tick 7"}));
    t.wm.HandleMouseUp(20, 15, CLICK_LEFT);
    EXPECT_EQ(t.log.Take(), (Calls{"depressByMouse 7 0", "depress 7"}));
    EXPECT_FALSE(t.button.pressed);
    EXPECT_FALSE(t.button.IsPressedVisual());
}

TEST(ButtonWidget, PressMovedOffAndReleasedOutsideGivesNoDepressAndNoTicks)
{
    ButtonFixture t;
    t.wm.HandleMouseMove(20, 15);
    t.wm.HandleMouseDown(20, 15, CLICK_LEFT);
    t.log.Take();
    t.wm.HandleMouseMove(100, 100); // a drag: only leave, no move
    EXPECT_EQ(t.log.Take(), (Calls{"leave 7"}));
    EXPECT_TRUE(t.button.pressed);
    EXPECT_FALSE(t.button.IsPressedVisual());
    t.wm.UpdateFrame();
    EXPECT_TRUE(t.log.Take().empty());
    t.wm.HandleMouseUp(100, 100, CLICK_LEFT);
    EXPECT_TRUE(t.log.Take().empty());
}

TEST(ButtonWidget, RightClickReportsMouseButtonOneAndNeverLooksDown)
{
    ButtonFixture t;
    t.wm.HandleMouseMove(20, 15);
    t.log.Take();
    t.wm.HandleMouseDown(20, 15, CLICK_RIGHT);
    EXPECT_EQ(t.log.Take(), (Calls{"pressByMouse 7 1", "press 7"}));
    EXPECT_FALSE(t.button.pressed);
    EXPECT_FALSE(t.button.IsPressedVisual());
    t.wm.UpdateFrame();
    EXPECT_TRUE(t.log.Take().empty()); // no held ticks either
    t.wm.HandleMouseUp(20, 15, CLICK_RIGHT);
    EXPECT_EQ(t.log.Take(), (Calls{"depressByMouse 7 1", "depress 7"}));
}

TEST(ButtonWidget, ReleaseWhileTheApplicationLacksFocusDepressesOnlyWhenAskedTo)
{
    for (bool depressWhenNotHovered : {false, true}) {
        ButtonFixture t;
        t.button.depressWhenNotHovered = depressWhenNotHovered;
        t.wm.HandleMouseMove(20, 15);
        t.wm.HandleMouseDown(20, 15, CLICK_LEFT);
        t.wm.OnAppFocusLost();
        t.log.Take();
        t.wm.HandleMouseUp(20, 15, CLICK_LEFT);
        EXPECT_EQ(t.log.Take(), depressWhenNotHovered ? (Calls{"depressByMouse 7 0", "depress 7"}) : Calls{})
            << depressWhenNotHovered;
    }
    // Released outside with the flag set: it still counts.
    ButtonFixture t;
    t.button.depressWhenNotHovered = true;
    t.wm.HandleMouseMove(20, 15);
    t.wm.HandleMouseDown(20, 15, CLICK_LEFT);
    t.wm.HandleMouseMove(300, 300);
    t.log.Take();
    t.wm.HandleMouseUp(300, 300, CLICK_LEFT);
    EXPECT_EQ(t.log.Take(), (Calls{"depressByMouse 7 0", "depress 7"}));
}

TEST(ButtonWidget, OverAlphaFadesInStepwiseAndDropsOrFadesOutOnLeave)
{
    ButtonFixture t;
    t.button.fadeInStep = 0.25;
    t.wm.HandleMouseMove(20, 15);
    std::vector<double> seen;
    for (int i = 0; i < 5; ++i) {
        t.button.dirty = false;
        t.wm.UpdateFrame();
        seen.push_back(t.button.overAlpha);
        EXPECT_EQ(t.button.dirty, i < 4) << i; // each step redraws; the full look stays
    }
    EXPECT_EQ(seen, (std::vector<double>{0.25, 0.5, 0.75, 1.0, 1.0}));
    // Leaving with no fade-out step: gone at once.
    t.wm.HandleMouseMove(300, 300);
    EXPECT_EQ(t.button.overAlpha, 0.0);

    // With a fade-out step the over look fades out from full.
    t.button.fadeOutStep = 0.5;
    t.button.fadeInStep = 0.0;
    t.button.overAlpha = 0.0;
    t.wm.HandleMouseMove(20, 15);
    t.wm.HandleMouseMove(300, 300);
    EXPECT_EQ(t.button.overAlpha, 1.0);
    t.wm.UpdateFrame();
    EXPECT_EQ(t.button.overAlpha, 0.5);
    t.wm.UpdateFrame();
    t.wm.UpdateFrame();
    EXPECT_EQ(t.button.overAlpha, 0.0);

    // Entering without a fade-in step drops a leftover alpha.
    t.button.overAlpha = 0.5;
    t.wm.HandleMouseMove(20, 15);
    EXPECT_EQ(t.button.overAlpha, 0.0);
}

TEST(ButtonWidget, PressedButOffTheButtonKeepsTheAlpha)
{
    ButtonFixture t;
    t.button.fadeInStep = 0.25;
    t.button.fadeOutStep = 0.25;
    t.wm.HandleMouseMove(20, 15);
    t.wm.HandleMouseDown(20, 15, CLICK_LEFT);
    t.wm.UpdateFrame();
    t.wm.HandleMouseMove(300, 300); // drag off: leave sets nothing while alpha > 0
    const double alpha = t.button.overAlpha;
    t.wm.UpdateFrame();
    EXPECT_EQ(t.button.overAlpha, alpha);
}

TEST(ButtonWidget, HoverRedrawsOnlyWhenSomethingVisibleChanges)
{
    struct Case {
        bool overLook;
        Color hilite;
        bool redraw;
    };
    MemoryImage over(nullptr);
    over.Resize(4, 4);
    for (const Case& c : {Case{false, Color(0, 0, 0), false}, Case{false, Color(9, 0, 0), true},
                          Case{true, Color(0, 0, 0), true}}) {
        ButtonFixture t;
        t.button.overImage = c.overLook ? &over : nullptr;
        t.button.colors[BUTTON_COLOR_LABEL_HILITE] = c.hilite;
        t.button.dirty = false;
        t.wm.HandleMouseMove(20, 15);
        EXPECT_EQ(t.button.dirty, c.redraw) << c.overLook;
        t.button.dirty = false;
        t.wm.HandleMouseMove(300, 300);
        EXPECT_EQ(t.button.dirty, c.redraw) << c.overLook;
    }
}

TEST(ButtonWidget, DisablingRedrawsAgainOnlyWithADisabledLook)
{
    ButtonFixture t;
    t.button.SetDisabled(true);
    t.button.dirty = false;
    t.button.SetDisabled(true); // unchanged: nothing
    EXPECT_FALSE(t.button.dirty);
    t.button.disabledRect = Rect(0, 0, 5, 5);
    t.button.SetDisabled(true);
    EXPECT_TRUE(t.button.dirty); // the disabled look asks for one more draw
}

std::vector<SlotCall> Fills(const RecordingImage& image)
{
    std::vector<SlotCall> out;
    for (const SlotCall& c : image.calls)
        if (c.slot == "FillRectangle")
            out.push_back(c);
    return out;
}

struct Fill {
    Rect r;
    int color;
};

TEST(ButtonWidget, FrameLookFillsTheFaceAndTheBevelOfTheState)
{
    const Fill downFills[] = {{{0, 0, 10, 6}, 5}, {{0, 0, 9, 1}, 2}, {{0, 0, 1, 5}, 2}, {{0, 5, 10, 1}, 3},
                              {{9, 0, 1, 6}, 3},  {{1, 1, 7, 1}, 4}, {{1, 1, 1, 3}, 4}};
    const Fill upFills[] = {{{0, 0, 10, 6}, 5}, {{0, 0, 9, 1}, 3}, {{0, 0, 1, 5}, 3}, {{0, 5, 10, 1}, 2},
                            {{9, 0, 1, 6}, 2},  {{1, 4, 8, 1}, 4}, {{8, 1, 1, 4}, 4}};
    struct Case {
        bool down;
        bool invert;
        const Fill* fills;
    };
    for (const Case& c : {Case{true, false, downFills}, Case{false, false, upFills}, Case{true, true, upFills},
                          Case{false, true, downFills}}) {
        ButtonLog log;
        ButtonWidget b(1, &log);
        b.width = 10;
        b.height = 6;
        for (int i = 0; i < BUTTON_COLOR_COUNT; ++i)
            b.colors[i] = Color(i * 10, i * 20, i * 30); // all different
        b.pressed = b.hovered = c.down;
        b.invertDownLook = c.invert;
        RecordingImage image(10, 6);
        Graphics g(&image);
        b.Draw(g);
        const std::vector<SlotCall> fills = Fills(image);
        ASSERT_EQ(fills.size(), 7u) << c.down << c.invert;
        for (size_t i = 0; i < 7; ++i) {
            EXPECT_EQ(fills[i].rect, c.fills[i].r) << c.down << c.invert << " fill " << i;
            EXPECT_EQ(fills[i].color, b.colors[c.fills[i].color]) << c.down << c.invert << " fill " << i;
        }
        EXPECT_EQ(b.font, nullptr);        // an empty label makes no font
        EXPECT_EQ(image.calls.size(), 7u); // and draws no text
    }
    // No frame: neither face nor bevel.
    ButtonLog log;
    ButtonWidget b(1, &log);
    b.width = 10;
    b.height = 6;
    b.noFrame = true;
    RecordingImage image(10, 6);
    Graphics g(&image);
    b.Draw(g);
    EXPECT_TRUE(image.calls.empty());
    // Hidden: nothing at all.
    b.noFrame = false;
    b.hidden = true;
    b.Draw(g);
    EXPECT_TRUE(image.calls.empty());
}

// Where the label shows in a colour close to c (edges blend).
std::vector<Point> LabelPixels(MemoryImage& image, const Color& c)
{
    std::vector<Point> out;
    const uint32_t* p = image.Pixels();
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint32_t v = p[y * image.width + x];
            if ((v >> 24) != 0 && std::abs(int((v >> 16) & 255) - c.red) < 4 &&
                std::abs(int((v >> 8) & 255) - c.green) < 4 && std::abs(int(v & 255) - c.blue) < 4)
                out.push_back(Point(x, y));
        }
    return out;
}

TEST(ButtonWidget, FrameLookLabelMovesOnePixelWhenDownInTheHoveredColour)
{
    ButtonLog log;
    SysFont font("Arial", 10, 0);
    auto draw = [&](bool pressed, bool hovered) {
        ButtonWidget b(1, &log);
        b.width = 60;
        b.height = 20;
        b.noFrame = true;
        b.label = u"Ok";
        b.SetFont(&font);
        b.colors[BUTTON_COLOR_LABEL] = Color(200, 0, 0);
        b.colors[BUTTON_COLOR_LABEL_HILITE] = Color(0, 0, 200);
        b.pressed = pressed;
        b.hovered = hovered;
        auto image = std::make_unique<MemoryImage>(nullptr);
        image->Resize(60, 20);
        Graphics g(image.get());
        b.Draw(g);
        return image;
    };
    auto up = draw(false, false);
    auto hover = draw(false, true);
    auto down = draw(true, true);
    const std::vector<Point> upPixels = LabelPixels(*up, Color(200, 0, 0));
    ASSERT_FALSE(upPixels.empty());
    EXPECT_TRUE(LabelPixels(*up, Color(0, 0, 200)).empty());
    EXPECT_EQ(LabelPixels(*hover, Color(0, 0, 200)), upPixels);
    std::vector<Point> shifted;
    for (const Point& p : upPixels)
        shifted.push_back(Point(p.x + 1, p.y + 1));
    EXPECT_EQ(LabelPixels(*down, Color(0, 0, 200)), shifted);
}

TEST(ButtonWidget, LabelIsPlacedByJustificationOnTheBaseline)
{
    SysFont font("Arial", 10, 0);
    const std::u16string text = u"Label";
    const int tw = font.WidthOfText(text, 1, 1, 0);
    const int ascent = font.Ascent();
    const int baseline = (30 + ascent - ascent / 6 - 1) / 2;
    for (int justify : {0, 1, 2}) {
        ButtonLog log;
        ButtonWidget b(1, &log);
        b.width = 100;
        b.height = 30;
        b.noFrame = true;
        b.label = text;
        b.labelJustify = justify;
        b.SetFont(&font);
        RecordingImage image(200, 100);
        Graphics g(&image);
        b.Draw(g);
        ASSERT_EQ(image.calls.size(), 1u);
        const int expectX = justify == 0 ? (100 - tw) / 2 : justify == 1 ? 100 - tw : 0;
        EXPECT_EQ(image.calls[0].slot, "PutImage");
        EXPECT_EQ(image.calls[0].x, expectX) << justify;
        EXPECT_EQ(image.calls[0].y, baseline - ascent) << justify;
    }
}

TEST(ButtonWidget, ALabelWithoutAFontGetsItsOwnDefaultFont)
{
    ButtonLog log;
    auto b = std::make_unique<ButtonWidget>(1, &log);
    b->width = 80;
    b->height = 20;
    b->label = u"Go";
    MemoryImage image(nullptr);
    image.Resize(80, 20);
    Graphics g(&image);
    b->Draw(g);
    ASSERT_NE(b->font, nullptr);
    auto* made = dynamic_cast<SysFont*>(b->font);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->faceName, "Arial Unicode MS");
    EXPECT_EQ(made->Platform()->Request().height, -13); // 10 points at 96 DPI
    Font* first = b->font;
    b->Draw(g);
    EXPECT_EQ(b->font, first); // kept, not made again

    // A font given later is used and stays its giver's.
    SysFont given("Arial", 12, 0);
    b->SetFont(&given);
    b->Draw(g);
    EXPECT_EQ(b->font, &given);
    b.reset(); // releases its own font (the leak checker sees it), not the given one
    EXPECT_GT(given.WidthOfText(u"still here", 1, 1, 0), 0);
}

TEST(ButtonWidget, ImageLooksFollowTheState)
{
    MemoryImage normal(nullptr), over(nullptr), down(nullptr), disabled(nullptr);
    for (MemoryImage* m : {&normal, &over, &down, &disabled})
        m->Resize(10, 10);
    struct Case {
        const char* name;
        bool pressed, hovered, disabled, withDown, withOver;
        Image* expect;
        Point at;
    };
    const Case cases[] = {
        {"normal", false, false, false, true, true, &normal, {1, 2}},
        {"hovered", false, true, false, true, true, &over, {3, 4}},
        {"pressed off", true, false, false, true, true, &over, {3, 4}},
        {"down", true, true, false, true, true, &down, {5, 6}},
        {"down from over", true, true, false, false, true, &over, {4, 5}},
        {"down from normal", true, true, false, false, false, &normal, {2, 3}},
        {"disabled", false, false, true, true, true, &disabled, {7, 8}},
        {"disabled pressed", true, true, true, true, true, &disabled, {7, 8}},
    };
    for (const Case& c : cases) {
        ButtonLog log;
        ButtonWidget b(1, &log);
        b.width = 20;
        b.height = 20;
        b.normalImage = &normal;
        b.overImage = c.withOver ? &over : nullptr;
        b.downImage = c.withDown ? &down : nullptr;
        b.disabledImage = &disabled;
        b.normalOffset = Point(1, 2);
        b.overOffset = Point(3, 4);
        b.downOffset = Point(5, 6);
        b.disabledOffset = Point(7, 8);
        b.pressed = c.pressed;
        b.hovered = c.hovered;
        b.disabled = c.disabled;
        RecordingImage image(40, 40);
        Graphics g(&image);
        b.Draw(g);
        ASSERT_EQ(image.calls.size(), 1u) << c.name;
        EXPECT_EQ(image.calls[0].slot, "PutImage") << c.name;
        EXPECT_EQ(image.calls[0].source, c.expect) << c.name;
        EXPECT_EQ(Point(image.calls[0].x, image.calls[0].y), c.at) << c.name;
        EXPECT_EQ(image.calls[0].color, Color::White) << c.name;
    }
}

TEST(ButtonWidget, SpriteSheetLooksAreAllCutFromTheNormalImage)
{
    MemoryImage sheet(nullptr);
    sheet.Resize(40, 10);
    struct Case {
        const char* name;
        bool pressed, hovered, disabled;
        Rect part;
    };
    const Rect normalPart(0, 0, 10, 10), overPart(10, 0, 10, 10), downPart(20, 0, 10, 10),
        disabledPart(30, 0, 10, 10);
    const Case cases[] = {
        {"normal", false, false, false, normalPart},
        {"over", false, true, false, overPart},
        {"down", true, true, false, downPart},
        {"disabled", false, false, true, disabledPart},
    };
    for (const Case& c : cases) {
        ButtonLog log;
        ButtonWidget b(1, &log);
        b.width = 10;
        b.height = 10;
        b.normalImage = &sheet;
        b.normalRect = normalPart;
        b.overRect = overPart;
        b.downRect = downPart;
        b.disabledRect = disabledPart;
        b.pressed = c.pressed;
        b.hovered = c.hovered;
        b.disabled = c.disabled;
        RecordingImage image(10, 10);
        Graphics g(&image);
        b.Draw(g);
        ASSERT_EQ(image.calls.size(), 1u) << c.name;
        EXPECT_EQ(image.calls[0].source, &sheet) << c.name;
        EXPECT_EQ(image.calls[0].sourceRect, c.part) << c.name;
        EXPECT_EQ(Point(image.calls[0].x, image.calls[0].y), Point(0, 0)) << c.name;
    }
}

TEST(ButtonWidget, CrossFadeDrawsTheNormalLookThenTheOverLookAtTheAlpha)
{
    MemoryImage normal(nullptr), over(nullptr);
    normal.Resize(10, 10);
    over.Resize(10, 10);
    struct Case {
        double alpha;
        std::vector<Image*> sources;
        int overAlpha;
    };
    for (const Case& c : {Case{0.5, {&normal, &over}, 127}, Case{1.0, {&over}, 255}}) {
        ButtonLog log;
        ButtonWidget b(1, &log);
        b.width = b.height = 10;
        b.normalImage = &normal;
        b.overImage = &over;
        b.overAlpha = c.alpha;
        RecordingImage image(10, 10);
        Graphics g(&image);
        b.Draw(g);
        ASSERT_EQ(image.calls.size(), c.sources.size()) << c.alpha;
        for (size_t i = 0; i < c.sources.size(); ++i)
            EXPECT_EQ(image.calls[i].source, c.sources[i]) << c.alpha;
        EXPECT_EQ(image.calls.back().color, Color(255, 255, 255, c.overAlpha)) << c.alpha;
        EXPECT_FALSE(g.colorizeImages);
    }
}

} // namespace
} // namespace Quib
