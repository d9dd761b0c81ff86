#include "src/game/quest/QstFieldItemLayer.h"

#include "src/game/quest/Layer/QstLayer.h"
#include "src/game/quest/Layer/QstLayerData.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemListener.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstTutor.h"

namespace Quib {

namespace {

QstScene* SceneOfState(const QstItemState* state)
{
    QstItem* item = state ? state->item : nullptr;
    return (item && item->GetListener()) ? item->GetListener()->GetScene() : nullptr;
}

} // namespace

QstFieldItemLayer::QstFieldItemLayer(QstLayer* drawn, QstItemState* itemState)
    : QstFieldLayer(drawn), state(itemState)
{
    if (layer)
        layer->SetVisible(true, true);
}

QstItem* QstFieldItemLayer::GetItem() const { return state ? state->item : nullptr; }

bool QstFieldItemLayer::IsActive(bool flag1, bool, bool flag3, bool flag4, bool flag5) const
{
    const QstLayerData* data = layer ? layer->data : nullptr;
    return data && flag1 && (data->groupVisible || flag4) && (data->shown || flag5) && (layer->visible || flag3);
}

void QstFieldItemLayer::OnClick(int x, int y)
{
    if (!layer || !layer->data || !state || !state->item)
        return;
    if (layer->data->disabled || layer->IsFading())
        return;
    if (QstScene* scene = SceneOfState(state)) {
        if (QstTutor* tutor = scene->GetTutor(); tutor && !tutor->OnClickTarget(state->item->GetFullName(), state->name))
            return;
    }
    if (field && field->OnLayerClick(x, y, this))
        return;
    state->OnClick();
}

bool QstFieldItemLayer::GetItemAndState(std::string& itemName, std::string& stateName) const
{
    QstItem* item = GetItem();
    if (!item)
        return false;
    itemName = item->GetFullName();
    stateName = item->GetCurrentState() ? item->GetCurrentState()->name : std::string();
    return true;
}

bool QstFieldItemLayer::UseItemOn(QstItem* used)
{
    QstItem* item = GetItem();
    if (!used || !item || !used->GetCurrentState() || !item->GetCurrentState())
        return false;
    return used->GetCurrentState()->OnUse(item->GetFullName(), item->GetCurrentState()->name);
}

bool QstFieldItemLayer::IsIgnored(int x, int y, EQstCursorType& cursor)
{
    return field && field->IsLayerIgnored(x, y, this, cursor);
}

EQstCursorType QstFieldItemLayer::GetCursorType(std::string* target)
{
    if (!state || !state->item)
        return QST_CURSOR_NONE;
    if (QstScene* scene = SceneOfState(state)) {
        if (QstTutor* tutor = scene->GetTutor();
            tutor && !tutor->IsClickAllowed(state->item->GetFullName(), state->name))
            return QST_CURSOR_NONE;
    }
    std::string popup;
    return state->GetCursorType(popup, target);
}

QstItemState* QstFieldItemLayer::GetExitTarget(std::string& destination)
{
    if (!IsFullyVisible() || !state || !state->item || state->clickGroup.empty())
        return nullptr;
    std::string popup;
    std::string target;
    if (state->item->DoItemActionHitTest(state->clickGroup, popup, &target) != QST_CURSOR_LEAVE)
        return nullptr;
    destination = target;
    return state;
}

void QstFieldItemLayer::CollectTargets(const std::vector<QstPoolItemInfo>& inventory,
                                       std::vector<QstClickTarget>& clicks, std::vector<QstUseTarget>& uses)
{
    QstItem* item = GetItem();
    if (!item || !layer || !layer->data)
        return;
    if (!layer->data->shown || !layer->data->groupVisible || !layer->visible)
        return;
    QstItemState* current = item->GetCurrentState();
    if (!current)
        return;
    if (!current->noHint) {
        std::string popup;
        const EQstCursorType kind = current->GetCursorType(popup, nullptr);
        if (kind != QST_CURSOR_NONE && kind != QST_CURSOR_LEAVE && kind != QST_CURSOR_HINT) {
            QstClickTarget record;
            record.field = field;
            record.layer = this;
            record.state = current;
            record.item = item;
            if (kind == QST_CURSOR_CLOSEUP)
                record.opens = popup;
            clicks.insert(clicks.begin(), record);
        }
    }
    std::vector<QstUseTargetRecord> targets;
    for (const QstPoolItemInfo& entry : inventory) {
        if (!entry.item)
            continue;
        QstItemState* entryState = entry.item->GetState(entry.state);
        if (!entryState)
            continue;
        targets.clear();
        QstField::CollectUseTargets(entryState, targets);
        for (const QstUseTargetRecord& target : targets) {
            if (target.noHint || target.targetItem != item->GetFullName() || target.targetState != current->name)
                continue;
            QstUseTarget record;
            record.field = field;
            record.layer = this;
            record.state = current;
            record.item = item;
            record.opens = target.popupField;
            record.poolEntry = entry.entry;
            record.poolState = entryState;
            record.poolItem = entry.item;
            uses.push_back(record);
        }
    }
}

bool QstFieldItemLayer::IsOutsideBounds() const { return state && state->ignoreBoundingRect; }

} // namespace Quib
