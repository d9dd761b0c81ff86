#include "src/game/quest/QstBookButton.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/particles/ParticlesCommon.h"

#include <cmath>
#include <numbers>

namespace Quib {

QstBookButton::QstBookButton(ButtonListener* listener) : ScaleButton(kId, listener)
{
    scale = kScale;
}

QstBookButton::~QstBookButton() = default;

void QstBookButton::Update()
{
    ScaleButton::Update();
    constexpr float kLevelStep = 0.05f;
    const float levelTarget = attention ? 1.0f : 0.0f;
    if (std::fabs(levelTarget - attentionLevel) < kLevelStep)
        attentionLevel = levelTarget;
    else
        attentionLevel += attentionLevel < levelTarget ? kLevelStep : -kLevelStep;
    if (attentionLevel == 1.0f)
        phase += 0.02f;
    else if (attentionLevel == 0.0f)
        phase = 0.0f;
    const float pulse = 0.5f - 0.5f * std::cos(std::numbers::pi_v<float> * phase);
    scale = kScale + attentionLevel * (0.2f + 0.1f * pulse);
    if (effect) {
        effect->Update(0.01f);
        if (effect->IsFinished())
            effect.reset();
    }
    Invalidate();
}

void QstBookButton::Draw(Graphics& g)
{
    ScaleButton::Draw(g);
    if (!effect)
        return;
    g.clipRect = Rect(0, 0, g.destImage ? g.destImage->width : 0, g.destImage ? g.destImage->height : 0);
    effect->Draw(&g);
}

} // namespace Quib
