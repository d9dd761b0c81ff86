#pragma once
// The music library's entry points, bound by name into one record shared by
// the whole process. The exports are our own functions over the audio
// device (BassLibrary.cpp); tests may wrap the slots to record the calls.
#include "framework/sound/LibraryExports.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Quib {

using BassHandle = uint32_t;

// Channel flag and attribute values the callers pass.
constexpr uint32_t kBassLoop = 4;
constexpr uint32_t kBassMusicRamp = 0x200;
constexpr uint32_t kBassMusicSurround = 0x8000;
constexpr uint32_t kBassConfigBuffer = 0;
constexpr uint32_t kBassConfigStreamVolume = 5;
constexpr uint32_t kBassConfigMusicVolume = 6;
constexpr uint32_t kBassMusicAmplify = 0;
// BASS_ChannelIsActive answers.
constexpr uint32_t kBassStopped = 0, kBassPlaying = 1, kBassStalled = 2, kBassPaused = 3;

struct BassInstance {
    virtual ~BassInstance() = default;

    // True when BASS_SetConfig is exported: the newer argument lists apply.
    bool newer = false;

    std::function<bool(int device, uint32_t frequency, uint32_t flags, void* window, const void* clsid)> BASS_Init;
    std::function<bool(int device, uint32_t frequency, uint32_t flags, void* window)> BASS_InitOld;
    std::function<bool()> BASS_Free;
    std::function<bool()> BASS_Stop;
    std::function<bool()> BASS_Start;
    std::function<bool(int music, int sample, int stream)> BASS_SetGlobalVolumes;
    std::function<bool(uint32_t volume)> BASS_SetVolume;
    std::function<uint32_t(uint32_t option, uint32_t value)> BASS_SetConfig;
    std::function<bool(BassHandle)> BASS_ChannelStop;
    std::function<bool(BassHandle, bool restart)> BASS_ChannelPlay;
    std::function<bool(BassHandle)> BASS_ChannelPause;
    // Frequency -1, volume -1 and pan -101 leave the attribute as it is.
    std::function<bool(BassHandle, int frequency, int volume, int pan)> BASS_ChannelSetAttributes;
    std::function<bool(BassHandle, uint64_t position)> BASS_ChannelSetPosition;
    std::function<bool(BassHandle, uint32_t flags)> BASS_ChannelSetFlags;
    std::function<uint32_t(BassHandle)> BASS_ChannelIsActive;
    std::function<BassHandle(bool memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags,
        uint32_t frequency)>
        BASS_MusicLoad;
    std::function<BassHandle(bool memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags)>
        BASS_MusicLoadOld;
    std::function<bool(BassHandle)> BASS_MusicFree;
    std::function<bool(BassHandle, uint32_t attribute, uint32_t value)> BASS_MusicSetAttribute;
    std::function<BassHandle(bool memory, const void* file, uint64_t offset, uint64_t length, uint32_t flags)>
        BASS_StreamCreateFile;
    std::function<bool(BassHandle)> BASS_StreamFree;

    // Entry points looked up in the table's order that nothing here calls.
    std::vector<std::string> held;
};

// Takes one reference; builds the record on the first. Null (after a
// message box) when a required entry point is missing.
BassInstance* LoadBassLibrary();
// Drops one reference; the record goes with the last.
void ReleaseBassLibrary();
// The record while references are held, else null.
BassInstance* CurrentBassInstance();

// Our implementation of the entry points (a fresh library state per call).
LibraryExports DefaultBassExports();
// The exports the next record is built from; none = DefaultBassExports.
void SetBassExports(std::optional<LibraryExports> exports);

} // namespace Quib
