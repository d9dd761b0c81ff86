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

// A 4-channel ProTracker module whose order list plays pattern i % patterns
// at order i, `orders` orders in all. Pattern p starts one looped
// square-wave sample on row 0, p octaves above the first (period 428 >> p).
// With `slowest`, row 0 sets 31 ticks a row at 32 BPM and each pattern
// plays through; else it breaks after row 7 (8 rows at speed 6, 125 BPM:
// 0.96 s an order).
inline std::vector<uint8_t> TinyModule(int orders = 1, bool slowest = false, int patterns = 1)
{
    std::vector<uint8_t> v(20, 0);
    std::memcpy(v.data(), "decoder test", 12);
    for (int s = 0; s < 31; ++s) {
        std::vector<uint8_t> header(30, 0);
        if (s == 0) {
            header[23] = 32; // length in words
            header[25] = 64; // volume
            header[29] = 32; // loop length in words, from 0
        }
        v.insert(v.end(), header.begin(), header.end());
    }
    v.push_back(uint8_t(orders));
    v.push_back(127); // restart
    for (int i = 0; i < 128; ++i)
        v.push_back(uint8_t(i < orders ? i % patterns : 0));
    v.insert(v.end(), {'M', '.', 'K', '.'});
    for (int p = 0; p < patterns; ++p) {
        std::vector<uint8_t> pattern(64 * 4 * 4, 0);
        const int period = 428 >> p;
        const uint8_t note[4] = {uint8_t(0x00 | period >> 8), uint8_t(period), 0x10, 0x00}; // sample 1
        std::memcpy(pattern.data(), note, 4);
        if (slowest) {
            pattern[4 + 2] = 0x0F, pattern[4 + 3] = 31; // speed 31
            pattern[8 + 2] = 0x0F, pattern[8 + 3] = 32; // 32 BPM
        } else {
            pattern[7 * 16 + 2] = 0x0D; // pattern break on row 7
        }
        v.insert(v.end(), pattern.begin(), pattern.end());
    }
    for (int i = 0; i < 64; ++i)
        v.push_back(uint8_t(i < 32 ? 0x50 : 0xB0));
    return v;
}

} // namespace Quib::Testing
