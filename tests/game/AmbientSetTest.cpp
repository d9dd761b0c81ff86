#include "src/game/AmbientSet.h"

#include "framework/files/Random.h"
#include "framework/sound/DSoundManager.h"
#include "platform/headless/HeadlessAudio.h"
#include "src/game/Sounds.h"
#include "tests/game/ParticleTestSupport.h"
#include "tests/game/ShellTestSupport.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

constexpr float kStep = 0.01f;

// Ambient sets in a scratch folder, played through the sound table and a
// recording manager, at ambient volume 0.5 and [Game] AmbientMul 0.8.
class AmbientSetTest : public ::testing::Test {
protected:
    AmbientSetTest() : cwd(dir.Path())
    {
        host.soundManager = &manager;
        host.ambientVolume = 0.5;
        host.settings["Game:AmbientMul"] = "0.8";
        dir.WriteFile("res/sounds.ini", "[sounds]\r\nwind=wind\r\nbird=bird\r\nsea=sea\r\n");
        Sounds::Instance().LoadIni();
    }
    ~AmbientSetTest() override
    {
        DestroyAmbientSetCache();
        Sounds::Instance().UnloadAll();
    }

    AmbientSet* Set(const std::string& name, const std::string& text)
    {
        dir.WriteFile("data/ambient/" + name + ".ini", text);
        return LoadAmbientSet(name);
    }
    static void Steps(int n)
    {
        for (int i = 0; i < n; ++i)
            UpdateAmbientSounds(kStep);
    }
    RecordingInstance* Only() { return manager.instances.size() == 1 ? manager.instances.front().get() : nullptr; }

    TempDir dir;
    ScopedWorkingDirectory cwd;
    LogCapture log;
    RecordingSoundManager manager;
    FakeShellHost host;
};

TEST_F(AmbientSetTest, TheIniFileMakesOneSoundPerSection)
{
    AmbientSet* set = Set("coast", "[Wind]\r\nloop=1\r\nvolume=0.2/0.4, 1\r\nfade=2\r\n"
                                   "[bird]\r\ndelay=5\r\npause=3/6\r\npan=-1/1\r\nloop=yes\r\n");
    ASSERT_EQ(set->sounds.size(), 2u);
    const AmbientSound& wind = set->sounds[0];
    EXPECT_EQ(wind.soundName, "wind"); // lower-cased
    EXPECT_TRUE(wind.loop);
    EXPECT_EQ(wind.level, 0.0f);
    EXPECT_EQ(wind.volume, (AmbientRangeList{{0.2f, 0.4f}, {1.0f, 1.0f}}));
    EXPECT_EQ(wind.fade, (AmbientRangeList{{2.0f, 2.0f}}));
    EXPECT_TRUE(wind.delay.empty());
    const AmbientSound& bird = set->sounds[1];
    EXPECT_FALSE(bird.loop); // only "1" is a loop
    EXPECT_EQ(bird.level, 1.0f);
    EXPECT_EQ(bird.pause, (AmbientRangeList{{3.0f, 6.0f}}));
    EXPECT_FALSE(bird.active);

    EXPECT_TRUE(LoadAmbientSet("missing")->sounds.empty());
    EXPECT_EQ(AmbientSetCount(), 2u); // every call registers a new set
}

TEST_F(AmbientSetTest, ARandomValuePicksARangeThenAValueInIt)
{
    Quib::srand(3);
    const AmbientRangeList ranges{{0.2f, 0.4f}, {1.0f, 1.0f}};
    int low = 0, one = 0;
    for (int i = 0; i < 1000; ++i) {
        const float v = RandomAmbientValue(ranges);
        if (v == 1.0f) {
            ++one;
        } else {
            ++low;
            EXPECT_GE(v, 0.2f);
            EXPECT_LT(v, 0.4f);
        }
    }
    EXPECT_NEAR(low, 500, 80);
    EXPECT_NEAR(one, 500, 80);
    EXPECT_EQ(RandomAmbientValue({}), 0.0f);
}

TEST_F(AmbientSetTest, ALoopFadesInOverItsFadeTimeAndOutOnStop)
{
    AmbientSet* set = Set("a", "[wind]\r\nloop=1\r\nvolume=0.5\r\nfade=2\r\n");
    set->StartAll();
    RecordingInstance* loop = Only();
    ASSERT_NE(loop, nullptr);
    EXPECT_TRUE(loop->playing);
    EXPECT_TRUE(loop->looping);
    EXPECT_FALSE(loop->autoReleased);
    EXPECT_EQ(loop->volume, 0.0); // forced in at level 0

    const AmbientSound& wind = set->sounds[0];
    Steps(100);
    EXPECT_NEAR(wind.level, 0.5f, 1e-4);
    EXPECT_NEAR(loop->volume, 0.5 * 0.5 * 0.5 * 0.8, 1e-5);
    Steps(100); // 2 seconds
    EXPECT_NEAR(wind.level, 1.0f, 1e-4);
    EXPECT_NEAR(loop->volume, 0.5 * 0.5 * 0.8, 1e-5);
    Steps(1);
    EXPECT_FALSE(wind.fading);
    EXPECT_EQ(wind.level, 1.0f);

    set->ResetAll();
    Steps(100);
    EXPECT_NEAR(wind.level, 0.5f, 1e-4);
    EXPECT_TRUE(loop->playing);
    Steps(101);
    EXPECT_EQ(wind.level, 0.0f);
    EXPECT_TRUE(wind.finished);
    EXPECT_FALSE(loop->playing); // stopped, kept for the next start
    EXPECT_FALSE(loop->released);

    set->StartAll();
    EXPECT_EQ(manager.instances.size(), 1u);
    EXPECT_TRUE(loop->playing);
    EXPECT_EQ(loop->plays, 2);
    EXPECT_FALSE(wind.finished);
}

TEST_F(AmbientSetTest, OneShotsPlayAfterTheDelayThenEveryPause)
{
    AmbientSet* set = Set("a", "[bird]\r\ndelay=5\r\npause=3/6\r\nvolume=1\r\n");
    set->StartAll();
    std::vector<int> playSteps;
    for (int step = 1; step <= 3000; ++step) {
        const size_t before = manager.instances.size();
        UpdateAmbientSounds(kStep);
        if (manager.instances.size() > before) {
            playSteps.push_back(step);
            RecordingInstance* shot = manager.instances.back().get();
            EXPECT_FALSE(shot->looping);
            EXPECT_NEAR(shot->volume, 0.5 * 0.8, 1e-6);
            shot->playing = false; // the one-shot ends at once
        }
    }
    ASSERT_GE(playSteps.size(), 5u);
    EXPECT_NEAR(playSteps[0], 500, 1);
    for (size_t i = 1; i < playSteps.size(); ++i) {
        EXPECT_GE(playSteps[i] - playSteps[i - 1], 299);
        EXPECT_LE(playSteps[i] - playSteps[i - 1], 601);
    }
    // Ended one-shots are released and dropped.
    Steps(1);
    for (const auto& instance : manager.instances)
        EXPECT_TRUE(instance->released);
    EXPECT_TRUE(set->sounds[0].instances.empty());
}

TEST_F(AmbientSetTest, AFadeOfZeroOrLessCompletesInOneUpdate)
{
    for (const char* fade : {"0", "-2", ""}) {
        AmbientSet* set = Set("a", std::string("[sea]\r\nloop=1\r\nvolume=1\r\nfade=") + fade + "\r\n");
        set->StartAll();
        EXPECT_EQ(set->sounds[0].fadeSpeed, 1000.0f) << fade;
        Steps(1);
        EXPECT_EQ(set->sounds[0].level, 1.0f) << fade;
        EXPECT_FALSE(set->sounds[0].fading) << fade;
        set->ResetAll();
        Steps(1);
        EXPECT_TRUE(set->sounds[0].finished) << fade;
    }
}

TEST_F(AmbientSetTest, ReleasedSetsAreFreedOnceNothingOfThemPlays)
{
    // Never started: freed at the next update.
    AmbientSet* idle = Set("idle", "[wind]\r\nloop=1\r\nfade=1\r\n");
    ReleaseAmbientSet(idle);
    EXPECT_EQ(AmbientSetCount(), 1u);
    Steps(1);
    EXPECT_EQ(AmbientSetCount(), 0u);

    // Reset, then released: freed when the fade-out is over.
    AmbientSet* reset = Set("reset", "[wind]\r\nloop=1\r\nvolume=1\r\nfade=1\r\n");
    reset->StartAll();
    Steps(150);
    reset->ResetAll();
    ReleaseAmbientSet(reset);
    Steps(50);
    EXPECT_EQ(AmbientSetCount(), 1u);
    Steps(60);
    EXPECT_EQ(AmbientSetCount(), 0u);
    EXPECT_TRUE(manager.instances.back()->released);

    // Released while playing: it fades out on its own, then is freed.
    AmbientSet* playing = Set("playing", "[wind]\r\nloop=1\r\nvolume=1\r\nfade=1\r\n[bird]\r\nfade=1\r\n");
    playing->StartAll();
    RecordingInstance* loop = manager.instances.back().get();
    Steps(150);
    ReleaseAmbientSet(playing);
    Steps(50);
    EXPECT_TRUE(loop->playing);
    EXPECT_LT(loop->volume, 0.3);
    Steps(60);
    EXPECT_EQ(AmbientSetCount(), 0u);
    EXPECT_TRUE(loop->released);

    // Kept sets stay; the cache frees them at exit and lets go of their sounds.
    AmbientSet* kept = Set("kept", "[wind]\r\nloop=1\r\nvolume=1\r\n");
    kept->StartAll();
    Steps(500);
    EXPECT_EQ(AmbientSetCount(), 1u);
    DestroyAmbientSetCache();
    EXPECT_EQ(AmbientSetCount(), 0u);
    EXPECT_TRUE(manager.instances.back()->released);
    EXPECT_FALSE(manager.instances.back()->playing);
}

TEST_F(AmbientSetTest, TheAmbientVolumeIsReappliedWhenItChanges)
{
    AmbientSet* set = Set("a", "[wind]\r\nloop=1\r\nvolume=0.5\r\nfade=0\r\n");
    set->StartAll();
    Steps(2);
    RecordingInstance* loop = Only();
    ASSERT_NE(loop, nullptr);
    EXPECT_NEAR(loop->volume, 0.5 * 0.5 * 0.8, 1e-6);
    host.ambientVolume = 1.0;
    ApplyAmbientVolume();
    EXPECT_NEAR(loop->volume, 0.5 * 0.8, 1e-6);
}

TEST_F(AmbientSetTest, WithoutAmbientMulEverySoundIsSilentAndTheLogSaysSoOnce)
{
    host.settings.erase("Game:AmbientMul");
    AmbientSet* set = Set("a", "[wind]\r\nloop=1\r\nvolume=1\r\nfade=0\r\n[bird]\r\nvolume=1\r\nfade=0\r\n");
    set->StartAll();
    Steps(300);
    ASSERT_FALSE(manager.instances.empty());
    for (const auto& instance : manager.instances)
        EXPECT_EQ(instance->volume, 0.0);
    EXPECT_EQ(log.Count("Ambient sounds are silent: [Game] AmbientMul is 0"), 1);
}

// The generated harbour: a sea loop and gulls, through the real sound
// manager on the headless device.
TEST(AmbientDataTest, TheGeneratedHarbourSetSounds)
{
    ScopedPak pak;
    ScopedWorkingDirectory cwd(QUIB_GAME_DATA);
    HeadlessAudioDevice device;
    DSoundManager manager(&device, &device, false);
    FakeShellHost host;
    host.soundManager = &manager;
    host.settings["Game:AmbientMul"] = "0.8";
    Sounds::Instance().LoadIni();
    AmbientSet* harbour = LoadAmbientSet("harbour");
    ASSERT_EQ(harbour->sounds.size(), 2u);
    EXPECT_EQ(harbour->sounds[0].soundName, "waves");
    EXPECT_TRUE(harbour->sounds[0].loop);
    EXPECT_EQ(harbour->sounds[1].soundName, "gull");
    EXPECT_EQ(harbour->sounds[1].delay, (AmbientRangeList{{3.0f, 8.0f}}));
    harbour->PreloadAll();
    EXPECT_TRUE(Sounds::Instance().IsLoaded("gull"));
    harbour->StartAll();
    bool heard = false;
    for (int i = 0; i < 300 && !heard; ++i) {
        UpdateAmbientSounds(kStep);
        const std::vector<int16_t> out = device.Render(441);
        heard = std::any_of(out.begin(), out.end(), [](int16_t s) { return s != 0; });
    }
    EXPECT_TRUE(heard);
    ReleaseAmbientSet(harbour);
    for (int i = 0; i < 1000 && AmbientSetCount() > 0; ++i)
        UpdateAmbientSounds(kStep);
    EXPECT_EQ(AmbientSetCount(), 0u);
    DestroyAmbientSetCache();
    Sounds::Instance().UnloadAll();
}

} // namespace
} // namespace Quib::Testing
