#pragma once
// Sound output: static PCM buffers, decoded streams and the mixer that puts
// them together into 16-bit stereo at the device's rate. A backend (SDL, or
// the headless one for tests) pulls the mix from the device.
#include "platform/AudioDecoder.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace Quib {

// Sample layout of a buffer: 8-bit unsigned or 16-bit signed little-endian,
// mono or stereo interleaved, any rate.
struct SoundFormat {
    int channels = 1;
    int bitsPerSample = 16;
    uint32_t sampleRate = 22050;
    int BlockAlign() const { return channels * bitsPerSample / 8; }
    bool IsValid() const;
};

// Status bits of a buffer.
enum : uint32_t { kSoundPlaying = 1, kSoundLooping = 4 };

// Buffer volume in hundredths of a decibel, pan in hundredths of a decibel
// of attenuation of the other side, frequency in Hz.
constexpr int kVolumeSilent = -10000, kVolumeFull = 0;
constexpr int kPanLeft = -10000, kPanCentre = 0, kPanRight = 10000;
constexpr uint32_t kFrequencyMin = 100, kFrequencyMax = 100000;

// 10^(volume / 2000); 0 at -10000 and below.
double VolumeToGain(int volume);
// Gains of the left and right output for a pan: the side away from the pan
// is attenuated by |pan| hundredths of a dB; +-10000 silences it.
void PanToGains(int pan, double& left, double& right);

class MixerCore;
struct BufferVoice;
struct StreamVoice;

// A static buffer of PCM samples as a sound card holds it. Duplicates share
// the samples; each has its own position, volume, pan, frequency and status.
class SoundBuffer {
public:
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    const SoundFormat& Format() const;
    size_t Size() const; // in bytes

    // The bytes [offset, offset + bytes) clipped to the buffer, to write the
    // samples into; null when offset is past the end or the samples are
    // locked already (duplicates share one lock). Fill a buffer before it
    // or a duplicate plays: the mixer reads the samples without the lock.
    uint8_t* Lock(size_t offset, size_t bytes, size_t* lockedBytes);
    bool Unlock(); // false when not locked

    std::shared_ptr<SoundBuffer> Duplicate() const;

    // Plays from the current position; a looping buffer goes round its loop
    // (the whole buffer unless SetLoopPoints said otherwise). A buffer that
    // plays to its end stops with its position back at 0.
    bool Play(bool looping);
    void Stop(); // keeps the position
    uint32_t Status() const; // kSoundPlaying, kSoundLooping

    size_t CurrentPosition() const; // bytes
    bool SetCurrentPosition(size_t bytes); // false past the end

    bool SetVolume(int volume); // clamped to -10000..0
    int Volume() const;
    bool SetPan(int pan); // clamped to -10000..10000
    int Pan() const;
    bool SetFrequency(uint32_t hz); // 0 = the format's rate; else clamped to 100..100000
    uint32_t Frequency() const;
    // A looping buffer plays on from the start to endFrame (exclusive), then
    // goes round [startFrame, endFrame). False for an empty or bad range.
    bool SetLoopPoints(uint32_t startFrame, uint32_t endFrame);

private:
    friend class AudioDevice;
    struct Samples;
    SoundBuffer(std::shared_ptr<MixerCore> core, std::shared_ptr<Samples> samples);
    std::shared_ptr<MixerCore> mCore;
    std::shared_ptr<Samples> mSamples;
    std::unique_ptr<BufferVoice> mVoice;
};

// What a stream is doing.
enum class StreamActivity { Stopped = 0, Playing = 1, Stalled = 2, Paused = 3 };
// The attributes a stream can slide.
enum class StreamAttribute { Volume, Pan, Frequency };

// A channel that plays decoded music. The device decodes ahead of the
// mixer, a fraction of a second at a time, outside the audio thread.
class AudioStream {
public:
    ~AudioStream();
    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;

    int SampleRate() const; // the decoder's
    int Channels() const;
    int64_t LengthFrames() const; // -1 when unknown

    // From the current position, or from the start when restart is set.
    void Play(bool restart);
    void Stop(); // keeps the position
    void Pause();
    void Resume(); // a paused stream plays on
    StreamActivity Activity() const;

    void SetLooping(bool loop); // at its end the stream goes on from the start
    bool Looping() const;

    // Position in frames of the decoder's output.
    uint64_t Position() const;
    bool SetPosition(uint64_t frame); // false when the decoder cannot seek there
    // A module's row of an order; false (position kept) when it has no such
    // position.
    bool SeekOrder(int order, int row);

    void SetVolume(double volume); // 0..1, linear
    double Volume() const;
    void SetPan(double pan); // -1 (left) .. 1 (right): the other side fades linearly
    double Pan() const;
    void SetFrequency(double hz); // 0 = the decoder's rate; else clamped to 100..100000
    double Frequency() const;

    // Moves an attribute from its value now to target over ms milliseconds
    // of output, reaching the target exactly at the end. Setting the
    // attribute directly ends its slide.
    void Slide(StreamAttribute attribute, double target, uint32_t ms);
    bool IsSliding(StreamAttribute attribute) const;
    bool IsSliding() const; // any

private:
    friend class AudioDevice;
    AudioStream(std::shared_ptr<MixerCore> core, std::unique_ptr<AudioDecoder> decoder);
    // Moves the decoder with `seek` (the frame it reached, or nothing) and
    // drops the frames decoded ahead from the old position.
    bool Reposition(const std::function<std::optional<uint64_t>(AudioDecoder&)>& seek);
    std::shared_ptr<MixerCore> mCore;
    std::shared_ptr<StreamVoice> mVoice;
};

// The mixer with its buffers and streams; backends derive from it and pull
// the mix. Buffers and streams may outlive the device (they go silent).
class AudioDevice {
public:
    explicit AudioDevice(uint32_t outputRate = 44100);
    virtual ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    uint32_t OutputRate() const;

    // Null (and a log line) for a bad format or a size that is not whole
    // frames (or above 1 GB).
    std::shared_ptr<SoundBuffer> CreateBuffer(const SoundFormat& format, size_t bytes);
    // Null without a decoder or with a bad rate or channel count.
    std::unique_ptr<AudioStream> CreateStream(std::unique_ptr<AudioDecoder> decoder);

    // Scales all output; 0..1.
    void SetMasterVolume(double volume);
    double MasterVolume() const;

    // Mixes `frames` frames of 16-bit stereo into out (the fast mixer, or
    // the plain reference one beside it).
    void Mix(int16_t* out, size_t frames);
    void MixReference(int16_t* out, size_t frames);
    // Decodes ahead for every stream until its queue is full.
    void DecodeAhead();

protected:
    std::shared_ptr<MixerCore> mCore;

private:
    // The streams DecodeAhead works through, copied under the mixer's lock
    // into storage that is kept, so the copy allocates only when it grows.
    std::mutex mDecodeMutex;
    std::vector<std::shared_ptr<StreamVoice>> mDecodeList;
};

} // namespace Quib
