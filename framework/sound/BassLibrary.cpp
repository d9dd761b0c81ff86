// The music library's entry points over the audio device: every channel,
// stream or module music alike, is one AudioStream.
#include "framework/sound/BassInstance.h"
#include "framework/sound/SoundOutput.h"

#include "platform/MessageSink.h"

#include <algorithm>
#include <cstring>

namespace Quib {

namespace {

struct BassChannel {
    std::unique_ptr<AudioStream> stream;
    bool music = false;
    int volume = 100; // 0..100
};

class BassLibrary {
public:
    bool Init()
    {
        mDevice = SoundOutput::Device();
        if (!mDevice)
            OutputDebugString("Music: no audio output to play through\n");
        return mDevice != nullptr;
    }

    bool Free()
    {
        mChannels.clear();
        mDevice.reset();
        return true;
    }

    bool Stop()
    {
        for (auto& [handle, channel] : mChannels)
            channel.stream->Stop();
        return true;
    }

    bool SetGlobalVolumes(int music, int stream)
    {
        mMusicGain = std::clamp(music, 0, 100) / 100.0;
        mStreamGain = std::clamp(stream, 0, 100) / 100.0;
        ApplyAll();
        return true;
    }

    uint32_t SetConfig(uint32_t option, uint32_t value)
    {
        const double gain = std::min<uint32_t>(value, 10000) / 10000.0;
        if (option == kBassConfigStreamVolume)
            mStreamGain = gain;
        else if (option == kBassConfigMusicVolume)
            mMusicGain = gain;
        ApplyAll();
        return value;
    }

    BassChannel* Find(BassHandle handle)
    {
        const auto it = mChannels.find(handle);
        return it == mChannels.end() ? nullptr : &it->second;
    }

    bool SetAttributes(BassHandle handle, int frequency, int volume, int pan)
    {
        BassChannel* channel = Find(handle);
        if (!channel)
            return false;
        if (frequency != -1)
            channel->stream->SetFrequency(std::max(frequency, 0));
        if (volume != -1) {
            channel->volume = std::clamp(volume, 0, 100);
            Apply(*channel);
        }
        if (pan != -101)
            channel->stream->SetPan(std::clamp(pan, -100, 100) / 100.0);
        return true;
    }

    bool SetPosition(BassHandle handle, uint64_t position)
    {
        BassChannel* channel = Find(handle);
        if (!channel)
            return false;
        if (channel->music && (position >> 32) == 0xFFFFFFFFu && (position & 0x80000000u)) {
            // Order and row of a module. An order past the song's end (65535
            // when the player asks to play on) fails and the position stays.
            const int order = int(position & 0xFFFF), row = int(position >> 16) & 0x7FFF;
            return channel->stream->SeekOrder(order, row);
        }
        return channel->stream->SetPosition(position / (uint64_t(channel->stream->Channels()) * 2));
    }

    BassHandle Create(AudioBytes bytes, std::optional<AudioFileKind> kind, bool music, uint32_t flags)
    {
        if (!mDevice || !bytes)
            return 0;
        auto stream = mDevice->CreateStream(SoundOutput::OpenDecoder(kind, std::move(bytes)));
        if (!stream)
            return 0;
        stream->SetLooping(flags & kBassLoop);
        const BassHandle handle = mNext++;
        BassChannel& channel = mChannels[handle];
        channel.stream = std::move(stream);
        channel.music = music;
        Apply(channel);
        return handle;
    }

    // The bytes of a file given from memory, or the file itself.
    static AudioBytes Bytes(bool memory, const void* file, uint64_t offset, uint64_t length)
    {
        if (!file)
            return nullptr;
        if (!memory)
            return SoundOutput::ReadFile(static_cast<const char*>(file));
        if (length == 0 || length > SoundOutput::kMaxFileBytes)
            return nullptr;
        const auto* p = static_cast<const uint8_t*>(file) + offset;
        return std::make_shared<const std::vector<uint8_t>>(p, p + length);
    }

    bool Free(BassHandle handle, bool music)
    {
        BassChannel* channel = Find(handle);
        if (!channel || channel->music != music)
            return false;
        mChannels.erase(handle);
        return true;
    }

private:
    void Apply(BassChannel& channel)
    {
        channel.stream->SetVolume(channel.volume / 100.0 * (channel.music ? mMusicGain : mStreamGain));
    }
    void ApplyAll()
    {
        for (auto& [handle, channel] : mChannels)
            Apply(channel);
    }

    std::shared_ptr<AudioDevice> mDevice;
    std::map<BassHandle, BassChannel> mChannels;
    BassHandle mNext = 1;
    double mMusicGain = 1.0, mStreamGain = 1.0;
};

} // namespace

LibraryExports DefaultBassExports()
{
    auto lib = std::make_shared<BassLibrary>();
    LibraryExports e;
    AddExport<bool(int, uint32_t, uint32_t, void*, const void*)>(
        e, "BASS_Init", [lib](int, uint32_t, uint32_t, void*, const void*) { return lib->Init(); });
    AddExport<bool()>(e, "BASS_Free", [lib] { return lib->Free(); });
    AddExport<bool()>(e, "BASS_Stop", [lib] { return lib->Stop(); });
    AddExport<bool()>(e, "BASS_Start", [] { return true; });
    AddExport<bool(int, int, int)>(
        e, "BASS_SetGlobalVolumes", [lib](int music, int, int stream) { return lib->SetGlobalVolumes(music, stream); });
    AddExport<uint32_t(uint32_t, uint32_t)>(
        e, "BASS_SetConfig", [lib](uint32_t option, uint32_t value) { return lib->SetConfig(option, value); });
    AddExport<bool(BassHandle)>(e, "BASS_ChannelStop", [lib](BassHandle h) {
        BassChannel* c = lib->Find(h);
        return c && (c->stream->Stop(), true);
    });
    AddExport<bool(BassHandle, bool)>(e, "BASS_ChannelPlay", [lib](BassHandle h, bool restart) {
        BassChannel* c = lib->Find(h);
        return c && (c->stream->Play(restart), true);
    });
    AddExport<bool(BassHandle)>(e, "BASS_ChannelPause", [lib](BassHandle h) {
        BassChannel* c = lib->Find(h);
        return c && (c->stream->Pause(), true);
    });
    AddExport<bool(BassHandle, int, int, int)>(e, "BASS_ChannelSetAttributes",
        [lib](BassHandle h, int frequency, int volume, int pan) { return lib->SetAttributes(h, frequency, volume, pan); });
    AddExport<bool(BassHandle, uint64_t)>(
        e, "BASS_ChannelSetPosition", [lib](BassHandle h, uint64_t position) { return lib->SetPosition(h, position); });
    AddExport<bool(BassHandle, uint32_t)>(e, "BASS_ChannelSetFlags", [lib](BassHandle h, uint32_t flags) {
        BassChannel* c = lib->Find(h);
        return c && (c->stream->SetLooping(flags & kBassLoop), true);
    });
    AddExport<uint32_t(BassHandle)>(e, "BASS_ChannelIsActive", [lib](BassHandle h) {
        BassChannel* c = lib->Find(h);
        return c ? uint32_t(c->stream->Activity()) : kBassStopped;
    });
    AddExport<BassHandle(bool, const void*, uint32_t, uint32_t, uint32_t, uint32_t)>(e, "BASS_MusicLoad",
        [lib](bool memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags, uint32_t) {
            return lib->Create(BassLibrary::Bytes(memory, file, offset, length), AudioFileKind::Module, true, flags);
        });
    AddExport<bool(BassHandle)>(e, "BASS_MusicFree", [lib](BassHandle h) { return lib->Free(h, true); });
    // Amplification is not modelled by the mixer: accepted for a music.
    AddExport<bool(BassHandle, uint32_t, uint32_t)>(e, "BASS_MusicSetAttribute", [lib](BassHandle h, uint32_t, uint32_t) {
        const BassChannel* c = lib->Find(h);
        return c && c->music;
    });
    AddExport<BassHandle(bool, const void*, uint64_t, uint64_t, uint32_t)>(e, "BASS_StreamCreateFile",
        [lib](bool memory, const void* file, uint64_t offset, uint64_t length, uint32_t flags) {
            return lib->Create(BassLibrary::Bytes(memory, file, offset, length), std::nullopt, false, flags);
        });
    AddExport<bool(BassHandle)>(e, "BASS_StreamFree", [lib](BassHandle h) { return lib->Free(h, false); });
    return e;
}

} // namespace Quib
