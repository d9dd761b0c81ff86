#include "src/game/quest/QstScene.h"

#include "src/game/quest/QstItem.h"
#include "src/game/quest/actions/QstActionData.h"
#include "src/game/quest/SBackFromHOGData.h"

namespace Quib {

QstScene::QstScene(const std::string& name) : LevelBase(name), filePath("data\\scenes\\" + name + ".xml") {}
QstScene::~QstScene()
{
    for (auto& [itemName, item] : items)
        delete item;
}

void QstScene::ForEachItemPass1() {}
void QstScene::ForEachItemPass2() {}
void QstScene::ReplaceLayer(QstFieldLayer*, QstFieldLayer*) {}
void QstScene::OnFieldShown(QstField*) {}
void QstScene::OnFieldRemoved(QstField*) {}
void QstScene::OnAttachedToManager(WidgetManager* widgetManager) { Widget::OnAttachedToManager(widgetManager); }
void QstScene::OnKeyDown(int key) { Widget::OnKeyDown(key); }
void QstScene::LoadLevel() {}
void QstScene::SaveState() {}
void QstScene::LoadState() {}
bool QstScene::DoAddActionData(QstActionData*) { return false; }
bool QstScene::OnItemNameChanged(QstItem*, const std::string&, const std::string&) { return false; }
bool QstScene::IsItemNameFree(const std::string& name) { return items.find(name) == items.end(); }
QstAction* QstScene::DoCreateAction(QstItem*, const std::string&, bool, bool) { return nullptr; }
EQstCursorType QstScene::DoItemActionHitTest(QstItem*, const std::string&, std::string&, std::string*)
{
    return QST_CURSOR_NONE;
}
bool QstScene::LoadScene() { return false; }
bool QstScene::LoadItems(QstXmlElement&, SLoadLayerDataCont&, const std::string&) { return false; }
bool QstScene::OnXmlError(const std::string&, TiXmlElement*) { return false; }
QstXmlErrorHandler QstScene::GetXmlErrorHandler()
{
    return {this, [](void* self, const std::string& error, TiXmlElement* element) {
                return static_cast<QstScene*>(self)->OnXmlError(error, element);
            }};
}
QstField* QstScene::AddPopupField(const std::string&, bool) { return nullptr; }
void QstScene::CloseTopPopupField() {}
void QstScene::CloseAllPopups() {}
void QstScene::RemoveField(QstField*) {}
bool QstScene::DisableFieldClose(const std::string&) { return false; }
bool QstScene::SetGroupVisible(const std::string&, bool, bool) { return false; }
QstField* QstScene::GetField(const std::string& name) const
{
    auto found = fields.find(name);
    return found == fields.end() ? nullptr : found->second;
}
QstField* QstScene::GetTopField() const { return onScreenFields.empty() ? nullptr : onScreenFields.back(); }
QstItem* QstScene::GetItem(const std::string& name) const
{
    auto found = items.find(name);
    return found == items.end() ? nullptr : found->second;
}
bool QstScene::CanTakePoolItem(QstItem*, QstItemState*) { return true; }
QstItem* QstScene::ResolveItem(const std::string&) { return nullptr; }
QstItem* QstScene::GetItemByRef(const std::string&) { return nullptr; }
PsdLayerInfo* QstScene::FindPsdLayer(const std::string&) { return nullptr; }
QstActionData* QstScene::FindActionData(const std::string& name) const
{
    auto found = actionData.find(name);
    return found == actionData.end() ? nullptr : found->second;
}
const std::string& QstScene::GetClusterName() { return clusterName; }
void QstScene::GetItemNames(std::vector<std::string>& out) const
{
    for (const auto& [itemName, item] : items)
        out.push_back(itemName);
}
void QstScene::ShowMessage(const std::u16string& text, float duration)
{
    if (!text.empty() && messageDelegate)
        messageDelegate(text, duration);
}
void QstScene::SetPool(QstPoolData* newPool) { pool = newPool; }
void QstScene::UnloadScene(QstScene*) {}
void QstScene::LoadLayers(QstScene*) {}
const std::string& QstScene::GetSceneKey()
{
    static const std::string key = "scene";
    return key;
}
void QstScene::UpdateScene(float) {}
void QstScene::CollectActionable(std::vector<QstClickTarget>&, std::vector<QstUseTarget>&) {}
bool QstScene::IsUsefulTarget(const QstClickTarget&, const std::string&, const std::vector<QstClickTarget>&,
                              const std::vector<QstUseTarget>&, int)
{
    return false;
}
bool QstScene::ShowHint() { return false; }
void QstScene::TriggerAllCandidates() {}
void QstScene::ShowGlint(const QstClickTarget&, bool) {}
void QstScene::BackFromHOG(const SBackFromHOGData&, QstPoolData*) {}
bool& QstScene::FocusClaim()
{
    static bool claim = true;
    return claim;
}

} // namespace Quib
