// The FMOD entry points over the audio device: samples are static buffers,
// a channel plays a duplicate of one, module songs are streams.
#include "framework/sound/FmodInstance.h"
#include "framework/sound/MusicCache.h"
#include "framework/sound/SoundOutput.h"

#include "platform/MessageSink.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

namespace Quib {

struct FmodSample {
    std::shared_ptr<SoundBuffer> buffer;
    uint32_t mode = 0;
    int frequency = 0;
    int volume = 255, pan = 128, priority = 0;
    uint32_t frames = 0;
};

struct FmodSong {
    std::unique_ptr<AudioStream> stream;
};

namespace {

// Hundredths of a decibel for a linear 0..100 level.
int LevelToVolume(int level)
{
    if (level <= 0)
        return kVolumeSilent;
    if (level >= 100)
        return kVolumeFull;
    return std::max(kVolumeSilent, int(std::lround(2000.0 * std::log10(level / 100.0))));
}

uint32_t ModeOf(const SoundFormat& format, uint32_t loopMode)
{
    return (format.bitsPerSample == 8 ? kFmod8Bits : kFmod16Bits) |
        (format.channels == 1 ? kFmodMono : kFmodStereo) | loopMode;
}

struct FmodChannel {
    std::shared_ptr<SoundBuffer> buffer;
    bool looping = false;
    bool paused = false;
};

class FmodLibrary {
public:
    bool Init()
    {
        mDevice = SoundOutput::Device();
        if (!mDevice)
            OutputDebugString("Sound: no audio output to play through\n");
        return mDevice != nullptr;
    }

    void Close()
    {
        mChannels.clear();
        mSamples.clear();
        mSongs.clear();
        mDevice.reset();
    }

    FmodSample* Load(const char* name)
    {
        if (!mDevice || !name)
            return nullptr;
        AudioBytes bytes = SoundOutput::ReadFile(name);
        if (!bytes)
            return nullptr;
        if (const auto wav = MusicCache::Parse(bytes)) {
            const SoundFormat format{wav->channels, wav->bitsPerSample, wav->sampleRate};
            return Add(format, wav->bytes->data() + wav->dataOffset, wav->dataSize);
        }
        std::unique_ptr<AudioDecoder> decoder = SoundOutput::OpenDecoder(std::nullopt, std::move(bytes));
        if (!decoder)
            return nullptr;
        const SoundFormat format{decoder->Channels(), 16, uint32_t(decoder->SampleRate())};
        if (!format.IsValid())
            return nullptr;
        std::vector<int16_t> pcm;
        const size_t maxSamples = SoundOutput::kMaxFileBytes / 2;
        const size_t chunk = 4096;
        while (pcm.size() < maxSamples) {
            const size_t at = pcm.size();
            pcm.resize(at + chunk * size_t(format.channels));
            const size_t got = decoder->Read(pcm.data() + at, chunk);
            pcm.resize(at + got * size_t(format.channels));
            if (got == 0)
                break;
        }
        if (pcm.empty())
            return nullptr;
        return Add(format, reinterpret_cast<const uint8_t*>(pcm.data()), pcm.size() * 2);
    }

    FmodSample* Alloc(int length, uint32_t mode, int frequency, int volume, int pan, int priority)
    {
        if (!mDevice || length <= 0 || frequency <= 0)
            return nullptr;
        const SoundFormat format{mode & kFmodMono ? 1 : 2, mode & kFmod8Bits ? 8 : 16, uint32_t(frequency)};
        FmodSample* sample = Add(format, nullptr, size_t(length) * size_t(format.BlockAlign()));
        if (sample) {
            sample->mode = ModeOf(format, mode & (kFmodLoopOff | kFmodLoopNormal));
            sample->volume = volume;
            sample->pan = pan;
            sample->priority = priority;
        }
        return sample;
    }

    void Free(FmodSample* sample)
    {
        std::erase_if(mSamples, [&](const auto& s) { return s.get() == sample; });
    }
    bool Has(const FmodSample* sample) const
    {
        return sample && std::any_of(mSamples.begin(), mSamples.end(), [&](const auto& s) { return s.get() == sample; });
    }

    int Play(int channel, FmodSample* sample)
    {
        if (!Has(sample))
            return -1;
        if (channel < 0) {
            channel = 0;
            while (mChannels.count(channel))
                ++channel;
        }
        FmodChannel& c = mChannels[channel];
        if (c.buffer)
            c.buffer->Stop();
        c.buffer = sample->buffer->Duplicate();
        if (!c.buffer) {
            mChannels.erase(channel);
            return -1;
        }
        c.looping = sample->mode & kFmodLoopNormal;
        c.paused = false;
        c.buffer->Play(c.looping);
        return channel;
    }

    FmodChannel* Channel(int channel)
    {
        const auto it = mChannels.find(channel);
        return it == mChannels.end() ? nullptr : &it->second;
    }

    bool Stop(int channel)
    {
        FmodChannel* c = Channel(channel);
        if (!c)
            return false;
        c->buffer->Stop();
        mChannels.erase(channel);
        return true;
    }

    bool SetPaused(int channel, bool paused)
    {
        FmodChannel* c = Channel(channel);
        if (!c)
            return false;
        if (paused && !c->paused)
            c->buffer->Stop();
        else if (!paused && c->paused)
            c->buffer->Play(c->looping);
        c->paused = paused;
        return true;
    }

    bool SetLoopMode(int channel, uint32_t mode)
    {
        FmodChannel* c = Channel(channel);
        if (!c)
            return false;
        c->looping = mode & kFmodLoopNormal;
        if (c->buffer->Status() & kSoundPlaying)
            c->buffer->Play(c->looping);
        return true;
    }

    FmodSong* LoadSong(const char* name)
    {
        if (!mDevice || !name)
            return nullptr;
        auto stream = mDevice->CreateStream(SoundOutput::OpenDecoder(AudioFileKind::Module, SoundOutput::ReadFile(name)));
        if (!stream)
            return nullptr;
        auto song = std::make_unique<FmodSong>();
        song->stream = std::move(stream);
        return mSongs.insert(std::move(song)).first->get();
    }

    FmodSong* Song(FmodSong* song)
    {
        for (const auto& s : mSongs)
            if (s.get() == song)
                return song;
        return nullptr;
    }

    bool FreeSong(FmodSong* song)
    {
        return std::erase_if(mSongs, [&](const auto& s) { return s.get() == song; }) != 0;
    }

private:
    FmodSample* Add(const SoundFormat& format, const uint8_t* data, size_t bytes)
    {
        auto buffer = mDevice->CreateBuffer(format, bytes);
        if (!buffer)
            return nullptr;
        if (data) {
            size_t locked = 0;
            uint8_t* p = buffer->Lock(0, bytes, &locked);
            if (!p)
                return nullptr;
            std::memcpy(p, data, locked);
            buffer->Unlock();
        }
        auto sample = std::make_unique<FmodSample>();
        sample->buffer = std::move(buffer);
        sample->mode = ModeOf(format, kFmodLoopOff);
        sample->frequency = int(format.sampleRate);
        sample->frames = uint32_t(bytes / size_t(format.BlockAlign()));
        mSamples.push_back(std::move(sample));
        return mSamples.back().get();
    }

    std::shared_ptr<AudioDevice> mDevice;
    std::vector<std::unique_ptr<FmodSample>> mSamples;
    std::set<std::unique_ptr<FmodSong>> mSongs;
    std::map<int, FmodChannel> mChannels;
};

} // namespace

LibraryExports DefaultFmodExports()
{
    auto lib = std::make_shared<FmodLibrary>();
    LibraryExports e;
    AddExport<bool(int)>(e, "_FSOUND_SetBufferSize@4", [](int) { return true; });
    AddExport<bool(void*)>(e, "_FSOUND_SetHWND@4", [](void*) { return true; });
    AddExport<bool(int, int, uint32_t)>(e, "_FSOUND_Init@12", [lib](int, int, uint32_t) { return lib->Init(); });
    AddExport<void()>(e, "_FSOUND_Close@0", [lib] { lib->Close(); });
    AddExport<FmodSample*(int, const char*, uint32_t, int)>(
        e, "_FSOUND_Sample_Load@16", [lib](int, const char* name, uint32_t, int) { return lib->Load(name); });
    AddExport<FmodSample*(int, int, uint32_t, int, int, int, int)>(e, "_FSOUND_Sample_Alloc@28",
        [lib](int, int length, uint32_t mode, int frequency, int volume, int pan, int priority) {
            return lib->Alloc(length, mode, frequency, volume, pan, priority);
        });
    AddExport<void(FmodSample*)>(e, "_FSOUND_Sample_Free@4", [lib](FmodSample* s) { lib->Free(s); });
    AddExport<bool(FmodSample*, int, int, void**, void**, uint32_t*, uint32_t*)>(e, "_FSOUND_Sample_Lock@28",
        [lib](FmodSample* s, int offset, int length, void** first, void** second, uint32_t* firstLength,
            uint32_t* secondLength) {
            if (!lib->Has(s) || offset < 0 || length <= 0)
                return false;
            size_t locked = 0;
            uint8_t* p = s->buffer->Lock(size_t(offset), size_t(length), &locked);
            if (!p)
                return false;
            if (first)
                *first = p;
            if (firstLength)
                *firstLength = uint32_t(locked);
            if (second)
                *second = nullptr;
            if (secondLength)
                *secondLength = 0;
            return true;
        });
    AddExport<bool(FmodSample*, void*, void*, uint32_t, uint32_t)>(e, "_FSOUND_Sample_Unlock@20",
        [lib](FmodSample* s, void*, void*, uint32_t, uint32_t) { return lib->Has(s) && s->buffer->Unlock(); });
    AddExport<bool(FmodSample*, int, int)>(e, "_FSOUND_Sample_SetLoopPoints@12", [lib](FmodSample* s, int start, int end) {
        return lib->Has(s) && start >= 0 && end >= start && s->buffer->SetLoopPoints(uint32_t(start), uint32_t(end) + 1);
    });
    AddExport<uint32_t(FmodSample*)>(
        e, "_FSOUND_Sample_GetLength@4", [lib](FmodSample* s) { return lib->Has(s) ? s->frames : 0u; });
    AddExport<bool(FmodSample*, int*, int*, int*, int*)>(e, "_FSOUND_Sample_GetDefaults@20",
        [lib](FmodSample* s, int* frequency, int* volume, int* pan, int* priority) {
            if (!lib->Has(s))
                return false;
            if (frequency)
                *frequency = s->frequency;
            if (volume)
                *volume = s->volume;
            if (pan)
                *pan = s->pan;
            if (priority)
                *priority = s->priority;
            return true;
        });
    AddExport<uint32_t(FmodSample*)>(e, "_FSOUND_Sample_GetMode@4", [lib](FmodSample* s) { return lib->Has(s) ? s->mode : 0u; });
    AddExport<int(int, FmodSample*)>(e, "_FSOUND_PlaySound@8", [lib](int channel, FmodSample* s) { return lib->Play(channel, s); });
    AddExport<bool(int)>(e, "_FSOUND_StopSound@4", [lib](int channel) { return lib->Stop(channel); });
    AddExport<bool(int, int)>(e, "_FSOUND_SetVolume@8", [lib](int channel, int volume) {
        FmodChannel* c = lib->Channel(channel);
        return c && c->buffer->SetVolume(LevelToVolume(volume));
    });
    AddExport<bool(int, bool)>(e, "_FSOUND_SetPaused@8", [lib](int channel, bool paused) { return lib->SetPaused(channel, paused); });
    AddExport<bool(int, uint32_t)>(e, "_FSOUND_SetLoopMode@8", [lib](int channel, uint32_t mode) { return lib->SetLoopMode(channel, mode); });
    AddExport<bool(int)>(e, "_FSOUND_IsPlaying@4", [lib](int channel) {
        FmodChannel* c = lib->Channel(channel);
        return c && (c->paused || (c->buffer->Status() & kSoundPlaying));
    });
    AddExport<FmodSong*(const char*)>(e, "_FMUSIC_LoadSong@4", [lib](const char* name) { return lib->LoadSong(name); });
    AddExport<bool(FmodSong*)>(e, "_FMUSIC_FreeSong@4", [lib](FmodSong* song) { return lib->FreeSong(song); });
    AddExport<bool(FmodSong*)>(e, "_FMUSIC_PlaySong@4", [lib](FmodSong* song) {
        return lib->Song(song) && (song->stream->Play(true), true);
    });
    AddExport<bool(FmodSong*)>(e, "_FMUSIC_StopSong@4", [lib](FmodSong* song) {
        return lib->Song(song) && (song->stream->Stop(), true);
    });
    AddExport<bool(FmodSong*, int)>(e, "_FMUSIC_SetLooping@8", [lib](FmodSong* song, int looping) {
        return lib->Song(song) && (song->stream->SetLooping(looping == 2), true);
    });
    AddExport<bool(FmodSong*, int)>(e, "_FMUSIC_SetOrder@8", [lib](FmodSong* song, int order) {
        return lib->Song(song) && song->stream->SeekOrder(order, 0);
    });
    AddExport<bool(FmodSong*, bool)>(e, "_FMUSIC_SetPaused@8", [lib](FmodSong* song, bool paused) {
        if (!lib->Song(song))
            return false;
        paused ? song->stream->Pause() : song->stream->Resume();
        return true;
    });
    AddExport<bool(FmodSong*, int)>(e, "_FMUSIC_SetMasterVolume@8", [lib](FmodSong* song, int volume) {
        return lib->Song(song) && (song->stream->SetVolume(std::clamp(volume, 0, 100) / 100.0), true);
    });
    AddExport<bool(FmodSong*)>(e, "_FMUSIC_IsPlaying@4", [lib](FmodSong* song) {
        if (!lib->Song(song))
            return false;
        const StreamActivity a = song->stream->Activity();
        return a == StreamActivity::Playing || a == StreamActivity::Stalled;
    });
    return e;
}

} // namespace Quib
