// Damaged data: one generated file at a time is cut short, has bytes
// flipped or is removed, in a copy of the data folder, and the game starts
// on it (with sound, on a headless device) and is led over the boards that
// read the file. It must not crash or hang, and what it reports (the log,
// the debugger output, a message box) must name the file.
// Each case runs in a process of its own, a few at a time, under a time
// bound. QUIB_DAMAGE_FILTER=text runs only the cases whose name has it.
#include "tests/reliability/ReliabilitySupport.h"

#include "framework/files/StringUtils.h"
#include "framework/sound/SoundOutput.h"
#include "platform/FileNames.h"
#include "platform/headless/HeadlessAudio.h"
#include "src/game/BuildGameDat.h"
#include "src/game/quest/QstBoardHooks.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "src/screens/GameBoard.h"
#include "src/screens/MainMenu.h"
#include "src/UserFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iostream>
#include <sys/wait.h>
#include <thread>

namespace Quib::Reliability {
namespace {

using namespace Testing;
namespace fs = std::filesystem;

enum class Damage { Truncate, Flip, Remove };

const char* DamageName(Damage d)
{
    switch (d) {
    case Damage::Truncate: return "cut short";
    case Damage::Flip: return "bytes flipped";
    case Damage::Remove: return "removed";
    }
    return "?";
}

struct DamageCase {
    const char* file; // relative to the data folder
    Damage damage;
    const char* scene = "harbour"; // the scene visited after the menu; "" for none
    const char* hog = "";          // a hidden-object level visited after it
    const char* movie = "";        // a movie played after that
    bool packed = false;           // the data is in game.dat (the file is game.dat itself)
    // False where the damage cannot be told from good data (a flipped
    // sample of a sound): then the game need only go on.
    bool mustReport = true;
};

// Files of every kind the game reads: texts and settings, layouts, scene
// descriptions, pictures, fonts, sounds and music, movies, particles and
// the archive.
const DamageCase kDamageCases[] = {
    {"res/game.ini", Damage::Remove},
    // A text table cut short ends inside a line; the first text it lacks
    // also names it.
    {"res/lang.ini", Damage::Truncate, "harbour"},
    {"res/sounds.ini", Damage::Remove},
    // The layout ends inside a line (the scene, lacking layers, is refused).
    {"data/scenes/harbour/layers.ini", Damage::Truncate, "harbour"},
    {"data/gui/main_menu/layers.ini", Damage::Remove},
    {"data/scenes/harbour.xml", Damage::Truncate},
    {"data/scenes/harbour.xml", Damage::Flip},
    {"data/properties/resources.xml", Damage::Flip},
    {"data/images/cursor_arrow.png", Damage::Truncate},
    {"data/gui/main_menu/_back.jpg", Damage::Flip},
    // A JPEG cut short decodes to a picture with its lower part grey, and
    // the decoder's warning is reported.
    {"data/scenes/harbour/main/back.jpg", Damage::Truncate, "harbour"},
    {"data/scenes/harbour/main/crate_closed.png", Damage::Flip},
    // A descriptor cut short holds fewer characters than it declares.
    {"data/fonts/text.fnt", Damage::Truncate, "harbour"},
    {"data/fonts/head_0.png", Damage::Remove},
    {"data/music/track01boevik.ogg", Damage::Flip},
    // Music cut short lacks its end-of-stream page; it plays, ending sooner.
    {"data/music/track03harbour.ogg", Damage::Truncate, "harbour"},
    {"data/sound/waves.wav", Damage::Truncate},
    // Flipped samples are other samples.
    {"data/sound/press.wav", Damage::Flip, "harbour", "", "", false, false},
    {"res/movies/intro.dat", Damage::Truncate, "", "", "intro"},
    {"res/movies/storm.dat", Damage::Flip, "", "", "storm"},
    {"res/effects.ptc", Damage::Flip},
    // A level description cut short lacks entries for objects of the
    // layers, and its last entry lacks values.
    {"data/hog/market/pic.ini", Damage::Truncate, "", "market"},
    {"data/hog/market/back.jpg", Damage::Remove, "", "market"},
    {"game.dat", Damage::Flip, "harbour", "", "", true},
    {"game.dat", Damage::Truncate, "harbour", "", "", true},
};

std::string CaseName(const DamageCase& c)
{
    return std::string(c.file) + " " + DamageName(c.damage);
}

// Damages the file in place: cut to a third, or a run of bytes inverted in
// its first part (where the headers and descriptions are), or removed.
void DamageFile(const std::string& path, Damage damage)
{
    if (damage == Damage::Remove) {
        fs::remove(path);
        return;
    }
    std::string bytes = TempDir::ReadFile(path);
    if (damage == Damage::Truncate) {
        bytes.resize(bytes.size() / 3);
    } else {
        const size_t span = std::min<size_t>(bytes.size(), 4096);
        for (size_t i = 7; i < span; i += 13)
            bytes[i] = char(~bytes[i]);
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

// The child's part: the game started on the damaged copy and led over the
// boards; everything it reported goes to the report file. Never returns.
[[noreturn]] void PlayOnDamagedData(const DamageCase& c, const std::string& dataRoot, const std::string& report)
{
    HeadlessAppEnvironment env;
    TailSink sink(100000);
    ScopedPak pak;
    ScopedWorkingDirectory cwd(dataRoot);
    auto device = std::make_shared<HeadlessAudioDevice>();
    SoundOutput::SetDevice(device);
    std::string progress;
    auto writeReport = [&](const std::string& ending) {
        std::ofstream out(report, std::ios::binary | std::ios::trunc);
        out << "ending: " << ending << "\nreached: " << progress << "\n";
        out << "--- log.html\n" << TempDir::ReadFile(env.temp / "data/Pelleranthe/log.html") << "\n";
        out << "--- output\n";
        for (const std::string& line : sink.tail)
            out << line << (line.empty() || line.back() != '\n' ? "\n" : "");
        out << "--- boxes\n" << sink.lastBox << "\n";
    };
    // As in the program, a fatal error ends the process.
    SetFatalExitHandler([&](int code) {
        writeReport("fatal exit " + std::to_string(code));
        _exit(3);
    });

    auto app = std::make_unique<ReliabilityGameApp>();
    app->soundDisabled = false;
    app->Initialize();
    app->active = true;
    app->OnGotFocus();
    std::vector<int16_t> mix(2 * 441);
    long steps = 0;
    auto step = [&] {
        if (app->GetLoadingScreen())
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        env.clock.Advance(10);
        app->DoUpdateFrames();
        // One frame in a few is drawn: enough to draw every picture shown.
        if (++steps % 8 == 0)
            app->DrawDirtyStuff();
        app->ProcessDeferredDeletes();
        device->Render(mix.data(), 441);
    };
    auto settle = [&](int limit) {
        for (int i = 0; i < limit; ++i) {
            if (app->CurrentBoard() && !app->Transformer() && !app->GetLoadingScreen() &&
                (!app->NextBoard() || app->NextBoard() == app->CurrentBoard()))
                return;
            step();
        }
    };
    auto play = [&](int frames) {
        for (int i = 0; i < frames; ++i)
            step();
    };
    settle(2000);
    play(200);
    progress += "title ";
    app->SwitchToBoard(new MainMenu());
    settle(2000);
    play(100);
    progress += "menu ";
    if (*c.scene) {
        app->SwitchToBoard(new GameBoard(c.scene));
        settle(3000);
        play(200);
        progress += std::string("scene ") + c.scene + " ";
    }
    if (QstBoardHooks* hooks = QstBoardHooks::Get()) {
        if (*c.hog) {
            SBackFromHOGData back;
            back.sceneName = "harbour";
            hooks->StartHOG(c.hog, back);
            settle(3000);
            play(200);
            progress += std::string("hidden-object ") + c.hog + " ";
        }
        if (*c.movie) {
            SMovieReturnData back;
            back.nextScene = back.sceneName = "harbour";
            hooks->StartMovie(c.movie, back);
            settle(3000);
            play(600);
            progress += std::string("movie ") + c.movie + " ";
        }
    }
    app->WaitForLoadingThread();
    app.reset();
    SingletoneBase::DestroyAll();
    SoundOutput::SetDevice(nullptr);
    writeReport("ran through");
    _exit(0);
}

struct CaseRun {
    const DamageCase* c = nullptr;
    std::unique_ptr<TempDir> dir;
    pid_t pid = -1;
    std::chrono::steady_clock::time_point started, ended;
    int status = 0;
    bool timedOut = false;
};

// Whether a report line names the file: by its name, or (as the layered
// pictures and the tables name their parts) by its folder and its name
// without the extension.
bool LineNamesFile(std::string line, const std::string& file)
{
    for (char& c : line)
        c = c == '\\' ? '/' : char(std::tolower(static_cast<unsigned char>(c)));
    const fs::path path(StringToLower(file));
    if (line.find(path.filename().string()) != std::string::npos)
        return true;
    const std::string stem = path.stem().string();
    const std::string folder = path.parent_path().filename().string();
    for (size_t at = line.find(stem); at != std::string::npos; at = line.find(stem, at + 1)) {
        const size_t end = at + stem.size();
        const bool whole = (at == 0 || !std::isalnum(static_cast<unsigned char>(line[at - 1]))) &&
                           (end == line.size() || !std::isalnum(static_cast<unsigned char>(line[end])));
        if (whole && line.find(folder) != std::string::npos)
            return true;
    }
    return false;
}

// The lines of the report that name the file, and whether any does.
bool NamesTheFile(const std::string& report, const std::string& file, std::string& lines)
{
    bool named = false;
    size_t at = report.find("--- output");
    while (at != std::string::npos && at < report.size()) {
        size_t end = report.find('\n', at);
        if (end == std::string::npos)
            end = report.size();
        const std::string line = report.substr(at, end - at);
        if (LineNamesFile(line, file)) {
            named = true;
            if (lines.size() < 600)
                lines += "    " + line.substr(0, 200) + "\n";
        }
        at = end + 1;
    }
    return named;
}

TEST(DamagedData, EveryDamagedFileIsReportedByNameWithoutACrashOrAHang)
{
    const char* filter = std::getenv("QUIB_DAMAGE_FILTER");
    const auto timeLimit = std::chrono::seconds(UnderSanitizer() ? 240 : 60);
    const size_t parallel = size_t(std::max<long>(1, EnvNumber("QUIB_DAMAGE_JOBS", 3)));

    // An archive of the data, made once, for the cases that damage it.
    TempDir packedData;
    {
        SingletoneBase::DestroyAll();
        TailSink sink;
        ScopedPak pak;
        CopyGameData(packedData.Path());
        ScopedWorkingDirectory cwd(packedData.Path());
        ASSERT_TRUE(BuildGameDat());
        fs::remove_all(packedData / "data");
        SingletoneBase::DestroyAll();
    }

    std::vector<CaseRun> runs;
    for (const DamageCase& c : kDamageCases)
        if (!filter || CaseName(c).find(filter) != std::string::npos)
            runs.emplace_back().c = &c;

    auto start = [&](CaseRun& run) {
        run.dir = std::make_unique<TempDir>();
        const std::string root = *run.dir / "game";
        if (run.c->packed)
            fs::copy(packedData.Path(), root, fs::copy_options::recursive);
        else
            CopyGameData(root);
        DamageFile(root + "/" + run.c->file, run.c->damage);
        std::cout.flush();
        run.started = std::chrono::steady_clock::now();
        run.pid = fork();
        if (run.pid == 0)
            PlayOnDamagedData(*run.c, root, *run.dir / "report.txt");
    };

    size_t next = 0, finished = 0;
    std::vector<CaseRun*> active;
    while (finished < runs.size()) {
        while (active.size() < parallel && next < runs.size()) {
            start(runs[next]);
            ASSERT_GT(runs[next].pid, 0);
            active.push_back(&runs[next++]);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (auto it = active.begin(); it != active.end();) {
            CaseRun& run = **it;
            pid_t done = waitpid(run.pid, &run.status, WNOHANG);
            if (done == 0 && std::chrono::steady_clock::now() - run.started > timeLimit) {
                run.timedOut = true;
                kill(run.pid, SIGKILL);
                done = waitpid(run.pid, &run.status, 0);
            }
            if (done == run.pid) {
                run.ended = std::chrono::steady_clock::now();
                ++finished;
                it = active.erase(it);
            } else {
                ++it;
            }
        }
    }

    int reported = 0;
    for (const CaseRun& run : runs) {
        const DamageCase& c = *run.c;
        const std::string name = CaseName(c);
        const std::string report = TempDir::ReadFile(*run.dir / "report.txt");
        const double seconds =
            std::chrono::duration<double>(run.ended - run.started).count();
        EXPECT_FALSE(run.timedOut) << name << ": still running after the time bound";
        EXPECT_TRUE(WIFEXITED(run.status)) << name << ": ended by signal "
                                           << (WIFSIGNALED(run.status) ? WTERMSIG(run.status) : 0);
        const int code = WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1;
        EXPECT_TRUE(code == 0 || code == 3) << name << ": exit code " << code;
        std::string lines;
        const bool named = NamesTheFile(report, c.file, lines);
        if (c.mustReport) {
            EXPECT_TRUE(named) << name << ": nothing reported names the file";
        }
        if (!named) {
            // What it did say, for the one who looks into it.
            const size_t output = report.find("--- output\n");
            const std::string said = output == std::string::npos ? report : report.substr(output);
            std::cout << said.substr(said.size() > 3000 ? said.size() - 3000 : 0) << "\n";
        }
        reported += named;
        const size_t endingEnd = report.find('\n');
        std::cout << "damaged " << name << ": " << (named ? "reported" : "NOT reported") << ", "
                  << report.substr(0, endingEnd == std::string::npos ? 0 : endingEnd) << " (" << int(seconds)
                  << " s)\n"
                  << lines;
    }
    std::cout << "damaged data: " << runs.size() << " files damaged, " << reported << " reported by name\n";
}

} // namespace
} // namespace Quib::Reliability
