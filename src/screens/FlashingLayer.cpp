#include "src/screens/FlashingLayer.h"

#include "framework/files/FloatRange.h"
#include "framework/files/FloatTransformer.h"
#include "src/game/quest/PsdPictureLayer.h"

#include <cmath>
#include <numbers>

namespace Quib {

FlashingLayer::FlashingLayer(PsdPictureLayer* flashLayer) : layer(flashLayer)
{
    duration = FloatRange{kFirstWaitMin, kFirstWaitMax}.Random();
    if (layer)
        layer->drawn = false;
}

void FlashingLayer::Step()
{
    if (ApproachFloat(clock, kClockStep, duration)) {
        clock = 0.0f;
        switch (state) {
        case Dark:
            state = FlashIn;
            duration = kFlashInTime;
            break;
        case FlashIn:
            state = Flicker;
            duration = kFlickerTime;
            break;
        case Flicker:
            state = FadeOut;
            duration = kFadeOutTime;
            break;
        default:
            state = Dark;
            duration = FloatRange{kWaitMin, kWaitMax}.Random();
            break;
        }
    }
    const float pi = std::numbers::pi_v<float>;
    switch (state) {
    case FlashIn:
        alpha = std::sin(clock * pi / 2.0f / duration);
        break;
    case Flicker:
        alpha = 1.0f - 0.4f * (0.5f - std::cos(clock * 4.0f * pi / duration));
        break;
    case FadeOut:
        alpha = 1.0f - clock / duration;
        break;
    default:
        alpha = 0.0f;
        break;
    }
}

} // namespace Quib
