#include "src/game/quest/QstField.h"

#include "src/GameApp.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstFieldLayer.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstTutor.h"
#include "src/game/quest/Layer/QstLayer.h"
#include "src/game/quest/Layer/QstLayerData.h"
#include "src/screens/Avatar.h"

namespace Quib {

namespace {

} // namespace

int32_t QstField::AppCursorFor(EQstCursorType kind)
{
    switch (kind) {
    case QST_CURSOR_HOG:
    case QST_CURSOR_CLOSEUP:
        return CURSOR_MAGNIFIER;
    case QST_CURSOR_USE:
    case QST_CURSOR_HINT:
        return CURSOR_HAND;
    default:
        return CURSOR_ARROW;
    }
}

namespace {

void SetAppCursor(int32_t kind)
{
    if (GameApp* app = GetGameApp())
        app->SetCursorType(kind);
}

QstItem* DraggedItemOf(QstScene* scene)
{
    QstPoolData* pool = scene ? scene->GetPool() : nullptr;
    return pool ? pool->GetDraggedItem() : nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// Hit tests

int QstField::ControlAt(int px, int py)
{
    for (size_t i = 0; i < controls.size(); ++i) {
        const QstFieldControl* control = controls[i];
        // A hidden control (the close control of "main", the skip control
        // of a plain field) leaves the mouse to the layers under it.
        if (!control->visible)
            continue;
        if (QstFieldControl::PictureHit(control->chargePicture, control->x + control->chargeOffsetX,
                                        control->y + control->chargeOffsetY, px, py))
            return int(i);
    }
    return -1;
}

bool QstField::HoverControl(int px, int py)
{
    const int found = ControlAt(px, py);
    if (found != hoveredControl) {
        if (hoveredControl >= 0)
            controls[size_t(hoveredControl)]->hovered = false;
        hoveredControl = found;
        if (found >= 0)
            controls[size_t(found)]->hovered = true;
    }
    return hoveredControl >= 0;
}

bool QstField::IsOverControl(int px, int py)
{
    for (const QstFieldControl* control : controls) {
        if (control->alpha == 0.0f)
            continue;
        if (QstFieldControl::PictureHit(control->basePicture, control->x, control->y, px, py))
            return true;
    }
    return false;
}

QstFieldLayer* QstField::FindLayerAt(int px, int py)
{
    static constexpr int kProbes[9][2] = {{0, 0},  {0, -2}, {0, 2},  {-2, 0}, {2, 0},
                                          {-2, -2}, {-2, 2}, {2, -2}, {2, 2}};
    for (auto it = layers.rbegin(); it != layers.rend(); ++it) {
        for (const auto& probe : kProbes) {
            if ((*it)->HitTest(px + probe[0], py + probe[1]))
                return *it;
        }
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Hover

void QstField::OnMouseMove(int px, int py)
{
    EQstCursorType kind = cursorType;
    if (HoverControl(px, py)) {
        kind = QST_CURSOR_NONE;
    } else if (!ExitLabelHitTest(px, py)) {
        QstFieldLayer* found = FindLayerAt(px, py);
        if (!found || found->IsIgnored(px, py, kind)) {
            if (hoveredLayer) {
                hoveredLayer->hovered = false;
                hoveredLayer->MouseLeave();
            }
            hoveredLayer = nullptr;
        } else {
            if (found != hoveredLayer) {
                if (hoveredLayer) {
                    hoveredLayer->hovered = false;
                    hoveredLayer->MouseLeave();
                }
                hoveredLayer = found;
                hoveredLayer->hovered = true;
                hoveredLayer->MouseEnter(px, py);
            }
            hoveredLayer->MouseMove(px, py);
            if (!DraggedItemOf(scene))
                kind = hoveredLayer->GetCursorType(nullptr);
        }
    }
    if (kind != cursorType) {
        cursorType = kind;
        SetAppCursor(AppCursorFor(kind));
    }
    showAllExitLabels = cursorType == QST_CURSOR_LEAVE && hoveredLayer != nullptr;
    ExitLabelHitTest(px, py);
    if (IsInInnerArea(px, py) && !IsOverControl(px, py))
        OnInnerMouseMove(px, py);
}

// ---------------------------------------------------------------------------
// Press

namespace {

void SetMood(QstScene* scene, int mood)
{
    if (scene && scene->avatar)
        scene->avatar->requestedMood = mood;
}

} // namespace

void QstField::OnMouseDownButton(int px, int py, int button, int clicks)
{
    GameApp* app = GetGameApp();
    if (app)
        app->LockCursor();
    if (hoveredControl >= 0) {
        controls[size_t(hoveredControl)]->Press(clicks);
        pressedControl = hoveredControl;
        return;
    }
    const EQstCursorType kind = cursorType;
    bool tail = true;
    if (QstItem* dragged = DraggedItemOf(scene)) {
        // Using the dragged inventory item on what is under the mouse. Inside
        // an exit label's circle the hover is not followed, so the layer
        // hovered last may lie elsewhere: the use goes to the layer under
        // the mouse.
        QstFieldLayer* under = FindLayerAt(px, py);
        EQstCursorType ignoredKind = cursorType;
        if (under && under->IsIgnored(px, py, ignoredKind))
            under = nullptr;
        if (under != hoveredLayer) {
            if (hoveredLayer) {
                hoveredLayer->hovered = false;
                hoveredLayer->MouseLeave();
            }
            hoveredLayer = under;
            if (hoveredLayer) {
                hoveredLayer->hovered = true;
                hoveredLayer->MouseEnter(px, py);
            }
        }
        QstPoolData* pool = scene->GetPool();
        QstItemState* draggedState = dragged->GetState("");
        std::string targetItem;
        std::string targetState;
        const std::string draggedName = dragged->GetFullName();
        const std::string draggedStateName = draggedState ? draggedState->name : std::string();
        if (!draggedState || !GetUseTarget(px, py, draggedName, draggedStateName, targetItem, targetState)) {
            pool->EndDrag(false);
            SetMood(scene, Avatar::MOOD_MAD);
        } else {
            const size_t shown = scene->onScreenFields.size();
            bool used = false;
            QstTutor* tutor = scene->GetTutor();
            if (!tutor || tutor->AllowUse(targetItem, targetState, draggedName, draggedStateName))
                used = draggedState->OnUse(targetItem, targetState);
            bool keep = false;
            if (pool->HasItem(dragged) && scene->onScreenFields.size() == shown && dragged->GetCurrentState()) {
                std::vector<QstUseTargetRecord> targets;
                CollectUseTargets(dragged->GetCurrentState(), targets);
                keep = FieldShowsUseTarget(targets);
            }
            if (!keep || !used)
                pool->EndDrag(used);
            SetMood(scene, used ? Avatar::MOOD_SURPRISE : Avatar::MOOD_MAD);
        }
    } else if (ClickExitLabel() || kind == QST_CURSOR_LEAVE) {
        // Leaving states are followed through their labels only.
    } else {
        if (IsClickAllowed(px, py)) {
            if (hoveredLayer)
                hoveredLayer->OnClick(px, py);
            else
                OnLayerClick(px, py, nullptr);
        }
        if (kind == QST_CURSOR_CLOSEUP) {
            cursorType = QST_CURSOR_NONE;
            SetAppCursor(CURSOR_ARROW);
            tail = false;
        } else if (kind == QST_CURSOR_HINT) {
        } else if (kind == QST_CURSOR_NONE) {
            // A click that hits nothing frowns; a puzzle's own pieces are not nothing.
            if (!TakesPlainClicks())
                SetMood(scene, Avatar::MOOD_MAD);
            OnMouseMove(px, py);
            tail = false;
        } else {
            SetMood(scene, Avatar::MOOD_HAPPY);
        }
    }
    if (tail) {
        if (kind == QST_CURSOR_CLOSEUP) {
            cursorType = QST_CURSOR_NONE;
            SetAppCursor(CURSOR_ARROW);
        } else if (kind != QST_CURSOR_LEAVE) {
            OnMouseMove(px, py);
        }
    }
    if (IsInInnerArea(px, py) && !IsOverControl(px, py))
        OnInnerMouseDown(px, py, button, clicks);
}

// ---------------------------------------------------------------------------
// Release, leave, drag

void QstField::OnMouseUpButton(int px, int py, int, int clicks)
{
    if (GameApp* app = GetGameApp())
        app->UnlockCursor();
    if (pressedControl >= 0) {
        const int control = pressedControl;
        pressedControl = -1;
        controls[size_t(control)]->Release(clicks);
    } else if (hoveredLayer) {
        hoveredLayer->MouseUp(px, py);
    }
}

void QstField::OnMouseLeave()
{
    ClearExitLabelHover();
    if (hoveredLayer) {
        hoveredLayer->hovered = false;
        hoveredLayer->MouseLeave();
        hoveredLayer = nullptr;
    }
    if (hoveredControl >= 0) {
        controls[size_t(hoveredControl)]->hovered = false;
        hoveredControl = -1;
    }
    cursorType = QST_CURSOR_NONE;
    SetAppCursor(CURSOR_ARROW);
    OnMouseLeft();
}

void QstField::OnMouseDrag(int px, int py) { HoverControl(px, py); }

// ---------------------------------------------------------------------------
// Use targets

void QstField::CollectUseTargets(QstItemState* state, std::vector<QstUseTargetRecord>& out)
{
    if (!state || !state->item)
        return;
    for (const QstUseEntry& entry : state->useEntries) {
        if (entry.groupName.empty() || entry.targetItem.empty())
            continue;
        std::string popup;
        const EQstCursorType kind = state->item->DoItemActionHitTest(entry.groupName, popup, nullptr);
        if (kind == QST_CURSOR_NONE || kind == QST_CURSOR_HINT)
            continue;
        out.push_back(QstUseTargetRecord{entry.targetItem, entry.targetState, popup, entry.noHint});
    }
}

bool QstField::FieldShowsUseTarget(const std::vector<QstUseTargetRecord>& targets)
{
    if (!scene)
        return false;
    const std::string prefix = scene->GetSceneName() + ":";
    for (const QstUseTargetRecord& target : targets) {
        std::string itemName = target.targetItem;
        if (itemName.compare(0, prefix.size(), prefix) == 0)
            itemName.erase(0, prefix.size());
        else if (itemName.find(':') != std::string::npos)
            continue;
        QstItem* item = scene->GetItem(itemName);
        QstItemState* current = item ? item->GetCurrentState() : nullptr;
        if (!current)
            continue;
        if (!target.targetState.empty() && target.targetState != current->name)
            continue;
        for (QstFieldItemLayer* layer : current->layers) {
            const QstLayer* drawn = layer ? layer->GetLayer() : nullptr;
            if (drawn && drawn->data && layer->GetField() == this && drawn->data->shown && drawn->data->groupVisible)
                return true;
        }
    }
    return false;
}

} // namespace Quib
