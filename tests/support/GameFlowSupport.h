#pragma once
// The game application run headless on a copy of the generated data, with
// the fake clock stepped by hand: a fixture for tests that play the game
// through its boards with the mouse.
#include "framework/files/Singletone.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameApp.h"
#include "src/GameSettings.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/screens/GameBoard.h"
#include "src/screens/MainMenu.h"
#include "src/screens/Movie.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/GameFlowApp.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <typeinfo>

namespace Quib::Testing {

class GameFlowTest : public ::testing::Test {
protected:
    // Each step moves the clock by stepMs; StepUntil gives up after
    // stepLimit steps unless told otherwise.
    explicit GameFlowTest(uint32_t stepMs = 10, int stepLimit = 6000) : stepMs(stepMs), stepLimit(stepLimit) {}

    void SetUp() override
    {
        SingletoneBase::DestroyAll();
        std::filesystem::copy(QUIB_GAME_DATA, data.Path(), std::filesystem::copy_options::recursive);
        PrepareData();
        cwd = std::make_unique<ScopedWorkingDirectory>(data.Path());
        app = std::make_unique<GameFlowApp>();
        PrepareApp(*app);
        app->Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        app->active = true; // the window has the focus: the boards do not pause
        app->OnGotFocus();
        app->widgetManager->OnAppFocusGained();
    }
    void TearDown() override
    {
        ShutDownGame(app, cwd, [&] { Settled<MainMenu>(); });
    }
    // Changes to the copied data before the game starts on it.
    virtual void PrepareData() {}
    // Changes to the application before it initialises.
    virtual void PrepareApp(GameFlowApp&) {}

    // ---- Time ----
    void Steps(int count)
    {
        for (int i = 0; i < count; ++i)
            app->Step(env.clock, stepMs);
    }
    // Steps (of ms, else stepMs) until done, at most limit of them (else
    // stepLimit); whether it got done.
    template <class F>
    bool StepUntil(F done, int limit = -1, uint32_t ms = 0)
    {
        if (limit < 0)
            limit = stepLimit;
        for (int i = 0; i < limit; ++i) {
            if (done())
                return true;
            app->Step(env.clock, ms ? ms : stepMs);
        }
        return done();
    }
    // A board that loads is settled once its loading thread is done and
    // the loading screen has gone.
    template <class Board>
    Board* Settled()
    {
        StepUntil([&] {
            std::this_thread::sleep_for(std::chrono::microseconds(app->GetLoadingScreen() ? 200 : 0));
            return dynamic_cast<Board*>(app->CurrentBoard()) && !app->Transformer() && !app->GetLoadingScreen();
        }, 6000);
        return dynamic_cast<Board*>(app->CurrentBoard());
    }

    // ---- Mouse ----
    // A press and a release at a point of the screen, a step apart.
    void Click(int px, int py, bool right = false)
    {
        WidgetManager& wm = *app->widgetManager;
        const ClickCode code = right ? CLICK_RIGHT : CLICK_LEFT;
        wm.HandleMouseMove(px, py);
        Steps(1);
        wm.HandleMouseDown(px, py, code);
        Steps(1);
        wm.HandleMouseUp(px, py, code);
        Steps(1);
    }
    void ClickWidget(Widget* w)
    {
        ASSERT_NE(w, nullptr);
        const Point at = w->GetScreenPosition();
        Click(at.x + w->width / 2, at.y + w->height / 2);
    }

    // The game board of the first scene reached from the main menu's Play:
    // the intro movie first (skipped) when the scene starts one.
    GameBoard* PlayIntoFirstScene()
    {
        app->SwitchToBoard(new MainMenu());
        MainMenu* menu = Settled<MainMenu>();
        EXPECT_NE(menu, nullptr);
        if (!menu)
            return nullptr;
        ClickWidget(menu->buttons[MainMenu::kPlay]);
        StepUntil([&] { return dynamic_cast<GameBoard*>(app->CurrentBoard()) || dynamic_cast<Movie*>(app->CurrentBoard()); },
                  int(60000 / stepMs));
        if (dynamic_cast<Movie*>(app->CurrentBoard())) {
            Settled<Movie>();
            app->widgetManager->HandleKeyDown(27); // Escape skips it
        }
        GameBoard* board = Settled<GameBoard>();
        if (!board)
            DumpLog();
        return board;
    }
    void DumpLog() const
    {
        std::cerr << "current board: " << (app->CurrentBoard() ? typeid(*app->CurrentBoard()).name() : "none")
                  << " transformer " << (app->Transformer() != nullptr) << "\n";
        const auto& lines = env.sink.debugLines;
        for (size_t i = lines.size() > 40 ? lines.size() - 40 : 0; i < lines.size(); ++i)
            std::cerr << lines[i] << "\n";
    }

    const uint32_t stepMs;
    const int stepLimit;
    HeadlessAppEnvironment env;
    ScopedPak pak;
    TempDir data;
    std::unique_ptr<ScopedWorkingDirectory> cwd;
    std::unique_ptr<GameFlowApp> app;
};

} // namespace Quib::Testing
