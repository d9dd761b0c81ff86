#include "src/game/quest/QstItemState.h"

#include "framework/files/PrintfFormat.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/StringUtils.h"
#include "src/Lang.h"
#include "src/game/quest/Layer/QstAnimLayer.h"
#include "src/game/quest/Layer/QstAnimLayerData.h"
#include "src/game/quest/Layer/QstImageLayer.h"
#include "src/game/quest/Layer/QstImageLayerData.h"
#include "src/game/quest/Layer/QstParticlesLayer.h"
#include "src/game/quest/Layer/QstParticlesLayerData.h"
#include "src/game/quest/Layer/QstSeaLayer.h"
#include "src/game/quest/Layer/QstTextLayer.h"
#include "src/game/quest/Layer/QstTextLayerData.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemListener.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/actions/QstActionsGroupData.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace Quib {

namespace {

void RegisterActionData(void* context, QstActionData* data)
{
    static_cast<QstItem*>(context)->DoAddActionData(data);
}

// Takes an item layer that is being deleted out of every user list.
void ForgetLayerUser(SLoadLayerDataCont& context, QstFieldItemLayer* itemLayer)
{
    for (PsdLayerInfo& info : context.layers) {
        auto& users = info.users;
        users.erase(std::remove(users.begin(), users.end(), static_cast<QstFieldLayer*>(itemLayer)), users.end());
    }
}

// The layer and data of a layer element; null for other element names.
QstLayer* MakeLayerOfElement(const char* tag)
{
    if (std::strcmp(tag, "Image") == 0)
        return new QstImageLayer(new QstImageLayerData(0));
    if (std::strcmp(tag, "Anim") == 0)
        return new QstAnimLayer(new QstAnimLayerData(0));
    if (std::strcmp(tag, "Particles") == 0)
        return new QstParticlesLayer(new QstParticlesLayerData(0));
    if (std::strcmp(tag, "Text") == 0)
        return new QstTextLayer(new QstTextLayerData(0));
    if (std::strcmp(tag, "SeaBack") == 0)
        return new QstSeaLayer(new QstImageLayerData(0));
    return nullptr;
}

} // namespace

QstItemState::QstItemState(QstItem* itemIn, std::string nameIn) : item(itemIn), name(std::move(nameIn)) {}

QstItemState::~QstItemState() = default;

bool QstItemState::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context, const std::string& mask)
{
    if (!element.GetAttr("name", name))
        return false;
    if (name.empty())
        return element.ReportError("Empty state name not allowed");

    noHint = element.HasAttr("no_hint");
    ignoreBoundingRect = element.GetAttrBool("is_ignore_brect", false);
    if (const char* pos = element.GetAttrText("hint_pos", false)) {
        std::vector<int> numbers;
        StringToIntVector(pos, numbers);
        // Fewer than two numbers is no position at all.
        if (numbers.size() >= 2) {
            hasHintPos = true;
            hintPos[0] = numbers[0];
            hintPos[1] = numbers[1];
        }
    }

    const std::string image = element.GetAttrDefault("image", "");
    if (!image.empty()) {
        bool made = false;
        for (PsdLayerInfo& info : context.layers) {
            if (info.name != image)
                continue;
            info.used = true;
            auto* data = new QstImageLayerData(info.baseZ + static_cast<int32_t>(info.users.size()));
            data->SetResource(context.directory, info.name);
            auto* layer = new QstImageLayer(data);
            layer->x = info.x;
            layer->y = info.y;
            auto* itemLayer = new QstFieldItemLayer(layer, this);
            layers.push_back(itemLayer);
            info.users.push_back(itemLayer);
            made = true;
        }
        if (!made)
            element.ReportError("Image \"" + image + "\" not found");
    }

    const std::string exitName = element.GetAttrDefault("exit", "");
    if (!exitName.empty()) {
        if (PsdLayerInfo* info = context.Find(exitName)) {
            info->used = true;
            auto* data = new QstImageLayerData(info->baseZ + static_cast<int32_t>(info->users.size()));
            data->forceLoad = true;
            data->SetResource(context.directory, info->name);
            auto* layer = new QstImageLayer(data);
            layer->x = info->x;
            layer->y = info->y;
            QstImageLayer::SetDataVisible(layer, false, true);
            auto* itemLayer = new QstFieldItemLayer(layer, this);
            exitLayer = itemLayer;
            layers.push_back(itemLayer);
            info->users.push_back(itemLayer);
        } else {
            element.ReportError("Image for \"exit\" not found: \"" + exitName + "\"");
        }
    }

    TiXmlElement* xml = element.GetElement();
    for (TiXmlElement* child = xml ? xml->FirstChildElement() : nullptr; child; child = child->NextSiblingElement()) {
        QstLayer* layer = MakeLayerOfElement(child->Value());
        if (!layer)
            continue;
        auto* itemLayer = new QstFieldItemLayer(layer, this);
        QstXmlElement cursor(child, element);
        TPoint<float> position{0.0f, 0.0f};
        if (!layer->data->DoInitFromXML(cursor, context, mask, position, itemLayer)) {
            ForgetLayerUser(context, itemLayer);
            delete itemLayer;
            return false;
        }
        layer->x = position.x;
        layer->y = position.y;
        layer->Start();
        layers.push_back(itemLayer);
    }

    const std::string prefix = item->GetName() + "." + name;
    if (TiXmlElement* click = xml ? xml->FirstChildElement("OnClick") : nullptr) {
        QstXmlElement cursor(click, element);
        QstActionsGroupData* group = QstActionsGroupData::Create(&cursor, prefix + "_OnClick");
        if (group) {
            clickGroup = group->GetName();
            group->ForEachData({item, &RegisterActionData});
        }
    }

    int index = 0;
    for (TiXmlElement* use = xml ? xml->FirstChildElement("OnUse") : nullptr; use;
         use = use->NextSiblingElement("OnUse"), ++index) {
        QstXmlElement cursor(use, element);
        QstUseEntry entry;
        entry.groupName = prefix + "_OnUse" + StrFormat("%02d", index);
        if (!cursor.GetAttr("target_item", entry.targetItem))
            return false;
        if (entry.targetItem.find(':') == std::string::npos)
            entry.targetItem = item->GetListener()->GetSceneName() + ":" + entry.targetItem;
        entry.noHint = cursor.HasAttr("no_hint");
        if (!cursor.GetAttr("target_item_state", entry.targetState))
            return false;
        for (const QstUseEntry& earlier : useEntries) {
            if (earlier.targetItem == entry.targetItem && earlier.targetState == entry.targetState)
                return cursor.ReportError("Found 2 equal OnUse actions\n(target_item=\"" + entry.targetItem +
                                          "\", target_item_state=\"" + entry.targetState + "\"");
        }
        QstActionsGroupData* group = QstActionsGroupData::Create(&cursor, entry.groupName);
        if (group)
            group->ForEachData({item, &RegisterActionData});
        useEntries.push_back(std::move(entry));
    }
    return true;
}

void QstItemState::Show(bool immediately)
{
    for (QstFieldItemLayer* itemLayer : layers)
        if (QstLayer* layer = itemLayer->GetLayer())
            layer->SetVisible(true, immediately);
}

void QstItemState::Hide(bool immediately)
{
    for (QstFieldItemLayer* itemLayer : layers)
        if (QstLayer* layer = itemLayer->GetLayer())
            layer->SetVisible(false, immediately);
}

EQstCursorType QstItemState::GetCursorType(std::string& popupField, std::string* target)
{
    if (!clickGroup.empty()) {
        EQstCursorType kind = item->DoItemActionHitTest(clickGroup, popupField, target);
        if (kind != QST_CURSOR_NONE)
            return kind;
    }
    if (noHint || hintId.empty())
        return QST_CURSOR_NONE;
    return QST_CURSOR_HINT;
}

void QstItemState::OnClick()
{
    QstScene* scene = item->GetListener() ? item->GetListener()->GetScene() : nullptr;
    bool showHint = clickGroup.empty();
    if (!clickGroup.empty() && scene) {
        if (QstActionData* data = scene->FindActionData(clickGroup)) {
            std::string popup;
            showHint = data->GetCursorType(scene->GetActor(), popup, nullptr, nullptr) == QST_CURSOR_NONE ||
                       data->HasMessage(scene->GetActor(), item, this);
        } else {
            QUIB_LOG_ERROR("Action data not found: \"%s\"", clickGroup);
        }
    }
    if (!clickGroup.empty())
        item->DoCreateAction(clickGroup, true, true);
    if (!showHint || !scene)
        return;
    if (!hintIdComputed)
        ComputeHintId();
    if (hintId.empty())
        return;
    std::u16string text = Lang::Instance()("Hint", hintId);
    if (text == Lang::kMissingText)
        text = std::u16string(hintId.begin(), hintId.end());
    scene->ShowMessage(text, -1.0f);
}

bool QstItemState::OnUse(const std::string& targetItemFullName, const std::string& targetStateName)
{
    for (const QstUseEntry& entry : useEntries) {
        if (entry.groupName.empty())
            continue;
        if (!entry.targetItem.empty() && entry.targetItem != targetItemFullName)
            continue;
        if (!entry.targetState.empty() && entry.targetState != targetStateName)
            continue;
        std::string popup;
        if (item->DoItemActionHitTest(entry.groupName, popup, nullptr) != QST_CURSOR_NONE) {
            item->DoCreateAction(entry.groupName, true, true);
            return true;
        }
    }
    return false;
}

FRect QstItemState::GetBoundingRect() const
{
    if (ignoreBoundingRect)
        return {};
    bool any = false;
    float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
    for (QstFieldItemLayer* itemLayer : layers) {
        QstLayer* layer = itemLayer->GetLayer();
        if (!layer || !layer->data)
            continue;
        float lx = layer->x;
        float ly = layer->y;
        if (QstField* field = itemLayer->GetField()) {
            lx += static_cast<float>(field->x);
            ly += static_cast<float>(field->y);
        }
        const float lr = lx + layer->data->width;
        const float lb = ly + layer->data->height;
        if (!any) {
            left = lx, top = ly, right = lr, bottom = lb;
            any = true;
        } else {
            left = std::min(left, lx);
            top = std::min(top, ly);
            right = std::max(right, lr);
            bottom = std::max(bottom, lb);
        }
    }
    if (!any)
        return {};
    return {left, top, right - left, bottom - top};
}

void QstItemState::ComputeHintId()
{
    hintIdComputed = true;
    if (noHint)
        return;
    QstScene* scene = item->GetListener() ? item->GetListener()->GetScene() : nullptr;
    bool qualifies = clickGroup.empty() || !useEntries.empty();
    if (!qualifies && scene) {
        if (QstActionData* data = scene->FindActionData(clickGroup)) {
            std::string popup;
            bool conditional = false;
            data->GetCursorType(scene->GetActor(), popup, &conditional, nullptr);
            qualifies = conditional || data->HasMessage(scene->GetActor(), item, this);
        }
    }
    if (!qualifies)
        return;
    for (QstFieldItemLayer* itemLayer : layers) {
        QstLayer* layer = itemLayer->GetLayer();
        if (!layer || !layer->data || layer->data->disabled || !layer->data->mouseVisible)
            continue;
        hintId = item->GetListener()->GetSceneName() + "." + layer->data->GetResName();
        if (Lang::Instance()("Hint", hintId).empty())
            hintId.clear();
        return;
    }
}

void QstItemState::DiscardLayers(SLoadLayerDataCont& context)
{
    for (QstFieldItemLayer* itemLayer : layers) {
        ForgetLayerUser(context, itemLayer);
        delete itemLayer;
    }
    layers.clear();
    exitLayer = nullptr;
}

void QstItemState::AddUsedOn(const std::string& itemFullName, const std::string& stateName)
{
    usableHere.emplace_back(itemFullName, stateName);
}

} // namespace Quib
