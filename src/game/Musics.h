#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Quib {

class MusicInterface;

// A named list of tracks of res\sounds.ini [Music].
struct Playlist {
    bool random = false;         // "rand": the next track is chosen at random
    bool playFirstOnce = false;  // "play_first_once": the first track opens it once, then is left out
    bool played = false;         // set whenever it is selected with tracks
    std::vector<int32_t> tracks; // music ids, in file order
};

// The game's music: every track of [Music] "MusicList" loaded under its
// position as music id, the playlists of the other keys, and the playlist
// of the current board played track after track with cross-fades.
//
// A playlist of one or two tracks always plays its first track: a two-track
// playlist repeats its first track and never reaches its second.
class Musics {
public:
    // The reserved name that keeps the music that plays.
    static constexpr const char* kKeepMusic = "do_not_change_music";
    // Fade speeds per update frame.
    static constexpr double kFadeOutSpeed = 0.004;
    static constexpr double kFadeInSpeed = 0.002;

    // Loads res\sounds.ini: the tracks into the music interface, which
    // must outlive this object, and the playlists.
    explicit Musics(MusicInterface& music);
    Musics(const Musics&) = delete;
    Musics& operator=(const Musics&) = delete;

    // Starts the named playlist (names are those of the ini file, found
    // without regard to case); the current name and the reserved name
    // change nothing; an unknown name fades the music out.
    void SelectPlaylist(const std::string& name);
    // Once per update frame: an ended track is followed by the next of the
    // current playlist.
    void Update();
    // The position to play; next = false asks for the opening position.
    static int NextIndex(const Playlist& playlist, int position, bool next);

    const std::map<std::string, Playlist>& Playlists() const { return mPlaylists; }
    const std::string& CurrentName() const { return mCurrentName; }
    int Position() const { return mPosition; }
    int CurrentTrack() const { return mCurrentTrack; }

private:
    Playlist& Find(const std::string& name);

    MusicInterface& mMusic;
    Playlist mEmpty;
    std::map<std::string, Playlist> mPlaylists;
    std::string mCurrentName;
    int mPosition = 0;
    int mCurrentTrack = -1;
};

// Fades the old track out (stopping it when faded) and the new one in from
// its start, played once; without force nothing happens when both are the
// same. -1 stands for no track.
void CrossFadeMusic(MusicInterface& music, int oldId, int newId, bool force);

} // namespace Quib
