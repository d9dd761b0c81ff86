#pragma once
#include "framework/sound/SoundManager.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace Quib {

class AudioDevice;
class DSoundInstance;
class SoundBuffer;
struct SoundFormat;

// The sound manager over the platform audio device: one static buffer per
// loaded id, 32 channels of instances. Without a window or a device it
// loads nothing and hands out silent instances.
class DSoundManager : public SoundManager {
public:
    static constexpr int kMaxSounds = 256;
    static constexpr int kMaxChannels = 32;
    static constexpr uint32_t kPurgeIntervalMs = 1000;

    // The device is not owned and must outlive the manager; null means no
    // sound output. The FMOD entry points are called in FMOD mode only.
    DSoundManager(AudioDevice* device, void* window, bool fmod);
    ~DSoundManager() override;
    DSoundManager(const DSoundManager&) = delete;
    DSoundManager& operator=(const DSoundManager&) = delete;

    bool IsInitialized() override;
    int FindOrLoadSound(const std::string& name) override;
    bool LoadSound(unsigned int id, const std::string& name) override;
    void ReleaseSound(unsigned int id) override;
    void SetVolume(double volume) override;
    bool SetBaseVolume(unsigned int id, double volume) override;
    bool SetBasePan(unsigned int id, int pan) override;
    SoundInstance* GetSoundInstance(unsigned int id) override;
    void ReleaseSounds() override;
    void ReleaseChannels() override;
    double GetMasterVolume() override;
    void SetMasterVolume(double volume) override;
    void Reserved() override;
    void SetCooperativeWindow(void* window) override;
    void StopAllSounds() override;
    int GetFreeSoundId() override;
    int GetNumSounds() override;

    // The sound-effects volume given to SetVolume.
    double Volume() const { return mVolume; }
    bool FmodMode() const { return mFmod; }
    AudioDevice* Device() const { return mDevice; }
    // The id's buffer (null when free) and recorded name.
    const std::shared_ptr<SoundBuffer>& Buffer(unsigned int id) const { return mBuffers.at(id); }
    const std::string& FileName(unsigned int id) const { return mFileNames.at(id); }

    // For the sound-file readers: a new buffer in the id's slot (replacing
    // what was there), or null.
    std::shared_ptr<SoundBuffer> CreateSoundBuffer(unsigned int id, const SoundFormat& format, size_t bytes);
    // A copy of a buffer for a new instance; null when it cannot be made.
    virtual std::shared_ptr<SoundBuffer> DuplicateBuffer(const SoundBuffer& source);

private:
    int FindFreeChannel();
    void PurgeFinished();

    std::array<std::shared_ptr<SoundBuffer>, kMaxSounds> mBuffers;
    std::array<std::string, kMaxSounds> mFileNames;
    std::array<double, kMaxSounds> mBaseVolumes;
    std::array<int, kMaxSounds> mBasePans;
    std::array<std::unique_ptr<DSoundInstance>, kMaxChannels> mChannels;
    double mVolume = 1.0;
    uint32_t mLastPurgeTime = 0;
    AudioDevice* mDevice = nullptr;
    bool mFmod;
    bool mFmodReference = false; // one reference to the FMOD record, taken in FMOD mode
    double mMasterVolumeNoDevice = 1.0;
};

} // namespace Quib
