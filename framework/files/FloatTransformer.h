#pragma once
#include "framework/files/MessageSender.h"
#include "framework/files/Process.h"

#include <vector>

namespace Quib {

class FloatTransformer;

// Receives the values of a tween.
class FloatTransformerListener : public MessageReceiver {
public:
    virtual void OnValue(FloatTransformer* transformer, float value, int id);
    virtual void OnFinished(FloatTransformer* transformer, int id);
};

// A value that changes over time, run as a process; each step's value goes
// to every listener. It ends (and the process list deletes it) when it has
// finished or has no listener left.
class FloatTransformer : public MessageSender, public Process, public FloatTransformerListener {
public:
    explicit FloatTransformer(int id);

    // Links the listener; the owner then lists the transformer with
    // Process::AddToList.
    static void AddListener(FloatTransformer* transformer, FloatTransformerListener* listener);

    // Drops the listener; deferred removal (or any removal while the
    // listeners are being notified) only empties its entry.
    bool OnReceiverDetached(MessageReceiver* receiver, bool deferred) override;
    // The value of a first, tiny step.
    virtual float GetStartValue();
    virtual float GetParameter();
    // Forgets the parameter source when it is `transformer`; returns the
    // previous source.
    virtual FloatTransformer* ReleaseSource(FloatTransformer* transformer);
    virtual void Step(float elapsed, float accumulated, float parameter, float& value, bool& finished) = 0;

    bool Update(float elapsed, float accumulated) override;
    // The parameter follows the values of the parameter source.
    void OnValue(FloatTransformer* transformer, float value, int id) override { OnSourceValue(transformer, value, id); }
    void OnSourceValue(FloatTransformer* transformer, float value, int id);

    int GetId() const { return mId; }
    const std::vector<MessageReceiver*>& Listeners() const { return mListeners; }

protected:
    float mParameter = 0.0f;
    FloatTransformer* mParameterSource = nullptr;

private:
    std::vector<MessageReceiver*> mListeners;
    bool mListenersDirty = false;
    bool mNotifying = false;
    int mId;
};

// A straight line from start to end over a duration.
class FloatTrLine : public FloatTransformer {
public:
    // A duration of 0 (or less) finishes at the end value on the first step.
    FloatTrLine(float start, float end, float duration, int id);

    float GetStartValue() override;
    void Step(float elapsed, float accumulated, float speed, float& value, bool& finished) override;

    float start;
    float end;
    float current;
    bool clamp = true;

private:
    bool mInstant = false;
};

// Moves `value` towards `target` by `step`; true once it is there.
bool ApproachFloat(float& value, float step, float target);

} // namespace Quib
