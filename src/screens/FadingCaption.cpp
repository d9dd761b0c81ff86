#include "src/screens/FadingCaption.h"

#include "framework/app/QuibAppBase.h"
#include "framework/files/FloatTransformer.h"
#include "framework/graphics/Graphics.h"
#include "src/GameResources.h"

namespace Quib {

void FadingCaption::SetCaption(const std::u16string& newText, float seconds)
{
    displayTime = seconds;
    textEmpty = newText.empty();
    if (newText == text) {
        pendingText.clear();
        return;
    }
    pendingText = newText;
    if (text.empty())
        ShowPending();
}

void FadingCaption::ShowPending()
{
    alpha = 0.0f;
    text = pendingText;
    pendingText.clear();
    Graphics measuring(nullptr);
    measuring.font = FONT_CORBEL;
    if (gQuibAppBase)
        measuring.clipRect = Rect(0, 0, gQuibAppBase->appWidth, gQuibAppBase->appHeight);
    int widest = 0;
    const int textHeight = measuring.MeasureWrappedText(kWrapWidth, text, -1, &widest);
    LayoutText(widest, textHeight);
    Invalidate();
}

void FadingCaption::Update(float dt)
{
    if (text.empty())
        return;
    const float step = kFadeRate * dt;
    if (!pendingText.empty()) {
        alpha -= step;
        if (alpha <= 0.0f)
            ShowPending();
    } else {
        ApproachFloat(alpha, step, textEmpty ? 0.0f : 1.0f);
    }
    AfterFade(step);
    if (ApproachFloat(displayTime, dt, 0.0f))
        Expire();
    Invalidate();
}

void FadingCaption::DrawOutlinedText(Graphics& g, int textX, int textY, int wrapWidth)
{
    // Text takes the colour as it is; tinting its glyphs again would square it.
    g.colorizeImages = false;
    g.font = FONT_CORBEL;
    g.color = ColorWithAlpha(alpha * 0.6f, Color(kOutlineColor));
    for (int dx : {-1, 1})
        for (int dy : {-1, 1})
            g.DrawWrappedText(text, Rect(textX + dx, textY + dy, wrapWidth, 0), -1, -1, nullptr);
    g.color = ColorWithAlpha(alpha, Color(kTextColor));
    g.DrawWrappedText(text, Rect(textX, textY, wrapWidth, 0), -1, -1, nullptr);
}

} // namespace Quib
