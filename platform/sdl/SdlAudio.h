#pragma once
#include "platform/AudioDevice.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace Quib {

// Plays the mix through SDL's audio output (16-bit stereo); the streams are
// decoded ahead on a thread of its own, never in the output callback.
class SdlAudioDevice : public AudioDevice {
public:
    // Null (and a log line) when no audio output opens.
    static std::unique_ptr<SdlAudioDevice> Open(uint32_t outputRate = 44100);
    ~SdlAudioDevice() override;

    // Frames the output has pulled so far.
    uint64_t FramesPlayed() const { return mFramesPlayed.load(); }

private:
    SdlAudioDevice(uint32_t outputRate, uint32_t deviceId);
    static void Callback(void* self, uint8_t* stream, int bytes);
    void DecodeLoop();

    uint32_t mDeviceId;
    std::atomic<uint64_t> mFramesPlayed{0};
    std::mutex mWakeMutex;
    std::condition_variable mWake;
    bool mQuit = false;
    std::thread mDecoder;
};

} // namespace Quib
