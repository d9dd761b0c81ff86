// The main menu's continue decision.
#include "framework/files/ProcessLog.h"
#include "src/GameApp.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/Scenario.h"
#include "src/game/ispy/ISpy.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstScene.h"
#include "src/screens/ContinueRequest.h"
#include "src/screens/MainMenu.h"
#include "src/screens/Movie.h"
#include "src/screens/MovieStartData.h"

namespace Quib {

namespace {

template <class... A>
void LogInfo(const char* format, const A&... args)
{
    ProcessLog::GetInstance()->LogInfo(format, args...);
}

// The sixth token of a movie's return data: the group run after it.
std::string OnDoneGroupOf(const std::string& returnData)
{
    size_t at = 0;
    for (int i = 0; i < 5; ++i) {
        at = returnData.find(',', at);
        if (at == std::string::npos)
            return std::string();
        ++at;
    }
    return returnData.substr(at, returnData.find(',', at) - at);
}

} // namespace

void MainMenu::Play()
{
    std::string lastScene;
    const bool gameComplete = GameControllerCommon::Instance().Player().gameComplete;
    const bool hasLastScene = !gameComplete && Profiles::Instance().Lookup("Main", "LastScene", lastScene);
    StartRequest(ContinueRequest::Make(gameComplete, hasLastScene, lastScene,
                                       GetGameIniString("StartScene", "Game", "hold")));
}

void MainMenu::StartRequest(const ContinueRequest& request)
{
    GameApp* app = GetGameApp();
    if (request.gameComplete) {
        LogInfo("Main menu: the movie \"%s\" was asked for (the game is complete)", request.name);
        if (app)
            app->SwitchToBoard(new Movie(ContinueRequest::kFinalMovie));
    } else if (request.kind == ContinueRequest::kKindScene) {
        LogInfo("Main menu: the scene \"%s\" was asked for (%s)", request.name,
                request.freshStart ? "fresh start" : "continued");
        if (request.freshStart) {
            QstScene* scene = QstGameControllerScene::Instance().GetOrLoadScene(request.name);
            if (scene && scene->FindActionData("StartAction")) {
                scene->DoCreateAction(nullptr, "StartAction", true, true);
                return;
            }
        }
        Scenario::Instance().StartLevel(request.name);
    } else if (request.kind == ContinueRequest::kKindHog) {
        LogInfo("Main menu: the hidden-object level \"%s\" was asked for, return data \"%s\"", request.name,
                request.returnData);
        ContinueHogLevel(request.name, request.returnData);
    } else if (request.kind == ContinueRequest::kKindMovie) {
        const MovieStartData start = MovieStartData::Read(request.returnData);
        LogInfo("Main menu: the movie \"%s\" was asked for, then level \"%s\", return scene \"%s\", sound \"%s\", "
                "item \"%s\"",
                request.name, start.level, start.returnScene, start.sound, start.itemReference);
        auto* movie = new Movie(request.name);
        StoreLastSceneForMovie(movie, start, OnDoneGroupOf(request.returnData));
        if (app)
            app->SwitchToBoard(movie);
        else
            delete movie;
    } else {
        QUIB_LOG_ERROR("Main menu: LastScene \"%s\" is of no known kind; play does nothing", request.kind);
    }
}

} // namespace Quib
