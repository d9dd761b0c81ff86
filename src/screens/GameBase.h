#pragma once
#include "framework/widgets/ButtonListener.h"
#include "src/screens/BaseBoard.h"

#include <string>
#include <vector>

namespace Quib {

class FaderBoard;
class PauseWidget;
class PsdPicture;

// A board the game is played on: the pause rules (asked for by the game,
// or caused by the window losing the focus), the pause overlay, the black
// fader and the interface widgets kept above the overlay.
class GameBase : public BaseBoard, public ButtonListener {
public:
    // Button ids the board reacts to.
    static constexpr int kButtonResume = 77;
    static constexpr int kButtonPause = 78;
    static constexpr int kButtonMenu = 81;
    // Z-orders among the board's children.
    static constexpr int kPauseZOrder = 5;
    static constexpr int kPauseFocusLostZOrder = 30;
    static constexpr int kInterfaceZOrder = 10;

    GameBase(bool needsLoading, std::string boardName);
    // Deletes every child, the fader too.
    ~GameBase() override;

    // Builds the interface widgets (AddInterfaceWidget).
    virtual void CreateInterface() = 0;
    virtual void OnPause() {}
    virtual void OnResume() {}
    // Once only: no more pausing, paused, the active level recorded as passed.
    virtual void BeginLeave();
    // Once only: DoExit, then no more pausing.
    virtual void BeginExit();
    virtual void OnStarted() {}
    virtual void DoExit() = 0;

    void SetPaused(bool pause);
    // Shows or hides the overlay and puts it and the interface in order.
    void ApplyPauseState();
    // Keeps the widget above the pause overlay; attaches it as a child.
    void AddInterfaceWidget(Widget* widget);
    // No pausing, paused, then a fade through black: DoExit at black, the
    // board resumes at the end.
    void OpenMenuWithFade();

    void OnAttachedToManager(WidgetManager* widgetManager) override;
    void OnDetachedFromManager(WidgetManager* widgetManager) override;
    void Init() override;
    // Counts and loads the flagged images of the interface layout (none
    // without one).
    int GetImagesToLoad() override;
    void LoadImages() override;
    void OnStart() override;
    void OnAppDeactivated() override;
    void OnAppActivated() override;
    void ButtonDepress(int id) override;

    std::string boardName;
    std::vector<Widget*> interfaceWidgets;
    bool paused = false;
    bool focusLostPause = false;
    bool userPause = false;
    PauseWidget* pauseWidget = nullptr;
    bool pausingAllowed = true;
    bool leaving = false;
    FaderBoard* fader = nullptr;
    // The layout whose flagged images the default loading loads; not owned.
    PsdPicture* interfaceLayout = nullptr;

private:
    void OnFadedToBlack();
    void OnFadeFinished();
};

} // namespace Quib
