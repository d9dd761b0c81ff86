#pragma once
#include "src/game/quest/QstScene.h"

namespace Quib {

class QstSceneEditorPanel;

// An editor's own copy of a quest scene. It keeps nothing in the player's
// profile: it never saves its state there nor reads it back.
class QstSceneEditor : public QstScene {
public:
    explicit QstSceneEditor(const std::string& name);

    void ReplaceLayer(QstFieldLayer* oldLayer, QstFieldLayer* newLayer) override;
    bool OnItemNameChanged(QstItem* item, const std::string& oldName, const std::string& newName) override;
    void SaveState() override;
    void LoadState() override;

    void AttachPanel(QstSceneEditorPanel* newPanel) { panel = newPanel; }
    QstSceneEditorPanel* Panel() const { return panel; }

    void RefreshLayerList(QstSceneEditorPanel* target, QstScene* scene, const std::string& name);
    void FillLayerList(QstSceneEditorPanel* target);
    void DetachPanelScene(QstSceneEditorPanel* target);
    // Scrolls the panel's list so that its selected entry shows.
    static void ScrollSelectionIntoView(QstSceneEditorPanel* target);

private:
    QstSceneEditorPanel* panel = nullptr; // not owned
};

} // namespace Quib
