#include "src/screens/HintTimer.h"

#include "src/GameSettings.h"
#include "src/game/minigames/QstFieldMinigame.h"

#include <cmath>
#include <numbers>

namespace Quib {

namespace {

// Moves value toward goal by step; lands on it when the step covers the rest.
void StepToward(float& value, float goal, float step)
{
    if (std::fabs(goal - value) <= step)
        value = goal;
    else
        value += value < goal ? step : -step;
}

} // namespace

HintTimer::HintTimer() : wobbles{SpinWobble(0.5f), SpinWobble(0.7f), SpinWobble(0.8f)}
{
    rechargeTime = GetGameIniFloat("HintTime", "Game", kDefaultRechargeTime);
    // A time of 0 (or nonsense) means every hint is ready at once.
    if (!std::isfinite(rechargeTime) || rechargeTime < 0.0f)
        rechargeTime = 0.0f;
}

float HintTimer::ChargedFraction() const
{
    if (rechargeTime <= 0.0f)
        return 1.0f;
    const float f = rechargeValue / rechargeTime;
    return f < 0.0f ? 0.0f : (f > 1.0f ? 1.0f : f);
}

void HintTimer::Update(float dt, bool showPulse)
{
    if (!(dt >= 0.0f))
        dt = 0.0f;
    const bool wasCharged = IsCharged();
    StepToward(rechargeValue, rechargeTime, dt);
    const bool charged = IsCharged();
    if (charged && !wasCharged) {
        wobbles[2].angle = 0.0f;
        wobbles[2].velocity = 0.0f;
        wobbles[2].targetVelocity = 0.0f;
        if (OnReady)
            OnReady();
    }

    StepToward(usedFlash, 0.0f, dt);

    const float glowGoal = charged && showPulse ? kReadyGlow : 0.0f;
    StepToward(readyGlow, glowGoal, dt);
    if (glowGoal == 0.0f && readyGlow == 0.0f)
        pulseClock = 0.0f;

    wobbles[1].Step(dt);
    wobbles[0].Step(dt);
    if (charged) {
        wobbles[2].Step(dt);
    } else {
        const float target = (1.0f - ChargedFraction()) * 2.0f * std::numbers::pi_v<float>;
        RotateAngleTowards(wobbles[2].angle, kArrowTurnRate * dt, target);
    }

    if (readyGlow != 0.0f)
        pulseClock += dt;
}

void HintTimer::Use()
{
    rechargeValue = 0.0f;
    usedFlash = 1.0f;
    for (SpinWobble& wobble : wobbles) {
        wobble.targetVelocity = 5.0f;
        wobble.accelerating = true;
        wobble.rate = 3.0f;
    }
}

HintTimer& GetHintTimer()
{
    // Kept for the whole run: boards come and go around it.
    static HintTimer timer;
    return timer;
}

void HintTimer::SetReadyDelegate(const Delegate& onReady, const void* owner)
{
    OnReady = onReady;
    readyOwner = owner;
}

void HintTimer::ClearReadyDelegate(const void* owner)
{
    if (readyOwner != owner)
        return;
    OnReady = Delegate();
    readyOwner = nullptr;
}

} // namespace Quib
