// The game application's start-up on the generated data, its board
// switching and its cursors, run headless on a fake clock.
#include "framework/app/ResourceManager.h"
#include "framework/files/PakInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/files/Singletone.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/SingleInstance.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/GameApp.h"
#include "src/GameResources.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/BuildGameDat.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/Musics.h"
#include "src/game/OptionsFunc.h"
#include "src/game/quest/PsdPicture.h"
#include "src/particles/cGlobalParticles.h"
#include "src/screens/BoardTransformer.h"
#include "src/screens/CursorWidget.h"
#include "src/screens/LoadingScreen.h"
#include "src/screens/MainMenu.h"
#include "src/screens/TitleScreen.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/ScopedPak.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <filesystem>
#include <fstream>
#include <regex>

#include <sys/stat.h>
#include <set>

namespace Quib {
namespace {

using namespace Testing;
namespace fs = std::filesystem;

// Loads a track only when its file can be read through the pak layer;
// keeps every request with its outcome.
class FileMusic : public MusicInterface {
public:
    bool LoadMusic(int id, const std::string& name) override
    {
        PakFile* file = GlobalPakInterface().FOpen(std::string_view(name), "rb");
        if (file)
            GlobalPakInterface().FClose(file);
        requests.push_back({id, name, file != nullptr});
        return file != nullptr;
    }
    struct Request {
        int id;
        std::string name;
        bool loaded;
        bool operator==(const Request&) const = default;
    };
    std::vector<Request> requests;
};

class TestGameApp : public GameApp {
public:
    TestGameApp() { soundDisabled = true; }
    bool KeepWorkingDirectory(const std::string&) override { return true; }
    std::unique_ptr<MusicInterface> CreateMusicInterface(void*) override
    {
        auto made = std::make_unique<FileMusic>();
        music = made.get();
        return made;
    }
    // One update frame after the clock moved on. While the loading thread
    // works, real time passes too, so that it gets on.
    void Step(FakeClock& clock, uint32_t ms = 10)
    {
        if (loadingStarted && !loadingFinished)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        clock.Advance(ms);
        DoUpdateFrames();
        ProcessDeferredDeletes();
    }
    FileMusic* music = nullptr;
};

// A copy of the generated data to run in (tests may damage it), with the
// singletons of an earlier run gone.
class GameAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SingletoneBase::DestroyAll();
        fs::copy(QUIB_GAME_DATA, data.Path(), fs::copy_options::recursive);
        cwd = std::make_unique<ScopedWorkingDirectory>(data.Path());
    }
    void TearDown() override
    {
        cwd.reset();
        SingletoneBase::DestroyAll();
    }
    std::string UserFolder() const { return env.temp / "data/Pelleranthe"; }
    static std::string Slurp(const std::string& path) { return TempDir::ReadFile(path); }
    void Replace(const std::string& file, const std::string& from, const std::string& to)
    {
        std::string text = Slurp(data / file);
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        data.WriteFile(file, text);
    }

    HeadlessAppEnvironment env;
    ScopedPak pak; // the archives a run opens go with the test
    TempDir data;
    std::unique_ptr<ScopedWorkingDirectory> cwd;
};

TEST_F(GameAppTest, StartUpReachesTheTitleScreenWithEverythingInPlace)
{
    TestGameApp app;
    app.Initialize();
    ASSERT_TRUE(env.fatalExits.empty()) << (env.sink.boxes.empty() ? "" : env.sink.boxes[0].text);

    // The identity and the first-start values.
    EXPECT_EQ(app.productKey, "Pelleranthe");
    EXPECT_EQ(app.windowTitle, u"Pelleranthe: Harbor of Lanterns");
    EXPECT_EQ(app.appWidth, 1024);
    EXPECT_EQ(app.appHeight, 768);
    EXPECT_DOUBLE_EQ(app.ambientVolume, double(0.3f));

    // The folders and the log.
    EXPECT_EQ(Utf16ToUtf8(UserDataFolder()), UserFolder());
    EXPECT_TRUE(fs::is_directory(UserFolder() + "/profiles"));
    EXPECT_TRUE(fs::is_regular_file(UserFolder() + "/log.html"));

    // The log is the html process log of this run.
    EXPECT_NE(Slurp(UserFolder() + "/log.html").find("<html"), std::string::npos);
    // First start: the settings' windowed mode, the quieter volumes.
    EXPECT_TRUE(app.windowedWanted); // res\game.ini: [Options] FullScreen=0
    EXPECT_DOUBLE_EQ(app.musicVolume, double(0.3f));
    EXPECT_DOUBLE_EQ(app.sfxVolume, double(0.3f));

    // Both resource groups, and every handle bound from them.
    EXPECT_EQ(app.resourceManager->loadedGroups, (std::set<std::string>{"Common", "Game"}));
    for (Font* font : {FONT_BUTTON, FONT_CORBEL, FONT_DEFAULT, FONT_HEAD, FONT_TEXT, FONT_TEXT_BOLD})
        EXPECT_NE(font, nullptr);
    const Image* images[] = {IMAGE_BUTTON_CROSS, IMAGE_BUTTON_SKIP, IMAGE_BUTTON_SKIP_OVER, IMAGE_CURSOR_AIM,
                             IMAGE_CURSOR_AIM_HIT, IMAGE_CURSOR_AIM_MISS, IMAGE_CURSOR_ARROW, IMAGE_CURSOR_ARROW_RED,
                             IMAGE_CURSOR_DOOR, IMAGE_CURSOR_HAND, IMAGE_CURSOR_HAND2, IMAGE_CURSOR_ITEM,
                             IMAGE_CURSOR_MAGNIFIER, IMAGE_DARK_BACK, IMAGE_FIELD_BORDER, IMAGE_HINT,
                             IMAGE_HINT_CIRCLE, IMAGE_HINT_RECH, IMAGE_LINE, IMAGE_LOOP, IMAGE_PARTS};
    for (size_t i = 0; i < std::size(images); ++i)
        EXPECT_NE(images[i], nullptr) << i;
    // The four shared layouts, each with its layers; the tutorial frame waits for its first use.
    GameControllerCommon& controller = GameControllerCommon::Instance();
    for (auto which : {GameControllerCommon::PICTURE_RAMKA, GameControllerCommon::PICTURE_NOTEBOOK,
                       GameControllerCommon::PICTURE_INGAMEMENU, GameControllerCommon::PICTURE_OPTIONS}) {
        ASSERT_NE(controller.GetSharedPicture(which), nullptr) << which;
        EXPECT_FALSE(controller.GetSharedPicture(which)->layers.empty()) << which;
    }
    EXPECT_EQ(controller.GetSharedPicture(GameControllerCommon::PICTURE_RAMKA_TUTORIAL), nullptr);
    // The global particles cover the window.
    ASSERT_NE(cGlobalParticles::Instance(), nullptr);
    EXPECT_EQ(cGlobalParticles::Instance()->manager, app.widgetManager.get());
    EXPECT_EQ(cGlobalParticles::Instance()->width, 1024);
    // The two tracks loaded before the playlists.
    ASSERT_GE(app.music->requests.size(), 2u);
    EXPECT_EQ(app.music->requests[0], (FileMusic::Request{0, "data\\music\\track02ispy.ogg", true}));
    EXPECT_EQ(app.music->requests[1], (FileMusic::Request{1, "data\\music\\track01boevik.ogg", true}));
    ASSERT_NE(app.GetCursorWidget(), nullptr);
    EXPECT_EQ(app.widgetManager->overlayWidget, app.GetCursorWidget());
    EXPECT_EQ(app.CursorKindShown(), CURSOR_ARROW);
    EXPECT_NE(app.GetMusics(), nullptr);

    // The developer profile, current before the first board.
    EXPECT_TRUE(Profiles::Instance().HasProfile(u"Developer"));
    EXPECT_EQ(Profiles::Instance().CurrentName(), u"Developer");

    // The title screen, shown without a transition.
    ASSERT_NE(dynamic_cast<TitleScreen*>(app.CurrentBoard()), nullptr);
    EXPECT_EQ(app.CurrentBoard()->manager, app.widgetManager.get());
    EXPECT_EQ(app.Transformer(), nullptr);
    EXPECT_EQ(app.GetMusics()->CurrentName(), "");
}

TEST_F(GameAppTest, TheTitleLogosLeadToTheMainMenu)
{
    TestGameApp app;
    app.Initialize();
    ASSERT_NE(dynamic_cast<TitleScreen*>(app.CurrentBoard()), nullptr);
    auto* title = static_cast<TitleScreen*>(app.CurrentBoard());
    ASSERT_FALSE(title->logos.empty());

    for (int i = 0; i < 5000 && !dynamic_cast<MainMenu*>(app.CurrentBoard()); ++i)
        app.Step(env.clock, 30);
    ASSERT_NE(dynamic_cast<MainMenu*>(app.CurrentBoard()), nullptr);
    for (int i = 0; i < 200 && app.Transformer(); ++i)
        app.Step(env.clock, 30);
    EXPECT_EQ(app.Transformer(), nullptr);
    EXPECT_EQ(app.GetMusics()->CurrentName(), "menu");
    EXPECT_EQ(app.widgetManager->focusWidget, app.CurrentBoard());
}

TEST_F(GameAppTest, ADamagedProfileAndAMissingTrackStillReachTheTitle)
{
    fs::remove(data / "data/music/track02ispy.ogg");
    const std::string damaged = "[Main]\r\nName=0044006f\r\nCRC=1\r\nLastScene=scene:hold\r\n";
    fs::create_directories(UserFolder() + "/profiles");
    {
        std::ofstream(UserFolder() + "/profiles/profile1.prf", std::ios::binary) << damaged;
        std::ofstream(UserFolder() + "/profiles/notes.txt", std::ios::binary) << "\x01\x02junk";
        std::ofstream(UserFolder() + "/profiles/profile2.prf", std::ios::binary) << std::string(5000, '\xff');
        std::ofstream(UserFolder() + "/profiles/profile3.prf", std::ios::binary) << "";
        fs::create_directories(UserFolder() + "/profiles/profile4.prf");
    }
    // A pipe would block the start for good if it were read.
    ASSERT_EQ(mkfifo((UserFolder() + "/profiles/profile5.prf").c_str(), 0600), 0);

    TestGameApp app;
    app.Initialize();
    EXPECT_TRUE(env.fatalExits.empty());
    ASSERT_NE(dynamic_cast<TitleScreen*>(app.CurrentBoard()), nullptr);
    ASSERT_GE(app.music->requests.size(), 2u);
    EXPECT_FALSE(app.music->requests[0].loaded);
    EXPECT_TRUE(app.music->requests[1].loaded);
    const std::string log = Slurp(UserFolder() + "/log.html");
    EXPECT_NE(log.find("Can't load music data\\music\\track02ispy.ogg"), std::string::npos);

    // The player's damaged file is left as it was.
    EXPECT_EQ(Slurp(UserFolder() + "/profiles/profile1.prf"), damaged);
}

TEST_F(GameAppTest, ProfileDirMovesProfilesAndLog)
{
    Replace("res/game.ini", "ProfileDir=", "ProfileDir=abc");
    TestGameApp app;
    app.Initialize();
    ASSERT_TRUE(env.fatalExits.empty());
    EXPECT_TRUE(fs::is_directory(UserFolder() + "/abc/profiles"));
    EXPECT_TRUE(fs::is_regular_file(UserFolder() + "/abc/log.html"));
    EXPECT_FALSE(fs::exists(UserFolder() + "/log.html"));
}

TEST_F(GameAppTest, TheFirstStartTakesItsScreenModeFromTheSettings)
{
    Replace("res/game.ini", "FullScreen=0", "FullScreen=1");
    TestGameApp app;
    app.Initialize();
    ASSERT_TRUE(env.fatalExits.empty());
    EXPECT_FALSE(app.windowedWanted);
}

TEST_F(GameAppTest, AutoCreatePakBuildsTheArchiveForTheNextStartOnlyWhenItIsMissing)
{
    Replace("res/game.ini", "AutoCreatePak=0", "AutoCreatePak=1");
    {
        TestGameApp app;
        app.Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        EXPECT_TRUE(pak->mEntries.empty()); // this run reads the loose files
    }
    ASSERT_TRUE(fs::is_regular_file(data / "game.dat"));
    const auto built = fs::last_write_time(data / "game.dat");

    SingletoneBase::DestroyAll();
    TestGameApp next;
    next.Initialize();
    ASSERT_TRUE(env.fatalExits.empty());
    EXPECT_FALSE(pak->mEntries.empty()); // the next one opens the archive
    EXPECT_NE(dynamic_cast<TitleScreen*>(next.CurrentBoard()), nullptr);
    EXPECT_EQ(fs::last_write_time(data / "game.dat"), built); // and does not build it again
}

TEST_F(GameAppTest, AManifestWithoutABoundImageEndsTheStart)
{
    Replace("data/properties/resources.xml", "IMAGE_LOOP", "IMAGE_LOOP_GONE");
    TestGameApp app;
    app.Initialize();
    EXPECT_EQ(env.fatalExits, std::vector<int>{0});
    EXPECT_EQ(app.CurrentBoard(), nullptr);
    ASSERT_FALSE(env.sink.boxes.empty());
    EXPECT_NE(env.sink.boxes.back().text.find("IMAGE_LOOP"), std::string::npos);
}

TEST_F(GameAppTest, FullScreenForcedByASmallDesktopKeepsThePlayersChoice)
{
    // The player's choice is stored; the desktop is no larger than the game.
    for (bool fullScreen : {false, true}) {
        SCOPED_TRACE(fullScreen);
        {
            TestGameApp seed;
            seed.RegistryWriteDWord("ScreenMode", fullScreen ? 1 : 0);
        }
        env.windows.screen = {1024, 768, {0, 0, 1024, 740}, 60, 32};
        {
            TestGameApp app;
            app.Initialize();
            ASSERT_TRUE(env.fatalExits.empty());
            EXPECT_TRUE(app.fullScreenForced);
            EXPECT_FALSE(app.windowed);
            // A switch asked for while forced changes nothing stored.
            app.SwitchScreenMode(!fullScreen, false, false);
            app.SaveRegistrySettings();
            int32_t stored = -1;
            ASSERT_TRUE(app.RegistryReadDWord("ScreenMode", stored));
            EXPECT_EQ(stored, fullScreen ? 1 : 0);
        }
        // On a larger desktop the next start follows the choice.
        env.windows.screen = {1920, 1080, {0, 0, 1920, 1050}, 60, 32};
        TestGameApp next;
        next.Initialize();
        EXPECT_FALSE(next.fullScreenForced);
        EXPECT_EQ(bool(next.windowedWanted), !fullScreen);
        EXPECT_EQ(bool(next.windowed), !fullScreen);
    }
}

TEST_F(GameAppTest, AmbientVolumeIsStoredInHundredths)
{
    TestGameApp app;
    app.Initialize();
    app.ambientVolume = 0.456;
    app.SaveRegistrySettings();
    int32_t stored = -1;
    ASSERT_TRUE(app.RegistryReadDWord("AmbientVolume", stored));
    EXPECT_EQ(stored, 45);
    app.ambientVolume = 0.9;
    app.LoadRegistrySettings();
    EXPECT_DOUBLE_EQ(app.ambientVolume, 0.45);
}

TEST_F(GameAppTest, ProgressOfTheCurrentProfileIsLoadedAtStartAndSavedAtExit)
{
    {
        TestGameApp app;
        app.Initialize();
        ASSERT_EQ(Profiles::Instance().CurrentName(), u"Developer");
        PlayerInfo& player = GameControllerCommon::Instance().Player();
        EXPECT_FLOAT_EQ(player.progress, 0.0f);
        player.progress = 0.5f;
        player.gameComplete = true;
    } // the exit saves the progress into the profile's file and frees the shared layouts
    ASSERT_NE(GameControllerCommon::Existing(), nullptr);
    EXPECT_EQ(GameControllerCommon::Existing()->GetSharedPicture(GameControllerCommon::PICTURE_RAMKA), nullptr);
    EXPECT_EQ(GameControllerCommon::Existing()->activeLevel, nullptr);
    const std::string file = UserFolder() + "/profiles/" +
                             Profiles::Instance().Entries().at(u"Developer").fileName;
    EXPECT_NE(Slurp(file).find("Progress=0.5"), std::string::npos) << Slurp(file);

    SingletoneBase::DestroyAll();
    TestGameApp again;
    again.Initialize();
    ASSERT_TRUE(env.fatalExits.empty());
    PlayerInfo& player = GameControllerCommon::Instance().Player();
    EXPECT_FLOAT_EQ(player.progress, 0.5f);
    EXPECT_TRUE(player.gameComplete);
}

TEST_F(GameAppTest, ASecondStartHandsOverToTheRunningCopyAndEnds)
{
    SingleInstance running("Pelleranthe"); // the copy already running
    ASSERT_FALSE(running.AlreadyRunning());
    {
        TestGameApp second;
        second.Initialize();
        EXPECT_EQ(env.fatalExits, std::vector<int>{0});
        EXPECT_TRUE(second.exiting);
        EXPECT_FALSE(second.mainWindow);
        EXPECT_EQ(second.CurrentBoard(), nullptr);
        second.Run(); // returns at once
    }
    // The running copy is asked to come forward; the player's files are untouched.
    EXPECT_EQ(running.TakeNotifications(), 1);
    EXPECT_FALSE(fs::exists(UserFolder() + "/log.html"));
    EXPECT_FALSE(fs::exists(UserFolder() + "/profiles"));
}

TEST_F(GameAppTest, SplitReportsTheDuplicatesAndEndsBeforeTheMainLoop)
{
    // Two pictures alike: the second becomes an alias of the first.
    fs::copy_file(data / "data/gui/loading/bar.png", data / "data/gui/loading/zz_twin.png");
    const char* arguments[] = {"test", "-split"};
    SetProcessArguments(2, arguments);
    TestGameApp app;
    app.Initialize();
    EXPECT_TRUE(app.splitImages);
    EXPECT_TRUE(app.exiting);
    ASSERT_FALSE(env.sink.boxes.empty());
    // The box tells the saving in megabytes and the number of files.
    EXPECT_EQ(env.sink.boxes.back().caption, "app");
    EXPECT_TRUE(std::regex_search(env.sink.boxes.back().text, std::regex(R"(\d+\.\dmb \(\d+ )")))
        << env.sink.boxes.back().text;
    EXPECT_FALSE(fs::exists(data / "data/gui/loading/zz_twin.png"));
    EXPECT_TRUE(fs::exists(data / "data/gui/loading/bar.png"));
    // The rest of the start-up still ran; the loop never does.
    EXPECT_NE(dynamic_cast<TitleScreen*>(app.CurrentBoard()), nullptr);
    const int frames = app.updateCount;
    app.Run();
    EXPECT_EQ(app.updateCount, frames);
}

// What a run shows: the boards it went through and the screen after a
// fixed number of updates.
struct Seen {
    std::vector<std::string> boards;
    int logos = 0;
    std::vector<uint32_t> screen;
    bool operator==(const Seen&) const = default;
};

Seen RunFor(const std::string& folder, int updates)
{
    Seen seen;
    HeadlessAppEnvironment env;
    ScopedPak pak;
    ScopedWorkingDirectory cwd(folder);
    SingletoneBase::DestroyAll();
    ClearDirectoryCache();
    {
        TestGameApp app;
        app.Initialize();
        EXPECT_TRUE(env.fatalExits.empty());
        if (auto* title = dynamic_cast<TitleScreen*>(app.CurrentBoard()))
            seen.logos = int(title->logos.size());
        for (int i = 0; i < updates; ++i) {
            app.Step(env.clock, 20);
            const char* kind = dynamic_cast<TitleScreen*>(app.CurrentBoard()) ? "title"
                               : dynamic_cast<MainMenu*>(app.CurrentBoard()) ? "menu"
                                                                             : "other";
            if (seen.boards.empty() || seen.boards.back() != kind)
                seen.boards.push_back(kind);
        }
        // The current board with its widgets, drawn into a picture.
        MemoryImage picture;
        picture.Resize(app.appWidth, app.appHeight);
        Graphics g(&picture);
        TreeWalkFlags flags;
        app.widgetManager->InitTreeWalkFlags(flags);
        app.CurrentBoard()->DrawTree(flags, g);
        for (int y = 0; y < picture.height; y += 2)
            for (int x = 0; x < picture.width; x += 2)
                seen.screen.push_back(picture.GetPixel(x, y));
    }
    SingletoneBase::DestroyAll();
    return seen;
}

TEST(GameFromArchive, TheGameRunsTheSameFromGameDatAlone)
{
    TempDir loose, packed;
    fs::copy(QUIB_GAME_DATA, loose.Path(), fs::copy_options::recursive);
    {
        ScopedWorkingDirectory cwd(loose.Path());
        ASSERT_TRUE(BuildGameDat());
    }
    // The archive and everything but the data folder.
    for (const fs::directory_entry& e : fs::directory_iterator(loose.Path()))
        if (e.path().filename() != "data" && e.path().filename() != "game.dat")
            fs::copy(e.path(), fs::path(packed.Path()) / e.path().filename(), fs::copy_options::recursive);
    fs::rename(loose / "game.dat", packed / "game.dat");

    const Seen fromFiles = RunFor(loose.Path(), 600);
    const Seen fromArchive = RunFor(packed.Path(), 600);
    EXPECT_EQ(fromFiles.logos, 2);
    EXPECT_EQ(fromFiles.boards, (std::vector<std::string>{"title", "menu"}));
    EXPECT_TRUE(std::any_of(fromFiles.screen.begin(), fromFiles.screen.end(), [](uint32_t p) { return p & 0xffffff; }));
    EXPECT_TRUE(fromArchive == fromFiles);
}

// ---- Board switching

// Records what the application asks of it.
class RecordingBoard : public BaseBoard {
public:
    RecordingBoard(std::string name, bool loading, std::string* log) : BaseBoard(loading), name(std::move(name)), log(log) {}
    ~RecordingBoard() override { Note("deleted"); }
    void Init() override { Note("init"); }
    std::string GetBoardName() override { return name; }
    void OnBecameCurrent() override { Note("current"); }
    int GetImagesToLoad() override { return tasks; }
    void LoadImages() override
    {
        Note("load");
        if (loadMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(loadMs));
        for (int i = 0; i < tasks; ++i)
            if (GameApp* app = GetGameApp())
                app->LoadingTaskDone();
    }
    void OnStart() override { Note("start"); }
    void OnLeft() override { Note("left"); }
    void OnKeyDown(int key) override { Note("key" + std::to_string(key)); }
    void OnMouseDown(int, int, ClickCode) override { Note("click"); }
    void OnAppActivated() override { Note("activated"); }
    void OnAppDeactivated() override { Note("deactivated"); }
    void OnScreenModeChanged(bool windowed) override { Note(windowed ? "windowed" : "fullscreen"); }
    void Note(const std::string& what)
    {
        std::lock_guard lock(mutex);
        *log += name + ":" + what + " ";
    }
    std::string name;
    std::string* log;
    int tasks = 3;
    int loadMs = 0;
    std::mutex mutex;
};

class BoardSwitchTest : public GameAppTest {
protected:
    void SetUp() override
    {
        GameAppTest::SetUp();
        app = std::make_unique<TestGameApp>();
        app->Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        log.clear();
    }
    void TearDown() override
    {
        app.reset();
        GameAppTest::TearDown();
    }
    // Steps until the condition holds (at most a minute of updates).
    template <class F>
    bool StepUntil(F done)
    {
        for (int i = 0; i < 6000; ++i) {
            if (done())
                return true;
            app->Step(env.clock, 10);
        }
        return done();
    }
    std::unique_ptr<TestGameApp> app;
    std::string log;
};

TEST_F(BoardSwitchTest, ABoardWithoutLoadingComesThroughATransition)
{
    auto* board = new RecordingBoard("Menu", false, &log);
    app->SwitchToBoard(board);
    EXPECT_EQ(log, "Menu:init Menu:load Menu:start ");
    EXPECT_EQ(app->NextBoard(), board);
    ASSERT_NE(app->Transformer(), nullptr);
    EXPECT_FALSE(board->visible); // the transition draws it

    ASSERT_TRUE(StepUntil([&] { return app->Transformer() == nullptr; }));
    EXPECT_EQ(app->CurrentBoard(), board);
    EXPECT_TRUE(board->visible);
    EXPECT_EQ(log, "Menu:init Menu:load Menu:start Menu:current ");
    EXPECT_EQ(app->GetMusics()->CurrentName(), "menu");
    EXPECT_EQ(app->widgetManager->focusWidget, board);
}

TEST_F(BoardSwitchTest, ABoardThatLoadsShowsTheLoadingScreenForTwoSeconds)
{
    auto* board = new RecordingBoard("Game", true, &log);
    app->SwitchToBoard(board);
    EXPECT_EQ(log, "Game:init ");
    ASSERT_TRUE(StepUntil([&] { return app->GetLoadingScreen() != nullptr; }));
    const uint32_t shown = env.clock.Milliseconds();
    EXPECT_EQ(board->manager, nullptr);
    EXPECT_EQ(app->LoadingTasksTotal(), 3);

    ASSERT_TRUE(StepUntil([&] { return app->GetLoadingScreen() == nullptr; }));
    EXPECT_GE(env.clock.Milliseconds() - shown, 2000u);
    EXPECT_EQ(app->LoadingTasksDone(), 3);
    EXPECT_EQ(log, "Game:init Game:load Game:start Game:current ");
    EXPECT_EQ(board->manager, app->widgetManager.get());
    EXPECT_EQ(app->widgetManager->focusWidget, board);
}

TEST_F(BoardSwitchTest, NoInputReachesTheBoardsDuringATransition)
{
    auto* first = new RecordingBoard("Menu", false, &log);
    app->SwitchToBoard(first);
    ASSERT_TRUE(StepUntil([&] { return app->Transformer() == nullptr; }));
    auto* second = new RecordingBoard("Game", false, &log);
    app->SwitchToBoard(second);
    ASSERT_NE(app->Transformer(), nullptr);
    log.clear();
    app->widgetManager->HandleMouseMove(500, 400);
    app->widgetManager->HandleMouseDown(500, 400, CLICK_LEFT);
    app->widgetManager->HandleMouseUp(500, 400, CLICK_LEFT);
    app->widgetManager->HandleKeyDown(32);
    EXPECT_EQ(log, "");

    // Afterwards the new board has the input.
    ASSERT_TRUE(StepUntil([&] { return app->Transformer() == nullptr; }));
    log.clear();
    app->widgetManager->HandleKeyDown(32);
    app->widgetManager->HandleMouseDown(500, 400, CLICK_LEFT);
    EXPECT_EQ(log, "Game:key32 Game:click ");
}

TEST_F(BoardSwitchTest, ASecondSwitchDuringATransitionWaitsForIt)
{
    auto* first = new RecordingBoard("Menu", false, &log);
    auto* second = new RecordingBoard("Game", false, &log);
    app->SwitchToBoard(first);
    ASSERT_NE(app->Transformer(), nullptr);
    app->SwitchToBoard(second);
    EXPECT_EQ(app->NextBoard(), first); // the running transition keeps its boards
    ASSERT_TRUE(StepUntil([&] { return app->CurrentBoard() == second && app->Transformer() == nullptr; }));
    EXPECT_EQ(log, "Menu:init Menu:load Menu:start Menu:current Game:init Game:load Game:start Menu:left "
                   "Game:current Menu:deleted ");
}

TEST_F(BoardSwitchTest, ASwitchWhileABoardLoadsWaitsForTheLoading)
{
    auto* loading = new RecordingBoard("Game", true, &log);
    auto* after = new RecordingBoard("Menu", false, &log);
    app->SwitchToBoard(loading);
    ASSERT_TRUE(StepUntil([&] { return app->GetLoadingScreen() != nullptr; }));
    app->SwitchToBoard(after);
    const bool reached = StepUntil([&] { return app->CurrentBoard() == after && app->Transformer() == nullptr; });
    ASSERT_TRUE(reached) << log;
    EXPECT_NE(log.find("Game:load Game:start Game:current Menu:init"), std::string::npos) << log;
}

TEST(LoadingScreenLamps, GrowWithTheFinishedTasks)
{
    const struct {
        int done, total, lamps;
    } cases[] = {
        {0, 10, 0},  // nothing before the first task
        {1, 10, 3},  {5, 10, 18}, {10, 10, 37},
        {12, 10, 37}, // never beyond the row
        {3, 0, 0},    // no tasks counted
        {-1, 10, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoadingScreen::LampsFor(c.done, c.total), c.lamps) << c.done << "/" << c.total;
}

// ---- Cursors

TEST_F(BoardSwitchTest, CursorKindsSetTheSystemPictureAndTheWidget)
{
    CursorWidget* widget = app->GetCursorWidget();
    struct Case {
        int kind;
        Image* system;
        Image* picture;
        bool pulse;
    };
    const Case cases[] = {
        {CURSOR_NONE, app->blankCursorImage, nullptr, false},
        {CURSOR_ARROW, IMAGE_CURSOR_ARROW, nullptr, false},
        {CURSOR_ARROW_RED, IMAGE_CURSOR_ARROW_RED, nullptr, false},
        {CURSOR_DOOR, app->blankCursorImage, IMAGE_CURSOR_DOOR, true},
        {CURSOR_HAND, app->blankCursorImage, IMAGE_CURSOR_HAND, false},
        {CURSOR_MAGNIFIER, app->blankCursorImage, IMAGE_CURSOR_MAGNIFIER, true},
        {CURSOR_AIM, IMAGE_CURSOR_AIM, nullptr, false},
        {CURSOR_AIM_HIT, IMAGE_CURSOR_AIM_HIT, nullptr, false},
        {CURSOR_AIM_MISS, IMAGE_CURSOR_AIM_MISS, nullptr, false},
        {42, nullptr, nullptr, false},
    };
    for (const Case& c : cases) {
        app->SetCursorType(c.kind);
        for (int slot = 0; slot < 4; ++slot)
            EXPECT_EQ(app->customCursorImages[slot], c.system) << c.kind;
        EXPECT_EQ(app->GetCursorNum(), 0);
        EXPECT_EQ(widget->image, c.picture) << c.kind;
        EXPECT_EQ(widget->pulse, c.pulse) << c.kind;
        EXPECT_FLOAT_EQ(widget->largestScale, c.kind == CURSOR_HAND ? 0.0f : 0.9f) << c.kind;
    }
}

TEST_F(BoardSwitchTest, ALockedCursorShowsTheClosedHandAndTakesTheLastKindOnUnlock)
{
    CursorWidget* widget = app->GetCursorWidget();
    app->SetCursorType(CURSOR_HAND);
    app->LockCursor();
    EXPECT_TRUE(widget->useSecond);
    EXPECT_EQ(widget->secondImage, IMAGE_CURSOR_HAND2);
    app->SetCursorType(CURSOR_MAGNIFIER);
    EXPECT_EQ(app->CursorKindShown(), CURSOR_HAND);
    EXPECT_TRUE(widget->useSecond);
    app->UnlockCursor();
    EXPECT_EQ(app->CursorKindShown(), CURSOR_MAGNIFIER);
    EXPECT_FALSE(widget->useSecond);
    EXPECT_EQ(widget->image, IMAGE_CURSOR_MAGNIFIER);
    app->UnlockCursor(); // not locked: nothing
    EXPECT_EQ(app->CursorKindShown(), CURSOR_MAGNIFIER);
}

TEST_F(BoardSwitchTest, SwitchingToWindowedIsKeptInTheCurrentProfile)
{
    app->SwitchScreenMode(true, false, false);
    EXPECT_EQ(Profiles::Instance().GetString("Options", "FullScreen"), "0");
    app->SwitchScreenMode(false, false, false);
    EXPECT_EQ(Profiles::Instance().GetString("Options", "FullScreen"), "1");
}

TEST_F(GameAppTest, TheApplicationGoesInAnyStateOfASwitchAndEveryBoardGoesOnce)
{
    enum class State { Transition, TransitionAndQueued, Loading, LoadingAndQueued };
    // What each board was given, up to its deletion.
    const struct {
        State state;
        const char* expected;
    } cases[] = {
        {State::Transition, "Menu:init Menu:load Menu:start Menu:left Menu:deleted "},
        {State::TransitionAndQueued, "Menu:init Menu:load Menu:start Menu:left Menu:deleted Game:deleted "},
        {State::Loading, "Game:init Game:load Game:left Game:deleted "},
        {State::LoadingAndQueued, "Game:init Game:load Game:left Game:deleted Menu:deleted "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        std::string log;
        {
            TestGameApp app;
            app.Initialize();
            ASSERT_TRUE(env.fatalExits.empty());
            const bool loading = c.state == State::Loading || c.state == State::LoadingAndQueued;
            auto* first = new RecordingBoard(loading ? "Game" : "Menu", loading, &log);
            first->loadMs = 300; // still loading when the application goes
            app.SwitchToBoard(first);
            if (loading) {
                for (int i = 0; i < 500 && !app.GetLoadingScreen(); ++i)
                    app.Step(env.clock, 10);
                ASSERT_NE(app.GetLoadingScreen(), nullptr);
            } else {
                ASSERT_NE(app.Transformer(), nullptr);
            }
            if (c.state == State::TransitionAndQueued)
                app.SwitchToBoard(new RecordingBoard("Game", false, &log));
            if (c.state == State::LoadingAndQueued)
                app.SwitchToBoard(new RecordingBoard("Menu", false, &log));
        }
        EXPECT_EQ(log, c.expected);
        SingletoneBase::DestroyAll();
    }
}

TEST_F(BoardSwitchTest, FocusTakesTheCustomCursorsAwayAndBackAndTellsTheBoard)
{
    auto* board = new RecordingBoard("Menu", false, &log);
    app->SwitchToBoard(board);
    ASSERT_TRUE(StepUntil([&] { return app->Transformer() == nullptr; }));
    log.clear();

    app->OnLostFocus();
    EXPECT_FALSE(app->customCursors);
    // Saved meanwhile: the player's own choice, not the inactive state.
    app->SaveRegistrySettings();
    int32_t stored = -1;
    ASSERT_TRUE(app->RegistryReadDWord("CustomCursors", stored));
    EXPECT_EQ(stored, 1);
    EXPECT_FALSE(app->customCursors);
    app->OnGotFocus();
    EXPECT_TRUE(app->customCursors);
    EXPECT_EQ(log, "Menu:deactivated Menu:activated ");

    // The player turns them off: focus coming back keeps them off.
    app->EnableCustomCursors(false);
    app->OnLostFocus();
    app->OnGotFocus();
    EXPECT_FALSE(app->customCursors);
    app->SaveRegistrySettings();
    ASSERT_TRUE(app->RegistryReadDWord("CustomCursors", stored));
    EXPECT_EQ(stored, 0);
}

// Records the screen mode it is told of.
class ModeDialog : public Dialog {
public:
    explicit ModeDialog(std::string* log) : Dialog(7, false, u"", u"", u"", 0), log(log) {}
    void OnScreenModeChanged(bool windowed) override { *log += windowed ? "dialog:windowed " : "dialog:fullscreen "; }
    std::string* log;
};

TEST_F(BoardSwitchTest, AScreenModeSwitchReachesDialogsCursorAndBoard)
{
    auto* board = new RecordingBoard("Menu", false, &log);
    app->SwitchToBoard(board);
    ASSERT_TRUE(StepUntil([&] { return app->Transformer() == nullptr; }));
    app->ShowDialog(7, new ModeDialog(&log));
    app->SetCursorType(CURSOR_MAGNIFIER);
    log.clear();

    app->SwitchScreenMode(true, false, true);
    EXPECT_EQ(log, "dialog:windowed Menu:windowed ");
    EXPECT_EQ(app->CursorKindShown(), CURSOR_MAGNIFIER);
    EXPECT_EQ(app->customCursorImages[0], app->blankCursorImage);
    EXPECT_EQ(app->GetCursorWidget()->image, IMAGE_CURSOR_MAGNIFIER);
    app->CloseDialog(7, true, true);
}

TEST_F(BoardSwitchTest, WithoutACurrentProfileAScreenModeSwitchWritesNoProfile)
{
    Profiles& profiles = Profiles::Instance();
    ASSERT_TRUE(profiles.RemoveCachedFile(u"Developer"));
    ASSERT_EQ(profiles.CurrentName(), u"");
    app->SwitchScreenMode(true, false, false);
    EXPECT_TRUE(profiles.HasNoProfiles());
    EXPECT_TRUE(fs::is_empty(UserFolder() + "/profiles"));
}

// A board made by name, as the options screen's way back makes one.
class NamedBoard : public BaseBoard {
public:
    explicit NamedBoard(std::string name) : BaseBoard(false), name(std::move(name)) {}
    std::string GetBoardName() override { return "Game"; }
    std::string name;
};

TEST_F(BoardSwitchTest, TheOptionsWayBackMakesTheNamedBoardAndSwitchesToIt)
{
    std::unique_ptr<OptionsFunc> back = std::make_unique<OptionsBoardFunc<NamedBoard>>("Hall");
    back->MakeBoard();
    auto* made = dynamic_cast<NamedBoard*>(app->NextBoard());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->name, "Hall");
    ASSERT_TRUE(StepUntil([&] { return app->CurrentBoard() == made && !app->Transformer(); }));
}

} // namespace
} // namespace Quib
