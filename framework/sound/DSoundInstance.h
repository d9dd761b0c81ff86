#pragma once
#include "framework/sound/SoundInstance.h"

#include <cstdint>
#include <memory>

namespace Quib {

class DSoundManager;
class SoundBuffer;

// An instance over a duplicate of a loaded sound's buffer; silent (no
// buffer) without a device or when the duplicate could not be made.
class DSoundInstance : public SoundInstance {
public:
    // source may be null (a silent instance).
    DSoundInstance(DSoundManager* manager, const std::shared_ptr<SoundBuffer>& source);
    ~DSoundInstance() override;
    DSoundInstance(const DSoundInstance&) = delete;
    DSoundInstance& operator=(const DSoundInstance&) = delete;

    void Release() override;
    void SetBaseVolume(double volume) override;
    void SetBasePan(int pan) override;
    void AdjustPitch(double semitones) override;
    void SetVolume(double volume) override;
    void SetPan(int pan) override;
    bool Play(bool looping, bool autoRelease) override;
    void Stop() override;
    bool IsPlaying() override;
    bool IsReleased() override;
    double GetVolume() override;

    // Buffer volume (hundredths of a dB) for a level: 0 at 1, -10000 below
    // the last audible step of -2000; levels above 1 are not clamped.
    static int Attenuation(double level);
    // Playback frequency n semitones from the base, clamped to 100..100000.
    static uint32_t PitchedFrequency(uint32_t baseFrequency, double semitones);

    // Re-applies the volume (the manager's volume changed).
    void ApplyVolume();
    bool AutoRelease() const { return mAutoRelease; }
    void SetAutoRelease(bool on) { mAutoRelease = on; }
    SoundBuffer* Buffer() const { return mBuffer.get(); }

private:
    void ApplyPan();

    DSoundManager* mManager;
    std::shared_ptr<SoundBuffer> mSource;
    std::shared_ptr<SoundBuffer> mBuffer;
    bool mAutoRelease = false;
    bool mPlayed = false;
    bool mReleased = false;
    int mBasePan = 0;
    double mBaseVolume = 1.0;
    int mPan = 0;
    double mVolume = 1.0;
    uint32_t mBaseFrequency = 44100;
};

} // namespace Quib
