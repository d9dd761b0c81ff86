// The frame time of each kind of board of the game at 1024 x 768 in the
// software path: the main menu, the harbour with its chest close-up open,
// a hidden-object level and a movie playing. The game application runs on
// the generated data in a window of SDL's offscreen driver (no display
// needed), 3-D off, without sound. One iteration is one update of the
// widget tree, the screen drawn and the frame presented (the software
// cursor put on, the frame handed to SDL's renderer). Each board's time is
// printed as a ratio to five full-frame memcpys, as bench_display_frame
// does, and once more by processor time (the "_cpu" ratios, which other
// load on the machine does not lengthen); its split into update, draw and
// present goes into counters (processor ms of the main thread).
//
// The quest scene alone, on a scene made for the purpose, is measured by
// bench_quest_scene_frame; here the scene is the whole board of the game
// with its interface.

#include "framework/app/DDInterface.h"
#include "framework/files/Singletone.h"
#include "framework/widgets/FlashWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/CommandLine.h"
#include "platform/MessageSink.h"
#include "platform/sdl/SdlWindowSystem.h"
#include "src/GameApp.h"
#include "src/Profiles.h"
#include "src/game/ispy/ISpy.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstScene.h"
#include "src/screens/GameBoard.h"
#include "src/screens/MainMenu.h"
#include "src/screens/Movie.h"
#include "src/screens/ScreenBoardHooks.h"
#include "bench/FrameCopies.h"
#include "bench/RecordingReporter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <typeinfo>
#include <vector>
#include <unistd.h>

using namespace Quib;

namespace {

constexpr int kW = 1024, kH = 768;

std::string gHome; // the scratch home of the run: settings, profiles, log

// Keeps the game's log lines and boxes off the benchmark's output; counts
// the lines so that a run that went wrong can say so.
class QuietSink : public MessageSink {
public:
    void DebugOutput(std::string_view text) override
    {
        ++lines;
        last = text;
    }
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned style) override
    {
        std::fprintf(stderr, "message box \"%.*s\": %.*s\n", int(caption.size()), caption.data(), int(text.size()),
                     text.data());
        return DefaultAnswer(style);
    }
    long lines = 0;
    std::string last;
};

class BenchApp : public GameApp {
public:
    BenchApp() { soundDisabled = true; }
    bool KeepWorkingDirectory(const std::string&) override { return true; }
};

// The calling thread's processor time in ms: unlike the wall clock, not
// lengthened when other programs take the processor.
double ThreadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

// The game application on the generated data, in its own window, until the
// object goes.
class GameRun {
public:
    GameRun()
    {
        app = std::make_unique<BenchApp>();
        // The software path: no capability test, 3-D off.
        app->RegistryWriteDWord("Is3D", 0);
        app->Initialize();
        app->waitForVSync = false;
        app->active = true; // the window has the focus: the boards do not pause
        app->OnGotFocus();
        app->widgetManager->OnAppFocusGained();
        ok = app->display && !app->display->is3D && app->display->screenImage;
        // Past the logos to the main menu; every board is entered from there.
        app->SwitchToBoard(new MainMenu());
        ok = ok && Settle<MainMenu>();
        if (!ok)
            std::fprintf(stderr, "board_frames: the start ended on %s (display %s, 3-D %d, transition %d, loading %d)\n",
                         app->CurrentBoard() ? typeid(*app->CurrentBoard()).name() : "no board",
                         app->display ? "made" : "missing", app->display ? int(app->display->is3D) : -1,
                         app->Transformer() != nullptr, app->GetLoadingScreen() != nullptr);
    }
    ~GameRun()
    {
        // A board showing a scene goes before the scenes do.
        if (app && app->CurrentBoard() && !dynamic_cast<MainMenu*>(app->CurrentBoard())) {
            app->SwitchToBoard(new MainMenu());
            Settle<MainMenu>();
        }
        QstGameControllerScene::Instance().ClearLevels();
        app.reset();
    }

    // One update and the deferred deletes.
    void Update()
    {
        app->DoUpdateFrames();
        app->ProcessDeferredDeletes();
    }
    // One frame: update, draw, present; the parts' times added up.
    void Frame()
    {
        const double t0 = ThreadMs();
        Update();
        const double t1 = ThreadMs();
        app->widgetManager->DrawScreen();
        const double t2 = ThreadMs();
        app->Redraw(nullptr);
        const double t3 = ThreadMs();
        updateMs += t1 - t0;
        drawMs += t2 - t1;
        presentMs += t3 - t2;
        ++frames;
    }
    bool StepUntil(const std::function<bool()>& done, int limit = 3000)
    {
        for (int i = 0; i < limit; ++i) {
            if (done())
                return true;
            Update();
            // The boards' time is the real time between updates (and a
            // loading thread works meanwhile).
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done();
    }
    // The board once it is current, loaded and its transition done.
    template <class Board>
    Board* Settle()
    {
        StepUntil([&] {
            return dynamic_cast<Board*>(app->CurrentBoard()) && !app->Transformer() && !app->GetLoadingScreen();
        });
        return dynamic_cast<Board*>(app->CurrentBoard());
    }
    void ResetTimes()
    {
        updateMs = drawMs = presentMs = 0;
        frames = 0;
    }

    std::unique_ptr<BenchApp> app;
    bool ok = false;
    double updateMs = 0, drawMs = 0, presentMs = 0;
    long frames = 0;
};

// Runs the frames of a board made ready by `enter`; `keep` is called between
// iterations (its time not counted) and may start the board's content anew.
// The reporter that also keeps each run's processor time (the medians of
// repeated runs).
class CpuRecordingReporter : public RecordingReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            cpuTimes[run.benchmark_name()] = run.GetAdjustedCPUTime();
        RecordingReporter::ReportRuns(runs);
    }
    double CpuTime(const std::string& benchmark) const
    {
        for (const auto& [key, time] : cpuTimes)
            if (key.compare(0, benchmark.size() + 1, benchmark + "/") == 0 && key.size() > 7 &&
                key.compare(key.size() - 7, 7, "_median") == 0)
                return time;
        return 0.0;
    }
    std::map<std::string, double> cpuTimes;
};

GameRun* gRun = nullptr; // the one application of the program
QuietSink* gSink = nullptr;

void BoardBench(benchmark::State& state, const std::function<bool(GameRun&)>& enter,
                const std::function<bool(GameRun&, long)>& keep = nullptr)
{
    GameRun& run = *gRun;
    if (!run.ok) {
        state.SkipWithError("the application did not reach the main menu in the software path");
        return;
    }
    if (!enter(run)) {
        const std::string error = "the board did not become current; last log line: " + gSink->last;
        state.SkipWithError(error.c_str());
        return;
    }
    BaseBoard* board = run.app->CurrentBoard();
    for (int i = 0; i < 60; ++i)
        run.Frame(); // its animations going, its pictures touched once
    run.ResetTimes();
    long n = 0;
    for (auto _ : state) {
        run.Frame();
        benchmark::ClobberMemory();
        ++n;
        if (keep) {
            state.PauseTiming();
            const bool going = keep(run, n);
            state.ResumeTiming();
            if (!going) {
                state.SkipWithError("the board did not stay");
                break;
            }
        }
        if (run.app->CurrentBoard() != board) {
            state.SkipWithError("the board changed while measured");
            break;
        }
    }
    if (run.frames > 0) {
        state.counters["update_ms"] = run.updateMs / double(run.frames);
        state.counters["draw_ms"] = run.drawMs / double(run.frames);
        state.counters["present_ms"] = run.presentMs / double(run.frames);
    }
}

void BM_MainMenuFrame(benchmark::State& state)
{
    BoardBench(state, [](GameRun& run) {
        run.app->SwitchToBoard(new MainMenu());
        return run.Settle<MainMenu>() != nullptr;
    });
}

void BM_SceneCloseUpFrame(benchmark::State& state)
{
    BoardBench(state, [](GameRun& run) {
        run.app->SwitchToBoard(new GameBoard("harbour"));
        GameBoard* board = run.Settle<GameBoard>();
        if (!board || !board->scene)
            return false;
        return board->scene->AddPopupField("chest", true) != nullptr;
    });
}

void BM_HiddenObjectFrame(benchmark::State& state)
{
    BoardBench(state, [](GameRun& run) {
        SBackFromHOGData back;
        back.sceneName = "harbour";
        EnterHogLevel("market", back);
        return run.Settle<ISpy>() != nullptr;
    });
}

void BM_MovieFrame(benchmark::State& state)
{
    BoardBench(
        state,
        [](GameRun& run) {
            SMovieReturnData back;
            back.sceneName = "harbour";
            back.nextScene = "harbour";
            StartMovieBoard("intro", back);
            return run.Settle<Movie>() != nullptr;
        },
        [](GameRun& run, long n) {
            // Started again well before its end, which would leave the board.
            if (n % 600 != 0)
                return true;
            auto* movie = dynamic_cast<Movie*>(run.app->CurrentBoard());
            return movie && movie->flash && movie->flash->StartAnimation(movie->moviePath);
        });
}

// Five full-frame copies of the back buffer.
void BM_FiveFrameCopies(benchmark::State& state)
{
    RunFiveFrameCopies(state, kW, kH);
}

BENCHMARK(BM_MainMenuFrame)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2)->Repetitions(3);
BENCHMARK(BM_SceneCloseUpFrame)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2)->Repetitions(3);
BENCHMARK(BM_HiddenObjectFrame)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2)->Repetitions(3);
BENCHMARK(BM_MovieFrame)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2)->Repetitions(3);
BENCHMARK(BM_FiveFrameCopies)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.3)->Repetitions(3);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // No display needed: SDL's offscreen window and its software renderer,
    // unless the caller chose others. Without a GPU, SDL would put the
    // window's own surface on an OpenGL renderer of Mesa's software
    // rasterizer, which costs more than the frame itself: as in the tests,
    // it stays a plain surface.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
    const char* data = std::getenv("QUIB_GAME_DATA");
    const std::string dataFolder = data && *data ? data : QUIB_GAME_DATA;
    if (!std::filesystem::exists(std::filesystem::path(dataFolder) / "res" / "game.ini")) {
        std::fprintf(stderr, "board_frames: no generated data in %s (build the target game_data)\n",
                     dataFolder.c_str());
        return 1;
    }
    char pattern[] = "/tmp/board_frames.XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    gHome = pattern;
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
        const std::string dir = gHome + "/" + name;
        std::filesystem::create_directories(dir);
        setenv(name, dir.c_str(), 1);
    }
    int status = 0;
    {
        auto system = SdlWindowSystem::Create();
        if (!system) {
            std::fprintf(stderr, "board_frames: SDL's window system could not be opened\n");
            status = 1;
        } else {
            SetWindowSystem(system.get());
            const char* program[] = {"board_frames"};
            SetProcessArguments(1, program);
            QuietSink sink;
            SetMessageSink(&sink);
            std::filesystem::current_path(dataFolder);
            gSink = &sink;
            auto run = std::make_unique<GameRun>();
            gRun = run.get();
            CpuRecordingReporter reporter;
            benchmark::RunSpecifiedBenchmarks(&reporter);
            run.reset();
            gRun = nullptr;
            reporter.PrintRatio("board_frame_main_menu", "BM_MainMenuFrame", "BM_FiveFrameCopies");
            reporter.PrintRatio("board_frame_scene_closeup", "BM_SceneCloseUpFrame", "BM_FiveFrameCopies");
            reporter.PrintRatio("board_frame_hidden_object", "BM_HiddenObjectFrame", "BM_FiveFrameCopies");
            reporter.PrintRatio("board_frame_movie", "BM_MovieFrame", "BM_FiveFrameCopies");
            const std::pair<const char*, const char*> boards[] = {{"main_menu", "BM_MainMenuFrame"},
                                                                  {"scene_closeup", "BM_SceneCloseUpFrame"},
                                                                  {"hidden_object", "BM_HiddenObjectFrame"},
                                                                  {"movie", "BM_MovieFrame"}};
            for (const auto& [name, benchmark] : boards) {
                const double ours = reporter.CpuTime(benchmark);
                const double peer = reporter.CpuTime("BM_FiveFrameCopies");
                if (ours > 0 && peer > 0)
                    std::printf("ratio board_frame_%s_cpu = %.3f\n", name, ours / peer);
            }
            SingletoneBase::DestroyAll();
            SetMessageSink(nullptr);
            ClearProcessArguments();
            SetWindowSystem(nullptr);
        }
    }
    std::filesystem::current_path("/");
    std::filesystem::remove_all(gHome);
    benchmark::Shutdown();
    return status;
}
