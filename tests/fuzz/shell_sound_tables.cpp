// Reads any bytes as the sound table and playlists (res\sounds.ini) and as
// an ambient set, then selects every playlist, steps the music and the set
// through many frames and lets the set go: positions stay inside their
// playlists, fade levels inside 0..1, and a released set that has stopped
// is freed.
#include "FuzzSupport.h"
#include "framework/sound/MusicInterface.h"
#include "src/game/AmbientSet.h"
#include "src/game/Musics.h"
#include "src/game/Sounds.h"

#include <cmath>

namespace {

using namespace Quib;

void CheckPosition(const Musics& musics)
{
    const auto& lists = musics.Playlists();
    auto found = lists.find(musics.CurrentName());
    if (musics.CurrentTrack() == -1)
        return;
    if (found == lists.end() || musics.Position() < 0 || musics.Position() >= int(found->second.tracks.size()) ||
        found->second.tracks[size_t(musics.Position())] != musics.CurrentTrack())
        Fuzz::Fail("the current track is not the playlist's track at the position");
}

void CheckLevels(const AmbientSet& set)
{
    for (const AmbientSound& sound : set.sounds)
        if (!(sound.level >= 0.0f && sound.level <= 1.0f))
            Fuzz::Fail("a fade level outside 0..1");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quib::Fuzz;
    const std::string text(Text(data, size));
    FuzzPak pak({{"res\\sounds.ini", text, {}}, {"data\\ambient\\fuzz.ini", text, {}}});

    Sounds::Instance().LoadIni();
    MusicInterface silent;
    Musics musics(silent);
    for (const auto& [name, playlist] : musics.Playlists()) {
        musics.SelectPlaylist(name);
        CheckPosition(musics);
        for (int i = 0; i < 4; ++i) {
            musics.Update();
            CheckPosition(musics);
        }
    }

    AmbientSet* set = LoadAmbientSet("fuzz");
    set->PreloadAll();
    set->StartAll();
    for (int i = 0; i < 300; ++i) {
        UpdateAmbientSounds(0.01f);
        CheckLevels(*set);
    }
    const bool stoppable = [&] {
        for (const AmbientSound& sound : set->sounds)
            for (const FloatRange& r : sound.fade)
                if (!(std::fabs(r.min) <= 1.0f && std::fabs(r.max) <= 1.0f))
                    return false;
        return true;
    }();
    ReleaseAmbientSet(set);
    for (int i = 0; i < 150; ++i)
        UpdateAmbientSounds(0.01f);
    if (stoppable && AmbientSetCount() != 0)
        Fail("a released set whose fades last at most a second was not freed");
    DestroyAmbientSetCache();
    Sounds::Instance().UnloadAll();
    return 0;
}
