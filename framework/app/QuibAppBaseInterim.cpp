// What the demo, settings and dialog code uses of the application core,
// in its simplest form until the core's own arrives.
#include "framework/app/QuibAppBase.h"

#include "framework/widgets/WidgetManager.h"

namespace Quib {

std::u16string QuibAppBase::GetStringEntry(const std::string& id, const std::u16string& defaultText)
{
    const auto it = stringTable.find(id);
    return it == stringTable.end() ? defaultText : it->second;
}

void QuibAppBase::FatalExit(int code)
{
    fatalExitCode = code;
}

void QuibAppBase::RequestExit()
{
    if (exiting)
        return;
    exiting = true;
    if (playing) {
        SetMusicVolume(savedMusicVolume);
        SetSfxVolume(savedSfxVolume);
    }
    if (registryLoaded)
        SaveRegistrySettings();
}

void QuibAppBase::OnActiveChanged()
{
    hasFocus = active && !minimised;
}

void QuibAppBase::Mute(bool automatic)
{
    ++muteCount;
    if (automatic)
        ++autoMuteCount;
}

void QuibAppBase::Unmute(bool automatic)
{
    if (muteCount > 0)
        --muteCount;
    if (automatic && autoMuteCount > 0)
        --autoMuteCount;
}

double QuibAppBase::GetMusicVolume()
{
    return musicVolume;
}

double QuibAppBase::GetSfxVolume()
{
    return sfxVolume;
}

void QuibAppBase::SetMusicVolume(double volume)
{
    musicVolume = volume;
}

void QuibAppBase::SetSfxVolume(double volume)
{
    sfxVolume = volume;
}

void QuibAppBase::EnableCustomCursors(bool enabled)
{
    customCursors = enabled;
}

void QuibAppBase::ResetUpdateTimer() {}

void QuibAppBase::MarkScreenDirty()
{
    widgetManager->InvalidateAll();
}

} // namespace Quib
