#pragma once
#include "src/game/PlayerInfoBase.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace Quib {

// One notebook entry: a number, a flag and numbers by name.
struct NotebookEntry {
    int32_t number = 0;
    bool flag = false;
    std::map<std::string, int32_t> values;
};

// The player's progress in the current profile:
//   [Main] TimePlayed, Progress ("%g"), IsGameComplete, IsShowTutorial,
//   TutorialHogItems, TutorialHogHint ("1"/"0"), CurTutor ("%d"),
//   Notebook (the entry names joined with ","),
//   [Notebook] <entry> = number,flag[,name,number]...
// The time played used to be kept as [Levels] TimePlayed, where a level of
// that name would overwrite it; such a value (one without a comma) is still
// read when [Main] has none.
class PlayerInfo : public PlayerInfoBase {
public:
    // [Game] ProgressParts when the setting is missing or below 1.
    static constexpr int kDefaultProgressParts = 22;

    PlayerInfo() = default;
    PlayerInfo(const PlayerInfo&) = delete;
    PlayerInfo& operator=(const PlayerInfo&) = delete;

    // Writes every value into the current profile (no file write).
    void Save() override;
    // Reads them back; a missing key gives the initial value.
    void Load() override;
    // progress += 1 / [Game] ProgressParts (at most 1), then saves the
    // values and the profile.
    void AddProgressPart();

    float timePlayed = 0.0f; // seconds
    std::map<std::string, std::unique_ptr<NotebookEntry>> notebook;
    float progress = 0.0f; // 0..1
    bool gameComplete = false;
    bool showTutorial = true;
    int32_t currentTutorialStep = 0;
    bool tutorialHogItems = false;
    bool tutorialHogHint = false;

private:
    int mProgressParts = 0; // read once; 0 until then
};

} // namespace Quib
