#pragma once
#include <string>

namespace Quib {

class QstScene;

// What the scene editor asks of a panel attached to it: the scene it
// shows, its list of item names and that list's scroll bar.
class QstSceneEditorPanel {
public:
    virtual ~QstSceneEditorPanel() = default;

    virtual QstScene* GetScene() = 0;
    virtual void ClearList() = 0;
    virtual void AddListName(const std::u16string& name) = 0;
    // The entry's index, or -1.
    virtual int FindListName(const std::u16string& name) = 0;
    virtual void SelectListIndex(int index) = 0;
    // -1 for none.
    virtual int SelectedListIndex() = 0;
    virtual double ScrollValue() = 0;
    virtual double ScrollMax() = 0;
    virtual double ScrollPage() = 0;
    virtual void SetScrollValue(double value) = 0;
    // The scene becomes none.
    virtual void Unbind() = 0;
    virtual void ClearSelectionState() = 0;
};

} // namespace Quib
