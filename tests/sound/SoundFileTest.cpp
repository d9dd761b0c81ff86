#include "framework/sound/SoundFileReaders.h"
#include "platform/AudioDevice.h"
#include "tests/sound/SoundFixtures.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <tremor/ivorbisfile.h>

namespace Quib::Testing {
namespace {

std::string ReadData(const std::string& name)
{
    std::ifstream in(std::string(QUIB_TEST_DATA) + "/sound/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class SoundFileTest : public SoundTest {
protected:
    // Loads the one file "s<ext>" as id 3; the buffer, or null.
    SoundBuffer* Load(const std::string& extension, const std::string& bytes, bool fmod = false)
    {
        AddFiles({{"s" + extension, bytes, {}}});
        DSoundManager& m = fmod ? fmodManager : manager;
        loaded = m.LoadSound(3, "s");
        EXPECT_EQ(loaded, m.Buffer(3) != nullptr);
        return m.Buffer(3).get();
    }
    void ExpectFormat(SoundBuffer* buffer, int channels, int bits, uint32_t rate)
    {
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(buffer->Format().channels, channels);
        EXPECT_EQ(buffer->Format().bitsPerSample, bits);
        EXPECT_EQ(buffer->Format().sampleRate, rate);
    }

    DSoundManager fmodManager{&device, &device, true};
    bool loaded = false;
};

TEST_F(SoundFileTest, WavChunks)
{
    const std::string pcm = Pcm16({100, -200, 300, -400});
    const std::string fmt = FmtPayload(2, 32000, 16);
    std::string xored = pcm;
    for (char& c : xored)
        c ^= 0x5A;
    const struct {
        const char* name;
        std::vector<WavChunk> chunks;
        bool ok;
        int channels;
        uint32_t rate;
    } cases[] = {
        {"fmt LIST data", {{"fmt ", fmt}, {"LIST", "abc"}, {"data", pcm}}, true, 2, 32000},
        {"odd chunk before fmt", {{"junk", "x"}, {"fmt ", fmt}, {"data", pcm}}, true, 2, 32000},
        {"long fmt", {{"fmt ", fmt + "extra"}, {"data", pcm}}, true, 2, 32000},
        {"no fmt: 22050 mono", {{"data", pcm}}, true, 1, 22050},
        {"float", {{"fmt ", FmtPayload(2, 32000, 16, 3)}, {"data", pcm}}, false, 0, 0},
        {"24 bits", {{"fmt ", FmtPayload(1, 32000, 24)}, {"data", pcm}}, false, 0, 0},
        {"no data", {{"fmt ", fmt}}, false, 0, 0},
        {"data beyond the end", {{"fmt ", fmt}, {"data", pcm, 1000}}, false, 0, 0},
        {"xor", {{"xor ", "\x5A"}, {"data", xored}}, true, 1, 22050},
        {"later xor wins", {{"xor ", "\x11"}, {"xor ", "\x5A"}, {"data", xored}}, true, 1, 22050},
        {"xor 0", {{"xor ", std::string(1, '\0')}, {"data", pcm}}, true, 1, 22050},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SoundBuffer* buffer = Load(".wav", MakeWav(c.chunks));
        EXPECT_EQ(loaded, c.ok);
        if (c.ok) {
            ExpectFormat(buffer, c.channels, 16, c.rate);
            EXPECT_EQ(BufferBytes(*buffer), pcm);
        }
    }
    // Not RIFF/WAVE at all, or cut short.
    const std::string good = MakeWav({{"fmt ", fmt}, {"data", pcm}});
    for (size_t cut : {size_t(0), size_t(3), size_t(11), size_t(20), good.size() - 1}) {
        Load(".wav", good.substr(0, cut));
        EXPECT_FALSE(loaded) << cut;
    }
    std::string wrongMagic = good;
    wrongMagic[8] = 'w';
    Load(".wav", wrongMagic);
    EXPECT_FALSE(loaded);
}

TEST_F(SoundFileTest, WavDependencyOnAFileTime)
{
    const std::string source = dir.WriteFile("source.txt", "x");
    FileTime time;
    ASSERT_TRUE(GetFileLastWriteTime(source, time));
    struct stat st;
    ASSERT_EQ(stat(source.c_str(), &st), 0);
    const uint64_t ticks = (uint64_t(st.st_mtim.tv_sec) + 11644473600ull) * 10000000 + st.st_mtim.tv_nsec / 100;
    EXPECT_EQ(time.dwLowDateTime, uint32_t(ticks));
    EXPECT_EQ(time.dwHighDateTime, uint32_t(ticks >> 32));
    FileTime missing{1, 1};
    EXPECT_FALSE(GetFileLastWriteTime(dir / "none.txt", missing));
    EXPECT_EQ(missing.dwLowDateTime | missing.dwHighDateTime, 0u);

    const auto dep = [](const std::string& path, uint32_t low, uint32_t high) {
        return Le16(uint32_t(path.size())) + path + Le32(low) + Le32(high);
    };
    const std::string pcm = Pcm16({1, 2});
    const std::string longPath(255, 'p');
    const struct {
        const char* name;
        std::string payload;
        bool ok;
    } cases[] = {
        {"unchanged source", dep(source, time.dwLowDateTime, time.dwHighDateTime), true},
        {"changed source", dep(source, time.dwLowDateTime + 1, time.dwHighDateTime), false},
        {"missing source, time 0", dep(dir / "none.txt", 0, 0), true},
        {"missing source, a time", dep(dir / "none.txt", 5, 0), false},
        // A length above 255 reads 255 bytes of path; the time follows them.
        {"long length", Le16(300) + longPath + Le32(0) + Le32(0) + std::string(37, 'q'), true},
        {"long length, a time", Le16(300) + longPath + Le32(0) + Le32(7) + std::string(37, 'q'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Load(".wav", MakeWav({{"dep ", c.payload}, {"data", pcm}}));
        EXPECT_EQ(loaded, c.ok);
    }
}

TEST_F(SoundFileTest, WavFallsThroughToTheOtherKinds)
{
    AddFiles({{"s.wav", MakeWav({{"fmt ", FmtPayload(1, 8000, 16, 3)}, {"data", Pcm16({1})}}), {}},
        {"s.au", MakeAu(2, 8000, 1, "\x01\x02"), {}}});
    ASSERT_TRUE(manager.LoadSound(3, "s"));
    ExpectFormat(manager.Buffer(3).get(), 1, 8, 8000);
}

TEST_F(SoundFileTest, MuLawRule)
{
    const struct {
        uint8_t byte;
        int16_t sample;
    } cases[] = {{0xFF, 0}, {0xF0, 120}, {0xEF, 128}, {0x70, -120}, {0x7F, 0}, {0x81, 30592}, {0x01, -30592},
        {0x80, 31616}, {0x00, -31616}};
    for (const auto& c : cases)
        EXPECT_EQ(MuLawToSample(c.byte), c.sample) << int(c.byte);
    // No spike: the magnitude falls steadily from 0x80 to 0xFF, and the
    // negative half mirrors it.
    for (int b = 0x81; b <= 0xFF; ++b) {
        EXPECT_LT(MuLawToSample(uint8_t(b)), MuLawToSample(uint8_t(b - 1))) << b;
        EXPECT_EQ(MuLawToSample(uint8_t(b & 0x7F)), -MuLawToSample(uint8_t(b))) << b;
    }
}

TEST_F(SoundFileTest, AuFiles)
{
    const std::string bytes("\x00\x7F\x80\xFF\x10\xF0", 6);
    std::string mulaw;
    for (char b : bytes)
        mulaw += Le16(uint16_t(MuLawToSample(uint8_t(b))));
    const std::string resigned("\x80\xFF\x00\x7F\x90\x70", 6);
    const struct {
        const char* name;
        std::string file;
        bool ok;
        int channels, bits;
        std::string pcm;
    } cases[] = {
        {"mu-law", MakeAu(1, 8000, 1, bytes), true, 1, 16, mulaw},
        {"linear 8, re-signed", MakeAu(2, 8000, 2, bytes), true, 2, 8, resigned},
        {"gap before the data", MakeAu(2, 8000, 1, bytes, UINT32_MAX - 1, 7), true, 1, 8, resigned},
        {"unknown size reads to the end", MakeAu(1, 8000, 2, bytes, 0xFFFFFFFF), true, 2, 16, mulaw},
        {"shorter size", MakeAu(2, 8000, 1, bytes, 2), true, 1, 8, resigned.substr(0, 2)},
        {"size beyond the end", MakeAu(2, 8000, 1, bytes, 7), false, 0, 0, ""},
        {"16-bit linear", MakeAu(3, 8000, 1, bytes), false, 0, 0, ""},
        {"three channels", MakeAu(2, 8000, 3, bytes), false, 0, 0, ""},
        {"no data", MakeAu(2, 8000, 1, ""), false, 0, 0, ""},
        {"wrong magic", "." + MakeAu(2, 8000, 1, bytes).substr(1).replace(0, 1, "S"), false, 0, 0, ""},
        {"cut header", MakeAu(2, 8000, 1, bytes).substr(0, 20), false, 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SoundBuffer* buffer = Load(".au", c.file);
        EXPECT_EQ(loaded, c.ok);
        if (c.ok) {
            ExpectFormat(buffer, c.channels, c.bits, 8000);
            EXPECT_EQ(BufferBytes(*buffer), c.pcm);
        }
    }
}

// Tremor over a plain disk file: the reference for the pak-aware reader.
std::vector<int16_t> TremorDecode(const std::string& path, int& channels, long& rate)
{
    std::vector<int16_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    OggVorbis_File vf;
    if (!f || ov_open(f, &vf, nullptr, 0) < 0)
        return out;
    channels = ov_info(&vf, -1)->channels;
    rate = ov_info(&vf, -1)->rate;
    char block[4096];
    int section = 0;
    for (long n; (n = ov_read(&vf, block, sizeof block, &section)) > 0;)
        out.insert(out.end(), reinterpret_cast<int16_t*>(block), reinterpret_cast<int16_t*>(block + n));
    ov_clear(&vf);
    return out;
}

std::vector<int16_t> Samples(const std::string& bytes)
{
    std::vector<int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

TEST_F(SoundFileTest, OggDecodesLikeTheReferenceDecoders)
{
    for (const char* name : {"tone-stereo", "tone-mono"}) {
        SCOPED_TRACE(name);
        const std::string path = std::string(QUIB_TEST_DATA) + "/sound/" + name;
        int channels = 0;
        long rate = 0;
        const std::vector<int16_t> tremor = TremorDecode(path + ".ogg", channels, rate);
        const std::vector<int16_t> oggdec = Samples(ReadData(std::string(name) + ".pcm"));
        ASSERT_FALSE(tremor.empty());

        SoundBuffer* buffer = Load(".ogg", ReadData(std::string(name) + ".ogg"));
        ASSERT_TRUE(loaded);
        ExpectFormat(buffer, channels, 16, uint32_t(rate));
        EXPECT_EQ(buffer->Format().BlockAlign(), channels * 2);
        const std::vector<int16_t> got = Samples(BufferBytes(*buffer));
        EXPECT_EQ(got, tremor);
        ASSERT_EQ(got.size(), oggdec.size());
        int worst = 0;
        for (size_t i = 0; i < got.size(); ++i)
            worst = std::max(worst, std::abs(got[i] - oggdec[i]));
        EXPECT_LE(worst, 1);
    }
    const std::string ogg = ReadData("tone-mono.ogg");
    for (size_t cut : {size_t(0), size_t(30), ogg.size() / 2}) {
        Load(".ogg", ogg.substr(0, cut));
        EXPECT_FALSE(loaded) << cut;
    }
}

TEST_F(SoundFileTest, Mp3OnlyInFmodModeDecodesLikeTheReference)
{
    const std::string mp3 = ReadData("../audio/mono.mp3");
    const std::vector<int16_t> reference = Samples(ReadData("../audio/mono.mp3.pcm")); // mpg123
    ASSERT_FALSE(reference.empty());
    SoundBuffer* buffer = Load(".mp3", mp3, true);
    ASSERT_TRUE(loaded);
    ExpectFormat(buffer, 1, 16, 22050);
    const std::vector<int16_t> got = Samples(BufferBytes(*buffer));
    ASSERT_EQ(got.size(), reference.size());
    for (size_t i = 0; i < got.size(); ++i)
        ASSERT_LE(std::abs(got[i] - reference[i]), 1) << i;

    Load(".mp3", mp3, false);
    EXPECT_FALSE(loaded);
    Load(".mp3", "not an mp3 at all", true);
    EXPECT_FALSE(loaded);
}

} // namespace
} // namespace Quib::Testing
