#include "platform/headless/HeadlessAudio.h"
#include "platform/sdl/SdlAudio.h"

#include "tests/support/AudioTestSupport.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace Quib {
namespace {

using namespace Testing;

std::unique_ptr<AudioStream> Tone(AudioDevice& device, int channels, int64_t frames, int rate = 44100)
{
    return device.CreateStream(std::make_unique<ToneDecoder>(rate, channels, frames));
}

TEST(AudioStream, PlaysItsDecoderToTheEnd)
{
    for (int channels : {1, 2}) {
        HeadlessAudioDevice device;
        auto stream = Tone(device, channels, 50000); // longer than what is decoded ahead
        ASSERT_TRUE(stream);
        EXPECT_EQ(stream->Activity(), StreamActivity::Stopped);
        stream->Play(false);
        EXPECT_EQ(stream->Activity(), StreamActivity::Playing);
        const auto out = device.Render(50100);
        for (int k = 0; k < 50100; ++k)
            for (int c = 0; c < 2; ++c)
                ASSERT_EQ(out[2 * k + c], k < 50000 ? ToneDecoder::At(k, channels == 2 ? c : 0) : 0) << k;
        EXPECT_EQ(stream->Activity(), StreamActivity::Stopped);
        EXPECT_EQ(stream->Position(), 50000u);
        // Played again, it starts over.
        stream->Play(false);
        EXPECT_EQ(device.Render(1)[0], ToneDecoder::At(0, 0));
    }
}

TEST(AudioStream, PositionAtTheEndIsTheLengthWhateverTheStep)
{
    for (int rate : {44100, 88200, 60000}) {
        HeadlessAudioDevice device;
        auto stream = Tone(device, 1, 1001, rate);
        stream->Play(false);
        device.Render(2000);
        EXPECT_EQ(stream->Activity(), StreamActivity::Stopped) << rate;
        EXPECT_EQ(stream->Position(), 1001u) << rate;
    }
}

TEST(AudioStream, LoopsWhenAsked)
{
    HeadlessAudioDevice device;
    auto stream = Tone(device, 1, 3000);
    stream->SetLooping(true);
    stream->Play(true);
    const auto out = device.Render(7500);
    for (int k = 0; k < 7500; ++k)
        ASSERT_EQ(out[2 * k], ToneDecoder::At(k % 3000, 0)) << k;
    EXPECT_EQ(stream->Position(), 1500u);
    EXPECT_EQ(stream->Activity(), StreamActivity::Playing);
    // Looping turned off: it ends at the end of the lap it is in, though
    // later laps were decoded ahead already.
    stream->SetLooping(false);
    const auto tail = device.Render(1600);
    for (int k = 0; k < 1600; ++k)
        ASSERT_EQ(tail[2 * k], k < 1500 ? ToneDecoder::At(1500 + k, 0) : 0) << k;
    EXPECT_EQ(stream->Activity(), StreamActivity::Stopped);
}

TEST(AudioStream, LoopingTurnedOnAfterTheDecoderEndedGoesRound)
{
    HeadlessAudioDevice device;
    auto stream = Tone(device, 1, 1000);
    stream->Play(false); // all 1000 frames decoded at once
    stream->SetLooping(true);
    const auto out = device.Render(2500);
    EXPECT_EQ(out[2 * 2400], ToneDecoder::At(400, 0));
    EXPECT_EQ(stream->Activity(), StreamActivity::Playing);
}

TEST(AudioStream, PausesStopsAndSeeks)
{
    HeadlessAudioDevice device;
    auto stream = Tone(device, 2, 100000);
    stream->Play(false);
    device.Render(1000);
    stream->Pause();
    EXPECT_EQ(stream->Activity(), StreamActivity::Paused);
    EXPECT_EQ(device.Render(500), std::vector<int16_t>(1000, 0));
    EXPECT_EQ(stream->Position(), 1000u);
    stream->Resume();
    EXPECT_EQ(device.Render(1)[1], ToneDecoder::At(1000, 1));

    stream->Stop();
    EXPECT_EQ(stream->Activity(), StreamActivity::Stopped);
    stream->Resume(); // only a paused stream resumes
    EXPECT_EQ(stream->Activity(), StreamActivity::Stopped);
    stream->Play(false); // on from where it stopped
    EXPECT_EQ(device.Render(1)[0], ToneDecoder::At(1001, 0));

    EXPECT_TRUE(stream->SetPosition(70000));
    EXPECT_EQ(stream->Position(), 70000u);
    EXPECT_EQ(device.Render(1)[0], ToneDecoder::At(70000, 0));
    EXPECT_FALSE(stream->SetPosition(200000));
    stream->Play(true);
    EXPECT_EQ(device.Render(1)[0], ToneDecoder::At(0, 0));
}

TEST(AudioStream, SeekingAModuleByOrderDropsWhatWasDecodedAhead)
{
    const auto module = std::make_shared<const std::vector<uint8_t>>(TinyModule(2, false, 2));
    auto reference = OpenAudioDecoder(module);
    ASSERT_TRUE(reference);
    const uint64_t orderFrames = 42336;
    ASSERT_EQ(reference->SeekOrder(1, 0), orderFrames);
    std::vector<int16_t> second(2 * 3000);
    ASSERT_EQ(reference->Read(second.data(), 3000), 3000u);

    HeadlessAudioDevice device;
    auto stream = device.CreateStream(OpenAudioDecoder(module));
    ASSERT_TRUE(stream);
    stream->Play(false);
    device.Render(1000); // order 0 is queued well beyond this
    EXPECT_TRUE(stream->SeekOrder(1, 0));
    EXPECT_EQ(stream->Position(), orderFrames);
    EXPECT_EQ(device.Render(2000), std::vector<int16_t>(second.begin(), second.begin() + 4000));
    // A position the song does not have leaves it playing on.
    EXPECT_FALSE(stream->SeekOrder(2, 0));
    EXPECT_EQ(stream->Position(), orderFrames + 2000);
    EXPECT_EQ(device.Render(1000), std::vector<int16_t>(second.begin() + 4000, second.end()));
    EXPECT_EQ(stream->Activity(), StreamActivity::Playing);
}

TEST(AudioStream, StallsWhenTheMixerOvertakesTheDecoding)
{
    HeadlessAudioDevice device;
    auto stream = Tone(device, 1, 100000);
    stream->Play(false);
    std::vector<int16_t> out(2 * 20000);
    device.Mix(out.data(), 20000); // more than is decoded ahead, without decoding
    EXPECT_EQ(stream->Activity(), StreamActivity::Stalled);
    EXPECT_EQ(out[2 * 19999], 0);
    device.DecodeAhead();
    device.Mix(out.data(), 1);
    EXPECT_EQ(stream->Activity(), StreamActivity::Playing);
}

TEST(AudioStream, VolumePanAndFrequency)
{
    HeadlessAudioDevice device;
    auto stream = Tone(device, 1, 100000, 22050);
    stream->SetVolume(0.5);
    stream->SetPan(0.25); // the left side at 0.75
    EXPECT_EQ(stream->Frequency(), 22050.0);
    stream->Play(false);
    auto out = device.Render(2);
    EXPECT_EQ(out[0], std::lround(ToneDecoder::At(0, 0) * 0.5 * 0.75));
    EXPECT_EQ(out[1], std::lround(ToneDecoder::At(0, 0) * 0.5));
    EXPECT_EQ(out[3], std::lround((ToneDecoder::At(0, 0) + ToneDecoder::At(1, 0)) / 2.0 * 0.5));
    stream->SetFrequency(44100);
    stream->SetVolume(1);
    stream->SetPan(0);
    out = device.Render(1);
    EXPECT_EQ(out[0], ToneDecoder::At(1, 0));
    stream->SetVolume(7);
    EXPECT_EQ(stream->Volume(), 1.0);
    stream->SetPan(-3);
    EXPECT_EQ(stream->Pan(), -1.0);
}

// A slide moves in output time, a chunk at a time, and lands exactly on its
// target when its time is up.
TEST(AudioStream, SlidesReachTheirTargetsExactlyAtTheirEnd)
{
    struct Case {
        StreamAttribute attribute;
        double from, to, half;
    };
    for (const Case& c : {Case{StreamAttribute::Volume, 1.0, 0.25, 0.625}, Case{StreamAttribute::Pan, -1.0, 1.0, 0},
             Case{StreamAttribute::Frequency, 44100, 11025, 27562.5}}) {
        HeadlessAudioDevice device;
        auto stream = Tone(device, 1, 1000000);
        auto value = [&] {
            return c.attribute == StreamAttribute::Volume ? stream->Volume()
                : c.attribute == StreamAttribute::Pan     ? stream->Pan()
                                                          : stream->Frequency();
        };
        if (c.attribute == StreamAttribute::Pan)
            stream->SetPan(c.from);
        stream->Play(false);
        stream->Slide(c.attribute, c.to, 1000);
        EXPECT_TRUE(stream->IsSliding(c.attribute));
        EXPECT_TRUE(stream->IsSliding());
        EXPECT_EQ(value(), c.from);
        device.Render(22050);
        EXPECT_EQ(value(), c.half);
        device.Render(22049);
        EXPECT_TRUE(stream->IsSliding(c.attribute));
        EXPECT_NE(value(), c.to);
        device.Render(1);
        EXPECT_EQ(value(), c.to);
        EXPECT_FALSE(stream->IsSliding(c.attribute));
        EXPECT_FALSE(stream->IsSliding());
    }
}

TEST(AudioStream, SlideLevelIsHeardAndSettingEndsIt)
{
    HeadlessAudioDevice device;
    auto stream = Tone(device, 1, 1000000);
    stream->Play(false);
    stream->Slide(StreamAttribute::Volume, 0, 100);
    device.Render(4410);
    const auto out = device.Render(10);
    EXPECT_EQ(out, std::vector<int16_t>(20, 0));
    stream->Slide(StreamAttribute::Volume, 1, 100);
    device.Render(100);
    stream->SetVolume(0.5);
    EXPECT_FALSE(stream->IsSliding());
    device.Render(10000);
    EXPECT_EQ(stream->Volume(), 0.5);
    stream->Slide(StreamAttribute::Volume, 0.2, 0); // no time: at once
    EXPECT_EQ(stream->Volume(), 0.2);
    EXPECT_FALSE(stream->IsSliding());
}

TEST(AudioStream, OutlivesItsDevice)
{
    std::unique_ptr<AudioStream> stream;
    std::shared_ptr<SoundBuffer> buffer;
    {
        HeadlessAudioDevice device;
        stream = Tone(device, 2, 1000);
        buffer = device.CreateBuffer(SoundFormat{}, 100);
        stream->Play(false);
        buffer->Play(true);
    }
    EXPECT_EQ(stream->Activity(), StreamActivity::Playing);
    buffer->Stop();
    stream->Stop();
}

TEST(SdlAudio, PlaysThroughTheDummyDriver)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    auto device = SdlAudioDevice::Open();
    ASSERT_TRUE(device);
    auto buffer = MakeBuffer(*device, SoundFormat{1, 16, 22050}, std::vector<int>(500, 1000));
    buffer->Play(true);
    auto stream = Tone(*device, 2, 400000);
    stream->SetLooping(true);
    stream->Play(false);
    // The output pulls the mix on its own thread, and the streams are
    // decoded ahead on another: wait for a good second of output.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (device->FramesPlayed() < 60000 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(device->FramesPlayed(), 60000u);
    EXPECT_GT(stream->Position(), 50000u); // well past what was decoded ahead at the start
    EXPECT_NE(stream->Activity(), StreamActivity::Stopped);
    EXPECT_EQ(buffer->Status(), uint32_t(kSoundPlaying | kSoundLooping));
}

} // namespace
} // namespace Quib
