#pragma once
// The mixer's view of buffers and streams, shared by the device, the fast
// mixer and the reference mixer. Everything the mixer reads is guarded by
// MixerCore::mutex unless marked otherwise.
#include "platform/AudioDevice.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace Quib {

constexpr uint64_t kPosOne = uint64_t(1) << 32; // positions are frames in 32.32 fixed point

// Position step per output frame for a source rate.
inline uint64_t StepFor(double sourceRate, uint32_t outputRate)
{
    return static_cast<uint64_t>(sourceRate * double(kPosOne) / outputRate);
}

struct BufferVoice {
    const uint8_t* data = nullptr;
    uint32_t frames = 0;
    int channels = 1;
    int bits = 16;
    uint32_t rate = 22050;

    uint64_t pos = 0;
    uint64_t step = kPosOne;
    int volume = 0;
    int pan = 0;
    uint32_t frequency = 0; // as set; 0 = the format's rate
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;
    float gainLeft = 1, gainRight = 1; // for the fast mixer
    bool playing = false;
    bool looping = false;
    bool listed = false; // in MixerCore::playing

    // Frame after idx on the way through the buffer; idx itself at the end
    // of a buffer that does not loop.
    uint32_t Next(uint64_t idx) const
    {
        const uint32_t end = looping ? loopEnd : frames;
        if (idx + 1 < end)
            return uint32_t(idx + 1);
        return looping ? loopStart : uint32_t(idx);
    }
    // After a run of frames: goes round the loop, or stops at the end.
    void Settle()
    {
        const uint64_t idx = pos >> 32;
        if (looping) {
            if (idx >= loopEnd) {
                const uint64_t len = loopEnd - loopStart;
                pos = ((loopStart + (idx - loopEnd) % len) << 32) | (pos & 0xFFFFFFFFu);
            }
        } else if (idx >= frames) {
            playing = false;
            pos = 0;
        }
    }
};

struct Slide {
    bool active = false;
    double from = 0, to = 0;
    uint64_t total = 0, elapsed = 0; // output frames
};

struct StreamVoice {
    std::unique_ptr<AudioDecoder> decoder; // under decodeMutex
    std::mutex decodeMutex;
    int channels = 2;
    int rate = 44100;
    int64_t length = -1;

    // Decoded frames queued ahead of the mixer: frame n (counted since the
    // stream was made) lies at ring[(n & ringMask) * channels].
    std::vector<int16_t> ring;
    uint64_t ringFrames = 0, ringMask = 0;
    std::atomic<uint64_t> written{0};  // frames put in by the decoding side
    std::atomic<uint64_t> consumed{0}; // frames the mixer no longer needs
    std::atomic<bool> ended{false};    // nothing follows `written`
    std::atomic<bool> looping{false};
    bool justLooped = false; // under decodeMutex
    // Where laps begin in the queue (counted like `written`): the first
    // since the stream was placed and the latest; every lap between them
    // is as long as the one before the latest. Under decodeMutex.
    bool seamed = false;
    uint64_t firstSeam = 0, lastSeam = 0, lapFrames = 0;
    void NoteSeam(uint64_t at)
    {
        if (seamed && at == lastSeam)
            return;
        if (seamed)
            lapFrames = at - lastSeam;
        else
            firstSeam = at;
        lastSeam = at;
        seamed = true;
    }

    uint64_t frame = 0; // where the mixer is, counted like `written`
    uint32_t frac = 0;  // and the fraction of a frame, in 1/2^32
    uint64_t step = kPosOne;
    StreamActivity state = StreamActivity::Stopped;
    bool stalled = false;
    uint64_t baseAbs = 0, baseFrame = 0; // frame baseAbs is the decoder's frame baseFrame
    double volume = 1, pan = 0, frequency = 0;
    float gainLeft = 1, gainRight = 1;
    Slide slides[3];

    int16_t At(uint64_t n, int c) const { return ring[(n & ringMask) * channels + c]; }
    void Advance(uint64_t by)
    {
        const uint64_t f = uint64_t(frac) + by;
        frame += f >> 32;
        frac = uint32_t(f);
    }
    // After a run of frames: the mixer is done with the frames before
    // `frame`; past the last one the stream has stopped.
    void Settle()
    {
        consumed.store(frame, std::memory_order_release);
        if (ended.load(std::memory_order_acquire) && frame >= written.load(std::memory_order_acquire))
            state = StreamActivity::Stopped;
    }
};

class MixerCore {
public:
    explicit MixerCore(uint32_t rate);

    // Mixes under the lock; the chunks end where slides end.
    void Mix(int16_t* out, size_t frames, bool reference);
    // Fills a stream's queue; takes the stream's decode lock, not the mixer's.
    static void DecodeAhead(StreamVoice& stream);

    static void UpdateGains(BufferVoice& voice);
    void UpdateGains(StreamVoice& stream) const;
    void SetAttribute(StreamVoice& stream, StreamAttribute attribute, double value) const;

    std::mutex mutex;
    const uint32_t outputRate;
    double master = 1.0;
    std::vector<BufferVoice*> playing;
    std::vector<std::shared_ptr<StreamVoice>> streams;

private:
    void MixChunkFast(int16_t* out, size_t frames);
    void MixChunkReference(int16_t* out, size_t frames);
    void AdvanceSlides(size_t frames);
    void DropStopped();
};

} // namespace Quib
