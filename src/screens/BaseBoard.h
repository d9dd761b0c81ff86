#pragma once
#include "framework/widgets/Widget.h"

#include <string>

namespace Quib {

// One full-screen state of the game (title, menus, scenes, levels, movies).
// The application owns the current board and switches boards through
// GameApp::SwitchToBoard; the board averages its frame time, steps the
// global Process list and hands its own per-frame work to UpdateBoard.
class BaseBoard : public Widget {
public:
    explicit BaseBoard(bool needsLoading);

    // Builds the board's widgets; called after the board was sized.
    virtual void Init() {}
    // The name used in transition keys ("Game", "Menu", "Movie", "HOG").
    virtual std::string GetBoardName() { return {}; }
    // The playlist chosen when a transition to this board ends.
    virtual std::string GetMusicId() { return GetBoardName(); }
    // The board is current and attached (not for the first board of a run).
    virtual void OnBecameCurrent() {}
    // Loading tasks the board needs.
    virtual int GetImagesToLoad() { return 0; }
    // Loads the board's images: on the loading thread when the board needs
    // loading (one GameApp::LoadingTaskDone per task), else on the main thread.
    virtual void LoadImages() {}
    virtual void OnStart() {}
    // The transition away from the board has ended; it is deleted next.
    virtual void OnLeft() {}
    virtual void UpdateBoard(float seconds) { (void)seconds; }
    virtual void OnAppDeactivated() {}
    virtual void OnAppActivated() {}
    virtual void OnScreenModeChanged(bool windowed) { (void)windowed; }

    // Resets the frame timer, then OnStart.
    void Start();
    // Frame time, the Process list (while stepsProcesses), UpdateBoard, redraw.
    void Update() override;

    bool needsLoading = false;
    bool stepsProcesses = true;
};

} // namespace Quib
