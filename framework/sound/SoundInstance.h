#pragma once

namespace Quib {

// One playing copy of a loaded sound, in one channel of the sound manager.
// A caller may use it until it calls Release (or it releases itself after
// playing, when asked to).
class SoundInstance {
public:
    virtual ~SoundInstance() = default;
    virtual void Release() = 0;
    virtual void SetBaseVolume(double volume) = 0;
    virtual void SetBasePan(int pan) = 0;
    virtual void AdjustPitch(double semitones) = 0;
    virtual void SetVolume(double volume) = 0;
    virtual void SetPan(int pan) = 0;
    virtual bool Play(bool looping, bool autoRelease) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() = 0;
    virtual bool IsReleased() = 0;
    virtual double GetVolume() = 0;
};

} // namespace Quib
