#include "src/game/quest/Layer/QstFlashEffect.h"
#include "src/game/quest/Layer/QstParticlesLayer.h"
#include "src/game/quest/Layer/QstParticlesLayerData.h"
#include "src/particles/EmitterFile.h"
#include "src/particles/Particles2.h"
#include "src/particles/PtcLibrary.h"
#include "tests/quest/LayerTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace Quib {
namespace {

using namespace Testing;

// A scratch working directory with one library emitter, "Fountain": ten
// particles a second that live long, in laps of ten seconds.
class QstParticlesLayerTest : public ::testing::Test {
protected:
    QstParticlesLayerTest() : cwd(dir.Path())
    {
        dir.WriteFile("res/quest.ptc", "ptc 1\nemitter Fountain\n duration = 10\n particles p\n  rate = 10\n"
                                       "  life = 100\n end\nend\nemitter flash_harbour\n particles p\n  burst = 3\n"
                                       "  rate = 0\n end\nend\n");
        LoadParticleFiles();
    }
    ~QstParticlesLayerTest() override { UnloadParticleFiles(); }

    std::unique_ptr<QstParticlesLayer> Layer(float startTime, float x = 30, float y = 40)
    {
        auto* data = new QstParticlesLayerData(0);
        data->effectName = "Fountain";
        data->startTime = startTime;
        auto layer = std::make_unique<QstParticlesLayer>(data);
        layer->x = x;
        layer->y = y;
        layer->Start();
        return layer;
    }

    static int Count(const QstParticlesLayer& layer)
    {
        auto* effect = dynamic_cast<Particles2*>(layer.effect.get());
        return effect ? PtcGetParticleCount(effect->Handle()) : -1;
    }

    TempDir dir;
    ScopedWorkingDirectory cwd;
};

TEST_F(QstParticlesLayerTest, StartTimeRunsTheEffectAhead)
{
    auto fresh = Layer(0);
    auto aged = Layer(2);
    ASSERT_NE(fresh->effect, nullptr);
    EXPECT_LE(Count(*fresh), 1);
    EXPECT_NEAR(Count(*aged), 20, 2) << "two seconds of ten a second";
    auto* effect = static_cast<Particles2*>(aged->effect.get());
    EXPECT_EQ(effect->Position(), TPoint<float>(30, 40));
    EXPECT_TRUE(effect->IsStarted());
}

TEST_F(QstParticlesLayerTest, HiddenLayersKeepRunningAndFollowTheirPlace)
{
    auto layer = Layer(0);
    layer->SetVisible(false, false);
    layer->x = 50;
    for (int i = 0; i < 51; ++i)
        layer->Update(0.01f);
    EXPECT_NEAR(Count(*layer), 5, 1);
    EXPECT_FLOAT_EQ(layer->alpha, 0.0f) << "faded out in 0.5 s";
    EXPECT_EQ(static_cast<Particles2*>(layer->effect.get())->Position(), TPoint<float>(50, 40));
    EXPECT_FALSE(layer->HitTest(0, 0));
}

TEST_F(QstParticlesLayerTest, ClonesRunTheirOwnEffect)
{
    auto layer = Layer(2);
    std::unique_ptr<QstLayer> clone(layer->Clone());
    auto* copy = dynamic_cast<QstParticlesLayer*>(clone.get());
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy->effect, nullptr);
    EXPECT_NE(copy->effect.get(), layer->effect.get());
    EXPECT_EQ(copy->data, layer->data);
    EXPECT_FALSE(copy->ownsData);
}

TEST_F(QstParticlesLayerTest, UnknownEffectsDrawNothingAndDoNotFail)
{
    LayerLog log;
    auto* data = new QstParticlesLayerData(0);
    data->effectName = "NoSuchEffect";
    QstParticlesLayer layer(data);
    layer.Start();
    layer.Update(0.01f);
    ASSERT_NE(layer.effect, nullptr);
    EXPECT_TRUE(layer.effect->IsFinished());
}

TEST_F(QstParticlesLayerTest, FlashEffectsByClusterOrHint)
{
    auto flash = CreateQstFlashEffect("harbour", false, TPoint<float>(5, 6));
    auto* lib = dynamic_cast<Particles2*>(flash.get());
    ASSERT_NE(lib, nullptr);
    EXPECT_EQ(lib->Position(), TPoint<float>(5, 6));
    EXPECT_TRUE(lib->IsStarted());
    flash->Update(0.01f);
    EXPECT_EQ(PtcGetParticleCount(lib->Handle()), 3);

    LayerLog log;
    auto hint = CreateQstFlashEffect("harbour", true, TPoint<float>(0, 0));
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(log.Count("\"Hint\""), 1) << "the hint glint is looked up by its own name";
}

} // namespace
} // namespace Quib
