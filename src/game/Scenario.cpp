#include "src/game/Scenario.h"

#include "src/game/GameShellHost.h"

namespace Quib {

namespace {

constexpr const char* kLevels = "Levels";

} // namespace

void ScenarioBase::ClearLevels()
{
    levels.clear();
}

void ScenarioBase::LoadAll()
{
    ClearLevels();
}

void ScenarioBase::Start(const std::string& name)
{
    StartLevel(name);
}

LevelInfoBase* ScenarioBase::FindLevel(const std::string& name) const
{
    for (const auto& level : levels)
        if (level->levelName == name)
            return level.get();
    return nullptr;
}

Scenario& Scenario::Instance()
{
    static Scenario scenario;
    return scenario;
}

LevelInfoBase* Scenario::CreateLevelInfo(const std::string& name)
{
    auto* info = new LevelInfo(name);
    mIndex[name] = info;
    return info;
}

void Scenario::ClearLevels()
{
    mIndex.clear();
    ScenarioBase::ClearLevels();
}

void Scenario::LoadAll()
{
    ClearLevels();
    GetGameShellHost().RestoreLevelStates();
}

LevelInfo* Scenario::GetLevelInfo(const std::string& name)
{
    auto found = mIndex.find(name);
    if (found != mIndex.end())
        return found->second;
    std::unique_ptr<LevelInfoBase> info(CreateLevelInfo(name));
    std::string text;
    if (GetGameShellHost().LookupProfileValue(kLevels, name, text))
        info->Parse(text);
    levels.push_back(std::move(info));
    return mIndex[name];
}

void Scenario::SetLevelPassed(const std::string& name)
{
    LevelInfo* info = GetLevelInfo(name);
    info->passed = true;
    GetGameShellHost().SetProfileValue(kLevels, name, info->Serialize());
    GetGameShellHost().SaveCurrentProfile();
    info->reloadOnStart = true;
}

void Scenario::StartLevel(const std::string& name)
{
    LevelInfo* info = GetLevelInfo(name);
    GameShellHost& host = GetGameShellHost();
    if (host.HasActiveLevel() && info->reloadOnStart) {
        info->reloadOnStart = false;
        host.ReleaseActiveLevel();
    }
    host.ShowLevelBoard(name);
}

void StoreAllLevelInfos()
{
    GameShellHost& host = GetGameShellHost();
    for (const auto& level : Scenario::Instance().levels)
        host.SetProfileValue(kLevels, level->levelName, level->Serialize());
}

} // namespace Quib
