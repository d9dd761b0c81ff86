// The board base: frame time, the pause rules and overlay, the fader.
#include "framework/files/Process.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/headless/FakeClock.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/GameShellHost.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/FaderBoard.h"
#include "src/screens/GameBase.h"
#include "src/screens/PauseWidget.h"
#include "tests/screens/ScreensTestSupport.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

class SecondsBoard : public BaseBoard {
public:
    SecondsBoard() : BaseBoard(false) {}
    void UpdateBoard(float seconds) override { this->seconds.push_back(seconds); }
    std::vector<float> seconds;
};

TEST(BaseBoard, FrameTimeAveragesTheLastTwentySamplesAndCapsOneAtThirtySeconds)
{
    struct Case {
        std::vector<uint32_t> frameMs;
        float average; // after the last frame
    };
    const Case cases[] = {
        {{230}, (19 * 0.03f + 0.23f) / 20},     // the first frame joins 19 samples of the reset
        {{45000}, (19 * 0.03f + 30.0f) / 20},   // 45 s counts as 30 s
        {std::vector<uint32_t>(25, 10), 0.01f}, // the reset's samples have left the window
        {{0}, (19 * 0.03f) / 20},
    };
    for (const Case& c : cases) {
        ScopedFakeClock clock(1000);
        SecondsBoard board;
        board.Start();
        for (uint32_t ms : c.frameMs) {
            clock.Advance(ms);
            board.Update();
        }
        ASSERT_EQ(board.seconds.size(), c.frameMs.size());
        EXPECT_NEAR(board.seconds.back(), c.average, 1e-5f) << c.frameMs.size() << " frames from " << c.frameMs[0];
    }
}

// Counts mouse presses.
class ClickWidget : public Widget {
public:
    void OnMouseDownButton(int, int, int, int) override { ++clicks; }
    int clicks = 0;
};

class TestGame : public GameBase {
public:
    TestGame() : GameBase(false, "Game") {}
    void CreateInterface() override
    {
        scene = new ClickWidget();
        scene->SetBounds(0, 0, 1024, 768);
        AttachChild(scene);
        button = new ClickWidget();
        button->SetBounds(0, 0, 100, 50);
        AddInterfaceWidget(button);
    }
    void DoExit() override { ++exits; }
    void OnPause() override { calls.push_back("pause"); }
    void OnResume() override { calls.push_back("resume"); }

    ClickWidget* scene = nullptr;
    ClickWidget* button = nullptr;
    int exits = 0;
    std::vector<std::string> calls;
};

// Counts the updates of the process list.
class CountingProcess : public Process {
public:
    CountingProcess() { AddToList(this); }
    bool Update(float, float) override
    {
        ++steps;
        return true;
    }
    int steps = 0;
};

struct GameFixture {
    ScopedFakeClock clock{5000};
    TestWidgetApp app{1024, 768};
    WidgetManager& wm = *app.manager;
    TestGame* board = new TestGame();

    GameFixture()
    {
        board->SetBounds(0, 0, 1024, 768);
        board->Init();
        board->LoadImages();
        board->Start();
        wm.AttachChild(board);
    }
    ~GameFixture()
    {
        wm.DetachChild(board);
        delete board;
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i) {
            clock.Advance(16);
            wm.UpdateFrame();
        }
    }
    void Click(int px, int py)
    {
        wm.HandleMouseMove(px, py);
        wm.HandleMouseDown(px, py, CLICK_LEFT);
        wm.HandleMouseUp(px, py, CLICK_LEFT);
    }
    // The z-orders of the board's children, bottom first.
    std::vector<int> ZOrders() const
    {
        std::vector<int> out;
        for (const Widget* child : board->children)
            out.push_back(child->zOrder);
        return out;
    }
};

TEST(GameBase, StartsUnpausedWithTheInterfaceAboveTheHiddenOverlay)
{
    GameFixture t;
    PauseWidget* overlay = t.board->pauseWidget;
    EXPECT_FALSE(t.board->paused);
    EXPECT_TRUE(t.board->stepsProcesses);
    EXPECT_FALSE(overlay->wanted);
    EXPECT_EQ(t.board->calls, (std::vector<std::string>{"pause", "resume"}));
    EXPECT_EQ(t.ZOrders(), (std::vector<int>{0, 5, 10}));
    EXPECT_EQ(t.board->button->zOrder, GameBase::kInterfaceZOrder);
    EXPECT_FALSE(t.board->needsLoading);
}

TEST(GameBase, FocusLossKeepsTheBoardPausedUntilTheFocusReturns)
{
    GameFixture t;
    CountingProcess process;
    t.board->OnAppDeactivated();
    t.board->SetPaused(false);
    EXPECT_TRUE(t.board->paused);
    EXPECT_FALSE(t.board->stepsProcesses);
    EXPECT_EQ(t.board->pauseWidget->zOrder, GameBase::kPauseFocusLostZOrder);
    EXPECT_EQ(t.board->children.back(), t.board->pauseWidget); // over the interface
    t.Frames(3);
    EXPECT_EQ(process.steps, 0);

    t.board->OnAppActivated();
    EXPECT_FALSE(t.board->paused);
    t.Frames(3);
    EXPECT_EQ(process.steps, 3);
}

TEST(GameBase, AfterFocusReturnsTheFadingOverlayEatsOneClick)
{
    GameFixture t;
    PauseWidget* overlay = t.board->pauseWidget;
    t.board->OnAppDeactivated();
    t.Frames(20);
    EXPECT_FLOAT_EQ(overlay->fade, 1.0f);
    t.board->OnAppActivated();

    int visibleFrames = 0;
    for (; visibleFrames < 30; ++visibleFrames) {
        t.Frames(1);
        if (!overlay->visible)
            break;
    }
    EXPECT_EQ(visibleFrames, 12); // fades out over 12 more frames

    // Again, with clicks while it fades: the first lands on the overlay.
    t.board->OnAppDeactivated();
    t.Frames(20);
    t.board->OnAppActivated();
    t.Frames(2);
    ASSERT_TRUE(overlay->visible);
    t.Click(20, 20); // over the interface button
    EXPECT_EQ(t.board->button->clicks, 0);
    EXPECT_EQ(t.board->scene->clicks, 0);
    EXPECT_FALSE(overlay->dismissOnClick);
    t.Click(20, 20);
    EXPECT_EQ(t.board->button->clicks, 1);
}

TEST(GameBase, AGamePauseBlocksTheSceneButNotTheInterface)
{
    GameFixture t;
    CountingProcess process;
    t.board->SetPaused(true);
    EXPECT_EQ(t.board->pauseWidget->zOrder, GameBase::kPauseZOrder);
    EXPECT_EQ(t.ZOrders(), (std::vector<int>{0, 5, 10}));
    t.Frames(15);
    EXPECT_EQ(process.steps, 0);
    t.Click(500, 500);
    EXPECT_EQ(t.board->scene->clicks, 0);
    t.Click(20, 20);
    EXPECT_EQ(t.board->button->clicks, 1);

    t.board->SetPaused(false);
    t.Frames(15);
    EXPECT_FALSE(t.board->pauseWidget->visible);
    t.Click(500, 500);
    EXPECT_EQ(t.board->scene->clicks, 1);
}

TEST(GameBase, PauseButtonsAndOtherIds)
{
    GameFixture t;
    struct Case {
        int id;
        bool paused;
    };
    for (const Case& c : {Case{78, true}, Case{5, true}, Case{77, false}, Case{79, false}, Case{78, true}}) {
        t.board->ButtonDepress(c.id);
        EXPECT_EQ(t.board->paused, c.paused) << c.id;
        EXPECT_EQ(t.board->pauseWidget->wanted, c.paused) << c.id;
    }
}

// Records what the profile is asked to store.
class RecordingHost : public GameShellHost {
public:
    RecordingHost() : old(SetGameShellHost(this)) {}
    ~RecordingHost() override { SetGameShellHost(old); }
    void SetProfileValue(const std::string& section, const std::string& key, const std::string&) override
    {
        stored.push_back(section + ":" + key);
    }
    GameShellHost* old;
    std::vector<std::string> stored;
};

class NamedLevel : public LevelBase {
public:
    NamedLevel() : LevelBase("cellar") {}
    void SaveState() override {}
    void LoadState() override {}
};

TEST(GameBase, BeginLeaveOnceRecordsTheLevelAndShowsNoOverlay)
{
    GameFixture t;
    RecordingHost host;
    NamedLevel level;
    GameControllerCommon::Instance().SetActiveLevel(&level, ControllerCallback());
    t.board->BeginLeave();
    t.board->BeginLeave();
    GameControllerCommon::Instance().SetActiveLevel(nullptr, ControllerCallback());

    EXPECT_EQ(std::count(host.stored.begin(), host.stored.end(), "Levels:cellar"), 1);
    EXPECT_TRUE(t.board->leaving);
    EXPECT_TRUE(t.board->paused);
    EXPECT_FALSE(t.board->stepsProcesses);
    EXPECT_FALSE(t.board->pauseWidget->wanted);
    t.board->SetPaused(true);
    EXPECT_FALSE(t.board->pauseWidget->wanted);
    EXPECT_EQ(t.board->exits, 0);
}

TEST(GameBase, BeginLeaveWithoutAnActiveLevelRecordsNothing)
{
    GameFixture t;
    RecordingHost host;
    t.board->BeginLeave();
    EXPECT_TRUE(host.stored.empty());
}

TEST(GameBase, BeginExitRunsDoExitOnce)
{
    GameFixture t;
    t.board->BeginExit();
    t.board->BeginExit();
    t.board->BeginLeave();
    EXPECT_EQ(t.board->exits, 1);
    EXPECT_FALSE(t.board->pausingAllowed);
}

TEST(GameBase, TheFaderIsATopLevelWidgetWhileTheBoardIsOnScreen)
{
    GameFixture t;
    FaderBoard* fader = t.board->fader;
    EXPECT_EQ(fader->parent, &t.wm);
    EXPECT_FALSE(fader->mouseVisible);
    t.wm.DetachChild(t.board);
    EXPECT_EQ(fader->parent, t.board);
    EXPECT_EQ(fader->manager, nullptr);
    EXPECT_FALSE(t.wm.ContainsChild(fader));
    t.wm.AttachChild(t.board);
    EXPECT_EQ(fader->parent, &t.wm);
}

TEST(GameBase, ARunningFadeIsDrawnOnceAFrame)
{
    GameFixture t;
    t.board->ButtonDepress(GameBase::kButtonMenu);
    t.Frames(20); // halfway to black
    const int alpha = t.board->fader->alpha;
    ASSERT_GT(alpha, 100);
    ASSERT_LT(alpha, 255);
    // The board draws nothing of its own: white shows through the fade.
    auto* screen = new MemoryImage(nullptr);
    std::unique_ptr<MemoryImage> owner(screen);
    screen->Resize(1024, 768);
    Graphics g(screen);
    g.color = Color(255, 255, 255, 255);
    g.FillRectangle(0, 0, 1024, 768);
    TreeWalkFlags flags;
    flags.upperFlags = flags.lowerFlags = WIDGETFLAGS_DEFAULT;
    flags.aboveBase = true;
    t.wm.DrawTree(flags, g);
    const int once = 255 - alpha;
    const int twice = once * (255 - alpha) / 255;
    const int red = int((screen->GetPixel(512, 384) >> 16) & 0xFF);
    EXPECT_NEAR(red, once, 2) << "drawn twice would give " << twice;
}

TEST(GameBase, ABoardDeletedOnScreenTakesItsFaderAlong)
{
    TestWidgetApp app(1024, 768);
    auto* board = new TestGame();
    board->SetBounds(0, 0, 1024, 768);
    board->Init();
    board->Start();
    app.manager->AttachChild(board);
    ASSERT_TRUE(app.manager->ContainsChild(board->fader));
    delete board;
    EXPECT_TRUE(app.manager->children.empty());
}

TEST(GameBase, MenuButtonFadesThroughBlackAndResumes)
{
    GameFixture t;
    t.board->ButtonDepress(GameBase::kButtonMenu);
    FaderBoard* fader = t.board->fader;
    EXPECT_EQ(fader->zOrder, FaderBoard::kZOrder);
    EXPECT_EQ(t.wm.children.back(), fader);
    EXPECT_TRUE(t.board->paused);
    EXPECT_FALSE(t.board->pauseWidget->wanted);
    t.Frames(40);
    EXPECT_EQ(t.board->exits, 0);
    t.Frames(1);
    EXPECT_EQ(t.board->exits, 1);
    t.Frames(40);
    EXPECT_TRUE(t.board->paused);
    t.Frames(1);
    EXPECT_FALSE(t.board->paused);
    EXPECT_TRUE(t.board->pausingAllowed);
    EXPECT_FALSE(t.board->leaving);
}

TEST(GameBase, DefaultLoadingLoadsTheFlaggedLayersOfTheInterfaceLayout)
{
    PsdPicture layout;
    for (bool pending : {true, false, true}) {
        auto* layer = new PsdPictureLayer();
        layer->name = "missing.png";
        layer->loadPending = pending;
        layout.layers.push_back(layer);
    }
    TestGame board;
    board.interfaceLayout = &layout;
    board.SetBounds(0, 0, 64, 48);
    board.Init();
    EXPECT_EQ(board.GetImagesToLoad(), 2);
    EXPECT_TRUE(board.needsLoading);
    board.LoadImages();
    EXPECT_EQ(board.GetImagesToLoad(), 0);
    EXPECT_FALSE(layout.LoadNextFlaggedImage());
}

// Records the update on which each delegate was called.
struct FadeCalls {
    int frame = 0;
    int atBlack = -1;
    int atEnd = -1;
    void Black() { atBlack = frame; }
    void End() { atEnd = frame; }
};

TEST(FaderBoard, CallsAtBlackOnThe41stUpdateAndAtEnd41Later)
{
    FadeCalls calls;
    FaderBoard fader;
    fader.StartFadeOut(Delegate(&calls, &FadeCalls::Black), Delegate(&calls, &FadeCalls::End));
    EXPECT_EQ(fader.zOrder, FaderBoard::kZOrder);
    int alphaAt20 = -1, alphaAt61 = -1;
    for (calls.frame = 1; calls.frame <= 100; ++calls.frame) {
        fader.Update();
        if (calls.frame == 20)
            alphaAt20 = fader.alpha;
        if (calls.frame == 61)
            alphaAt61 = fader.alpha;
    }
    EXPECT_EQ(calls.atBlack, 41);
    EXPECT_EQ(calls.atEnd, 82);
    EXPECT_EQ(alphaAt20, 180); // sin(pi / 4)
    EXPECT_EQ(alphaAt61, 180); // cos(pi / 4)
    EXPECT_EQ(fader.state, FaderBoard::IDLE);
    EXPECT_EQ(fader.alpha, 0);

    // A restart begins at black's start again; empty delegates are skipped.
    fader.StartFadeOut(Delegate(), Delegate());
    for (int i = 0; i < 82; ++i)
        fader.Update();
    EXPECT_EQ(fader.state, FaderBoard::IDLE);
}

uint32_t DrawOnWhite(Widget& widget, int px, int py)
{
    MemoryImage screen(nullptr);
    screen.Resize(widget.width, widget.height);
    Graphics g(&screen);
    g.color = Color(255, 255, 255, 255);
    g.FillRectangle(0, 0, widget.width, widget.height);
    widget.Draw(g);
    return screen.GetPixel(px, py);
}

TEST(FaderBoard, DrawsBlackAtItsAlphaAndNothingWhenIdle)
{
    FaderBoard fader;
    fader.SetBounds(0, 0, 16, 16);
    EXPECT_EQ(DrawOnWhite(fader, 8, 8), 0xFFFFFFFFu);
    fader.alpha = 255;
    EXPECT_EQ(DrawOnWhite(fader, 15, 15), 0xFF000000u);
    fader.alpha = 128;
    EXPECT_TRUE(Near(DrawOnWhite(fader, 0, 0), 0xFF7F7F7Fu)) << std::hex << DrawOnWhite(fader, 0, 0);
}

TEST(PauseWidget, DarkensToSixtyPercentAtFullFade)
{
    PauseWidget overlay;
    overlay.SetBounds(0, 0, 32, 16);
    overlay.fade = 1.0f;
    EXPECT_TRUE(Near(DrawOnWhite(overlay, 0, 0), 0xFF666666u)) << std::hex << DrawOnWhite(overlay, 0, 0);
    overlay.fade = 0.0f;
    EXPECT_EQ(DrawOnWhite(overlay, 0, 0), 0xFFFFFFFFu);
}

TEST(PauseWidget, ShowingForAFocusLossKeepsItCatchingClicksAfterwards)
{
    struct Case {
        bool focusLost;
        bool mouseAfterHiding;
    };
    for (const Case& c : {Case{false, false}, Case{true, true}}) {
        PauseWidget overlay;
        overlay.SetShown(true, c.focusLost);
        EXPECT_TRUE(overlay.mouseVisible);
        overlay.SetShown(false, false);
        EXPECT_EQ(overlay.mouseVisible, c.mouseAfterHiding);
        overlay.OnMouseDownButton(0, 0, 0, 1);
        EXPECT_FALSE(overlay.mouseVisible);
        EXPECT_FALSE(overlay.dismissOnClick);
    }
}

} // namespace
} // namespace Quib
