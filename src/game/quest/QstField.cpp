#include "src/game/quest/QstField.h"

#include "framework/files/ProcessLog.h"
#include "src/Lang.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstFieldLayer.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstTutor.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/Layer/QstImageLayer.h"
#include "src/game/quest/Layer/QstImageLayerData.h"
#include "src/game/quest/Layer/QstLayer.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"
#include "src/screens/DarkBack.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetApp.h"

#include <algorithm>
#include <cmath>
#include <tinyxml.h>

namespace Quib {

namespace {

int32_t LayerHeight(const PsdPictureLayer* layer)
{
    return (layer && layer->image) ? layer->image->height : 0;
}

PsdPicture* SharedFrameLayout()
{
    GameControllerCommon* controller = GameControllerCommon::Existing();
    return controller ? controller->GetSharedPicture(GameControllerCommon::PICTURE_RAMKA) : nullptr;
}

// A missing part of the frame layout draws as nothing: reported once.
PsdPictureLayer* FindFrameLayer(PsdPicture* layout, const char* name)
{
    static bool reported = false;
    PsdPictureLayer* layer = layout ? layout->FindLayer(name) : nullptr;
    if (!layer && layout && !reported) {
        reported = true;
        ProcessLog::GetInstance()->LogInfo("Field frame layout has no layer \"%s\"", std::string(name));
    }
    return layer;
}

} // namespace

QstField::QstField(QstScene* owner, void* loading) : loadingData(loading), scene(owner)
{
    PsdPicture* layout = SharedFrameLayout();
    static bool layoutMissingReported = false;
    if (!layout && !layoutMissingReported) {
        layoutMissingReported = true;
        ProcessLog::GetInstance()->LogInfo("Field frame layout is not loaded; fields have no frame");
    }
    PsdPictureLayer* up = FindFrameLayer(layout, "up");
    PsdPictureLayer* bottom = FindFrameLayer(layout, "bottom");
    PsdPictureLayer* frame = FindFrameLayer(layout, "frame");

    Lang& lang = Lang::Instance();
    controls.push_back(new QstFieldControl(this, QstFieldControl::kCloseId, bottom,
                                           FindFrameLayer(layout, "close/close_in"),
                                           FindFrameLayer(layout, "close/close_ac"),
                                           FindFrameLayer(layout, "close/close_dn"), lang("Interface", "FieldClose")));
    controls.push_back(new QstFieldControl(this, QstFieldControl::kSkipId, up,
                                           FindFrameLayer(layout, "skip/skip_in"),
                                           FindFrameLayer(layout, "skip/skip_ac"),
                                           FindFrameLayer(layout, "skip/skip_dn"), lang("Interface", "FieldSkip")));
    hoveredControl = -1;
    pressedControl = -1;
    if (frame) {
        framePicture = frame->image;
        if (up)
            frameTop = frame->y - up->y;
        if (bottom)
            frameBottom = (bottom->y + LayerHeight(bottom)) - (frame->y + LayerHeight(frame));
    }
}

QstField::~QstField()
{
    if (darkBack)
        darkBack->coveredArea = nullptr; // the backdrop may outlive the field
    for (QstFieldLayer* layer : layers)
        delete layer;
    layers.clear();
    for (QstFieldControl* control : controls)
        delete control;
    controls.clear();
    // The effect widgets are children; the list only names them.
    childWidgets.clear();
    DetachAllChildren(true, true);
    exitLabels.clear();
    visibleGroups.clear();
}

// ---------------------------------------------------------------------------
// Reading and binding

bool QstField::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context)
{
    if (!element.GetAttr("name", name))
        return false;
    if (!element.GetAttr("mask", mask))
        return false;
    if (scene && !scene->LoadItems(element, context, mask))
        return false;
    TiXmlElement* xml = element.GetElement();
    for (TiXmlElement* child = xml ? xml->FirstChildElement("VisibleGroup") : nullptr; child;
         child = child->NextSiblingElement("VisibleGroup")) {
        QstXmlElement cursor(child, element);
        if (!ReadVisibleGroup(cursor))
            return false;
    }
    return true;
}

void QstField::BindPsdLayers(SLoadLayerDataCont& context)
{
    for (PsdLayerInfo& info : context.layers) {
        if (info.users.empty() && info.used)
            continue;
        if (info.name.compare(0, mask.size(), mask) != 0)
            continue;
        if (!info.used) {
            auto* data = new QstImageLayerData(info.baseZ);
            data->SetResource(context.directory, info.name);
            auto* image = new QstImageLayer(data);
            image->x = info.x;
            image->y = info.y;
            auto* plain = new QstFieldLayer(image);
            plain->SetField(this);
            layers.push_back(plain);
        }
        for (QstFieldLayer* user : info.users) {
            user->SetField(this);
            layers.push_back(user);
        }
        info.users.clear();
    }
    // Equal depths keep the picture's order, so the drawing order is the
    // same on every run.
    std::stable_sort(layers.begin(), layers.end(), &QstFieldLayer::LessByDepth);
}

// ---------------------------------------------------------------------------
// Layout

void QstField::Layout()
{
    if (layers.empty())
        return;
    for (QstFieldLayer* layer : layers)
        layer->Load();
    if (laidOut)
        return;
    laidOut = true;

    bool any = false;
    float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
    for (QstFieldLayer* layer : layers) {
        if (layer->IsOutsideBounds())
            continue;
        const FRect r = layer->GetRect();
        if (!any) {
            left = r.x;
            top = r.y;
            right = r.x + r.width;
            bottom = r.y + r.height;
            any = true;
            continue;
        }
        left = std::min(left, r.x);
        top = std::min(top, r.y);
        right = std::max(right, r.x + r.width);
        bottom = std::max(bottom, r.y + r.height);
    }
    float gx = left - float(kMarginX);
    float gw = (right - left) + float(2 * kMarginX);
    float gy = top - float(kMarginY) - float(frameTop);
    float gh = (bottom - top) + float(2 * kMarginY) + float(frameTop) + float(frameBottom);
    SetBounds(int(gx), int(gy), int(gw) + 1, int(gh) + 1);
    for (QstFieldLayer* layer : layers) {
        if (QstLayer* drawn = layer->GetLayer()) {
            drawn->x -= gx;
            drawn->y -= gy;
        }
        layer->SetField(this);
    }
}

void QstField::UnloadLayers()
{
    for (QstFieldLayer* layer : layers)
        layer->Unload();
}

void QstField::SetBounds(int newX, int newY, int newWidth, int newHeight)
{
    Widget::SetBounds(newX, newY, newWidth, newHeight);
    PlaceControls();
}

void QstField::PlaceControls()
{
    QstFieldControl* closeControl = controls[0];
    closeControl->x = int(float(width) * 0.5f - float(closeControl->width) * 0.5f);
    closeControl->y = height - closeControl->height;
    QstFieldControl* skipControl = controls[1];
    skipControl->x = int(float(width) * 0.5f - float(skipControl->width) * 0.5f);
    skipControl->y = 0;
}

Rect QstField::GetInnerArea() const
{
    return Rect(kMarginX, frameTop + kMarginY, width - 2 * kMarginX, height - frameBottom - frameTop - 2 * kMarginY);
}

bool QstField::IsInInnerArea(int px, int py) const { return GetInnerArea().Contains(px, py); }

// ---------------------------------------------------------------------------
// Keys and the close control

void QstField::OnKeyDown(int key)
{
    if (key == 27 && closable)
        Close(false);
}

void QstField::ButtonDepressByMouse(int id, int)
{
    if (id == QstFieldControl::kCloseId)
        Close(false);
}

// ---------------------------------------------------------------------------
// Update, opening and closing

namespace {

void Approach(float& value, float target, float step)
{
    if (value == target)
        return;
    if (std::fabs(value - target) < step)
        value = target;
    else
        value += value < target ? step : -step;
}

} // namespace

void QstField::Update(float seconds)
{
    constexpr float kAlphaStep = 0.03f;
    if (alpha != targetAlpha) {
        if (std::fabs(targetAlpha - alpha) < kAlphaStep)
            alpha = targetAlpha;
        else
            alpha += alpha < targetAlpha ? kAlphaStep : -kAlphaStep;
    }
    if (alpha == targetAlpha && targetAlpha == 0.0f && !closed) {
        closed = true;
        if (scene)
            scene->RemoveField(this);
        for (Widget* child : childWidgets) {
            // An effect that removed itself already is no longer a child.
            if (!ContainsChild(child))
                continue;
            DetachChild(child);
            if (WidgetApp* app = TheWidgetApp())
                app->QueueDeferredDelete(child);
            else
                delete child;
        }
        childWidgets.clear();
    }
    for (QstFieldLayer* layer : layers)
        layer->Update(seconds);
    for (QstFieldControl* control : controls)
        UpdateControl(*control, seconds);
    UpdateExitLabels(seconds);
    ExitTargets exits = CollectExitTargets();
    SyncExitLabels(exits);
}

void QstField::UpdateControl(QstFieldControl& control, float seconds)
{
    Approach(control.alpha, control.visible ? 1.0f : 0.0f, seconds);
    if (control.visible) {
        Approach(control.chargeElapsed, control.chargeTime, seconds);
        if (control.chargeTime != 0.0f)
            control.chargeRatio = control.chargeElapsed / control.chargeTime;
    }
    const bool ready = control.chargeRatio == 1.0f;
    Approach(control.readyLevel, ready ? 1.0f : 0.0f, 3.0f * seconds);
    Approach(control.hoverLevel, (control.hovered && ready) ? 1.0f : 0.0f, 3.0f * seconds);
    Approach(control.pressLevel, (control.pressed && control.hovered && ready) ? 1.0f : 0.0f, 3.0f * seconds);
}

void QstField::Open()
{
    targetAlpha = 1.0f;
    closed = false;
    controls[0]->SetVisible(closable, true);
    controls[1]->SetVisible(skipShown, true);
    if (darkBack)
        darkBack->closeDelegate = closable ? Delegate(this, &QstField::CloseCallback) : Delegate();
}

void QstField::Close(bool forced)
{
    if (QstTutor* tutor = scene ? scene->GetTutor() : nullptr) {
        if (!forced && tutor->IsCloseDisabled())
            return;
        tutor->OnCloseClick();
    }
    targetAlpha = 0.0f;
    if (darkBack) {
        darkBack->fadeTarget = 0.0f;
        darkBack->removeWhenFaded = true;
        // The fading backdrop no longer speaks for this field.
        darkBack->closeDelegate = Delegate();
        darkBack->coveredArea = nullptr;
        darkBack = nullptr;
    }
}

void QstField::CloseCallback() { Close(false); }

void QstField::DisableClose()
{
    closeHidden = true;
    closable = false;
    if (darkBack)
        darkBack->closeDelegate = Delegate();
    controls[0]->SetVisible(false, false);
}

void QstField::AddEffect(Widget* widget)
{
    if (!widget)
        return;
    childWidgets.push_back(widget);
    AttachChild(widget);
}

void QstField::OnClosed() {}

// ---------------------------------------------------------------------------
// Hooks of the plain field

bool QstField::IsLayerIgnored(int, int, QstFieldLayer*, EQstCursorType&) { return false; }
bool QstField::OnLayerClick(int, int, QstFieldLayer*) { return false; }
bool QstField::CanTakePoolItem(QstItem*, QstItemState*) { return true; }

bool QstField::GetUseTarget(int, int, const std::string&, const std::string&, std::string& itemName,
                            std::string& stateName)
{
    return hoveredLayer && hoveredLayer->GetItemAndState(itemName, stateName);
}

bool QstField::IsClickAllowed(int, int) { return true; }
bool QstField::IsHintStop() { return false; }
void QstField::OnInnerMouseMove(int, int) {}
void QstField::OnInnerMouseDown(int, int, int, int) {}
void QstField::OnMouseLeft() {}

} // namespace Quib
