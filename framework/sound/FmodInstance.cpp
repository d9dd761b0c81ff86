#include "framework/sound/FmodInstance.h"

#include "platform/MessageSink.h"

namespace Quib {

namespace {

SharedLibraryRecord<FmodInstance>& Holder()
{
    static SharedLibraryRecord<FmodInstance> holder;
    return holder;
}

struct Lookup {
    const char* name;
    bool (*bind)(const LibraryExports&, FmodInstance&); // null: held, never called
};

#define QUIB_FMOD_SLOT(slot, name) \
    {name, [](const LibraryExports& e, FmodInstance& f) { return BindExport(e, name, f.slot); }}

// In the order they are looked up.
const Lookup kLookups[] = {
    QUIB_FMOD_SLOT(FSOUND_SetBufferSize, "_FSOUND_SetBufferSize@4"),
    QUIB_FMOD_SLOT(FSOUND_SetHWND, "_FSOUND_SetHWND@4"),
    QUIB_FMOD_SLOT(FSOUND_Init, "_FSOUND_Init@12"),
    QUIB_FMOD_SLOT(FSOUND_Close, "_FSOUND_Close@0"),
    QUIB_FMOD_SLOT(FSOUND_Sample_Load, "_FSOUND_Sample_Load@16"),
    QUIB_FMOD_SLOT(FSOUND_Sample_Alloc, "_FSOUND_Sample_Alloc@28"),
    QUIB_FMOD_SLOT(FSOUND_Sample_Free, "_FSOUND_Sample_Free@4"),
    QUIB_FMOD_SLOT(FSOUND_Sample_Lock, "_FSOUND_Sample_Lock@28"),
    QUIB_FMOD_SLOT(FSOUND_Sample_Unlock, "_FSOUND_Sample_Unlock@20"),
    QUIB_FMOD_SLOT(FSOUND_Sample_SetLoopPoints, "_FSOUND_Sample_SetLoopPoints@12"),
    QUIB_FMOD_SLOT(FSOUND_Sample_GetLength, "_FSOUND_Sample_GetLength@4"),
    QUIB_FMOD_SLOT(FSOUND_Sample_GetDefaults, "_FSOUND_Sample_GetDefaults@20"),
    QUIB_FMOD_SLOT(FSOUND_Sample_GetMode, "_FSOUND_Sample_GetMode@4"),
    QUIB_FMOD_SLOT(FSOUND_PlaySound, "_FSOUND_PlaySound@8"),
    QUIB_FMOD_SLOT(FSOUND_StopSound, "_FSOUND_StopSound@4"),
    QUIB_FMOD_SLOT(FSOUND_SetVolume, "_FSOUND_SetVolume@8"),
    QUIB_FMOD_SLOT(FSOUND_SetPaused, "_FSOUND_SetPaused@8"),
    QUIB_FMOD_SLOT(FSOUND_SetLoopMode, "_FSOUND_SetLoopMode@8"),
    QUIB_FMOD_SLOT(FSOUND_IsPlaying, "_FSOUND_IsPlaying@4"),
    {"_FSOUND_Stream_OpenFile@12", nullptr},
    {"_FSOUND_Stream_Close@4", nullptr},
    {"_FSOUND_Stream_Play@8", nullptr},
    QUIB_FMOD_SLOT(FMUSIC_LoadSong, "_FMUSIC_LoadSong@4"),
    QUIB_FMOD_SLOT(FMUSIC_PlaySong, "_FMUSIC_PlaySong@4"),
    QUIB_FMOD_SLOT(FMUSIC_StopSong, "_FMUSIC_StopSong@4"),
    QUIB_FMOD_SLOT(FMUSIC_SetLooping, "_FMUSIC_SetLooping@8"),
    QUIB_FMOD_SLOT(FMUSIC_SetOrder, "_FMUSIC_SetOrder@8"),
    QUIB_FMOD_SLOT(FMUSIC_SetPaused, "_FMUSIC_SetPaused@8"),
    QUIB_FMOD_SLOT(FMUSIC_SetMasterVolume, "_FMUSIC_SetMasterVolume@8"),
    QUIB_FMOD_SLOT(FMUSIC_IsPlaying, "_FMUSIC_IsPlaying@4"),
    QUIB_FMOD_SLOT(FMUSIC_FreeSong, "_FMUSIC_FreeSong@4"),
};

#undef QUIB_FMOD_SLOT

std::unique_ptr<FmodInstance> BuildInstance()
{
    const LibraryExports exports = Holder().Exports(DefaultFmodExports);
    auto fmod = std::make_unique<FmodInstance>();
    for (const Lookup& lookup : kLookups) {
        if (!lookup.bind) {
            if (exports.count(lookup.name))
                fmod->held.push_back(lookup.name);
            continue;
        }
        if (!lookup.bind(exports, *fmod)) {
            const std::string text = std::string("\"") + lookup.name + "\" function not found in the sound library";
            ShowMessageBox(text, "Error", MB_ICONERROR);
            OutputDebugString(text + "\n");
            return nullptr;
        }
    }
    return fmod;
}

} // namespace

FmodInstance* LoadFmodLibrary() { return Holder().Acquire(BuildInstance); }

void ReleaseFmodLibrary() { Holder().Release(); }

FmodInstance* CurrentFmodInstance() { return Holder().Get(); }

void SetFmodExports(std::optional<LibraryExports> exports) { Holder().SetExports(std::move(exports)); }

} // namespace Quib
