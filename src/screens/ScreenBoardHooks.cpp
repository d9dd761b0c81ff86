#include "src/screens/ScreenBoardHooks.h"

#include "framework/files/ProcessLog.h"
#include "src/GameApp.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/ispy/ISpy.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstScene.h"
#include "src/screens/DarkBack.h"
#include "src/screens/GameBoard.h"
#include "src/screens/HintTimer.h"
#include "src/screens/HintWidget.h"
#include "src/screens/InGameMenu.h"
#include "src/screens/Movie.h"
#include "src/screens/Options.h"
#include "src/screens/MainMenu.h"

namespace Quib {

namespace {

ScreenBoardHooks& Hooks()
{
    static ScreenBoardHooks hooks;
    return hooks;
}

} // namespace

void ScreenBoardHooks::Install()
{
    QstBoardHooks::Set(&Hooks());
    SetISpyHost(&Hooks());
}

void ScreenBoardHooks::Uninstall()
{
    if (QstBoardHooks::Get() == &Hooks())
        QstBoardHooks::Set(nullptr);
    if (&GetISpyHost() == static_cast<ISpyHost*>(&Hooks()))
        SetISpyHost(nullptr);
}

void ScreenBoardHooks::StartHOG(const std::string& levelName, const SBackFromHOGData& data)
{
    EnterHogLevel(levelName, data);
}

void ScreenBoardHooks::StartMovie(const std::string& movieName, const SMovieReturnData& data)
{
    StartMovieBoard(movieName, data);
}

void StartMovieBoard(const std::string& movieName, const SMovieReturnData& data)
{
    GameApp* app = GetGameApp();
    if (!app) {
        QUIB_LOG_ERROR("Movie \"%s\": no application to show it", movieName);
        return;
    }
    auto* board = new Movie(movieName);
    MovieStartData start;
    start.level = !data.nextScene.empty() ? data.nextScene : data.sceneName;
    start.returnScene = data.sceneName;
    start.itemReference = data.itemRef;
    StoreLastSceneForMovie(board, start, data.onDoneGroup);
    app->SwitchToBoard(board);
}

void ScreenBoardHooks::GoToScene(const std::string& sceneName)
{
    GameApp* app = GetGameApp();
    if (!app) {
        QUIB_LOG_ERROR("Scene \"%s\": no application to show it", sceneName);
        return;
    }
    QstScene* previous = nullptr;
    if (auto* current = dynamic_cast<GameBoard*>(app->CurrentBoard()))
        previous = current->scene;
    auto* board = new GameBoard(sceneName);
    app->SwitchToBoard(board);
    if (previous && previous->GetSceneName() != sceneName)
        board->SetLeavingScene(previous);
}

void ScreenBoardHooks::OpenInGameMenu(ISpy& board)
{
    auto* back = new DarkBack(Delegate(), 0);
    PsdPicture* menuLayout =
        GameControllerCommon::Instance().GetSharedPicture(GameControllerCommon::PICTURE_INGAMEMENU);
    ISpy* owner = &board;
    auto* menu = new InGameMenu(
        menuLayout, [] { ShowMainMenu(); },
        [owner] { ShowOptionsPopup(owner); },
        back);
    back->closeDelegate = Delegate(menu, &InGameMenu::Close);
    back->zOrder = GameBoard::kPopupZOrder;
    menu->zOrder = GameBoard::kPopupZOrder;
    board.AttachChild(back);
    board.AttachChild(menu);
}

Widget* ScreenBoardHooks::CreateHintWidget(ISpy& board, PsdPicture& interfaceLayout)
{
    ISpy* owner = &board;
    return new HintWidget(
        &GetHintTimer(), [owner] { return owner->RequestHint(); },
        [owner](const std::u16string& text, float seconds) { owner->ShowTooltip(text, seconds); }, interfaceLayout,
        "clock_small");
}

} // namespace Quib
