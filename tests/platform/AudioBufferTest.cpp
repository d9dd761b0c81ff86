#include "platform/headless/HeadlessAudio.h"

#include "tests/support/AudioTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace Quib {
namespace {

using namespace Testing;

int Round(double x) { return int(std::lround(x)); }

TEST(AudioGain, VolumeInHundredthsOfDecibels)
{
    for (auto [volume, gain] : {std::pair{0, 1.0}, {-2000, 0.1}, {-4000, 0.01}, {-602, 0.50003}, {-10000, 0.0},
             {-20000, 0.0}}) {
        EXPECT_NEAR(VolumeToGain(volume), gain, 1e-5) << volume;
    }
    EXPECT_EQ(VolumeToGain(-10000), 0.0); // silence, not 10^-5
    double l, r;
    PanToGains(-2000, l, r);
    EXPECT_DOUBLE_EQ(l, 1.0);
    EXPECT_NEAR(r, 0.1, 1e-12);
    PanToGains(10000, l, r);
    EXPECT_EQ(l, 0.0);
    EXPECT_EQ(r, 1.0);
}

// A buffer at the output rate comes out sample for sample, scaled by its
// volume and pan; both mixers agree within one step.
TEST(AudioBuffer, PlaysAtItsLevelAndPanInEveryLayout)
{
    struct Case {
        int bits, channels, volume, pan;
    };
    for (const Case& c : {Case{16, 1, 0, 0}, Case{16, 1, -600, 0}, Case{16, 2, -1000, 3000}, Case{16, 2, 0, -10000},
             Case{8, 1, -300, -1500}, Case{8, 2, 0, 0}, Case{8, 2, -10000, 0}}) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.channels << " channels, volume " << c.volume
                                        << ", pan " << c.pan);
        const SoundFormat format{c.channels, c.bits, 44100};
        const int frames = 600;
        std::vector<int> samples(frames * c.channels);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = c.bits == 8 ? int(i * 7 % 256) : int(i * 977 % 60000) - 30000;
        HeadlessAudioDevice fast, plain;
        plain.UseReferenceMixer(true);
        std::vector<int16_t> out[2];
        for (int m = 0; m < 2; ++m) {
            HeadlessAudioDevice& device = m == 0 ? fast : plain;
            auto buffer = MakeBuffer(device, format, samples);
            ASSERT_TRUE(buffer);
            buffer->SetVolume(c.volume);
            buffer->SetPan(c.pan);
            ASSERT_TRUE(buffer->Play(false));
            out[m] = device.Render(frames + 10);
        }
        const double g = c.volume <= -10000 ? 0.0 : std::pow(10.0, c.volume / 2000.0);
        const double gl = c.pan > 0 ? g * std::pow(10.0, -c.pan / 2000.0) : g;
        const double gr = c.pan < 0 ? (c.pan <= -10000 ? 0.0 : g * std::pow(10.0, c.pan / 2000.0)) : g;
        for (int k = 0; k < frames + 10; ++k) {
            for (int ch = 0; ch < 2; ++ch) {
                int s = 0;
                if (k < frames) {
                    s = samples[k * c.channels + (c.channels == 2 ? ch : 0)];
                    if (c.bits == 8)
                        s = (s - 128) * 256;
                }
                const int expected = Round(s * (ch == 0 ? gl : gr));
                ASSERT_NEAR(out[0][2 * k + ch], expected, 1) << "frame " << k << " channel " << ch;
                ASSERT_NEAR(out[1][2 * k + ch], expected, 1) << "frame " << k << " channel " << ch;
            }
        }
    }
}

std::shared_ptr<SoundBuffer> Ramp(AudioDevice& device, int frames, uint32_t rate = 44100, int step = 10)
{
    std::vector<int> samples(frames);
    for (int i = 0; i < frames; ++i)
        samples[i] = (i + 1) * step;
    return MakeBuffer(device, SoundFormat{1, 16, rate}, samples);
}

TEST(AudioBuffer, LoopsStopsAndEnds)
{
    HeadlessAudioDevice device;
    auto buffer = Ramp(device, 100);
    buffer->Play(true);
    EXPECT_EQ(buffer->Status(), uint32_t(kSoundPlaying | kSoundLooping));
    auto out = device.Render(250);
    for (int k = 0; k < 250; ++k)
        ASSERT_EQ(out[2 * k], (k % 100 + 1) * 10) << k;
    EXPECT_EQ(buffer->CurrentPosition(), 50u * 2);

    // Stop keeps the position; Play goes on from there.
    buffer->Stop();
    EXPECT_EQ(buffer->Status(), 0u);
    out = device.Render(10);
    EXPECT_EQ(out, std::vector<int16_t>(20, 0));
    EXPECT_EQ(buffer->CurrentPosition(), 100u);
    buffer->Play(false);
    EXPECT_EQ(buffer->Status(), uint32_t(kSoundPlaying));
    out = device.Render(60);
    EXPECT_EQ(out[0], 510);
    EXPECT_EQ(out[2 * 49], 1000);
    EXPECT_EQ(out[2 * 50], 0); // ended: silence, stopped, back at the start
    EXPECT_EQ(buffer->Status(), 0u);
    EXPECT_EQ(buffer->CurrentPosition(), 0u);
}

TEST(AudioBuffer, EndsExactlyWhenItsLastFrameIsMixed)
{
    HeadlessAudioDevice device;
    auto buffer = Ramp(device, 300);
    buffer->Play(false);
    device.Render(299);
    EXPECT_EQ(buffer->Status(), uint32_t(kSoundPlaying));
    device.Render(1);
    EXPECT_EQ(buffer->Status(), 0u);
}

TEST(AudioBuffer, LoopPointsGoRoundTheirRange)
{
    HeadlessAudioDevice device;
    auto buffer = Ramp(device, 10);
    EXPECT_FALSE(buffer->SetLoopPoints(5, 5));
    EXPECT_FALSE(buffer->SetLoopPoints(2, 11));
    ASSERT_TRUE(buffer->SetLoopPoints(6, 10));
    buffer->Play(true);
    const auto out = device.Render(18);
    const int expected[18] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 7, 8, 9, 10, 7, 8, 9, 10};
    for (int k = 0; k < 18; ++k)
        EXPECT_EQ(out[2 * k], expected[k] * 10) << k;
}

TEST(AudioBuffer, PositionSetAndGetInBytes)
{
    HeadlessAudioDevice device;
    auto buffer = MakeBuffer(device, SoundFormat{2, 16, 44100}, std::vector<int>(2 * 100, 1000));
    EXPECT_TRUE(buffer->SetCurrentPosition(4 * 40 + 2)); // inside frame 40
    EXPECT_EQ(buffer->CurrentPosition(), 4u * 40);
    EXPECT_FALSE(buffer->SetCurrentPosition(400));
    buffer->Play(false);
    device.Render(25);
    EXPECT_EQ(buffer->CurrentPosition(), 4u * 65);
    const auto out = device.Render(40);
    EXPECT_EQ(out[2 * 34], 1000);
    EXPECT_EQ(out[2 * 35], 0);
}

TEST(AudioBuffer, DuplicatesShareSamplesNotPositionOrSettings)
{
    HeadlessAudioDevice device;
    auto original = Ramp(device, 100);
    original->SetVolume(-2000);
    original->SetFrequency(22050);
    auto copy = original->Duplicate();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->Volume(), -2000);
    EXPECT_EQ(copy->Frequency(), 22050u);
    copy->SetVolume(0);
    copy->SetFrequency(0);
    EXPECT_EQ(original->Volume(), -2000);

    // New samples written through the original sound in the copy.
    size_t locked;
    uint8_t* p = original->Lock(0, 2, &locked);
    ASSERT_TRUE(p);
    EXPECT_EQ(copy->Lock(0, 2, &locked), nullptr); // one lock at a time over shared samples
    const int16_t s = 12345;
    std::memcpy(p, &s, 2);
    EXPECT_TRUE(original->Unlock());
    EXPECT_FALSE(original->Unlock());

    copy->SetCurrentPosition(0);
    original->SetCurrentPosition(2 * 50);
    copy->Play(false);
    auto out = device.Render(1);
    EXPECT_EQ(out[0], 12345);
    EXPECT_EQ(original->CurrentPosition(), 100u);
    EXPECT_EQ(copy->CurrentPosition(), 2u);
    copy.reset(); // a playing duplicate can go at any time
    out = device.Render(1);
    EXPECT_EQ(out[0], 0);
}

TEST(AudioBuffer, FrequencyResamples)
{
    HeadlessAudioDevice device;
    auto buffer = Ramp(device, 100, 22050); // 10, 20, 30, ...
    EXPECT_EQ(buffer->Frequency(), 22050u);
    buffer->Play(false);
    auto out = device.Render(6);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(out[2 * k], 10 + 5 * k) << k; // halfway frames interpolated
    buffer->SetFrequency(44100 * 2);
    out = device.Render(3);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(out[2 * k], 40 + 20 * k) << k;
    buffer->SetFrequency(50);
    EXPECT_EQ(buffer->Frequency(), kFrequencyMin);
    buffer->SetFrequency(1000000);
    EXPECT_EQ(buffer->Frequency(), kFrequencyMax);
}

TEST(AudioBuffer, MasterVolumeScalesEverything)
{
    HeadlessAudioDevice device;
    auto a = MakeBuffer(device, SoundFormat{1, 16, 44100}, std::vector<int>(64, 8000));
    auto b = MakeBuffer(device, SoundFormat{2, 8, 44100}, std::vector<int>(128, 128 + 20));
    a->Play(true);
    b->Play(true);
    device.SetMasterVolume(0.5);
    auto out = device.Render(4);
    EXPECT_EQ(out[0], (8000 + 20 * 256) / 2);
    device.SetMasterVolume(2.0);
    EXPECT_EQ(device.MasterVolume(), 1.0);
    out = device.Render(4);
    EXPECT_EQ(out[0], 8000 + 20 * 256);
    device.SetMasterVolume(0);
    out = device.Render(4);
    EXPECT_EQ(out, std::vector<int16_t>(8, 0));
}

TEST(AudioBuffer, MixIsClippedOnceAtTheEnd)
{
    HeadlessAudioDevice device;
    auto a = MakeBuffer(device, SoundFormat{1, 16, 44100}, std::vector<int>(8, 30000));
    auto b = MakeBuffer(device, SoundFormat{1, 16, 44100}, std::vector<int>(8, 30000));
    auto c = MakeBuffer(device, SoundFormat{1, 16, 44100}, std::vector<int>(8, -30000));
    a->Play(false);
    b->Play(false);
    c->Play(false);
    const auto out = device.Render(1);
    EXPECT_EQ(out[0], 30000); // not clipped between voices
}

TEST(AudioBuffer, BadRequestsAreRefused)
{
    HeadlessAudioDevice device;
    EXPECT_FALSE(device.CreateBuffer(SoundFormat{3, 16, 44100}, 12));
    EXPECT_FALSE(device.CreateBuffer(SoundFormat{1, 24, 44100}, 12));
    EXPECT_FALSE(device.CreateBuffer(SoundFormat{1, 16, 50}, 12));
    EXPECT_FALSE(device.CreateBuffer(SoundFormat{2, 16, 44100}, 6));
    EXPECT_FALSE(device.CreateBuffer(SoundFormat{1, 16, 44100}, 0));
    EXPECT_FALSE(device.CreateBuffer(SoundFormat{1, 16, 44100}, size_t(1) << 40));
    auto buffer = device.CreateBuffer(SoundFormat{1, 8, 8000}, 10);
    ASSERT_TRUE(buffer);
    size_t locked = 99;
    EXPECT_EQ(buffer->Lock(10, 1, &locked), nullptr);
    EXPECT_EQ(locked, 0u);
    EXPECT_NE(buffer->Lock(4, 100, &locked), nullptr);
    EXPECT_EQ(locked, 6u);
    buffer->Unlock();
    buffer->SetVolume(500);
    EXPECT_EQ(buffer->Volume(), 0);
    buffer->SetPan(-20000);
    EXPECT_EQ(buffer->Pan(), kPanLeft);
    EXPECT_FALSE(device.CreateStream(nullptr));
    EXPECT_FALSE(device.CreateStream(std::make_unique<ToneDecoder>(44100, 3, 10)));
}

// The fast mixer against the plain one over seeded random scenes: buffers
// of every layout at random rates, volumes, pans, loops and positions, and
// streams, changed between renders.
TEST(AudioMixer, FastMixerMatchesTheReference)
{
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        HeadlessAudioDevice devices[2];
        devices[1].UseReferenceMixer(true);
        std::vector<int16_t> out[2];
        for (int m = 0; m < 2; ++m) {
            std::mt19937 rng(seed);
            auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
            HeadlessAudioDevice& device = devices[m];
            device.SetMasterVolume(pick(30, 100) / 100.0);
            std::vector<std::shared_ptr<SoundBuffer>> buffers;
            std::vector<std::unique_ptr<AudioStream>> streams;
            const int voices = pick(1, 40);
            for (int v = 0; v < voices; ++v) {
                const SoundFormat format{pick(1, 2), pick(0, 1) ? 16 : 8, uint32_t(pick(4000, 96000))};
                std::vector<int> samples(size_t(pick(1, 3000)) * format.channels);
                for (int& s : samples)
                    s = format.bitsPerSample == 8 ? pick(0, 255) : pick(-32768, 32767);
                auto buffer = MakeBuffer(device, format, samples);
                ASSERT_TRUE(buffer);
                buffer->SetVolume(pick(0, 5) == 0 ? -10000 : pick(-3000, 0));
                buffer->SetPan(pick(-10000, 10000));
                if (pick(0, 2) == 0)
                    buffer->SetFrequency(pick(100, 100000));
                const uint32_t frames = uint32_t(samples.size() / format.channels);
                if (frames > 2 && pick(0, 1))
                    buffer->SetLoopPoints(uint32_t(pick(0, int(frames) - 2)), frames - uint32_t(pick(0, 1)));
                buffer->SetCurrentPosition(size_t(pick(0, int(frames) - 1)) * format.BlockAlign());
                buffer->Play(pick(0, 1));
                buffers.push_back(buffer);
            }
            for (int s = pick(0, 3); s > 0; --s) {
                auto stream = device.CreateStream(
                    std::make_unique<ToneDecoder>(pick(8000, 96000), pick(1, 2), pick(1, 40000)));
                stream->SetVolume(pick(0, 100) / 100.0);
                stream->SetPan(pick(-100, 100) / 100.0);
                stream->SetLooping(pick(0, 1));
                if (pick(0, 1))
                    stream->Slide(StreamAttribute::Frequency, pick(100, 100000), uint32_t(pick(1, 500)));
                stream->Play(false);
                streams.push_back(std::move(stream));
            }
            for (int round = 0; round < 4; ++round) {
                const auto part = device.Render(size_t(pick(1, 9000)));
                out[m].insert(out[m].end(), part.begin(), part.end());
                auto& b = buffers[size_t(pick(0, voices - 1))];
                b->SetFrequency(pick(100, 100000));
                if (pick(0, 3) == 0)
                    b->Stop();
            }
        }
        ASSERT_EQ(out[0].size(), out[1].size());
        for (size_t i = 0; i < out[0].size(); ++i)
            ASSERT_NEAR(out[0][i], out[1][i], 1) << "sample " << i;
    }
}

} // namespace
} // namespace Quib
