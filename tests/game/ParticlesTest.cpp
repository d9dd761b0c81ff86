#include "src/particles/Particles.h"

#include "framework/files/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/particles/Particle.h"
#include "src/particles/ParticlePool.h"
#include "tests/game/ParticleTestSupport.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Quib {
namespace ParticlesTest {

using Testing::ParticleFolder;
using Testing::RecordingImage;

// A block whose particles go nowhere by themselves.
ParticleParams Quiet(int32_t rate, float duration)
{
    ParticleParams p;
    p.blend = 6;
    p.rate = rate;
    p.duration = duration;
    p.lifeMin = p.lifeMax = 10;
    p.scaleStart = p.scaleEnd = 1;
    p.startColor[0] = p.startColor[1] = p.startColor[2] = 1;
    p.endColor[0] = p.endColor[1] = p.endColor[2] = 1;
    return p;
}

std::vector<const Particle*> Live(const Particles& e)
{
    std::vector<const Particle*> out;
    for (const Particle* p = e.FirstParticle(); p; p = p->next)
        out.push_back(p);
    return out;
}

class OwnParticles : public ::testing::Test {
protected:
    ParticleFolder folder;
};

// The first particles after srand(12345), worked out by hand from the
// emission rules (the random values in their order, 32-bit arithmetic).
TEST_F(OwnParticles, FirstParticlesAfterAKnownSeed)
{
    ParticleParams b;
    b.blend = 6;
    b.rate = 100;
    b.duration = 2.0f;
    b.lifeMin = 1.0f;
    b.lifeMax = 2.0f;
    b.direction = 1.0f;
    b.spread = 0.5f;
    b.speedMin = 10;
    b.speedMax = 20;
    b.gravityMin = 5;
    b.gravityMax = 10;
    b.radialMin = 1;
    b.radialMax = 2;
    b.tangentialMin = 3;
    b.tangentialMax = 4;
    b.scaleStart = 1.0f;
    b.scaleEnd = 0.5f;
    b.scaleVariation = 0.2f;
    b.rotationStart = 0.0f;
    b.rotationEnd = 3.14f;
    b.rotationVariation = 0.5f;
    const float start[4] = {1.0f, 0.5f, 0.25f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        b.startColor[i] = start[i];
        b.endColor[i] = 0.0f;
    }
    b.colorVariation = 0.1f;
    b.alphaVariation = 0.2f;
    folder.OwnEffect("golden", b);

    Particles e("golden");
    ASSERT_TRUE(e.IsLoaded());
    srand(12345);
    e.StartAt({100.0f, 50.0f});
    e.Update(0.01f);
    ASSERT_EQ(e.LiveCount(), 1);
    const Particle& p = *e.FirstParticle();
    constexpr float kTol = 2e-5f;
    const auto near = [&](float actual, float expected) {
        EXPECT_NEAR(actual, expected, std::fabs(expected) * kTol + 1e-6f);
    };
    near(p.life, 1.2314523458480835f);
    near(p.x, 101.1489028930664f);
    near(p.y, 50.700889587402344f);
    near(p.vx, 12.753070831298828f);
    near(p.vy, -11.455860137939453f);
    near(p.gravity, 9.192785263061523f);
    near(p.radial, 1.1651966571807861f);
    near(p.tangential, 3.8872342109680176f);
    near(p.scale, 0.9285744428634644f);
    near(p.scaleDelta, -0.34802356362342834f);
    near(p.rotation, 0.71674644947052f);
    near(p.rotationDelta, 1.9678013324737549f);
    near(p.red, 0.9548326134681702f);
    near(p.green, 0.4688054919242859f);
    near(p.blue, 0.2334192842245102f);
    near(p.alpha, 0.9418073296546936f);
    near(p.redDelta, -0.7753711342811584f);
    near(p.alphaDelta, -0.7647939920425415f);
    EXPECT_EQ(p.age, 0.0f);

    // The next update moves it (half its velocity, after the pulls) and
    // emits the second.
    e.Update(0.01f);
    ASSERT_EQ(e.LiveCount(), 2);
    near(p.x, 107.5202865600586f);
    near(p.y, 45.038551330566406f);
    near(p.vx, 12.74277400970459f);
    near(p.vy, -11.324679374694824f);
    near(p.rotation, 0.736424446105957f);
    near(p.age, 0.01f);
    const Particle& q = *p.next;
    near(q.life, 1.4295785427093506f);
    near(q.x, 99.24710845947266f);
    near(q.y, 51.18307876586914f);
}

TEST_F(OwnParticles, RateCarriesTheFractionToTheNextUpdate)
{
    folder.OwnEffect("r150", Quiet(150, -1.0f));
    Particles e("r150");
    e.Start();
    std::vector<int> emitted;
    for (int i = 0; i < 6; ++i) {
        const int before = e.LiveCount();
        e.Update(0.01f);
        emitted.push_back(e.LiveCount() - before);
    }
    EXPECT_EQ(emitted, (std::vector<int>{1, 2, 1, 2, 1, 2}));
}

TEST_F(OwnParticles, DurationStopsEmissionInTheUpdateThatReachesIt)
{
    folder.OwnEffect("half", Quiet(100, 0.5f));
    folder.OwnEffect("endless", Quiet(100, -1.0f));
    Particles half("half"), endless("endless");
    half.Start();
    endless.Start();
    EXPECT_EQ(endless.Clock(), Particles::kEndless);
    int updates = 0;
    while (half.Clock() != Particles::kIdle && updates < 100) {
        half.Update(0.01f);
        endless.Update(0.01f);
        ++updates;
    }
    // 0.01 added up in 32-bit floats passes 0.5 in the 51st update.
    EXPECT_EQ(updates, 51);
    EXPECT_EQ(half.LiveCount(), 50); // none in the update that stopped it
    for (int i = 0; i < 500; ++i)
        endless.Update(0.01f);
    EXPECT_EQ(endless.Clock(), Particles::kEndless);
    EXPECT_FALSE(endless.IsFinished());
    EXPECT_FALSE(half.IsFinished()); // stopped, particles still alive
    half.Update(10.0f);
    EXPECT_TRUE(half.IsFinished());
}

TEST_F(OwnParticles, MoveWhileEmittingSpreadsTheNextParticlesAlongTheWay)
{
    ParticleParams b = Quiet(1000, -1.0f);
    folder.OwnEffect("trail", b);
    Particles e("trail");
    srand(7);
    e.StartAt({0.0f, 0.0f});
    // Right after StartAt there is no way to spread along: all at the start.
    e.Update(0.01f);
    for (const Particle* p : Live(e)) {
        EXPECT_LE(std::fabs(p->x), 2.0f);
        EXPECT_LE(std::fabs(p->y), 2.0f);
    }
    const size_t first = Live(e).size();
    e.MoveTo({100.0f, 0.0f}, false);
    e.Update(0.01f);
    const auto all = Live(e);
    float lo = 1e9f, hi = -1e9f;
    for (size_t i = first; i < all.size(); ++i) {
        lo = std::min(lo, all[i]->x);
        hi = std::max(hi, all[i]->x);
    }
    EXPECT_LT(lo, 15.0f);
    EXPECT_GT(hi, 85.0f);
    // The old particles kept their place.
    for (size_t i = 0; i < first; ++i)
        EXPECT_LE(std::fabs(all[i]->x), 2.0f);

    // Following: they move with the emitter.
    e.MoveTo({100.0f, 40.0f}, true);
    EXPECT_NEAR(all[0]->y, 40.0f, 2.0f);
}

TEST_F(OwnParticles, IdleEmitterJumpsWithoutTrail)
{
    folder.OwnEffect("jump", Quiet(1000, -1.0f));
    Particles e("jump");
    e.MoveTo({500.0f, 0.0f}, false);
    e.StartAt({0.0f, 0.0f});
    e.Update(0.01f);
    for (const Particle* p : Live(e))
        EXPECT_LE(std::fabs(p->x), 2.0f);
}

TEST_F(OwnParticles, ParticleAtTheEmitterGetsNoRadialOrTangentialPull)
{
    // One particle put exactly on the emitter, then beside it.
    ParticleParams b = Quiet(100, -1.0f);
    b.radialMin = b.radialMax = 1000;
    b.tangentialMin = b.tangentialMax = 500;
    folder.OwnEffect("pull2", b);
    Particles f("pull2");
    srand(3);
    f.Start();
    f.Update(0.01f);
    ASSERT_EQ(f.LiveCount(), 1);
    Particle& p = const_cast<Particle&>(*f.FirstParticle());
    p.x = p.y = 0.0f;
    p.vx = p.vy = 0.0f;
    f.Stop();
    f.Update(0.01f);
    EXPECT_EQ(p.vx, 0.0f);
    EXPECT_EQ(p.vy, 0.0f);
    EXPECT_EQ(p.x, 0.0f);
    p.x = 10.0f;
    f.Update(0.01f);
    EXPECT_NEAR(p.vx, 10.0f, 1e-4f); // radial 1000 x 0.01 outward
    EXPECT_NEAR(p.vy, 5.0f, 1e-4f);  // tangential 500 x 0.01, a quarter turn on
}

TEST_F(OwnParticles, ZeroLifeEndsInTheFirstUpdateAndPoolRecordsComeBack)
{
    ParticleParams b = Quiet(100, -1.0f);
    b.lifeMin = b.lifeMax = 0.0f;
    folder.OwnEffect("flash", b);
    const size_t used = ParticlePool::UsedRecords();
    {
        Particles e("flash");
        e.Start();
        e.Update(0.01f);
        EXPECT_EQ(e.LiveCount(), 1);
        EXPECT_EQ(e.FirstParticle()->scaleDelta, 0.0f); // no division by the zero life
        e.Update(0.01f);
        EXPECT_EQ(e.LiveCount(), 1); // the old one gone, a new one born
        e.Stop();
        e.Update(0.01f);
        EXPECT_EQ(e.LiveCount(), 0);
        EXPECT_TRUE(e.IsFinished());
        e.Start();
        e.Update(0.01f);
        EXPECT_EQ(ParticlePool::UsedRecords(), used + 1);
    }
    EXPECT_EQ(ParticlePool::UsedRecords(), used);
}

TEST_F(OwnParticles, HugeRateIsHeldAtTheLimit)
{
    ParticleParams b = Quiet(2000000000, -1.0f);
    folder.OwnEffect("flood", b);
    Particles e("flood");
    e.Start();
    e.Update(0.01f);
    e.Update(0.01f);
    EXPECT_EQ(e.LiveCount(), Particles::kMaxLiveParticles);
    b.rate = -50;
    b.duration = std::nanf("");
    folder.OwnEffect("negative", b);
    Particles n("negative");
    n.Start();
    for (int i = 0; i < 10; ++i)
        n.Update(0.01f);
    EXPECT_EQ(n.LiveCount(), 0);
}

TEST_F(OwnParticles, CloneIsIdleWithTheSameBlock)
{
    ParticleParams b = Quiet(100, -1.0f);
    b.cel = 3;
    folder.OwnEffect("src", b);
    Particles e("src");
    e.StartAt({5.0f, 5.0f});
    e.Update(0.01f);
    std::unique_ptr<ParticlesCommon> copy = CloneParticles(&e);
    auto* own = dynamic_cast<Particles*>(copy.get());
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->LiveCount(), 0);
    EXPECT_EQ(own->Clock(), Particles::kIdle);
    EXPECT_TRUE(own->IsLoaded());
    EXPECT_EQ(own->Params().cel, 3);
    EXPECT_EQ(own->Params().rate, 100);
    EXPECT_FALSE(own->IsFinished());
    own->Update(0.01f);
    EXPECT_EQ(own->LiveCount(), 0); // not started
}

TEST_F(OwnParticles, RewindAndLoopingChangeNothing)
{
    folder.OwnEffect("same", Quiet(100, -1.0f));
    Particles a("same"), b("same");
    srand(5);
    a.Start();
    a.Update(0.01f);
    a.Rewind(3.0f);
    a.SetLooping(true);
    a.Update(0.01f);
    srand(5);
    b.Start();
    b.Update(0.01f);
    b.Update(0.01f);
    ASSERT_EQ(a.LiveCount(), b.LiveCount());
    EXPECT_EQ(a.FirstParticle()->x, b.FirstParticle()->x);
    EXPECT_EQ(a.Clock(), b.Clock());
}

TEST_F(OwnParticles, MissingFileIsNotLoaded)
{
    EXPECT_FALSE(Particles("nothing").IsLoaded());
    EXPECT_FALSE(Particles("").IsLoaded());
    folder.OwnEffectBytes("sub/x", "abc");
    EXPECT_FALSE(Particles("sub").IsLoaded()); // a folder
    EXPECT_TRUE(Particles("SUB\\X").IsLoaded());
}

// Drawing: one matrix draw per particle with the cel, the clamped colour,
// the blend and the transform; the Graphics' mode comes back.
class OwnParticlesDraw : public OwnParticles {
protected:
    void SetUp() override
    {
        sheet.width = 64;
        sheet.height = 32;
        sheet.cols = 4;
        sheet.rows = 2;
        Particles::SetSpriteSheet(&sheet);
    }
    void TearDown() override { Particles::SetSpriteSheet(nullptr); }

    RecordingImage sheet{64, 32};
};

TEST_F(OwnParticlesDraw, EachParticleIsOneMatrixDrawOfItsCel)
{
    ParticleParams b = Quiet(100, -1.0f);
    b.cel = 6;
    b.blend = 2; // additive
    b.scaleStart = b.scaleEnd = 2.0f;
    b.rotationStart = b.rotationEnd = 0.5f;
    b.startColor[0] = b.endColor[0] = 1.5f;  // above 1
    b.startColor[1] = b.endColor[1] = -0.5f; // below 0
    b.startColor[2] = b.endColor[2] = 0.5f;
    b.startColor[3] = b.endColor[3] = 1.0f;
    folder.OwnEffect("cel", b);
    Particles e("cel");
    e.StartAt({30.0f, 40.0f});
    e.Update(0.01f);
    ASSERT_EQ(e.LiveCount(), 1);
    const Particle& p = *e.FirstParticle();

    RecordingImage dest(200, 100);
    Graphics g(&dest);
    g.transX = 10;
    g.transY = 20;
    g.drawMode = DRAWMODE_NORMAL;
    g.smooth = true;
    e.Draw(&g);
    ASSERT_EQ(dest.calls.size(), 1u);
    const auto& c = dest.calls[0];
    EXPECT_EQ(c.slot, "PutImageMatrix");
    EXPECT_EQ(c.source, &sheet);
    EXPECT_EQ(c.sourceRect, Rect(32, 16, 16, 16)); // cel 6: column 2, row 1
    EXPECT_EQ(c.color, Color(255, 0, 127, 255));
    EXPECT_EQ(c.mode, DRAWMODE_ADDITIVE);
    EXPECT_EQ(c.fx, 10.0f);
    EXPECT_EQ(c.fy, 20.0f);
    EXPECT_EQ(c.smooth, 1);
    Matrix3x3 m;
    m.PreRotate(0.5f);
    m.PreScale(2.0f, 2.0f);
    m.PreTranslate(p.x, p.y);
    EXPECT_EQ(c.matrix, m);
    EXPECT_EQ(g.drawMode, DRAWMODE_NORMAL);
    EXPECT_FALSE(g.colorizeImages);

    // Blend 6 is alpha blending.
    b.blend = 6;
    folder.OwnEffect("cel6", b);
    Particles n("cel6");
    n.Start();
    n.Update(0.01f);
    dest.calls.clear();
    n.Draw(&g);
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].mode, DRAWMODE_NORMAL);
}

TEST_F(OwnParticlesDraw, NothingDrawableDrawsNothing)
{
    // A zero scale, a cel off the sheet, a negative cel.
    for (auto [cel, scale] : {std::pair<int16_t, float>{0, 0.0f}, {8, 1.0f}, {-1, 1.0f}}) {
        ParticleParams b = Quiet(100, -1.0f);
        b.cel = cel;
        b.scaleStart = b.scaleEnd = scale;
        folder.OwnEffect("none", b);
        Particles e("none");
        e.Start();
        e.Update(0.01f);
        RecordingImage dest(100, 100);
        Graphics g(&dest);
        e.Draw(&g);
        EXPECT_TRUE(dest.calls.empty()) << cel << " " << scale;
    }
}

TEST_F(OwnParticlesDraw, AnimatedSheetPicksTheCelByAge)
{
    sheet.animation = std::make_unique<ImageAnimation>();
    sheet.animation->type = ImageAnimation::TYPE_ONCE;
    sheet.animation->frameDelay = 0; // a zero delay must not divide by zero
    ParticleParams b = Quiet(100, -1.0f);
    b.lifeMin = b.lifeMax = 1.0f;
    folder.OwnEffect("anim", b);
    Particles e("anim");
    e.Start();
    e.Update(0.01f);
    e.Stop();
    for (int i = 0; i < 55; ++i) // age 0.55 of a life of 1: cel 4 of 8
        e.Update(0.01f);
    RecordingImage dest(100, 100);
    Graphics g(&dest);
    e.Draw(&g);
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].sourceRect, Rect(0, 16, 16, 16));

    sheet.animation->type = ImageAnimation::TYPE_LOOP;
    Particles loop("anim");
    loop.Start();
    loop.Update(0.01f);
    loop.Update(0.01f); // age 0.01 with a delay taken as 1: cel 1
    dest.calls.clear();
    loop.Draw(&g);
    ASSERT_EQ(dest.calls.size(), 2u);
    EXPECT_EQ(dest.calls[0].sourceRect, Rect(16, 0, 16, 16));
    sheet.animation.reset();
}

// Drawn for real: the particles land where they are.
TEST_F(OwnParticlesDraw, DrawsIntoAMemoryImage)
{
    MemoryImage white(nullptr);
    std::vector<uint32_t> px(16 * 16, 0xFFFFFFFF);
    white.AssignPixels(px.data(), 16, 16, true);
    Particles::SetSpriteSheet(&white);
    ParticleParams b = Quiet(100, -1.0f);
    folder.OwnEffect("real", b);
    Particles e("real");
    srand(1);
    e.StartAt({50.0f, 50.0f});
    e.Update(0.01f);
    MemoryImage dest(nullptr);
    std::vector<uint32_t> black(100 * 100, 0xFF000000);
    dest.AssignPixels(black.data(), 100, 100, true);
    Graphics g(&dest);
    e.Draw(&g);
    EXPECT_EQ(dest.GetPixel(50, 50) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(dest.GetPixel(30, 30) & 0xFFFFFF, 0u);
}

} // namespace ParticlesTest
} // namespace Quib
