#include "framework/app/QuibAppBase.h"
#include "framework/files/PathUtils.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/FlashListener.h"
#include "framework/widgets/FlashWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "framework/widgets/movie/TextMoviePlayer.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

using Log = std::vector<std::string>;

// Writes every call into a log; a test plays the movie's part.
class FakePlayer : public MoviePlayer {
public:
    explicit FakePlayer(Log* callLog) : log(callLog) {}

    void SetSite(MovieSite* s) override { site = s; }
    void SetEventSink(MovieEventSink* s) override { sink = s; }
    bool LoadMovie(const std::string& path) override
    {
        log->push_back("load " + path);
        loaded = loadWorks;
        playing = false;
        return loaded;
    }
    bool Play() override
    {
        log->push_back("play");
        playing = loaded;
        return loaded;
    }
    void Stop() override
    {
        log->push_back("stop");
        playing = false;
    }
    bool IsPlaying() const override { return playing; }
    void SetVariable(const std::string& name, const std::string& value) override
    {
        log->push_back("var " + name + "=" + value);
    }
    void MouseMessage(int message, int x, int y, int keyFlags) override
    {
        log->push_back("mouse " + std::to_string(message) + " " + std::to_string(x) + "," + std::to_string(y) +
                       " " + std::to_string(keyFlags));
    }
    MovieCursor Cursor() const override { return cursor; }
    void Advance(uint32_t ms) override { advanced += ms; }
    void Draw(const MovieSurface&, const MovieRect& clip) override
    {
        log->push_back("draw " + std::to_string(clip.x) + "," + std::to_string(clip.y) + " " +
                       std::to_string(clip.width) + "x" + std::to_string(clip.height));
    }

    Log* log;
    MovieSite* site = nullptr;
    MovieEventSink* sink = nullptr;
    bool loadWorks = true;
    bool loaded = false;
    bool playing = false;
    MovieCursor cursor = MovieCursor::Arrow;
    uint32_t advanced = 0;
};

class RecordingListener : public FlashListener {
public:
    void OnFlashEnded(int id) override { log.push_back("ended " + std::to_string(id)); }
    void OnFlashCommand(int id, const std::string& command, const std::string& argument) override
    {
        log.push_back(std::to_string(id) + " " + command + "(" + argument + ")");
    }
    Log log;
};

// The application (image loading), a widget application with its manager,
// and a folder of movies that is the working directory.
class FlashWidgetTest : public ::testing::Test {
protected:
    FlashWidgetTest() : cwd(dir.Path())
    {
        dir.WriteFile("pics/dot.tga", MakeTga(1, 1, 32, 0x28, {0xFF204060}));
        dir.WriteFile("pics/half.tga", MakeTga(1, 1, 32, 0x28, {0x80FFFFFF}));
    }
    ~FlashWidgetTest() override
    {
        for (auto& w : widgets)
            if (w->parent)
                w->parent->DetachChild(w.get());
    }

    // A widget over a fake player, attached at (x, y, w, h).
    FlashWidget* AddFake(int px = 10, int py = 20, int w = 40, int h = 30)
    {
        auto player = std::make_unique<FakePlayer>(&calls);
        fake = player.get();
        widgets.push_back(std::make_unique<FlashWidget>(&listener, std::move(player)));
        return Attach(px, py, w, h);
    }
    // A widget over our player.
    FlashWidget* AddReal(int px = 10, int py = 20, int w = 40, int h = 30)
    {
        widgets.push_back(std::make_unique<FlashWidget>(&listener));
        return Attach(px, py, w, h);
    }
    FlashWidget* Attach(int px, int py, int w, int h)
    {
        FlashWidget* widget = widgets.back().get();
        widget->SetBounds(px, py, w, h);
        wm.AttachChild(widget);
        return widget;
    }
    void Updates(FlashWidget* w, int n)
    {
        for (int i = 0; i < n; ++i)
            w->Update();
    }
    int Count(const Log& log, const std::string& entry) const
    {
        return int(std::count(log.begin(), log.end(), entry));
    }

    QuibAppBase images; // the default image registry
    TestWidgetApp app{200, 200};
    WidgetManager& wm = *app.manager;
    TempDir dir;
    ScopedWorkingDirectory cwd;
    RecordingListener listener;
    Log calls;
    FakePlayer* fake = nullptr;
    std::vector<std::unique_ptr<FlashWidget>> widgets;
};

TEST_F(FlashWidgetTest, StartAnimationResolvesThePathAndPlays)
{
    FlashWidget* w = AddFake();
    ASSERT_TRUE(w->StartAnimation("res\\movies\\intro.dat"));
    ASSERT_EQ(calls.size(), 2u);
    // Resolved against the current directory.
    std::string cwdPath = GetCurrentDir();
    std::replace(cwdPath.begin(), cwdPath.end(), '/', '\\');
    EXPECT_EQ(calls[0], "load " + cwdPath + "\\res\\movies\\intro.dat");
    EXPECT_EQ(calls[1], "play");
    EXPECT_EQ(w->state, FlashWidget::kPlaying);
    calls.clear();
    ASSERT_TRUE(w->StartAnimation("/data/movies/outro.dat"));
    EXPECT_EQ(calls[0], "load /data/movies/outro.dat");

    // A movie that cannot be loaded: false, nothing played, not playing, and
    // the listener hears nothing of it.
    calls.clear();
    fake->loadWorks = false;
    EXPECT_FALSE(w->StartAnimation("res\\movies\\broken.dat"));
    EXPECT_EQ(Count(calls, "play"), 0);
    EXPECT_EQ(w->state, FlashWidget::kNotPlaying);
    Updates(w, 10);
    EXPECT_TRUE(listener.log.empty());
}

TEST_F(FlashWidgetTest, PausesCountAndTheLastOneEndingPlaysAgain)
{
    FlashWidget* w = AddFake();
    ASSERT_TRUE(w->StartAnimation("m.dat"));
    calls.clear();
    w->PushPause();
    w->PushPause();
    EXPECT_EQ(w->state, FlashWidget::kNotPlaying);
    EXPECT_EQ(calls, (Log{"stop"}));
    w->PopPause();
    EXPECT_EQ(calls, (Log{"stop"}));
    EXPECT_FALSE(fake->playing);
    Updates(w, 5);
    EXPECT_EQ(w->state, FlashWidget::kNotPlaying);
    w->PopPause();
    EXPECT_EQ(calls, (Log{"stop", "play"}));
    EXPECT_EQ(w->state, FlashWidget::kPlaying);
    // One pop too many changes nothing.
    w->PopPause();
    EXPECT_EQ(w->GetPauseCount(), 0);
    EXPECT_EQ(Count(calls, "play"), 1);

    // A finished movie is never restarted by the pauses, and its end is told
    // once.
    fake->playing = false;
    Updates(w, 3);
    EXPECT_EQ(w->state, FlashWidget::kFinished);
    EXPECT_EQ(listener.log, (Log{"ended 0"}));
    calls.clear();
    w->PushPause();
    w->PopPause();
    Updates(w, 3);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(w->state, FlashWidget::kFinished);
    EXPECT_EQ(listener.log, (Log{"ended 0"}));
}

TEST_F(FlashWidgetTest, PausesOnceWhileTheApplicationLacksTheFocus)
{
    FlashWidget* w = AddFake();
    ASSERT_TRUE(w->StartAnimation("m.dat"));
    Updates(w, 2);
    EXPECT_EQ(fake->advanced, 20u);
    calls.clear();
    wm.OnAppFocusLost();
    Updates(w, 50);
    EXPECT_EQ(calls, (Log{"stop"}));
    EXPECT_EQ(w->GetPauseCount(), 1);
    EXPECT_EQ(fake->advanced, 20u) << "the rest of the update is skipped";
    EXPECT_TRUE(listener.log.empty()) << "a paused movie has not ended";
    wm.OnAppFocusGained();
    Updates(w, 1);
    EXPECT_EQ(calls, (Log{"stop", "play"}));
    EXPECT_EQ(w->GetPauseCount(), 0);
    EXPECT_EQ(fake->advanced, 30u);

    // Another pause held across the focus change keeps it stopped.
    w->PushPause();
    wm.OnAppFocusLost();
    Updates(w, 5);
    wm.OnAppFocusGained();
    Updates(w, 5);
    EXPECT_EQ(w->GetPauseCount(), 1);
    EXPECT_FALSE(fake->playing);
    w->PopPause();
    EXPECT_TRUE(fake->playing);

    // Told not to pause when inactive: it plays on.
    w->pauseWhenInactive = false;
    wm.OnAppFocusLost();
    Updates(w, 5);
    EXPECT_EQ(w->GetPauseCount(), 0);
    EXPECT_TRUE(fake->playing);
}

TEST_F(FlashWidgetTest, WithoutAMoviePausesPlayNothingAndReportNothing)
{
    FlashWidget* w = AddFake();
    wm.OnAppFocusLost();
    Updates(w, 3);
    wm.OnAppFocusGained();
    Updates(w, 3);
    EXPECT_EQ(w->state, FlashWidget::kNotPlaying);
    EXPECT_TRUE(listener.log.empty());
}

// A movie started while paused starts when the pause ends, and plays to its
// end with its commands.
TEST_F(FlashWidgetTest, AMovieStartedWhilePausedPlaysWhenThePauseEnds)
{
    dir.WriteFile("res/movies/m.dat", "movie 40 30 10\nimage d pics/dot\nlayer l d\nkey 0 l\n"
                                      "cmd 0 ambient harbour\ncmd 2 sound bell\ncmd 3 end\nend 3\n");
    FlashWidget* w = AddReal();
    w->id = 7;
    w->PushPause();
    ASSERT_TRUE(w->StartAnimation("res\\movies\\m.dat"));
    EXPECT_EQ(w->state, FlashWidget::kPlaying);
    auto* player = static_cast<TextMoviePlayer*>(w->Player());
    EXPECT_FALSE(player->IsPlaying());
    Updates(w, 100);
    EXPECT_EQ(w->state, FlashWidget::kPlaying) << "the movie is not lost while paused";
    EXPECT_TRUE(listener.log.empty());
    w->PopPause();
    EXPECT_TRUE(player->IsPlaying());
    Updates(w, 1);
    EXPECT_EQ(listener.log, (Log{"7 ambient(harbour)"}));
    Updates(w, 30);
    EXPECT_EQ(w->state, FlashWidget::kFinished);
    EXPECT_EQ(listener.log, (Log{"7 ambient(harbour)", "7 sound(bell)", "7 end()", "ended 7"}));
    Updates(w, 30);
    EXPECT_EQ(listener.log.size(), 4u);
}

TEST_F(FlashWidgetTest, TheBoardsWaitForMyPlayThroughTheWidget)
{
    dir.WriteFile("res/movies/m.dat", "movie 40 30 10\nimage d pics/dot\nlayer l d\nkey 0 l\n"
                                      "cmd 1 next 1\nwait 1 myPlay 1\ncmd 2 next 2\nend 5\n");
    FlashWidget* w = AddReal();
    ASSERT_TRUE(w->LoadMovie("res/movies/m.dat"));
    Updates(w, 50);
    EXPECT_EQ(listener.log, (Log{"0 next(1)"}));
    w->SetVariable("_root.speed", "fast");
    w->SetVariable("myPlay", "1");
    Updates(w, 3); // a quarter of the 100 ms frame time at fast speed
    EXPECT_EQ(listener.log, (Log{"0 next(1)", "0 next(2)"}));
}

TEST_F(FlashWidgetTest, MouseInputReachesThePlayerAndTheCursorFollowsIt)
{
    FlashWidget* w = AddFake(10, 20, 40, 30);
    ASSERT_TRUE(w->StartAnimation("m.dat"));
    calls.clear();
    fake->cursor = MovieCursor::Hand;
    wm.HandleMouseMove(15, 25);
    EXPECT_TRUE(w->hovered);
    EXPECT_EQ(calls, (Log{"mouse 512 5,5 0"}));
    EXPECT_EQ(app.cursorNum, 1);
    EXPECT_TRUE(w->controlCursor);
    EXPECT_EQ(app.cursorRefreshes.back(), 1);

    calls.clear();
    w->OnMouseDownButton(6, 7, 1, 1); // right button: not for the movie
    w->OnMouseUpButton(6, 7, 1, 1);
    w->OnMouseDownButton(6, 7, 2, 1);
    EXPECT_TRUE(calls.empty());
    fake->cursor = MovieCursor::Arrow;
    w->OnMouseDownButton(6, 7, 0, 1);
    EXPECT_EQ(app.cursorNum, 0);
    EXPECT_FALSE(w->controlCursor);
    w->OnMouseDrag(8, 9); // the left button is not held in the manager
    wm.buttonsHeld = 1;
    w->OnMouseDrag(8, 9);
    w->OnMouseUpButton(8, 9, 0, 1);
    w->OnMouseUpAt(8, 9);
    EXPECT_EQ(calls, (Log{"mouse 513 6,7 1", "mouse 512 8,9 1", "mouse 514 8,9 0"}));

    // Leaving: a move to (-1, -1), the arrow and a refresh.
    wm.buttonsHeld = 0;
    calls.clear();
    app.cursorNum = 1;
    wm.HandleMouseMove(150, 150);
    EXPECT_FALSE(w->hovered);
    EXPECT_EQ(calls, (Log{"mouse 512 -1,-1 0"}));
    EXPECT_EQ(app.cursorNum, 0);
    EXPECT_EQ(app.cursorRefreshes.back(), 0);

    // A movie started under the mouse hears where the mouse is.
    wm.HandleMouseMove(30, 40);
    calls.clear();
    ASSERT_TRUE(w->StartAnimation("n.dat"));
    EXPECT_EQ(calls.back(), "mouse 512 20,20 0");
}

TEST_F(FlashWidgetTest, InvalidationsUniteIntoTheDirtyRectangleInTheParentsCoordinates)
{
    FlashWidget* w = AddFake(10, 20, 40, 30);
    ASSERT_NE(fake->site, nullptr);
    Graphics g(nullptr);
    w->Draw(g); // draws the whole new frame
    EXPECT_FALSE(w->frameDirty);
    EXPECT_EQ(calls.back(), "draw 0,0 40x30");

    const MovieRect a{2, 3, 4, 5};
    fake->site->InvalidateMovieRect(&a);
    EXPECT_TRUE(w->frameDirty);
    EXPECT_EQ(w->dirtyRect, Rect(12, 23, 4, 5));
    const MovieRect b{20, 1, 2, 2};
    fake->site->InvalidateMovieRect(&b);
    EXPECT_EQ(w->dirtyRect, Rect(12, 21, 20, 7));
    w->dirty = false;
    w->Update();
    EXPECT_TRUE(w->dirty) << "a dirty frame invalidates the widget";
    w->Draw(g);
    EXPECT_EQ(calls.back(), "draw 2,1 20x7");
    EXPECT_FALSE(w->frameDirty);
    // Not dirty: a new rectangle replaces the old one.
    fake->site->InvalidateMovieRect(&b);
    EXPECT_EQ(w->dirtyRect, Rect(30, 21, 2, 2));
    // Without a rectangle: the bounds.
    fake->site->InvalidateMovieRect(nullptr);
    EXPECT_EQ(w->dirtyRect, Rect(10, 20, 40, 30));
    w->Draw(g);
    w->OnSystemChange();
    EXPECT_TRUE(w->frameDirty);
    EXPECT_EQ(w->dirtyRect, Rect(10, 20, 40, 30));

    // A widget inside another: the rectangle is still in its parent's
    // coordinates, and the player's clip in its own.
    Widget holder;
    holder.SetBounds(50, 60, 100, 100);
    wm.AttachChild(&holder);
    wm.DetachChild(w);
    holder.AttachChild(w);
    w->Draw(g);
    fake->site->InvalidateMovieRect(&a);
    EXPECT_EQ(w->dirtyRect, Rect(12, 23, 4, 5));
    w->Draw(g);
    EXPECT_EQ(calls.back(), "draw 2,3 4x5");
    holder.DetachChild(w);
    wm.DetachChild(&holder);
}

TEST_F(FlashWidgetTest, CommandsReachTheListenerAsCommandAndArgument)
{
    FlashWidget* w = AddFake();
    w->id = 3;
    ASSERT_NE(fake->sink, nullptr);
    fake->sink->OnMovieCommand("sound", "door creak");
    fake->sink->OnMovieCommand("end", "");
    EXPECT_EQ(listener.log, (Log{"3 sound(door creak)", "3 end()"}));
    w->listener = nullptr;
    fake->sink->OnMovieCommand("sound", "x"); // nobody listens: nothing happens
    EXPECT_EQ(listener.log.size(), 2u);
}

TEST_F(FlashWidgetTest, SetBoundsMakesAnOpaqueFrameImageOfTheWidgetsSize)
{
    FlashWidget* w = AddFake(0, 0, 40, 30);
    ASSERT_NE(w->frameImage, nullptr);
    EXPECT_EQ(w->frameImage->width, 40);
    EXPECT_EQ(w->frameImage->height, 30);
    EXPECT_FALSE(w->frameImage->hasTrans);
    EXPECT_FALSE(w->frameImage->hasAlpha);
    Graphics g(nullptr);
    w->Draw(g);
    w->SetBounds(5, 6, 7, 8);
    EXPECT_EQ(w->frameImage->width, 7);
    EXPECT_TRUE(w->frameDirty) << "the new frame image must be drawn";
    EXPECT_EQ(w->dirtyRect, Rect(5, 6, 7, 8));
    w->SetBounds(5, 6, 0, 8);
    EXPECT_EQ(w->frameImage, nullptr);
    w->Draw(g); // nothing to draw into
    EXPECT_FALSE(w->frameDirty);
}

// The whole road: a movie over the background colour and image, drawn by
// the manager into the screen; only the dirty part of the frame is redrawn.
TEST_F(FlashWidgetTest, DrawsTheMovieOverItsBackgroundIntoTheScreen)
{
    dir.WriteFile("res/movies/m.dat", "movie 8 6 10\nimage d pics/dot\nimage h pics/half\n"
                                      "layer l d\nlayer veil h\n"
                                      "key 0 l x 1 y 1 scale 2\nkey 1 l x 5\n"
                                      "key 0 veil x 6 y 4 scale 2\nend 5\n");
    // An opaque screen, as the display's is.
    MemoryImage screen(nullptr);
    const std::vector<uint32_t> black(40 * 30, 0xFF000000);
    screen.AssignPixels(black.data(), 40, 30, true);
    screen.ForceTransparencyFlags(false, false);
    wm.screenImage = &screen;
    FlashWidget* w = AddReal(10, 20, 8, 6);
    MemoryImage back(nullptr);
    const std::vector<uint32_t> backPixels = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFF00FFFF};
    back.AssignPixels(backPixels.data(), 2, 2, true);
    w->backgroundColor = Color(10, 20, 30, 255);
    w->backgroundImage = &back;
    w->backgroundSource = Rect(1, 0, 1, 2); // the right column
    ASSERT_TRUE(w->StartAnimation("res/movies/m.dat"));
    wm.UpdateFrame();
    wm.DrawScreen();

    const uint32_t bg = 0xFF0A141E;
    const uint32_t dot = 0xFF204060;
    // Half-transparent white over the background colour.
    auto veil = [](uint32_t d) {
        auto ch = [&](int s) { return ((255u * 128 + ((d >> s) & 0xFF) * 128) >> 8) & 0xFF; };
        const uint32_t b = (255u * 128 >> 8) + ((d & 0xFF) * 128 >> 8);
        return 0xFF000000 | (ch(16) << 16) | (ch(8) << 8) | b;
    };
    auto expectFrame = [&](int dotX) {
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x) {
                uint32_t want = bg;
                if (x == 0 && y < 2)
                    want = backPixels[y * 2 + 1] | 0xFF000000;
                if (x >= dotX && x < dotX + 2 && y >= 1 && y < 3)
                    want = dot;
                if (x >= 6 && y >= 4)
                    want = veil(want);
                ASSERT_EQ(screen.GetPixel(10 + x, 20 + y), want) << x << "," << y << " dot at " << dotX;
            }
    };
    expectFrame(1);
    EXPECT_EQ(screen.GetPixel(9, 20), 0xFF000000u);

    // Frame 1 moves the dot; a mark outside the changed part stays in the
    // frame image, so only that part was redrawn.
    w->frameImage->Pixels()[5 * 8 + 0] = 0xFF777777;
    w->frameImage->NotePixelsEdited();
    for (int i = 0; i < 10; ++i)
        wm.UpdateFrame();
    EXPECT_EQ(w->dirtyRect, Rect(11, 21, 6, 2));
    wm.DrawScreen();
    EXPECT_EQ(screen.GetPixel(10, 25), 0xFF777777u);
    screen.Pixels()[25 * 40 + 10] = bg;
    expectFrame(5);
}

} // namespace
} // namespace Quib
