#include "src/game/PlayerInfo.h"

#include "framework/files/PrintfFormat.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/StringUtils.h"
#include "src/game/GameShellHost.h"

#include <vector>

namespace Quib {

namespace {

constexpr const char* kMain = "Main";

std::string Flag(bool value)
{
    return value ? "1" : "0";
}

void ReadFloat(const char* section, const char* key, float& value)
{
    std::string text;
    if (GetGameShellHost().LookupProfileValue(section, key, text))
        value = float(ParseDoubleC(text));
}

void ReadInt(const char* key, int32_t& value)
{
    std::string text;
    if (GetGameShellHost().LookupProfileValue(kMain, key, text))
        value = int32_t(ParseLongC(text));
}

void ReadFlag(const char* key, bool& value)
{
    std::string text;
    if (GetGameShellHost().LookupProfileValue(kMain, key, text))
        value = text == "1";
}

} // namespace

void PlayerInfo::Save()
{
    GameShellHost& host = GetGameShellHost();
    host.SetProfileValue(kMain, "TimePlayed", StrFormat("%g", timePlayed));
    host.SetProfileValue(kMain, "Progress", StrFormat("%g", progress));
    host.SetProfileValue(kMain, "IsGameComplete", Flag(gameComplete));
    host.SetProfileValue(kMain, "IsShowTutorial", Flag(showTutorial));
    host.SetProfileValue(kMain, "CurTutor", StrFormat("%d", currentTutorialStep));
    host.SetProfileValue(kMain, "TutorialHogItems", Flag(tutorialHogItems));
    host.SetProfileValue(kMain, "TutorialHogHint", Flag(tutorialHogHint));
    std::string names;
    for (const auto& [name, entry] : notebook) {
        if (!names.empty())
            names += ",";
        names += name;
        std::string text = StrFormat("%d,%d", entry->number, int(entry->flag));
        for (const auto& [key, number] : entry->values)
            text += StrFormat(",%s,%d", key, number);
        host.SetProfileValue("Notebook", name, text);
    }
    host.SetProfileValue(kMain, "Notebook", names);
}

void PlayerInfo::Load()
{
    GameShellHost& host = GetGameShellHost();
    std::string legacy;
    if (!host.LookupProfileValue(kMain, "TimePlayed", legacy) &&
        host.LookupProfileValue("Levels", "TimePlayed", legacy) && legacy.find(',') == std::string::npos)
        timePlayed = float(ParseDoubleC(legacy));
    ReadFloat(kMain, "TimePlayed", timePlayed);
    ReadFloat(kMain, "Progress", progress);
    ReadFlag("IsGameComplete", gameComplete);
    ReadFlag("IsShowTutorial", showTutorial);
    ReadInt("CurTutor", currentTutorialStep);
    ReadFlag("TutorialHogItems", tutorialHogItems);
    ReadFlag("TutorialHogHint", tutorialHogHint);

    notebook.clear();
    std::string names;
    host.LookupProfileValue(kMain, "Notebook", names);
    std::vector<std::string> entryNames;
    SplitCommaTrimmed(names, entryNames);
    for (const std::string& name : entryNames) {
        if (name.empty())
            continue;
        auto entry = std::make_unique<NotebookEntry>();
        std::string text;
        host.LookupProfileValue("Notebook", name, text);
        std::vector<std::string> fields;
        SplitCommaTrimmed(text, fields);
        if (fields.size() > 0)
            entry->number = int32_t(ParseLongC(fields[0]));
        if (fields.size() > 1)
            entry->flag = fields[1] == "1";
        for (size_t i = 2; i + 1 < fields.size(); i += 2)
            entry->values[fields[i]] = int32_t(ParseLongC(fields[i + 1]));
        notebook[name] = std::move(entry);
    }
}

void PlayerInfo::AddProgressPart()
{
    if (mProgressParts == 0) {
        mProgressParts = GetGameShellHost().GetGameIniInt("ProgressParts", "Game", -1, kDefaultProgressParts);
        if (mProgressParts < 1) {
            QUIB_LOG_ERROR("[Game] ProgressParts=%d is not a number of parts; %d is used", mProgressParts,
                           kDefaultProgressParts);
            mProgressParts = kDefaultProgressParts;
        }
    }
    progress += 1.0f / float(mProgressParts);
    if (progress > 1.0f)
        progress = 1.0f;
    Save();
    GetGameShellHost().SaveCurrentProfile();
}

} // namespace Quib
