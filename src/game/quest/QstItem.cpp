#include "src/game/quest/QstItem.h"

#include "src/game/quest/QstItemListener.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstXmlElement.h"

namespace Quib {

QstItem::QstItem(QstItemListener* listenerIn, const std::string& nameIn) : listener(listenerIn)
{
    SetName(nameIn);
}

QstItem::~QstItem()
{
    for (auto& [stateName, state] : states)
        delete state;
}

bool QstItem::DoAddActionData(QstActionData* data)
{
    return listener && listener->DoAddActionData(data);
}

QstAction* QstItem::DoCreateAction(const std::string& dataName, bool addToRunning, bool start)
{
    return listener ? listener->DoCreateAction(this, dataName, addToRunning, start) : nullptr;
}

EQstCursorType QstItem::DoItemActionHitTest(const std::string& dataName, std::string& popupField, std::string* target)
{
    return listener ? listener->DoItemActionHitTest(this, dataName, popupField, target) : QST_CURSOR_NONE;
}

bool QstItem::OnItemStateNameChanged(QstItemState*, const std::string&, const std::string&) { return false; }
bool QstItem::IsStateNameFree(const std::string& stateName) { return states.find(stateName) == states.end(); }

void QstItem::SetName(const std::string& newName)
{
    name = newName;
    fullName = (listener ? listener->GetSceneName() : std::string()) + ":" + name;
}

bool QstItem::DoInitFromXML(QstXmlElement&, SLoadLayerDataCont&, const std::string&) { return false; }

QstItemState* QstItem::GetState(const std::string& stateName)
{
    if (stateName.empty() || (currentState && currentState->name == stateName))
        return currentState;
    auto found = states.find(stateName);
    return found == states.end() ? nullptr : found->second;
}

bool QstItem::SetState(const std::string&, bool) { return false; }

void QstItem::GetStates(std::vector<QstItemState*>& out) const
{
    for (const auto& [stateName, state] : states)
        out.push_back(state);
}

void QstItem::LoadAllLayers() {}
void QstItem::LoadState(QstXmlElement&) {}
void QstItem::SaveState(QstXmlElement&) {}

} // namespace Quib
