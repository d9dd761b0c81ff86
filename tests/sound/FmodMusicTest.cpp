#include "framework/sound/FModMusicInterface.h"
#include "framework/sound/MusicCache.h"
#include "platform/FileNames.h"
#include "platform/headless/CapturingSink.h"
#include "tests/sound/MusicTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

// The sound manager's share of the library: one reference and FSOUND_Init.
struct FmodStarted {
    FmodStarted()
    {
        fmod = LoadFmodLibrary();
        fmod->FSOUND_SetHWND(nullptr);
        fmod->FSOUND_SetBufferSize(200);
        fmod->FSOUND_Init(44100, 64, 2);
        log.Wrap(fmod->FSOUND_Sample_Load, "Sample_Load");
        log.Wrap(fmod->FSOUND_Sample_Alloc, "Sample_Alloc");
        log.Wrap(fmod->FSOUND_Sample_Free, "Sample_Free");
        log.Wrap(fmod->FSOUND_Sample_SetLoopPoints, "Sample_SetLoopPoints");
        log.Wrap(fmod->FSOUND_PlaySound, "PlaySound");
        log.Wrap(fmod->FSOUND_StopSound, "StopSound");
        log.Wrap(fmod->FSOUND_SetVolume, "SetVolume");
        log.Wrap(fmod->FSOUND_SetPaused, "SetPaused");
        log.Wrap(fmod->FSOUND_SetLoopMode, "SetLoopMode");
        log.Wrap(fmod->FMUSIC_LoadSong, "LoadSong");
        log.Wrap(fmod->FMUSIC_FreeSong, "FreeSong");
        log.Wrap(fmod->FMUSIC_PlaySong, "PlaySong");
        log.Wrap(fmod->FMUSIC_StopSong, "StopSong");
        log.Wrap(fmod->FMUSIC_SetLooping, "SetLooping");
        log.Wrap(fmod->FMUSIC_SetOrder, "SetOrder");
        log.Wrap(fmod->FMUSIC_SetPaused, "SetSongPaused");
        log.Wrap(fmod->FMUSIC_SetMasterVolume, "SetMasterVolume");
    }
    ~FmodStarted()
    {
        fmod->FSOUND_Close();
        ReleaseFmodLibrary();
    }
    FmodInstance* fmod;
    CallLog log;
};

TEST(FmodMusicTest, BindingIsOneSharedCountedRecord)
{
    FmodInstance* first = LoadFmodLibrary();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(LoadFmodLibrary(), first);
    EXPECT_EQ(first->held, (std::vector<std::string>{}));
    ReleaseFmodLibrary();
    EXPECT_EQ(CurrentFmodInstance(), first);
    ReleaseFmodLibrary();
    EXPECT_EQ(CurrentFmodInstance(), nullptr);

    CapturingSink sink;
    LibraryExports exports = DefaultFmodExports();
    exports.erase("_FSOUND_SetLoopMode@8");
    SetFmodExports(exports);
    {
        FModMusicInterface music;
        EXPECT_FALSE(music.LoadMusic(1, "x.xm"));
        EXPECT_FALSE(music.LoadMusicSample(1, "x", true));
        EXPECT_FALSE(music.IsPlaying(1));
    }
    SetFmodExports(std::nullopt);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "\"_FSOUND_SetLoopMode@8\" function not found in the sound library");
}

TEST(FmodMusicTest, ModuleSongPlaysFromTheOrderAsked)
{
    MusicFixture fx;
    fx.WriteTwoOrderModule("tune.xm");
    const std::vector<int16_t> first = MusicFixture::TwoOrderModuleFrom(0, 2000);
    const std::vector<int16_t> second = MusicFixture::TwoOrderModuleFrom(1, 2000);
    ASSERT_FALSE(first.empty() || second.empty());
    FmodStarted started;
    CapturingSink sink;
    FModMusicInterface music;
    ASSERT_TRUE(music.LoadMusic(1, "tune.xm"));
    struct Case {
        int offset;
        const std::vector<int16_t>& heard;
    };
    for (const Case& c : {Case{1, second}, Case{0, first}, Case{-1, first}, Case{2, first}}) {
        music.PlayMusic(1, c.offset, false);
        EXPECT_TRUE(music.IsPlaying(1)) << c.offset;
        EXPECT_EQ(fx.device->Render(2000), c.heard) << c.offset;
    }
    EXPECT_TRUE(started.fmod->FMUSIC_SetOrder(music.FindSong(1)->song, 1));
    EXPECT_FALSE(started.fmod->FMUSIC_SetOrder(music.FindSong(1)->song, 2));
    EXPECT_EQ(fx.device->Render(2000), second);
    EXPECT_TRUE(sink.debugLines.empty());
}

TEST(FmodMusicTest, ModuleSongPlaysFadesAndStops)
{
    MusicFixture fx;
    fx.Write("tune.xm", MusicFixture::Tone());
    FmodStarted started;
    FModMusicInterface music;
    ASSERT_TRUE(music.LoadMusic(1, "tune.xm"));
    EXPECT_FALSE(music.LoadMusic(2, "missing.xm"));
    started.log.Take();
    music.PlayMusic(1, 0, false);
    EXPECT_EQ(started.log.Take(),
        (std::vector<std::string>{"SetMasterVolume(ptr, 100)", "SetLooping(ptr, 2)", "PlaySong(ptr)", "SetOrder(ptr, 0)"}));
    EXPECT_TRUE(music.IsPlaying(1));
    EXPECT_LE(fx.LargestError(800, 1.0), 1);

    music.SetVolume(0.5);
    EXPECT_EQ(started.log.Take(), std::vector<std::string>{"SetMasterVolume(ptr, 50)"});
    EXPECT_LE(fx.LargestError(800, 0.5, 800), 1);
    music.SetVolume(1.0);

    music.FadeOut(1, true, 0.6);
    music.Update();
    EXPECT_TRUE(music.IsPlaying(1));
    started.log.Take();
    music.Update();
    EXPECT_EQ(started.log.Take(), (std::vector<std::string>{"StopSong(ptr)", "SetMasterVolume(ptr, 0)"}));
    EXPECT_FALSE(music.IsPlaying(1));
    EXPECT_TRUE(fx.Silent(256));

    music.FadeIn(1, -1, 0.25, true);
    EXPECT_EQ(started.log.Take(), (std::vector<std::string>{"SetMasterVolume(ptr, 0)", "SetLooping(ptr, 1)", "PlaySong(ptr)"}));
    for (int i = 0; i < 5; ++i)
        music.Update();
    EXPECT_EQ(music.FindSong(1)->volume, 1.0);
    started.log.Take();
    music.UnloadMusic(1);
    EXPECT_EQ(started.log.Take(), (std::vector<std::string>{"StopSong(ptr)", "FreeSong(ptr)"}));
    EXPECT_FALSE(music.IsPlaying(1));
}

TEST(FmodMusicTest, SampleSongPlaysOnTheChannelOfItsId)
{
    MusicFixture fx;
    fx.Write("music/track.ogg", MusicFixture::Tone(44100, 2, 4000));
    FmodStarted started;
    FModMusicInterface music;
    ASSERT_TRUE(music.LoadMusicSample(7, "music\\track", true));
    EXPECT_FALSE(music.LoadMusicSample(8, "music\\none", true));
    started.log.Take();
    music.PlayMusic(7, 0, true);
    EXPECT_EQ(started.log.Take(), (std::vector<std::string>{"PlaySound(7, ptr)", "SetLoopMode(7, 2)", "SetVolume(7, 100)"}));
    EXPECT_TRUE(music.IsPlaying(7));
    EXPECT_LE(fx.LargestError(1000, 1.0), 1);

    music.PauseMusic(7);
    EXPECT_TRUE(fx.Silent(100));
    music.ResumeMusic(7);
    EXPECT_LE(fx.LargestError(1000, 1.0, 1000), 1);
    EXPECT_EQ(started.log.Take(), (std::vector<std::string>{"SetPaused(7, true)", "SetPaused(7, false)"}));

    music.FadeOutAll(true, 0.5);
    music.Update();
    music.Update();
    music.Update();
    EXPECT_FALSE(music.IsPlaying(7));
    EXPECT_TRUE(fx.Silent(100));
}

TEST(FmodMusicTest, IntroAndLoopJoinIntoOneLoopingSample)
{
    MusicFixture fx;
    fx.Write("intro.ogg", MusicFixture::Tone(44100, 2, 1000));
    fx.Write("loop.ogg", MusicFixture::Tone(44100, 2, 5000));
    fx.Write("slow.ogg", MusicFixture::Tone(22050, 2, 5000));
    FmodStarted started;
    FModMusicInterface music;
    EXPECT_FALSE(music.LoadMusicWithLoop(1, "intro", "slow", true));
    started.log.Take();
    ASSERT_TRUE(music.LoadMusicWithLoop(2, "intro", "loop", true));
    const auto calls = started.log.Take();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[calls.size() - 4], "Sample_Alloc(-1, 6000, 83, 44100, 255, 128, 0)"); // 16-bit stereo, loop off | normal
    EXPECT_EQ(started.fmod->FSOUND_Sample_GetMode(music.FindSong(2)->sample) & kFmodLoopNormal, kFmodLoopNormal);
    EXPECT_EQ(calls[calls.size() - 3], "Sample_Free(ptr)");
    EXPECT_EQ(calls[calls.size() - 2], "Sample_Free(ptr)");
    EXPECT_EQ(calls.back(), "Sample_SetLoopPoints(ptr, 1000, 5999)");
    FmodSample* joined = music.FindSong(2)->sample;
    EXPECT_EQ(started.fmod->FSOUND_Sample_GetLength(joined), 6000u);

    // The intro plays once, then the loop part (tone frames 0..4999) goes round.
    music.PlayMusic(2, 0, false);
    const std::vector<int16_t> out = fx.device->Render(12000);
    const auto sampleAt = [](uint64_t frame) { return frame < 1000 ? ToneDecoder::At(frame, 0) : ToneDecoder::At((frame - 1000) % 5000, 0); };
    int worst = 0;
    for (uint64_t i = 0; i < 12000; ++i)
        worst = std::max(worst, std::abs(out[2 * i] - sampleAt(i < 6000 ? i : 1000 + (i - 6000))));
    EXPECT_LE(worst, 1);
    EXPECT_TRUE(music.IsPlaying(2));
}

TEST(FmodMusicTest, SongsAreFreedWithThePlayer)
{
    MusicFixture fx;
    fx.Write("a.ogg", MusicFixture::Tone(44100, 1, 100));
    fx.Write("b.xm", MusicFixture::Tone());
    FmodStarted started;
    {
        FModMusicInterface music;
        ASSERT_TRUE(music.LoadMusicSample(1, "a", false));
        ASSERT_TRUE(music.LoadMusic(2, "b.xm"));
        EXPECT_TRUE(music.LoadMusic(2, "b.xm")); // the id keeps its first song
        started.log.Take();
    }
    EXPECT_EQ(started.log.Take(),
        (std::vector<std::string>{"StopSound(1)", "StopSong(ptr)", "Sample_Free(ptr)", "FreeSong(ptr)"}));
}

} // namespace
} // namespace Quib::Testing
