// The committed playthrough replayed headless on freshly generated data:
// every recorded frame checksum, and the run ends where the recording did.
// The script's reader and the checksum lists are checked on their own.
#include "tests/playthrough/PlaythroughSession.h"
#include "tests/playthrough/Walkthrough.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace Quib::Playthrough {
namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Playthrough, TheRecordedDemoReplaysToTheSameFramesAndEnding)
{
    const std::string folder = QUIB_PLAYTHROUGH_DIR;
    ASSERT_TRUE(std::filesystem::exists(folder + "/playthrough.dmo")) << "run scripts/record-playthrough.sh";
    std::vector<FrameSum> expected;
    std::string error;
    ASSERT_TRUE(ParseSums(ReadFile(folder + "/checksums.txt"), expected, error)) << error;
    ASSERT_FALSE(expected.empty());

    // The demo is replayed from a copy: a run never touches the committed file.
    Testing::TempDir work;
    std::filesystem::copy_file(folder + "/playthrough.dmo", work / "playthrough.dmo");
    SessionOptions options;
    options.dataFolder = QUIB_GAME_DATA;
    options.demoFile = work / "playthrough.dmo";
    const SessionResult result = RunSession(options);
    std::string log;
    for (const std::string& line : result.logTail)
        log += "\n  " + line;
    ASSERT_TRUE(result.ok) << result.error << log;
    EXPECT_EQ(FirstDifference(expected, result.sums), "");

    // The ending: the last board and what the profile says.
    std::istringstream end(ReadFile(folder + "/end.txt"));
    std::string board;
    std::vector<std::string> facts;
    for (std::string line; std::getline(end, line);) {
        if (line.rfind("board ", 0) == 0)
            board = line.substr(6);
        else if (line.rfind("fact ", 0) == 0)
            facts.push_back(line.substr(5));
    }
    EXPECT_EQ(result.lastBoard, board);
    EXPECT_EQ(result.facts, facts);
    if (BoardMatches(board, "AboutScreen")) {
        EXPECT_NE(std::find(result.facts.begin(), result.facts.end(), "game complete"), result.facts.end());
    }
}

TEST(Playthrough, TheScriptReaderTakesEveryStepAndNamesABadLine)
{
    std::vector<WalkStep> steps;
    std::string error;
    ASSERT_TRUE(ParseWalkthrough("# intro\nwait_board MainMenu\r\n  click 10 20\ntype Sailor Jo\n"
                                 "use_item match harbour/lantern\nkey Escape\nsolve_hog\n\n",
                                 steps, error))
        << error;
    ASSERT_EQ(steps.size(), 6u);
    EXPECT_EQ(steps[1].verb, "click");
    EXPECT_EQ(steps[1].line, 3);
    EXPECT_EQ(steps[2].args, std::vector<std::string>{"Sailor Jo"});
    EXPECT_EQ(steps[3].args, (std::vector<std::string>{"match", "harbour/lantern"}));

    struct Bad {
        const char* text;
        const char* reason;
    };
    for (const Bad& bad : {Bad{"jump 3\n", "unknown step"}, Bad{"click 1\n", "wrong arguments"},
                           Bad{"click_item harbour\n", "<scene>/<name>"}, Bad{"key Hyper\n", "unknown key"},
                           Bad{"use_item match lantern\n", "target"}, Bad{"type\n", "wrong arguments"},
                           Bad{"click_close chest\n", "<scene>/<name>"}}) {
        EXPECT_FALSE(ParseWalkthrough(std::string("wait 1\n") + bad.text, steps, error)) << bad.text;
        EXPECT_NE(error.find("line 2"), std::string::npos) << error;
        EXPECT_NE(error.find(bad.reason), std::string::npos) << error;
    }
}

TEST(Playthrough, ABoardMatchesByItsFullNameItsKindOrItsScene)
{
    struct Case {
        const char* shown;
        const char* wanted;
        bool matches;
    };
    for (const Case& c : {Case{"GameBoard:harbour", "GameBoard:harbour", true}, Case{"GameBoard:harbour", "GameBoard", true},
                          Case{"GameBoard:harbour", "harbour", true}, Case{"GameBoard:harbour", "pier", false},
                          Case{"ISpy:market", "market", false}, Case{"ISpy:market", "ISpy", true},
                          Case{"MainMenu", "MainMenu", true}, Case{"MainMenu", "Main", false}})
        EXPECT_EQ(BoardMatches(c.shown, c.wanted), c.matches) << c.shown << " / " << c.wanted;
}

TEST(Playthrough, TheChecksumListsRoundTripAndTheFirstDifferenceIsNamed)
{
    const std::vector<FrameSum> sums = {{10, "TitleScreen", 0x1234abcd}, {250, "GameBoard:harbour", 0xffffffff}};
    std::vector<FrameSum> back;
    std::string error;
    ASSERT_TRUE(ParseSums(FormatSums(sums), back, error)) << error;
    EXPECT_EQ(back, sums);
    EXPECT_FALSE(ParseSums("10 TitleScreen 12\n", back, error));

    EXPECT_EQ(FirstDifference(sums, sums), "");
    std::vector<FrameSum> changed = sums;
    changed[1].crc = 1;
    const std::string difference = FirstDifference(sums, changed);
    EXPECT_NE(difference.find("update 250 on GameBoard:harbour"), std::string::npos) << difference;
    const std::string shorter = FirstDifference(sums, {sums[0]});
    EXPECT_NE(shorter.find("stopped before"), std::string::npos) << shorter;
    EXPECT_NE(shorter.find("update 250"), std::string::npos) << shorter;
}

} // namespace
} // namespace Quib::Playthrough
