#include "framework/files/Delegate.h"
#include "framework/files/FloatTransformer.h"
#include "framework/files/Process.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace Quib {
namespace {

// Records updates; the test decides what each update does.
class Recorder : public Process {
public:
    Recorder(std::string name, std::vector<std::string>& log) : mName(std::move(name)), mLog(log) {}
    ~Recorder() override { mLog.push_back("~" + mName); }
    bool Update(float, float) override
    {
        mLog.push_back(mName);
        return onUpdate ? onUpdate() : true;
    }
    std::function<bool()> onUpdate;

private:
    std::string mName;
    std::vector<std::string>& mLog;
};

class ProcessTest : public ::testing::Test {
protected:
    ~ProcessTest() override { Process::DeleteAll(); }
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(ProcessTest, FinishedProcessIsDeletedAfterThePass)
{
    auto* a = new Recorder("a", log);
    auto* b = new Recorder("b", log);
    a->onUpdate = [] { return false; };
    Process::AddToList(a);
    Process::AddToList(b);
    Process::StepAll(0.1f);
    EXPECT_EQ(log, (Log{"a", "b", "~a"}));
    log.clear();
    Process::StepAll(0.1f);
    EXPECT_EQ(log, (Log{"b"}));
    EXPECT_FLOAT_EQ(b->accumulated, 0.2f);
}

TEST_F(ProcessTest, ProcessAddedDuringAPassRunsInThatPass)
{
    auto* a = new Recorder("a", log);
    a->onUpdate = [this] {
        Process::AddToList(new Recorder("late", log));
        return false;
    };
    Process::AddToList(a);
    Process::StepAll(0.0f);
    EXPECT_EQ(log, (Log{"a", "late", "~a"}));
}

TEST_F(ProcessTest, RemovedTwiceInOnePassIsDeletedOnce)
{
    auto* a = new Recorder("a", log);
    a->onUpdate = [a] {
        EXPECT_TRUE(Process::RemoveFromList(a)); // its owner removes it too
        return false;
    };
    Process::AddToList(a);
    Process::StepAll(0.0f);
    EXPECT_EQ(log, (Log{"a", "~a"}));
    Recorder loose("loose", log);
    EXPECT_FALSE(Process::RemoveFromList(&loose));
}

TEST_F(ProcessTest, DeletingOtherProcessesDuringAPassIsSafe)
{
    auto* a = new Recorder("a", log);
    auto* b = new Recorder("b", log);
    auto* c = new Recorder("c", log);
    auto* d = new Recorder("d", log);
    // a deletes b (not yet stepped) and c (already queued for removal).
    c->onUpdate = [] { return false; };
    Process::AddToList(c);
    Process::AddToList(a);
    Process::AddToList(b);
    Process::AddToList(d);
    a->onUpdate = [b, c] {
        delete b;
        delete c;
        return true;
    };
    Process::StepAll(0.0f);
    EXPECT_EQ(log, (Log{"c", "a", "~b", "~c", "d"}));
    EXPECT_FALSE(Process::IsListed(b));
    log.clear();
    a->onUpdate = nullptr;
    Process::StepAll(0.0f);
    EXPECT_EQ(log, (Log{"a", "d"}));
}

TEST_F(ProcessTest, ADeletedProcessLeavesTheListAtOnce)
{
    auto* a = new Recorder("a", log);
    Process::AddToList(a);
    delete a;
    EXPECT_FALSE(Process::IsListed(a));
    log.clear();
    Process::StepAll(0.0f);
    EXPECT_TRUE(log.empty());
}

TEST_F(ProcessTest, DeleteAllCopesWithDestructorsThatDeleteOthers)
{
    struct Owner : Recorder {
        using Recorder::Recorder;
        ~Owner() override { delete owned; }
        Process* owned = nullptr;
    };
    auto* owner = new Owner("owner", log);
    auto* owned = new Recorder("owned", log);
    owner->owned = owned;
    Process::AddToList(owner);
    Process::AddToList(owned);
    Process::DeleteAll();
    EXPECT_EQ(log, (Log{"~owned", "~owner"}));
}

// A tween listener that records what it hears.
struct Listener : FloatTransformerListener {
    void OnValue(FloatTransformer*, float value, int id) override
    {
        values.push_back(value);
        ids.push_back(id);
        if (detachInValue)
            DetachFrom(true);
    }
    void OnFinished(FloatTransformer*, int) override { ++finished; }
    void OnSenderRemoved(MessageSender*) override { ++senderRemoved; }
    std::vector<float> values;
    std::vector<int> ids;
    int finished = 0;
    int senderRemoved = 0;
    bool detachInValue = false;
};

class TweenTest : public ::testing::Test {
protected:
    ~TweenTest() override { Process::DeleteAll(); }
};

TEST_F(TweenTest, LineReportsEachStepAndFinishesAtTheEnd)
{
    struct {
        float start, end;
        std::vector<float> want;
    } cases[] = {
        {0, 1, {0.25f, 0.5f, 0.75f, 1.0f}},
        {1, 0, {0.75f, 0.5f, 0.25f, 0.0f}},
        {2, 2, {2.0f}},
    };
    for (const auto& c : cases) {
        Listener listener;
        auto* line = new FloatTrLine(c.start, c.end, 1.0f, 7);
        FloatTransformer::AddListener(line, &listener);
        Process::AddToList(line);
        for (int i = 0; i < 6; ++i)
            Process::StepAll(0.25f);
        EXPECT_EQ(listener.values, c.want);
        EXPECT_EQ(listener.finished, 1);
        EXPECT_EQ(listener.senderRemoved, 1); // the finished line was deleted
        EXPECT_TRUE(listener.Senders().empty());
        EXPECT_EQ(listener.ids.front(), 7);
    }
}

TEST_F(TweenTest, ZeroDurationFinishesAtOnce)
{
    for (float duration : {0.0f, -1.0f}) {
        Listener listener;
        auto* line = new FloatTrLine(3.0f, 5.0f, duration, 0);
        FloatTransformer::AddListener(line, &listener);
        Process::AddToList(line);
        Process::StepAll(0.01f);
        EXPECT_EQ(listener.values, std::vector<float>{5.0f});
        EXPECT_EQ(listener.finished, 1);
    }
}

TEST_F(TweenTest, ListenerDetachingItselfGetsNoMoreCalls)
{
    Listener leaving, staying;
    leaving.detachInValue = true;
    auto* line = new FloatTrLine(0, 1, 1, 0);
    FloatTransformer::AddListener(line, &leaving);
    FloatTransformer::AddListener(line, &staying);
    Process::AddToList(line);
    Process::StepAll(0.25f);
    Process::StepAll(0.25f);
    EXPECT_EQ(leaving.values.size(), 1u);
    EXPECT_EQ(staying.values.size(), 2u);
    EXPECT_EQ(line->Listeners().size(), 1u);
    EXPECT_TRUE(Process::IsListed(line));
}

TEST_F(TweenTest, LastListenerLeavingEndsTheTween)
{
    Listener leaving;
    leaving.detachInValue = true;
    auto* line = new FloatTrLine(0, 1, 1, 0);
    FloatTransformer::AddListener(line, &leaving);
    Process::AddToList(line);
    Process::StepAll(0.25f);
    EXPECT_FALSE(Process::IsListed(line));
    EXPECT_EQ(leaving.finished, 0);
    EXPECT_EQ(leaving.senderRemoved, 0);
}

TEST_F(TweenTest, DestroyedListenerDetachesAndTweenWithoutListenersEnds)
{
    auto* line = new FloatTrLine(0, 1, 1, 0);
    {
        Listener gone;
        FloatTransformer::AddListener(line, &gone);
        Process::AddToList(line);
        Process::StepAll(0.25f);
    }
    EXPECT_TRUE(line->Listeners().empty());
    EXPECT_TRUE(line->Receivers().empty());
    Process::StepAll(0.25f);
    EXPECT_FALSE(Process::IsListed(line));
}

TEST_F(TweenTest, ListenerDestroyedWhileBeingToldDoesNotBreakTheWalk)
{
    auto* line = new FloatTrLine(0, 1, 1, 0);
    auto* first = new Listener;
    Listener second;
    struct Killer : Listener {
        void OnValue(FloatTransformer* t, float v, int id) override
        {
            Listener::OnValue(t, v, id);
            delete victim;
            victim = nullptr;
        }
        Listener* victim = nullptr;
    } killer;
    killer.victim = first;
    FloatTransformer::AddListener(line, &killer);
    FloatTransformer::AddListener(line, first);
    FloatTransformer::AddListener(line, &second);
    Process::AddToList(line);
    Process::StepAll(0.25f);
    EXPECT_EQ(second.values.size(), 1u);
    EXPECT_EQ(line->Listeners().size(), 2u);
}

TEST_F(TweenTest, LinksUndoneFromEitherSide)
{
    Listener listener;
    {
        FloatTrLine line(0, 1, 1, 0);
        FloatTransformer::AddListener(&line, &listener);
        EXPECT_EQ(listener.Senders().size(), 1u);
        line.DetachReceiver(false); // every receiver
        EXPECT_TRUE(listener.Senders().empty());
        EXPECT_TRUE(line.Listeners().empty());
        FloatTransformer::AddListener(&line, &listener);
        listener.DetachFrom(false, &line);
        EXPECT_TRUE(line.Listeners().empty());
        EXPECT_TRUE(line.Receivers().empty());
        FloatTransformer::AddListener(&line, &listener);
    }
    EXPECT_EQ(listener.senderRemoved, 1);
    EXPECT_TRUE(listener.Senders().empty());
}

TEST_F(TweenTest, StartValueAndParameterSource)
{
    FloatTrLine line(0.5f, 1.5f, 2.0f, 0);
    EXPECT_FLOAT_EQ(line.GetStartValue(), 0.5f);
    EXPECT_FLOAT_EQ(line.GetParameter(), 0.5f);
    EXPECT_EQ(line.ReleaseSource(&line), nullptr);
    FloatTrLine other(0, 1, 1, 0);
    line.OnSourceValue(&other, 9.0f, 0); // not the source: ignored
    EXPECT_FLOAT_EQ(line.GetParameter(), 0.5f);
}

TEST(ApproachFloat, Cases)
{
    struct {
        float value, step, target, want;
        bool arrived;
    } cases[] = {
        {0.95f, 0.1f, 1.0f, 1.0f, true},
        {0.5f, 0.1f, 1.0f, 0.6f, false},
        {1.0f, 0.1f, 0.0f, 0.9f, false},
        {1.0f, 0.1f, 1.0f, 1.0f, true},
        {0.0f, 0.5f, 0.5f, 0.5f, false}, // exactly one step away: moves, not yet arrived
    };
    for (const auto& c : cases) {
        float value = c.value;
        EXPECT_EQ(ApproachFloat(value, c.step, c.target), c.arrived) << c.value << " -> " << c.target;
        EXPECT_FLOAT_EQ(value, c.want);
    }
}

TEST(Delegate, EmptinessAndInvocation)
{
    struct Target {
        void Hit() { ++hits; }
        int hits = 0;
    } target;
    EXPECT_TRUE(Delegate().IsEmpty());
    EXPECT_FALSE(static_cast<bool>(Delegate()));
    Delegate objectOnly(&target, nullptr);
    EXPECT_FALSE(objectOnly.IsEmpty());
    EXPECT_TRUE(objectOnly.ToSafeBool());
    objectOnly(); // nothing to call
    Delegate functionOnly(static_cast<Target*>(nullptr), &Target::Hit);
    EXPECT_FALSE(functionOnly.IsEmpty());
    functionOnly(); // no object: nothing happens
    Delegate full(&target, &Target::Hit);
    full();
    full.Invoke();
    EXPECT_EQ(target.hits, 2);
    Delegate copy = full;
    copy();
    EXPECT_EQ(target.hits, 3);
}

} // namespace
} // namespace Quib
