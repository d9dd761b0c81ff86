#include "src/screens/CursorWidget.h"

#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetApp.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameApp.h"

#include <cmath>
#include <numbers>

namespace Quib {

CursorWidget::CursorWidget()
{
    SetBounds(0, 0, 1, 1);
}

void CursorWidget::Update()
{
    Widget::Update();
    if (pulse && PictureInUse() && !useSecond) {
        phase += kPhaseStep;
        scale = (largestScale - 1.0f) * (0.5f + 0.5f * std::sin(phase * std::numbers::pi_v<float>)) + 1.0f;
    }
    Invalidate();
}

void CursorWidget::Draw(Graphics& g)
{
    Image* picture = PictureInUse();
    if (!picture || !g.destImage)
        return;
    WidgetManager* widgetManager = manager;
    if (!widgetManager && TheWidgetApp())
        widgetManager = TheWidgetApp()->GetWidgetManager();
    g.clipRect = Rect(0, 0, g.destImage->width, g.destImage->height);
    DrawTransform transform;
    transform.Scale(scale, scale);
    GameApp* app = GetGameApp();
    if (app && !app->customCursors)
        transform.Translate(kSystemArrowOffset, 0.0f);
    if (widgetManager)
        transform.Translate(float(widgetManager->mouseX), float(widgetManager->mouseY));
    g.DrawImageWithTransformSmooth(picture, transform, 0.0f, 0.0f);
}

} // namespace Quib
