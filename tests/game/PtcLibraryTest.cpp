#include "src/particles/PtcLibrary.h"

#include "framework/files/Random.h"
#include "tests/game/ParticleTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace Quib {
namespace PtcLibraryTest {

using Testing::LogCapture;
using Testing::OneEmitter;
using Testing::ParticleFolder;
using Testing::Ptc;

class EmitterLibrary : public ::testing::Test {
protected:
    PtcFile Open(const std::string& name, const std::string& text)
    {
        folder.PtcFile(name, text);
        PtcFile file = 0;
        EXPECT_EQ(PtcOpenFile("res\\" + name, &file), PTC_SUCCESS) << log.All();
        files.push_back(file);
        return file;
    }
    PtcEmitter Load(PtcFile file, const std::string& name)
    {
        PtcEmitter e = 0;
        EXPECT_EQ(PtcLoadEmitter(file, name, &e), PTC_SUCCESS) << name;
        emitters.push_back(e);
        return e;
    }
    void TearDown() override
    {
        PtcUnlockParticlesType();
        for (PtcEmitter e : emitters)
            PtcUnloadEmitter(e);
        for (PtcFile f : files)
            PtcCloseFile(f);
    }
    // The particles of one type, copied.
    std::vector<PtcParticle> Particles(PtcEmitter e, int type = 0)
    {
        std::vector<PtcParticle> out;
        EXPECT_EQ(PtcLockParticlesType(e, type), PTC_SUCCESS);
        while (const PtcParticle* p = PtcGetNextParticle())
            out.push_back(*p);
        PtcUnlockParticlesType();
        return out;
    }

    LogCapture log;
    ParticleFolder folder;
    std::vector<PtcFile> files;
    std::vector<PtcEmitter> emitters;
};

const char* kTree = R"(emitter A
 particles p
 end
end
folder F
 emitter B
  particles p
  end
 end
 folder G
  emitter C
   particles p
   end
  end
 end
end
)";

TEST_F(EmitterLibrary, SearchesFoldersAndFindsEmittersByPathOrName)
{
    const PtcFile file = Open("tree.ptc", Ptc(kTree));
    PtcFindData find;
    std::vector<std::string> found;
    for (const char* n = PtcFindFirst(file, &find, PTC_FOLDER | PTC_EMITTER); n; n = PtcFindNext(file, &find))
        found.push_back(std::string(n) + (find.type == PTC_FOLDER ? "/" : ""));
    EXPECT_EQ(found, (std::vector<std::string>{"A", "F/"}));
    EXPECT_STREQ(PtcFindFirst(file, &find, PTC_FOLDER), "F");
    EXPECT_EQ(PtcFindNext(file, &find), nullptr);

    EXPECT_EQ(PtcSetCurrentFolder(file, "f"), PTC_SUCCESS);
    EXPECT_STREQ(PtcFindFirst(file, &find, PTC_EMITTER), "B");
    EXPECT_EQ(PtcSetCurrentFolder(file, "nothing"), PTC_ERROR);
    EXPECT_EQ(PtcSetCurrentFolder(file, "G\\..\\G"), PTC_SUCCESS);
    EXPECT_STREQ(PtcFindFirst(file, &find, PTC_EMITTER), "C");
    EXPECT_EQ(PtcSetCurrentFolder(file, "/"), PTC_SUCCESS);
    EXPECT_EQ(PtcSetCurrentFolder(file, ".."), PTC_ERROR); // the top has no parent
    EXPECT_STREQ(PtcFindFirst(file, &find, PTC_EMITTER), "A");

    // By path, by a plain name anywhere, without regard to case.
    PtcEmitter e = 0;
    EXPECT_EQ(PtcLoadEmitter(file, "F\\G\\C", &e), PTC_SUCCESS);
    emitters.push_back(e);
    EXPECT_EQ(PtcLoadEmitter(file, "c", &e), PTC_SUCCESS);
    emitters.push_back(e);
    EXPECT_EQ(PtcLoadEmitter(file, "F/C", &e), PTC_ERROR); // a path is exact
    EXPECT_EQ(e, 0u);
    EXPECT_EQ(PtcLoadEmitter(file, "D", &e), PTC_ERROR);
    EXPECT_EQ(PtcLoadEmitter(0, "A", &e), PTC_ERROR);
}

TEST_F(EmitterLibrary, ClosedFilesAndUnloadedEmittersAreRefused)
{
    const PtcFile file = Open("one.ptc", OneEmitter("E", "rate = 100"));
    const PtcEmitter e = Load(file, "E");
    const PtcEmitter copy = PtcDuplicateEmitter(e);
    emitters.push_back(copy);
    EXPECT_EQ(PtcCloseFile(file), PTC_SUCCESS);
    EXPECT_EQ(PtcCloseFile(file), PTC_ERROR);
    PtcFindData find;
    EXPECT_EQ(PtcFindFirst(file, &find, 3), nullptr);
    // The emitters outlive their file.
    EXPECT_TRUE(PtcUpdate(e, 10));
    EXPECT_EQ(PtcGetParticleCount(e), 1);

    EXPECT_EQ(PtcUnloadEmitter(e), PTC_SUCCESS);
    EXPECT_FALSE(PtcUpdate(e, 10));
    EXPECT_EQ(PtcLockParticlesType(e, 0), PTC_ERROR);
    // A new emitter in the freed slot is not reached by the old handle.
    const PtcFile again = Open("one.ptc", OneEmitter("E", "rate = 100"));
    const PtcEmitter fresh = Load(again, "E");
    EXPECT_NE(fresh, e);
    EXPECT_EQ(PtcGetParticlesTypeCount(e), 0);
    EXPECT_EQ(PtcGetParticlesTypeCount(fresh), 1);
    EXPECT_EQ(PtcDuplicateEmitter(e), 0u);
}

TEST_F(EmitterLibrary, OneLapThenTheParticlesRunOut)
{
    const PtcFile file = Open("lap.ptc", OneEmitter("Lap", "rate = 100\n burst = 5\n life = 0.5", "duration = 1"));
    const PtcEmitter e = Load(file, "Lap");
    EXPECT_TRUE(PtcUpdate(e, 10));
    EXPECT_EQ(PtcGetParticleCount(e), 6); // the burst and one
    int updates = 1;
    while (PtcUpdate(e, 10) && updates < 1000)
        ++updates;
    // One second of emission, then the last life of 0.5 s.
    EXPECT_GE(updates, 149);
    EXPECT_LE(updates, 152);
    EXPECT_EQ(PtcGetParticleCount(e), 0);
    EXPECT_FALSE(PtcUpdate(e, 10));

    // Back to the start: it runs again.
    EXPECT_EQ(PtcSetPosition(e, 0), PTC_SUCCESS);
    EXPECT_TRUE(PtcUpdate(e, 10));
    EXPECT_EQ(PtcGetParticleCount(e), 6);
}

TEST_F(EmitterLibrary, LoopingRunsUntilInterrupted)
{
    const PtcFile file = Open("loop.ptc", OneEmitter("Loop", "rate = 50\n burst = 2\n life = 0.2",
                                                     "duration = 0.5\n loop = on"));
    const PtcEmitter e = Load(file, "Loop");
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(PtcUpdate(e, 10));
    EXPECT_GT(PtcGetParticleCount(e), 0);
    EXPECT_EQ(PtcSetLoopMode(e, PTC_LOOP_ONCE), PTC_SUCCESS);
    int more = 0;
    while (PtcUpdate(e, 10) && more < 1000)
        ++more;
    EXPECT_LE(more, 70); // the lap in progress, then the last lives
    PtcSetPosition(e, 0);
    PtcSetLoopMode(e, PTC_LOOP_FOREVER);
    PtcSetInterrupt(e, true);
    EXPECT_FALSE(PtcUpdate(e, 10)); // nothing in the air, nothing more to come
}

TEST_F(EmitterLibrary, SameSeedSameParticles)
{
    const std::string text = OneEmitter("R",
                                        "rate = 60\n area = circle 30\n life = 1 2\n speed = 5 50\n spread = 360\n"
                                        " wander = 20\n size = 4 9\n size_variation = 0.5\n angle = 0 360\n"
                                        " spin = -90 90\n frame = random",
                                        "loop = on");
    const PtcFile file = Open("r.ptc", text);
    const PtcEmitter a = Load(file, "R"), b = Load(file, "R");
    srand(99);
    for (int i = 0; i < 100; ++i)
        PtcUpdate(a, 10);
    srand(99);
    for (int i = 0; i < 100; ++i)
        PtcUpdate(b, 10);
    const auto pa = Particles(a), pb = Particles(b);
    ASSERT_EQ(pa.size(), pb.size());
    ASSERT_FALSE(pa.empty());
    for (size_t i = 0; i < pa.size(); ++i) {
        EXPECT_EQ(pa[i].x, pb[i].x);
        EXPECT_EQ(pa[i].angle, pb[i].angle);
        EXPECT_EQ(pa[i].color, pb[i].color);
    }
}

// A long step (a rewind by minutes) costs no more than the longest life.
TEST_F(EmitterLibrary, LongStepsStayCheap)
{
    const PtcFile file = Open("long.ptc", OneEmitter("L", "rate = 200\n life = 1", "loop = on\n duration = 3"));
    const PtcEmitter e = Load(file, "L");
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(PtcUpdate(e, 1e12));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    EXPECT_GT(PtcGetParticleCount(e), 150);
    EXPECT_LE(PtcGetParticleCount(e), 210);
    EXPECT_TRUE(PtcUpdate(e, -5)); // no time: nothing happens
    PtcSetPosition(e, 60000);
    EXPECT_GT(PtcGetParticleCount(e), 150);
}

TEST_F(EmitterLibrary, TheLimitHoldsTheParticleCount)
{
    const PtcFile file = Open("max.ptc", OneEmitter("M", "rate = 100000\n max = 30\n life = 10", "loop = on"));
    const PtcEmitter e = Load(file, "M");
    for (int i = 0; i < 10; ++i)
        PtcUpdate(e, 10);
    EXPECT_EQ(PtcGetParticleCount(e), 30);
}

TEST_F(EmitterLibrary, TheLockedTypeAnswersTheParticleCalls)
{
    const std::string text = Ptc(
        "texture star\n shape = star\n size = 16\n frames = 3\n pivot = 2 1\nend\n"
        "emitter E\n offset = 5 6\n update_time = 25\n interpolation = off\n"
        " particles a\n  texture = star\n  burst = 3\n  rate = 0\n  additive = on\n  size = 10\n end\n"
        " particles b\n  burst = 1\n  rate = 0\n end\nend\n");
    const PtcFile file = Open("lock.ptc", text);
    const PtcEmitter e = Load(file, "E");
    EXPECT_FALSE(PtcIsInterpolationMode(e));
    EXPECT_EQ(PtcGetUpdateTime(e), 25.0);
    float x = 0, y = 0;
    EXPECT_EQ(PtcGetEmitterPosition(e, &x, &y), PTC_SUCCESS);
    EXPECT_EQ(x, 5.0f);
    EXPECT_EQ(y, 6.0f);
    PtcUpdate(e, 10);
    EXPECT_EQ(PtcGetParticlesTypeCount(e), 2);

    EXPECT_EQ(PtcGetNextParticle(), nullptr); // nothing locked
    ASSERT_EQ(PtcLockParticlesType(e, 0), PTC_SUCCESS);
    EXPECT_EQ(PtcLockParticlesType(e, 1), PTC_ERROR); // one at a time
    PtcEmitter locked = 0;
    int type = -1;
    EXPECT_TRUE(PtcIsLocked(&locked, &type));
    EXPECT_EQ(locked, e);
    EXPECT_EQ(type, 0);
    EXPECT_TRUE(PtcIsIntensive());
    ASSERT_EQ(PtcGetTextureCount(), 3);
    PtcTexture t;
    ASSERT_EQ(PtcGetTexture(2, &t), PTC_SUCCESS);
    EXPECT_EQ(t.frameWidth, 16);
    EXPECT_EQ(t.textureWidth, 32); // three frames in a 2 x 2 grid
    EXPECT_EQ(t.pivotX, 2.0f);
    EXPECT_NE(t.identity, nullptr);
    EXPECT_EQ(PtcGetTexture(3, &t), PTC_ERROR);
    EXPECT_EQ(PtcGetTextureID(), 0);
    PtcSetTextureID(7);
    int seen = 0;
    while (PtcParticle* p = PtcGetNextParticle()) {
        EXPECT_EQ(p->size, 10.0f);
        EXPECT_EQ(p->color, 0xFFFFFFFFu);
        const float before = p->x;
        PtcMoveParticle(3, -4);
        EXPECT_EQ(p->x, before + 3);
        ++seen;
    }
    EXPECT_EQ(seen, 3);
    EXPECT_EQ(PtcUnlockParticlesType(), PTC_SUCCESS);
    EXPECT_EQ(PtcUnlockParticlesType(), PTC_ERROR);
    EXPECT_FALSE(PtcIsLocked());

    ASSERT_EQ(PtcLockParticlesType(e, 1), PTC_SUCCESS);
    EXPECT_FALSE(PtcIsIntensive());
    EXPECT_EQ(PtcGetTextureCount(), 0);
    EXPECT_EQ(PtcGetTextureID(), 0);
    PtcUnlockParticlesType();
    ASSERT_EQ(PtcLockParticlesType(e, 0), PTC_SUCCESS);
    EXPECT_EQ(PtcGetTextureID(), 7);
    // Unloading the locked emitter unlocks it.
    const PtcEmitter copy = PtcDuplicateEmitter(e);
    EXPECT_EQ(PtcUnloadEmitter(e), PTC_SUCCESS);
    EXPECT_FALSE(PtcIsLocked());
    ASSERT_EQ(PtcLockParticlesType(copy, 0), PTC_SUCCESS);
    EXPECT_EQ(PtcGetTextureID(), 0);          // a duplicate keeps its own
    EXPECT_EQ(PtcGetNextParticle(), nullptr); // at its start: no particles
    PtcUnlockParticlesType();
    PtcUnloadEmitter(copy);
}

TEST_F(EmitterLibrary, DamagedFileIsRefusedWithItsPlaceInTheLog)
{
    folder.PtcFile("bad.ptc", Ptc("emitter E\n particles p\n  rate = lots\n end\nend\n"));
    PtcFile file = 99;
    EXPECT_EQ(PtcOpenFile("res\\bad.ptc", &file), PTC_ERROR);
    EXPECT_EQ(file, 0u);
    EXPECT_TRUE(log.Contains("Particle file res\\bad.ptc refused at line 4, column 10: \"lots\" is not a number"))
        << log.All();
    EXPECT_EQ(PtcOpenFile("res\\none.ptc", &file), PTC_ERROR);
    EXPECT_TRUE(log.Contains("Particle file res\\none.ptc cannot be opened"));
}

} // namespace PtcLibraryTest
} // namespace Quib
