#include "src/game/quest/QstItem.h"

#include "framework/files/ProcessLog.h"
#include "src/game/quest/Layer/QstLayer.h"
#include "src/game/quest/Layer/QstLayerData.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstItemListener.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstXmlElement.h"

#include <tinyxml.h>

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

bool QstItem::OnItemStateNameChanged(QstItemState* state, const std::string& oldName, const std::string& newName)
{
    if (!IsStateNameFree(newName))
        return false;
    auto found = states.find(oldName);
    if (found == states.end()) {
        QUIB_LOG_ERROR("Try to rename item state \"%s\" that does not exists in item \"%s\"", oldName, name);
        return false;
    }
    QstItemState* moved = found->second;
    states.erase(found);
    states[newName] = moved;
    (void)state;
    if (startState == oldName)
        startState = newName;
    return true;
}

bool QstItem::IsStateNameFree(const std::string& stateName)
{
    return states.find(stateName) == states.end();
}

void QstItem::SetName(const std::string& newName)
{
    name = newName;
    fullName = (listener ? listener->GetSceneName() : std::string()) + ":" + name;
}

bool QstItem::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context, const std::string& mask)
{
    std::string readName;
    if (!element.GetAttr("name", readName))
        return false;
    SetName(readName);
    if (readName.empty())
        return element.ReportError("Empty item name not allowed");

    TiXmlElement* xml = element.GetElement();
    for (TiXmlElement* child = xml ? xml->FirstChildElement("State") : nullptr; child;
         child = child->NextSiblingElement("State")) {
        QstXmlElement cursor(child, element);
        auto* state = new QstItemState(this, std::string());
        if (!state->DoInitFromXML(cursor, context, mask)) {
            state->DiscardLayers(context);
            delete state;
            return false;
        }
        if (states.count(state->name)) {
            std::string taken = state->name;
            state->DiscardLayers(context);
            delete state;
            return cursor.ReportError("State \"" + taken + "\" already exists");
        }
        states[state->name] = state;
    }
    if (!states.count("off"))
        states["off"] = new QstItemState(this, "off");

    std::string start = element.GetAttrDefault("start_state", "");
    if (!start.empty()) {
        auto found = states.find(start);
        if (found == states.end())
            return element.ReportError("Start state \"" + start + "\" not found in item states");
        currentState = found->second;
    } else {
        auto normal = states.find("normal");
        currentState = normal != states.end() ? normal->second : states["off"];
    }
    startState = currentState->name;
    for (auto& [stateName, state] : states) {
        if (state == currentState)
            state->Show(true);
        else
            state->Hide(true);
    }
    return true;
}

QstItemState* QstItem::GetState(const std::string& stateName)
{
    if (stateName.empty() || (currentState && currentState->name == stateName))
        return currentState;
    auto found = states.find(stateName);
    return found == states.end() ? nullptr : found->second;
}

bool QstItem::SetState(const std::string& stateName, bool immediately)
{
    auto found = states.find(stateName);
    if (found == states.end())
        return false;
    QstItemState* next = found->second;
    if (next == currentState)
        return true;
    if (currentState)
        currentState->Hide(immediately);
    currentState = next;
    currentState->Show(immediately);
    if (stateChanged)
        stateChanged.function(stateChanged.object, this, stateName);
    return true;
}

void QstItem::GetStates(std::vector<QstItemState*>& out) const
{
    for (const auto& [stateName, state] : states)
        out.push_back(state);
}

void QstItem::LoadAllLayers()
{
    for (auto& [stateName, state] : states) {
        for (QstFieldItemLayer* itemLayer : state->layers) {
            QstLayer* layer = itemLayer ? itemLayer->GetLayer() : nullptr;
            if (layer && layer->data && !layer->data->loaded)
                layer->data->Load();
        }
    }
}

void QstItem::DiscardLayers(SLoadLayerDataCont& context)
{
    for (auto& [stateName, state] : states)
        state->DiscardLayers(context);
}

void QstItem::LoadState(QstXmlElement& element)
{
    SetState(element.GetAttrDefault("state", startState), true);
}

void QstItem::SaveState(QstXmlElement& element)
{
    if (!currentState || currentState->name == startState)
        return;
    element.SetAttr(currentState->name, "state");
}

} // namespace Quib
