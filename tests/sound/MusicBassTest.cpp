#include "framework/files/PakArchiveWriter.h"
#include "framework/sound/BassMusicInterface.h"
#include "platform/headless/CapturingSink.h"
#include "tests/sound/MusicTestSupport.h"
#include "tests/support/ScopedPak.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace Quib::Testing {
namespace {

// Records every call the player makes through the record, from its
// construction on.
struct RecordedBass {
    RecordedBass()
    {
        bass = LoadBassLibrary();
        log.Wrap(bass->BASS_Init, "Init");
        log.Wrap(bass->BASS_InitOld, "Init");
        log.Wrap(bass->BASS_Start, "Start");
        log.Wrap(bass->BASS_Stop, "Stop");
        log.Wrap(bass->BASS_Free, "Free");
        log.Wrap(bass->BASS_SetConfig, "SetConfig");
        if (bass->BASS_SetGlobalVolumes)
            log.Wrap(bass->BASS_SetGlobalVolumes, "SetGlobalVolumes");
        log.Wrap(bass->BASS_ChannelStop, "ChannelStop");
        log.Wrap(bass->BASS_ChannelPlay, "ChannelPlay");
        log.Wrap(bass->BASS_ChannelPause, "ChannelPause");
        log.Wrap(bass->BASS_ChannelSetAttributes, "SetAttributes");
        log.Wrap(bass->BASS_ChannelSetPosition, "SetPosition");
        log.Wrap(bass->BASS_ChannelSetFlags, "SetFlags");
        log.Wrap(bass->BASS_MusicLoad, "MusicLoad");
        log.Wrap(bass->BASS_MusicLoadOld, "MusicLoad");
        log.Wrap(bass->BASS_MusicFree, "MusicFree");
        log.Wrap(bass->BASS_StreamCreateFile, "StreamCreateFile");
        log.Wrap(bass->BASS_StreamFree, "StreamFree");
    }
    ~RecordedBass() { ReleaseBassLibrary(); }
    BassInstance* bass;
    CallLog log;
};

TEST(MusicInterfaceTest, SilentPlayerLoadsNothingAndPlaysNothing)
{
    MusicFixture fx;
    fx.Write("theme.ogg", MusicFixture::Tone());
    MusicInterface silent;
    EXPECT_FALSE(silent.LoadMusic(1, "theme.ogg"));
    silent.PlayMusic(1, 0, false);
    silent.Update();
    EXPECT_FALSE(silent.IsPlaying(1));
    EXPECT_TRUE(fx.Silent(512));
}

TEST(MusicBassTest, StreamPlaysAtItsVolumeAndFadesExactlyToTarget)
{
    MusicFixture fx;
    fx.Write("music/Theme.OGG", MusicFixture::Tone());
    BassMusicInterface music;
    ASSERT_TRUE(music.LoadMusic(1, "music\\Theme.OGG"));
    music.PlayMusic(1, 0, false);
    EXPECT_TRUE(music.IsPlaying(1));
    EXPECT_LE(fx.LargestError(1000, 1.0), 1);

    music.SetSongVolume(1, 0.0);
    music.FadeMusicTo(1, 0.5, 0.1);
    const double steps[] = {0.1, 0.2, 0.3, 0.4, 0.5};
    for (double want : steps) {
        music.Update();
        EXPECT_NEAR(music.FindSong(1)->volume, want, 1e-12);
    }
    EXPECT_EQ(music.FindSong(1)->volume, 0.5); // exactly on the target
    EXPECT_EQ(music.FindSong(1)->fadeDelta, 0.0);
    EXPECT_EQ(music.FindSong(1)->fadeTarget, -1.0);
    EXPECT_LE(fx.LargestError(2000, 0.5, 1000), 1);
    music.Update(); // the fade is over
    EXPECT_EQ(music.FindSong(1)->volume, 0.5);
}

TEST(MusicBassTest, RealFilesStreamThroughThePlatformDecoders)
{
    MusicFixture fx;
    SoundOutput::SetDecoderOpener({});
    for (const char* name : {"stereo.ogg", "stereo16.wav", "mono.mp3"}) {
        fx.Write(name, TempDir::ReadFile(std::string(QUIB_TEST_DATA) + "/audio/" + name));
        BassMusicInterface music;
        ASSERT_TRUE(music.LoadMusic(1, name)) << name;
        music.PlayMusic(1, 0, true);
        EXPECT_TRUE(music.IsPlaying(1));
        EXPECT_FALSE(fx.Silent(4000)) << name;
        fx.device->Render(4000); // 0.1 s at 22050 Hz is over by now
        EXPECT_FALSE(music.IsPlaying(1)) << name;
    }
}

TEST(MusicBassTest, ModulePlaysFromTheOrderAskedAndPlaysOnPastTheEnd)
{
    MusicFixture fx;
    fx.WriteTwoOrderModule("tune.mod");
    const std::vector<int16_t> second = MusicFixture::TwoOrderModuleFrom(1, 3000);
    ASSERT_FALSE(second.empty());
    CapturingSink sink;
    BassMusicInterface music;
    ASSERT_TRUE(music.LoadMusic(1, "tune.mod"));
    music.PlayMusic(1, 1, false);
    EXPECT_EQ(fx.device->Render(2000), std::vector<int16_t>(second.begin(), second.begin() + 4000));
    // Offset -1 asks for order 65535: the seek fails, the music plays on.
    music.PlayMusic(1, -1, false);
    EXPECT_TRUE(music.IsPlaying(1));
    EXPECT_EQ(fx.device->Render(1000), std::vector<int16_t>(second.begin() + 4000, second.end()));
    music.FadeIn(1, 1, 0.5, false);
    EXPECT_EQ(music.FindSong(1)->volume, 1.0); // not reset
    EXPECT_EQ(fx.device->Render(2000), std::vector<int16_t>(second.begin(), second.begin() + 4000));
    EXPECT_TRUE(sink.debugLines.empty());
}

TEST(MusicBassTest, FadeOutStopsWhenFadedOnlyWhenAsked)
{
    struct Case {
        bool stop;
        bool playingAfter;
    };
    for (const Case c : {Case{true, false}, Case{false, true}}) {
        MusicFixture fx;
        fx.Write("a.wav", MusicFixture::Tone());
        BassMusicInterface music;
        ASSERT_TRUE(music.LoadMusic(3, "a.wav"));
        music.PlayMusic(3, 0, false);
        music.FadeOut(3, c.stop, 0.4);
        music.Update();
        music.Update();
        EXPECT_TRUE(music.IsPlaying(3)); // 0.2
        music.Update();
        EXPECT_EQ(music.FindSong(3)->volume, 0.0);
        EXPECT_EQ(music.IsPlaying(3), c.playingAfter) << c.stop;
        EXPECT_TRUE(fx.Silent(256));
    }
}

TEST(MusicBassTest, ActivityThroughPauseResumeAndStop)
{
    MusicFixture fx;
    fx.Write("a.ogg", MusicFixture::Tone());
    fx.Write("b.ogg", MusicFixture::Tone());
    RecordedBass rec;
    BassMusicInterface music;
    ASSERT_TRUE(music.LoadMusic(1, "a.ogg"));
    ASSERT_TRUE(music.LoadMusic(2, "b.ogg"));
    const BassHandle a = music.FindSong(1)->stream, b = music.FindSong(2)->stream;
    music.PlayMusic(1, 0, false);
    EXPECT_EQ(rec.bass->BASS_ChannelIsActive(a), kBassPlaying);
    EXPECT_EQ(rec.bass->BASS_ChannelIsActive(b), kBassStopped);
    rec.log.Take();
    music.PauseAllMusic();
    EXPECT_EQ(rec.log.Take(), std::vector<std::string>{"ChannelPause(" + std::to_string(a) + ")"});
    EXPECT_EQ(rec.bass->BASS_ChannelIsActive(a), kBassPaused);
    EXPECT_FALSE(music.IsPlaying(1));
    EXPECT_TRUE(fx.Silent(256));
    music.ResumeAllMusic();
    EXPECT_EQ(rec.log.Take(), std::vector<std::string>{"ChannelPlay(" + std::to_string(a) + ", false)"});
    EXPECT_TRUE(music.IsPlaying(1));
    music.StopMusic(1);
    EXPECT_EQ(rec.bass->BASS_ChannelIsActive(a), kBassStopped);
    EXPECT_EQ(music.FindSong(1)->volume, 0.0);
}

TEST(MusicBassTest, ConstructionVolumesAndPlayCallsOfTheNewerInterface)
{
    MusicFixture fx;
    fx.Write("theme.ogg", MusicFixture::Tone());
    fx.Write("tune.xm", MusicFixture::Tone());
    RecordedBass rec;
    {
        BassMusicInterface music;
        EXPECT_EQ(rec.log.Take(),
            (std::vector<std::string>{"Init(1, 44100, 0, null, null)", "SetConfig(0, 2000)", "Start()"}));
        music.SetVolume(1.0);
        EXPECT_EQ(rec.log.Take(), (std::vector<std::string>{"SetConfig(6, 100)", "SetConfig(5, 100)"}));

        ASSERT_TRUE(music.LoadMusic(1, "theme.ogg"));
        ASSERT_TRUE(music.LoadMusic(2, "tune.xm"));
        const auto loads = rec.log.Take();
        ASSERT_EQ(loads.size(), 2u);
        EXPECT_EQ(loads[0], "StreamCreateFile(false, ptr, 0, 0, 0)");
        EXPECT_EQ(loads[1], "MusicLoad(true, ptr, 0, " + std::to_string(MusicFixture::Tone().size()) + ", 516, 0)");

        const std::string s = std::to_string(music.FindSong(1)->stream), m = std::to_string(music.FindSong(2)->music);
        struct Case {
            int id, offset;
            bool noLoop;
            std::vector<std::string> calls;
        };
        const Case cases[] = {
            {1, 0, false, {"SetAttributes(" + s + ", -1, 100, -101)", "ChannelStop(" + s + ")", "SetFlags(" + s + ", 4)",
                              "ChannelPlay(" + s + ", true)"}},
            {1, -1, true, {"SetAttributes(" + s + ", -1, 100, -101)", "ChannelStop(" + s + ")", "SetFlags(" + s + ", 0)",
                              "ChannelPlay(" + s + ", false)"}},
            {1, 5000, false, {"SetAttributes(" + s + ", -1, 100, -101)", "ChannelStop(" + s + ")",
                                 "SetFlags(" + s + ", 4)", "ChannelPlay(" + s + ", true)", "SetPosition(" + s + ", 5000)"}},
            {2, 0, false, {"SetAttributes(" + m + ", -1, 100, -101)", "ChannelStop(" + m + ")", "ChannelStop(" + m + ")",
                              "SetPosition(" + m + ", 18446744071562067968)", "SetFlags(" + m + ", 33284)",
                              "ChannelPlay(" + m + ", false)"}},
        };
        for (const Case& c : cases) {
            music.PlayMusic(c.id, c.offset, c.noLoop);
            EXPECT_EQ(rec.log.Take(), c.calls) << c.id << " " << c.offset;
        }
        // Byte 5000 of 16-bit stereo is frame 1250.
        music.PlayMusic(1, 5000, false);
        fx.device->Render(10);
        EXPECT_EQ(music.IsPlaying(1), true);
        rec.log.Take();
    }
    EXPECT_EQ(rec.log.Take(), (std::vector<std::string>{"Stop()", "Free()"}));
}

TEST(MusicBassTest, FadeInStartsTheChannelAndStopsAtTheMaximum)
{
    MusicFixture fx;
    fx.Write("tune.xm", MusicFixture::Tone());
    fx.Write("a.ogg", MusicFixture::Tone());
    RecordedBass rec;
    BassMusicInterface music;
    ASSERT_TRUE(music.LoadMusic(1, "tune.xm"));
    ASSERT_TRUE(music.LoadMusic(2, "a.ogg"));
    const std::string m = std::to_string(music.FindSong(1)->music);
    rec.log.Take();
    music.FadeIn(1, -1, 0.3, false);
    EXPECT_EQ(rec.log.Take(), (std::vector<std::string>{"ChannelStop(" + m + ")", "SetAttributes(" + m + ", -1, 0, -101)",
                                  "ChannelPlay(" + m + ", true)"}));
    music.FadeIn(1, 3, 0.3, true);
    EXPECT_EQ(rec.log.Take(), (std::vector<std::string>{"ChannelStop(" + m + ")", "SetAttributes(" + m + ", -1, 0, -101)",
                                  "ChannelStop(" + m + ")", "SetPosition(" + m + ", 18446744071562067971)",
                                  "SetFlags(" + m + ", 512)", "ChannelPlay(" + m + ", false)"}));

    music.SetSongMaxVolume(2, 0.8);
    music.FadeIn(2, 0, 0.3, false);
    const double steps[] = {0.3, 0.6, 0.8, 0.8};
    for (double want : steps) {
        music.Update();
        EXPECT_NEAR(music.FindSong(2)->volume, want, 1e-12);
    }
    EXPECT_EQ(music.FindSong(2)->fadeDelta, 0.0);
    EXPECT_TRUE(music.IsPlaying(2));
}

TEST(MusicBassTest, OlderInterfaceUsesItsArgumentListsAndGlobalVolumes)
{
    MusicFixture fx;
    fx.Write("tune.mod", MusicFixture::Tone());
    LibraryExports exports = DefaultBassExports();
    exports.erase("BASS_SetConfig");
    exports["BASS_Init"] = std::function<bool(int, uint32_t, uint32_t, void*)>(
        [](int, uint32_t, uint32_t, void*) { return true; });
    auto load = [](bool, const void*, uint32_t, uint32_t, uint32_t) { return BassHandle(7); };
    exports["BASS_MusicLoad"] = std::function<BassHandle(bool, const void*, uint32_t, uint32_t, uint32_t)>(load);
    SetBassExports(exports);
    {
        RecordedBass rec;
        EXPECT_FALSE(rec.bass->newer);
        BassMusicInterface music;
        EXPECT_EQ(rec.log.Take(), (std::vector<std::string>{"Init(-1, 44100, 0, null)", "Start()"}));
        music.SetVolume(1.0);
        music.SetVolume(0.5);
        EXPECT_EQ(rec.log.Take(), (std::vector<std::string>{"SetGlobalVolumes(40, 40, 40)", "SetGlobalVolumes(20, 20, 20)"}));
        ASSERT_TRUE(music.LoadMusic(1, "tune.mod"));
        EXPECT_EQ(rec.log.Take(), std::vector<std::string>{"MusicLoad(true, ptr, 0, " +
                                      std::to_string(MusicFixture::Tone().size()) + ", 4)"});
        music.PlayMusic(1, 2, false);
        const auto calls = rec.log.Take();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls[4], "SetFlags(7, 4)"); // no extra module flags
    }
    SetBassExports(std::nullopt);
}

TEST(MusicBassTest, ReloadingAnIdKeepsTheFirstSongAndFreesTheNewHandle)
{
    MusicFixture fx;
    fx.Write("a.ogg", MusicFixture::Tone());
    fx.Write("b.xm", MusicFixture::Tone());
    RecordedBass rec;
    BassMusicInterface music;
    ASSERT_TRUE(music.LoadMusic(1, "a.ogg"));
    const BassHandle first = music.FindSong(1)->stream;
    rec.log.Take();
    EXPECT_TRUE(music.LoadMusic(1, "b.xm"));
    const auto calls = rec.log.Take();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1], "MusicFree(" + std::to_string(first + 1) + ")");
    EXPECT_EQ(music.FindSong(1)->stream, first);
    EXPECT_EQ(rec.bass->BASS_ChannelIsActive(first + 1), kBassStopped);
    EXPECT_FALSE(rec.bass->BASS_MusicFree(first + 1)); // gone
}

TEST(MusicBassTest, PakMembersStreamFromMemoryAndUnloadFreesThem)
{
    MusicFixture fx;
    ScopedPak pak;
    const std::string archive = fx.Write("main.pak", BuildPakArchive({{"music\\intro.ogg", MusicFixture::Tone(), {}}}));
    ASSERT_TRUE(pak->AddPakFile(archive));
    RecordedBass rec;
    BassMusicInterface music;
    rec.log.Take();
    ASSERT_TRUE(music.LoadMusic(4, "music\\intro.ogg"));
    EXPECT_EQ(rec.log.Take(), std::vector<std::string>{"StreamCreateFile(true, ptr, 0, " +
                                  std::to_string(MusicFixture::Tone().size()) + ", 0)"});
    music.PlayMusic(4, 0, false);
    EXPECT_LE(fx.LargestError(500, 1.0), 1);
    const std::string h = std::to_string(music.FindSong(4)->stream);
    rec.log.Take();
    music.UnloadMusic(4);
    EXPECT_EQ(rec.log.Take(), (std::vector<std::string>{"ChannelStop(" + h + ")", "StreamFree(" + h + ")"}));
    EXPECT_EQ(music.FindSong(4), nullptr);
    EXPECT_FALSE(music.LoadMusic(5, "music\\missing.ogg"));
}

// The Ogg pages of a stream: where each begins.
std::vector<size_t> OggPageStarts(const std::string& bytes)
{
    std::vector<size_t> starts;
    for (size_t at = 0; at + 27 <= bytes.size();) {
        starts.push_back(at);
        const size_t segments = uint8_t(bytes[at + 26]);
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i)
            body += uint8_t(bytes[at + 27 + i]);
        at += 27 + segments + body;
    }
    return starts;
}

// The check reads the page structure only: what the decoder makes of the
// rest is its own affair (a track cut short plays as far as it decodes).
TEST(MusicBassTest, OggTrackCutShortIsToldByName)
{
    std::ifstream in(std::string(QUIB_TEST_DATA) + "/sound/tone-stereo.ogg", std::ios::binary);
    const std::string whole{std::istreambuf_iterator<char>(in), {}};
    const std::vector<size_t> pages = OggPageStarts(whole);
    ASSERT_EQ(pages.size(), 3u);
    struct Case {
        const char* what;
        std::string bytes;
        const char* told; // empty: nothing
    } cases[] = {
        {"whole", whole, ""},
        {"cut inside the last page", whole.substr(0, whole.size() - 100), "the last page is cut short (at byte 3710)"},
        {"cut after a page", whole.substr(0, pages.back()), "the stream ends without its end-of-stream page"},
        {"cut inside the last page's header", whole.substr(0, pages.back() + 10),
         "the last page is cut short (at byte 3710)"},
        {"cut inside a segment table", whole.substr(0, pages[1] + 30), "the last page is cut short (at byte 58)"},
        {"not an Ogg stream", std::string(2000, 'x'), ""},
        {"pages end, then no page", whole + std::string(100, 'x'), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MusicFixture fx;
        SoundOutput::SetDecoderOpener({}); // the real decoders
        fx.Write("music/track.ogg", c.bytes);
        CapturingSink sink;
        BassMusicInterface music;
        const bool loaded = music.LoadMusic(1, "music\\track.ogg");
        if (c.bytes == whole) {
            EXPECT_TRUE(loaded);
        }
        std::string said;
        for (const std::string& line : sink.debugLines)
            if (line.rfind("Music ", 0) == 0)
                said += line;
        const std::string expected =
            *c.told ? std::string("Music music\\track.ogg: ") + c.told + "; it plays as far as it goes\n" : "";
        EXPECT_EQ(said, expected);
    }
}

TEST(MusicBassTest, SongVolumesAreAppliedInHundredths)
{
    MusicFixture fx;
    fx.Write("a.ogg", MusicFixture::Tone());
    RecordedBass rec;
    BassMusicInterface music;
    ASSERT_TRUE(music.LoadMusic(1, "a.ogg"));
    music.PlayMusic(1, 0, false);
    const std::string h = std::to_string(music.FindSong(1)->stream);
    struct Case {
        double start, max, volume;
        int level;
    };
    for (const Case c : {Case{0.8, 0.3, 0.3, 30}, Case{0.1, 0.3, 0.1, 10}, Case{1.0, 1.0, 1.0, 100}}) {
        music.SetSongVolume(1, c.start);
        rec.log.Take();
        music.SetSongMaxVolume(1, c.max);
        EXPECT_EQ(music.FindSong(1)->volume, c.volume);
        EXPECT_EQ(rec.log.Take(),
            std::vector<std::string>{"SetAttributes(" + h + ", -1, " + std::to_string(c.level) + ", -101)"});
    }
    music.SetSongVolume(1, 0.25);
    fx.device->Render(64);
    EXPECT_LE(fx.LargestError(1000, 0.25, 64), 1);
}

TEST(MusicBassTest, MissingEntryPointLeavesThePlayerSilent)
{
    MusicFixture fx;
    fx.Write("a.ogg", MusicFixture::Tone());
    CapturingSink sink;
    LibraryExports exports = DefaultBassExports();
    exports.erase("BASS_ChannelPlay");
    SetBassExports(exports);
    {
        BassMusicInterface music;
        EXPECT_FALSE(music.LoadMusic(1, "a.ogg"));
        music.PlayMusic(1, 0, false);
        music.SetVolume(1.0);
    }
    SetBassExports(std::nullopt);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "BASS_ChannelPlay function not found in the music library");
    EXPECT_EQ(CurrentBassInstance(), nullptr);
}

} // namespace
} // namespace Quib::Testing
