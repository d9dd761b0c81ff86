#include "src/particles/cGlobalParticles.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetManager.h"
#include "src/particles/Particles.h"
#include "src/particles/ParticlesRef.h"
#include "src/particles/ParticlesWidget.h"
#include "src/particles/ParticlesWidgetOwner.h"
#include "tests/game/ParticleTestSupport.h"
#include "tests/support/RecordingImage.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace Quib {
namespace GlobalParticlesTest {

using Testing::ParticleFolder;
using Testing::RecordingImage;
using Testing::TestWidgetApp;

// An own-kind block: one particle per update while emitting, each living
// the given time.
ParticleParams Block(float duration, float life)
{
    ParticleParams p;
    p.blend = 6;
    p.rate = 100;
    p.duration = duration;
    p.lifeMin = p.lifeMax = life;
    p.scaleStart = p.scaleEnd = 1;
    return p;
}

int Live(ParticlesCommon* e)
{
    return e ? static_cast<Particles*>(e)->LiveCount() : -1;
}

class GlobalParticles : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.OwnEffect("short", Block(0.05f, 0.02f));
        folder.OwnEffect("long", Block(-1.0f, 10.0f));
        registry = cGlobalParticles::Instance();
        registry->ClearEffects();
        registry->ClearTemplates();
    }
    void TearDown() override
    {
        registry->ClearEffects();
        registry->ClearTemplates();
    }

    ParticleFolder folder;
    cGlobalParticles* registry = nullptr;
};

TEST_F(GlobalParticles, OneInstanceMadeAtStartUp)
{
    EXPECT_EQ(gGlobalParticles, registry);
    EXPECT_FALSE(registry->mouseVisible);
    EXPECT_EQ(registry->zOrder, 1);
}

// A name's file is read once; every effect is a copy of its own.
TEST_F(GlobalParticles, TemplatesAreReadOnceAndCopiesAreIndependent)
{
    auto a = registry->NewEffect("long", false);
    folder.OwnEffect("long", Block(-1.0f, 0.0f)); // changed after the first read
    auto b = registry->NewEffect("long", false);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(registry->TemplateCount(), 1u);
    EXPECT_EQ(registry->EffectCount(), 2u);
    EXPECT_NE(a->effect, b->effect);
    EXPECT_EQ(static_cast<Particles*>(b->effect)->Params().lifeMax, 10.0f);
    a->Emit({1.0f, 2.0f});
    registry->Update();
    registry->Update();
    EXPECT_EQ(Live(a->effect), 2);
    EXPECT_EQ(Live(b->effect), 0); // never emitted: idle
    EXPECT_FALSE(b->IsFinished());
}

// The holder's handle stays safe after its effect has ended, whatever the
// flag: it answers finished and does nothing.
TEST_F(GlobalParticles, HandleOfAnEndedEffectIsEmpty)
{
    for (bool deleteWith : {false, true}) {
        auto ref = registry->NewEffect("short", deleteWith);
        ASSERT_TRUE(ref);
        EXPECT_EQ(ref->deleteWithEffect, deleteWith);
        ref->Emit({0.0f, 0.0f});
        for (int i = 0; i < 20 && ref->effect; ++i)
            registry->Update();
        EXPECT_EQ(ref->effect, nullptr);
        EXPECT_TRUE(ref->IsFinished());
        EXPECT_EQ(registry->EffectCount(), 0u);
        ref->Emit({5.0f, 5.0f});
        ref->Stop();
        ref->SetLooping(true);
        ref->Update(0.01f);
        ref->Draw(nullptr);
    }
}

TEST_F(GlobalParticles, DroppedHandleLeavesTheEffectRunning)
{
    {
        auto ref = registry->NewEffect("short", true);
        ref->Emit({0.0f, 0.0f});
    }
    ASSERT_EQ(registry->EffectCount(), 1u);
    EXPECT_EQ(registry->RefAt(0), nullptr);
    registry->Update();
    EXPECT_EQ(Live(registry->EffectAt(0)), 1);
    for (int i = 0; i < 20 && registry->EffectCount(); ++i)
        registry->Update();
    EXPECT_EQ(registry->EffectCount(), 0u);
}

// Last to first: an entry ending in the pass skips nobody.
TEST_F(GlobalParticles, EveryEntryIsAdvancedOncePerUpdate)
{
    auto first = registry->NewEffect("long", false);
    auto middle = registry->NewEffect("short", false);
    auto last = registry->NewEffect("long", false);
    for (auto* r : {&first, &middle, &last})
        (*r)->Emit({0.0f, 0.0f});
    int updates = 0;
    while (middle->effect && updates < 50) {
        registry->Update();
        ++updates;
    }
    registry->Update();
    ++updates;
    EXPECT_EQ(registry->EffectCount(), 2u);
    EXPECT_EQ(Live(first->effect), updates);
    EXPECT_EQ(Live(last->effect), updates);
}

TEST_F(GlobalParticles, PausedIsDrawnHiddenIsAdvanced)
{
    Image sheet;
    sheet.width = sheet.height = 8;
    Particles::SetSpriteSheet(&sheet);
    auto paused = registry->NewEffect("long", false);
    auto hidden = registry->NewEffect("long", false);
    Particles::SetSpriteSheet(nullptr);
    paused->Emit({0.0f, 0.0f});
    hidden->Emit({0.0f, 0.0f});
    registry->Update();
    paused->paused = true;
    hidden->hidden = true;
    registry->Update();
    EXPECT_EQ(Live(paused->effect), 1);
    EXPECT_EQ(Live(hidden->effect), 2);
    RecordingImage dest(100, 100);
    Graphics g(&dest);
    registry->Draw(g);
    ASSERT_EQ(dest.calls.size(), 1u); // the paused effect's one particle
}

TEST_F(GlobalParticles, UnknownNameStillGivesAHandle)
{
    folder.Load();
    Testing::LogCapture log;
    auto ref = registry->NewEffect("no such effect", true);
    ASSERT_TRUE(ref);
    EXPECT_TRUE(ref->IsFinished());
    registry->Update();
    EXPECT_EQ(ref->effect, nullptr);
    EXPECT_EQ(registry->EffectCount(), 0u);
}

TEST_F(GlobalParticles, ClearingEmptiesTheHandles)
{
    auto ref = registry->NewEffect("long", false);
    ref->Emit({0.0f, 0.0f});
    registry->ClearEffects();
    EXPECT_EQ(ref->effect, nullptr);
    EXPECT_EQ(registry->EffectCount(), 0u);
    registry->ClearTemplates();
    EXPECT_EQ(registry->TemplateCount(), 0u);
}

TEST_F(GlobalParticles, UpdateMarksTheWidgetForRedraw)
{
    TestWidgetApp app(320, 240);
    app.manager->AttachChild(registry);
    registry->dirty = false;
    registry->Update();
    EXPECT_TRUE(registry->dirty);
    app.manager->DetachChild(registry);
}

// The widget's owner: records what the widget asks of it and deletes the
// widgets still in its list when it closes.
class Owner : public ParticlesWidgetOwner {
public:
    ~Owner() override { Close(); }
    Color GetParticlesColor() const override { return Color(10, 20, 30, 40); }
    void ForgetParticlesWidget(ParticlesWidget* w) override
    {
        ++forgotten;
        widgets.erase(std::remove(widgets.begin(), widgets.end(), w), widgets.end());
    }
    void Close()
    {
        const std::vector<ParticlesWidget*> list = std::move(widgets);
        widgets.clear();
        for (ParticlesWidget* w : list)
            delete w;
    }
    std::vector<ParticlesWidget*> widgets;
    int forgotten = 0;
};

class ParticleWidgets : public GlobalParticles {
protected:
    ParticlesWidget* Make(const std::string& name)
    {
        auto effect = CreateParticlesByName(name);
        effect->StartAt({3.0f, 4.0f});
        auto* w = new ParticlesWidget(std::move(effect), &owner);
        owner.widgets.push_back(w);
        app.manager->AttachChild(w);
        return w;
    }

    TestWidgetApp app{320, 240};
    Owner owner;
};

TEST_F(ParticleWidgets, EndsByLeavingItsOwnerAndDeletingItselfOnce)
{
    ParticlesWidget* w = Make("short");
    EXPECT_EQ(w->GetBounds(), Rect(0, 0, 320, 240));
    EXPECT_FALSE(w->mouseVisible);
    int updates = 0;
    while (!w->IsRemoved() && updates < 50) {
        w->Update();
        ++updates;
    }
    ASSERT_TRUE(w->IsRemoved());
    EXPECT_GT(updates, 2);
    EXPECT_TRUE(owner.widgets.empty());
    EXPECT_EQ(owner.forgotten, 1);
    EXPECT_EQ(w->parent, nullptr);
    EXPECT_TRUE(app.deferredDeletes.Contains(w));
    w->Update(); // once only
    EXPECT_EQ(app.deferredDeletes.Size(), 1u);
    owner.Close(); // the field closes: the widget is no longer its to delete
    app.FlushDeferredDeletes();
    EXPECT_EQ(owner.forgotten, 1);
}

TEST_F(ParticleWidgets, OwnerClosingDeletesARunningWidget)
{
    ParticlesWidget* w = Make("long");
    w->Update();
    EXPECT_EQ(Live(w->Effect()), 1);
    owner.Close();
    EXPECT_EQ(owner.forgotten, 1); // the destructor leaves the list
    EXPECT_TRUE(app.manager->children.empty());
    EXPECT_TRUE(app.deferredDeletes.Empty());
}

TEST_F(ParticleWidgets, DrawsInTheOwnersColourAtTheOrigin)
{
    Image sheet;
    sheet.width = sheet.height = 8;
    Particles::SetSpriteSheet(&sheet);
    ParticlesWidget* w = Make("long");
    Particles::SetSpriteSheet(nullptr);
    w->Update();
    RecordingImage dest(320, 240);
    Graphics g(&dest);
    g.transX = 50;
    w->Draw(g);
    EXPECT_EQ(g.color, Color(10, 20, 30, 40));
    EXPECT_EQ(g.transX, 0.0f);
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].fx, 0.0f);
}

} // namespace GlobalParticlesTest
} // namespace Quib
