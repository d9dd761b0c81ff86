#include "platform/sdl/SdlAudio.h"

#include "platform/MessageSink.h"

#include <SDL.h>

#include <chrono>
#include <string>

namespace Quib {

std::unique_ptr<SdlAudioDevice> SdlAudioDevice::Open(uint32_t outputRate)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        OutputDebugString(std::string("No audio output: ") + SDL_GetError() + "\n");
        return nullptr;
    }
    std::unique_ptr<SdlAudioDevice> device(new SdlAudioDevice(outputRate, 0));
    SDL_AudioSpec want{}, have{};
    want.freq = int(outputRate);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &SdlAudioDevice::Callback;
    want.userdata = device.get();
    // SDL converts when the hardware wants another format.
    device->mDeviceId = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device->mDeviceId == 0) {
        OutputDebugString(std::string("No audio output: ") + SDL_GetError() + "\n");
        device.reset();
        return nullptr;
    }
    device->mDecoder = std::thread(&SdlAudioDevice::DecodeLoop, device.get());
    SDL_PauseAudioDevice(device->mDeviceId, 0);
    return device;
}

SdlAudioDevice::SdlAudioDevice(uint32_t outputRate, uint32_t deviceId)
    : AudioDevice(outputRate), mDeviceId(deviceId)
{
}

SdlAudioDevice::~SdlAudioDevice()
{
    if (mDeviceId != 0)
        SDL_CloseAudioDevice(mDeviceId);
    {
        std::lock_guard lock(mWakeMutex);
        mQuit = true;
    }
    mWake.notify_all();
    if (mDecoder.joinable())
        mDecoder.join();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlAudioDevice::Callback(void* self, uint8_t* stream, int bytes)
{
    auto* device = static_cast<SdlAudioDevice*>(self);
    const size_t frames = size_t(bytes) / 4;
    device->Mix(reinterpret_cast<int16_t*>(stream), frames);
    device->mFramesPlayed += frames;
}

void SdlAudioDevice::DecodeLoop()
{
    std::unique_lock lock(mWakeMutex);
    while (!mQuit) {
        lock.unlock();
        DecodeAhead();
        lock.lock();
        mWake.wait_for(lock, std::chrono::milliseconds(10), [this] { return mQuit; });
    }
}

} // namespace Quib
