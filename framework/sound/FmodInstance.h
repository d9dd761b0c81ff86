#pragma once
// The FMOD entry points, bound by their export names into one record shared
// by the sound manager and the music player. The exports are our own
// functions over the audio device (FmodLibrary.cpp); tests may wrap the
// slots to record the calls.
#include "framework/sound/LibraryExports.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Quib {

struct FmodSample; // a whole sound in a static buffer
struct FmodSong;   // a module music

// Sample mode bits and values the callers pass.
constexpr uint32_t kFmodLoopOff = 1, kFmodLoopNormal = 2;
constexpr uint32_t kFmod8Bits = 0x08, kFmod16Bits = 0x10, kFmodMono = 0x20, kFmodStereo = 0x40;
constexpr int kFmodFree = -1; // any free sample slot or channel

struct FmodInstance {
    virtual ~FmodInstance() = default;

    std::function<bool(int milliseconds)> FSOUND_SetBufferSize;
    std::function<bool(void* window)> FSOUND_SetHWND;
    std::function<bool(int mixRate, int maxChannels, uint32_t flags)> FSOUND_Init;
    std::function<void()> FSOUND_Close;
    std::function<FmodSample*(int index, const char* name, uint32_t mode, int length)> FSOUND_Sample_Load;
    std::function<FmodSample*(int index, int length, uint32_t mode, int frequency, int volume, int pan, int priority)>
        FSOUND_Sample_Alloc;
    std::function<void(FmodSample*)> FSOUND_Sample_Free;
    std::function<bool(FmodSample*, int offset, int length, void** first, void** second, uint32_t* firstLength,
        uint32_t* secondLength)>
        FSOUND_Sample_Lock;
    std::function<bool(FmodSample*, void* first, void* second, uint32_t firstLength, uint32_t secondLength)>
        FSOUND_Sample_Unlock;
    // Frames; the end is the last frame of the loop.
    std::function<bool(FmodSample*, int loopStart, int loopEnd)> FSOUND_Sample_SetLoopPoints;
    std::function<uint32_t(FmodSample*)> FSOUND_Sample_GetLength; // frames
    std::function<bool(FmodSample*, int* frequency, int* volume, int* pan, int* priority)> FSOUND_Sample_GetDefaults;
    std::function<uint32_t(FmodSample*)> FSOUND_Sample_GetMode;
    std::function<int(int channel, FmodSample*)> FSOUND_PlaySound;
    std::function<bool(int channel)> FSOUND_StopSound;
    // 0..100 (linear); above 100 plays at full volume.
    std::function<bool(int channel, int volume)> FSOUND_SetVolume;
    std::function<bool(int channel, bool paused)> FSOUND_SetPaused;
    std::function<bool(int channel, uint32_t loopMode)> FSOUND_SetLoopMode;
    std::function<bool(int channel)> FSOUND_IsPlaying;
    std::function<FmodSong*(const char* name)> FMUSIC_LoadSong;
    std::function<bool(FmodSong*)> FMUSIC_FreeSong;
    std::function<bool(FmodSong*)> FMUSIC_PlaySong;
    std::function<bool(FmodSong*)> FMUSIC_StopSong;
    // 2 loops; any other value plays once.
    std::function<bool(FmodSong*, int looping)> FMUSIC_SetLooping;
    std::function<bool(FmodSong*, int order)> FMUSIC_SetOrder;
    std::function<bool(FmodSong*, bool paused)> FMUSIC_SetPaused;
    // 0..100 (linear); above 100 plays at full volume.
    std::function<bool(FmodSong*, int volume)> FMUSIC_SetMasterVolume;
    std::function<bool(FmodSong*)> FMUSIC_IsPlaying;

    // Entry points looked up in the table's order that nothing here calls.
    std::vector<std::string> held;
};

// Takes one reference; builds the record on the first. Null (after a
// message box) when an entry point is missing.
FmodInstance* LoadFmodLibrary();
// Drops one reference; the record goes with the last.
void ReleaseFmodLibrary();
// The record while references are held, else null.
FmodInstance* CurrentFmodInstance();

// Our implementation of the entry points (a fresh library state per call),
// keyed by export name ("_FSOUND_Init@12").
LibraryExports DefaultFmodExports();
// The exports the next record is built from; none = DefaultFmodExports.
void SetFmodExports(std::optional<LibraryExports> exports);

} // namespace Quib
