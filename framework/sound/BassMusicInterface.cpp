#include "framework/sound/BassMusicInterface.h"

#include "framework/files/PakInterface.h"
#include "framework/sound/SoundFileSupport.h"
#include "framework/sound/SoundOutput.h"
#include "platform/MessageSink.h"

#include <cmath>
#include <cstdio>

namespace Quib {

namespace {

std::string LowerExtension(const std::string& name)
{
    const size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return ext;
}

// The whole of an open file; empty when it cannot be read.
std::shared_ptr<std::vector<uint8_t>> ReadOpenFile(PakFile* file)
{
    auto block = std::make_shared<std::vector<uint8_t>>();
    if (PakFSeek(file, 0, SEEK_END) != 0)
        return block;
    const int32_t size = PakFTell(file);
    if (size <= 0 || size_t(size) > SoundOutput::kMaxFileBytes || PakFSeek(file, 0, SEEK_SET) != 0)
        return block;
    block->resize(size_t(size));
    if (PakFRead(block->data(), 1, block->size(), file) != block->size())
        block->clear();
    return block;
}

// Position of a module at an order, row 0.
uint64_t OrderPosition(int order) { return 0xFFFFFFFF00000000ull | 0x80000000u | (uint32_t(order) & 0xFFFF); }

} // namespace

BassMusicInterface::BassMusicInterface(void* window)
{
    mBass = LoadBassLibrary();
    if (!mBass)
        return;
    // Starting the library leaves the output volume as it was.
    const std::shared_ptr<AudioDevice> device = SoundOutput::Device();
    const double outputVolume = device ? device->MasterVolume() : 1.0;
    if (mBass->newer) {
        mBass->BASS_Init(1, 44100, 0, window, nullptr);
        mBass->BASS_SetConfig(kBassConfigBuffer, 2000);
    } else {
        mBass->BASS_InitOld(-1, 44100, 0, window);
    }
    if (device)
        device->SetMasterVolume(outputVolume);
    mBass->BASS_Start();
    mVolumeScale = 40;
    mModLoadFlags = mBass->newer ? 0x204 : 4;
}

BassMusicInterface::~BassMusicInterface()
{
    if (mBass) {
        mBass->BASS_Stop();
        mBass->BASS_Free();
    }
    ReleaseBassLibrary();
}

MusicEntry* BassMusicInterface::Find(int songId)
{
    const auto it = mSongs.find(songId);
    return it == mSongs.end() ? nullptr : &it->second;
}

const MusicEntry* BassMusicInterface::FindSong(int songId) const
{
    const auto it = mSongs.find(songId);
    return it == mSongs.end() ? nullptr : &it->second;
}

void BassMusicInterface::ApplyVolume(const MusicEntry& entry)
{
    mBass->BASS_ChannelSetAttributes(entry.Channel(), -1, int(entry.volume * 100), -101);
}

void BassMusicInterface::FreeHandles(const MusicEntry& entry)
{
    if (entry.stream) {
        mBass->BASS_StreamFree(entry.stream);
        // The stream's bytes go with it.
        std::erase_if(mPakStreamCopies, [&](const auto& copy) { return copy.second == entry.stream; });
    } else if (entry.music) {
        mBass->BASS_MusicFree(entry.music);
    }
}

bool BassMusicInterface::LoadMusic(int songId, const std::string& fileName)
{
    if (!mBass)
        return false;
    const std::string ext = LowerExtension(fileName);
    MusicEntry entry;
    PakFile* file = PakFOpen(fileName);
    if (!file)
        return false;
    if (ext == "wav" || ext == "ogg" || ext == "mp3") {
        if (ext == "ogg") {
            // A track cut short still plays, as far as it goes.
            const std::string damage = OggStreamDamage(file);
            if (!damage.empty())
                OutputDebugString("Music " + fileName + ": " + damage + "; it plays as far as it goes\n");
        }
        if (file->mEntry) {
            auto block = ReadOpenFile(file);
            if (!block->empty()) {
                entry.stream = mBass->BASS_StreamCreateFile(true, block->data(), 0, block->size(), 0);
                mPakStreamCopies.emplace_back(block, entry.stream);
            }
        } else {
            entry.stream = mBass->BASS_StreamCreateFile(false, fileName.c_str(), 0, 0, 0);
        }
        PakFClose(file);
    } else {
        auto block = ReadOpenFile(file);
        PakFClose(file);
        if (!block->empty()) {
            const uint32_t size = uint32_t(block->size());
            entry.music = mBass->newer ? mBass->BASS_MusicLoad(true, block->data(), 0, size, mModLoadFlags, 0)
                                       : mBass->BASS_MusicLoadOld(true, block->data(), 0, size, mModLoadFlags);
        }
    }
    if (!entry.stream && !entry.music) {
        std::erase_if(mPakStreamCopies, [](const auto& copy) { return copy.second == 0; });
        return false;
    }
    // An id that is loaded already keeps its song; the new handle is freed.
    if (!mSongs.emplace(songId, entry).second)
        FreeHandles(entry);
    return true;
}

void BassMusicInterface::StartChannel(MusicEntry& entry, int offset, uint32_t musicFlags, bool noLoop)
{
    const uint32_t loopFlags = noLoop ? 0 : kBassLoop;
    if (entry.music) {
        mBass->BASS_ChannelStop(entry.music);
        mBass->BASS_ChannelSetPosition(entry.music, OrderPosition(offset));
        mBass->BASS_ChannelSetFlags(entry.music, loopFlags | (mBass->newer ? musicFlags : 0));
        mBass->BASS_ChannelPlay(entry.music, false);
    } else {
        mBass->BASS_ChannelSetFlags(entry.stream, loopFlags);
        mBass->BASS_ChannelPlay(entry.stream, offset != -1);
        if (offset >= 1)
            mBass->BASS_ChannelSetPosition(entry.stream, uint64_t(offset));
    }
}

void BassMusicInterface::PlayMusic(int songId, int offset, bool noLoop)
{
    MusicEntry* entry = Find(songId);
    if (!entry)
        return;
    entry->volume = entry->maxVolume;
    entry->stopWhenFaded = noLoop;
    entry->fadeDelta = 0;
    ApplyVolume(*entry);
    mBass->BASS_ChannelStop(entry->Channel());
    StartChannel(*entry, offset, kBassMusicSurround | kBassMusicRamp, noLoop);
}

void BassMusicInterface::StopMusic(int songId)
{
    MusicEntry* entry = Find(songId);
    if (!entry)
        return;
    entry->volume = 0;
    entry->fadeTarget = -1;
    mBass->BASS_ChannelStop(entry->Channel());
}

void BassMusicInterface::PauseMusic(int songId)
{
    if (MusicEntry* entry = Find(songId))
        mBass->BASS_ChannelPause(entry->Channel());
}

void BassMusicInterface::ResumeMusic(int songId)
{
    if (MusicEntry* entry = Find(songId))
        mBass->BASS_ChannelPlay(entry->Channel(), false);
}

void BassMusicInterface::StopAllMusic()
{
    for (auto& [id, entry] : mSongs)
        StopMusic(id);
}

void BassMusicInterface::UnloadMusic(int songId)
{
    MusicEntry* entry = Find(songId);
    if (!entry)
        return;
    StopMusic(songId);
    FreeHandles(*entry);
    mSongs.erase(songId);
}

void BassMusicInterface::UnloadAllMusic()
{
    StopAllMusic();
    for (auto& [id, entry] : mSongs)
        FreeHandles(entry);
    mSongs.clear();
}

void BassMusicInterface::PauseAllMusic()
{
    for (auto& [id, entry] : mSongs)
        if (mBass->BASS_ChannelIsActive(entry.Channel()) == kBassPlaying)
            mBass->BASS_ChannelPause(entry.Channel());
}

void BassMusicInterface::ResumeAllMusic()
{
    for (auto& [id, entry] : mSongs)
        if (mBass->BASS_ChannelIsActive(entry.Channel()) == kBassPaused)
            mBass->BASS_ChannelPlay(entry.Channel(), false);
}

void BassMusicInterface::FadeMusicTo(int songId, double target, double speed)
{
    MusicEntry* entry = Find(songId);
    if (!entry || target == entry->volume)
        return;
    entry->fadeDelta = target < entry->volume ? -speed : speed;
    entry->fadeTarget = target;
}

void BassMusicInterface::FadeIn(int songId, int offset, double speed, bool noLoop)
{
    MusicEntry* entry = Find(songId);
    if (!entry)
        return;
    entry->fadeDelta = speed;
    entry->stopWhenFaded = noLoop;
    mBass->BASS_ChannelStop(entry->Channel());
    ApplyVolume(*entry);
    if (entry->music && offset == -1)
        mBass->BASS_ChannelPlay(entry->music, true);
    else
        StartChannel(*entry, offset, kBassMusicRamp, noLoop);
}

void BassMusicInterface::FadeOut(int songId, bool stopWhenFaded, double speed)
{
    MusicEntry* entry = Find(songId);
    if (!entry)
        return;
    if (entry->volume != 0) {
        entry->fadeTarget = -1;
        entry->fadeDelta = -speed;
    }
    entry->stopWhenFaded = stopWhenFaded;
}

void BassMusicInterface::FadeOutAll(bool stopWhenFaded, double speed)
{
    for (auto& [id, entry] : mSongs) {
        entry.fadeDelta = -speed;
        entry.stopWhenFaded = stopWhenFaded;
        entry.fadeTarget = -1;
    }
}

void BassMusicInterface::SetSongVolume(int songId, double volume)
{
    if (MusicEntry* entry = Find(songId)) {
        entry->volume = volume;
        ApplyVolume(*entry);
    }
}

void BassMusicInterface::SetSongMaxVolume(int songId, double volume)
{
    if (MusicEntry* entry = Find(songId)) {
        entry->maxVolume = volume;
        entry->volume = std::min(entry->volume, volume);
        ApplyVolume(*entry);
    }
}

bool BassMusicInterface::IsPlaying(int songId)
{
    MusicEntry* entry = Find(songId);
    return entry && mBass->BASS_ChannelIsActive(entry->Channel()) == kBassPlaying;
}

void BassMusicInterface::SetVolume(double volume)
{
    if (!mBass)
        return;
    if (mBass->newer) {
        const uint32_t level = uint32_t(std::max(0.0, volume * 100));
        mBass->BASS_SetConfig(kBassConfigMusicVolume, level);
        mBass->BASS_SetConfig(kBassConfigStreamVolume, level);
    } else if (mBass->BASS_SetGlobalVolumes) {
        const int level = int(mVolumeScale * volume);
        mBass->BASS_SetGlobalVolumes(level, level, level);
    }
}

void BassMusicInterface::SetMusicAmplify(int songId, double amplify)
{
    if (MusicEntry* entry = Find(songId))
        mBass->BASS_MusicSetAttribute(entry->Channel(), kBassMusicAmplify, uint32_t(std::max(0.0, amplify * 100)));
}

void BassMusicInterface::Update()
{
    for (auto& [id, entry] : mSongs) {
        if (entry.fadeDelta == 0)
            continue;
        const double before = entry.volume;
        entry.volume += entry.fadeDelta;
        if (entry.fadeTarget >= 0) {
            // The fade ends on the step that reaches or crosses the target,
            // and ends exactly there.
            const double was = before - entry.fadeTarget, now = entry.volume - entry.fadeTarget;
            if (std::abs(now) < 1e-9 || (was < 0) != (now < 0)) {
                entry.volume = entry.fadeTarget;
                entry.fadeTarget = -1;
                entry.fadeDelta = 0;
            }
        } else if (entry.volume > entry.maxVolume) {
            entry.volume = entry.maxVolume;
            entry.fadeDelta = 0;
        } else if (entry.volume < 0) {
            entry.volume = 0;
            entry.fadeDelta = 0;
            if (entry.stopWhenFaded)
                mBass->BASS_ChannelStop(entry.Channel());
        }
        ApplyVolume(entry);
    }
}

} // namespace Quib
