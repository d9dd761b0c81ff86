#include "src/particles/Particles2.h"

#include "framework/files/Random.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/particles/EmitterFile.h"
#include "src/particles/Particles.h"
#include "src/particles/Particles2_TextureManager.h"
#include "src/particles/PtcModel.h"
#include "tests/game/ParticleTestSupport.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Quib {
namespace Particles2Test {

using Testing::LogCapture;
using Testing::OneEmitter;
using Testing::ParticleFolder;
using Testing::Ptc;
using Testing::RecordingImage;

class LibraryEffects : public ::testing::Test {
protected:
    LogCapture log;
    ParticleFolder folder;
};

// Every open file is searched, in file-name order whatever the letter case.
TEST_F(LibraryEffects, NamesAreFoundInEveryFileInNameOrder)
{
    folder.PtcFile("b.ptc",
                   OneEmitter("Shared", "burst = 2\n rate = 0") + "emitter OnlyB\n particles p\n end\nend\n");
    folder.PtcFile("A.ptc", OneEmitter("Shared", "burst = 1\n rate = 0"));
    folder.PtcFile("c.ptc", OneEmitter("OnlyC", "burst = 3\n rate = 0"));
    folder.PtcFile("notes.txt", "not a particle file");
    folder.Load();
    ASSERT_EQ(EmitterFiles().size(), 3u);
    EXPECT_EQ(EmitterFiles()[0]->Name(), "res\\A.ptc");
    EXPECT_EQ(EmitterFiles()[1]->Name(), "res\\b.ptc");
    EXPECT_EQ(EmitterFiles()[2]->Name(), "res\\c.ptc");

    const auto burst = [](const std::string& name) {
        Particles2 e(name);
        e.Start();
        e.Update(0.01f);
        return PtcGetParticleCount(e.Handle());
    };
    EXPECT_EQ(burst("Shared"), 1); // A.ptc comes first
    EXPECT_EQ(burst("onlyc"), 3);  // found in the third file
    EXPECT_NE(Particles2("OnlyB").Handle(), 0u);
    EXPECT_FALSE(log.Contains("not found"));
}

TEST_F(LibraryEffects, GroupsHoldTopEmittersAndFolders)
{
    folder.PtcFile("g.ptc", Ptc("emitter A\n particles p\n end\nend\n"
                                "folder Empty\nend\n"
                                "folder F\n emitter B\n  particles p\n  end\n end\n"
                                " folder G\n  emitter C\n   particles p\n   end\n  end\n end\nend\n"));
    folder.Load();
    ASSERT_EQ(EmitterFiles().size(), 1u);
    const EmitterFile& f = *EmitterFiles()[0];
    ASSERT_EQ(f.GroupCount(), 2); // the empty folder makes no group
    EXPECT_EQ(f.groups[0]->Count(), 1);
    EXPECT_EQ(f.groups[1]->Count(), 2);
}

TEST_F(LibraryEffects, WithoutFilesEveryEffectLogsAndIsFinished)
{
    folder.Load();
    EXPECT_TRUE(EmitterFiles().empty());
    for (int i = 0; i < 2; ++i) {
        Particles2 e("Sparkles");
        e.StartAt({10.0f, 10.0f});
        e.Update(0.01f);
        EXPECT_TRUE(e.IsFinished());
        RecordingImage dest(100, 100);
        Graphics g(&dest);
        e.Draw(&g);
        EXPECT_TRUE(dest.calls.empty());
    }
    EXPECT_EQ(log.Count("Particles not loaded: \"Sparkles\""), 2);
}

TEST_F(LibraryEffects, UnknownNameIsFinishedAtOnceAndLoggedOnce)
{
    folder.PtcFile("a.ptc", OneEmitter("Known", "rate = 10"));
    folder.Load();
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<ParticlesCommon> e = CreateParticlesByName("NoSuchEffect");
        ASSERT_NE(e, nullptr);
        EXPECT_FALSE(e->IsOwnFormat());
        EXPECT_TRUE(e->IsFinished());
        e->StartAt({1.0f, 1.0f});
        EXPECT_TRUE(e->IsFinished());
    }
    EXPECT_EQ(log.Count("Particle effect not found: \"NoSuchEffect\""), 1);
}

TEST_F(LibraryEffects, OwnKindComesFirst)
{
    folder.PtcFile("a.ptc", OneEmitter("Both", "rate = 10") + "emitter LibOnly\n particles p\n end\nend\n");
    ParticleParams b;
    b.rate = 10;
    folder.OwnEffect("Both", b);
    folder.Load();
    std::unique_ptr<ParticlesCommon> both = CreateParticlesByName("Both");
    EXPECT_TRUE(both->IsOwnFormat());
    EXPECT_NE(dynamic_cast<Particles*>(both.get()), nullptr);
    std::unique_ptr<ParticlesCommon> lib = CreateParticlesByName("LibOnly");
    EXPECT_FALSE(lib->IsOwnFormat());
    EXPECT_FALSE(lib->IsFinished());
    EXPECT_EQ(CloneParticles(nullptr), nullptr);
}

TEST_F(LibraryEffects, CloneIsAnIdleDuplicate)
{
    folder.PtcFile("a.ptc", OneEmitter("E", "rate = 100"));
    folder.Load();
    Particles2 e("E");
    e.StartAt({5.0f, 5.0f});
    e.Update(0.05f);
    std::unique_ptr<ParticlesCommon> copy = CloneParticles(&e);
    auto* dup = dynamic_cast<Particles2*>(copy.get());
    ASSERT_NE(dup, nullptr);
    EXPECT_NE(dup->Handle(), e.Handle());
    EXPECT_FALSE(dup->IsStarted());
    EXPECT_EQ(dup->Position(), TPoint<float>(0.0f, 0.0f));
    EXPECT_EQ(PtcGetParticleCount(dup->Handle()), 0);
    dup->Update(0.05f); // not started: not advanced
    EXPECT_EQ(PtcGetParticleCount(dup->Handle()), 0);
    dup->Start();
    dup->Update(0.05f);
    EXPECT_EQ(PtcGetParticleCount(dup->Handle()), 5);
}

TEST_F(LibraryEffects, UpdatesFollowTheInterpolationMode)
{
    folder.PtcFile("a.ptc", OneEmitter("Fixed", "rate = 100", "interpolation = off\n update_time = 20") +
                                "emitter Free\n particles p\n  rate = 100\n end\nend\n");
    folder.Load();
    Particles2 fixed("Fixed"), free("Free");
    fixed.Start();
    free.Start();
    fixed.Update(0.05f);
    free.Update(0.05f);
    EXPECT_EQ(PtcGetParticleCount(fixed.Handle()), 2); // 20 ms whatever the caller's step
    EXPECT_EQ(PtcGetParticleCount(free.Handle()), 5);
}

TEST_F(LibraryEffects, StopInterruptsAndTheEffectRunsOut)
{
    folder.PtcFile("a.ptc", OneEmitter("E", "rate = 100\n life = 0.1", "loop = on"));
    folder.Load();
    Particles2 e("E");
    e.Start();
    for (int i = 0; i < 20; ++i)
        e.Update(0.01f);
    EXPECT_FALSE(e.IsFinished());
    e.Stop();
    for (int i = 0; i < 20 && !e.IsFinished(); ++i)
        e.Update(0.01f);
    EXPECT_TRUE(e.IsFinished());
    e.Rewind(0.05f); // back to the start and on, whatever the flags say
    EXPECT_EQ(PtcGetParticleCount(e.Handle()), 5);
}

TEST_F(LibraryEffects, LoopingAndRewind)
{
    folder.PtcFile("a.ptc", OneEmitter("E", "rate = 100\n life = 0.1", "duration = 0.2"));
    folder.Load();
    Particles2 once("E"), looping("E");
    looping.SetLooping(true);
    once.Start();
    looping.Start();
    for (int i = 0; i < 100; ++i) {
        once.Update(0.01f);
        looping.Update(0.01f);
    }
    EXPECT_TRUE(once.IsFinished());
    EXPECT_FALSE(looping.IsFinished());
    Particles2 late("E");
    late.Rewind(0.15f);
    // About 0.1 s of life at 100 a second.
    EXPECT_GE(PtcGetParticleCount(late.Handle()), 9);
    EXPECT_LE(PtcGetParticleCount(late.Handle()), 12);
}

class LibraryDraw : public LibraryEffects {
protected:
    std::unique_ptr<Particles2> Started(const std::string& name, float x, float y)
    {
        auto e = std::make_unique<Particles2>(name);
        e->StartAt({x, y});
        e->Update(0.01f);
        return e;
    }
};

TEST_F(LibraryDraw, EachParticleIsOneTransformedDraw)
{
    folder.PtcFile("a.ptc", Ptc("texture t\n shape = dot\n size = 8\n pivot = 1 2\nend\n"
                                "emitter E\n offset = 3 4\n particles p\n  texture = t\n  burst = 1\n  rate = 0\n"
                                "  size = 16\n  angle = 90\n  additive = on\n  colour = #80FF8040\n end\nend\n"));
    folder.Load();
    srand(1);
    auto e = Started("E", 100.0f, 50.0f);
    RecordingImage dest(200, 100);
    Graphics g(&dest);
    g.colorizeImages = true;
    g.color = Color(255, 128, 255, 255);
    g.clipRect = Rect(10, 10, 20, 20);
    g.transX = 7;
    e->Draw(&g);
    ASSERT_EQ(dest.calls.size(), 1u);
    const auto& c = dest.calls[0];
    EXPECT_EQ(c.slot, "PutImageMatrix");
    EXPECT_EQ(c.mode, DRAWMODE_ADDITIVE);
    EXPECT_EQ(c.clip, Rect(0, 0, 200, 100)); // the whole destination
    EXPECT_EQ(c.sourceRect, Rect(0, 0, 8, 8));
    EXPECT_EQ(c.color, Color(255, 64, 64, 128)); // the Graphics colour times the particle's
    EXPECT_EQ(c.smooth, 1);
    EXPECT_EQ(c.fx, 7.0f);
    // Frame moved by minus its pivot, scaled 16 / 8, turned 90 degrees,
    // moved to the particle + the effect + the emitter offset.
    Matrix3x3 m;
    m.PreTranslate(-1, -2);
    m.PreScale(2, 2);
    m.PreRotate(90 * 3.1415927f / 180);
    m.PreTranslate(103, 54);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(c.matrix.m[i][j], m.m[i][j], 1e-4f) << i << j;
    // The Graphics state is back as it was.
    EXPECT_EQ(g.clipRect, Rect(10, 10, 20, 20));
    EXPECT_EQ(g.color, Color(255, 128, 255, 255));
    EXPECT_EQ(g.drawMode, DRAWMODE_NORMAL);
    EXPECT_FALSE(g.smooth);
    EXPECT_EQ(g.SavedStateCount(), 0u);
}

TEST_F(LibraryDraw, NothingBeforeStartOrAfterTheEnd)
{
    folder.PtcFile("a.ptc", OneEmitter("E", "burst = 3\n rate = 0\n life = 0.05", "duration = 0.01"));
    folder.Load();
    RecordingImage dest(50, 50);
    Graphics g(&dest);
    Particles2 idle("E");
    idle.Update(0.01f);
    idle.Draw(&g);
    EXPECT_TRUE(dest.calls.empty());
    auto e = Started("E", 10, 10);
    e->Draw(&g);
    EXPECT_EQ(dest.calls.size(), 3u);
    for (int i = 0; i < 20 && !e->IsFinished(); ++i)
        e->Update(0.01f);
    ASSERT_TRUE(e->IsFinished());
    dest.calls.clear();
    e->Draw(&g);
    EXPECT_TRUE(dest.calls.empty());
    EXPECT_EQ(g.SavedStateCount(), 0u);
}

TEST_F(LibraryDraw, MoveToKeepsOrCarriesTheParticles)
{
    folder.PtcFile("a.ptc", OneEmitter("E", "burst = 1\n rate = 0\n life = 5"));
    folder.Load();
    auto e = Started("E", 10, 10);
    const auto drawnAt = [&]() {
        RecordingImage dest(500, 500);
        Graphics g(&dest);
        e->Draw(&g);
        EXPECT_EQ(dest.calls.size(), 1u);
        return dest.calls.empty() ? TPoint<float>()
                                  : TPoint<float>(dest.calls[0].matrix.m[0][2], dest.calls[0].matrix.m[1][2]);
    };
    const TPoint<float> start = drawnAt();
    e->MoveTo({200.0f, 100.0f}, false);
    EXPECT_EQ(drawnAt(), start);
    e->MoveTo({300.0f, 100.0f}, true);
    const TPoint<float> moved = drawnAt();
    EXPECT_FLOAT_EQ(moved.x, start.x + 100.0f);
    EXPECT_FLOAT_EQ(moved.y, start.y);
    EXPECT_FALSE(PtcIsLocked());
}

// Two types with the same frames share one picture; a type without frames
// is skipped with its lock given back, so the next type and the next call
// find nothing locked.
TEST_F(LibraryDraw, SharedFramesShareOnePictureAndLocksPair)
{
    folder.PtcFile("a.ptc", Ptc("texture t\n shape = glow\n size = 8\nend\n"
                                "emitter E\n"
                                " particles a\n  texture = t\n  burst = 1\n  rate = 0\n end\n"
                                " particles bare\n  burst = 1\n  rate = 0\n end\n"
                                " particles b\n  texture = t\n  burst = 1\n  rate = 0\n end\nend\n"));
    folder.Load();
    auto e = Started("E", 10, 10);
    RecordingImage dest(50, 50);
    Graphics g(&dest);
    e->Draw(&g);
    EXPECT_EQ(dest.calls.size(), 2u); // the bare type draws nothing
    EXPECT_FALSE(PtcIsLocked());
    ASSERT_NE(ParticleTextures(), nullptr);
    EXPECT_EQ(ParticleTextures()->Count(), 1u);
    EXPECT_EQ(dest.calls[0].source, dest.calls[1].source);
    e->MoveTo({0, 0}, false); // locks every type in turn
    EXPECT_FALSE(PtcIsLocked());
    // A second effect finds the picture again.
    auto other = Started("E", 20, 20);
    other->Draw(&g);
    EXPECT_EQ(ParticleTextures()->Count(), 1u);
}

TEST_F(LibraryDraw, ZeroSizeParticlesAreNotDrawn)
{
    folder.PtcFile("a.ptc", OneEmitter("E", "burst = 2\n rate = 0\n size = 0"));
    folder.Load();
    auto e = Started("E", 10, 10);
    RecordingImage dest(50, 50);
    Graphics g(&dest);
    e->Draw(&g);
    EXPECT_TRUE(dest.calls.empty());
}

// Frames laid out in one picture keep their pixels, alpha included.
TEST_F(LibraryDraw, ManyFramesMakeOnePictureOfThemAll)
{
    folder.PtcFile(
        "a.ptc",
        Ptc("texture t\n shape = star\n size = 8\n frames = 4\nend\n"
            "emitter E\n particles a\n  texture = t\n  burst = 4\n  rate = 0\n  frame = random\n end\nend\n"));
    folder.Load();
    auto e = Started("E", 10, 10);
    RecordingImage dest(50, 50);
    Graphics g(&dest);
    e->Draw(&g);
    ASSERT_EQ(ParticleTextures()->Count(), 1u);
    DDImage* picture = ParticleTextures()->GetImage(1);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width, 16);
    EXPECT_EQ(picture->height, 16);
    std::vector<uint32_t> frame(64);
    for (int f = 0; f < 4; ++f) {
        Ptc::MakeShapeFrame("star", 8, 8, f, 4, frame.data());
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                // The alpha exactly; the colour as far as it shows (weighed
                // by the alpha: drawing onto a clear picture rounds it).
                const uint32_t want = frame[size_t(y * 8 + x)];
                const uint32_t got = picture->GetPixel((f % 2) * 8 + x, (f / 2) * 8 + y);
                ASSERT_EQ(got >> 24, want >> 24) << f << " " << x << "," << y;
                for (int shift = 0; shift < 24; shift += 8)
                    ASSERT_NEAR(double((got >> shift) & 255) * (want >> 24) / 255,
                                double((want >> shift) & 255) * (want >> 24) / 255, 1.5)
                        << f << " " << x << "," << y;
            }
    }
}

TEST_F(LibraryEffects, DamagedFileIsSkippedAndTheOthersLoad)
{
    folder.PtcFile("a.ptc", OneEmitter("Good", "rate = 10"));
    folder.PtcFile("b.ptc", "ptc 1\nemitter Bad\n particles p\n  speed = fast\n end\nend\n");
    folder.Load();
    ASSERT_EQ(EmitterFiles().size(), 1u);
    EXPECT_TRUE(log.Contains("Particle file res\\b.ptc refused at line 4, column 11")) << log.All();
    EXPECT_FALSE(Particles2("Good").IsFinished());
    EXPECT_TRUE(Particles2("Bad").IsFinished());
}

} // namespace Particles2Test
} // namespace Quib
