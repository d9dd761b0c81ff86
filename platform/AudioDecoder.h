#pragma once
// Decoders that turn a sound or music file held in memory into signed 16-bit
// PCM: WAV (PCM, 8-bit unsigned or 16-bit signed), Ogg Vorbis (Tremor),
// tracker modules (libopenmpt, rendered at 44100 Hz stereo, played once) and
// MP3 (libmpg123). Damaged input gives a null decoder or a short read, with a
// log line through OutputDebugString; nothing is allocated from a size the
// file states without checking it against the bytes present.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace Quib {

// Decoded PCM pulled from a sound or music file held in memory.
class AudioDecoder {
public:
    virtual ~AudioDecoder() = default;
    virtual int SampleRate() const = 0;
    virtual int Channels() const = 0; // 1 or 2
    // Up to `frames` frames of interleaved signed 16-bit samples; fewer only at the end
    // (or on a decode error, logged); 0 at the end.
    virtual size_t Read(int16_t* out, size_t frames) = 0;
    // Continue from frame `frame` (0 = start); false when not possible.
    virtual bool Seek(uint64_t frame) = 0;
    // Tracker modules: continue from row `row` of order `order`; the frame
    // that is. Nothing, and the position kept, for a position the song does
    // not have or a decoder that is not a module's.
    virtual std::optional<uint64_t> SeekOrder(int /*order*/, int /*row*/) { return std::nullopt; }
    virtual int64_t LengthFrames() const = 0; // -1 when unknown
};

enum class AudioFileKind { Wav, Ogg, Module, Mp3 };
using AudioBytes = std::shared_ptr<const std::vector<uint8_t>>; // kept alive by the decoder

// Null (and a log line) when the bytes cannot be decoded.
std::unique_ptr<AudioDecoder> OpenAudioDecoder(AudioFileKind kind, AudioBytes bytes);
// The kind guessed from the first bytes.
std::unique_ptr<AudioDecoder> OpenAudioDecoder(AudioBytes bytes);

} // namespace Quib
