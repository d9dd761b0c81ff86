// The appear curve of popups, their drawing transform, the dark backdrop
// and the open-close-delete cycle of a popup over its backdrop.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameResources.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/DarkBack.h"
#include "src/screens/PopupAnimation.h"
#include "src/screens/PopupAppear.h"
#include "src/screens/ScaleButton.h"
#include "tests/screens/ScreensTestSupport.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace Quib::PopupTests {
namespace {

using namespace Testing;

// An opaque picture of one colour.
std::unique_ptr<MemoryImage> Solid(int w, int h, uint32_t argb)
{
    std::vector<uint32_t> words(size_t(w * h), argb);
    auto image = std::make_unique<MemoryImage>(nullptr);
    image->AssignPixels(words.data(), w, h, true);
    return image;
}

// Binds IMAGE_DARK_BACK for the life of the object.
class ScopedDarkBackImage {
public:
    explicit ScopedDarkBackImage(Image* image) : mOld(IMAGE_DARK_BACK) { IMAGE_DARK_BACK = image; }
    ~ScopedDarkBackImage() { IMAGE_DARK_BACK = mOld; }
    ScopedDarkBackImage(const ScopedDarkBackImage&) = delete;
    ScopedDarkBackImage& operator=(const ScopedDarkBackImage&) = delete;

private:
    Image* mOld;
};

TEST(PopupAppear, ScaleRisesToOnePointTwoAndSettlesAtOne)
{
    struct Case {
        float p, scale;
    };
    const Case cases[] = {
        {0.0f, 0.0f},
        {0.4f, 1.2f * std::sin(0.25f * 3.14159265f)},
        {0.7999f, 1.2f},
        {0.8f, 1.2f},
        // Just past 0.8 the cosine branch holds: the sine one gives 1.19977.
        {0.81f, 1.0f + 0.1f * (1.0f + std::cos(0.05f * 3.14159265f))},
        {0.9f, 1.1f},
        {1.0f, 1.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(PopupAppearScale(c.p), c.scale, 1e-4f) << "p = " << c.p;
}

TEST(PopupAppear, ColourBrightensFromTransparentGreyToOpaqueWhite)
{
    struct Case {
        float p;
        Color color;
    };
    const Case cases[] = {
        {0.0f, Color(100, 100, 100, 0)},
        {0.5f, Color(177, 177, 177, 127)},
        {1.0f, Color(255, 255, 255, 255)},
        {1.5f, Color(255, 255, 255, 255)}, // clamped
    };
    for (const Case& c : cases)
        EXPECT_EQ(PopupAppearColor(c.p), c.color) << "p = " << c.p;
}

TEST(PopupAppear, OpeningAndClosingTakeThirtyFourSteps)
{
    struct Case {
        float from, to;
    };
    for (const Case& c : {Case{0.0f, 1.0f}, Case{1.0f, 0.0f}}) {
        float progress = c.from;
        int steps = 1;
        while (!StepPopupProgress(progress, c.to) && steps < 100)
            ++steps;
        EXPECT_EQ(steps, 34) << c.from << " -> " << c.to;
        EXPECT_EQ(progress, c.to);
    }
}

TEST(PopupTransform, TintsAndScalesAboutThePopupCentre)
{
    MemoryImage screen(nullptr);
    screen.Resize(1024, 768);
    Graphics g(&screen);
    g.transX = 300.0f;
    g.transY = 200.0f;
    ApplyPopupTransform(g, 0.5f, 400, 300);
    EXPECT_TRUE(g.colorizeImages);
    EXPECT_EQ(g.color, Color(177, 177, 177, 127));
    EXPECT_FLOAT_EQ(g.scaleX, PopupAppearScale(0.5f));
    EXPECT_FLOAT_EQ(g.scaleY, PopupAppearScale(0.5f));
    EXPECT_FLOAT_EQ(g.scaleOrigX, 500.0f);
    EXPECT_FLOAT_EQ(g.scaleOrigY, 350.0f);
}

TEST(PopupTransform, ClipWidensAboutItsCentreButNeverPastThePicture)
{
    struct Case {
        const char* what;
        Rect clip;
        float p;
        Rect widened;
    };
    const Case cases[] = {
        // s = 1.2: W = 241, H = 121; well inside the picture.
        {"grown, inside", Rect(400, 300, 200, 100), 0.8f, Rect(280, 240, 441, 221)},
        // s < 1: W and H stay w and h.
        {"shrunk, inside", Rect(400, 300, 200, 100), 0.4f, Rect(300, 250, 400, 200)},
        // The whole picture would become (-520, -384, 2253, 1690).
        {"whole picture", Rect(0, 0, 1024, 768), 0.8f, Rect(0, 0, 1024, 768)},
        // W = 149, H = 82, cut at the picture's right and bottom edges.
        {"at the right edge", Rect(900, 700, 124, 68), 0.8f, Rect(826, 659, 198, 109)},
        {"empty", Rect(10, 10, 0, 0), 0.8f, Rect(10, 10, 0, 0)}, // stays empty, not a pixel
    };
    for (const Case& c : cases) {
        MemoryImage screen(nullptr);
        screen.Resize(1024, 768);
        Graphics g(&screen);
        g.clipRect = c.clip;
        ApplyPopupTransform(g, c.p, c.clip.width, c.clip.height);
        EXPECT_EQ(g.clipRect, c.widened) << c.what;
    }
    // Without a picture to draw into nothing is left to draw.
    Graphics measuring(nullptr);
    measuring.clipRect = Rect(0, 0, 1024, 768);
    ApplyPopupTransform(measuring, 0.8f, 1024, 768);
    EXPECT_EQ(measuring.clipRect.width * measuring.clipRect.height, 0);
}

TEST(PopupTransform, ScaledPictureOutgrowsThePopupUpToThePictureEdges)
{
    struct Case {
        const char* what;
        float p;
        Point inside, outside; // drawn / untouched
    };
    // A 60 x 40 white popup at (20, 20) on a 100 x 80 screen, centre (50, 40).
    // (Memory pictures stretch untinted; the tint is the display's.)
    const Case cases[] = {
        // 72 x 48 about the centre: 14..85 by 16..63, past the popup's clip.
        {"swollen", 0.8f, {15, 17}, {12, 40}},
        {"open", 1.0f, {20, 20}, {19, 40}},
        // s = 0.46: 27 x 18 about the centre, 36..63 by 31..49.
        {"small", 0.2f, {37, 32}, {34, 40}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<MemoryImage> screen(NewScreen(100, 80));
        std::unique_ptr<MemoryImage> popup = Solid(60, 40, 0xffffffff);
        Graphics g(screen.get());
        g.transX = 20.0f;
        g.transY = 20.0f;
        g.ReplaceClip(0, 0, 60, 40);
        ApplyPopupTransform(g, c.p, 60, 40);
        g.DrawImageAt(popup.get(), 0, 0);
        EXPECT_NE(screen->GetPixel(c.inside.x, c.inside.y), 0xff000000u) << c.what;
        EXPECT_EQ(screen->GetPixel(c.outside.x, c.outside.y), 0xff000000u) << c.what;
    }
    // A full-screen popup swells past every edge: the picture's border
    // pixels are drawn and nothing is written outside the picture.
    std::vector<uint32_t> guarded(100 * 80, 0xff000000u);
    auto screen = std::make_unique<MemoryImage>(nullptr);
    screen->AssignPixels(guarded.data(), 100, 80, true);
    std::unique_ptr<MemoryImage> popup = Solid(100, 80, 0xffffffff);
    Graphics g(screen.get());
    ApplyPopupTransform(g, 0.8f, 100, 80);
    EXPECT_EQ(g.clipRect, Rect(0, 0, 100, 80));
    g.DrawImageAt(popup.get(), 0, 0);
    for (Point p : {Point(0, 0), Point(99, 0), Point(0, 79), Point(99, 79)})
        EXPECT_NE(screen->GetPixel(p.x, p.y), 0xff000000u) << p.x << ", " << p.y;
}

// A destination that notes the colour of every picture drawn into it (the
// tint reaches the display, whatever the software stretch makes of it).
class TintRecorder : public Image {
public:
    TintRecorder()
    {
        width = 200;
        height = 200;
    }
    void PutImage(Image*, int, int, const Rect&, const Color& c, DrawMode) override { tints.push_back(c); }
    void PutImageSubpixel(Image*, float, float, const Rect&, const Rect&, const Color& c, DrawMode) override
    {
        tints.push_back(c);
    }
    void PutImageStretched(Image*, const Rect&, const Rect&, const Rect&, const Color& c, DrawMode, bool) override
    {
        tints.push_back(c);
    }
    void PutImageMatrix(Image*, float, float, const Matrix3x3&, const Rect&, const Color& c, DrawMode, const Rect&,
                        int) override
    {
        tints.push_back(c);
    }
    void PutImageStretchedMirrored(Image*, const Rect&, const Rect&, const Rect&, const Color& c, DrawMode,
                                   bool) override
    {
        tints.push_back(c);
    }
    std::vector<Color> tints;
};

TEST(PopupTransform, ButtonsTakeTheTintOfTheirPopup)
{
    PsdPicture layout;
    auto* layer = new PsdPictureLayer;
    layer->name = "ok_in";
    layer->x = 10;
    layer->y = 10;
    layer->image = Solid(20, 10, 0xffffffff).release();
    layout.layers.push_back(layer);
    std::unique_ptr<ScaleButton> button(CreateDialogScaleButton(layout, nullptr, "ok_in", "ok_ac", u""));
    Widget popup;
    popup.SetBounds(0, 0, 40, 30);
    for (float p : {0.1f, 0.5f, 0.8f, 1.0f}) {
        AnimatePopupButton(popup, button.get(), p);
        TintRecorder screen;
        Graphics g(&screen);
        button->Draw(g);
        ASSERT_EQ(screen.tints.size(), 1u) << p;
        EXPECT_EQ(screen.tints[0], PopupAppearColor(p)) << p;
    }
}

// ---- DarkBack ----

struct Closer {
    void Close() { ++closes; }
    int closes = 0;
};

TEST(DarkBack, CoversTheApplicationAndFadesInFromTheFirstUpdate)
{
    TestWidgetApp app(1024, 768);
    DarkBack back(Delegate(), 7);
    EXPECT_EQ(back.GetBounds(), Rect(0, 0, 1024, 768));
    EXPECT_EQ(back.tag, 7);
    EXPECT_EQ(back.fade, 0.0f);
    EXPECT_EQ(back.fadeTarget, 1.0f);
    back.Update();
    EXPECT_FLOAT_EQ(back.fade, 0.03f);
    for (int i = 1; i < 34; ++i)
        back.Update();
    EXPECT_EQ(back.fade, 1.0f);
}

TEST(DarkBack, DarkensTheBoardAtMostByHalf)
{
    struct Case {
        float fade;
        uint32_t pixel; // white board under a black backdrop picture
    };
    const Case cases[] = {{0.0f, 0xffffffff}, {0.5f, 0xffc0c0c0}, {1.0f, 0xff808080}};
    std::unique_ptr<MemoryImage> black = Solid(40, 30, 0xff000000);
    ScopedDarkBackImage bound(black.get());
    for (const Case& c : cases) {
        std::unique_ptr<MemoryImage> screen = Solid(40, 30, 0xffffffff);
        DarkBack back(Delegate(), 0);
        back.fade = c.fade;
        Graphics g(screen.get());
        back.Draw(g);
        EXPECT_PRED2(Near, screen->GetPixel(20, 15), c.pixel) << "fade " << c.fade;
    }
}

TEST(DarkBack, OnlyTheFirstClickAfterTheFadeClosesThePopup)
{
    TestWidgetApp app(1024, 768);
    Closer closer;
    DarkBack back(Delegate(&closer, &Closer::Close), 0);
    for (int i = 0; i < 33; ++i) {
        back.Update();
        back.OnMouseDownButton(5, 5, 0, 1);
    }
    EXPECT_EQ(closer.closes, 0) << "clicks while fading in";
    back.Update();
    back.OnMouseDownButton(5, 5, 1, 2); // any button, any count
    EXPECT_EQ(closer.closes, 1);
    back.OnMouseDownButton(5, 5, 0, 1);
    EXPECT_EQ(closer.closes, 1);
}

TEST(DarkBack, FadedOutItRemovesItselfOnlyWhenAsked)
{
    for (bool remove : {false, true}) {
        TestWidgetApp app(1024, 768);
        auto* back = new DarkBack(Delegate(), 0);
        app.manager->AttachChild(back);
        back->fade = 1.0f;
        back->fadeTarget = 0.0f;
        back->removeWhenFaded = remove;
        for (int i = 0; i < 33; ++i)
            back->Update();
        EXPECT_EQ(back->parent, app.manager.get());
        back->Update();
        EXPECT_EQ(back->fade, 0.0f);
        EXPECT_EQ(back->parent != nullptr, !remove) << remove;
        EXPECT_EQ(app.deferredDeletes.Contains(back), remove) << remove;
        if (!remove) {
            app.manager->DetachChild(back);
            delete back;
        }
    }
}

// ---- a popup over its backdrop ----

// A popup with one button away from its centre and one on it.
class TestPopup : public Widget {
public:
    explicit TestPopup(int* deletions) : deleted(deletions)
    {
        SetBounds(312, 234, 400, 300);
        for (ScaleButton*& b : {std::ref(away), std::ref(centred)}) {
            b = new ScaleButton(0, nullptr);
            AttachChild(b);
        }
        away->SetBounds(40, 30, 80, 40);
        away->homeX = 80;
        away->homeY = 50;
        centred->SetBounds(160, 130, 80, 40);
        centred->homeX = 200;
        centred->homeY = 150;
        Animate();
    }
    ~TestPopup() override
    {
        DetachAllChildren(true, false);
        ++*deleted;
    }
    void Update() override
    {
        Widget::Update();
        appear.Update(*this);
        Animate();
    }
    void Close() { appear.Close(); }
    void Animate()
    {
        AnimatePopupButton(*this, away, appear.progress);
        AnimatePopupButton(*this, centred, appear.progress);
    }

    PopupAppear appear;
    ScaleButton* away = nullptr;
    ScaleButton* centred = nullptr;
    int* deleted;
};

class PopupOverBackdrop : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        app.inMainLoop = true;
        back = new DarkBack(Delegate(), 0);
        popup = new TestPopup(&deletions);
        popup->appear.darkBack = back;
        back->closeDelegate = Delegate(popup, &TestPopup::Close);
        app.widgetManager->AttachChild(back);
        app.widgetManager->AttachChild(popup);
    }
    void TearDown() override
    {
        if (deletions == 0) {
            app.widgetManager->DetachChild(popup);
            app.widgetManager->DetachChild(back);
            delete popup;
            delete back;
        }
    }
    // Runs application steps until n more updates have run.
    void RunUpdates(int n)
    {
        const int end = app.updateCount + n;
        for (int steps = 0; app.updateCount < end && steps < 1000000; ++steps)
            app.AppStep(nullptr);
        ASSERT_EQ(app.updateCount, end);
    }
    struct Point2 {
        float x, y;
    };
    // The button's centre, with its sub-pixel part, in popup coordinates.
    static Point2 Centre(const ScaleButton& b)
    {
        return {float(b.x) + b.remainderX + float(b.width / 2), float(b.y) + b.remainderY + float(b.height / 2)};
    }

    HeadlessAppEnvironment env;
    TestApp app;
    DarkBack* back = nullptr;
    TestPopup* popup = nullptr;
    int deletions = 0;
};

TEST_F(PopupOverBackdrop, OpensInThirtyFourUpdatesWithItsBackdrop)
{
    EXPECT_EQ(popup->away->scale, 0.0f);
    RunUpdates(33);
    EXPECT_LT(popup->appear.progress, 1.0f);
    EXPECT_LT(back->fade, 1.0f);
    RunUpdates(1);
    EXPECT_EQ(popup->appear.progress, 1.0f);
    EXPECT_EQ(back->fade, 1.0f);
    EXPECT_EQ(popup->away->scale, 1.0f);
    EXPECT_EQ(popup->away->GetBounds(), Rect(40, 30, 80, 40)) << "at its home";
    EXPECT_EQ(popup->away->color, Color::White);
}

TEST_F(PopupOverBackdrop, ABackdropClickClosesBothAndTheyDeleteThemselvesAfterThirtyFourUpdates)
{
    RunUpdates(34);
    app.widgetManager->HandleMouseMove(5, 5);
    app.widgetManager->HandleMouseDown(5, 5, CLICK_LEFT);
    app.widgetManager->HandleMouseUp(5, 5, CLICK_LEFT);
    EXPECT_EQ(popup->appear.target, 0.0f);
    EXPECT_EQ(back->fadeTarget, 0.0f);
    EXPECT_TRUE(back->removeWhenFaded);

    float farthest = 0.0f; // of the away button from the popup centre
    float last = 0.0f;
    for (int i = 0; i < 33; ++i) {
        RunUpdates(1);
        ASSERT_EQ(deletions, 0) << "update " << i + 1;
        const auto c = Centre(*popup->away);
        last = std::hypot(c.x - 200.0f, c.y - 150.0f);
        farthest = std::max(farthest, last);
        // The centred button keeps its place at every scale.
        EXPECT_EQ(popup->centred->GetBounds(), Rect(160, 130, 80, 40));
        EXPECT_FLOAT_EQ(popup->centred->scale, popup->away->scale);
    }
    const float home = std::hypot(80.0f - 200.0f, 50.0f - 150.0f);
    EXPECT_GT(farthest, home * 1.15f) << "it swells first";
    EXPECT_LT(last, home * 0.1f) << "then shrinks into the centre";
    EXPECT_EQ(popup->parent, app.widgetManager.get());
    RunUpdates(1);
    // Detached in that update and deleted once the step unwound.
    EXPECT_EQ(deletions, 1);
    EXPECT_FALSE(app.widgetManager->ContainsChild(back));
    EXPECT_TRUE(app.widgetManager->children.empty());
}

TEST_F(PopupOverBackdrop, WithoutABackdropThePopupClosesAlone)
{
    popup->appear.darkBack = nullptr;
    RunUpdates(34);
    popup->Close();
    RunUpdates(34);
    EXPECT_EQ(deletions, 1);
    ASSERT_TRUE(app.widgetManager->ContainsChild(back));
    EXPECT_EQ(back->fade, 1.0f);
    back->closeDelegate = Delegate(); // its popup is gone
    app.widgetManager->DetachChild(back);
    delete back;
}

} // namespace
} // namespace Quib::PopupTests
