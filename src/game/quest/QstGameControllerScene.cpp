#include "src/game/quest/QstGameControllerScene.h"

namespace Quib {

namespace {
QstGameControllerScene* g_sceneController = nullptr;
} // namespace

QstGameControllerScene& QstGameControllerScene::Instance()
{
    static QstGameControllerScene instance;
    return instance;
}
QstGameControllerScene* QstGameControllerScene::Existing() { return g_sceneController; }
QstGameControllerScene::QstGameControllerScene() { g_sceneController = this; }
QstGameControllerScene::~QstGameControllerScene()
{
    if (g_sceneController == this)
        g_sceneController = nullptr;
}
void QstGameControllerScene::Start(const std::string& name) { levelName = name; }
void QstGameControllerScene::ForgetActiveLevel() { GameControllerDer<QstScene>::ForgetActiveLevel(); }
void QstGameControllerScene::ClearLevels() { GameControllerDer<QstScene>::ClearLevels(); }
void QstGameControllerScene::SaveLevels() {}
QstScene* QstGameControllerScene::GetOrLoadScene(const std::string& name)
{
    auto found = levels.find(name);
    if (found != levels.end())
        return found->second.get();
    auto scene = std::make_unique<QstScene>(name);
    QstScene* raw = scene.get();
    levels.emplace(name, std::move(scene));
    raw->LoadLevel();
    return raw;
}
QstScene* QstGameControllerScene::FindLoadedScene(const std::string& name) const
{
    auto found = levels.find(name);
    return found == levels.end() ? nullptr : found->second.get();
}
QstScene* QstGameControllerScene::GetActiveScene() { return nullptr; }
QstPoolData* QstGameControllerScene::GetPoolData(const std::string&) { return nullptr; }
void QstGameControllerScene::SavePools() {}
void QstGameControllerScene::LoadPools() {}
void QstGameControllerScene::CollectAllScenes(std::vector<QstScene*>&) {}
void QstGameControllerScene::CollectAllSceneNames(std::vector<std::string>&) const {}
void QstGameControllerScene::PrepareHints() {}

} // namespace Quib
