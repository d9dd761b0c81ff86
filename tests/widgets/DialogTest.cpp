#include "framework/app/QuibAppBase.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/SystemFont.h"
#include "tests/support/RecordingImage.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;
using Calls = std::vector<std::string>;

std::vector<Widget*> Children(const WidgetContainer& c)
{
    return std::vector<Widget*>(c.children.begin(), c.children.end());
}

Point Centre(const Widget& w)
{
    return Point(w.x + w.width / 2, w.y + w.height / 2);
}

void Click(WidgetManager& wm, const Point& p, ClickCode code = CLICK_LEFT)
{
    wm.HandleMouseMove(p.x, p.y);
    wm.HandleMouseDown(p.x, p.y, code);
    wm.HandleMouseUp(p.x, p.y, code);
}

// Records what a dialog reports.
struct DialogLog : DialogListener {
    void OnDialogButtonPress(int dialogId, int buttonId) override
    {
        calls.push_back("press " + std::to_string(dialogId) + " " + std::to_string(buttonId));
    }
    void OnDialogButtonDepress(int dialogId, int buttonId) override
    {
        calls.push_back("depress " + std::to_string(dialogId) + " " + std::to_string(buttonId));
    }
    Calls calls;
};

// The application with its own button handlers recorded.
class DialogApp : public QuibAppBase {
public:
    DialogApp()
    {
        appWidth = 800;
        appHeight = 600;
        widgetManager->width = 800;
        widgetManager->height = 600;
    }
    void ButtonPress(int id) override { calls.push_back("press " + std::to_string(id)); }
    void ButtonDepress(int id) override
    {
        calls.push_back("depress " + std::to_string(id));
        if (onDepress)
            onDepress(id);
    }
    Calls calls;
    std::function<void(int)> onDepress;
};

TEST(Dialog, ButtonModesMakeTheirButtons)
{
    struct Case {
        int mode;
        const char16_t* first;
        const char16_t* second;
    };
    TestWidgetApp app;
    for (const Case& c : {Case{1, u"YES", u"NO"}, Case{2, u"OK", u"CANCEL"}, Case{3, u"Go on", nullptr},
                          Case{0, nullptr, nullptr}, Case{4, nullptr, nullptr}}) {
        Dialog d(5, false, u"Head", u"Body", u"Go on", c.mode);
        ASSERT_EQ(d.yesButton != nullptr, c.first != nullptr) << c.mode;
        ASSERT_EQ(d.noButton != nullptr, c.second != nullptr) << c.mode;
        if (c.first) {
            EXPECT_EQ(d.yesButton->id, 1000);
            EXPECT_EQ(d.yesButton->label, c.first);
            EXPECT_EQ(d.yesButton->listener, static_cast<ButtonListener*>(&d));
            EXPECT_TRUE(d.yesButton->handCursorOnHover);
            // The dialog's button colours reach the buttons.
            EXPECT_EQ(d.yesButton->colors[0], d.colors[3]);
            EXPECT_EQ(d.yesButton->colors[1], d.colors[4]);
        }
        if (c.second) {
            EXPECT_EQ(d.noButton->id, 1001);
            EXPECT_EQ(d.noButton->label, c.second);
        }
    }
}

TEST(Dialog, SetColorGivesTheButtonLabelColoursToBothButtons)
{
    TestWidgetApp app;
    Dialog d(1, false, u"", u"", u"", 1);
    d.SetColor(4, Color(1, 2, 3));
    EXPECT_EQ(d.yesButton->colors[1], Color(1, 2, 3));
    EXPECT_EQ(d.noButton->colors[1], Color(1, 2, 3));
    d.SetColor(3, Color(4, 5, 6));
    EXPECT_EQ(d.yesButton->colors[0], Color(4, 5, 6));
    EXPECT_EQ(d.noButton->colors[0], Color(4, 5, 6));
    d.SetColor(5, Color(7, 8, 9));
    EXPECT_EQ(d.yesButton->colors[5], Color(212, 212, 212));
}

TEST(Dialog, ButtonsAreLaidOutAlongTheBottom)
{
    TestWidgetApp app;
    Dialog two(1, false, u"", u"", u"", 2);
    two.SetBounds(100, 50, 300, 200);
    EXPECT_EQ(two.yesButton->GetBounds(), Rect(124, 202, 122, 24));
    EXPECT_EQ(two.noButton->GetBounds(), Rect(254, 202, 122, 24));

    Dialog one(2, false, u"", u"", u"Fine", 3);
    one.SetBounds(100, 50, 300, 200);
    EXPECT_EQ(one.yesButton->GetBounds(), Rect(124, 202, 252, 24));

    Dialog framed(3, false, u"", u"", u"", 1);
    framed.frameInsets = {5, 6, 7, 8};
    framed.buttonSideMargin = 10;
    framed.buttonGap = 4;
    framed.buttonHeight = 30;
    framed.SetBounds(100, 50, 300, 200);
    // (300 - 20 - 24 - 7 - 5 - 24 - 4) / 2 = 108 wide.
    EXPECT_EQ(framed.yesButton->GetBounds(), Rect(139, 188, 108, 30));
    EXPECT_EQ(framed.noButton->GetBounds(), Rect(251, 188, 108, 30));

    // Moving lays them out again.
    two.MoveTo(0, 0);
    EXPECT_EQ(two.yesButton->GetBounds(), Rect(24, 152, 122, 24));
}

TEST(Dialog, PreferredHeightAddsTheTextBlocksAndTheButtonRow)
{
    TestWidgetApp app;
    const std::u16string body = u"A body long enough to wrap over more than one line of the dialog, surely.";
    Dialog probe(1, false, u"Head", body, u"", 0);
    probe.GetPreferredHeight(400); // makes the fonts
    Font& hf = *probe.headerFont;
    Font& bf = *probe.bodyFont;
    Graphics g;
    g.font = &bf;
    const int wrapped = g.MeasureWrappedText(348, body, bf.LineAdvance(), nullptr);
    ASSERT_GT(wrapped, bf.LineAdvance()); // more than one line
    const int headerPart = hf.Height() - hf.ExtraLineGap();

    struct Case {
        const char16_t* header;
        const char16_t* bodyText;
        const char16_t* footer;
        int mode;
        int expect;
    };
    const Case cases[] = {
        {u"Head", body.c_str(), u"", 0, 48 + headerPart + 10 + wrapped},
        {u"", body.c_str(), u"", 0, 48 + wrapped},
        {u"Head", u"", u"", 0, 48 + headerPart},
        {u"", u"", u"", 0, 48},
        {u"", u"", u"", 2, 48 + 24 + 8},
        {u"Head", body.c_str(), u"Foot", 2, 48 + headerPart + 10 + wrapped + 8 + hf.LineAdvance() + 8 + 24 + 8},
        {u"Head", body.c_str(), u"Foot", 3, 48 + headerPart + 10 + wrapped + 8 + 24 + 8},
        {u"", u"", u"Foot", 0, 48 + hf.LineAdvance()},
    };
    for (const Case& c : cases) {
        Dialog d(1, false, c.header, c.bodyText, c.footer, c.mode);
        EXPECT_EQ(d.GetPreferredHeight(400), c.expect) << c.mode << " " << int(c.header[0]) << int(c.footer[0]);
    }
}

TEST(Dialog, FontsAreCopiedForTextAndSharedForButtons)
{
    TestWidgetApp app;
    Dialog d(1, false, u"", u"", u"", 1);
    SysFont font("Arial", 9, 0);
    d.SetTitleFont(&font);
    d.SetTextFont(&font);
    ASSERT_NE(d.headerFont, nullptr);
    EXPECT_NE(d.headerFont.get(), &font);
    EXPECT_EQ(d.headerFont->Height(), font.Height());
    EXPECT_NE(d.bodyFont.get(), &font);
    d.SetButtonFont(&font);
    EXPECT_EQ(d.yesButton->font, &font);
    EXPECT_EQ(d.noButton->font, &font);
}

// Pixels of a pure-ish colour channel mix.
int CountPixels(MemoryImage& image, const std::function<bool(int r, int g, int b)>& match)
{
    int n = 0;
    const uint32_t* p = image.Pixels();
    for (int i = 0; i < image.width * image.height; ++i)
        n += match((p[i] >> 16) & 255, (p[i] >> 8) & 255, p[i] & 255) ? 1 : 0;
    return n;
}

TEST(Dialog, FooterLineIsDrawnUnlessItLabelsTheButton)
{
    TestWidgetApp app;
    auto green = [](int r, int g, int b) { return g > 200 && r < 60 && b < 60; };
    for (int mode : {2, 3}) {
        Dialog d(1, false, u"Header", u"Body text", u"FOOTER", mode);
        d.SetBounds(0, 0, 400, 300);
        d.SetColor(2, Color(0, 255, 0));
        MemoryImage image(nullptr);
        image.Resize(400, 300);
        Graphics g(&image);
        d.Draw(g);
        EXPECT_EQ(CountPixels(image, green) > 0, mode == 2) << mode;
        // The panel: face inside the outline, half-transparent shadow outside.
        const uint32_t* p = image.Pixels();
        EXPECT_EQ(p[20 * 400 + 15], 0xFF505050u);
        EXPECT_EQ(p[12 * 400 + 12], 0xFFFFFFFFu);
        EXPECT_EQ(p[100 * 400 + 395] >> 24, 128u);
    }
}

TEST(Dialog, BackgroundImageIsDrawnFramedIntoThePanel)
{
    TestWidgetApp app;
    MemoryImage background(nullptr);
    background.Resize(30, 30);
    Dialog d(1, false, u"", u"", u"", 0);
    d.backgroundImage = &background;
    d.frameInsets = {2, 3, 4, 5};
    d.SetBounds(0, 0, 100, 80);
    RecordingImage image(100, 80);
    Graphics g(&image);
    d.Draw(g);
    // Nothing of the rectangle panel, only pieces of the image.
    ASSERT_FALSE(image.calls.empty());
    for (const SlotCall& c : image.calls) {
        EXPECT_NE(c.slot, "FillRectangle");
        EXPECT_NE(c.slot, "OutlineRectangle");
    }
}

TEST(Dialog, ButtonsFollowTheDialogIntoAndOutOfTheManagerAndInOrder)
{
    TestWidgetApp app;
    WidgetManager& wm = *app.manager;
    Widget other;
    other.SetBounds(0, 0, 10, 10);
    auto d = std::make_unique<Dialog>(1, false, u"", u"", u"", 1);
    d->SetBounds(100, 100, 300, 200);
    wm.AttachChild(d.get());
    wm.AttachChild(&other);
    EXPECT_EQ(Children(wm), (std::vector<Widget*>{d.get(), d->yesButton.get(), d->noButton.get(), &other}));
    EXPECT_EQ(d->yesButton->manager, &wm);
    wm.RaiseToTop(d.get());
    EXPECT_EQ(Children(wm).front(), &other);
    EXPECT_EQ(Children(wm)[1], d.get()); // the buttons right above the dialog
    wm.DetachChild(d.get());
    EXPECT_EQ(Children(wm), (std::vector<Widget*>{&other}));
    EXPECT_EQ(d->yesButton->manager, nullptr);

    // Deleting a dialog still attached takes its buttons out too.
    wm.AttachChild(d.get());
    d.reset();
    EXPECT_EQ(Children(wm), (std::vector<Widget*>{&other}));
}

TEST(Dialog, ReportsItsButtonsAndStoresTheResultOnRelease)
{
    TestWidgetApp app;
    DialogLog log;
    Dialog d(9, false, u"", u"", u"", 2);
    d.dialogListener = &log;
    d.SetBounds(100, 100, 300, 200);
    app.manager->AttachChild(&d);
    Click(*app.manager, Centre(*d.noButton));
    EXPECT_EQ(log.calls, (Calls{"press 9 1001", "depress 9 1001"}));
    EXPECT_EQ(d.result, 1001);
    // Other ids are ignored.
    log.calls.clear();
    d.ButtonPress(5);
    d.ButtonDepress(5);
    EXPECT_TRUE(log.calls.empty());
    EXPECT_EQ(d.result, 1001);
    // Released off the button: pressed, no result.
    Dialog e(10, false, u"", u"", u"", 2);
    e.dialogListener = &log;
    e.SetBounds(100, 400, 300, 150);
    app.manager->AttachChild(&e);
    const Point p = Centre(*e.yesButton);
    app.manager->HandleMouseMove(p.x, p.y);
    app.manager->HandleMouseDown(p.x, p.y, CLICK_LEFT);
    app.manager->HandleMouseMove(700, 10);
    app.manager->HandleMouseUp(700, 10, CLICK_LEFT);
    EXPECT_EQ(log.calls, (Calls{"press 10 1000"}));
    EXPECT_EQ(e.result, DIALOG_NO_RESULT);
}

TEST(Dialog, WithoutListenerAndWithoutApplicationNothingCrashes)
{
    ASSERT_EQ(TheWidgetApp(), nullptr);
    Dialog d(3, true, u"Head", u"Body", u"", 1);
    EXPECT_EQ(d.dialogListener, nullptr);
    d.ButtonPress(1000);
    d.ButtonDepress(1001);
    EXPECT_EQ(d.result, 1001);
    EXPECT_EQ(d.WaitForResult(true), 1001);
    d.OnMouseDownButton(5, 5, 0, 1); // a drag without an application for the cursor
    d.OnMouseDrag(10, 10);
    d.OnMouseUpButton(10, 10, 0, 1);
    EXPECT_FALSE(d.dragging);
    Dialog fresh(4, true, u"", u"", u"", 0);
    EXPECT_EQ(fresh.WaitForResult(true), DIALOG_NO_RESULT);

    // Clicked through a manager whose application gives no listener.
    TestWidgetApp app;
    Dialog shown(5, false, u"", u"", u"", 1);
    shown.SetBounds(0, 0, 300, 200);
    app.manager->AttachChild(&shown);
    Click(*app.manager, Centre(*shown.yesButton));
    EXPECT_EQ(shown.result, 1000);
}

struct DragCase {
    const char* name;
    ClickCode code;
    Point to;
    bool drags;
    Point expect; // the dialog's position after the move
};

TEST(Dialog, DragsWithSingleLeftOrMiddleClickWithinTheManager)
{
    const DragCase cases[] = {
        {"left by 30,20", CLICK_LEFT, {180, 140}, true, {130, 120}},
        {"far left and up", CLICK_LEFT, {-900, -900}, true, {-8, -8}},
        {"far right and down", CLICK_LEFT, {5000, 5000}, true, {608, 508}},
        {"middle", CLICK_MIDDLE, {180, 140}, true, {130, 120}},
        {"right", CLICK_RIGHT, {180, 140}, false, {100, 100}},
        {"double", CLICK_LEFT_DOUBLE, {180, 140}, false, {100, 100}},
    };
    for (const DragCase& c : cases) {
        TestWidgetApp app(800, 600);
        Dialog d(1, false, u"", u"", u"", 1);
        d.SetBounds(100, 100, 200, 100);
        app.manager->AttachChild(&d);
        const Rect yesBefore = d.yesButton->GetBounds();
        app.manager->HandleMouseMove(150, 120);
        app.manager->HandleMouseDown(150, 120, c.code);
        EXPECT_EQ(d.dragging, c.drags) << c.name;
        app.manager->HandleMouseMove(c.to.x, c.to.y);
        EXPECT_EQ(Point(d.x, d.y), c.expect) << c.name;
        EXPECT_EQ(d.yesButton->x - d.x, yesBefore.x - 100) << c.name; // the buttons came along
        if (c.drags) {
            EXPECT_GE(d.grabX, 8) << c.name;
            EXPECT_LE(d.grabX, d.width - 9) << c.name;
            EXPECT_GE(d.grabY, 8) << c.name;
            EXPECT_LE(d.grabY, d.height - 9) << c.name;
        }
        app.manager->HandleMouseUp(c.to.x, c.to.y, c.code);
        EXPECT_FALSE(d.dragging) << c.name;
        EXPECT_EQ(app.cursorRefreshes, c.drags ? (std::vector<int>{2, 0}) : std::vector<int>{}) << c.name;
    }
}

TEST(Dialog, GrabPointStaysInsideAfterAStoppedDrag)
{
    TestWidgetApp app(800, 600);
    Dialog d(1, false, u"", u"", u"", 0);
    d.SetBounds(100, 100, 200, 100);
    app.manager->AttachChild(&d);
    app.manager->HandleMouseMove(110, 110);
    app.manager->HandleMouseDown(110, 110, CLICK_LEFT); // grab (10, 10)
    app.manager->HandleMouseMove(-400, 110);            // stops at -8
    EXPECT_EQ(d.x, -8);
    EXPECT_EQ(d.grabX, 8); // -510 + 100 + 8 would leave the dialog
    EXPECT_EQ(d.grabY, 10);
    // Moving back right follows from the clamped grab point: the mouse is
    // 58 into the dialog, 50 past the grab point.
    app.manager->HandleMouseMove(50, 110);
    EXPECT_EQ(d.x, 42);
}

TEST(Dialog, WaitForResultEndsOnAResultAndClosesWhenAsked)
{
    for (bool close : {false, true}) {
        TestWidgetApp app;
        Dialog d(6, true, u"", u"", u"", 2);
        d.SetBounds(100, 100, 300, 200);
        app.manager->AttachChild(&d);
        app.onAppStep = [&d](TestWidgetApp& a) {
            if (a.appSteps == 3)
                Click(*a.manager, Centre(*d.yesButton));
            return true;
        };
        EXPECT_EQ(d.WaitForResult(close), 1000);
        EXPECT_EQ(app.appSteps, 3);
        EXPECT_EQ(app.closedDialogs, close ? std::vector<int>{6} : std::vector<int>{});
        app.manager->DetachChild(&d);
    }
}

TEST(Dialog, WaitForResultEndsWithNoResultOnDetachOrApplicationExit)
{
    {
        TestWidgetApp app;
        Dialog d(6, false, u"", u"", u"", 2);
        app.manager->AttachChild(&d);
        app.onAppStep = [&d](TestWidgetApp& a) {
            if (a.appSteps == 2)
                a.manager->DetachChild(&d);
            return true;
        };
        EXPECT_EQ(d.WaitForResult(true), DIALOG_NO_RESULT);
        EXPECT_EQ(app.appSteps, 2);
        // Taken out by someone else: its id is not closed again (it may
        // belong to a new dialog by now).
        EXPECT_TRUE(app.closedDialogs.empty());
    }
    {
        TestWidgetApp app;
        Dialog d(7, false, u"", u"", u"", 2);
        app.manager->AttachChild(&d);
        app.onAppStep = [](TestWidgetApp& a) { return a.appSteps < 4; };
        EXPECT_EQ(d.WaitForResult(true), DIALOG_NO_RESULT);
        EXPECT_EQ(app.appSteps, 4);
        EXPECT_EQ(app.closedDialogs, std::vector<int>{7});
        app.manager->DetachChild(&d);
    }
    {
        // Not shown at all: no step runs.
        TestWidgetApp app;
        Dialog d(8, false, u"", u"", u"", 2);
        EXPECT_EQ(d.WaitForResult(false), DIALOG_NO_RESULT);
        EXPECT_EQ(app.appSteps, 0);
    }
}

TEST(Dialog, WaitForResultSurvivesTheDialogBeingDeletedDuringAStep)
{
    TestWidgetApp app;
    auto* d = new Dialog(6, false, u"", u"", u"", 2);
    d->SetBounds(100, 100, 300, 200);
    app.manager->AttachChild(d);
    app.onAppStep = [&d](TestWidgetApp& a) {
        Click(*a.manager, Centre(*d->noButton));
        delete d;
        return true;
    };
    EXPECT_EQ(d->WaitForResult(true), 1001);
    EXPECT_TRUE(app.closedDialogs.empty());
    EXPECT_TRUE(app.manager->children.empty());
}

// Dialog buttons.

struct NoListener : ButtonListener {};

TEST(DialogButton, WithoutAFrameImageDrawsLikeAButton)
{
    NoListener listener;
    DialogButton b(1000, &listener);
    b.width = 10;
    b.height = 6;
    RecordingImage image(10, 6);
    Graphics g(&image);
    b.Draw(g);
    ASSERT_EQ(image.calls.size(), 7u);
    EXPECT_EQ(image.calls[0].rect, Rect(0, 0, 10, 6));
    EXPECT_EQ(image.calls[0].color, Color(212, 212, 212));
}

TEST(DialogButton, AWholeFrameImageMovesWithTheLabelWhenDown)
{
    NoListener listener;
    MemoryImage frame(nullptr);
    frame.Resize(30, 30);
    SysFont font("Arial", 10, 0);
    auto draw = [&](bool down) {
        DialogButton b(1000, &listener);
        b.width = 90;
        b.height = 30;
        b.frameImage = &frame;
        b.label = u"OK";
        b.SetFont(&font);
        b.downShiftX = 2;
        b.downShiftY = 3;
        b.pressed = b.hovered = down;
        RecordingImage image(200, 100);
        Graphics g(&image);
        g.transX = g.transY = 10;
        b.Draw(g);
        EXPECT_EQ(g.transX, 10.0f); // the shift is undone
        return image.calls;
    };
    const std::vector<SlotCall> up = draw(false);
    const std::vector<SlotCall> down = draw(true);
    ASSERT_GT(up.size(), 1u);
    ASSERT_EQ(up.size(), down.size());
    for (size_t i = 0; i < up.size(); ++i) {
        EXPECT_EQ(down[i].x, up[i].x + 2) << i;
        EXPECT_EQ(down[i].y, up[i].y + 3) << i;
    }
    EXPECT_EQ(up.front().source, &frame);
    EXPECT_NE(up.back().source, &frame); // the label last
}

TEST(DialogButton, SheetLooksPickTheirPartAndOnlyTheLabelMovesWhenDown)
{
    NoListener listener;
    MemoryImage sheet(nullptr);
    sheet.Resize(120, 30);
    const Rect normalPart(0, 0, 30, 30), overPart(30, 0, 30, 30), downPart(60, 0, 30, 30),
        disabledPart(90, 0, 30, 30);
    struct Case {
        const char* name;
        bool pressed, hovered, disabled;
        Rect disabledRect;
        Rect part;
    };
    const Case cases[] = {
        {"normal", false, false, false, disabledPart, normalPart},
        {"hovered", false, true, false, disabledPart, overPart},
        {"down", true, true, false, disabledPart, downPart},
        {"disabled", false, false, true, disabledPart, disabledPart},
        {"disabled without a part", false, false, true, Rect(90, 0, 30, 0), normalPart},
    };
    for (const Case& c : cases) {
        DialogButton b(1000, &listener);
        b.width = 90;
        b.height = 30;
        b.frameImage = &sheet;
        b.normalRect = normalPart;
        b.overRect = overPart;
        b.downRect = downPart;
        b.disabledRect = c.disabledRect;
        b.label = u"OK";
        b.labelOffsetX = 4;
        b.labelOffsetY = -2;
        b.pressed = c.pressed;
        b.hovered = c.hovered;
        b.disabled = c.disabled;
        RecordingImage image(200, 100);
        Graphics g(&image);
        g.transX = g.transY = 10;
        b.Draw(g);
        ASSERT_NE(b.font, nullptr) << c.name;
        EXPECT_EQ(static_cast<SysFont*>(b.font)->Platform()->Request().height, -16) << c.name; // 12 points
        ASSERT_GT(image.calls.size(), 1u) << c.name;
        for (size_t i = 0; i + 1 < image.calls.size(); ++i) {
            const SlotCall& call = image.calls[i];
            EXPECT_EQ(call.source, &sheet) << c.name;
            const Rect inside = call.sourceRect.Intersection(c.part);
            EXPECT_EQ(inside, call.sourceRect) << c.name << " piece " << i;
        }
        const bool down = c.pressed && c.hovered && !c.disabled;
        const Font& f = *b.font;
        const int ascent = f.Ascent();
        const int labelX = (90 - f.WidthOfText(u"OK", 1, 1, 0)) / 2 + 4;
        const int labelY = -2 + (ascent + 30 - ascent / 6 - f.ExtraLineGap() - 1) / 2;
        const SlotCall& label = image.calls.back();
        EXPECT_EQ(label.x, 10 + labelX + (down ? 1 : 0)) << c.name;
        EXPECT_EQ(label.y, 10 + labelY - ascent + (down ? 1 : 0)) << c.name;
    }
}

// The application side: showing, closing and the listener mapping.

TEST(QuibAppDialogs, ShowDialogSizesAnUnsizedDialogAndPushesAModalLayer)
{
    DialogApp app;
    WidgetManager& wm = *app.widgetManager;
    auto* d = new Dialog(4, true, u"Question", u"Are you sure?", u"", 1);
    EXPECT_EQ(d->dialogListener, static_cast<DialogListener*>(&app));
    app.ShowDialog(d);
    EXPECT_EQ(d->GetBounds(), Rect(200, 120, 400, d->GetPreferredHeight(400)));
    EXPECT_EQ(Children(wm), (std::vector<Widget*>{d, d->yesButton.get(), d->noButton.get()}));
    EXPECT_EQ(wm.modalBase, d);
    EXPECT_EQ(app.dialogMap.at(4), d);
    EXPECT_EQ(app.dialogList, (std::list<Dialog*>{d}));

    // A sized, non-modal dialog keeps its bounds and pushes no layer.
    auto* e = new Dialog(5, false, u"", u"", u"", 0);
    e->SetBounds(1, 2, 30, 40);
    app.ShowDialog(e);
    EXPECT_EQ(e->GetBounds(), Rect(1, 2, 30, 40));
    EXPECT_EQ(wm.modalBase, d);
    EXPECT_EQ(wm.modalLayers.size(), 1u);
    EXPECT_EQ(app.dialogList, (std::list<Dialog*>{d, e}));
}

TEST(QuibAppDialogs, ShowingAnIdAgainClosesTheOldDialog)
{
    DialogApp app;
    auto* first = new Dialog(4, true, u"", u"", u"", 2);
    auto* second = new Dialog(4, true, u"", u"", u"", 2);
    app.ShowDialog(first);
    app.ShowDialog(first); // already open: nothing
    EXPECT_EQ(app.dialogList.size(), 1u);
    app.ShowDialog(second);
    EXPECT_EQ(app.dialogMap.at(4), second);
    EXPECT_EQ(app.dialogList, (std::list<Dialog*>{second}));
    EXPECT_EQ(first->manager, nullptr);
    EXPECT_TRUE(app.deferredDeletes.Contains(first));
    EXPECT_EQ(app.widgetManager->modalBase, second);
    EXPECT_EQ(app.widgetManager->modalLayers.size(), 1u);
    app.FlushDeferredDeletes();
}

TEST(QuibAppDialogs, CloseDialogDetachesPopsTheLayerAndDefersTheDeletion)
{
    DialogApp app;
    WidgetManager& wm = *app.widgetManager;
    Widget beneath;
    beneath.SetBounds(0, 0, 800, 600);
    beneath.takesFocus = true;
    wm.AttachChild(&beneath);
    wm.SetFocusWidget(&beneath);
    auto* d = new Dialog(4, true, u"", u"", u"", 2);
    app.ShowDialog(d);
    EXPECT_EQ(wm.focusWidget, nullptr); // the layer took the focus
    app.CloseDialog(99);                // no such dialog: nothing
    EXPECT_EQ(app.dialogList.size(), 1u);
    app.CloseDialog(4);
    EXPECT_TRUE(app.dialogMap.empty());
    EXPECT_TRUE(app.dialogList.empty());
    EXPECT_EQ(Children(wm), (std::vector<Widget*>{&beneath}));
    EXPECT_EQ(wm.modalBase, nullptr);
    EXPECT_TRUE(wm.modalLayers.empty());
    EXPECT_EQ(wm.focusWidget, &beneath); // given back
    EXPECT_TRUE(app.deferredDeletes.Contains(d));
    app.FlushDeferredDeletes();
    EXPECT_TRUE(app.deferredDeletes.Empty());
    wm.DetachChild(&beneath);
}

TEST(QuibAppDialogs, DialogButtonsBecomeTheApplicationsButtonIds)
{
    struct Case {
        bool second;
        int id;
    };
    for (const Case& c : {Case{false, 2004}, Case{true, 3004}}) {
        DialogApp app;
        auto* d = new Dialog(4, true, u"", u"Really?", u"", 1);
        app.ShowDialog(d);
        Click(*app.widgetManager, Centre(c.second ? *d->noButton : *d->yesButton));
        const std::string id = std::to_string(c.id);
        EXPECT_EQ(app.calls, (Calls{"press " + id, "depress " + id}));
        EXPECT_EQ(d->result, c.second ? 1001 : 1000);
    }
    DialogApp app;
    app.OnDialogButtonPress(4, 7);
    app.OnDialogButtonDepress(4, 1002);
    EXPECT_TRUE(app.calls.empty());
}

TEST(QuibAppDialogs, AButtonMayCloseItsOwnDialogFromItsHandler)
{
    DialogApp app;
    WidgetManager& wm = *app.widgetManager;
    auto* d = new Dialog(4, true, u"", u"Quit?", u"", 1);
    app.ShowDialog(d);
    app.onDepress = [&app](int id) { app.CloseDialog(id - 3000); };
    const Point p = Centre(*d->noButton);
    Click(wm, p);
    EXPECT_EQ(app.calls, (Calls{"press 3004", "depress 3004"}));
    EXPECT_TRUE(wm.children.empty());
    EXPECT_EQ(wm.pressedWidget, nullptr);
    EXPECT_EQ(wm.hoverWidget, nullptr);
    app.FlushDeferredDeletes();
    // The mouse goes on over where the dialog was.
    wm.HandleMouseMove(p.x + 1, p.y);
    Click(wm, p);
    EXPECT_EQ(app.calls.size(), 2u);
}

TEST(QuibAppDialogs, OpenDialogsGoWithTheApplication)
{
    auto app = std::make_unique<DialogApp>();
    app->ShowDialog(new Dialog(1, true, u"", u"", u"", 2));
    app->ShowDialog(new Dialog(2, false, u"", u"", u"", 1));
    app.reset(); // the leak checker sees anything left behind
    EXPECT_EQ(TheWidgetApp(), nullptr);
}

} // namespace
} // namespace Quib
