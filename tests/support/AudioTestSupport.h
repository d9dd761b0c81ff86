#pragma once
// Sources of known samples for the audio tests.
#include "platform/AudioDevice.h"

#include <cstring>
#include <vector>

namespace Quib::Testing {

// A decoder of a made-up signal: frame i, channel c has ToneDecoder::At(i, c).
class ToneDecoder : public AudioDecoder {
public:
    ToneDecoder(int rate, int channels, int64_t frames) : mRate(rate), mChannels(channels), mFrames(frames) {}

    static int16_t At(uint64_t i, int c) { return int16_t(int((i * 37 + c * 5000) % 20000) - 10000); }

    int SampleRate() const override { return mRate; }
    int Channels() const override { return mChannels; }
    size_t Read(int16_t* out, size_t frames) override
    {
        size_t n = 0;
        for (; n < frames && int64_t(mPos) < mFrames; ++n, ++mPos)
            for (int c = 0; c < mChannels; ++c)
                out[n * mChannels + c] = At(mPos, c);
        return n;
    }
    bool Seek(uint64_t frame) override
    {
        if (int64_t(frame) > mFrames)
            return false;
        mPos = frame;
        return true;
    }
    int64_t LengthFrames() const override { return mFrames; }

private:
    int mRate, mChannels;
    int64_t mFrames;
    uint64_t mPos = 0;
};

// A buffer of the format filled with the given sample values (unsigned for
// 8-bit), through Lock and Unlock.
inline std::shared_ptr<SoundBuffer> MakeBuffer(AudioDevice& device, const SoundFormat& format,
    const std::vector<int>& samples)
{
    const size_t bytes = samples.size() * format.bitsPerSample / 8;
    auto buffer = device.CreateBuffer(format, bytes);
    if (!buffer)
        return nullptr;
    size_t locked = 0;
    uint8_t* p = buffer->Lock(0, bytes, &locked);
    if (!p || locked != bytes)
        return nullptr;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (format.bitsPerSample == 8) {
            p[i] = uint8_t(samples[i]);
        } else {
            const int16_t s = int16_t(samples[i]);
            std::memcpy(p + 2 * i, &s, 2);
        }
    }
    buffer->Unlock();
    return buffer;
}

} // namespace Quib::Testing
