// Records the walkthrough as a demo file with its frame checksums, replays
// it once to make sure the replay agrees, and writes both into the
// playthrough folder.
//   record_playthrough [--data DIR] [--walkthrough FILE] [--out DIR]
//                      [--shots DIR] [--replay-shots DIR] [--every N] [--verbose]
#include "tests/playthrough/PlaythroughSession.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

std::string ReadAll(const std::string& path, bool& ok)
{
    std::ifstream in(path, std::ios::binary);
    ok = bool(in);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return bool(out);
}

void Report(const Quib::Playthrough::SessionResult& result, bool verbose)
{
    if (verbose)
        for (const std::string& line : result.trace)
            std::cout << "  step " << line << "\n";
    std::cout << "  " << result.updates << " updates, " << result.sums.size() << " checksums, last board "
              << result.lastBoard << "\n";
    for (const std::string& fact : result.facts)
        std::cout << "  " << fact << "\n";
    if (!result.ok) {
        std::cout << "  error: " << result.error << "\n  log:\n";
        for (const std::string& line : result.logTail)
            std::cout << "    " << line << "\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    using namespace Quib::Playthrough;
    std::string dataFolder = QUIB_GAME_DATA;
    std::string walkthroughFile = QUIB_WALKTHROUGH;
    std::string outFolder = QUIB_PLAYTHROUGH_DIR;
    SessionOptions options;
    bool verbose = false;
    std::string replayShots;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--data" && hasValue)
            dataFolder = argv[++i];
        else if (arg == "--walkthrough" && hasValue)
            walkthroughFile = argv[++i];
        else if (arg == "--out" && hasValue)
            outFolder = argv[++i];
        else if (arg == "--shots" && hasValue)
            options.shotFolder = argv[++i];
        else if (arg == "--replay-shots" && hasValue)
            replayShots = argv[++i];
        else if (arg == "--every" && hasValue)
            options.checksumEvery = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--verbose")
            verbose = true;
        else {
            std::cerr << "usage: record_playthrough [--data DIR] [--walkthrough FILE] [--out DIR] [--shots DIR] "
                         "[--replay-shots DIR] [--every N] [--verbose]\n";
            return 2;
        }
    }
    bool readOk = false;
    options.walkthrough = ReadAll(walkthroughFile, readOk);
    if (!readOk) {
        std::cerr << "cannot read " << walkthroughFile << "\n";
        return 1;
    }
    if (!options.shotFolder.empty())
        fs::create_directories(options.shotFolder);

    Quib::Testing::TempDir work;
    options.dataFolder = dataFolder;
    options.demoFile = work / "playthrough.dmo";
    options.verbose = verbose;
    std::cout << "Recording " << walkthroughFile << "\n";
    const SessionResult recorded = RunSession(options);
    Report(recorded, verbose);
    if (!recorded.ok || !fs::exists(options.demoFile)) {
        std::cerr << "The recording failed; nothing was written.\n";
        return 1;
    }

    std::cout << "Replaying it\n";
    SessionOptions replay = options;
    replay.walkthrough.clear();
    replay.shotFolder = replayShots;
    if (!replayShots.empty())
        fs::create_directories(replayShots);
    const SessionResult replayed = RunSession(replay);
    Report(replayed, false);
    const std::string difference = FirstDifference(recorded.sums, replayed.sums);
    if (!replayed.ok || !difference.empty() || replayed.lastBoard != recorded.lastBoard ||
        replayed.facts != recorded.facts) {
        std::cerr << "The replay does not agree with the recording"
                  << (difference.empty() ? std::string() : ": " + difference) << "; nothing was written.\n";
        return 1;
    }

    fs::create_directories(outFolder);
    std::string end = "# Where the playthrough ends: the last board, then what the profile and scenes say.\n";
    end += "board " + recorded.lastBoard + "\n";
    for (const std::string& fact : recorded.facts)
        end += "fact " + fact + "\n";
    bool copied = false;
    const std::string demo = ReadAll(options.demoFile, copied);
    if (!copied || !WriteAll(outFolder + "/playthrough.dmo", demo) ||
        !WriteAll(outFolder + "/checksums.txt", FormatSums(recorded.sums)) || !WriteAll(outFolder + "/end.txt", end)) {
        std::cerr << "cannot write into " << outFolder << "\n";
        return 1;
    }
    std::cout << "Written: " << outFolder << "/playthrough.dmo (" << demo.size() << " bytes), " << outFolder
              << "/checksums.txt, " << outFolder << "/end.txt\n";
    return 0;
}
