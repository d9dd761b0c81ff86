#include "framework/sound/DSoundInstance.h"

#include "framework/files/ProcessLog.h"
#include "framework/sound/DSoundManager.h"
#include "platform/AudioDevice.h"

#include <algorithm>
#include <cmath>

namespace Quib {

DSoundInstance::DSoundInstance(DSoundManager* manager, const std::shared_ptr<SoundBuffer>& source)
    : mManager(manager), mSource(source)
{
    if (mSource) {
        mBuffer = mManager->DuplicateBuffer(*mSource);
        if (mBuffer)
            mBaseFrequency = mBuffer->Frequency();
        else
            QUIB_LOG_ERROR("Sound buffer could not be duplicated; the instance stays silent");
    }
    ApplyVolume();
}

DSoundInstance::~DSoundInstance() = default;

int DSoundInstance::Attenuation(double level)
{
    const double x = 9.0 * level + 1.0;
    if (!(x > 0.0))
        return kVolumeSilent;
    const int a = int(std::min((std::log10(x) - 1.0) * 2333.0, 1e9)); // truncated toward zero
    return a < -2000 ? kVolumeSilent : a;
}

uint32_t DSoundInstance::PitchedFrequency(uint32_t baseFrequency, double semitones)
{
    double f = std::pow(1.0594630943592953, semitones) * double(baseFrequency);
    if (!(f >= double(kFrequencyMin)))
        f = kFrequencyMin;
    if (f > double(kFrequencyMax))
        f = kFrequencyMax;
    return uint32_t(f);
}

void DSoundInstance::ApplyVolume()
{
    if (mBuffer)
        mBuffer->SetVolume(Attenuation(mVolume * mBaseVolume * mManager->Volume()));
}

void DSoundInstance::ApplyPan()
{
    if (mBuffer) {
        const int64_t pan = int64_t(mBasePan) + mPan;
        mBuffer->SetPan(int(std::clamp<int64_t>(pan, INT32_MIN, INT32_MAX)));
    }
}

void DSoundInstance::Release()
{
    Stop();
    mReleased = true;
}

void DSoundInstance::SetBaseVolume(double volume)
{
    mBaseVolume = volume;
    ApplyVolume();
}

void DSoundInstance::SetBasePan(int pan)
{
    mBasePan = pan;
    ApplyPan();
}

void DSoundInstance::AdjustPitch(double semitones)
{
    if (mBuffer)
        mBuffer->SetFrequency(PitchedFrequency(mBaseFrequency, semitones));
}

void DSoundInstance::SetVolume(double volume)
{
    mVolume = volume;
    ApplyVolume();
}

void DSoundInstance::SetPan(int pan)
{
    mPan = pan;
    ApplyPan();
}

bool DSoundInstance::Play(bool looping, bool autoRelease)
{
    Stop();
    mAutoRelease = autoRelease;
    mPlayed = true;
    return mBuffer && mBuffer->Play(looping);
}

void DSoundInstance::Stop()
{
    if (mBuffer) {
        mBuffer->Stop();
        mBuffer->SetCurrentPosition(0);
        mAutoRelease = false;
    }
}

bool DSoundInstance::IsPlaying()
{
    return mPlayed && mBuffer && (mBuffer->Status() & kSoundPlaying) != 0;
}

bool DSoundInstance::IsReleased()
{
    if (!mReleased && mAutoRelease && mPlayed && !IsPlaying())
        Release();
    return mReleased;
}

double DSoundInstance::GetVolume()
{
    return mVolume;
}

} // namespace Quib
