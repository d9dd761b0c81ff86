#include "src/game/editor/QstSceneEditor.h"

#include "src/game/editor/QstSceneEditorPanel.h"

namespace Quib {

namespace {

std::u16string WidenName(const std::string& name)
{
    std::u16string out;
    out.reserve(name.size());
    for (char c : name)
        out += char16_t(static_cast<unsigned char>(c));
    return out;
}

} // namespace

QstSceneEditor::QstSceneEditor(const std::string& name) : QstScene(name) {}

void QstSceneEditor::ReplaceLayer(QstFieldLayer* oldLayer, QstFieldLayer* newLayer)
{
    QstScene::ReplaceLayer(oldLayer, newLayer);
    if (panel)
        DetachPanelScene(panel);
}

bool QstSceneEditor::OnItemNameChanged(QstItem* item, const std::string& oldName, const std::string& newName)
{
    const bool result = QstScene::OnItemNameChanged(item, oldName, newName);
    if (panel)
        RefreshLayerList(panel, this, newName);
    return result;
}

void QstSceneEditor::SaveState()
{
    // An edited copy is not the player's progress: the profile's "Scenes"
    // section belongs to the game's own scenes.
}

void QstSceneEditor::LoadState()
{
    // The editor works on the scene as authored.
}

void QstSceneEditor::RefreshLayerList(QstSceneEditorPanel* target, QstScene* scene, const std::string& name)
{
    if (!target || target->GetScene() != scene)
        return;
    FillLayerList(target);
    const int found = target->FindListName(WidenName(name));
    if (found >= 0)
        target->SelectListIndex(found);
    ScrollSelectionIntoView(target);
}

void QstSceneEditor::FillLayerList(QstSceneEditorPanel* target)
{
    target->ClearList();
    QstScene* scene = target->GetScene();
    if (!scene)
        return;
    std::vector<std::string> names;
    scene->GetItemNames(names);
    for (const std::string& name : names)
        target->AddListName(WidenName(name));
}

void QstSceneEditor::ScrollSelectionIntoView(QstSceneEditorPanel* target)
{
    const int selected = target->SelectedListIndex();
    if (selected == -1)
        return;
    const double i = selected;
    const double v = target->ScrollValue();
    const double m = target->ScrollMax();
    const double p = target->ScrollPage();
    if (p >= m)
        return;
    if (i < v)
        target->SetScrollValue(i);
    else if (v + p < i + 1)
        target->SetScrollValue(i + 1 - p);
}

void QstSceneEditor::DetachPanelScene(QstSceneEditorPanel* target)
{
    if (target && target->GetScene() == this) {
        target->Unbind();
        target->ClearSelectionState();
    }
}

} // namespace Quib
