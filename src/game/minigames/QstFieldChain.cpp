#include "src/game/minigames/QstFieldChain.h"

#include "framework/files/FloatTransformer.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/StringTokenizer.h"
#include "framework/widgets/WidgetManager.h"
#include "src/game/minigames/ChainLayer.h"
#include "src/game/minigames/QstChainLayerData.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstFieldLayer.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/Layer/PsdLayerInfo.h"
#include "src/game/quest/Layer/QstImageLayer.h"

#include <algorithm>
#include <cmath>

namespace Quib {

QstFieldChain::QstFieldChain(QstScene* owner, void* loading, const std::string& type)
    : QstFieldMinigame(owner, loading, type)
{
    showTutorial = false;
}

bool QstFieldChain::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context)
{
    if (!QstFieldMinigame::DoInitFromXML(element, context))
        return false;
    if (!element.GetAttr("chain_item_name", chainItemName) || !element.GetAttr("chain_item_state", chainItemState))
        return false;
    int32_t z = 0;
    const std::string after = element.GetAttrDefault("insert_chain_after", "");
    if (after.empty()) {
        for (QstFieldLayer* layer : layers)
            z = std::max(z, layer->GetDepth());
    } else {
        PsdLayerInfo* info = scene ? scene->FindPsdLayer(after) : nullptr;
        if (!info) {
            element.ReportError("Layer \"" + after + "\" not found (attribute \"insert_chain_after\"");
            return false;
        }
        z = info->baseZ + 10;
    }
    MinigamePicture* link = LoadFieldPicture(context, "inventory_items/cep_zveno", this, false);
    for (int n = 1;; ++n) {
        const std::string item = element.GetAttrDefault(StrFormat("target_item%d", n).c_str(), "");
        if (item.empty())
            break;
        std::string position;
        const std::string posName = StrFormat("chain_pos%d", n);
        if (!element.GetAttr(posName.c_str(), position))
            return false;
        if (position.empty()) {
            element.ReportError("Attribute \"chain_pos\" can't be empty");
            return false;
        }
        float ax = 500.0f;
        float ay = 300.0f;
        StringTokenizer tokens(position);
        tokens.NextNumber(ax).NextNumber(ay);
        auto* data = new QstChainLayerData(z);
        data->linkPicture = link;
        data->anchorX = ax;
        data->anchorY = ay;
        auto* layer = new ChainLayer(data, 10.0f, 55.0f);
        // The layer stands at its anchor (a point inside the close-up).
        layer->x = ax;
        layer->y = ay;
        QstImageLayer::SetDataVisible(layer, false, true);
        targets.push_back(ChainTarget{item, layer});
        layers.push_back(new QstFieldLayer(layer));
    }
    if (targets.empty()) {
        element.ReportError("No one target item declared (attribute \"target_item1\", \"target_item2\", ...");
        return false;
    }
    return true;
}

void QstFieldChain::Open()
{
    QstFieldMinigame::Open();
    snapEnd = true;
}

bool QstFieldChain::IsHintStop() { return false; }

bool QstFieldChain::LayerItem(QstFieldLayer* layer, std::string& itemName, std::string& stateName)
{
    auto* itemLayer = dynamic_cast<QstFieldItemLayer*>(layer);
    if (!itemLayer || !itemLayer->GetItem())
        return false;
    itemName = itemLayer->GetItem()->name;
    stateName = itemLayer->GetState() ? itemLayer->GetState()->name : std::string();
    return true;
}

void QstFieldChain::ShowTarget(size_t index, bool visible)
{
    if (index < targets.size() && targets[index].layer)
        QstImageLayer::SetDataVisible(targets[index].layer, visible, false);
}

bool QstFieldChain::OnLayerClick(int, int, QstFieldLayer* layer)
{
    std::string item;
    std::string state;
    if (!layer || !LayerItem(layer, item, state))
        return false;
    if (active) {
        if (currentTarget < targets.size() && item == targets[currentTarget].itemName) {
            ShowTarget(currentTarget, false);
            currentTarget += 1;
            if (currentTarget >= targets.size())
                active = false;
            else
                ShowTarget(currentTarget, true);
        }
    } else if (item == chainItemName && state == chainItemState) {
        active = true;
        currentTarget = 0;
        ShowTarget(0, true);
    }
    return false;
}

bool QstFieldChain::IsLayerIgnored(int, int, QstFieldLayer* layer, EQstCursorType&)
{
    if (!active)
        return false;
    std::string item;
    std::string state;
    if (!LayerItem(layer, item, state))
        return false;
    return currentTarget >= targets.size() || item != targets[currentTarget].itemName;
}

bool QstFieldChain::IsClickAllowed(int, int)
{
    if (!active || cursorType != QST_CURSOR_NONE)
        return true;
    active = false;
    for (size_t i = 0; i < targets.size(); ++i)
        ShowTarget(i, false);
    // At once, but as a finished puzzle: the win runs once and the state
    // is no longer saved as open.
    if (!finishing) {
        finishing = true;
        opened = false;
        RunOnWin();
    }
    return false;
}

void QstFieldChain::Update(float seconds)
{
    QstFieldMinigame::Update(seconds);
    float tx = chainEndX;
    float ty = chainEndY;
    if (manager) {
        const Point screen = GetScreenPosition();
        tx = float(manager->mouseX + x - screen.x);
        ty = float(manager->mouseY + y - screen.y);
    }
    if (snapEnd) {
        snapEnd = false;
        chainEndX = tx;
        chainEndY = ty;
    } else {
        const float step = seconds * 10000.0f;
        const float dx = chainEndX - tx;
        const float dy = chainEndY - ty;
        const float len = std::sqrt(dx * dx + dy * dy);
        if (len > 0.0f) {
            ApproachFloat(chainEndX, std::fabs(dx) * step / len, tx);
            ApproachFloat(chainEndY, std::fabs(dy) * step / len, ty);
        }
    }
    for (ChainTarget& target : targets) {
        if (target.layer && target.layer->chainData)
            target.layer->Simulate(chainEndX - target.layer->chainData->anchorX,
                                   chainEndY - target.layer->chainData->anchorY);
    }
}

bool QstFieldChain::SaveMinigameState(QstXmlElement& element)
{
    if (!QstFieldMinigame::SaveMinigameState(element))
        return false;
    if (active) {
        element.SetAttr("1", "is_chain_active");
        if (currentTarget != 0)
            element.SetAttrInt("cur_target", int(currentTarget));
    }
    return true;
}

bool QstFieldChain::LoadMinigameState(QstXmlElement& element, bool* openedFlag)
{
    if (!QstFieldMinigame::LoadMinigameState(element, openedFlag))
        return false;
    if (!element.HasAttr("is_chain_active"))
        return true;
    const int index = element.GetAttrInt("cur_target", 0);
    if (index < 0 || size_t(index) >= targets.size()) {
        // A target the field does not have: the chain stays put away.
        element.ReportError("Attribute \"cur_target\" out of range");
        return true;
    }
    currentTarget = uint32_t(index);
    active = true;
    ShowTarget(currentTarget, true);
    if (openedFlag)
        *openedFlag = true;
    return true;
}

} // namespace Quib
