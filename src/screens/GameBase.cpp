#include "src/screens/GameBase.h"

#include "framework/widgets/WidgetManager.h"
#include "src/GameApp.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/Scenario.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/FaderBoard.h"
#include "src/screens/PauseWidget.h"

#include <utility>

namespace Quib {

GameBase::GameBase(bool loading, std::string name) : BaseBoard(loading), boardName(std::move(name)) {}

GameBase::~GameBase()
{
    // While the board is on screen the fader sits with the manager.
    if (fader && fader->parent && fader->parent != this)
        fader->parent->DetachChild(fader);
    if (fader && !fader->parent) {
        delete fader;
        fader = nullptr;
    }
    DetachAllChildren(true, true);
}

void GameBase::Init()
{
    pauseWidget = new PauseWidget();
    pauseWidget->SetBounds(0, 0, width, height);
    pauseWidget->SetVisible(false);
    AttachChild(pauseWidget);

    GameApp* app = GetGameApp();
    focusLostPause = app && !app->IsActive();
    SetPaused(userPause);

    fader = new FaderBoard();
    fader->SetBounds(0, 0, width, height);
    AttachChild(fader);

    needsLoading = GetImagesToLoad() != 0;
}

void GameBase::OnAttachedToManager(WidgetManager* widgetManager)
{
    BaseBoard::OnAttachedToManager(widgetManager);
    // A widget has one parent: on screen the fader is a top-level widget
    // of the manager, above everything of lower z-order.
    if (fader && widgetManager)
        widgetManager->AttachChild(fader);
}

void GameBase::OnDetachedFromManager(WidgetManager* widgetManager)
{
    BaseBoard::OnDetachedFromManager(widgetManager);
    if (!fader || fader->parent != widgetManager)
        return;
    widgetManager->DetachChild(fader);
    // Back among the board's children, without notifications: the board is
    // leaving the manager.
    if (!fader->parent) {
        InsertChildSorted(fader, children.end());
        fader->parent = this;
        fader->manager = nullptr;
    }
}

int GameBase::GetImagesToLoad()
{
    return interfaceLayout ? interfaceLayout->CountImagesToLoad() : 0;
}

void GameBase::LoadImages()
{
    if (!interfaceLayout)
        return;
    GameApp* app = GetGameApp();
    while (interfaceLayout->LoadNextFlaggedImage())
        if (app)
            app->LoadingTaskDone();
}

void GameBase::OnStart()
{
    CreateInterface();
    SetPaused(true);
    SetPaused(false);
    OnStarted();
}

void GameBase::SetPaused(bool pause)
{
    userPause = pause;
    const bool now = userPause || focusLostPause;
    if (now != paused) {
        paused = now;
        if (paused)
            OnPause();
        else
            OnResume();
    }
    stepsProcesses = !paused;
    ApplyPauseState();
}

void GameBase::ApplyPauseState()
{
    const bool shown = pausingAllowed && paused;
    if (pauseWidget)
        pauseWidget->SetShown(shown, focusLostPause);
    if (!shown)
        return;
    if (pauseWidget) {
        pauseWidget->zOrder = focusLostPause ? kPauseFocusLostZOrder : kPauseZOrder;
        DetachChild(pauseWidget);
        AttachChild(pauseWidget);
    }
    for (Widget* widget : interfaceWidgets) {
        DetachChild(widget);
        widget->zOrder = kInterfaceZOrder;
        AttachChild(widget);
    }
}

void GameBase::AddInterfaceWidget(Widget* widget)
{
    if (!widget)
        return;
    interfaceWidgets.push_back(widget);
    AttachChild(widget);
}

void GameBase::OnAppDeactivated()
{
    focusLostPause = true;
    SetPaused(userPause);
}

void GameBase::OnAppActivated()
{
    focusLostPause = false;
    SetPaused(userPause);
}

void GameBase::BeginLeave()
{
    if (leaving)
        return;
    leaving = true;
    pausingAllowed = false;
    SetPaused(true);
    // A board without an active level (a movie) has nothing to record.
    const std::string level = GameControllerCommon::Instance().ActiveLevelName();
    if (!level.empty())
        Scenario::Instance().SetLevelPassed(level);
}

void GameBase::BeginExit()
{
    if (leaving)
        return;
    leaving = true;
    DoExit();
    pausingAllowed = false;
}

void GameBase::OpenMenuWithFade()
{
    pausingAllowed = false;
    SetPaused(true);
    if (fader)
        fader->StartFadeOut(Delegate(this, &GameBase::OnFadedToBlack), Delegate(this, &GameBase::OnFadeFinished));
}

void GameBase::OnFadedToBlack()
{
    DoExit();
}

void GameBase::OnFadeFinished()
{
    pausingAllowed = true;
    SetPaused(false);
    leaving = false;
}

void GameBase::ButtonDepress(int id)
{
    switch (id) {
    case kButtonResume: SetPaused(false); break;
    case kButtonPause: SetPaused(true); break;
    case kButtonMenu: OpenMenuWithFade(); break;
    default: break;
    }
}

} // namespace Quib
