#include "src/game/quest/QstFieldLayer.h"

#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "src/game/quest/Layer/QstLayer.h"
#include "src/game/quest/Layer/QstLayerData.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstFieldLayerExtraDraw.h"
#include "src/game/quest/QstScene.h"

#include <algorithm>

namespace Quib {

namespace {

int ClampChannel(int v) { return std::clamp(v, 0, 255); }

} // namespace

QstFieldLayer::QstFieldLayer(QstLayer* drawn) : layer(drawn) {}

QstFieldLayer::~QstFieldLayer()
{
    delete layer;
    if (ownsExtraDraw)
        delete extraDraw;
}

void QstFieldLayer::Load()
{
    if (!layer || !layer->data)
        return;
    QstLayerData* data = layer->data;
    if (layer->IsTargetVisible() || layer->IsShowing() || data->forceLoad)
        data->Load();
    data->autoLoad = true;
}

void QstFieldLayer::Unload()
{
    if (layer && layer->data && layer->data->loaded)
        layer->data->Release();
}

bool QstFieldLayer::IsShowing() const { return layer && layer->IsShowing(); }

void QstFieldLayer::Draw(Graphics& g)
{
    if (!layer || !layer->data)
        return;
    const QstLayerData* data = layer->data;
    DrawTransform transform;
    transform.Translate(layer->x + data->width * 0.5f, layer->y + data->height * 0.5f);
    if (g.scaleX != 1.0f || g.scaleY != 1.0f) {
        const float cx = g.scaleOrigX - g.transX;
        const float cy = g.scaleOrigY - g.transY;
        transform.Translate(-cx, -cy);
        transform.Scale(g.scaleX, g.scaleY);
        transform.Translate(cx, cy);
    }
    const int layerAlpha = ClampChannel(int(layer->alpha * 255.0f));
    g.color = Color(ClampChannel(g.color.red), ClampChannel(g.color.green), ClampChannel(g.color.blue),
                    ClampChannel(layerAlpha * g.color.alpha / 255));
    QstSceneDistortion* distortion = (field && field->GetScene()) ? field->GetScene()->distortion : nullptr;
    layer->Draw(g, transform, distortion);
}

bool QstFieldLayer::IsActive(bool, bool flag2, bool, bool flag4, bool flag5) const
{
    const QstLayerData* data = layer ? layer->data : nullptr;
    return data && flag2 && (data->groupVisible || flag4) && (data->shown || flag5);
}

void QstFieldLayer::Update(float seconds)
{
    if (layer)
        layer->Update(seconds);
}

void QstFieldLayer::MouseEnter(int, int) {}
void QstFieldLayer::MouseLeave() {}
void QstFieldLayer::MouseMove(int, int) {}

void QstFieldLayer::OnClick(int x, int y)
{
    if (field)
        field->OnLayerClick(x, y, nullptr);
}

void QstFieldLayer::MouseUp(int, int) {}

bool QstFieldLayer::GetItemAndState(std::string&, std::string&) const { return false; }

bool QstFieldLayer::UseItemOn(QstItem*) { return false; }

bool QstFieldLayer::IsIgnored(int, int, EQstCursorType&) { return false; }

bool QstFieldLayer::HitTest(int x, int y) const
{
    if (!layer || !layer->data)
        return false;
    const QstLayerData* data = layer->data;
    if (!data->shown || !data->groupVisible || !layer->visible || !data->mouseVisible)
        return false;
    return layer->HitTest(x - int(layer->x), y - int(layer->y));
}

FRect QstFieldLayer::GetRect() const
{
    if (!layer || !layer->data)
        return FRect();
    return FRect(layer->x, layer->y, layer->data->width, layer->data->height);
}

int32_t QstFieldLayer::GetDepth() const { return (layer && layer->data) ? layer->data->z : 0; }

bool QstFieldLayer::IsInVisibleGroup(const std::string& groupName, const std::string& groupMask) const
{
    return layer && layer->data && layer->data->DoIsInVisibleGroup(groupName, groupMask);
}

EQstCursorType QstFieldLayer::GetCursorType(std::string*) { return QST_CURSOR_NONE; }

QstItemState* QstFieldLayer::GetExitTarget(std::string&) { return nullptr; }

bool QstFieldLayer::IsFullyVisible() const
{
    if (!layer || !layer->data)
        return false;
    const QstLayerData* data = layer->data;
    return data->shown && data->groupVisible && layer->visible && data->mouseVisible;
}

void QstFieldLayer::CollectTargets(const std::vector<QstPoolItemInfo>&, std::vector<QstClickTarget>&,
                                   std::vector<QstUseTarget>&)
{
}

bool QstFieldLayer::IsOutsideBounds() const { return false; }

void QstFieldLayer::SetExtraDraw(QstFieldLayerExtraDraw* hook, bool owned)
{
    if (hook == extraDraw) {
        ownsExtraDraw = owned;
        return;
    }
    if (ownsExtraDraw)
        delete extraDraw;
    extraDraw = hook;
    if (extraDraw) {
        extraDraw->fieldLayer = this;
        extraDraw->layer = layer;
        extraDraw->field = field;
    }
    ownsExtraDraw = owned;
}

void QstFieldLayer::SetField(QstField* owner)
{
    field = owner;
    if (extraDraw)
        extraDraw->field = owner;
}

bool QstFieldLayer::LessByDepth(const QstFieldLayer* a, const QstFieldLayer* b)
{
    return a->GetDepth() < b->GetDepth();
}

} // namespace Quib
