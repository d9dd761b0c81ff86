// The game played headless on the generated data, in a program of its own
// (scenes, settings and the hint timer live for the process): the main
// menu's Play into the first scene, an item clicked, the journal, a hint,
// the in-game menu; a movie played to its end; the movie board's commands.
#include "framework/files/Singletone.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/FlashWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameApp.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/game/AmbientSet.h"
#include "src/game/quest/QstBook.h"
#include "src/game/quest/QstBookButton.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstScene.h"
#include "src/screens/GameBoard.h"
#include "src/screens/HintTimer.h"
#include "src/screens/HintWidget.h"
#include "src/screens/InGameMenu.h"
#include "src/screens/MainMenu.h"
#include "src/screens/MessageBubble.h"
#include "src/screens/Movie.h"
#include "src/screens/ScaleButton.h"
#include "src/screens/ScreenBoardHooks.h"
#include "src/screens/TGameButton.h"
#include "tests/screens/ScreensTestSupport.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/GameFlowSupport.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/WidgetSearch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <typeinfo>
#include <memory>
#include <thread>

namespace Quib::AdventureFlowTests {
namespace {

using namespace Testing;
namespace fs = std::filesystem;

class AdventureFlow : public GameFlowTest {};

TEST_F(AdventureFlow, PlayEntersTheStartSceneWithItsInterface)
{
    GameBoard* board = PlayIntoFirstScene();
    ASSERT_NE(board, nullptr);
    ASSERT_NE(board->scene, nullptr);
    EXPECT_EQ(board->scene->GetSceneName(), "harbour");
    EXPECT_EQ(board->scene->parent, board);
    EXPECT_EQ(board->GetMusicId(), "harbour");
    EXPECT_NE(board->hintWidget, nullptr);
    EXPECT_NE(board->hintWidget->back, nullptr); // the layout has the compass
    EXPECT_NE(board->bookButton, nullptr);
    EXPECT_NE(board->poolWidget, nullptr);
    EXPECT_EQ(board->scene->avatar, board->avatar);
    std::string last;
    EXPECT_TRUE(Profiles::Instance().Lookup("Main", "LastScene", last));
    EXPECT_EQ(last, "scene:harbour");
}

TEST_F(AdventureFlow, ASceneThatCannotLoadSendsThePlayerBackToTheMenu)
{
    app->SwitchToBoard(new MainMenu());
    ASSERT_NE(Settled<MainMenu>(), nullptr);
    app->SwitchToBoard(new GameBoard("no_such_scene"));
    StepUntil([&] { return dynamic_cast<GameBoard*>(app->CurrentBoard()) != nullptr; });
    EXPECT_NE(Settled<MainMenu>(), nullptr);
}

TEST_F(AdventureFlow, AClickedItemRunsItsScriptAndTheJournalOpensAndCloses)
{
    GameBoard* board = PlayIntoFirstScene();
    ASSERT_NE(board, nullptr);
    QstScene* scene = board->scene;
    QstItem* crate = scene->GetItem("crate");
    ASSERT_NE(crate, nullptr);
    ASSERT_EQ(crate->GetCurrentState()->GetName(), "closed");
    QstField* field = scene->GetField("main");
    ASSERT_NE(field, nullptr);
    QstFieldItemLayer* crateLayer = nullptr;
    for (QstFieldLayer* layer : field->layers)
        if (auto* itemLayer = dynamic_cast<QstFieldItemLayer*>(layer))
            if (itemLayer->GetState() == crate->GetCurrentState())
                crateLayer = itemLayer;
    ASSERT_NE(crateLayer, nullptr);
    const FRect r = crateLayer->GetRect();
    // A point of the crate's picture (its rectangle has clear corners).
    int cx = -1, cy = -1;
    for (int py = int(r.y); py < int(r.y + r.height) && cx < 0; py += 2)
        for (int px = int(r.x); px < int(r.x + r.width) && cx < 0; px += 2)
            if (crateLayer->HitTest(px, py)) {
                cx = px + 4;
                cy = py + 4;
            }
    ASSERT_GE(cx, 0);
    Click(cx, cy);
    StepUntil([&] { return crate->GetCurrentState()->GetName() == "open"; }, 300);
    EXPECT_EQ(crate->GetCurrentState()->GetName(), "open");
    EXPECT_EQ(scene->GetItem("match")->GetCurrentState()->GetName(), "normal");
    // The script said something and added a journal record: the button calls.
    StepUntil([&] { return board->bubble->alpha > 0.0f; }, 300);
    EXPECT_GT(board->bubble->alpha, 0.0f);
    EXPECT_TRUE(board->bookButton->attention);

    ClickWidget(board->bookButton);
    QstBook* book = FindChild<QstBook>(board);
    ASSERT_NE(book, nullptr);
    EXPECT_FALSE(board->bookButton->attention);
    StepUntil([&] { return book->progress >= 1.0f; }, 300);
    Click(4, 4); // the backdrop closes it
    EXPECT_TRUE(StepUntil([&] { return FindChild<QstBook>(board) == nullptr; }, 500));
}

TEST_F(AdventureFlow, TheCompassGivesAHintOnlyWhenCharged)
{
    GameBoard* board = PlayIntoFirstScene();
    ASSERT_NE(board, nullptr);
    HintTimer& timer = GetHintTimer();
    timer.Use();
    ClickWidget(board->hintWidget); // recharging: nothing
    EXPECT_FALSE(timer.IsCharged());
    timer.rechargeValue = timer.rechargeTime;
    ClickWidget(board->hintWidget);
    EXPECT_FALSE(timer.IsCharged()) << "the harbour has something to hint at";
    EXPECT_GT(timer.usedFlash, 0.0f);
}

TEST_F(AdventureFlow, TheMenuButtonOpensTheMenuAfterAHint)
{
    GameBoard* board = PlayIntoFirstScene();
    ASSERT_NE(board, nullptr);
    HintTimer& timer = GetHintTimer();
    ButtonWidget* menuButton = FindButton(board, GameBoard::kMenuButton);
    ASSERT_NE(menuButton, nullptr);
    // Straight from the compass to the menu button, and again once the
    // hint's glint and flash have run out.
    for (int wait : {0, 300}) {
        SCOPED_TRACE(wait);
        timer.rechargeValue = timer.rechargeTime;
        ClickWidget(board->hintWidget);
        EXPECT_FALSE(timer.IsCharged());
        for (int i = 0; i < wait; ++i)
            Steps(1);
        ClickWidget(menuButton);
        EXPECT_TRUE(StepUntil([&] { return FindChild<InGameMenu>(board) != nullptr; }, 50));
        InGameMenu* menu = FindChild<InGameMenu>(board);
        ASSERT_NE(menu, nullptr);
        StepUntil([&] { return menu->appear.progress >= 1.0f; }, 300);
        ClickWidget(menu->resumeButton);
        EXPECT_TRUE(StepUntil([&] { return FindChild<InGameMenu>(board) == nullptr; }, 500));
    }
}

TEST_F(AdventureFlow, TheInGameMenuResumesOrLeavesForTheMainMenu)
{
    GameBoard* board = PlayIntoFirstScene();
    ASSERT_NE(board, nullptr);

    ClickWidget(FindButton(board, GameBoard::kMenuButton));
    InGameMenu* menu = FindChild<InGameMenu>(board);
    ASSERT_NE(menu, nullptr);
    StepUntil([&] { return menu->appear.progress >= 1.0f; }, 300);
    ClickWidget(menu->resumeButton);
    EXPECT_TRUE(StepUntil([&] { return FindChild<InGameMenu>(board) == nullptr; }, 500));
    EXPECT_EQ(app->CurrentBoard(), board);

    ClickWidget(FindButton(board, GameBoard::kMenuButton));
    StepUntil([&] { return FindChild<InGameMenu>(board) != nullptr; }, 100);
    menu = FindChild<InGameMenu>(board);
    ASSERT_NE(menu, nullptr);
    StepUntil([&] { return menu->appear.progress >= 1.0f; }, 300);
    ClickWidget(menu->mainMenuButton);
    EXPECT_NE(Settled<MainMenu>(), nullptr);
}

TEST_F(AdventureFlow, TheMovieBetweenScenesPlaysToItsEndAndTheNextSceneFollows)
{
    SMovieReturnData back;
    back.nextScene = "harbour";
    back.sceneName = "pier";
    StartMovieBoard("storm", back);
    Movie* movie = Settled<Movie>();
    ASSERT_NE(movie, nullptr);
    std::string last;
    EXPECT_TRUE(Profiles::Instance().Lookup("Main", "LastScene", last));
    EXPECT_EQ(last.rfind("movie:storm,harbour,pier", 0), 0u) << last;
    ASSERT_NE(movie->flash, nullptr);
    EXPECT_NE(movie->flash->state, FlashWidget::kNotPlaying);
    bool subtitled = false, ambience = false;
    ASSERT_TRUE(StepUntil(
        [&] {
            if (dynamic_cast<Movie*>(app->CurrentBoard()) == movie) {
                subtitled = subtitled || movie->subtitleTimeLeft > 0.0f;
                ambience = ambience || movie->CurrentAmbientSet() != nullptr;
            }
            return dynamic_cast<GameBoard*>(app->CurrentBoard()) != nullptr;
        },
        8000, 10));
    EXPECT_TRUE(subtitled);
    EXPECT_TRUE(ambience);
    auto* board = Settled<GameBoard>();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->scene->GetSceneName(), "harbour");
}

// The movie board alone: subtitles, fast forward, the two ambience slots.
TEST(MovieBoard, SubtitlesWaitTheirTimeFastForwardQuartersItAndAmbienceSwapsSlots)
{
    ScopedGameIni ini("[Game]\nMovieTextRect=10,20,300,40\n");
    Movie movie("intro");
    movie.SetBounds(0, 0, 1024, 768);
    movie.Init();
    EXPECT_EQ(movie.textRect, Rect(10, 20, 300, 40));
    EXPECT_EQ(movie.moviePath, "res\\movies\\intro.dat");
    ASSERT_NE(movie.flash, nullptr);
    EXPECT_EQ(movie.flash->x, 0);
    EXPECT_EQ(movie.flash->y, 96);

    movie.OnFlashCommand(0, "next", "2");
    EXPECT_EQ(movie.subtitleNumber, 2);
    const float full = movie.subtitleTimeLeft;
    ASSERT_GT(full, 0.0f);
    EXPECT_EQ(full, TextDisplayTime(movie.subtitleText));
    movie.SetFast();
    movie.UpdateBoard(full / 4.0f + 0.001f);
    EXPECT_EQ(movie.subtitleTimeLeft, 0.0f);
    EXPECT_FALSE(movie.subtitleWaiting);
    movie.SetNormal();
    EXPECT_FALSE(movie.fast);

    movie.OnFlashCommand(0, "ambient", "harbour");
    AmbientSet* first = movie.ambientB;
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(movie.usingB);
    movie.OnFlashCommand(0, "ambient", "storm");
    EXPECT_FALSE(movie.usingB);
    ASSERT_NE(movie.ambientA, nullptr);
    EXPECT_EQ(movie.ambientB, first);
    movie.OnFlashCommand(0, "ambient", "harbour"); // the first set goes, its slot is reused
    EXPECT_TRUE(movie.usingB);
    EXPECT_NE(movie.ambientB, nullptr);

    movie.OnFlashCommand(0, "unknown", "x"); // ignored
    movie.OnFlashCommand(0, "end", "");
    EXPECT_TRUE(movie.finished);
    movie.ButtonDepress(Movie::kSkipButton); // once only
    EXPECT_TRUE(movie.finished);
}

TEST_F(AdventureFlow, TheGameEndsCleanlyWhileAScenePlays)
{
    // The window closed in a scene: the scenes and their pictures go with the
    // application, before its display, and the end of the process finds
    // nothing left to free.
    ASSERT_NE(PlayIntoFirstScene(), nullptr);
    ASSERT_GT(QstGameControllerScene::Instance().CachedLevelCount(), 0u);
    app.reset();
    EXPECT_EQ(QstGameControllerScene::Instance().CachedLevelCount(), 0u);
}

} // namespace
} // namespace Quib::AdventureFlowTests
