#include "src/GameApp.h"

#include "framework/app/ResourceManager.h"
#include "framework/files/IniData.h"
#include "framework/files/PakInterface.h"
#include "framework/files/PathUtils.h"
#include "framework/files/Process.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/Random.h"
#include "framework/app/DDInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Clock.h"
#include "platform/Folders.h"
#include "platform/TextCodecs.h"
#include "src/GameResources.h"
#include "src/GameSettings.h"
#include "src/Lang.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/AmbientSet.h"
#include "src/game/BuildGameDat.h"
#include "src/game/FindDuplicateImages.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/Musics.h"
#include "src/game/Sounds.h"
#include "src/game/minigames/QstMinigameMakers.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstScene.h"
#include "src/particles/EmitterFile.h"
#include "src/particles/cGlobalParticles.h"
#include "src/screens/BaseBoard.h"
#include "src/screens/BoardTransformer.h"
#include "src/screens/CursorWidget.h"
#include "src/screens/LoadingScreen.h"
#include "src/screens/GameBoard.h"
#include "src/screens/ScreenBoardHooks.h"
#include "src/screens/TitleScreen.h"

namespace Quib {

namespace {

GameApp* gGameApp = nullptr;

constexpr const char* kProductName = "Pelleranthe";

} // namespace

GameApp* GetGameApp()
{
    return gGameApp;
}

GameApp::GameApp()
{
    productKey = kProductName;
    productVersion = "1.02";
    windowTitle = u"Pelleranthe: Harbor of Lanterns";
    registryKey = std::string("Oaken Hill\\") + kProductName;
    musicVolume = 0.5;
    sfxVolume = 0.5;
    appWidth = 1024;
    appHeight = 768;
    auto3D = true;
    smoothUpdates = true;
    startLoadingOnRun = false;
    windowedWanted = true;
    customCursors = true;
    gGameApp = this;
    SetGameShellHost(this);
    Quib::srand(GetTickCount());
}

GameApp::~GameApp()
{
    // The loading thread works on the current board: it ends before any
    // board goes.
    WaitForLoadingThread();

    if (boardTransformer) {
        widgetManager->DetachChild(boardTransformer);
        delete boardTransformer;
        boardTransformer = nullptr;
    }
    if (nextBoard) {
        BaseBoard* board = nextBoard;
        nextBoard = nullptr;
        if (board == currentBoard)
            currentBoard = nullptr;
        board->OnLeft();
        DeleteBoard(board);
    }
    if (currentBoard) {
        BaseBoard* board = currentBoard;
        currentBoard = nullptr;
        board->OnLeft();
        DeleteBoard(board);
    }
    // A switch still waiting: its board was never made ready.
    delete queuedBoard;
    queuedBoard = nullptr;
    if (loadingScreen) {
        widgetManager->DetachChild(loadingScreen);
        delete loadingScreen;
        loadingScreen = nullptr;
    }
    delete loadingScreenPicture;
    loadingScreenPicture = nullptr;
    // Deferred deletes queued by the boards (their widgets) go now, while
    // everything they may touch still exists.
    ProcessDeferredDeletes();

    // The game-wide parts belong to a run that went through start-up: a copy
    // that handed over to a running one leaves them alone.
    if (startUpRan) {
        // The cached scenes hold pictures of this run's display: they go
        // before it does, whichever common controller they registered with.
        if (QstGameControllerScene* scenes = QstGameControllerScene::Existing())
            scenes->ClearLevels();
        GameControllerCommon::Instance().FreeSharedPictures();
        GameControllerCommon::Instance().ReleaseAll();

        if (cGlobalParticles* particles = cGlobalParticles::Instance()) {
            widgetManager->DetachChild(particles);
            particles->ClearEffects();
            particles->ClearTemplates();
        }
        UnloadParticleFiles();

        Process::DeleteAll();

        Sounds::Instance().UnloadAll();
        DestroyAmbientSetCache();
    }
    musics.reset();
    if (musicInterface)
        musicInterface->UnloadAllMusic();

    widgetManager->overlayWidget = nullptr;
    delete cursorWidget;
    cursorWidget = nullptr;
    for (int i = 0; i < 4; ++i)
        SetCustomCursorImage(i, nullptr);
    delete blankCursorImage;
    blankCursorImage = nullptr;
    UnbindResources();
    if (startUpRan)
        ScreenBoardHooks::Uninstall();
    if (&GetGameShellHost() == static_cast<GameShellHost*>(this))
        SetGameShellHost(nullptr);
    if (gGameApp == this)
        gGameApp = nullptr;
}

void GameApp::DeleteBoard(BaseBoard* board)
{
    if (board->manager || board->parent)
        widgetManager->DetachChild(board);
    delete board;
}

// ---- Start-up

void GameApp::Initialize()
{
    std::string folder = AppDataFolder();
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    SetUserDataFolder(Utf8ToUtf16(folder.empty() ? std::string(".") : folder + "/" + kProductName));
    QuibAppBase::Initialize();
}

void GameApp::BeforeSettingsHook()
{
    musicVolume = double(0.3f);
    sfxVolume = double(0.3f);
    ambientVolume = double(0.3f);
    // The game settings are read here already, so that the first start
    // takes its screen mode from them; the registry then decides.
    LoadGameSettings();
    windowedWanted = Quib::GetGameIniString("FullScreen", "Options") == "0";
}

bool GameApp::LoadGroupOrExit(const std::string& group, bool bind)
{
    bool ok = resourceManager->LoadResources(group);
    if (ok && bind) {
        try {
            BindResources(*resourceManager);
        } catch (const ResourceManagerException&) {
            ok = false;
        }
    }
    if (!ok) {
        ShowFatalErrorA(resourceManager->GetErrorText());
        FatalExit(0);
        exiting = true;
    }
    return ok;
}

void GameApp::InitHook()
{
    startUpRan = true;
    // 1-2: the data archive and the path aliases.
    // Into the interface the file helpers read through.
    PakInterface* pak = GetSharedPakInterface();
    PakInterface& archives = pak ? *pak : GlobalPakInterface();
    gameDatOpened = archives.AddPakFile("game.dat");
    const std::string gameDatRefused = archives.refusedReason;
    LoadCommonIni();

    // 3: the developer's duplicate-image pass ends the run.
    if (splitImages)
        FindDuplicateImages();

    // 4-6: the settings and the player's folders.
    LoadGameSettings();
    RegisterMinigameKinds();
    const std::string profileDir = Quib::GetGameIniString("ProfileDir", "Game");
    if (!profileDir.empty()) {
        std::u16string folder = UserDataFolder();
        folder += u'\\';
        folder += Utf8ToUtf16(profileDir);
        SetUserDataFolder(folder);
    }
    CreateDirectoryTreeW(UserDataFolder());
    CreateDirectoryTreeW(ProfilesFolder());
    if (Quib::GetGameIniInt("CreateDeveloperProfile", "Game", -1, 0) != 0)
        Lang::Instance().SetMissingTextsFolder(UserDataFolder());

    // 7: the archive for the next start.
    if (Quib::GetGameIniInt("AutoCreatePak", "Game", -1, 0) != 0 && !gameDatOpened)
        BuildGameDat();

    // 8: the process log, by its path in the user data folder.
    ProcessLog::GetInstance()->Open(FileInFolder(UserDataFolder(), "log.html"));
    if (!gameDatRefused.empty())
        QUIB_LOG_ERROR("The data archive game.dat is damaged (%s); the loose files are read instead",
                       gameDatRefused);

    // 9-11: the resources; any failure ends the program.
    if (!resourceManager->ParseManifest("data\\properties\\resources.xml")) {
        ShowFatalErrorA(resourceManager->GetErrorText());
        FatalExit(0);
        exiting = true;
        return;
    }
    if (!LoadGroupOrExit("Common", true) || !LoadGroupOrExit("Game", false))
        return;

    // 12: two tracks kept ready; silence when they are missing.
    static const char* const kPreloaded[] = {"data\\music\\track02ispy.ogg", "data\\music\\track01boevik.ogg"};
    for (int id = 0; id < 2; ++id)
        if (!musicInterface || !musicInterface->LoadMusic(id, kPreloaded[id]))
            QUIB_LOG_ERROR("Can't load music %s", kPreloaded[id]);

    // 13-14: the cursors.
    blankCursorImage = new DDImage(static_cast<ImageDisplay*>(display.get()));
    const uint32_t clear = 0;
    blankCursorImage->AssignPixels(&clear, 1, 1, true);
    cursorWidget = new CursorWidget();
    widgetManager->overlayWidget = cursorWidget;
    SetCursorType(CURSOR_ARROW);

    // 15-18: music, particles, sounds, the shared layouts.
    if (musicInterface)
        musics = std::make_unique<Musics>(*musicInterface);
    if (cGlobalParticles* particles = cGlobalParticles::Instance()) {
        particles->SetBounds(0, 0, appWidth, appHeight);
        widgetManager->AttachChild(particles);
    }
    LoadParticleFiles();
    Sounds::Instance().LoadIni();
    LoadCommonLayouts();
    ScreenBoardHooks::Install();

    // 19-20: the player.
    Profiles& profiles = Profiles::Instance();
    if (Quib::GetGameIniInt("CreateDeveloperProfile", "Game", -1, 0) != 0 && !profiles.LoadCurrent()) {
        profiles.AddProfile(u"Developer");
        profiles.SelectProfile(u"Developer");
    }
    if (profiles.LoadCurrent())
        GameControllerCommon::Instance().LoadProgress();

    // 21: the first board.
    SwitchToBoard(new TitleScreen());
}

void GameApp::HandleCmdLineParam(const std::string& name, const std::string& value)
{
    if (name == "-split") {
        splitImages = true;
        return;
    }
    QuibAppBase::HandleCmdLineParam(name, value);
}

// ---- Per frame

void GameApp::UpdateOneFrame()
{
    QuibAppBase::UpdateOneFrame();
    if (musics)
        musics->Update();
    UpdateAmbientSounds(0.01f);
}

void GameApp::LoadingThreadProc()
{
    if (currentBoard)
        currentBoard->LoadImages();
}

void GameApp::OnLoadingComplete()
{
    if (loadingScreen) {
        loadingScreen->finished = true;
        loadingScreen->Invalidate();
    }
}

void GameApp::LoadingTaskDone()
{
    loadingTasksDone.fetch_add(1);
    // Only the counter is touched here: the screen redraws every frame.
}

// ---- Settings

void GameApp::SaveRegistrySettings()
{
    const bool current = customCursors;
    customCursors = customCursorPreference;
    QuibAppBase::SaveRegistrySettings();
    customCursors = current;
    RegistryWriteDWord("AmbientVolume", int32_t(ambientVolume * 100.0));
}

void GameApp::LoadRegistrySettings()
{
    QuibAppBase::LoadRegistrySettings();
    customCursorPreference = customCursors;
    int32_t value = 0;
    if (RegistryReadDWord("AmbientVolume", value))
        ambientVolume = std::clamp(value, 0, 100) / 100.0;
}

void GameApp::SetSfxVolume(double volume)
{
    QuibAppBase::SetSfxVolume(1.0);
    sfxVolume = volume;
}

void GameApp::EnableCustomCursors(bool enable)
{
    QuibAppBase::EnableCustomCursors(enable);
    customCursorPreference = enable;
    RefreshCursor();
}

void GameApp::OnGotFocus()
{
    QuibAppBase::EnableCustomCursors(customCursorPreference);
    RefreshCursor();
    if (currentBoard)
        currentBoard->OnAppActivated();
}

void GameApp::OnLostFocus()
{
    QuibAppBase::EnableCustomCursors(false);
    RefreshCursor();
    if (currentBoard)
        currentBoard->OnAppDeactivated();
}

// ---- Boards

void GameApp::SwitchToBoard(BaseBoard* board)
{
    if (!board)
        return;
    // A board the running transition or the loading thread still uses must
    // stay: the switch waits for their end; a later switch replaces it.
    if (boardTransformer || loadingScreen) {
        delete queuedBoard;
        queuedBoard = board;
        return;
    }
    DoSwitchToBoard(board);
}

void GameApp::DoSwitchToBoard(BaseBoard* board)
{
    nextBoard = board;
    board->SetBounds(0, 0, appWidth, appHeight);
    board->Init();

    if (!currentBoard) {
        currentBoard = board;
        if (board->needsLoading) {
            StartBoardLoading();
            return;
        }
        board->LoadImages();
        board->Start();
        widgetManager->AttachChild(board);
        widgetManager->SetFocusWidget(board);
        return;
    }

    BoardTransformer* transformer = nullptr;
    if (!board->needsLoading) {
        board->LoadImages();
        board->Start();
        widgetManager->AttachChild(board);
        transformer = CreateBoardTransformer(currentBoard, board, this);
    } else {
        transformer = CreateBoardTransformer(currentBoard, nullptr, this);
    }
    boardTransformer = transformer;
    if (transformer) {
        // Nothing the player does reaches a board while it runs: a click or
        // a key could otherwise start another switch.
        currentBoard->SetDisabled(true);
        board->SetDisabled(true);
        widgetManager->AttachChild(transformer);
        widgetManager->SetFocusWidget(transformer);
    }
}

void GameApp::StartBoardLoading()
{
    loadingTasksDone = 0;
    loadingStarted = false;
    loadingFinished = false;
    loadingAcknowledged = false;
    loadingThrottle = false;

    loadingScreen = new LoadingScreen(loadingScreenPicture);
    loadingScreen->SetBounds(0, 0, appWidth, appHeight);
    widgetManager->AttachChild(loadingScreen);
    loadingTasksTotal = currentBoard->GetImagesToLoad();
    StartLoadingThread();
}

void GameApp::FinishLoadingScreen()
{
    if (loadingScreen) {
        widgetManager->DetachChild(loadingScreen);
        QueueDeferredDelete(loadingScreen);
        loadingScreen = nullptr;
    }
    if (currentBoard) {
        currentBoard->Start();
        widgetManager->AttachChild(currentBoard);
        widgetManager->SetFocusWidget(currentBoard);
        currentBoard->OnBecameCurrent();
    }
    if (BaseBoard* queued = std::exchange(queuedBoard, nullptr))
        SwitchToBoard(queued);
}

void GameApp::OnTransitionDone()
{
    if (boardTransformer) {
        widgetManager->DetachChild(boardTransformer);
        QueueDeferredDelete(boardTransformer);
        boardTransformer = nullptr;
    }
    BaseBoard* old = currentBoard;
    if (old && old != nextBoard) {
        old->OnLeft();
        if (old->manager || old->parent)
            widgetManager->DetachChild(old);
        QueueDeferredDelete(old);
    }
    currentBoard = nullptr;
    if (!nextBoard)
        return;
    PlayMusic(nextBoard->GetMusicId());
    nextBoard->SetDisabled(false);
    currentBoard = nextBoard;

    if (currentBoard->needsLoading) {
        StartBoardLoading();
        return;
    }
    currentBoard->OnBecameCurrent();
    if (dialogList.empty())
        widgetManager->SetFocusWidget(currentBoard);
    if (BaseBoard* queued = std::exchange(queuedBoard, nullptr))
        SwitchToBoard(queued);
}

void GameApp::PlayMusic(const std::string& name)
{
    if (musics)
        musics->SelectPlaylist(name);
}

// ---- Cursors

void GameApp::SetCursorType(int32_t kind)
{
    if (cursorLocked) {
        deferredCursorKind = kind;
        return;
    }
    cursorKind = kind;

    Image* systemImage = nullptr;
    Image* widgetImage = nullptr;
    switch (kind) {
    case CURSOR_NONE: systemImage = blankCursorImage; break;
    case CURSOR_ARROW: systemImage = IMAGE_CURSOR_ARROW; break;
    case CURSOR_ARROW_RED: systemImage = IMAGE_CURSOR_ARROW_RED; break;
    case CURSOR_DOOR:
        systemImage = blankCursorImage;
        widgetImage = IMAGE_CURSOR_DOOR;
        break;
    case CURSOR_HAND:
        systemImage = blankCursorImage;
        widgetImage = IMAGE_CURSOR_HAND;
        break;
    case CURSOR_MAGNIFIER:
        systemImage = blankCursorImage;
        widgetImage = IMAGE_CURSOR_MAGNIFIER;
        break;
    case CURSOR_AIM: systemImage = IMAGE_CURSOR_AIM; break;
    case CURSOR_AIM_HIT: systemImage = IMAGE_CURSOR_AIM_HIT; break;
    case CURSOR_AIM_MISS: systemImage = IMAGE_CURSOR_AIM_MISS; break;
    default: break;
    }

    for (int slot = 0; slot < 4; ++slot) {
        SetCustomCursorImage(slot, systemImage);
        RefreshCursor();
    }
    SetCursorNum(0);
    RefreshCursor();

    if (!cursorWidget)
        return;
    cursorWidget->image = widgetImage;
    cursorWidget->useSecond = false;
    cursorWidget->scale = 1.0f;
    cursorWidget->phase = 0.0f;
    if (kind == CURSOR_HAND) {
        cursorWidget->secondImage = IMAGE_CURSOR_HAND2;
        cursorWidget->pulse = false;
        cursorWidget->largestScale = 0.0f;
    } else {
        cursorWidget->pulse = widgetImage != nullptr;
        cursorWidget->largestScale = 0.9f;
    }
}

void GameApp::LockCursor()
{
    cursorLocked = true;
    deferredCursorKind = cursorKind;
    if (cursorKind == CURSOR_HAND && cursorWidget)
        cursorWidget->useSecond = true;
}

void GameApp::UnlockCursor()
{
    if (!cursorLocked)
        return;
    cursorLocked = false;
    if (cursorKind == CURSOR_HAND && cursorWidget)
        cursorWidget->useSecond = false;
    SetCursorType(deferredCursorKind);
}

void GameApp::SwitchScreenMode(bool windowedFlag, bool is3D, bool force)
{
    (void)force;
    // A forced switch is not the player's choice.
    const bool forced = fullScreenForced;
    QuibAppBase::SwitchScreenMode(windowedFlag, is3D, false);
    Profiles& profiles = Profiles::Instance();
    if (!forced && !profiles.CurrentName().empty())
        profiles.SetString("Options", "FullScreen", windowedFlag ? "0" : "1");
    for (Dialog* dialog : std::list<Dialog*>(dialogList))
        dialog->OnScreenModeChanged(windowedFlag);
    SetCursorType(cursorKind);
    if (currentBoard)
        currentBoard->OnScreenModeChanged(windowedFlag);
}

// ---- What the game shell asks of the application

SoundManager* GameApp::GetSoundManager()
{
    return soundManager.get();
}

double GameApp::GetSfxVolume()
{
    return sfxVolume;
}

double GameApp::GetAmbientVolume()
{
    return ambientVolume;
}

int GameApp::GetGameIniInt(const std::string& key, const std::string& section, int position, int def)
{
    return Quib::GetGameIniInt(key, section, position, def);
}

float GameApp::GetGameIniFloat(const std::string& key, const std::string& section, float def)
{
    return Quib::GetGameIniFloat(key, section, def);
}

void GameApp::WriteCommonIni()
{
    Quib::WriteCommonIni();
}

bool GameApp::LookupProfileValue(const std::string& section, const std::string& key, std::string& value)
{
    Profiles& profiles = Profiles::Instance();
    return profiles.LoadCurrent() && profiles.Lookup(section, key, value);
}

void GameApp::SetProfileValue(const std::string& section, const std::string& key, const std::string& value)
{
    Profiles& profiles = Profiles::Instance();
    if (profiles.LoadCurrent())
        profiles.SetString(section, key, value);
}

void GameApp::SaveCurrentProfile()
{
    Profiles::Instance().SaveCurrent();
}

bool GameApp::HasActiveLevel()
{
    return GameControllerCommon::Instance().activeLevel != nullptr;
}

void GameApp::ReleaseActiveLevel()
{
    GameControllerCommon::Instance().ReleaseActiveLevel();
}

void GameApp::ShowLevelBoard(const std::string& levelName)
{
    SwitchToBoard(new GameBoard(levelName));
}

void GameApp::RestoreLevelStates()
{
    QstGameControllerScene& scenes = QstGameControllerScene::Instance();
    // Scenes loaded later read their state as they load.
    for (const auto& [name, scene] : scenes.Scenes())
        scene->LoadState();
    scenes.LoadPools();
    // Hints are prepared as each scene loads: preparing them here would
    // load every scene of the game at start-up.
}

void GameApp::ShowMessageBox(const std::u16string& text, const std::u16string& caption)
{
    ShowMessageBoxW(text, caption, 0);
}

void GameApp::SetExiting()
{
    exiting = true;
}

} // namespace Quib
