#include "framework/sound/DSoundManager.h"

#include "framework/sound/DSoundInstance.h"
#include "framework/sound/FmodInstance.h"
#include "framework/sound/SoundFileReaders.h"
#include "platform/AudioDevice.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cmath>

namespace Quib {

DSoundManager::DSoundManager(AudioDevice* device, void* window, bool fmod)
    : mFmod(fmod)
{
    mBaseVolumes.fill(1.0);
    mBasePans.fill(0);
    if (!window || !device)
        return;
    mDevice = device;
    if (mFmod) {
        mFmodReference = true;
        if (FmodInstance* fmodLibrary = LoadFmodLibrary()) {
            fmodLibrary->FSOUND_SetHWND(window);
            fmodLibrary->FSOUND_SetBufferSize(200);
            fmodLibrary->FSOUND_Init(44100, 64, 2);
        }
    }
}

DSoundManager::~DSoundManager()
{
    ReleaseChannels();
    ReleaseSounds();
    if (mFmodReference) {
        if (FmodInstance* fmodLibrary = CurrentFmodInstance())
            fmodLibrary->FSOUND_Close();
        ReleaseFmodLibrary();
    }
}

bool DSoundManager::IsInitialized()
{
    return mDevice != nullptr;
}

int DSoundManager::FindOrLoadSound(const std::string& name)
{
    for (int id = 0; id < kMaxSounds; ++id)
        if (mFileNames[id] == name)
            return id;
    for (int id = kMaxSounds - 1; id >= 0; --id)
        if (!mBuffers[id])
            return LoadSound(id, name) ? id : -1;
    return -1;
}

bool DSoundManager::LoadSound(unsigned int id, const std::string& name)
{
    if (id >= unsigned(kMaxSounds))
        return false;
    ReleaseSound(id);
    if (!mDevice)
        return true;
    // The name is recorded only for a sound that loaded: a failed id stays
    // free and nameless, so it is never handed out under this name.
    const bool loaded = LoadWavSound(name + ".wav", *this, id) ||
        (mFmod && LoadMp3Sound(name + ".mp3", *this, id)) || LoadOggSound(name + ".ogg", *this, id) ||
        LoadAuSound(name + ".au", *this, id);
    if (loaded) {
        mFileNames[id] = name;
    } else {
        mBuffers[id].reset();
        mFileNames[id].clear();
    }
    return loaded;
}

void DSoundManager::ReleaseSound(unsigned int id)
{
    if (id >= unsigned(kMaxSounds) || !mBuffers[id])
        return;
    mBuffers[id].reset();
    mFileNames[id].clear();
}

void DSoundManager::SetVolume(double volume)
{
    mVolume = volume;
    for (auto& channel : mChannels)
        if (channel)
            channel->ApplyVolume();
}

bool DSoundManager::SetBaseVolume(unsigned int id, double volume)
{
    if (id >= unsigned(kMaxSounds))
        return false;
    mBaseVolumes[id] = volume;
    return true;
}

bool DSoundManager::SetBasePan(unsigned int id, int pan)
{
    if (id >= unsigned(kMaxSounds))
        return false;
    mBasePans[id] = pan;
    return true;
}

void DSoundManager::PurgeFinished()
{
    for (auto& channel : mChannels)
        if (channel && channel->IsReleased())
            channel.reset();
}

int DSoundManager::FindFreeChannel()
{
    const uint32_t now = TimeGetTime();
    if (now - mLastPurgeTime > kPurgeIntervalMs) {
        PurgeFinished();
        mLastPurgeTime = now;
    }
    for (int i = 0; i < kMaxChannels; ++i) {
        if (!mChannels[i])
            return i;
        if (mChannels[i]->IsReleased()) {
            mChannels[i].reset();
            return i;
        }
    }
    return -1;
}

SoundInstance* DSoundManager::GetSoundInstance(unsigned int id)
{
    if (id >= unsigned(kMaxSounds))
        return nullptr;
    const int channel = FindFreeChannel();
    if (channel < 0)
        return nullptr;
    if (mDevice && !mBuffers[id])
        return nullptr;
    auto instance = std::make_unique<DSoundInstance>(this, mDevice ? mBuffers[id] : nullptr);
    DSoundInstance* result = instance.get();
    mChannels[channel] = std::move(instance);
    result->SetBasePan(mBasePans[id]);
    result->SetBaseVolume(mBaseVolumes[id]);
    return result;
}

void DSoundManager::ReleaseSounds()
{
    for (auto& buffer : mBuffers)
        buffer.reset();
}

void DSoundManager::ReleaseChannels()
{
    for (auto& channel : mChannels)
        channel.reset();
}

double DSoundManager::GetMasterVolume()
{
    const double level = mDevice ? mDevice->MasterVolume() : mMasterVolumeNoDevice;
    return std::round(level * 65535.0) / 65535.0;
}

void DSoundManager::SetMasterVolume(double volume)
{
    // The output volume is kept in 1/65535 steps, as a mixer control holds it.
    const double clamped = std::isnan(volume) ? 0.0 : std::clamp(volume, 0.0, 1.0);
    const double level = double(uint32_t(clamped * 65535.0)) / 65535.0;
    if (mDevice)
        mDevice->SetMasterVolume(level);
    else
        mMasterVolumeNoDevice = level;
}

void DSoundManager::Reserved() {}

// The audio device shares the output with other programs whatever the
// window: there is no cooperative level to set.
void DSoundManager::SetCooperativeWindow(void*) {}

void DSoundManager::StopAllSounds()
{
    for (auto& channel : mChannels) {
        if (channel) {
            const bool autoRelease = channel->AutoRelease();
            channel->Stop();
            channel->SetAutoRelease(autoRelease);
        }
    }
}

int DSoundManager::GetFreeSoundId()
{
    for (int id = 0; id < kMaxSounds; ++id)
        if (!mBuffers[id])
            return id;
    return -1;
}

int DSoundManager::GetNumSounds()
{
    return int(std::count_if(mBuffers.begin(), mBuffers.end(), [](const auto& b) { return b != nullptr; }));
}

std::shared_ptr<SoundBuffer> DSoundManager::CreateSoundBuffer(unsigned int id, const SoundFormat& format, size_t bytes)
{
    if (id >= unsigned(kMaxSounds) || !mDevice)
        return nullptr;
    mBuffers[id] = mDevice->CreateBuffer(format, bytes);
    return mBuffers[id];
}

std::shared_ptr<SoundBuffer> DSoundManager::DuplicateBuffer(const SoundBuffer& source)
{
    return source.Duplicate();
}

} // namespace Quib
