#include "src/game/minigames/ShakeJitter.h"

#include "framework/files/FloatRange.h"
#include "framework/files/FloatTransformer.h"
#include "framework/files/Random.h"

namespace Quib {

namespace {
int32_t JitterTarget(int32_t amplitude)
{
    if (amplitude <= 0)
        return 0;
    return int32_t(MersenneNext() % uint32_t(2 * amplitude)) - amplitude;
}
} // namespace

void ShakeJitter::Update(float seconds)
{
    ApproachFloat(offsetX, speed * seconds, float(targetX));
    ApproachFloat(offsetY, speed * seconds, float(targetY));
    if (ApproachFloat(timer, seconds, 0.0f)) {
        targetX = JitterTarget(amplitudeX);
        targetY = JitterTarget(amplitudeY);
        timer = FloatRange{shortestInterval, longestInterval}.Random();
    }
}

} // namespace Quib
