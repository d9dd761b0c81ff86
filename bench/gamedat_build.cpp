// Packs the generated data tree into game.dat, and the same files into an
// uncompressed tar archive with the tar program.
#include "src/game/BuildGameDat.h"

#include "framework/files/ProcessLog.h"
#include "platform/FileNames.h"

#include "bench/RecordingReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace Quib;

namespace {

namespace fs = std::filesystem;

// The data tree is written by the generator into a scratch folder (the
// benchmark build makes no data of its own); QUIB_GAME_DATA names an
// existing one instead.
struct Tree {
    fs::path dir;     // holds "data"
    fs::path scratch; // removed at the end
};

Tree& TheTree()
{
    static Tree tree = [] {
        Tree t;
        t.scratch = fs::temp_directory_path() / ("quib-bench-gamedat-" + std::to_string(getpid()));
        fs::create_directories(t.scratch);
        if (const char* given = std::getenv("QUIB_GAME_DATA")) {
            fs::copy(fs::path(given) / "data", t.scratch / "data", fs::copy_options::recursive);
        } else {
            const fs::path source = fs::path(QUIB_TEST_DATA).parent_path().parent_path();
            // Debian's interpreter first: the set-up gives it Pillow and numpy.
            const char* python = fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
            const std::string command = std::string(python) + " '" + (source / "tools/gen_data.py").string() +
                                        "' --src '" + (source / "data-src").string() + "' --out '" +
                                        (t.scratch / "tree").string() + "' --stamp '" +
                                        (t.scratch / "stamp").string() + "' --jobs 3 > /dev/null";
            std::error_code ec;
            if (std::system(command.c_str()) != 0)
                std::fprintf(stderr, "the data generator failed\n");
            else
                fs::rename(t.scratch / "tree" / "data", t.scratch / "data", ec);
        }
        t.dir = t.scratch;
        return t;
    }();
    return tree;
}

void BM_BuildGameDat(benchmark::State& state)
{
    Tree& tree = TheTree();
    if (!fs::is_directory(tree.dir / "data")) {
        state.SkipWithError("no data tree");
        return;
    }
    SetWorkingDirectory(tree.dir.string());
    for (auto _ : state)
        if (!BuildGameDat())
            state.SkipWithError("game.dat not built");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(tree.dir / "game.dat")));
}
BENCHMARK(BM_BuildGameDat)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_TarArchive(benchmark::State& state)
{
    Tree& tree = TheTree();
    const std::string out = (tree.dir / "data.tar").string();
    const std::string dir = tree.dir.string();
    if (!fs::is_directory(tree.dir / "data")) {
        state.SkipWithError("no data tree");
        return;
    }
    for (auto _ : state) {
        const char* argv[] = {"tar", "-cf", out.c_str(), "-C", dir.c_str(), "data", nullptr};
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "tar", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || status != 0)
            state.SkipWithError("tar failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(out)));
}
BENCHMARK(BM_TarArchive)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("gamedat_build", "BM_BuildGameDat", "BM_TarArchive");
    std::error_code ec;
    fs::remove_all(TheTree().scratch, ec);
    return 0;
}
