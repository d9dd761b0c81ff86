#include "framework/sound/FModMusicInterface.h"

#include "framework/files/PathUtils.h"
#include "framework/sound/MusicCache.h"
#include "platform/MessageSink.h"

#include <cstring>

namespace Quib {

namespace {

struct SampleFormat {
    int channels;
    int bits;
    int BlockAlign() const { return channels * bits / 8; }
};

SampleFormat FormatOf(uint32_t mode) { return {mode & kFmodMono ? 1 : 2, mode & kFmod8Bits ? 8 : 16}; }

} // namespace

FModMusicInterface::FModMusicInterface() : mFmod(LoadFmodLibrary()) {}

FModMusicInterface::~FModMusicInterface()
{
    // Songs are freed with the player.
    if (mFmod)
        UnloadAllMusic();
    ReleaseFmodLibrary();
}

FModMusicEntry* FModMusicInterface::Find(int songId)
{
    const auto it = mSongs.find(songId);
    return it == mSongs.end() ? nullptr : &it->second;
}

const FModMusicEntry* FModMusicInterface::FindSong(int songId) const
{
    const auto it = mSongs.find(songId);
    return it == mSongs.end() ? nullptr : &it->second;
}

void FModMusicInterface::ApplyVolume(int songId, const FModMusicEntry& entry)
{
    if (entry.song)
        mFmod->FMUSIC_SetMasterVolume(entry.song, int(mMasterVolume * entry.volume * mModuleVolumeScale));
    else
        mFmod->FSOUND_SetVolume(songId, int(mMasterVolume * entry.volume * mSampleVolumeScale));
}

void FModMusicInterface::Free(const FModMusicEntry& entry)
{
    if (entry.song)
        mFmod->FMUSIC_FreeSong(entry.song);
    else if (entry.sample)
        mFmod->FSOUND_Sample_Free(entry.sample);
}

bool FModMusicInterface::LoadMusic(int songId, const std::string& fileName)
{
    if (!mFmod)
        return false;
    FModMusicEntry entry;
    entry.song = mFmod->FMUSIC_LoadSong(fileName.c_str());
    if (!entry.song)
        return false;
    // An id that is loaded already keeps its song; the new one is freed.
    if (!mSongs.emplace(songId, entry).second)
        Free(entry);
    return true;
}

void FModMusicInterface::StartSample(int songId, const FModMusicEntry& entry)
{
    mFmod->FSOUND_PlaySound(songId, entry.sample);
    mFmod->FSOUND_SetLoopMode(songId, entry.loop ? kFmodLoopNormal : kFmodLoopOff);
}

void FModMusicInterface::PlayMusic(int songId, int offset, bool noLoop)
{
    FModMusicEntry* entry = Find(songId);
    if (!entry)
        return;
    entry->volume = entry->maxVolume;
    entry->fadeDelta = 0;
    if (entry->song) {
        ApplyVolume(songId, *entry);
        mFmod->FMUSIC_SetLooping(entry->song, noLoop ? 1 : 2);
        mFmod->FMUSIC_PlaySong(entry->song);
        mFmod->FMUSIC_SetOrder(entry->song, offset);
    } else {
        StartSample(songId, *entry);
        ApplyVolume(songId, *entry);
    }
}

void FModMusicInterface::StopMusic(int songId)
{
    FModMusicEntry* entry = Find(songId);
    if (!entry)
        return;
    entry->volume = 0;
    if (entry->song)
        mFmod->FMUSIC_StopSong(entry->song);
    else
        mFmod->FSOUND_StopSound(songId);
}

void FModMusicInterface::PauseMusic(int songId)
{
    FModMusicEntry* entry = Find(songId);
    if (entry && entry->song)
        mFmod->FMUSIC_SetPaused(entry->song, true);
    else if (entry)
        mFmod->FSOUND_SetPaused(songId, true);
}

void FModMusicInterface::ResumeMusic(int songId)
{
    FModMusicEntry* entry = Find(songId);
    if (entry && entry->song)
        mFmod->FMUSIC_SetPaused(entry->song, false);
    else if (entry)
        mFmod->FSOUND_SetPaused(songId, false);
}

void FModMusicInterface::StopAllMusic()
{
    for (auto& [id, entry] : mSongs)
        StopMusic(id);
}

void FModMusicInterface::UnloadMusic(int songId)
{
    FModMusicEntry* entry = Find(songId);
    if (!entry)
        return;
    StopMusic(songId);
    Free(*entry);
    mSongs.erase(songId);
}

void FModMusicInterface::UnloadAllMusic()
{
    StopAllMusic();
    for (auto& [id, entry] : mSongs)
        Free(entry);
    mSongs.clear();
}

void FModMusicInterface::FadeIn(int songId, int offset, double speed, bool noLoop)
{
    FModMusicEntry* entry = Find(songId);
    if (!entry)
        return;
    entry->fadeDelta = speed;
    if (entry->song) {
        ApplyVolume(songId, *entry);
        mFmod->FMUSIC_SetLooping(entry->song, noLoop ? 1 : 2);
        if (!mFmod->FMUSIC_IsPlaying(entry->song))
            mFmod->FMUSIC_PlaySong(entry->song);
        if (offset != -1)
            mFmod->FMUSIC_SetOrder(entry->song, offset);
    } else {
        if (!mFmod->FSOUND_IsPlaying(songId))
            StartSample(songId, *entry);
        ApplyVolume(songId, *entry);
    }
}

void FModMusicInterface::FadeOut(int songId, bool stopWhenFaded, double speed)
{
    if (FModMusicEntry* entry = Find(songId)) {
        entry->fadeDelta = -speed;
        entry->stopWhenFaded = stopWhenFaded;
    }
}

void FModMusicInterface::FadeOutAll(bool stopWhenFaded, double speed)
{
    for (auto& [id, entry] : mSongs) {
        entry.fadeDelta = -speed;
        entry.stopWhenFaded = stopWhenFaded;
    }
}

void FModMusicInterface::SetSongVolume(int songId, double volume)
{
    if (FModMusicEntry* entry = Find(songId)) {
        entry->volume = volume;
        ApplyVolume(songId, *entry);
    }
}

bool FModMusicInterface::IsPlaying(int songId)
{
    FModMusicEntry* entry = Find(songId);
    if (!entry)
        return false;
    return entry->song ? mFmod->FMUSIC_IsPlaying(entry->song) : mFmod->FSOUND_IsPlaying(songId);
}

void FModMusicInterface::SetVolume(double volume)
{
    mMasterVolume = volume;
    for (auto& [id, entry] : mSongs)
        ApplyVolume(id, entry);
}

void FModMusicInterface::Update()
{
    for (auto& [id, entry] : mSongs) {
        if (entry.fadeDelta == 0)
            continue;
        entry.volume += entry.fadeDelta;
        if (entry.volume > entry.maxVolume) {
            entry.volume = entry.maxVolume;
            entry.fadeDelta = 0;
        } else if (entry.volume < 0) {
            entry.volume = 0;
            entry.fadeDelta = 0;
            if (entry.stopWhenFaded && entry.song)
                mFmod->FMUSIC_StopSong(entry.song);
            else if (entry.stopWhenFaded)
                mFmod->FSOUND_StopSound(id);
        }
        ApplyVolume(id, entry);
    }
}

FmodSample* FModMusicInterface::LoadCachedMusicSample(const std::string& name)
{
    if (!mFmod)
        return nullptr;
    const std::string cachePath = MusicCache::PathFor(name);
    if (!cachePath.empty()) {
        MkdirTree(GetDirectoryPart(cachePath));
        if (FmodSample* cached = mFmod->FSOUND_Sample_Load(kFmodFree, cachePath.c_str(), 0, 0))
            return cached;
    }
    const std::string oggName = name + ".ogg";
    FmodSample* sample = mFmod->FSOUND_Sample_Load(kFmodFree, oggName.c_str(), 0, 0);
    if (!sample || cachePath.empty())
        return sample;
    const SampleFormat format = FormatOf(mFmod->FSOUND_Sample_GetMode(sample));
    int frequency = 0;
    mFmod->FSOUND_Sample_GetDefaults(sample, &frequency, nullptr, nullptr, nullptr);
    const uint64_t dataSize = uint64_t(mFmod->FSOUND_Sample_GetLength(sample)) * uint64_t(format.BlockAlign());
    void* first = nullptr;
    void* second = nullptr;
    uint32_t firstLength = 0, secondLength = 0;
    if (dataSize > 0 && dataSize <= 0x7FFFFFFF &&
        mFmod->FSOUND_Sample_Lock(sample, 0, int(dataSize), &first, &second, &firstLength, &secondLength)) {
        // A region shorter than the data would give a file whose header lies.
        MusicCache::Write(cachePath, format.channels, format.bits, uint32_t(frequency),
            firstLength >= dataSize ? static_cast<const uint8_t*>(first) : nullptr, uint32_t(dataSize));
        mFmod->FSOUND_Sample_Unlock(sample, first, second, firstLength, secondLength);
    }
    return sample;
}

bool FModMusicInterface::LoadMusicSample(int songId, const std::string& name, bool loop)
{
    FmodSample* sample = LoadCachedMusicSample(name);
    if (!sample)
        return false;
    FModMusicEntry entry;
    entry.sample = sample;
    entry.loop = loop;
    if (!mSongs.emplace(songId, entry).second)
        Free(entry);
    return true;
}

bool FModMusicInterface::LoadMusicWithLoop(int songId, const std::string& introName, const std::string& loopName,
    bool loop)
{
    FmodSample* intro = LoadCachedMusicSample(introName);
    FmodSample* part = LoadCachedMusicSample(loopName);
    auto freeParts = [&] {
        if (intro)
            mFmod->FSOUND_Sample_Free(intro);
        if (part)
            mFmod->FSOUND_Sample_Free(part);
    };
    if (!intro || !part) {
        freeParts();
        return false;
    }
    int introFrequency = 0, partFrequency = 0;
    mFmod->FSOUND_Sample_GetDefaults(intro, &introFrequency, nullptr, nullptr, nullptr);
    mFmod->FSOUND_Sample_GetDefaults(part, &partFrequency, nullptr, nullptr, nullptr);
    const uint32_t mode = mFmod->FSOUND_Sample_GetMode(intro);
    const uint32_t introLength = mFmod->FSOUND_Sample_GetLength(intro);
    const uint32_t partLength = mFmod->FSOUND_Sample_GetLength(part);
    const uint64_t frameBytes = uint64_t(FormatOf(mode).BlockAlign());
    const uint64_t totalFrames = uint64_t(introLength) + partLength;
    if (introFrequency != partFrequency || mode != mFmod->FSOUND_Sample_GetMode(part) ||
        totalFrames * frameBytes > 0x7FFFFFFF) {
        freeParts();
        return false;
    }
    FmodSample* joined = mFmod->FSOUND_Sample_Alloc(kFmodFree, int(totalFrames), mode | kFmodLoopNormal,
        introFrequency, 255, 128, 0);
    if (!joined) {
        freeParts();
        return false;
    }
    void* dest[2] = {};
    uint32_t destLength[2] = {};
    if (mFmod->FSOUND_Sample_Lock(joined, 0, int(totalFrames * frameBytes), &dest[0], &dest[1], &destLength[0],
            &destLength[1])) {
        auto copy = [&](FmodSample* from, uint64_t frames, uint64_t at) {
            void* src[2] = {};
            uint32_t srcLength[2] = {};
            if (!mFmod->FSOUND_Sample_Lock(from, 0, int(frames * frameBytes), &src[0], &src[1], &srcLength[0],
                    &srcLength[1]))
                return;
            const uint64_t bytes = std::min<uint64_t>(srcLength[0], destLength[0] > at ? destLength[0] - at : 0);
            if (src[0] && dest[0])
                std::memcpy(static_cast<uint8_t*>(dest[0]) + at, src[0], size_t(bytes));
            mFmod->FSOUND_Sample_Unlock(from, src[0], src[1], srcLength[0], srcLength[1]);
        };
        copy(intro, introLength, 0);
        copy(part, partLength, uint64_t(introLength) * frameBytes);
        mFmod->FSOUND_Sample_Unlock(joined, dest[0], dest[1], destLength[0], destLength[1]);
    }
    freeParts();
    mFmod->FSOUND_Sample_SetLoopPoints(joined, int(introLength), int(totalFrames) - 1);
    FModMusicEntry entry;
    entry.sample = joined;
    entry.loop = loop;
    if (!mSongs.emplace(songId, entry).second)
        Free(entry);
    return true;
}

} // namespace Quib
