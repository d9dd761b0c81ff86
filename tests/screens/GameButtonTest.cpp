#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/WidgetManager.h"
#include "src/game/GameShellHost.h"
#include "src/game/Sounds.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/ScaleButton.h"
#include "src/screens/ScaleSlider.h"
#include "src/screens/TGameButton.h"
#include "tests/game/ShellTestSupport.h"
#include "tests/screens/ScreensTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Quib::GameButtonTests {
namespace {

using namespace Testing;

constexpr uint32_t kOpaque = 0xff808080;
constexpr uint32_t kClear = 0x00000000;

// A picture filled with one colour; the pixels of `holes` are transparent.
Image* Picture(int width, int height, uint32_t argb, const std::vector<Point>& holes = {})
{
    std::vector<uint32_t> words(size_t(width * height), argb);
    for (const Point& p : holes)
        words[size_t(p.y * width + p.x)] = kClear;
    auto* image = new MemoryImage(nullptr);
    image->AssignPixels(words.data(), width, height, true);
    return image;
}

// Adds a layer to the layout, which owns its picture.
PsdPictureLayer* AddLayer(PsdPicture& layout, const std::string& name, int x, int y, Image* image)
{
    auto* layer = new PsdPictureLayer;
    layer->name = name;
    layer->x = x;
    layer->y = y;
    layer->image = image;
    layout.layers.push_back(layer);
    return layer;
}

class CallLog : public ButtonListener {
public:
    void ButtonPress(int id) override { calls.push_back("press " + std::to_string(id)); }
    void ButtonDepress(int id) override { calls.push_back("depress " + std::to_string(id)); }
    std::vector<std::string> calls;
};

// Hands the recording sound manager to the sound table.
class SoundHost : public GameShellHost {
public:
    explicit SoundHost(SoundManager* manager) : mManager(manager), mOld(SetGameShellHost(this)) {}
    ~SoundHost() override { SetGameShellHost(mOld); }
    SoundHost(const SoundHost&) = delete;
    SoundHost& operator=(const SoundHost&) = delete;
    SoundManager* GetSoundManager() override { return mManager; }

private:
    SoundManager* mManager;
    GameShellHost* mOld;
};

TEST(GameButton, BoundsCoverBothPicturesEachAtItsOwnOffset)
{
    struct Case {
        const char* what;
        bool normal, over;
        Rect bounds;
        Point normalOffset, overOffset;
    };
    // Normal 40 x 20 at (100, 50); over 50 x 30 at (95, 60).
    const Case cases[] = {
        {"both", true, true, Rect(95, 50, 50, 40), Point(5, 0), Point(0, 10)},
        {"no over layer", true, false, Rect(100, 50, 40, 20), Point(0, 0), Point(0, 0)},
        {"no normal layer", false, true, Rect(1, 2, 3, 4), Point(0, 0), Point(0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PsdPicture layout;
        AddLayer(layout, "b_in", 100, 50, Picture(40, 20, kOpaque));
        AddLayer(layout, "b_ac", 95, 60, Picture(50, 30, kOpaque));
        CallLog listener;
        TGameButton button(3, &listener);
        button.SetBounds(1, 2, 3, 4);
        button.SetImagesFromLayers(c.normal ? layout.FindLayer("B_IN") : nullptr,
                                   c.over ? layout.FindLayer("b_ac") : nullptr);
        EXPECT_EQ(button.x, c.bounds.x);
        EXPECT_EQ(button.y, c.bounds.y);
        EXPECT_EQ(button.width, c.bounds.width);
        EXPECT_EQ(button.height, c.bounds.height);
        EXPECT_EQ(button.normalOffset, c.normalOffset);
        EXPECT_EQ(button.overOffset, c.overOffset);
        EXPECT_EQ(button.normalImage != nullptr, c.normal);
        // A layer the button took is no longer drawn by the layout.
        EXPECT_EQ(layout.FindLayer("b_in")->drawn, !c.normal);
        EXPECT_EQ(layout.FindLayer("b_ac")->drawn, !(c.normal && c.over));
        EXPECT_DOUBLE_EQ(button.overAlpha, 0.5);
    }
}

TEST(GameButton, CreateGameButtonTakesTheNamedLayersAndLabel)
{
    PsdPicture layout;
    AddLayer(layout, "buttons/go_in", 10, 10, Picture(20, 10, kOpaque));
    AddLayer(layout, "buttons/go_ac", 10, 10, Picture(20, 10, kOpaque));
    CallLog listener;
    std::unique_ptr<TGameButton> made(CreateGameButton(layout, 9, "buttons/Go_in", "buttons/go_ac", &listener, u"Go"));
    EXPECT_EQ(made->id, 9);
    EXPECT_EQ(made->label, u"Go");
    EXPECT_NE(made->normalImage, nullptr);
    EXPECT_NE(made->overImage, nullptr);
    EXPECT_EQ(made->GetColor(BUTTON_COLOR_LABEL), Color(0xa0ffffffu));
    EXPECT_EQ(made->GetColor(BUTTON_COLOR_LABEL_HILITE), Color(0xd0ffffffu));

    std::unique_ptr<TGameButton> missing(CreateGameButton(layout, 1, "buttons/none_in", "buttons/none_ac", &listener, u""));
    EXPECT_EQ(missing->normalImage, nullptr);
    EXPECT_EQ(missing->overImage, nullptr);
    EXPECT_TRUE(missing->AcceptsPoint(0, 0)); // no picture: every point
}

TEST(GameButton, OnlyOpaquePixelsOfTheShownPictureArePartOfTheButton)
{
    PsdPicture layout;
    // Normal 10 x 10 at (0, 0) with a hole at (2, 2); over 12 x 12 at
    // (-1, -1) with a hole at its (5, 5), which is the button's (5, 5).
    AddLayer(layout, "in", 0, 0, Picture(10, 10, kOpaque, {Point(2, 2)}));
    AddLayer(layout, "ac", -1, -1, Picture(12, 12, kOpaque, {Point(6, 6)}));
    CallLog listener;
    TGameButton button(0, &listener);
    button.SetImagesFromLayers(layout.FindLayer("in"), layout.FindLayer("ac"));
    ASSERT_EQ(button.normalOffset, Point(1, 1));
    struct Case {
        bool hovered;
        int x, y;
        bool accepted;
    };
    const Case cases[] = {
        {false, 3, 3, false}, // the normal picture's hole
        {false, 6, 6, true},  {false, 0, 0, false}, // outside the normal picture
        {true, 3, 3, true},   {true, 6, 6, false},  // the over picture's hole
        {true, 0, 0, true},
    };
    for (const Case& c : cases) {
        button.hovered = c.hovered;
        EXPECT_EQ(button.AcceptsPoint(c.x, c.y), c.accepted) << c.hovered << " " << c.x << "," << c.y;
    }
}

class GameButtonClickTest : public ::testing::Test {
protected:
    GameButtonClickTest() : cwd(dir.Path()), host(&sounds)
    {
        dir.WriteFile("res/sounds.ini", "[sounds]\r\nbuttonPress=press\r\nbuttonEnter=enter\r\n");
        Sounds::Instance().UnloadAll();
        Sounds::Instance().LoadIni();
        AddLayer(layout, "in", 10, 10, Picture(40, 20, kOpaque));
        button.SetImagesFromLayers(layout.FindLayer("in"), nullptr);
        app.manager->AttachChild(&button);
    }
    ~GameButtonClickTest() override
    {
        app.manager->DetachChild(&button);
        Sounds::Instance().UnloadAll();
    }

    int Played(const std::string& file) const
    {
        int n = 0;
        for (const auto& instance : sounds.instances)
            n += instance->plays > 0 && sounds.names.at(instance->id) == "data\\sound\\" + file;
        return n;
    }

    TempDir dir;
    ScopedWorkingDirectory cwd;
    RecordingSoundManager sounds;
    SoundHost host;
    TestWidgetApp app;
    PsdPicture layout;
    CallLog listener;
    TGameButton button{5, &listener};
};

TEST_F(GameButtonClickTest, LeftClickSoundsAndReachesTheListener)
{
    app.manager->HandleMouseMove(20, 15);
    EXPECT_EQ(Played("enter"), 1);
    app.manager->HandleMouseDown(20, 15, CLICK_LEFT);
    EXPECT_EQ(Played("press"), 1);
    app.manager->HandleMouseUp(20, 15, CLICK_LEFT);
    EXPECT_EQ(listener.calls, (std::vector<std::string>{"press 5", "depress 5"}));
}

TEST_F(GameButtonClickTest, RightAndMiddleClicksNeitherSoundNorReachTheListener)
{
    app.manager->HandleMouseMove(20, 15);
    for (ClickCode code : {CLICK_RIGHT, ClickCode(3)}) {
        app.manager->HandleMouseDown(20, 15, code);
        EXPECT_FALSE(button.pressed);
        app.manager->HandleMouseUp(20, 15, code);
    }
    EXPECT_EQ(Played("press"), 0);
    EXPECT_TRUE(listener.calls.empty());
}

TEST_F(GameButtonClickTest, NoSoundWhenTheHoverSoundIsOff)
{
    button.hoverSound = false;
    app.manager->HandleMouseMove(20, 15);
    app.manager->HandleMouseDown(20, 15, CLICK_LEFT);
    EXPECT_TRUE(sounds.instances.empty());
    EXPECT_EQ(listener.calls, (std::vector<std::string>{"press 5"}));
}

TEST(GameButton, AnyTintButOpaqueBlackAddsASecondAdditivePass)
{
    PsdPicture layout;
    AddLayer(layout, "in", 0, 0, Picture(4, 4, 0xff404040));
    CallLog listener;
    TGameButton button(0, &listener);
    button.SetImagesFromLayers(layout.FindLayer("in"), nullptr);
    button.overAlpha = 0.0;
    const Color tints[] = {TGameButton::kNoTint, Color(0x80, 0x00, 0x00, 255)};
    for (const Color& tint : tints) {
        button.tint = tint;
        MemoryImage target(nullptr);
        target.Resize(4, 4);
        Graphics g(&target);
        g.ReplaceClip(0, 0, 4, 4);
        button.Draw(g);
        const uint32_t pixel = target.GetPixel(1, 1);
        const uint32_t red = (pixel >> 16) & 0xff;
        if (tint == TGameButton::kNoTint) {
            EXPECT_NEAR(int(red), 0x40, 1);
        } else {
            // The picture again, times the tint, added: only red grows.
            EXPECT_NEAR(int(red), 0x40 + 0x20, 2);
        }
        EXPECT_NEAR(int(pixel & 0xff), 0x40, 1);
        EXPECT_NEAR(int((pixel >> 8) & 0xff), 0x40, 1);
        EXPECT_EQ(g.drawMode, DRAWMODE_NORMAL);
        EXPECT_FALSE(g.colorizeImages);
    }
}

TEST(ScaleButton, ScaleMovesTheCentreFromTheStartPointToItsHome)
{
    PsdPicture layout;
    AddLayer(layout, "in", 100, 40, Picture(30, 20, kOpaque));
    CallLog listener;
    ScaleButton button(0, &listener);
    button.SetImagesFromLayers(layout.FindLayer("in"), nullptr);
    ASSERT_EQ(button.homeX, 115);
    ASSERT_EQ(button.homeY, 50);
    struct Case {
        float scale;
        int fromX, fromY;
        int x, y;
        float remainderX;
    };
    const Case cases[] = {
        {0.0f, 7, 9, -8, -1, 0.0f},       // centred on the start point
        {1.0f, 7, 9, 100, 40, 0.0f},      // exactly home
        {0.5f, 0, 0, 42, 15, 0.5f},       // 57.5 - 15
        {0.5f, -200, 0, -58, 15, 0.5f},   // -57.5: the remainder stays positive
    };
    for (const Case& c : cases) {
        button.SetScale(c.scale, true, c.fromX, c.fromY);
        EXPECT_EQ(button.x, c.x) << c.scale << " " << c.fromX;
        EXPECT_EQ(button.y, c.y) << c.scale << " " << c.fromX;
        EXPECT_FLOAT_EQ(button.remainderX, c.remainderX) << c.scale << " " << c.fromX;
        EXPECT_FLOAT_EQ(button.remainderY, 0.0f);
    }
    button.SetScale(0.25f, false, 500, 500);
    EXPECT_FLOAT_EQ(button.scale, 0.25f);
    EXPECT_EQ(button.x, -58); // without move only the scale changes
}

TEST(ScaleButton, AScaleOfZeroAcceptsNoPoint)
{
    PsdPicture layout;
    AddLayer(layout, "in", 0, 0, Picture(20, 20, kOpaque));
    CallLog listener;
    ScaleButton button(0, &listener);
    button.SetImagesFromLayers(layout.FindLayer("in"), nullptr);
    EXPECT_TRUE(button.AcceptsPoint(2, 2));
    button.SetScale(0.5f, false, 0, 0);
    // Half size about the centre (10, 10): (2, 2) is outside the picture.
    EXPECT_FALSE(button.AcceptsPoint(2, 2));
    EXPECT_TRUE(button.AcceptsPoint(6, 6));
    button.SetScale(0.0f, false, 0, 0);
    for (int p : {0, 10, 19})
        EXPECT_FALSE(button.AcceptsPoint(p, p));
}

TEST(ScaleButton, DialogButtonsAreIdZeroWithDarkBrownLabels)
{
    PsdPicture layout;
    AddLayer(layout, "close_in", 0, 0, Picture(20, 20, kOpaque));
    CallLog listener;
    std::unique_ptr<ScaleButton> button(CreateDialogScaleButton(layout, &listener, "close_in", "close_ac", u"Close"));
    EXPECT_EQ(button->id, 0);
    EXPECT_EQ(button->label, u"Close");
    EXPECT_EQ(button->listener, &listener);
    EXPECT_EQ(button->GetColor(BUTTON_COLOR_LABEL), Color(0xff2b0e00u));
    EXPECT_EQ(button->GetColor(BUTTON_COLOR_LABEL_HILITE), Color(0xff2b0e00u));
    EXPECT_EQ(button->homeX, 10);
}

TEST(ScaleSlider, MovesLikeAButtonAndDrawsScaledAndTinted)
{
    // A white track of three 10 x 10 cells, no thumb.
    std::unique_ptr<Image> track(Picture(30, 10, 0xffffffff));
    ScaleSlider slider(track.get(), nullptr, 3, nullptr);
    slider.SetBoundsRect(Rect(100, 40, 60, 10));
    EXPECT_EQ(slider.homeX, 130);
    EXPECT_EQ(slider.homeY, 45);
    slider.SetScale(0.0f, 20, 30);
    EXPECT_EQ(slider.GetBounds(), Rect(-10, 25, 60, 10)) << "centred on the start point";
    slider.SetScale(0.5f, 0, 0);
    EXPECT_EQ(slider.x, 35);
    EXPECT_FLOAT_EQ(slider.remainderY, 0.5f); // 22.5 - 5
    slider.SetScale(1.0f, 0, 0);
    EXPECT_EQ(slider.GetBounds(), Rect(100, 40, 60, 10));
    EXPECT_FLOAT_EQ(slider.remainderX, 0.0f);

    slider.SetBounds(0, 0, 60, 10);
    slider.color = Color(128, 128, 128, 255);
    struct Case {
        float scale;
        int x; // a column to look at on row 5
        bool drawn;
    };
    // Half as long about the centre at 0.5: 15..44.
    const Case cases[] = {{1.0f, 2, true}, {1.0f, 57, true}, {0.5f, 20, true}, {0.5f, 10, false}, {0.0f, 30, false}};
    for (const Case& c : cases) {
        std::unique_ptr<MemoryImage> screen(new MemoryImage(nullptr));
        screen->Resize(60, 10);
        Graphics g(screen.get());
        g.color = Color(0, 0, 0, 255);
        g.FillRectangle(0, 0, 60, 10);
        slider.scale = c.scale;
        slider.Draw(g);
        const uint32_t pixel = screen->GetPixel(c.x, 5);
        EXPECT_EQ(pixel != 0xff000000u, c.drawn) << c.scale << " at " << c.x;
        // Unscaled, the track is tinted by the colour.
        if (c.drawn && c.scale == 1.0f) {
            EXPECT_PRED2(Near, pixel, 0xff808080u) << std::hex << pixel;
        }
        EXPECT_FALSE(g.colorizeImages);
    }
}

} // namespace
} // namespace Quib::GameButtonTests
