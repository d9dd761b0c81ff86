#include "src/game/quest/QstGameControllerScene.h"

#include "framework/files/IniData.h"
#include "framework/files/StringTokenizer.h"
#include "framework/files/StringUtils.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/game/quest/QstPoolData.h"

#include <set>

namespace Quib {

namespace {

QstGameControllerScene* g_sceneController = nullptr;

void ForgetActiveSceneCallback(void* self)
{
    static_cast<QstGameControllerScene*>(self)->ForgetActiveLevel();
}

} // namespace

QstGameControllerScene& QstGameControllerScene::Instance()
{
    static QstGameControllerScene instance;
    return instance;
}

QstGameControllerScene* QstGameControllerScene::Existing()
{
    return g_sceneController;
}

QstGameControllerScene::QstGameControllerScene()
{
    g_sceneController = this;
}

QstGameControllerScene::~QstGameControllerScene()
{
    // The scenes go before the pools they point at.
    DropLevels();
    for (auto& [cluster, pool] : pools)
        delete pool;
    pools.clear();
    if (g_sceneController == this)
        g_sceneController = nullptr;
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
    if (activeLevel)
        GameControllerCommon::Instance().ReleaseActiveLevel();
    activeLevel = nullptr;
    for (auto& [name, scene] : levels)
        scene->SaveState();
    levels.clear();
    for (auto& [cluster, pool] : pools)
        delete pool;
    pools.clear();
    recentScenes.clear();
}

void QstGameControllerScene::SaveLevels()
{
    if (activeLevel) {
        for (auto& [name, scene] : levels)
            scene->SaveState();
    }
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
    RegisterForClear();
    levels.emplace(name, std::move(scene));
    raw->LoadLevel();
    // The player's progress in it, from the profile: a scene first loaded
    // after the game started (or after a hidden-object level it led to)
    // would otherwise start over.
    if (!raw->LoadFailed())
        raw->LoadState();
    return raw;
}

QstScene* QstGameControllerScene::GetActiveScene()
{
    GameControllerCommon& common = GameControllerCommon::Instance();
    while (activeLevel && activeLevel->levelName != levelName) {
        QstScene* before = activeLevel;
        common.ReleaseActiveLevel();
        if (activeLevel == before) // the common controller held another level
            activeLevel = nullptr;
    }
    if (activeLevel)
        return activeLevel;
    common.ReleaseActiveLevel();
    QstScene* scene = GetOrLoadScene(levelName);
    // A scene that failed to load is not shown: the caller goes to a safe board.
    if (!scene || scene->LoadFailed())
        return nullptr;
    activeLevel = scene;
    common.SetActiveLevel(scene, {&ForgetActiveSceneCallback, this});
    return scene;
}

QstPoolData* QstGameControllerScene::GetPoolData(const std::string& clusterName)
{
    QstPoolData*& pool = pools[clusterName];
    if (!pool)
        pool = new QstPoolData();
    return pool;
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
