#include "src/game/quest/QstGameControllerScene.h"

#include "framework/files/IniData.h"
#include "framework/files/StringTokenizer.h"
#include "framework/files/StringUtils.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/game/quest/QstPoolData.h"

#include <set>

namespace Quib {

QstGameControllerScene::QstGameControllerScene() = default;

QstGameControllerScene::~QstGameControllerScene()
{
    DropLevelsAndPools();
}

void QstGameControllerScene::Start(const std::string& name)
{
    levelName = name;
    Profiles::Instance().SetString("Main", "LastScene", QstScene::GetSceneKey() + ":" + name);
    if (!recentScenes.empty() && recentScenes.back() == name)
        return;
    recentScenes.remove(name);
    recentScenes.push_back(name);
    if (recentScenes.size() > 2) {
        QstScene::UnloadScene(GetOrLoadScene(recentScenes.front()));
        recentScenes.pop_front();
    }
}

void QstGameControllerScene::ForgetActiveLevel()
{
    activeLevel = nullptr;
}

void QstGameControllerScene::ClearLevels()
{
    SavePools();
    SaveAndClearLevels();
    recentScenes.clear();
}

void QstGameControllerScene::SaveLevels()
{
    SaveLevelStates();
    SavePools();
}

QstScene* QstGameControllerScene::FindLoadedScene(const std::string& name) const
{
    auto found = levels.find(name);
    if (found != levels.end())
        return found->second.get();
    // Scene names from the game settings come lower-cased.
    for (const auto& [sceneName, scene] : levels)
        if (EqualsNoCase(sceneName, name.c_str()))
            return scene.get();
    return nullptr;
}

QstScene* QstGameControllerScene::GetOrLoadScene(const std::string& name)
{
    if (QstScene* cached = FindLoadedScene(name))
        return cached;
    if (name.empty())
        return nullptr;
    // Registered before it loads: a scene whose items refer to itself finds
    // itself here instead of loading again.
    auto scene = std::make_unique<QstScene>(name);
    QstScene* raw = scene.get();
    levels.emplace(name, std::move(scene));
    raw->LoadLevel();
    return raw;
}

QstScene* QstGameControllerScene::GetActiveScene()
{
    if (QstScene* active = ActiveIfWanted())
        return active;
    GameControllerCommon::Instance().ReleaseActiveLevel();
    QstScene* scene = GetOrLoadScene(levelName);
    // A scene that failed to load is not shown: the caller goes to a safe board.
    if (!scene || scene->LoadFailed())
        return nullptr;
    MakeActive(scene);
    return scene;
}

void QstGameControllerScene::SavePools()
{
    Profiles& profiles = Profiles::Instance();
    std::string list;
    for (auto& [cluster, pool] : pools) {
        if (!list.empty())
            list += ",";
        list += cluster;
        const std::string text = pool->Save();
        std::string old;
        if (text.empty() && !profiles.Lookup("Pools", cluster, old))
            continue;
        profiles.SetString("Pools", cluster, text);
    }
    profiles.SetString("Main", "Pools", list);
}

void QstGameControllerScene::LoadPools()
{
    Profiles& profiles = Profiles::Instance();
    std::string list;
    if (!profiles.Lookup("Main", "Pools", list))
        return;
    StringTokenizer tokens(list);
    std::string cluster;
    while (tokens.Next(&cluster)) {
        if (cluster.empty())
            continue;
        std::string text;
        if (!profiles.Lookup("Pools", cluster, text) || text.empty())
            continue;
        GetPoolData(cluster)->Load(text);
    }
}

void QstGameControllerScene::CollectAllSceneNames(std::vector<std::string>& out) const
{
    IniData& settings = GetGameSettings();
    std::vector<std::string> keys;
    settings.GetKeyNames("clusters", keys);
    std::set<std::string> names;
    for (const std::string& key : keys) {
        std::vector<std::string> values;
        settings.GetValues(values, key, "clusters");
        for (const std::string& value : values) {
            std::string trimmed = TrimSpaces(value);
            if (!trimmed.empty())
                names.insert(trimmed);
        }
    }
    out.insert(out.end(), names.begin(), names.end());
}

void QstGameControllerScene::CollectAllScenes(std::vector<QstScene*>& out)
{
    std::vector<std::string> names;
    CollectAllSceneNames(names);
    for (const std::string& name : names)
        if (QstScene* scene = GetOrLoadScene(name))
            out.push_back(scene);
}

void QstGameControllerScene::PrepareHints()
{
    std::vector<QstScene*> scenes;
    CollectAllScenes(scenes);
    for (QstScene* scene : scenes)
        scene->ForEachItemPass1();
    if (GetGameIniInt("generatehintids", "game", -1, 0) == 1) {
        for (QstScene* scene : scenes)
            scene->ForEachItemPass2();
    }
}

} // namespace Quib
