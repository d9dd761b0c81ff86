#include "framework/sound/BassInstance.h"

#include "platform/MessageSink.h"

#include <mutex>

namespace Quib {

namespace {

SharedLibraryRecord<BassInstance>& Holder()
{
    static SharedLibraryRecord<BassInstance> holder;
    return holder;
}

void ReportMissing(const std::string& text)
{
    ShowMessageBox(text, "Error", MB_ICONERROR);
    OutputDebugString(text + "\n");
}

// The entry points in the order they are looked up; `called` ones must be
// exported, the others are held when present.
struct Lookup {
    const char* name;
    bool required;
    bool (*bind)(const LibraryExports&, BassInstance&);
};

#define QUIB_BASS_SLOT(slot) \
    [](const LibraryExports& e, BassInstance& b) { return BindExport(e, #slot, b.slot); }
#define QUIB_BASS_HELD nullptr

const Lookup kLookups[] = {
    {"BASS_Init", true, nullptr}, // bound after the interface is known
    {"BASS_Free", true, QUIB_BASS_SLOT(BASS_Free)},
    {"BASS_Stop", true, QUIB_BASS_SLOT(BASS_Stop)},
    {"BASS_Start", true, QUIB_BASS_SLOT(BASS_Start)},
    {"BASS_SetGlobalVolumes", false, QUIB_BASS_SLOT(BASS_SetGlobalVolumes)},
    {"BASS_SetVolume", false, QUIB_BASS_SLOT(BASS_SetVolume)},
    {"BASS_SetConfig", false, QUIB_BASS_SLOT(BASS_SetConfig)},
    {"BASS_GetConfig", false, QUIB_BASS_HELD},
    {"BASS_GetVolume", false, QUIB_BASS_HELD},
    {"BASS_GetInfo", false, QUIB_BASS_HELD},
    {"BASS_GetVersion", false, QUIB_BASS_HELD},
    {"BASS_ChannelStop", true, QUIB_BASS_SLOT(BASS_ChannelStop)},
    {"BASS_ChannelPlay", true, QUIB_BASS_SLOT(BASS_ChannelPlay)},
    {"BASS_ChannelPause", true, QUIB_BASS_SLOT(BASS_ChannelPause)},
    {"BASS_ChannelSetAttributes", true, QUIB_BASS_SLOT(BASS_ChannelSetAttributes)},
    {"BASS_ChannelGetAttributes", false, QUIB_BASS_HELD},
    {"BASS_ChannelSetPosition", true, QUIB_BASS_SLOT(BASS_ChannelSetPosition)},
    {"BASS_ChannelGetPosition", false, QUIB_BASS_HELD},
    {"BASS_ChannelIsActive", true, QUIB_BASS_SLOT(BASS_ChannelIsActive)},
    {"BASS_ChannelSetFlags", true, QUIB_BASS_SLOT(BASS_ChannelSetFlags)},
    {"BASS_ChannelSlideAttributes", false, QUIB_BASS_HELD},
    {"BASS_ChannelIsSliding", false, QUIB_BASS_HELD},
    {"BASS_ChannelGetLevel", false, QUIB_BASS_HELD},
    {"BASS_ChannelSetSync", false, QUIB_BASS_HELD},
    {"BASS_ChannelRemoveSync", false, QUIB_BASS_HELD},
    {"BASS_ChannelGetData", false, QUIB_BASS_HELD},
    {"BASS_FXSetParameters", false, QUIB_BASS_HELD},
    {"BASS_FXGetParameters", false, QUIB_BASS_HELD},
    {"BASS_ChannelSetFX", false, QUIB_BASS_HELD},
    {"BASS_ChannelRemoveFX", false, QUIB_BASS_HELD},
    {"BASS_MusicLoad", true, nullptr}, // bound after the interface is known
    {"BASS_MusicFree", true, QUIB_BASS_SLOT(BASS_MusicFree)},
    {"BASS_MusicGetAttribute", false, QUIB_BASS_HELD},
    {"BASS_MusicSetAttribute", true, QUIB_BASS_SLOT(BASS_MusicSetAttribute)},
    {"BASS_StreamCreateFile", true, QUIB_BASS_SLOT(BASS_StreamCreateFile)},
    {"BASS_StreamFree", true, QUIB_BASS_SLOT(BASS_StreamFree)},
    {"BASS_MusicGetOrders", false, QUIB_BASS_HELD},
    {"BASS_MusicGetOrderPosition", false, QUIB_BASS_HELD},
    {"BASS_SampleLoad", false, QUIB_BASS_HELD},
    {"BASS_SampleFree", false, QUIB_BASS_HELD},
    {"BASS_SampleSetInfo", false, QUIB_BASS_HELD},
    {"BASS_SampleGetInfo", false, QUIB_BASS_HELD},
    {"BASS_SampleGetChannel", false, QUIB_BASS_HELD},
    {"BASS_SampleStop", false, QUIB_BASS_HELD},
    {"BASS_ErrorGetCode", false, QUIB_BASS_HELD},
};
const char* const kNewerOnly[] = {"BASS_PluginLoad", "BASS_ChannelGetLength", "BASS_ChannelPreBuf"};

#undef QUIB_BASS_SLOT
#undef QUIB_BASS_HELD

std::unique_ptr<BassInstance> BuildInstance()
{
    const LibraryExports exports = Holder().Exports(DefaultBassExports);
    auto bass = std::make_unique<BassInstance>();
    bass->newer = exports.count("BASS_SetConfig") != 0;
    for (const Lookup& lookup : kLookups) {
        const std::string name = lookup.name;
        bool found;
        if (name == "BASS_Init")
            found = bass->newer ? BindExport(exports, name, bass->BASS_Init) : BindExport(exports, name, bass->BASS_InitOld);
        else if (name == "BASS_MusicLoad")
            found = bass->newer ? BindExport(exports, name, bass->BASS_MusicLoad)
                                : BindExport(exports, name, bass->BASS_MusicLoadOld);
        else if (lookup.bind)
            found = lookup.bind(exports, *bass);
        else if ((found = exports.count(name) != 0))
            bass->held.push_back(name);
        if (!found && lookup.required) {
            ReportMissing(name + " function not found in the music library");
            return nullptr;
        }
        if (name == "BASS_SetVolume" && !bass->BASS_SetGlobalVolumes && !bass->BASS_SetVolume) {
            ReportMissing("Neither BASS_SetGlobalVolumes or BASS_SetVolume found in the music library");
            return nullptr;
        }
    }
    if (bass->newer)
        for (const char* name : kNewerOnly)
            if (exports.count(name))
                bass->held.push_back(name);
    return bass;
}

} // namespace

BassInstance* LoadBassLibrary() { return Holder().Acquire(BuildInstance); }

void ReleaseBassLibrary() { Holder().Release(); }

BassInstance* CurrentBassInstance() { return Holder().Get(); }

void SetBassExports(std::optional<LibraryExports> exports) { Holder().SetExports(std::move(exports)); }

} // namespace Quib
