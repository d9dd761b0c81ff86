// RIFF WAVE with PCM samples: 8-bit unsigned or 16-bit signed, mono or
// stereo. Chunks other than "fmt " and "data" are skipped, each followed by
// its pad byte when its size is odd. A "data" chunk that runs past the end
// of the file is cut at the end, to whole frames.
#include "platform/AudioDecoderFormats.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace Quib::AudioDecoding {

namespace {

constexpr const char* kKind = "wav";

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

class WavDecoder final : public AudioDecoder {
public:
    WavDecoder(AudioBytes bytes, int rate, int channels, int bits, uint64_t dataStart, uint64_t frames)
        : mBytes(std::move(bytes)), mRate(rate), mChannels(channels), mBits(bits), mDataStart(dataStart),
          mFrames(frames)
    {
    }

    int SampleRate() const override { return mRate; }
    int Channels() const override { return mChannels; }
    int64_t LengthFrames() const override { return int64_t(mFrames); }

    size_t Read(int16_t* out, size_t frames) override
    {
        const size_t n = size_t(std::min<uint64_t>(frames, mFrames - mPos));
        const size_t samples = n * size_t(mChannels);
        const uint8_t* in = mBytes->data() + mDataStart + mPos * uint64_t(mChannels) * uint64_t(mBits / 8);
        if (mBits == 8) {
            for (size_t i = 0; i < samples; ++i)
                out[i] = int16_t((int(in[i]) - 128) * 256);
        } else {
            for (size_t i = 0; i < samples; ++i)
                out[i] = int16_t(U16(in + 2 * i));
        }
        mPos += n;
        return n;
    }

    bool Seek(uint64_t frame) override
    {
        if (frame > mFrames)
            return false;
        mPos = frame;
        return true;
    }

private:
    AudioBytes mBytes;
    int mRate;
    int mChannels;
    int mBits;
    uint64_t mDataStart;
    uint64_t mFrames;
    uint64_t mPos = 0;
};

} // namespace

std::unique_ptr<AudioDecoder> OpenWavDecoder(AudioBytes bytes)
{
    const uint8_t* const file = bytes->data();
    const uint64_t size = bytes->size();
    if (size < 12 || std::memcmp(file, "RIFF", 4) != 0 || std::memcmp(file + 8, "WAVE", 4) != 0) {
        Log(kKind, "not a RIFF WAVE file");
        return nullptr;
    }
    bool haveFormat = false;
    int channels = 0, rate = 0, bits = 0;
    uint64_t dataStart = 0, dataSize = 0;
    bool haveData = false;
    // The RIFF size is often wrong in files written by streaming tools; the
    // chunks run to the end of the bytes.
    for (uint64_t pos = 12; pos + 8 <= size && !(haveFormat && haveData);) {
        const uint8_t* header = file + pos;
        const uint64_t chunkSize = U32(header + 4);
        const uint64_t body = pos + 8;
        const uint64_t present = std::min(chunkSize, size - body);
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (present < 16) {
                Log(kKind, "format chunk too short");
                return nullptr;
            }
            const uint16_t tag = U16(file + body);
            channels = U16(file + body + 2);
            const uint32_t samplesPerSecond = U32(file + body + 4);
            bits = U16(file + body + 14);
            if (tag != 1) {
                Log(kKind, "format tag " + std::to_string(tag) + " is not PCM");
                return nullptr;
            }
            if (channels < 1 || channels > 2 || (bits != 8 && bits != 16)) {
                Log(kKind, std::to_string(channels) + " channels of " + std::to_string(bits) +
                               " bits: only mono or stereo, 8 or 16 bits");
                return nullptr;
            }
            if (samplesPerSecond < 1 || samplesPerSecond > uint32_t(kMaxSampleRate)) {
                Log(kKind, "sample rate " + std::to_string(samplesPerSecond) + " out of range");
                return nullptr;
            }
            rate = int(samplesPerSecond);
            haveFormat = true;
        } else if (std::memcmp(header, "data", 4) == 0 && !haveData) {
            if (present < chunkSize)
                Log(kKind, "data chunk of " + std::to_string(chunkSize) + " bytes cut to the " +
                               std::to_string(present) + " in the file");
            dataStart = body;
            dataSize = present;
            haveData = true;
        }
        if (present < chunkSize)
            break; // nothing follows a chunk that runs past the end
        pos = body + chunkSize + (chunkSize & 1);
    }
    if (!haveFormat || !haveData) {
        Log(kKind, haveFormat ? "no data chunk" : "no format chunk");
        return nullptr;
    }
    const uint64_t frameBytes = uint64_t(channels) * uint64_t(bits / 8);
    return std::make_unique<WavDecoder>(std::move(bytes), rate, channels, bits, dataStart, dataSize / frameBytes);
}

} // namespace Quib::AudioDecoding
