// The game's memory over repeated visits, in a program of its own so that
// the process's figures are the game's: the application headless on the
// generated data, 3-D off, visits every scene (each close-up opened over
// it), every hidden-object level and every movie, drawing each frame,
// eleven times. The first round fills what the game keeps (scenes, shared
// pictures, fonts); the ten after it must not add to the heap beyond a
// small slack, and the peak resident memory stays under 512 MB.
//
// The figures go to stdout (and, with QUIB_MEMORY_REPORT set, to that
// file): peak resident memory, the heap in use and the resident memory
// after each round, and the heap's growth by kind of visit.
// QUIB_MEMORY_ROUNDS sets the number of repeated rounds, QUIB_MEMORY_FRAMES
// the frames per visit, QUIB_MEMORY_3D=1 takes the 3-D path (its software
// device is far slower).
#include "framework/app/DDInterface.h"
#include "framework/files/Singletone.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/MessageSink.h"
#include "src/GameApp.h"
#include "src/GameSettings.h"
#include "src/game/ispy/ISpy.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstTutorDialog.h"
#include "src/screens/GameBoard.h"
#include "src/screens/MainMenu.h"
#include "src/screens/Movie.h"
#include "src/screens/ScreenBoardHooks.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/GameFlowApp.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace Quib::MemoryTests {
namespace {

using namespace Testing;
namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr double kMiB = 1024.0 * 1024.0;

// A value of /proc/self/status in bytes ("VmRSS", "VmHWM"); 0 when absent.
double StatusBytes(const std::string& key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, key.size() + 1, key + ":") == 0) {
            std::istringstream fields(line.substr(key.size() + 1));
            double kb = 0;
            fields >> kb;
            return kb * 1024.0;
        }
    return 0;
}

// The bytes the program holds on the heap (every arena, small blocks and
// mapped ones); free memory kept by the allocator does not count.
double HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks) + double(info.hblkhd);
}

// Log lines are counted, and the last few kept for a failure's message: a
// sink that kept them all would grow with the run.
class CountingSink : public MessageSink {
public:
    CountingSink() { SetMessageSink(this); }
    ~CountingSink() override { SetMessageSink(nullptr); }
    void DebugOutput(std::string_view text) override
    {
        ++lines;
        recent.emplace_back(text);
        if (recent.size() > 40)
            recent.erase(recent.begin());
    }
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned style) override
    {
        boxes.push_back(std::string(caption) + ": " + std::string(text));
        if (boxes.size() > 40)
            boxes.erase(boxes.begin());
        return DefaultAnswer(style);
    }
    std::string Recent() const
    {
        std::string all;
        for (const std::string& line : recent)
            all += line + "\n";
        return all;
    }
    long lines = 0;
    std::vector<std::string> recent;
    std::vector<std::string> boxes;
};

// What the generated data holds to visit.
struct Places {
    std::vector<std::string> scenes;
    std::vector<std::string> levels;
    std::vector<std::string> movies;
};

std::vector<std::string> NamesIn(const fs::path& folder, bool folders, const std::string& extension = "")
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (folders ? entry.is_directory() : entry.path().extension() == extension)
            names.push_back(folders ? entry.path().filename().string() : entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class BoardVisits : public ::testing::Test {
protected:
    void SetUp() override
    {
        SingletoneBase::DestroyAll();
        fs::copy(QUIB_GAME_DATA, data.Path(), fs::copy_options::recursive);
        cwd = std::make_unique<ScopedWorkingDirectory>(data.Path());
        app = std::make_unique<GameFlowApp>();
        // The software path unless asked for the 3-D one (whose software
        // device draws far slower).
        const char* want3D = std::getenv("QUIB_MEMORY_3D");
        if (!(want3D && *want3D == '1'))
            app->RegistryWriteDWord("Is3D", 0);
        app->Initialize();
        ASSERT_TRUE(env.fatalExits.empty()) << sink.Recent();
        ASSERT_NE(app->display, nullptr);
        app->active = true;
        app->OnGotFocus();
        app->widgetManager->OnAppFocusGained();
        app->waitForVSync = false;

        QstGameControllerScene::Instance().CollectAllSceneNames(places.scenes);
        places.levels = NamesIn(data.Path() + "/data/hog", true);
        places.movies = NamesIn(data.Path() + "/res/movies", false, ".dat");
    }
    void TearDown() override
    {
        ShutDownGame(app, cwd, [&] { Settled<MainMenu>(); });
    }

    // One frame as the main loop makes it: an update and the screen drawn;
    // every eighth frame presented too (the headless presenter's copy is
    // slow, and it holds one screen whatever the count).
    void Frame(bool draw = true)
    {
        env.clock.Advance(10);
        app->DoUpdateFrames();
        app->ProcessDeferredDeletes();
        if (++frames % 8 == 0) {
            app->forceDraw = true;
            app->DrawDirtyStuff();
        } else if (draw) {
            app->widgetManager->DrawScreen();
        }
    }
    void Frames(int count)
    {
        for (int i = 0; i < count; ++i)
            Frame();
    }
    template <class Board>
    Board* Settled()
    {
        for (int i = 0; i < 4000; ++i) {
            if (dynamic_cast<Board*>(app->CurrentBoard()) && !app->Transformer() && !app->GetLoadingScreen())
                break;
            if (app->GetLoadingScreen())
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            Frame(i % 4 == 0); // transitions and loading screens: fewer draws
        }
        return dynamic_cast<Board*>(app->CurrentBoard());
    }

    // Every scene with each of its close-ups opened and closed.
    void VisitScenes()
    {
        for (const std::string& name : places.scenes) {
            app->SwitchToBoard(new GameBoard(name));
            GameBoard* board = Settled<GameBoard>();
            ASSERT_NE(board, nullptr) << "scene " << name << "\n" << sink.Recent();
            ASSERT_NE(board->scene, nullptr) << name;
            Frames(framesPerVisit);
            std::vector<std::string> closeUps;
            for (const auto& [fieldName, field] : board->scene->fields)
                if (fieldName != "main" && fieldName != "pool")
                    closeUps.push_back(fieldName);
            for (const std::string& fieldName : closeUps) {
                if (!board->scene->AddPopupField(fieldName, true))
                    continue;
                Frames(framesPerVisit);
                DismissTutorDialogs(board->scene);
                board->scene->CloseTopPopupField();
                Frames(framesPerVisit);
            }
        }
    }
    // A puzzle's close-up opens with its tutorial box over a dark backdrop;
    // the player clicks the backdrop to go on.
    void DismissTutorDialogs(QstScene* scene)
    {
        const auto shown = [scene] {
            return std::any_of(scene->children.begin(), scene->children.end(),
                               [](Widget* child) { return dynamic_cast<QstTutorDialog*>(child) != nullptr; });
        };
        if (!shown())
            return;
        // The backdrop takes the click once it has faded in.
        WidgetManager& wm = *app->widgetManager;
        for (int i = 0; i < 400 && shown(); ++i) {
            if (i % 50 == 49) {
                wm.HandleMouseMove(2, 2);
                wm.HandleMouseDown(2, 2, CLICK_LEFT);
                wm.HandleMouseUp(2, 2, CLICK_LEFT);
            }
            Frame();
        }
        EXPECT_FALSE(shown()) << "a tutorial box over " << scene->GetSceneName() << " did not close";
    }
    void VisitLevels()
    {
        for (const std::string& level : places.levels) {
            SBackFromHOGData back;
            back.sceneName = places.scenes.empty() ? std::string() : places.scenes.front();
            EnterHogLevel(level, back);
            ASSERT_NE(Settled<ISpy>(), nullptr) << "level " << level << "\n" << sink.Recent();
            Frames(framesPerVisit);
        }
    }
    void VisitMovies()
    {
        for (const std::string& movie : places.movies) {
            SMovieReturnData back;
            back.sceneName = places.scenes.empty() ? std::string() : places.scenes.front();
            back.nextScene = back.sceneName;
            StartMovieBoard(movie, back);
            ASSERT_NE(Settled<Movie>(), nullptr) << "movie " << movie << "\n" << sink.Recent();
            Frames(3 * framesPerVisit);
        }
    }
    // One round: the scenes, the levels and the movies, each followed by
    // the main menu, where the heap is measured: its change over each part
    // is added to that part's growth.
    void Round(bool counted)
    {
        const std::pair<const char*, void (BoardVisits::*)()> parts[] = {
            {"scenes", &BoardVisits::VisitScenes},
            {"hidden-object levels", &BoardVisits::VisitLevels},
            {"movies", &BoardVisits::VisitMovies},
        };
        for (const auto& [name, visit] : parts) {
            ASSERT_NO_FATAL_FAILURE((this->*visit)());
            ASSERT_NO_FATAL_FAILURE(VisitMenu());
            const double now = Measure().heap;
            if (counted)
                growthByPart[name] += now - lastMenuHeap;
            lastMenuHeap = now;
        }
    }
    void VisitMenu()
    {
        app->SwitchToBoard(new MainMenu());
        ASSERT_NE(Settled<MainMenu>(), nullptr);
        Frames(framesPerVisit);
    }

    struct Sample {
        double heap;
        double resident;
    };
    static Sample Measure()
    {
        malloc_trim(0);
        return {HeapInUse(), StatusBytes("VmRSS")};
    }

    HeadlessAppEnvironment env;
    CountingSink sink; // after env: it replaces the environment's sink
    TempDir data;
    std::unique_ptr<ScopedWorkingDirectory> cwd;
    std::unique_ptr<GameFlowApp> app;
    Places places;
    long frames = 0;
    int framesPerVisit = 10;
    std::map<std::string, double> growthByPart;
    double lastMenuHeap = 0;
};

TEST_F(BoardVisits, TenRepeatedVisitsAddNothingAndThePeakStaysUnder512MB)
{
    if (kSanitized)
        GTEST_SKIP() << "the sanitizers' own memory makes the figures meaningless (and the run ten times longer)";
    ASSERT_FALSE(places.scenes.empty());
    ASSERT_FALSE(places.levels.empty());
    ASSERT_FALSE(places.movies.empty());
    const char* roundsText = std::getenv("QUIB_MEMORY_ROUNDS");
    const int rounds = roundsText && std::atoi(roundsText) > 0 ? std::atoi(roundsText) : 10;
    if (const char* framesText = std::getenv("QUIB_MEMORY_FRAMES"); framesText && std::atoi(framesText) > 0)
        framesPerVisit = std::atoi(framesText);

    const Sample start = Measure();
    const auto began = std::chrono::steady_clock::now();
    ASSERT_NO_FATAL_FAILURE(Round(false)); // the first visit fills what the game keeps
    std::vector<Sample> samples{Measure()};
    for (int i = 0; i < rounds; ++i) {
        ASSERT_NO_FATAL_FAILURE(Round(true));
        samples.push_back(Measure());
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const double peak = StatusBytes("VmHWM");

    std::ostringstream report;
    report.setf(std::ios::fixed);
    report.precision(1);
    report << "places: " << places.scenes.size() << " scenes, " << places.levels.size() << " hidden-object levels, "
           << places.movies.size() << " movies; " << rounds + 1 << " rounds, " << frames << " frames in "
           << seconds << " s\n";
    report << "start: heap " << start.heap / kMiB << " MiB, resident " << start.resident / kMiB << " MiB\n";
    for (size_t i = 0; i < samples.size(); ++i)
        report << "after round " << i + 1 << ": heap " << samples[i].heap / kMiB << " MiB, resident "
               << samples[i].resident / kMiB << " MiB\n";
    const double growth = samples.back().heap - samples.front().heap;
    report << "heap growth over the repeated rounds: " << growth / kMiB << " MiB (";
    for (const auto& [part, bytes] : growthByPart)
        report << (part == growthByPart.begin()->first ? "" : ", ") << part << " " << bytes / kMiB << " MiB";
    report << ")\n";
    report << "peak resident: " << peak / kMiB << " MiB\n";
    std::cout << report.str();
    if (const char* file = std::getenv("QUIB_MEMORY_REPORT"); file && *file)
        std::ofstream(file) << report.str();

    EXPECT_LT(peak, 512 * kMiB);
    // Bounded caches are full after the first round: later rounds may move
    // a little (allocator rounding, a log line's buffer) but not by a
    // picture's worth per round.
    EXPECT_LT(growth, 2 * kMiB) << report.str();
    // And no steady climb: the last half of the rounds adds no more than
    // the slack either.
    const size_t half = samples.size() / 2;
    EXPECT_LT(samples.back().heap - samples[half].heap, 1 * kMiB) << report.str();
}

} // namespace
} // namespace Quib::MemoryTests
