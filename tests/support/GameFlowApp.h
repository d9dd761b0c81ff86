#pragma once
// The game application as the tests run it headless on the generated data.
#include "framework/files/Singletone.h"
#include "platform/headless/FakeClock.h"
#include "src/GameApp.h"
#include "src/GameSettings.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/screens/MainMenu.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Quib::Testing {

// The game without sound, keeping the test's working directory.
class GameFlowApp : public GameApp {
public:
    GameFlowApp() { soundDisabled = true; }
    bool KeepWorkingDirectory(const std::string&) override { return true; }
    // One update of the main loop after the clock moved on.
    void Step(FakeClock& clock, uint32_t ms)
    {
        clock.Advance(ms);
        DoUpdateFrames();
        ProcessDeferredDeletes();
    }
};

// Ends a run of the game. The scene controller lives for the process while
// the common controller is made anew per run: its scenes (whose pictures
// belong to this run's display) go with this run. A board showing a scene
// goes before the scenes and pools do, so the main menu comes first
// (settleOnMenu steps until it is shown). The next run starts from the
// default settings.
template <class App, class Settle>
void ShutDownGame(std::unique_ptr<App>& app, std::unique_ptr<ScopedWorkingDirectory>& cwd, Settle settleOnMenu)
{
    if (app && !dynamic_cast<MainMenu*>(app->CurrentBoard())) {
        app->SwitchToBoard(new MainMenu());
        settleOnMenu();
    }
    QstGameControllerScene::Instance().ClearLevels();
    app.reset();
    LoadGameSettings("res\\none.ini");
    cwd.reset();
    SingletoneBase::DestroyAll();
}

} // namespace Quib::Testing
