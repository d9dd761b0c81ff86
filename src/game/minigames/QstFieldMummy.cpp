#include "src/game/minigames/QstFieldMummy.h"

#include "framework/files/FloatTransformer.h"
#include "framework/files/Random.h"
#include "src/GameApp.h"
#include "src/Lang.h"
#include "src/game/minigames/PointerWarp.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstXmlElement.h"

#include <algorithm>
#include <cmath>

namespace Quib {

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;

} // namespace

QstFieldMummy::QstFieldMummy(QstScene* owner, void* loading, const std::string& type)
    : QstFieldMinigame(owner, loading, type),
      jitter(std::make_unique<ShakeJitter>(ShakeJitter{2, 2, 0.02f, 0.05f, 1000.0f, 0, 0, 0.0f, 0.0f, 0.0f}))
{
    showTutorial = false;
}

QstFieldMummy::~QstFieldMummy() = default;

bool QstFieldMummy::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context)
{
    if (!QstFieldMinigame::DoInitFromXML(element, context))
        return false;
    return element.GetAttr("pool_item_name", poolItemName) && element.GetAttr("mummy_item_name", targetItemName) &&
           element.GetAttr("mummy_item_state", targetState) && element.GetAttr("mummy_item_new_state", newState) &&
           element.GetAttr("mummy_item2_name", secondTargetName) && element.GetAttrUInt("hit_count", hitCount);
}

void QstFieldMummy::SetSpeedTarget()
{
    static const float table[] = {1.0f, 1.2f, 2.0f, 2.5f, 3.0f, 4.0f, 4.5f};
    if (hits >= 0 && hits < 7)
        speedTarget = table[hits];
}

void QstFieldMummy::SetCursorKind(int32_t kind)
{
    shownCursor = kind;
    if (GameApp* app = GetGameApp())
        app->SetCursorType(kind);
}

int32_t QstFieldMummy::CurrentCursorKind() const
{
    if (GameApp* app = GetGameApp())
        return app->CursorKindShown();
    return shownCursor;
}

QstPoolData* QstFieldMummy::ScenePool() const
{
    if (!scene)
        return nullptr;
    if (QstPoolData* pool = scene->GetPool())
        return pool;
    return QstGameControllerScene::Instance().GetPoolData(scene->GetClusterName());
}

void QstFieldMummy::SetPoolFireMode(bool on)
{
    if (QstPoolData* pool = ScenePool())
        pool->SetFireMode(on);
}

bool QstFieldMummy::IsPoolFireMode() const
{
    const QstPoolData* pool = ScenePool();
    return pool && pool->IsFireMode();
}

void QstFieldMummy::ShiftPointer(int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return;
    if (!WarpMousePointerBy(dx, dy)) {
        virtualOffset.x += dx;
        virtualOffset.y += dy;
    }
}

void QstFieldMummy::EndFireMode()
{
    const bool wasFiring = fireMode || raising;
    fireMode = false;
    raising = false;
    reapplyPool = false;
    SetPoolFireMode(false);
    virtualOffset = Point();
    appliedOffset = Point();
    cursorPhase = 0;
    pause = 0.0f;
    if (wasFiring)
        SetCursorKind(CURSOR_ARROW);
}

void QstFieldMummy::OnClosed()
{
    EndFireMode();
    QstFieldMinigame::OnClosed();
}

void QstFieldMummy::ButtonDepress(int id)
{
    if (id == QstFieldControl::kSkipId || id == QstFieldControl::kCloseId)
        EndFireMode();
    QstFieldMinigame::ButtonDepress(id);
}

bool QstFieldMummy::CanTakePoolItem(QstItem* item, QstItemState*)
{
    if (fireMode || finishing || !item || item != QstScene::GetItemByRef(poolItemName) || !scene)
        return true;
    QstItem* target = scene->GetItem(targetItemName);
    if (!target || !target->GetCurrentState() || target->GetCurrentState()->name != targetState)
        return true;
    fireMode = true;
    target->SetState(newState, true);
    raising = true;
    phaseTime = 0.0f;
    SetPoolFireMode(true);
    return false;
}

bool QstFieldMummy::OnLayerClick(int, int, QstFieldLayer* layer)
{
    if (!fireMode)
        return false;
    if (cursorPhase != 0)
        return true;
    auto* itemLayer = dynamic_cast<QstFieldItemLayer*>(layer);
    QstItem* item = itemLayer ? itemLayer->GetItem() : nullptr;
    if (item && (item->name == targetItemName || item->name == secondTargetName)) {
        hits += 1;
        SetSpeedTarget();
        // A hit count of 0 is taken as one hit.
        if (hits >= int32_t(hitCount == 0 ? 1u : hitCount)) {
            EndFireMode();
            SetCursorKind(CURSOR_ARROW);
            if (!finishing) {
                finishing = true;
                opened = false;
                RunOnWin();
            }
            return false;
        }
        cursorPhase = 1;
        pause = 2.0f;
        return false;
    }
    if (scene)
        scene->ShowMessage(Lang::Instance()("MsgBubble", "MummyMiss"), -1.0f);
    pause = 2.0f;
    cursorPhase = 2;
    return true;
}

void QstFieldMummy::OnMouseLeave() { QstFieldMinigame::OnMouseLeave(); }

void QstFieldMummy::OnMouseMove(int px, int py)
{
    QstFieldMinigame::OnMouseMove(px + virtualOffset.x, py + virtualOffset.y);
    if (fireMode)
        SetCursorKind(cursorPhase == 1 ? CURSOR_AIM_HIT : cursorPhase == 2 ? CURSOR_AIM_MISS : CURSOR_AIM);
}

void QstFieldMummy::OnMouseDownButton(int px, int py, int button, int count)
{
    QstFieldMinigame::OnMouseDownButton(px + virtualOffset.x, py + virtualOffset.y, button, count);
}

void QstFieldMummy::OnMouseUpButton(int px, int py, int button, int count)
{
    QstFieldMinigame::OnMouseUpButton(px + virtualOffset.x, py + virtualOffset.y, button, count);
}

void QstFieldMummy::Update(float seconds)
{
    QstFieldMinigame::Update(seconds);
    // A closing close-up takes fire mode with it.
    if (targetAlpha == 0.0f && (fireMode || raising))
        EndFireMode();
    if (reapplyPool) {
        reapplyPool = false;
        SetPoolFireMode(true);
    }
    if (pause != 0.0f && ApproachFloat(pause, seconds, 0.0f))
        cursorPhase = 0;
    if (!fireMode)
        return;
    Point offset;
    if (raising) {
        if (ApproachFloat(phaseTime, 2.0f * seconds, 1.0f)) {
            raising = false;
            phaseTime = 0.0f;
            appliedOffset = Point();
            wanderAngle = kPi;
            return;
        }
        offset = Point(0, int(-phaseTime * 120.0f));
    } else {
        const int32_t kind = CurrentCursorKind();
        if (kind != CURSOR_AIM && kind != CURSOR_AIM_HIT && kind != CURSOR_AIM_MISS)
            return;
        ApproachFloat(speed, seconds, speedTarget);
        jitter->Update(seconds);
        if (ApproachFloat(phaseTime, seconds, segmentDuration)) {
            phaseTime = 0.0f;
            wanderAngle += RandomFloatMT(kPi) + kPi / 2.0f;
            if (wanderAngle >= kTwoPi)
                wanderAngle -= kTwoPi;
            wanderFrom = wanderTo;
            wanderTo = Point(int(std::sin(wanderAngle) * 50.0f), int(std::cos(wanderAngle) * 50.0f));
            const float dx = float(wanderTo.x - wanderFrom.x);
            const float dy = float(wanderTo.y - wanderFrom.y);
            segmentDuration = std::sqrt(dx * dx + dy * dy) / 100.0f;
        }
        const float f = segmentDuration != 0.0f ? phaseTime / segmentDuration : 0.0f;
        const float s = 0.5f - 0.5f * std::cos(f * kPi);
        const float k = (speed - 1.0f) * 0.3f + 1.0f;
        offset.x = int(float(int((float(wanderFrom.x) + float(wanderTo.x - wanderFrom.x) * s) * speed)) +
                       float(int(jitter->offsetX)) * k);
        offset.y = int(float(int((float(wanderFrom.y) + float(wanderTo.y - wanderFrom.y) * s) * speed)) +
                       float(int(jitter->offsetY)) * k);
    }
    if (offset.x != appliedOffset.x || offset.y != appliedOffset.y) {
        ShiftPointer(offset.x - appliedOffset.x, offset.y - appliedOffset.y);
        appliedOffset = offset;
    }
}

bool QstFieldMummy::SaveMinigameState(QstXmlElement& element)
{
    if (!QstFieldMinigame::SaveMinigameState(element))
        return false;
    if (fireMode) {
        element.SetAttr("1", "is_fire_mode");
        element.SetAttrInt("shake_level", hits);
    }
    return true;
}

bool QstFieldMummy::LoadMinigameState(QstXmlElement& element, bool* openedFlag)
{
    if (!QstFieldMinigame::LoadMinigameState(element, openedFlag))
        return false;
    if (!element.HasAttr("is_fire_mode"))
        return true;
    if (openedFlag)
        *openedFlag = true;
    bool on = false;
    element.GetAttrBoolOpt("is_fire_mode", on);
    unsigned level = 0;
    if (!element.GetAttrUInt("shake_level", level))
        return false;
    fireMode = on;
    hits = int32_t(std::min(level, 1000u));
    SetSpeedTarget();
    reapplyPool = fireMode;
    return true;
}

} // namespace Quib
