#include "src/game/quest/QstPoolItemDrag.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetApp.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameResources.h"
#include "src/game/quest/QstItemPictureDraw.h"
#include "src/game/quest/QstItemStateDraw.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"

#include <algorithm>
#include <cmath>

namespace Quib {

QstPoolItemDrag::QstPoolItemDrag(QstItem* item, const std::string& stateName)
    : picture(std::make_unique<QstItemStateDraw>(item)), mItem(item)
{
    std::string name = stateName;
    if (name.empty() && item && item->GetCurrentState())
        name = item->GetCurrentState()->GetName();
    picture->SetState(name, true);
    scale = FitScale(picture->w, picture->h);
}

float QstPoolItemDrag::FitScale(float pictureWidth, float pictureHeight)
{
    if (pictureWidth <= 0.0f || pictureHeight <= 0.0f)
        return 1.0f;
    return std::min({1.0f, kBox / pictureHeight, kBox / pictureWidth});
}

QstPoolItemDrag::~QstPoolItemDrag() = default;

QstItem* QstPoolItemDrag::Item() const
{
    return mItem;
}

void QstPoolItemDrag::Drop()
{
    active = false;
    dropped = true;
}

void QstPoolItemDrag::Update(float seconds)
{
    const float target = active && !dropped ? 1.0f : 0.0f;
    const float step = kFadeRate * seconds;
    if (std::fabs(target - alpha) <= step)
        alpha = target;
    else
        alpha += alpha < target ? step : -step;
    if (dropped && !active && alpha == target)
        done = true;
}

void QstPoolItemDrag::Draw(Graphics& g)
{
    if (alpha <= 0.0f)
        return;
    TPoint<int> mouse;
    if (mousePosition) {
        mouse = mousePosition();
    } else if (WidgetApp* app = TheWidgetApp(); app && app->GetWidgetManager()) {
        mouse = TPoint<int>(app->GetWidgetManager()->mouseX, app->GetWidgetManager()->mouseY);
    }
    g.SaveState();
    g.colorizeImages = true;
    g.color = ColorWithAlpha(alpha, Color::White);
    picture->x = std::floor(float(mouse.x + kMouseOffset) - picture->w / 2.0f);
    picture->y = std::floor(float(mouse.y + kMouseOffset) - picture->h / 2.0f);
    DrawItemPicture(g, *picture, picture->x, picture->y, scale, transform);
    if (IMAGE_CURSOR_ITEM)
        g.DrawImageAt(IMAGE_CURSOR_ITEM, mouse.x - 1, mouse.y - 3);
    g.RestoreState();
}

} // namespace Quib
