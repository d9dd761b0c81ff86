#include "src/game/quest/Layer/QstLayer.h"

#include "src/game/editor/BorderProp.h"
#include "src/game/editor/LabeledProp.h"
#include "src/game/editor/NumProp.h"
#include "src/game/editor/QstPropertyPage.h"
#include "src/game/editor/TextProp.h"
#include "src/game/quest/Layer/QstLayerData.h"

#include <cmath>

namespace Quib {

QstLayer::QstLayer(QstLayerData* layerData) : data(layerData), ownsData(true)
{
    QstLayer::SyncAlpha();
}

QstLayer::QstLayer(const QstLayer& other) : data(other.data), ownsData(false)
{
    QstLayer::SyncAlpha();
}

QstLayer::~QstLayer()
{
    if (ownsData)
        delete data;
}

QstLayer* QstLayer::Clone() const
{
    return new QstLayer(*this);
}

void QstLayer::Update(float seconds)
{
    UpdateFade(seconds);
}

void QstLayer::DoAddProperties(QstPropertyPage* page, std::string& title)
{
    if (!page)
        return;
    page->AddProperty(new LabeledProp(u"X", new NumProp<float, 0>(&x), true));
    page->AddProperty(new LabeledProp(u"Y", new NumProp<float, 0>(&y), true));
    auto* heading = new TextProp(u"Layer data");
    heading->justification = 0;
    page->AddProperty(new BorderProp(heading, Color(0xff888888u), Color(0, 0, 0, 0)));
    if (data)
        data->DoAddProperties(page, title);
    title = "Layer data";
}

void QstLayer::Start() {}

void QstLayer::Draw(Graphics&, DrawTransform&, QstSceneDistortion*) {}

void QstLayer::SyncAlpha()
{
    immediateSeen = data && data->immediate;
    alpha = TargetAlpha();
}

bool QstLayer::IsInRect(int px, int py) const
{
    if (!data)
        return false;
    return px >= 0 && py >= 0 && float(px) <= data->width && float(py) <= data->height;
}

bool QstLayer::HitTest(int px, int py) const
{
    return IsInRect(px, py);
}

bool QstLayer::IsTargetVisible() const
{
    return data && data->shown && data->groupVisible && visible;
}

void QstLayer::SetVisible(bool value, bool immediately)
{
    visible = value;
    if (IsTargetVisible() && data->autoLoad)
        data->Load();
    if (immediately)
        alpha = TargetAlpha();
}

void QstLayer::UpdateFade(float seconds)
{
    const float target = TargetAlpha();
    if (data && data->immediate != immediateSeen) {
        immediateSeen = data->immediate;
        if (immediateSeen)
            alpha = target;
    }
    if (alpha == target)
        return;
    // A fade speed of 0 (fade time 0) shows the change at once.
    const float speed = data ? data->fadeSpeed : 0.0f;
    const float step = speed * seconds;
    if (!(speed > 0.0f) || step > std::fabs(alpha - target))
        alpha = target;
    else if (alpha < target)
        alpha += step;
    else
        alpha -= step;
}

} // namespace Quib
