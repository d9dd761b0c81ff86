#pragma once
#include <string>

namespace Quib {

class SoundInstance;

// Sound effects by id (0..255), each played through instances that occupy
// one of the manager's channels.
class SoundManager {
public:
    virtual ~SoundManager() = default;
    virtual bool IsInitialized() = 0;
    // Id of the sound recorded under the name, else loads it into the
    // highest free id; -1 when none is free or the load fails.
    virtual int FindOrLoadSound(const std::string& name) = 0;
    // Loads name.wav, name.ogg, name.au (and name.mp3 in FMOD mode).
    virtual bool LoadSound(unsigned int id, const std::string& name) = 0;
    virtual void ReleaseSound(unsigned int id) = 0;
    // The sound-effects volume, applied to every instance.
    virtual void SetVolume(double volume) = 0;
    virtual bool SetBaseVolume(unsigned int id, double volume) = 0;
    virtual bool SetBasePan(unsigned int id, int pan) = 0;
    // A new instance in a free channel, or null.
    virtual SoundInstance* GetSoundInstance(unsigned int id) = 0;
    virtual void ReleaseSounds() = 0;
    virtual void ReleaseChannels() = 0;
    // The system output volume, 0..1.
    virtual double GetMasterVolume() = 0;
    virtual void SetMasterVolume(double volume) = 0;
    virtual void Reserved() = 0; // does nothing
    virtual void SetCooperativeWindow(void* window) = 0;
    virtual void StopAllSounds() = 0;
    virtual int GetFreeSoundId() = 0;
    virtual int GetNumSounds() = 0;
};

} // namespace Quib
