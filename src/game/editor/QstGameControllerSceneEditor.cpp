#include "src/game/editor/QstGameControllerSceneEditor.h"

#include "src/game/quest/QstPoolData.h"

namespace Quib {

namespace {

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

QstGameControllerSceneEditor::QstGameControllerSceneEditor() = default;

QstGameControllerSceneEditor::~QstGameControllerSceneEditor()
{
    DropLevelsAndPools();
}

void QstGameControllerSceneEditor::ClearLevels()
{
    SaveAndClearLevels();
}

void QstGameControllerSceneEditor::StoreAll()
{
    SaveLevelStates();
}

QstSceneEditor* QstGameControllerSceneEditor::GetCurrentEditor()
{
    if (QstSceneEditor* active = ActiveIfWanted())
        return active;
    if (levelName.empty())
        return nullptr;
    GameControllerCommon::Instance().ReleaseActiveLevel();
    QstSceneEditor* editor = GetOrCreateSceneEditor(levels, levelName, *this);
    MakeActive(editor);
    return editor;
}

namespace {
// The controller exists from start-up.
[[maybe_unused]] QstGameControllerSceneEditor* const g_editorControllerAtStart = &QstGameControllerSceneEditor::Instance();
} // namespace

} // namespace Quib
