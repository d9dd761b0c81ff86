#pragma once
#include "framework/app/QuibAppBase.h"
#include "src/game/GameShellHost.h"
#include "src/screens/BoardTransformerListener.h"

#include <memory>
#include <string>

namespace Quib {

class BaseBoard;
class BoardTransformer;
class CursorWidget;
class LoadingScreen;
class Musics;
class DDImage;

// Cursor kinds shown by GameApp::SetCursorType.
enum CursorKind : int32_t {
    CURSOR_NONE = 0,
    CURSOR_ARROW = 1,
    CURSOR_ARROW_RED = 2,
    CURSOR_DOOR = 3,
    CURSOR_HAND = 4,
    CURSOR_MAGNIFIER = 5,
    CURSOR_AIM = 6,
    CURSOR_AIM_HIT = 7,
    CURSOR_AIM_MISS = 8,
};

// The game's application object: start-up, the boards, cursors, music and
// ambient sounds on top of the framework's application.
class GameApp : public QuibAppBase, public BoardTransformerListener, public GameShellHost {
public:
    GameApp();
    ~GameApp() override;

    // ---- QuibAppBase ----
    void UpdateOneFrame() override;
    void OnLoadingComplete() override;
    void InitHook() override;
    void LoadingThreadProc() override;
    void SaveRegistrySettings() override;
    void LoadRegistrySettings() override;
    void HandleCmdLineParam(const std::string& name, const std::string& value) override;
    void Initialize() override;
    void SetSfxVolume(double volume) override;
    void EnableCustomCursors(bool enable) override;
    void SwitchScreenMode(bool windowed, bool is3D, bool force) override;
    void OnGotFocus() override;
    void OnLostFocus() override;
    void BeforeSettingsHook() override;

    // ---- Boards (any thread for LoadingTaskDone, else the main thread) ----
    // One finished loading task of the board being loaded.
    void LoadingTaskDone();
    // Makes the board current; the application owns it from the call on.
    void SwitchToBoard(BaseBoard* board);
    void OnTransitionDone() override;
    // The loading screen has finished: puts the loaded board in its place.
    void FinishLoadingScreen();
    // Selects the named playlist ("do_not_change_music" keeps the music).
    void PlayMusic(const std::string& name);

    // ---- Cursors ----
    void SetCursorType(int32_t kind);
    void LockCursor();
    void UnlockCursor();

    // ---- GameShellHost ----
    SoundManager* GetSoundManager() override;
    double GetSfxVolume() override;
    double GetAmbientVolume() override;
    int GetGameIniInt(const std::string& key, const std::string& section, int position, int def) override;
    float GetGameIniFloat(const std::string& key, const std::string& section, float def) override;
    void WriteCommonIni() override;
    bool LookupProfileValue(const std::string& section, const std::string& key, std::string& value) override;
    void SetProfileValue(const std::string& section, const std::string& key, const std::string& value) override;
    void SaveCurrentProfile() override;
    bool HasActiveLevel() override;
    void ReleaseActiveLevel() override;
    void ShowLevelBoard(const std::string& levelName) override;
    void RestoreLevelStates() override;
    void ShowMessageBox(const std::u16string& text, const std::u16string& caption) override;
    void SetExiting() override;

    BaseBoard* CurrentBoard() const { return currentBoard; }
    BaseBoard* NextBoard() const { return nextBoard; }
    LoadingScreen* GetLoadingScreen() const { return loadingScreen; }
    BoardTransformer* Transformer() const { return boardTransformer; }
    CursorWidget* GetCursorWidget() const { return cursorWidget; }
    Musics* GetMusics() const { return musics.get(); }
    int32_t CursorKindShown() const { return cursorKind; }
    bool IsActive() const { return active; }
    int32_t AppWidth() const { return appWidth; }
    int32_t AppHeight() const { return appHeight; }
    int LoadingTasksTotal() const { return loadingTasksTotal.load(); }
    int LoadingTasksDone() const { return loadingTasksDone.load(); }

    BaseBoard* currentBoard = nullptr;
    BaseBoard* nextBoard = nullptr;
    LoadingScreen* loadingScreen = nullptr;
    DDImage* loadingScreenPicture = nullptr; // never set
    DDImage* blankCursorImage = nullptr;
    std::unique_ptr<Musics> musics;
    bool splitImages = false;
    int32_t designWidth = 1024;
    int32_t designHeight = 768;
    CursorWidget* cursorWidget = nullptr;
    int32_t cursorKind = -1;
    int32_t deferredCursorKind = CURSOR_ARROW;
    bool cursorLocked = false;
    bool customCursorPreference = true;
    BoardTransformer* boardTransformer = nullptr;
    double ambientVolume = 0.5;

private:
    void StartBoardLoading();
    void DoSwitchToBoard(BaseBoard* board);
    void DeleteBoard(BaseBoard* board);
    bool LoadGroupOrExit(const std::string& group, bool bind);

    // A switch asked for while a transition runs waits for its end.
    BaseBoard* queuedBoard = nullptr;
    bool gameDatOpened = false;
    // InitHook has run: the game-wide parts are this run's to take down.
    bool startUpRan = false;
};

// The game application; null while none exists.
GameApp* GetGameApp();

} // namespace Quib
