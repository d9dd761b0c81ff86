#pragma once
#include "framework/app/DeveloperHost.h"

namespace Quib {

class QuibAppBase;

// The developer tools' host over the application object: its main loop,
// display, sound, product and demo.
class AppDeveloperHost : public DeveloperHost {
public:
    explicit AppDeveloperHost(QuibAppBase& application) : app(application) {}

    void ResetUpdateTimer() override;
    void SetStepMode(int mode) override;
    double GetUpdateSpeed() override;
    void SetUpdateSpeed(double speed) override;
    void ChangeDisplay(bool is3D) override;
    void TakeScreenshot() override;
    void ShowMessageBoxA(const std::string& text, const std::string& caption) override;
    TextureUsage GetTextureUsage(const MemoryImage& image) override;
    int GetNumSounds() override;
    std::string GetProductName() override;
    std::string GetProductVersion() override;
    uint32_t GetRunningTimeMs() override;
    bool IsWindowed() override;
    uint32_t GetMainThreadId() override;
    std::string GetDataFolder() override;
    bool GetDemoClock(DemoClock& clock) override;

    QuibAppBase& app;
};

} // namespace Quib
