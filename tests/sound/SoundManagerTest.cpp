#include "framework/sound/DSoundInstance.h"
#include "framework/sound/FmodInstance.h"
#include "platform/headless/FakeClock.h"
#include "tests/sound/SoundFixtures.h"

#include <cmath>
#include <cstdlib>

namespace Quib::Testing {
namespace {

// A constant mono 44.1 kHz sound of `frames` frames.
std::string ConstantWav(int16_t value, size_t frames)
{
    return MakeWav16(std::vector<int16_t>(frames, value));
}

class SoundManagerTest : public SoundTest {
protected:
    void SetUp() override
    {
        AddFiles({{"sfx\\long.wav", ConstantWav(8000, 44100), {}},
            {"sfx\\short.wav", ConstantWav(8000, 100), {}},
            {"sfx\\slow.wav", MakeWav16(std::vector<int16_t>(100, 1), 1, 22050), {}}});
    }

    DSoundInstance* Instance(unsigned id) { return static_cast<DSoundInstance*>(manager.GetSoundInstance(id)); }
    long Users(unsigned id) { return manager.Buffer(id).use_count(); }
};

TEST_F(SoundManagerTest, PlaysAtTheLevelAndPanOfTheLaws)
{
    const int id = manager.FindOrLoadSound("sfx\\long");
    ASSERT_EQ(id, 255);
    manager.SetBasePan(id, -1000);
    manager.SetVolume(0.5);
    DSoundInstance* instance = Instance(id);
    ASSERT_NE(instance, nullptr);
    instance->SetPan(-2000);
    ASSERT_TRUE(instance->Play(false, false));
    EXPECT_TRUE(instance->IsPlaying());
    EXPECT_EQ(instance->Buffer()->Volume(), -605);
    EXPECT_EQ(instance->Buffer()->Pan(), -3000);

    // The same samples, volume and pan straight on the reference mixer.
    HeadlessAudioDevice reference;
    reference.UseReferenceMixer(true);
    auto expected = reference.CreateBuffer(SoundFormat{1, 16, 44100}, 2000);
    size_t locked = 0;
    auto* p = reinterpret_cast<int16_t*>(expected->Lock(0, 2000, &locked));
    std::fill(p, p + 1000, int16_t(8000));
    expected->Unlock();
    expected->SetVolume(-605);
    expected->SetPan(-3000);
    expected->Play(false);

    const std::vector<int16_t> got = device.Render(1000);
    const std::vector<int16_t> want = reference.Render(1000);
    for (size_t i = 0; i < want.size(); ++i)
        ASSERT_LE(std::abs(got[i] - want[i]), 1) << "sample " << i;
    EXPECT_GT(got[0], got[1]); // left louder
    EXPECT_GT(got[1], 0);
}

TEST_F(SoundManagerTest, LoopsStopsAndReleasesItselfWhenAsked)
{
    const int id = manager.FindOrLoadSound("sfx\\short");
    DSoundInstance* looping = Instance(id);
    ASSERT_TRUE(looping->Play(true, false));
    std::vector<int16_t> out = device.Render(1000);
    EXPECT_TRUE(looping->IsPlaying());
    EXPECT_NE(out[2 * 999], 0); // still sounding after ten rounds

    looping->Stop();
    EXPECT_FALSE(looping->IsPlaying());
    EXPECT_FALSE(looping->IsReleased());
    out = device.Render(100);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));

    DSoundInstance* once = Instance(id);
    ASSERT_TRUE(once->Play(false, true));
    EXPECT_FALSE(once->IsReleased());
    device.Render(150);
    EXPECT_FALSE(once->IsPlaying());
    EXPECT_TRUE(once->IsReleased());
    // Stop keeps the instance until Release; StopAllSounds leaves it to be reclaimed.
    ASSERT_TRUE(looping->Play(false, true));
    looping->Stop();
    EXPECT_FALSE(looping->IsReleased());
    ASSERT_TRUE(looping->Play(false, true));
    manager.StopAllSounds();
    EXPECT_TRUE(looping->IsReleased());
}

TEST_F(SoundManagerTest, ThirtyTwoChannelsThenNull)
{
    const int id = manager.FindOrLoadSound("sfx\\short");
    std::vector<DSoundInstance*> instances;
    for (int i = 0; i < DSoundManager::kMaxChannels; ++i) {
        instances.push_back(Instance(id));
        ASSERT_NE(instances.back(), nullptr);
        instances.back()->Play(true, true);
    }
    device.Render(500);
    EXPECT_EQ(manager.GetSoundInstance(id), nullptr);
    EXPECT_EQ(Users(id), 1 + 32);

    instances[7]->Release(); // its channel goes to the next instance
    instances[7] = Instance(id);
    EXPECT_NE(instances[7], nullptr);
    EXPECT_EQ(manager.GetSoundInstance(id), nullptr);

    // Sounds that played to their end with auto-release free their channels.
    manager.StopAllSounds();
    for (DSoundInstance* instance : instances)
        instance->Play(false, true);
    device.Render(500);
    EXPECT_NE(manager.GetSoundInstance(id), nullptr);
}

TEST_F(SoundManagerTest, PurgeRunsOncePerSecondOfTheClock)
{
    for (uint32_t start : {5000u, 0xFFFFFE00u}) {
        SCOPED_TRACE(start);
        manager.ReleaseChannels();
        ScopedFakeClock clock(start);
        const int id = manager.FindOrLoadSound("sfx\\short");
        DSoundInstance* live = Instance(id); // channel 0, the search purges now
        DSoundInstance* b = Instance(id);
        DSoundInstance* c = Instance(id);
        b->Play(false, true);
        c->Play(false, true);
        device.Render(200);
        ASSERT_TRUE(b->IsReleased());
        EXPECT_EQ(Users(id), 1 + 3); // finished, not yet deleted

        clock.Advance(500);
        DSoundInstance* d = Instance(id); // reclaims b's channel only
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(Users(id), 1 + 3);

        clock.Advance(500); // exactly 1000 ms: still no purge
        d->Release();
        DSoundInstance* e = Instance(id); // reclaims d's channel; c lives on
        EXPECT_EQ(Users(id), 1 + 3);

        clock.Advance(1);
        e->Release();
        Instance(id); // the purge deletes c and e
        EXPECT_EQ(Users(id), 1 + 2);
        (void)live;
    }
}

TEST_F(SoundManagerTest, VolumeLaw)
{
    const struct {
        double level;
        int attenuation;
    } cases[] = {{1.0, 0}, {0.5, -605}, {0.1, -1682}, {0.0433, -1999}, {0.0432, -2000}, {0.04308, -10000},
        {0.0, -10000}, {1.5, 376}, {-1.0, -10000}, {NAN, -10000}};
    for (const auto& c : cases)
        EXPECT_EQ(DSoundInstance::Attenuation(c.level), c.attenuation) << c.level;

    // The level is instance volume x the id's base volume x the manager's volume.
    const int id = manager.FindOrLoadSound("sfx\\long");
    manager.SetBaseVolume(id, 0.5);
    DSoundInstance* instance = Instance(id);
    EXPECT_EQ(instance->Buffer()->Volume(), -605);
    instance->SetVolume(0.2);
    EXPECT_EQ(instance->GetVolume(), 0.2);
    EXPECT_EQ(instance->Buffer()->Volume(), -1682);
    manager.SetVolume(0.0);
    EXPECT_EQ(instance->Buffer()->Volume(), -10000);
    manager.SetVolume(1.0);
    instance->SetBaseVolume(1.0);
    instance->SetVolume(1.0);
    EXPECT_EQ(instance->Buffer()->Volume(), 0);
}

TEST_F(SoundManagerTest, PitchStartsFromTheBaseFrequency)
{
    const struct {
        uint32_t base;
        double semitones;
        uint32_t hz;
    } cases[] = {{22050, 12, 44100}, {22050, -100, 100}, {44100, -100, 136}, {44100, 40, 100000}, {44100, 0, 44100},
        {44100, NAN, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(DSoundInstance::PitchedFrequency(c.base, c.semitones), c.hz) << c.base << " " << c.semitones;

    DSoundInstance* instance = Instance(manager.FindOrLoadSound("sfx\\slow"));
    instance->AdjustPitch(12);
    instance->AdjustPitch(12);
    EXPECT_EQ(instance->Buffer()->Frequency(), 44100u);
}

TEST_F(SoundManagerTest, IdsComeFromTheTopAndFreeIdsFromTheBottom)
{
    EXPECT_EQ(manager.FindOrLoadSound("sfx\\long"), 255);
    EXPECT_EQ(manager.FindOrLoadSound("sfx\\short"), 254);
    EXPECT_EQ(manager.FindOrLoadSound("sfx\\long"), 255);
    EXPECT_EQ(manager.GetFreeSoundId(), 0);
    EXPECT_TRUE(manager.LoadSound(0, "sfx\\slow"));
    EXPECT_EQ(manager.GetFreeSoundId(), 1);
    EXPECT_EQ(manager.GetNumSounds(), 3);

    manager.ReleaseSound(255); // forgets the name
    EXPECT_EQ(manager.FileName(255), "");
    EXPECT_EQ(manager.FindOrLoadSound("sfx\\short"), 254);
    EXPECT_EQ(manager.FindOrLoadSound("sfx\\slow"), 0);
    manager.ReleaseSounds(); // keeps the names
    EXPECT_EQ(manager.GetNumSounds(), 0);
    EXPECT_EQ(manager.FindOrLoadSound("sfx\\short"), 254);
    EXPECT_EQ(manager.GetSoundInstance(254), nullptr); // no buffer

    EXPECT_FALSE(manager.LoadSound(256, "sfx\\long"));
    EXPECT_EQ(manager.GetSoundInstance(256), nullptr);
    EXPECT_FALSE(manager.SetBaseVolume(256, 1.0));
    EXPECT_FALSE(manager.SetBasePan(256, 0));
    EXPECT_TRUE(manager.SetBasePan(255, 0));
}

TEST_F(SoundManagerTest, AFailedLoadLeavesTheIdFreeAndNameless)
{
    ASSERT_TRUE(manager.LoadSound(5, "sfx\\long"));
    EXPECT_FALSE(manager.LoadSound(5, "sfx\\missing"));
    EXPECT_EQ(manager.Buffer(5), nullptr);
    EXPECT_EQ(manager.FileName(5), "");
    EXPECT_EQ(manager.FindOrLoadSound("sfx\\missing"), -1);
    EXPECT_EQ(manager.FileName(255), "");
    EXPECT_EQ(manager.GetNumSounds(), 0);
    // The id is still free for the next sound, under its own name.
    EXPECT_EQ(manager.FindOrLoadSound("sfx\\short"), 255);
    EXPECT_EQ(manager.FileName(255), "sfx\\short");
    // A name kept by ReleaseSounds goes too when its id fails to load.
    manager.ReleaseSounds();
    EXPECT_EQ(manager.FileName(255), "sfx\\short");
    EXPECT_FALSE(manager.LoadSound(255, "sfx\\missing"));
    EXPECT_EQ(manager.FileName(255), "");
}

TEST_F(SoundManagerTest, WithoutDeviceOrWindowEverythingAnswersSilently)
{
    DSoundManager noDevice(nullptr, &device, false);
    DSoundManager noWindow(&device, nullptr, false);
    for (DSoundManager* m : {&noDevice, &noWindow}) {
        EXPECT_FALSE(m->IsInitialized());
        EXPECT_TRUE(m->LoadSound(0, "sfx\\long"));
        EXPECT_TRUE(m->LoadSound(255, "sfx\\missing"));
        EXPECT_EQ(m->GetNumSounds(), 0);
        EXPECT_EQ(m->FileName(0), "");
        SoundInstance* instance = m->GetSoundInstance(0);
        ASSERT_NE(instance, nullptr);
        instance->SetVolume(0.5);
        instance->SetPan(100);
        instance->AdjustPitch(3);
        EXPECT_FALSE(instance->Play(false, true));
        EXPECT_FALSE(instance->IsPlaying());
        EXPECT_TRUE(instance->IsReleased());
        EXPECT_EQ(m->GetSoundInstance(256), nullptr);
        m->SetMasterVolume(0.25);
        EXPECT_DOUBLE_EQ(m->GetMasterVolume(), 16383.0 / 65535.0);
    }
    EXPECT_EQ(device.MasterVolume(), 1.0);
}

TEST_F(SoundManagerTest, MasterVolumeIsKeptInSixteenBitSteps)
{
    manager.SetMasterVolume(0.5);
    EXPECT_DOUBLE_EQ(device.MasterVolume(), 32767.0 / 65535.0);
    EXPECT_EQ(manager.GetMasterVolume(), 32767.0 / 65535.0);
    manager.SetMasterVolume(1.0);
    EXPECT_EQ(manager.GetMasterVolume(), 1.0);
    manager.SetMasterVolume(-3.0);
    EXPECT_EQ(manager.GetMasterVolume(), 0.0);
}

class FailingDuplicates : public DSoundManager {
public:
    using DSoundManager::DSoundManager;
    std::shared_ptr<SoundBuffer> DuplicateBuffer(const SoundBuffer&) override { return nullptr; }
};

TEST_F(SoundManagerTest, AFailedDuplicateGivesASilentInstance)
{
    FailingDuplicates failing(&device, &device, false);
    ASSERT_TRUE(failing.LoadSound(1, "sfx\\long"));
    SoundInstance* instance = failing.GetSoundInstance(1);
    ASSERT_NE(instance, nullptr);
    EXPECT_FALSE(instance->Play(false, false));
    EXPECT_FALSE(instance->IsPlaying());
}

// The library's own exports, with the four the manager calls recorded.
LibraryExports RecordingFmodExports(std::vector<std::string>& calls)
{
    LibraryExports exports = DefaultFmodExports();
    AddExport<bool(void*)>(exports, "_FSOUND_SetHWND@4", [&calls](void* w) {
        calls.push_back(w ? "hwnd" : "hwnd null");
        return true;
    });
    AddExport<bool(int)>(exports, "_FSOUND_SetBufferSize@4", [&calls](int ms) {
        calls.push_back("buffer " + std::to_string(ms));
        return true;
    });
    AddExport<bool(int, int, uint32_t)>(exports, "_FSOUND_Init@12", [&calls](int rate, int channels, uint32_t flags) {
        calls.push_back("init " + std::to_string(rate) + " " + std::to_string(channels) + " " + std::to_string(flags));
        return true;
    });
    AddExport<void()>(exports, "_FSOUND_Close@0", [&calls] { calls.push_back("close"); });
    return exports;
}

TEST_F(SoundManagerTest, FmodModeBringsTheLibraryUpAndDown)
{
    const struct {
        bool device, window, fmod;
        std::vector<std::string> calls;
    } cases[] = {
        {true, true, true, {"hwnd", "buffer 200", "init 44100 64 2", "close"}},
        {true, true, false, {}},
        {false, true, true, {}},
        {true, false, true, {}},
    };
    std::vector<std::string> calls;
    SetFmodExports(RecordingFmodExports(calls));
    for (const auto& c : cases) {
        calls.clear();
        {
            DSoundManager m(c.device ? &device : nullptr, c.window ? &device : nullptr, c.fmod);
            EXPECT_EQ(CurrentFmodInstance() != nullptr, !c.calls.empty());
        }
        EXPECT_EQ(calls, c.calls) << c.device << c.window << c.fmod;
        EXPECT_EQ(CurrentFmodInstance(), nullptr) << "the manager gives back its reference";
    }
    SetFmodExports(std::nullopt);
}

} // namespace
} // namespace Quib::Testing
