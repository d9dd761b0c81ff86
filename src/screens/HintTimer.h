#pragma once
#include "framework/files/Delegate.h"
#include "src/screens/SpinWobble.h"

namespace Quib {

// The hint recharge of the run, shown by the compasses of the boards: the
// recharge value grows toward the recharge time while a compass is updated;
// the rings swing at random and spin up after a use.
class HintTimer {
public:
    static constexpr float kDefaultRechargeTime = 120.0f;
    static constexpr float kReadyGlow = 0.3f;
    static constexpr float kArrowTurnRate = 5.0f;

    // Recharge time from [Game] "HintTime" (default 120; below 0 counts as 0).
    HintTimer();

    void Update(float dt, bool showPulse);
    bool IsCharged() const { return rechargeValue == rechargeTime; }
    // Recharged part, 0..1; a recharge time of 0 is always full.
    float ChargedFraction() const;
    // The hint was used: empty, flash, the rings spin up.
    void Use();

    // The compass owner installs its ready call; the compass removes it when
    // it goes, so a dead compass is never called.
    void SetReadyDelegate(const Delegate& onReady, const void* owner);
    void ClearReadyDelegate(const void* owner);

    SpinWobble wobbles[3];
    float rechargeValue = 0.0f;
    float rechargeTime = kDefaultRechargeTime;
    float usedFlash = 0.0f;
    float pulseClock = 0.0f;
    float readyGlow = 0.0f;
    Delegate OnReady;
    const void* readyOwner = nullptr;
};

// The run's one timer, made on first use and kept to the end.
HintTimer& GetHintTimer();

} // namespace Quib
