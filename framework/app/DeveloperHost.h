#pragma once
#include <cstdint>
#include <string>

namespace Quib {

class MemoryImage;

// Bytes of video memory of the display.
struct VideoMemory {
    uint64_t total = 0;
    uint64_t free = 0;
};

// Pixel formats of textures, as the reports count them.
enum TextureFormatBit : uint32_t {
    TEXTURE_A8R8G8B8 = 1,
    TEXTURE_A4R4G4B4 = 2,
    TEXTURE_R5G6B5 = 4,
    TEXTURE_PALETTE8 = 8,
};

// The textures of an image: their bytes and pixel format (0 bytes: none).
struct TextureUsage {
    uint64_t bytes = 0;
    uint32_t format = 0; // a TextureFormatBit
};

// What the 3-D capability test found.
enum class Test3DRating { Unsupported, Supported, Recommended };

// The demo being played back, for the clock overlay.
struct DemoClock {
    int64_t demoLength = 0;  // update frames of the demo
    int64_t updateCount = 0; // update frames run so far
    int32_t framePeriodMs = 10;
};

// What the developer tools ask of the application: its main loop, display,
// sound, settings and product. The application implements it (each
// operation does nothing, or answers as a bare system would, until then).
class DeveloperHost {
public:
    virtual ~DeveloperHost() = default;

    // The main loop: the update timer, the step mode (0 running, 1 one step
    // requested, 2 paused) and the update speed factor.
    virtual void ResetUpdateTimer() {}
    virtual void SetStepMode(int /*mode*/) {}
    virtual double GetUpdateSpeed() { return 1.0; }
    virtual void SetUpdateSpeed(double /*speed*/) {}
    // Switches the display's 3-D mode and rebuilds the display.
    virtual void ChangeDisplay(bool /*is3D*/) {}
    virtual void TakeScreenshot() {}
    // A message box shown the application's way (the update timer reset
    // afterwards); here straight through the message sink.
    virtual void ShowMessageBoxA(const std::string& text, const std::string& caption);
    virtual void PlaySoundFileAsync(const std::string& /*fileName*/) {}

    // For the reports.
    virtual VideoMemory GetVideoMemory() { return {}; }
    virtual TextureUsage GetTextureUsage(const MemoryImage& /*image*/) { return {}; }
    virtual Test3DRating Get3DRating() { return Test3DRating::Unsupported; }
    virtual int GetNumSounds() { return 0; }
    virtual std::string GetProductName() { return std::string(); }
    virtual std::string GetProductVersion() { return std::string(); }
    // Milliseconds since the application started.
    virtual uint32_t GetRunningTimeMs() { return 0; }
    virtual bool IsWindowed() { return true; }
    virtual uint32_t GetMainThreadId() { return 0; }
    // The per-user data folder (with or without a final separator).
    virtual std::string GetDataFolder() { return std::string(); }
    // True with the clock while a demo is played back.
    virtual bool GetDemoClock(DemoClock& /*clock*/) { return false; }
};

} // namespace Quib
