#include "framework/sound/FModMusicInterface.h"
#include "framework/sound/MusicCache.h"
#include "platform/FileNames.h"
#include "platform/headless/CapturingSink.h"
#include "tests/sound/MusicTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Quib::Testing {
namespace {

std::string Bytes(const uint8_t* p, size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }

AudioBytes ToBytes(const std::string& s) { return std::make_shared<const std::vector<uint8_t>>(s.begin(), s.end()); }

TEST(MusicCacheTest, HeaderIsTheFortyFourBytesOfAPcmWave)
{
    struct Case {
        int channels, bits;
        uint32_t rate, dataSize;
        const char* hex;
    };
    const Case cases[] = {
        {2, 16, 44100, 17640,
            "52494646 0c450000 57415645 666d7420 10000000 0100 0200 44ac0000 10b10200 0400 1000 64617461 e8440000"},
        {1, 8, 22050, 101,
            "52494646 89000000 57415645 666d7420 10000000 0100 0100 22560000 22560000 0100 0800 64617461 65000000"},
    };
    for (const Case& c : cases) {
        const auto header = MusicCache::Header(c.channels, c.bits, c.rate, c.dataSize);
        std::string hex;
        for (uint8_t b : header) {
            char two[3];
            std::snprintf(two, sizeof two, "%02x", b);
            hex += two;
        }
        std::string want = c.hex;
        std::erase(want, ' ');
        EXPECT_EQ(hex, want);
    }
}

TEST(MusicCacheTest, ReadsBackOnlyWholeCacheFiles)
{
    const auto h = MusicCache::Header(2, 16, 44100, 8);
    const std::string good = Bytes(h.data(), h.size()) + std::string("abcdefgh", 8);
    const auto wav = MusicCache::Parse(ToBytes(good));
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->channels, 2);
    EXPECT_EQ(wav->bitsPerSample, 16);
    EXPECT_EQ(wav->sampleRate, 44100u);
    EXPECT_EQ(wav->dataOffset, 44u);
    EXPECT_EQ(wav->dataSize, 8u);

    auto patched = [&](size_t at, const std::string& with) {
        std::string s = good;
        s.replace(at, with.size(), with);
        return s;
    };
    const std::pair<const char*, std::string> bad[] = {
        {"truncated data", good.substr(0, 50)},
        {"header only", good.substr(0, 44)},
        {"not RIFF", patched(0, "RIFX")},
        {"compressed", patched(20, std::string("\x02\x00", 2))},
        {"three channels", patched(22, std::string("\x03\x00", 2))},
        {"24-bit", patched(34, std::string("\x18\x00", 2))},
        {"block align", patched(32, std::string("\x02\x00", 2))},
        {"rate zero", patched(24, std::string(4, '\0'))},
        {"riff size", patched(4, std::string("\x00\x01\x00\x00", 4))},
        {"half a frame", patched(40, std::string("\x06\x00\x00\x00", 4))},
        {"data past the end", patched(40, std::string("\xFF\xFF\xFF\x7F", 4))},
    };
    for (const auto& [what, bytes] : bad)
        EXPECT_FALSE(MusicCache::Parse(ToBytes(bytes))) << what;
    EXPECT_FALSE(MusicCache::Parse(nullptr));
}

TEST(MusicCacheTest, KeyIsTheNormalisedPathOfTheTrack)
{
    MusicFixture fx;
    const std::string folder = MusicCache::Folder();
    EXPECT_EQ(folder, fx.Dir() + "/");
    EXPECT_EQ(MusicCache::PathFor("data\\music\\track1"), folder + "cached\\DATA\\MUSIC\\TRACK1.wav");
    EXPECT_EQ(MusicCache::PathFor("data/music/./track1"), MusicCache::PathFor("DATA\\Music\\track1"));
    EXPECT_NE(MusicCache::PathFor("data\\music\\track1"), MusicCache::PathFor("data\\voices\\track1"));
    EXPECT_EQ(MusicCache::PathFor("..\\..\\..\\track1").find(".."), std::string::npos);
    EXPECT_EQ(MusicCache::PathFor(""), "");
    EXPECT_EQ(MusicCache::PathFor(std::string(400, 'x')), "");
}

TEST(MusicCacheTest, DecodesOnceThenLoadsTheCacheUntilItIsDeleted)
{
    MusicFixture fx;
    fx.Write("data/music/track1.ogg", MusicFixture::Tone(22050, 1, 300));
    fx.Write("data/voices/track1.ogg", MusicFixture::Tone(44100, 2, 200));
    FmodInstance* fmod = LoadFmodLibrary();
    fmod->FSOUND_Init(44100, 64, 2);
    {
        FModMusicInterface music;
        FmodSample* first = music.LoadCachedMusicSample("data\\music\\track1");
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(fx.opened, 1);
        const std::string path = MusicCache::PathFor("data\\music\\track1");
        const std::string file = TempDir::ReadFile(ToSlashes(path));
        ASSERT_EQ(file.size(), 44u + 600u);
        const auto header = MusicCache::Header(1, 16, 22050, 600);
        EXPECT_EQ(file.substr(0, 44), Bytes(header.data(), header.size()));
        int16_t s;
        std::memcpy(&s, file.data() + 44 + 2 * 7, 2);
        EXPECT_EQ(s, ToneDecoder::At(7, 0));

        // The same name in another folder is another track.
        FmodSample* other = music.LoadCachedMusicSample("data\\voices\\track1");
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(fx.opened, 2);
        EXPECT_EQ(fmod->FSOUND_Sample_GetLength(other), 200u);

        // The next run finds the cache and decodes nothing.
        FmodSample* again = music.LoadCachedMusicSample("data\\music\\track1");
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(fx.opened, 2);
        EXPECT_EQ(fmod->FSOUND_Sample_GetMode(again), fmod->FSOUND_Sample_GetMode(first));
        EXPECT_EQ(fmod->FSOUND_Sample_GetLength(again), 300u);
        int frequency = 0;
        fmod->FSOUND_Sample_GetDefaults(again, &frequency, nullptr, nullptr, nullptr);
        EXPECT_EQ(frequency, 22050);

        ASSERT_TRUE(RemoveFile(ToSlashes(path)));
        ASSERT_NE(music.LoadCachedMusicSample("data\\music\\track1"), nullptr);
        EXPECT_EQ(fx.opened, 3);
        EXPECT_TRUE(FileExists(ToSlashes(path)));
        for (FmodSample* sample : {first, other, again})
            fmod->FSOUND_Sample_Free(sample);
    }
    fmod->FSOUND_Close();
    ReleaseFmodLibrary();
}

TEST(MusicCacheTest, RealOggTrackIsCachedAsItsDecodedPcm)
{
    MusicFixture fx;
    SoundOutput::SetDecoderOpener({}); // the platform's decoders
    fx.Write("music/theme.ogg", TempDir::ReadFile(std::string(QUIB_TEST_DATA) + "/audio/stereo.ogg"));
    const std::string reference = TempDir::ReadFile(std::string(QUIB_TEST_DATA) + "/audio/stereo.ogg.pcm");
    FmodInstance* fmod = LoadFmodLibrary();
    fmod->FSOUND_Init(44100, 64, 2);
    {
        FModMusicInterface music;
        ASSERT_TRUE(music.LoadMusicSample(1, "music\\theme", true));
        const auto wav = MusicCache::Read(MusicCache::PathFor("music\\theme"));
        ASSERT_TRUE(wav);
        EXPECT_EQ(wav->channels, 2);
        EXPECT_EQ(wav->sampleRate, 22050u);
        ASSERT_EQ(wav->dataSize, reference.size());
        int worst = 0;
        for (size_t i = 0; i + 1 < reference.size(); i += 2) {
            int16_t got, want;
            std::memcpy(&got, wav->bytes->data() + wav->dataOffset + i, 2);
            std::memcpy(&want, reference.data() + i, 2);
            worst = std::max(worst, std::abs(got - want));
        }
        EXPECT_LE(worst, 1);
        music.PlayMusic(1, 0, false);
        EXPECT_TRUE(music.IsPlaying(1));
        EXPECT_FALSE(fx.Silent(2000));
    }
    fmod->FSOUND_Close();
    ReleaseFmodLibrary();
}

TEST(MusicCacheTest, FailedWriteIsReportedAndLeavesNoFile)
{
    MusicFixture fx;
    fx.Write("track.ogg", MusicFixture::Tone(44100, 2, 100));
    CapturingSink sink;
    FmodInstance* fmod = LoadFmodLibrary();
    fmod->FSOUND_Init(44100, 64, 2);
    const std::string path = ToSlashes(MusicCache::PathFor("track"));
    {
        // A locked region shorter than the data.
        auto realLock = fmod->FSOUND_Sample_Lock;
        fmod->FSOUND_Sample_Lock = [&](FmodSample* s, int offset, int length, void** a, void** b, uint32_t* la,
                                       uint32_t* lb) {
            const bool ok = realLock(s, offset, length, a, b, la, lb);
            *la /= 2;
            return ok;
        };
        FModMusicInterface music;
        EXPECT_TRUE(music.LoadMusicSample(1, "track", false)); // still plays, from the decoded track
        EXPECT_FALSE(FileExists(path));
        fmod->FSOUND_Sample_Lock = realLock;
    }
    {
        // The cache file's place is taken by a folder.
        ASSERT_TRUE(MakeDirectories(path));
        const auto header = MusicCache::Header(1, 8, 22050, 4);
        EXPECT_FALSE(MusicCache::Write(MusicCache::PathFor("track"), 1, 8, 22050, header.data(), 4));
        RemoveDirectory(path);
        EXPECT_FALSE(FileExists(path));
    }
    {
        // A stale, damaged cache file is replaced whole.
        fx.Write("stale.ogg", MusicFixture::Tone(44100, 2, 100));
        const std::string stale = ToSlashes(MusicCache::PathFor("stale"));
        MakeDirectories(stale.substr(0, stale.rfind('/')));
        fx.Write(stale.substr(fx.Dir().size() + 1), "RIFF....WAVEfmt half written");
        FModMusicInterface music;
        EXPECT_TRUE(music.LoadMusicSample(2, "stale", false));
        EXPECT_TRUE(MusicCache::Read(MusicCache::PathFor("stale")));
    }
    int reports = 0;
    for (const std::string& line : sink.debugLines)
        reports += line.find("Music cache: could not write") != std::string::npos;
    EXPECT_EQ(reports, 2);
    std::vector<std::string> left;
    for (const auto& entry : FindOnDisk(ToSlashes(MusicCache::Folder() + "cached\\*")))
        left.push_back(entry.name);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".", "..", "STALE.wav"}));
    fmod->FSOUND_Close();
    ReleaseFmodLibrary();
}

} // namespace
} // namespace Quib::Testing
