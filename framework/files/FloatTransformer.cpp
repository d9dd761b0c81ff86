#include "framework/files/FloatTransformer.h"

#include <algorithm>
#include <cmath>

namespace Quib {

void FloatTransformerListener::OnValue(FloatTransformer*, float, int) {}

void FloatTransformerListener::OnFinished(FloatTransformer*, int) {}

FloatTransformer::FloatTransformer(int id) : mId(id) {}

void FloatTransformer::AddListener(FloatTransformer* transformer, FloatTransformerListener* listener)
{
    if (!transformer || !listener)
        return;
    transformer->AddReceiver(listener);
    transformer->mListeners.push_back(listener);
}

bool FloatTransformer::OnReceiverDetached(MessageReceiver* receiver, bool deferred)
{
    auto it = std::find(mListeners.begin(), mListeners.end(), receiver);
    if (it == mListeners.end())
        return false;
    if (deferred || mNotifying) {
        *it = nullptr;
        mListenersDirty = true;
    } else {
        mListeners.erase(it);
    }
    return true;
}

float FloatTransformer::GetStartValue()
{
    float value = 0.0f;
    bool finished = false;
    Step(0.00001f, 0.0f, mParameter, value, finished);
    return value;
}

float FloatTransformer::GetParameter() { return mParameter; }

FloatTransformer* FloatTransformer::ReleaseSource(FloatTransformer* transformer)
{
    FloatTransformer* previous = mParameterSource;
    if (transformer == mParameterSource)
        mParameterSource = nullptr;
    return previous;
}

void FloatTransformer::OnSourceValue(FloatTransformer* transformer, float value, int)
{
    if (transformer && transformer == mParameterSource)
        mParameter = value;
}

bool FloatTransformer::Update(float elapsed, float accumulated)
{
    float value = 0.0f;
    bool finished = false;
    Step(elapsed, accumulated, GetParameter(), value, finished);
    // Listeners may detach (or be destroyed) while they are told; their
    // entries are emptied then and swept below. The size is read anew so
    // listeners added meanwhile are told too.
    bool wasNotifying = mNotifying;
    mNotifying = true;
    for (size_t i = 0; i < mListeners.size(); ++i)
        if (auto* listener = static_cast<FloatTransformerListener*>(mListeners[i]))
            listener->OnValue(this, value, mId);
    if (finished)
        for (size_t i = 0; i < mListeners.size(); ++i)
            if (auto* listener = static_cast<FloatTransformerListener*>(mListeners[i]))
                listener->OnFinished(this, mId);
    mNotifying = wasNotifying;
    if (mListenersDirty && !mNotifying) {
        std::erase(mListeners, nullptr);
        mListenersDirty = false;
    }
    // Also when the last listener left without deferral (it was destroyed):
    // a tween nobody hears would otherwise run for ever.
    if (mListeners.empty())
        finished = true;
    return !finished;
}

FloatTrLine::FloatTrLine(float startValue, float endValue, float duration, int id)
    : FloatTransformer(id), start(startValue), end(endValue), current(startValue)
{
    if (duration > 0.0f && std::isfinite(duration))
        mParameter = (end - start) / duration;
    else
        mInstant = true;
}

float FloatTrLine::GetStartValue() { return start; }

void FloatTrLine::Step(float elapsed, float, float speed, float& value, bool& finished)
{
    if (mInstant) {
        current = end;
        value = end;
        finished = true;
        return;
    }
    current += elapsed * speed;
    value = current;
    if (clamp && ((end - start > 0.0f && current >= end) || (!(end - start > 0.0f) && current <= end))) {
        value = end;
        finished = true;
    }
}

bool ApproachFloat(float& value, float step, float target)
{
    if (value == target)
        return true;
    if (std::fabs(value - target) < step) {
        value = target;
        return true;
    }
    value += target < value ? -step : step;
    return false;
}

} // namespace Quib
