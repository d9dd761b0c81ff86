#pragma once
// The decoders behind OpenAudioDecoder, one source file each, and what they
// share. Not for use outside the audio decoders.
#include "platform/AudioDecoder.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace Quib::AudioDecoding {

// The most PCM a file may claim: 256 MB of 16-bit samples. A decoder that
// works out a longer length reports it as unknown (-1), so a caller that
// sizes a buffer by LengthFrames never allocates beyond this.
constexpr uint64_t kMaxPcmBytes = uint64_t(256) << 20;
constexpr int64_t MaxFrames(int channels) { return int64_t(kMaxPcmBytes / (2 * uint64_t(channels))); }
// Highest sample rate any decoder accepts.
constexpr int kMaxSampleRate = 768000;

// "AudioDecoder <kind>: <what>" through OutputDebugString.
void Log(std::string_view kind, std::string_view what);

// A length the decoder worked out, or -1 with a log line when it exceeds
// the cap (or is negative).
int64_t CappedLength(std::string_view kind, int64_t frames, int channels);

// `frames` cut so that a read from `pos` ends at a known `length` (-1:
// unknown). A damaged stream may decode more than it states; it stops at
// the stated length, so a reader never gets more than LengthFrames.
inline size_t FramesWithin(int64_t length, uint64_t pos, size_t frames)
{
    if (length < 0)
        return frames;
    return pos >= uint64_t(length) ? 0 : size_t(std::min<uint64_t>(frames, uint64_t(length) - pos));
}

// A read position in the bytes, for the libraries' reader callbacks.
struct MemoryReader {
    AudioBytes bytes;
    uint64_t pos = 0;

    // Copies up to `count` bytes; the count copied.
    size_t Read(void* out, size_t count);
    // Moves as fseek does (SEEK_SET, SEEK_CUR, SEEK_END); the new position,
    // or -1 (not moved) for one outside the bytes.
    int64_t Seek(int64_t offset, int whence);
};

// A decoder whose library cannot seek to the very sample: a seek decodes
// up to the frame, from a fresh start when going back, so that it gives
// the samples of decoding through. An unknown length bounds it by the cap.
class ForwardDecoder : public AudioDecoder {
public:
    bool Seek(uint64_t frame) final;

protected:
    // Back to frame 0 (mPos too) with the state of the first start.
    virtual bool Restart() = 0;
    virtual std::string_view Kind() const = 0;

    uint64_t mPos = 0;     // frames read since the start
    int64_t mLength = -1;
};

// A decoder of type D over the bytes when its Open() succeeds, else null.
template <class D>
std::unique_ptr<AudioDecoder> OpenDecoder(AudioBytes bytes)
{
    auto decoder = std::make_unique<D>(std::move(bytes));
    if (!decoder->Open())
        return nullptr;
    return decoder;
}

std::unique_ptr<AudioDecoder> OpenWavDecoder(AudioBytes bytes);
std::unique_ptr<AudioDecoder> OpenOggDecoder(AudioBytes bytes);
std::unique_ptr<AudioDecoder> OpenModuleDecoder(AudioBytes bytes);
std::unique_ptr<AudioDecoder> OpenMp3Decoder(AudioBytes bytes);

// Whether libopenmpt takes the start of a file for a module it can play.
bool LooksLikeModule(const uint8_t* data, size_t size);

} // namespace Quib::AudioDecoding
