#pragma once
// One headless run of the game on the generated data on a fake clock that
// moves only when the main loop waits: recording a walkthrough into a demo
// file, or replaying a demo file. Both take a checksum of the drawn frame
// at the same points: every `checksumEvery` updates and at each board
// change, once the board has settled.

#include <cstdint>
#include <string>
#include <vector>

namespace Quib::Playthrough {

struct FrameSum {
    int update = 0;
    std::string board;
    uint32_t crc = 0;
    bool operator==(const FrameSum&) const = default;
};

struct SessionOptions {
    std::string dataFolder;  // the generated data; the run works on a copy
    std::string demoFile;    // absolute path, written or read
    std::string walkthrough; // the script's text; empty: replay demoFile
    int checksumEvery = 100;
    int updateLimit = 400000;  // a run that goes on longer fails
    std::string shotFolder;    // when set, every checksummed frame as PNG
    bool verbose = false;
};

struct SessionResult {
    bool ok = false;
    std::string error;
    std::vector<FrameSum> sums;
    std::vector<std::string> trace; // the steps as they started
    int updates = 0;
    std::string lastBoard;          // the last settled board
    std::vector<std::string> facts; // what the profile says was done
    std::vector<std::string> logTail;
};

SessionResult RunSession(const SessionOptions& options);

// The checksum list as text: a header comment, then per line
// "<update> <board> <crc as 8 hex digits>".
std::string FormatSums(const std::vector<FrameSum>& sums);
bool ParseSums(const std::string& text, std::vector<FrameSum>& sums, std::string& error);

// Where two lists first differ; empty when they agree.
std::string FirstDifference(const std::vector<FrameSum>& expected, const std::vector<FrameSum>& actual);

} // namespace Quib::Playthrough
