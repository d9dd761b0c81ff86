#include "src/game/editor/QstGameControllerSceneEditor.h"

#include "src/game/quest/QstPoolData.h"

namespace Quib {

namespace {

QstGameControllerSceneEditor* g_editorController = nullptr;

void ForgetActiveEditorCallback(void* self)
{
    static_cast<QstGameControllerSceneEditor*>(self)->ForgetActiveLevel();
}

QstSceneEditor* GetOrCreateSceneEditor(std::map<std::string, std::unique_ptr<QstSceneEditor>>& editors,
                                       const std::string& name, QstGameControllerSceneEditor& owner)
{
    auto found = editors.find(name);
    if (found != editors.end())
        return found->second.get();
    auto editor = std::make_unique<QstSceneEditor>(name);
    QstSceneEditor* raw = editor.get();
    editors.emplace(name, std::move(editor));
    raw->LoadLevel();
    // Inventory changes made while editing stay out of the player's pools.
    raw->SetPool(owner.GetPoolData(raw->GetClusterName()));
    return raw;
}

} // namespace

QstGameControllerSceneEditor& QstGameControllerSceneEditor::Instance()
{
    static QstGameControllerSceneEditor instance;
    return instance;
}

QstGameControllerSceneEditor* QstGameControllerSceneEditor::Existing()
{
    return g_editorController;
}

QstGameControllerSceneEditor::QstGameControllerSceneEditor()
{
    g_editorController = this;
}

QstGameControllerSceneEditor::~QstGameControllerSceneEditor()
{
    DropLevels();
    for (auto& [cluster, pool] : pools)
        delete pool;
    pools.clear();
    if (g_editorController == this)
        g_editorController = nullptr;
}

void QstGameControllerSceneEditor::ClearLevels()
{
    if (activeLevel)
        GameControllerCommon::Instance().ReleaseActiveLevel();
    activeLevel = nullptr;
    for (auto& [name, editor] : levels)
        editor->SaveState();
    levels.clear();
    for (auto& [cluster, pool] : pools)
        delete pool;
    pools.clear();
}

void QstGameControllerSceneEditor::StoreAll()
{
    if (activeLevel)
        for (auto& [name, editor] : levels)
            editor->SaveState();
}

QstSceneEditor* QstGameControllerSceneEditor::GetCurrentEditor()
{
    GameControllerCommon& common = GameControllerCommon::Instance();
    while (activeLevel && activeLevel->levelName != levelName) {
        QstSceneEditor* before = activeLevel;
        common.ReleaseActiveLevel();
        if (activeLevel == before) // the common controller held another level
            activeLevel = nullptr;
    }
    if (activeLevel)
        return activeLevel;
    if (levelName.empty())
        return nullptr;
    common.ReleaseActiveLevel();
    QstSceneEditor* editor = GetOrCreateSceneEditor(levels, levelName, *this);
    activeLevel = editor;
    common.SetActiveLevel(editor, {&ForgetActiveEditorCallback, this});
    return editor;
}

QstPoolData* QstGameControllerSceneEditor::GetPoolData(const std::string& clusterName)
{
    QstPoolData*& pool = pools[clusterName];
    if (!pool)
        pool = new QstPoolData();
    return pool;
}

namespace {
// The controller exists from start-up.
[[maybe_unused]] QstGameControllerSceneEditor* const g_editorControllerAtStart = &QstGameControllerSceneEditor::Instance();
} // namespace

} // namespace Quib
