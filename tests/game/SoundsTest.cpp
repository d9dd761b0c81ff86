#include "src/game/Sounds.h"

#include "framework/files/IniData.h"
#include "framework/files/Random.h"
#include "framework/sound/DSoundInstance.h"
#include "framework/sound/DSoundManager.h"
#include "platform/headless/HeadlessAudio.h"
#include "tests/game/ParticleTestSupport.h"
#include "tests/game/ShellTestSupport.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

// A sound table in a scratch working directory, played through a
// recording manager.
class SoundsTest : public ::testing::Test {
protected:
    SoundsTest() : cwd(dir.Path())
    {
        host.soundManager = &manager;
        dir.WriteFile("res/sounds.ini", "[sounds]\r\n"
                                        "two = a , b\r\n"
                                        "one=a\r\n"
                                        "broken=a,gone\r\n"
                                        "empty=\r\n"
                                        "buttonPress=press\r\n"
                                        "buttonEnter=enter\r\n"
                                        "pause=bell\r\n"
                                        "KeyPick=pick\r\n"
                                        "KeyPlaceRight=right\r\n"
                                        "KeyPlace=place\r\n"
                                        "SpyMove=spy\r\n");
        manager.missing.insert("data\\sound\\gone");
        sounds.LoadIni();
    }

    TempDir dir;
    ScopedWorkingDirectory cwd;
    LogCapture log;
    RecordingSoundManager manager;
    FakeShellHost host;
    Sounds sounds;
};

TEST_F(SoundsTest, ANameOfTwoFilesPlaysEitherChosenAnewEachTime)
{
    Quib::srand(7);
    std::set<std::string> heard;
    for (int i = 0; i < 40; ++i) {
        SoundInstance* instance = sounds.Play("two", true, false, false, 0.5, -1.0);
        ASSERT_NE(instance, nullptr);
        heard.insert(manager.FileOf(instance));
    }
    EXPECT_EQ(heard, (std::set<std::string>{"data\\sound\\a", "data\\sound\\b"}));
    EXPECT_EQ(manager.loadsAsked, (std::vector<std::string>{"data\\sound\\a", "data\\sound\\b"})); // loaded once
    EXPECT_TRUE(log.Contains("Loaded sound: \"b\" (name=\"two\")"));
}

TEST_F(SoundsTest, PlaySetsPanVolumeLoopingAndRelease)
{
    struct Case {
        double volume, pan;
        bool loop, autoRelease;
        double wantVolume;
        int wantPan;
    };
    const Case cases[] = {
        {0.5, -1.0, true, false, 0.5, -10000},
        {-1.0, 0.25, false, true, 1.0, 2500},    // -1 keeps the sound's own volume
        {0.8, 0.99999, false, false, 0.8, 9999}, // truncated
    };
    for (const Case& c : cases) {
        auto* instance = static_cast<RecordingInstance*>(
            sounds.Play("one", c.autoRelease, c.loop, false, c.volume, c.pan));
        ASSERT_NE(instance, nullptr);
        EXPECT_EQ(instance->volume, c.wantVolume);
        EXPECT_EQ(instance->volumes.empty(), c.volume == -1.0);
        EXPECT_EQ(instance->pan, c.wantPan);
        EXPECT_EQ(instance->looping, c.loop);
        EXPECT_EQ(instance->autoReleased, c.autoRelease);
        EXPECT_TRUE(instance->playing);
    }
}

TEST_F(SoundsTest, VolumeZeroPlaysOnlyWhenForced)
{
    EXPECT_EQ(sounds.Play("one", true, false, false, 0.0, 0.0), nullptr);
    EXPECT_TRUE(manager.instances.empty());
    auto* forced = static_cast<RecordingInstance*>(sounds.Play("one", false, true, true, 0.0, 0.0));
    ASSERT_NE(forced, nullptr);
    EXPECT_TRUE(forced->playing);
    EXPECT_EQ(forced->volume, 0.0);
}

TEST_F(SoundsTest, FailuresAreLoggedAndSilent)
{
    // The second file is missing: the first play fails, later plays use the first file.
    EXPECT_EQ(sounds.Play("broken", true, false, false, 1.0, 0.0), nullptr);
    EXPECT_TRUE(log.Contains("Can't load sound \"gone\", declared in sounds.ini (name=\"broken\")"));
    for (int i = 0; i < 5; ++i) {
        SoundInstance* instance = sounds.Play("broken", true, false, false, 1.0, 0.0);
        ASSERT_NE(instance, nullptr);
        EXPECT_EQ(manager.FileOf(instance), "data\\sound\\a");
    }

    EXPECT_EQ(sounds.Play("nothing", true, false, false, 1.0, 0.0), nullptr);
    EXPECT_TRUE(log.Contains("Sound \"nothing\" not found in sounds.ini [\"sounds\"]"));
    EXPECT_EQ(sounds.Load("empty"), -1);
    EXPECT_TRUE(log.Contains("Empty sound list for \"empty\" in sounds.ini [\"sounds\"]"));

    manager.noChannels = true;
    EXPECT_EQ(sounds.Play("one", true, false, false, 1.0, 0.0), nullptr);
    EXPECT_TRUE(log.Contains("Sound not found: tag=\"one\""));
}

TEST_F(SoundsTest, PreloadLoadsOnceAndUnloadAllReleasesEveryId)
{
    sounds.Preload("two");
    sounds.Preload("two");
    sounds.Preload("one");
    EXPECT_EQ(manager.loadsAsked.size(), 3u);
    ASSERT_TRUE(sounds.IsLoaded("two"));
    // Released name by name, in name order.
    std::vector<int> ids = *sounds.LoadedIds("one");
    ids.insert(ids.end(), sounds.LoadedIds("two")->begin(), sounds.LoadedIds("two")->end());
    sounds.UnloadAll();
    EXPECT_EQ(manager.released, ids);
    EXPECT_FALSE(sounds.IsLoaded("two"));
    // The definitions stay: the name loads again.
    EXPECT_NE(sounds.Load("two"), -1);
}

TEST_F(SoundsTest, InterfaceSoundsAndEffectsPlayAtTheEffectVolumeCentred)
{
    Sounds::Instance().LoadIni();
    host.sfxVolume = 0.3;
    const std::pair<int, const char*> cases[] = {{0, "press"}, {1, "enter"}, {2, "bell"},  {3, "bell"},
                                                 {4, "press"}, {5, nullptr}, {6, nullptr}, {7, "pick"},
                                                 {8, "right"}, {9, "place"}, {10, "spy"},  {11, nullptr},
                                                 {-1, nullptr}};
    for (const auto& [type, file] : cases) {
        const size_t before = manager.instances.size();
        PlayUiSound(type);
        if (!file) {
            EXPECT_EQ(manager.instances.size(), before) << type;
            continue;
        }
        ASSERT_EQ(manager.instances.size(), before + 1) << type;
        const RecordingInstance& played = *manager.instances.back();
        EXPECT_EQ(manager.FileOf(&played), std::string("data\\sound\\") + file);
        EXPECT_EQ(played.volume, 0.3);
        EXPECT_EQ(played.pan, 0);
        EXPECT_TRUE(played.autoReleased);
        EXPECT_FALSE(played.looping);
    }
    Sounds::Instance().UnloadAll();
}

// Every name of the generated table through the real sound manager on the
// headless device, from loose files and from game.dat alike.
TEST(SoundsDataTest, EveryGeneratedSoundNameLoadsAndSounds)
{
    ScopedPak pak;
    ScopedWorkingDirectory cwd(QUIB_GAME_DATA);
    HeadlessAudioDevice device;
    DSoundManager manager(&device, &device, false);
    FakeShellHost host;
    host.soundManager = &manager;
    Sounds sounds;
    sounds.LoadIni();
    IniData ini;
    ini.LoadFile("res\\sounds.ini");
    std::vector<std::string> names;
    ini.GetKeyNames("sounds", names);
    ASSERT_GE(names.size(), 9u);
    for (const std::string& name : names) {
        auto* instance = static_cast<DSoundInstance*>(sounds.Play(name, false, false, false, 1.0, 0.0));
        ASSERT_NE(instance, nullptr) << name;
        EXPECT_TRUE(instance->IsPlaying()) << name;
        const std::vector<int16_t> out = device.Render(2000);
        EXPECT_TRUE(std::any_of(out.begin(), out.end(), [](int16_t s) { return s != 0; })) << name;
        instance->Stop();
        instance->Release();
    }
    sounds.UnloadAll();
    EXPECT_EQ(manager.GetNumSounds(), 0);
}

} // namespace
} // namespace Quib::Testing
