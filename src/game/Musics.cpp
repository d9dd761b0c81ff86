#include "src/game/Musics.h"

#include "framework/files/IniData.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/Random.h"
#include "framework/files/StringUtils.h"
#include "framework/sound/MusicInterface.h"

namespace Quib {

namespace {

constexpr const char* kSection = "music";
constexpr const char* kTrackList = "musiclist";

bool AllEmpty(const std::vector<std::string>& tokens)
{
    for (const std::string& token : tokens)
        if (!token.empty())
            return false;
    return true;
}

} // namespace

Musics::Musics(MusicInterface& music) : mMusic(music)
{
    IniData ini;
    ini.LoadFile("res\\sounds.ini");
    std::vector<std::string> files;
    ini.GetValues(files, kTrackList, kSection);
    if (AllEmpty(files))
        files.clear();
    const int trackCount = int(files.size());
    for (int i = 0; i < trackCount; ++i)
        if (!mMusic.LoadMusic(i, "data\\music\\" + files[size_t(i)]))
            QUIB_LOG_ERROR("Can't load music \"%s\"", files[size_t(i)]);

    std::vector<std::string> keys;
    ini.GetKeyNames(kSection, keys);
    for (const std::string& key : keys) {
        if (key == kTrackList)
            continue;
        std::vector<std::string> tokens;
        ini.GetValues(tokens, key, kSection);
        if (AllEmpty(tokens))
            continue;
        Playlist playlist;
        size_t first = 0;
        if (tokens[0] == "rand") {
            playlist.random = true;
            first = 1;
        }
        // "play_first_once" counts as the first token, or as the second
        // when the list has more than two.
        size_t skip = tokens.size();
        if (tokens[0] == "play_first_once")
            skip = 0;
        else if (tokens.size() > 2 && tokens[1] == "play_first_once")
            skip = 1;
        playlist.playFirstOnce = skip != tokens.size();
        for (size_t i = first; i < tokens.size(); ++i) {
            if (i == skip)
                continue;
            const int track = StringToIntAtoi(tokens[i]);
            if (track >= 0 && track < trackCount)
                playlist.tracks.push_back(track);
        }
        mPlaylists[key] = std::move(playlist);
    }
}

Playlist& Musics::Find(const std::string& name)
{
    auto found = mPlaylists.find(name);
    return found == mPlaylists.end() ? mEmpty : found->second;
}

int Musics::NextIndex(const Playlist& playlist, int position, bool next)
{
    const int n = int(playlist.tracks.size());
    if (n <= 2)
        return 0;
    if (playlist.random) {
        if (playlist.playFirstOnce && !playlist.played)
            return 0;
        int d = next ? n - 1 : n;
        const bool skipFirst = playlist.playFirstOnce && playlist.played && d > 1;
        if (skipFirst)
            --d;
        int e = int(MersenneNext() % uint32_t(d));
        if (skipFirst)
            ++e;
        if (next && e >= position)
            ++e;
        return e;
    }
    int c = next ? position + 1 : 0;
    if (c >= n)
        c = 0;
    return c;
}

void Musics::SelectPlaylist(const std::string& name)
{
    // The playlists carry the ini file's lower-cased names.
    const std::string lower = StringToLower(name);
    if (lower == mCurrentName || lower == kKeepMusic)
        return;
    mCurrentName = lower;
    Playlist& playlist = Find(lower);
    int track = -1, position = 0;
    if (!playlist.tracks.empty()) {
        position = NextIndex(playlist, 0, false);
        track = playlist.tracks[size_t(position)];
        playlist.played = true;
    }
    CrossFadeMusic(mMusic, mCurrentTrack, track, false);
    mPosition = position;
    mCurrentTrack = track;
}

void Musics::Update()
{
    if (mCurrentTrack == -1 || mMusic.IsPlaying(mCurrentTrack))
        return;
    const Playlist& playlist = Find(mCurrentName);
    if (playlist.tracks.empty())
        return;
    const int position = NextIndex(playlist, mPosition, true);
    const int track = playlist.tracks[size_t(position)];
    CrossFadeMusic(mMusic, mCurrentTrack, track, true);
    mPosition = position;
    mCurrentTrack = track;
}

void CrossFadeMusic(MusicInterface& music, int oldId, int newId, bool force)
{
    if (!force && oldId == newId)
        return;
    if (oldId != -1)
        music.FadeOut(oldId, true, Musics::kFadeOutSpeed);
    if (newId != -1)
        music.FadeIn(newId, 0, Musics::kFadeInSpeed, true);
}

} // namespace Quib
