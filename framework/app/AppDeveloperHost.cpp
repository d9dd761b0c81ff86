#include "framework/app/AppDeveloperHost.h"

#include "framework/app/QuibAppBase.h"
#include "framework/files/PathUtils.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/TextureData.h"
#include "framework/sound/SoundManager.h"
#include "platform/Clock.h"
#include "platform/MessageSink.h"
#include "platform/TextCodecs.h"

#include <functional>
#include <thread>

namespace Quib {

void AppDeveloperHost::ResetUpdateTimer()
{
    app.ResetUpdateTimer();
}

void AppDeveloperHost::SetStepMode(int mode)
{
    app.stepMode = mode;
}

double AppDeveloperHost::GetUpdateSpeed()
{
    return app.updateSpeed;
}

void AppDeveloperHost::SetUpdateSpeed(double speed)
{
    app.updateSpeed = speed;
}

void AppDeveloperHost::ChangeDisplay(bool is3D)
{
    app.ChangeDisplay(is3D, true);
}

void AppDeveloperHost::TakeScreenshot()
{
    app.TakeScreenshot();
}

void AppDeveloperHost::ShowMessageBoxA(const std::string& text, const std::string& caption)
{
    app.ShowMessageBoxA(text, caption, MB_OK);
}

TextureUsage AppDeveloperHost::GetTextureUsage(const MemoryImage& image)
{
    if (!image.textureData || image.textureData->format == 0)
        return {};
    return {image.textureData->textureMemory, image.textureData->format};
}

int AppDeveloperHost::GetNumSounds()
{
    return app.soundManager ? app.soundManager->GetNumSounds() : 0;
}

std::string AppDeveloperHost::GetProductName()
{
    return app.productKey;
}

std::string AppDeveloperHost::GetProductVersion()
{
    return app.productVersion;
}

uint32_t AppDeveloperHost::GetRunningTimeMs()
{
    return GetTickCount() - app.loadTime;
}

bool AppDeveloperHost::IsWindowed()
{
    return app.windowed;
}

uint32_t AppDeveloperHost::GetMainThreadId()
{
    // Thread ids have no number here: the hash of the main thread's id
    // names it.
    return uint32_t(std::hash<std::thread::id>{}(app.mainThreadId));
}

std::string AppDeveloperHost::GetDataFolder()
{
    const std::string folder = Utf16ToUtf8(GetFolderWithSlash());
    return folder.empty() ? AddTrailingSlash(GetCurrentDir()) : folder;
}

bool AppDeveloperHost::GetDemoClock(DemoClock& clock)
{
    if (!app.playing)
        return false;
    clock.demoLength = app.demoLength;
    clock.updateCount = app.updateCount;
    clock.framePeriodMs = app.framePeriodMs;
    return true;
}

} // namespace Quib
