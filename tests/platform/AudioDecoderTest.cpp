#include "platform/AudioDecoder.h"
#include "platform/headless/CapturingSink.h"
#include "tests/support/AudioTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

// Fixtures under tests/data/audio: stereo16.wav (sox: two tones, 22050 Hz,
// 0.1 s); stereo.ogg (oggenc of it) with stereo.ogg.pcm (oggdec's raw
// output); mono.mp3 (lame -V 9 of its channels summed) with mono.mp3.pcm
// (mpg123's raw output).

namespace Quib {
namespace {

using Testing::TinyModule;

std::vector<uint8_t> ReadFileBytes(const std::string& name)
{
    std::ifstream in(std::string(QUIB_TEST_DATA) + "/audio/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

AudioBytes Bytes(std::vector<uint8_t> bytes) { return std::make_shared<const std::vector<uint8_t>>(std::move(bytes)); }
AudioBytes Fixture(const std::string& name) { return Bytes(ReadFileBytes(name)); }

std::vector<int16_t> LittleEndianSamples(const uint8_t* p, size_t bytes)
{
    std::vector<int16_t> out(bytes / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = int16_t(p[2 * i] | p[2 * i + 1] << 8);
    return out;
}

std::vector<int16_t> PcmFixture(const std::string& name)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(name);
    return LittleEndianSamples(bytes.data(), bytes.size());
}

// Reads to the end in uneven pieces; stops after `limit` frames.
std::vector<int16_t> DecodeAll(AudioDecoder& decoder, size_t limit = 1 << 22)
{
    std::vector<int16_t> out;
    std::vector<int16_t> piece(333 * 2);
    for (size_t total = 0; total < limit;) {
        const size_t got = decoder.Read(piece.data(), 333);
        if (got == 0)
            break;
        EXPECT_LE(got, 333u);
        out.insert(out.end(), piece.begin(), piece.begin() + ptrdiff_t(got) * decoder.Channels());
        total += got;
    }
    return out;
}

int MaxDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b)
{
    int most = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        most = std::max(most, std::abs(int(a[i]) - int(b[i])));
    return most;
}

double Correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b)
{
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// --- hand-made files ---

void Put16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
void PutTag(std::vector<uint8_t>& v, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        v.push_back(uint8_t(tag[i]));
}

struct WavFormat {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 11025;
    uint16_t bits = 8;
};

std::vector<uint8_t> FmtChunk(const WavFormat& f, uint32_t size = 16)
{
    std::vector<uint8_t> v;
    PutTag(v, "fmt ");
    Put32(v, size);
    Put16(v, f.tag);
    Put16(v, f.channels);
    Put32(v, f.rate);
    Put32(v, f.rate * f.channels * f.bits / 8);
    Put16(v, uint16_t(f.channels * f.bits / 8));
    Put16(v, f.bits);
    v.resize(8 + size, 0);
    return v;
}

std::vector<uint8_t> Chunk(const char* tag, const std::vector<uint8_t>& body, uint32_t statedSize)
{
    std::vector<uint8_t> v;
    PutTag(v, tag);
    Put32(v, statedSize);
    v.insert(v.end(), body.begin(), body.end());
    return v;
}
std::vector<uint8_t> Chunk(const char* tag, const std::vector<uint8_t>& body)
{
    std::vector<uint8_t> v = Chunk(tag, body, uint32_t(body.size()));
    if (body.size() % 2)
        v.push_back(0); // pad byte
    return v;
}

std::vector<uint8_t> Riff(const std::vector<std::vector<uint8_t>>& chunks)
{
    std::vector<uint8_t> v;
    PutTag(v, "RIFF");
    Put32(v, 0);
    PutTag(v, "WAVE");
    for (const auto& c : chunks)
        v.insert(v.end(), c.begin(), c.end());
    const uint32_t riffSize = uint32_t(v.size() - 8);
    std::memcpy(v.data() + 4, &riffSize, 4);
    return v;
}

// --- each kind against its reference ---

TEST(AudioDecoder, WavDecodesTheSoxFileExactly)
{
    const AudioBytes file = Fixture("stereo16.wav");
    ASSERT_EQ(file->size(), 44u + 2205 * 4);
    auto decoder = OpenAudioDecoder(AudioFileKind::Wav, file);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->SampleRate(), 22050);
    EXPECT_EQ(decoder->Channels(), 2);
    EXPECT_EQ(decoder->LengthFrames(), 2205);
    EXPECT_EQ(DecodeAll(*decoder), LittleEndianSamples(file->data() + 44, 2205 * 4));
}

TEST(AudioDecoder, WavReadsEightBitAfterOddChunksWithTheirPadBytes)
{
    WavFormat format;
    const auto wav = Riff({Chunk("LIST", {1, 2, 3}), FmtChunk(format, 18), Chunk("junk", {'d'}),
                           Chunk("data", {0, 128, 255, 1, 127}), Chunk("LIST", {9})});
    auto decoder = OpenAudioDecoder(Bytes(wav));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->SampleRate(), 11025);
    EXPECT_EQ(decoder->Channels(), 1);
    EXPECT_EQ(decoder->LengthFrames(), 5);
    EXPECT_EQ(DecodeAll(*decoder), (std::vector<int16_t>{-32768, 0, 32512, -32512, -256}));
}

TEST(AudioDecoder, OggMatchesOggdecWithinOneStep)
{
    auto decoder = OpenAudioDecoder(AudioFileKind::Ogg, Fixture("stereo.ogg"));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->SampleRate(), 22050);
    EXPECT_EQ(decoder->Channels(), 2);
    EXPECT_EQ(decoder->LengthFrames(), 2205);
    const std::vector<int16_t> reference = PcmFixture("stereo.ogg.pcm");
    const std::vector<int16_t> decoded = DecodeAll(*decoder);
    ASSERT_EQ(decoded.size(), reference.size());
    EXPECT_LE(MaxDifference(decoded, reference), 1);
}

TEST(AudioDecoder, Mp3MatchesMpg123AndTheSourceSignal)
{
    auto decoder = OpenAudioDecoder(AudioFileKind::Mp3, Fixture("mono.mp3"));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->SampleRate(), 22050);
    EXPECT_EQ(decoder->Channels(), 1);
    EXPECT_EQ(decoder->LengthFrames(), 2205); // the encoder's delay and padding are trimmed
    const std::vector<int16_t> decoded = DecodeAll(*decoder);
    const std::vector<int16_t> reference = PcmFixture("mono.mp3.pcm");
    ASSERT_EQ(decoded.size(), reference.size());
    EXPECT_EQ(decoded, reference);

    // What was encoded: the two channels of the WAV fixture summed.
    const AudioBytes wav = Fixture("stereo16.wav");
    const std::vector<int16_t> stereo = LittleEndianSamples(wav->data() + 44, 2205 * 4);
    std::vector<int16_t> source(2205);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = int16_t(std::clamp(stereo[2 * i] + stereo[2 * i + 1], -32768, 32767));
    EXPECT_GT(Correlation(decoded, source), 0.9);
}

TEST(AudioDecoder, ModuleRendersItsLengthAtFortyFourKilohertzStereo)
{
    auto decoder = OpenAudioDecoder(AudioFileKind::Module, Bytes(TinyModule()));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->SampleRate(), 44100);
    EXPECT_EQ(decoder->Channels(), 2);
    const std::vector<int16_t> decoded = DecodeAll(*decoder);
    const int64_t frames = int64_t(decoded.size() / 2);
    EXPECT_NEAR(double(decoder->LengthFrames()), 0.96 * 44100, 44100 * 0.01);
    EXPECT_EQ(frames, decoder->LengthFrames());
    const int16_t loudest = *std::max_element(decoded.begin(), decoded.end());
    EXPECT_GT(loudest, 1000); // the square wave is heard, played once
}

TEST(AudioDecoder, ModuleLongerThanTheCapHasUnknownLength)
{
    // 128 orders of 64 rows of 31 ticks at 32 BPM: five and a half hours.
    CapturingSink sink;
    auto decoder = OpenAudioDecoder(Bytes(TinyModule(128, true)));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->LengthFrames(), -1);
    ASSERT_EQ(sink.debugLines.size(), 1u);
    EXPECT_NE(sink.debugLines[0].find("beyond the cap"), std::string::npos);
    std::vector<int16_t> samples(2 * 4096);
    EXPECT_EQ(decoder->Read(samples.data(), 4096), 4096u);
    EXPECT_FALSE(decoder->Seek(uint64_t(1) << 40));
}

TEST(AudioDecoder, ModuleSeeksToAnOrderAsPlayingThroughReachesIt)
{
    // Two orders of 0.96 s, the second an octave above the first.
    const AudioBytes module = Bytes(TinyModule(2, false, 2));
    auto through = OpenAudioDecoder(AudioFileKind::Module, module);
    ASSERT_TRUE(through);
    const std::vector<int16_t> whole = DecodeAll(*through);
    const size_t orderFrames = 42336;
    ASSERT_EQ(whole.size(), 2 * 2 * orderFrames);
    const std::vector<int16_t> first(whole.begin(), whole.begin() + 2 * orderFrames);
    const std::vector<int16_t> second(whole.begin() + 2 * orderFrames, whole.end());
    ASSERT_NE(first, second);

    // A jump starts the note afresh (its volume ramps up) where playing
    // through changes the note of a sample already sounding: the same
    // samples once the ramp is over, and the same every time.
    CapturingSink sink;
    auto seeked = OpenAudioDecoder(module);
    ASSERT_TRUE(seeked);
    EXPECT_EQ(seeked->SeekOrder(1, 0), orderFrames);
    const std::vector<int16_t> jumped = DecodeAll(*seeked);
    ASSERT_EQ(jumped.size(), second.size());
    const size_t ramp = 2 * 2048;
    EXPECT_EQ(std::vector<int16_t>(jumped.begin() + ramp, jumped.end()),
              std::vector<int16_t>(second.begin() + ramp, second.end()));
    EXPECT_LT(MaxDifference(jumped, second), MaxDifference(jumped, first) / 2);
    // Back from the end, and from a fresh start.
    EXPECT_EQ(seeked->SeekOrder(1, 0), orderFrames);
    EXPECT_EQ(DecodeAll(*seeked), jumped);
    auto fresh = OpenAudioDecoder(module);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->SeekOrder(1, 0), orderFrames);
    EXPECT_EQ(DecodeAll(*fresh), jumped);
    // The start, exactly as the first time.
    EXPECT_EQ(seeked->SeekOrder(0, 0), 0u);
    EXPECT_EQ(DecodeAll(*seeked), whole);

    // Positions the song does not have: refused quietly, the position kept.
    struct Case {
        int order, row;
    };
    for (const Case c : {Case{2, 0}, Case{65535, 0}, Case{-1, 0}, Case{1, 64}, Case{0, -1}}) {
        SCOPED_TRACE(std::to_string(c.order) + "," + std::to_string(c.row));
        ASSERT_TRUE(seeked->Seek(orderFrames - 1000));
        EXPECT_FALSE(seeked->SeekOrder(c.order, c.row));
        const std::vector<int16_t> rest = DecodeAll(*seeked);
        EXPECT_EQ(rest, std::vector<int16_t>(whole.end() - 2 * (orderFrames + 1000), whole.end()));
    }
    EXPECT_TRUE(sink.debugLines.empty());

    // Decoders of other kinds have no orders.
    auto wav = OpenAudioDecoder(Fixture("stereo16.wav"));
    ASSERT_TRUE(wav);
    EXPECT_FALSE(wav->SeekOrder(0, 0));
}

TEST(AudioDecoder, ModulePlaysAnOrderOfAnotherSubSong)
{
    // Order 0 jumps back to itself, so order 1 starts a sub-song of its
    // own (a module holding several tunes): it plays as in the song where
    // order 0 leads to it.
    std::vector<uint8_t> bytes = TinyModule(2, false, 2);
    const size_t jump = 1084 + 7 * 16 + 2; // pattern 0, row 7, channel 1: the effect
    ASSERT_EQ(bytes[jump], 0x0D);
    bytes[jump] = 0x0B;
    auto tunes = OpenAudioDecoder(Bytes(bytes));
    auto song = OpenAudioDecoder(Bytes(TinyModule(2, false, 2)));
    ASSERT_TRUE(tunes && song);
    EXPECT_EQ(tunes->LengthFrames(), 42336); // the first tune
    ASSERT_TRUE(tunes->SeekOrder(1, 0));
    ASSERT_TRUE(song->SeekOrder(1, 0));
    EXPECT_EQ(DecodeAll(*tunes), DecodeAll(*song));
}

// --- guessing the kind ---

TEST(AudioDecoder, GuessesEachKindFromTheFirstBytes)
{
    struct Case {
        AudioBytes bytes;
        AudioFileKind kind;
    };
    const Case cases[] = {{Fixture("stereo16.wav"), AudioFileKind::Wav},
                          {Fixture("stereo.ogg"), AudioFileKind::Ogg},
                          {Fixture("mono.mp3"), AudioFileKind::Mp3},
                          {Bytes(TinyModule()), AudioFileKind::Module}};
    for (const Case& c : cases) {
        auto guessed = OpenAudioDecoder(c.bytes);
        auto told = OpenAudioDecoder(c.kind, c.bytes);
        ASSERT_TRUE(guessed && told) << int(c.kind);
        EXPECT_EQ(DecodeAll(*guessed), DecodeAll(*told)) << int(c.kind);
    }
    // An MP3 without an ID3 tag starts with a frame header.
    const AudioBytes mp3 = Fixture("mono.mp3");
    ASSERT_EQ((*mp3)[0], 0xFF);
    CapturingSink sink;
    EXPECT_FALSE(OpenAudioDecoder(Bytes({'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'})));
    EXPECT_FALSE(OpenAudioDecoder(Bytes({})));
    EXPECT_FALSE(OpenAudioDecoder(nullptr));
    EXPECT_EQ(sink.debugLines.size(), 3u);
}

// --- seeking ---

TEST(AudioDecoder, SeekContinuesWithTheSamplesOfReadingThrough)
{
    struct Case {
        const char* name;
        AudioBytes bytes;
    };
    const Case cases[] = {{"wav", Fixture("stereo16.wav")},
                          {"ogg", Fixture("stereo.ogg")},
                          {"mp3", Fixture("mono.mp3")},
                          {"module", Bytes(TinyModule())}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto decoder = OpenAudioDecoder(c.bytes);
        ASSERT_TRUE(decoder);
        const std::vector<int16_t> whole = DecodeAll(*decoder);
        const size_t channels = size_t(decoder->Channels());
        const uint64_t length = whole.size() / channels;
        ASSERT_EQ(int64_t(length), decoder->LengthFrames());
        // Backwards, forwards, and to the very start after the end.
        for (uint64_t frame : {length / 2, length / 3, length - 100, length * 3 / 4, uint64_t(0)}) {
            SCOPED_TRACE(frame);
            ASSERT_TRUE(decoder->Seek(frame));
            const std::vector<int16_t> rest = DecodeAll(*decoder);
            const std::vector<int16_t> expected(whole.begin() + ptrdiff_t(frame * channels), whole.end());
            EXPECT_EQ(rest, expected);
        }
        EXPECT_TRUE(decoder->Seek(length));
        int16_t sample[2];
        EXPECT_EQ(decoder->Read(sample, 1), 0u);
        CapturingSink sink;
        EXPECT_FALSE(decoder->Seek(length + 1));
        EXPECT_FALSE(decoder->Seek(UINT64_MAX));
    }
}

// --- damaged input ---

std::vector<uint8_t> Truncated(std::vector<uint8_t> bytes, size_t size)
{
    bytes.resize(std::min(size, bytes.size()));
    return bytes;
}

TEST(AudioDecoder, DamagedWavIsRefusedOrCutToTheBytesPresent)
{
    const std::vector<uint8_t> samples{10, 20, 30, 40, 50, 60, 70};
    WavFormat stereo16;
    stereo16.channels = 2;
    stereo16.bits = 16;
    auto with = [](auto change) {
        WavFormat f;
        change(f);
        return f;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int64_t frames; // -1: refused
    };
    const Case cases[] = {
        {"plain", Riff({FmtChunk({}), Chunk("data", samples)}), 7},
        {"format after data", Riff({Chunk("data", samples), FmtChunk({})}), 7},
        {"stereo 16-bit keeps whole frames", Riff({FmtChunk(stereo16), Chunk("data", samples)}), 1},
        {"data size beyond the file", Riff({FmtChunk({}), Chunk("data", samples, 0xFFFFFFFF)}), 7},
        {"data size zero", Riff({FmtChunk({}), Chunk("data", {}, 0)}), 0},
        {"header only", Truncated(Riff({FmtChunk({}), Chunk("data", samples)}), 12), -1},
        {"cut inside the format", Truncated(Riff({FmtChunk({}), Chunk("data", samples)}), 30), -1},
        {"cut inside the data header", Truncated(Riff({FmtChunk({}), Chunk("data", samples)}), 40), -1},
        {"no format", Riff({Chunk("data", samples)}), -1},
        {"no data", Riff({FmtChunk({})}), -1},
        {"huge chunk before the data", Riff({Chunk("LIST", {1, 2}, 0xFFFFFFF0), FmtChunk({}), Chunk("data", samples)}), -1},
        {"format too short", Riff({FmtChunk({}, 14), Chunk("data", samples)}), -1},
        {"floating point", Riff({FmtChunk(with([](WavFormat& f) { f.tag = 3; })), Chunk("data", samples)}), -1},
        {"no channels", Riff({FmtChunk(with([](WavFormat& f) { f.channels = 0; })), Chunk("data", samples)}), -1},
        {"six channels", Riff({FmtChunk(with([](WavFormat& f) { f.channels = 6; })), Chunk("data", samples)}), -1},
        {"24 bits", Riff({FmtChunk(with([](WavFormat& f) { f.bits = 24; })), Chunk("data", samples)}), -1},
        {"rate zero", Riff({FmtChunk(with([](WavFormat& f) { f.rate = 0; })), Chunk("data", samples)}), -1},
        {"rate huge", Riff({FmtChunk(with([](WavFormat& f) { f.rate = 0xFFFFFFFF; })), Chunk("data", samples)}), -1},
        {"wrong magic", {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CapturingSink sink;
        auto decoder = OpenAudioDecoder(AudioFileKind::Wav, Bytes(c.bytes));
        if (c.frames < 0) {
            EXPECT_FALSE(decoder);
            ASSERT_EQ(sink.debugLines.size(), 1u);
            EXPECT_NE(sink.debugLines[0].find("AudioDecoder wav: "), std::string::npos);
            continue;
        }
        ASSERT_TRUE(decoder);
        EXPECT_EQ(decoder->LengthFrames(), c.frames);
        EXPECT_EQ(DecodeAll(*decoder).size(), size_t(c.frames) * size_t(decoder->Channels()));
    }
}

// Ogg's page checksum (polynomial 0x04C11DB7, no reflection, start 0).
uint32_t OggCrc(const uint8_t* p, size_t n)
{
    uint32_t crc = 0;
    for (size_t i = 0; i < n; ++i) {
        crc ^= uint32_t(p[i]) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? crc << 1 ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

void PutOggChecksum(uint8_t* page, size_t size)
{
    std::memset(page + 22, 0, 4);
    const uint32_t crc = OggCrc(page, size);
    for (int i = 0; i < 4; ++i)
        page[22 + i] = uint8_t(crc >> (8 * i));
}

// The file with its audio page (the last) sent twice, the second time
// stating `granule` for its end: a stream of two pages whose length is
// worked out from that granule position.
std::vector<uint8_t> WithRepeatedLastPage(std::vector<uint8_t> ogg, uint64_t granule)
{
    size_t last = 0;
    for (size_t i = 0; i + 4 <= ogg.size(); ++i)
        if (std::memcmp(ogg.data() + i, "OggS", 4) == 0)
            last = i;
    std::vector<uint8_t> page(ogg.begin() + ptrdiff_t(last), ogg.end());
    ogg[last + 5] &= ~4; // no longer the end of the stream
    PutOggChecksum(ogg.data() + last, page.size());
    page[18]++; // page sequence number
    for (int i = 0; i < 8; ++i)
        page[6 + i] = uint8_t(granule >> (8 * i));
    PutOggChecksum(page.data(), page.size());
    ogg.insert(ogg.end(), page.begin(), page.end());
    return ogg;
}

TEST(AudioDecoder, StatedOggLengthBeyondTheCapIsUnknown)
{
    const std::vector<uint8_t> ogg = ReadFileBytes("stereo.ogg");
    auto twice = OpenAudioDecoder(Bytes(WithRepeatedLastPage(ogg, 4000)));
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->LengthFrames(), 4000); // the pages are taken

    CapturingSink sink;
    auto decoder = OpenAudioDecoder(Bytes(WithRepeatedLastPage(ogg, uint64_t(1) << 40)));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->LengthFrames(), -1);
    EXPECT_FALSE(sink.debugLines.empty());
    const size_t frames = DecodeAll(*decoder).size() / 2;
    EXPECT_GT(frames, 2205u);
    EXPECT_LT(frames, 3 * 2205u);
}

// Damaged files of the library-decoded kinds: each opens to null with a log
// line, or decodes a bounded number of frames.
TEST(AudioDecoder, DamagedCompressedFilesNeverCrash)
{
    const std::vector<uint8_t> ogg = ReadFileBytes("stereo.ogg");
    const std::vector<uint8_t> mp3 = ReadFileBytes("mono.mp3");
    const std::vector<uint8_t> mod = TinyModule();
    auto flipped = [](std::vector<uint8_t> bytes, size_t from) {
        for (size_t i = from; i < bytes.size(); i += 7)
            bytes[i] = uint8_t(bytes[i] ^ 0x5A);
        return bytes;
    };
    std::vector<uint8_t> hugeId3{'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
    hugeId3.insert(hugeId3.end(), mp3.begin(), mp3.end());
    enum Opens { No, Yes, Either };
    struct Case {
        const char* what;
        AudioFileKind kind;
        std::vector<uint8_t> bytes;
        Opens opens;
    };
    const Case cases[] = {
        {"ogg magic only", AudioFileKind::Ogg, {'O', 'g', 'g', 'S'}, No},
        {"ogg first page only", AudioFileKind::Ogg, Truncated(ogg, 58), No},
        {"ogg cut in the setup header", AudioFileKind::Ogg, Truncated(ogg, ogg.size() / 2), No},
        {"ogg cut in the audio", AudioFileKind::Ogg, Truncated(ogg, ogg.size() - 100), Either},
        {"ogg audio scrambled", AudioFileKind::Ogg, flipped(ogg, ogg.size() - 300), Either},
        {"mp3 given as ogg", AudioFileKind::Ogg, mp3, No},
        {"mp3 cut to the first frame header", AudioFileKind::Mp3, Truncated(mp3, 4), No},
        {"mp3 cut in half", AudioFileKind::Mp3, Truncated(mp3, mp3.size() / 2), Either},
        {"mp3 scrambled", AudioFileKind::Mp3, flipped(mp3, 200), Yes},
        {"mp3 behind an ID3 tag stating 256 MB", AudioFileKind::Mp3, hugeId3, Either},
        {"ogg given as mp3", AudioFileKind::Mp3, ogg, No},
        {"module without its pattern", AudioFileKind::Module, Truncated(mod, 1084), Either},
        {"module cut in its sample", AudioFileKind::Module, Truncated(mod, mod.size() - 10), Yes},
        {"wav given as module", AudioFileKind::Module, ReadFileBytes("stereo16.wav"), No},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CapturingSink sink;
        auto decoder = OpenAudioDecoder(c.kind, Bytes(c.bytes));
        if (c.opens != Either) {
            EXPECT_EQ(bool(decoder), c.opens == Yes);
        }
        if (!decoder) {
            ASSERT_FALSE(sink.debugLines.empty());
            EXPECT_EQ(sink.debugLines[0].rfind("AudioDecoder ", 0), 0u);
            continue;
        }
        const size_t frames = DecodeAll(*decoder).size() / size_t(decoder->Channels());
        const int64_t length = decoder->LengthFrames();
        EXPECT_LE(frames, length >= 0 ? uint64_t(length) : uint64_t(decoder->SampleRate()) * 10);
    }
}

} // namespace
} // namespace Quib
