#include "platform/AudioDevice.h"

#include "platform/AudioMixer.h"
#include "platform/MessageSink.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace Quib {

namespace {

constexpr uint64_t kStreamQueueFrames = 16384; // decoded ahead of the mixer, a power of two
constexpr size_t kMaxBufferBytes = size_t(1) << 30;
constexpr uint32_t kFormatRateMax = 200000;

double ClampAttribute(StreamAttribute attribute, double value)
{
    switch (attribute) {
    case StreamAttribute::Volume:
        return std::clamp(value, 0.0, 1.0);
    case StreamAttribute::Pan:
        return std::clamp(value, -1.0, 1.0);
    case StreamAttribute::Frequency:
        return value <= 0 ? 0 : std::clamp(value, double(kFrequencyMin), double(kFrequencyMax));
    }
    return value;
}

} // namespace

bool SoundFormat::IsValid() const
{
    return (channels == 1 || channels == 2) && (bitsPerSample == 8 || bitsPerSample == 16) &&
        sampleRate >= kFrequencyMin && sampleRate <= kFormatRateMax;
}

double VolumeToGain(int volume)
{
    if (volume <= kVolumeSilent)
        return 0;
    return std::pow(10.0, std::min(volume, 0) / 2000.0);
}

void PanToGains(int pan, double& left, double& right)
{
    left = pan > 0 ? VolumeToGain(-pan) : 1.0;
    right = pan < 0 ? VolumeToGain(pan) : 1.0;
}

// ---- SoundBuffer

struct SoundBuffer::Samples {
    SoundFormat format;
    std::vector<uint8_t> bytes;
    bool locked = false; // under the mixer's lock
};

SoundBuffer::SoundBuffer(std::shared_ptr<MixerCore> core, std::shared_ptr<Samples> samples)
    : mCore(std::move(core)), mSamples(std::move(samples)), mVoice(std::make_unique<BufferVoice>())
{
    BufferVoice& v = *mVoice;
    const SoundFormat& f = mSamples->format;
    v.data = mSamples->bytes.data();
    v.frames = uint32_t(mSamples->bytes.size() / f.BlockAlign());
    v.channels = f.channels;
    v.bits = f.bitsPerSample;
    v.rate = f.sampleRate;
    v.loopEnd = v.frames;
    v.step = StepFor(v.rate, mCore->outputRate);
    MixerCore::UpdateGains(v);
}

SoundBuffer::~SoundBuffer()
{
    std::lock_guard lock(mCore->mutex);
    auto& list = mCore->playing;
    list.erase(std::remove(list.begin(), list.end(), mVoice.get()), list.end());
}

const SoundFormat& SoundBuffer::Format() const { return mSamples->format; }
size_t SoundBuffer::Size() const { return mSamples->bytes.size(); }

uint8_t* SoundBuffer::Lock(size_t offset, size_t bytes, size_t* lockedBytes)
{
    std::lock_guard lock(mCore->mutex);
    const size_t size = mSamples->bytes.size();
    if (lockedBytes)
        *lockedBytes = 0;
    if (mSamples->locked || offset >= size || bytes == 0)
        return nullptr;
    mSamples->locked = true;
    if (lockedBytes)
        *lockedBytes = std::min(bytes, size - offset);
    return mSamples->bytes.data() + offset;
}

bool SoundBuffer::Unlock()
{
    std::lock_guard lock(mCore->mutex);
    const bool was = mSamples->locked;
    mSamples->locked = false;
    return was;
}

std::shared_ptr<SoundBuffer> SoundBuffer::Duplicate() const
{
    std::shared_ptr<SoundBuffer> copy(new SoundBuffer(mCore, mSamples));
    std::lock_guard lock(mCore->mutex);
    BufferVoice& v = *copy->mVoice;
    v.volume = mVoice->volume;
    v.pan = mVoice->pan;
    v.frequency = mVoice->frequency;
    v.step = mVoice->step;
    v.loopStart = mVoice->loopStart;
    v.loopEnd = mVoice->loopEnd;
    MixerCore::UpdateGains(v);
    return copy;
}

bool SoundBuffer::Play(bool looping)
{
    std::lock_guard lock(mCore->mutex);
    BufferVoice& v = *mVoice;
    v.looping = looping;
    v.playing = true;
    if (!v.listed) {
        mCore->playing.push_back(&v);
        v.listed = true;
    }
    return true;
}

void SoundBuffer::Stop()
{
    std::lock_guard lock(mCore->mutex);
    mVoice->playing = false;
}

uint32_t SoundBuffer::Status() const
{
    std::lock_guard lock(mCore->mutex);
    if (!mVoice->playing)
        return 0;
    return kSoundPlaying | (mVoice->looping ? uint32_t(kSoundLooping) : 0u);
}

size_t SoundBuffer::CurrentPosition() const
{
    std::lock_guard lock(mCore->mutex);
    return size_t(mVoice->pos >> 32) * mSamples->format.BlockAlign();
}

bool SoundBuffer::SetCurrentPosition(size_t bytes)
{
    if (bytes >= mSamples->bytes.size())
        return false;
    std::lock_guard lock(mCore->mutex);
    mVoice->pos = uint64_t(bytes / mSamples->format.BlockAlign()) << 32;
    return true;
}

bool SoundBuffer::SetVolume(int volume)
{
    std::lock_guard lock(mCore->mutex);
    mVoice->volume = std::clamp(volume, kVolumeSilent, kVolumeFull);
    MixerCore::UpdateGains(*mVoice);
    return true;
}

int SoundBuffer::Volume() const
{
    std::lock_guard lock(mCore->mutex);
    return mVoice->volume;
}

bool SoundBuffer::SetPan(int pan)
{
    std::lock_guard lock(mCore->mutex);
    mVoice->pan = std::clamp(pan, kPanLeft, kPanRight);
    MixerCore::UpdateGains(*mVoice);
    return true;
}

int SoundBuffer::Pan() const
{
    std::lock_guard lock(mCore->mutex);
    return mVoice->pan;
}

bool SoundBuffer::SetFrequency(uint32_t hz)
{
    std::lock_guard lock(mCore->mutex);
    BufferVoice& v = *mVoice;
    v.frequency = hz == 0 ? 0 : std::clamp(hz, kFrequencyMin, kFrequencyMax);
    v.step = StepFor(v.frequency ? v.frequency : v.rate, mCore->outputRate);
    return true;
}

uint32_t SoundBuffer::Frequency() const
{
    std::lock_guard lock(mCore->mutex);
    return mVoice->frequency ? mVoice->frequency : mVoice->rate;
}

bool SoundBuffer::SetLoopPoints(uint32_t startFrame, uint32_t endFrame)
{
    std::lock_guard lock(mCore->mutex);
    if (startFrame >= endFrame || endFrame > mVoice->frames)
        return false;
    mVoice->loopStart = startFrame;
    mVoice->loopEnd = endFrame;
    return true;
}

// ---- AudioStream

AudioStream::AudioStream(std::shared_ptr<MixerCore> core, std::unique_ptr<AudioDecoder> decoder)
    : mCore(std::move(core)), mVoice(std::make_shared<StreamVoice>())
{
    StreamVoice& s = *mVoice;
    s.channels = decoder->Channels();
    s.rate = decoder->SampleRate();
    s.length = decoder->LengthFrames();
    s.decoder = std::move(decoder);
    s.ringFrames = kStreamQueueFrames;
    s.ringMask = kStreamQueueFrames - 1;
    s.ring.assign(kStreamQueueFrames * s.channels, 0);
    mCore->UpdateGains(s);
    std::lock_guard lock(mCore->mutex);
    mCore->streams.push_back(mVoice);
}

AudioStream::~AudioStream()
{
    std::lock_guard lock(mCore->mutex);
    auto& list = mCore->streams;
    list.erase(std::remove(list.begin(), list.end(), mVoice), list.end());
}

int AudioStream::SampleRate() const { return mVoice->rate; }
int AudioStream::Channels() const { return mVoice->channels; }
int64_t AudioStream::LengthFrames() const { return mVoice->length; }

void AudioStream::Play(bool restart)
{
    bool atEnd;
    {
        std::lock_guard lock(mCore->mutex);
        atEnd = mVoice->ended.load() && mVoice->frame >= mVoice->written.load();
    }
    // A stream that played to its end starts again.
    if (restart || atEnd)
        SetPosition(0);
    MixerCore::DecodeAhead(*mVoice);
    std::lock_guard lock(mCore->mutex);
    mVoice->state = StreamActivity::Playing;
    mVoice->stalled = false;
}

void AudioStream::Stop()
{
    std::lock_guard lock(mCore->mutex);
    mVoice->state = StreamActivity::Stopped;
}

void AudioStream::Pause()
{
    std::lock_guard lock(mCore->mutex);
    if (mVoice->state == StreamActivity::Playing)
        mVoice->state = StreamActivity::Paused;
}

void AudioStream::Resume()
{
    std::lock_guard lock(mCore->mutex);
    if (mVoice->state == StreamActivity::Paused)
        mVoice->state = StreamActivity::Playing;
}

StreamActivity AudioStream::Activity() const
{
    std::lock_guard lock(mCore->mutex);
    if (mVoice->state == StreamActivity::Playing && mVoice->stalled)
        return StreamActivity::Stalled;
    return mVoice->state;
}

void AudioStream::SetLooping(bool loop)
{
    {
        std::lock_guard lock(mVoice->decodeMutex);
        mVoice->looping = loop;
        // Already decoded to the end: go round from here on.
        if (loop && mVoice->ended.load() && mVoice->decoder->Seek(0)) {
            mVoice->justLooped = true;
            mVoice->ended = false;
            mVoice->NoteSeam(mVoice->written.load());
        }
        // Laps decoded ahead beyond the one playing are dropped.
        if (!loop && mVoice->seamed) {
            std::lock_guard lock(mCore->mutex);
            StreamVoice& s = *mVoice;
            uint64_t seam = s.firstSeam;
            if (s.frame >= s.firstSeam)
                seam = s.lapFrames == 0 ? s.frame
                                        : s.firstSeam + ((s.frame - s.firstSeam) / s.lapFrames + 1) * s.lapFrames;
            if (seam > s.frame && seam <= s.lastSeam) {
                s.written = seam;
                s.ended = true;
                s.lastSeam = seam;
            }
        }
    }
    MixerCore::DecodeAhead(*mVoice);
}

bool AudioStream::Looping() const { return mVoice->looping.load(); }

uint64_t AudioStream::Position() const
{
    std::lock_guard lock(mCore->mutex);
    const StreamVoice& s = *mVoice;
    // A step of more than a frame may carry the mixer past the last frame.
    uint64_t f = s.baseFrame + (std::min(s.frame, s.written.load()) - s.baseAbs);
    if (s.length > 0 && f > uint64_t(s.length))
        f %= uint64_t(s.length);
    return f;
}

bool AudioStream::SetPosition(uint64_t frame)
{
    return Reposition([frame](AudioDecoder& decoder) {
        return decoder.Seek(frame) ? std::optional<uint64_t>(frame) : std::nullopt;
    });
}

bool AudioStream::SeekOrder(int order, int row)
{
    return Reposition([order, row](AudioDecoder& decoder) { return decoder.SeekOrder(order, row); });
}

bool AudioStream::Reposition(const std::function<std::optional<uint64_t>(AudioDecoder&)>& seek)
{
    {
        std::lock_guard decodeLock(mVoice->decodeMutex);
        const std::optional<uint64_t> frame = seek(*mVoice->decoder);
        if (!frame)
            return false;
        std::lock_guard lock(mCore->mutex);
        StreamVoice& s = *mVoice;
        const uint64_t w = s.written.load();
        s.frame = w;
        s.frac = 0;
        s.consumed = w;
        s.baseAbs = w;
        s.baseFrame = *frame;
        s.ended = false;
        s.justLooped = false;
        s.seamed = false;
        s.stalled = false;
    }
    MixerCore::DecodeAhead(*mVoice);
    return true;
}

namespace {

void SetStreamAttribute(MixerCore& core, StreamVoice& s, StreamAttribute attribute, double value)
{
    std::lock_guard lock(core.mutex);
    s.slides[int(attribute)].active = false;
    core.SetAttribute(s, attribute, value);
}

} // namespace

void AudioStream::SetVolume(double volume) { SetStreamAttribute(*mCore, *mVoice, StreamAttribute::Volume, volume); }
void AudioStream::SetPan(double pan) { SetStreamAttribute(*mCore, *mVoice, StreamAttribute::Pan, pan); }
void AudioStream::SetFrequency(double hz) { SetStreamAttribute(*mCore, *mVoice, StreamAttribute::Frequency, hz); }

double AudioStream::Volume() const
{
    std::lock_guard lock(mCore->mutex);
    return mVoice->volume;
}

double AudioStream::Pan() const
{
    std::lock_guard lock(mCore->mutex);
    return mVoice->pan;
}

double AudioStream::Frequency() const
{
    std::lock_guard lock(mCore->mutex);
    return mVoice->frequency > 0 ? mVoice->frequency : mVoice->rate;
}

void AudioStream::Slide(StreamAttribute attribute, double target, uint32_t ms)
{
    std::lock_guard lock(mCore->mutex);
    StreamVoice& s = *mVoice;
    ::Quib::Slide& slide = s.slides[int(attribute)];
    target = ClampAttribute(attribute, target);
    const uint64_t frames = (uint64_t(ms) * mCore->outputRate + 500) / 1000;
    if (frames == 0) {
        slide.active = false;
        mCore->SetAttribute(s, attribute, target);
        return;
    }
    const double now = attribute == StreamAttribute::Volume ? s.volume
        : attribute == StreamAttribute::Pan                 ? s.pan
        : s.frequency > 0                                   ? s.frequency
                                                            : s.rate;
    slide = {true, now, target, frames, 0};
}

bool AudioStream::IsSliding(StreamAttribute attribute) const
{
    std::lock_guard lock(mCore->mutex);
    return mVoice->slides[int(attribute)].active;
}

bool AudioStream::IsSliding() const
{
    std::lock_guard lock(mCore->mutex);
    const auto& sl = mVoice->slides;
    return sl[0].active || sl[1].active || sl[2].active;
}

// ---- AudioDevice

AudioDevice::AudioDevice(uint32_t outputRate) : mCore(std::make_shared<MixerCore>(outputRate)) {}

AudioDevice::~AudioDevice() = default;

uint32_t AudioDevice::OutputRate() const { return mCore->outputRate; }

std::shared_ptr<SoundBuffer> AudioDevice::CreateBuffer(const SoundFormat& format, size_t bytes)
{
    if (!format.IsValid() || bytes == 0 || bytes % format.BlockAlign() != 0 || bytes > kMaxBufferBytes) {
        OutputDebugString("Sound buffer refused: " + std::to_string(format.channels) + " channels, " +
            std::to_string(format.bitsPerSample) + " bits, " + std::to_string(format.sampleRate) + " Hz, " +
            std::to_string(bytes) + " bytes\n");
        return nullptr;
    }
    auto samples = std::make_shared<SoundBuffer::Samples>();
    samples->format = format;
    samples->bytes.assign(bytes, format.bitsPerSample == 8 ? 0x80 : 0);
    return std::shared_ptr<SoundBuffer>(new SoundBuffer(mCore, std::move(samples)));
}

std::unique_ptr<AudioStream> AudioDevice::CreateStream(std::unique_ptr<AudioDecoder> decoder)
{
    if (!decoder)
        return nullptr;
    const int channels = decoder->Channels(), rate = decoder->SampleRate();
    if ((channels != 1 && channels != 2) || rate < int(kFrequencyMin) || rate > int(kFormatRateMax)) {
        OutputDebugString("Stream refused: " + std::to_string(channels) + " channels, " + std::to_string(rate) +
            " Hz\n");
        return nullptr;
    }
    return std::unique_ptr<AudioStream>(new AudioStream(mCore, std::move(decoder)));
}

void AudioDevice::SetMasterVolume(double volume)
{
    std::lock_guard lock(mCore->mutex);
    mCore->master = std::clamp(volume, 0.0, 1.0);
}

double AudioDevice::MasterVolume() const
{
    std::lock_guard lock(mCore->mutex);
    return mCore->master;
}

void AudioDevice::Mix(int16_t* out, size_t frames) { mCore->Mix(out, frames, false); }
void AudioDevice::MixReference(int16_t* out, size_t frames) { mCore->Mix(out, frames, true); }

void AudioDevice::DecodeAhead()
{
    std::lock_guard decoding(mDecodeMutex);
    {
        std::lock_guard lock(mCore->mutex);
        mDecodeList.assign(mCore->streams.begin(), mCore->streams.end());
    }
    for (const auto& s : mDecodeList)
        MixerCore::DecodeAhead(*s);
    mDecodeList.clear(); // a stream released meanwhile goes now, not at the next pass
}

} // namespace Quib
