#pragma once
// Music through the shared FMOD record: module songs, and samples decoded
// once into the music cache.
#include "framework/sound/FModMusicEntry.h"
#include "framework/sound/MusicInterface.h"

#include <map>

namespace Quib {

class FModMusicInterface : public MusicInterface {
public:
    FModMusicInterface();
    ~FModMusicInterface() override;
    FModMusicInterface(const FModMusicInterface&) = delete;
    FModMusicInterface& operator=(const FModMusicInterface&) = delete;

    bool LoadMusic(int songId, const std::string& fileName) override;
    void PlayMusic(int songId, int offset, bool noLoop) override;
    void StopMusic(int songId) override;
    void PauseMusic(int songId) override;
    void ResumeMusic(int songId) override;
    void StopAllMusic() override;
    void UnloadMusic(int songId) override;
    void UnloadAllMusic() override;
    void FadeIn(int songId, int offset, double speed, bool noLoop) override;
    void FadeOut(int songId, bool stopWhenFaded, double speed) override;
    void FadeOutAll(bool stopWhenFaded, double speed) override;
    void SetSongVolume(int songId, double volume) override;
    bool IsPlaying(int songId) override;
    void SetVolume(double volume) override;
    void Update() override;

    // Intro then loop part joined into one sample that loops over the loop
    // part; both named without extension.
    bool LoadMusicWithLoop(int songId, const std::string& introName, const std::string& loopName, bool loop);
    // A track named without extension, through the cache.
    bool LoadMusicSample(int songId, const std::string& name, bool loop);
    // The cached decoded form of name + ".ogg", decoding and caching it when
    // there is none; null when neither loads.
    FmodSample* LoadCachedMusicSample(const std::string& name);

    const FModMusicEntry* FindSong(int songId) const;

private:
    FModMusicEntry* Find(int songId);
    void ApplyVolume(int songId, const FModMusicEntry& entry);
    void StartSample(int songId, const FModMusicEntry& entry);
    void Free(const FModMusicEntry& entry);

    std::map<int, FModMusicEntry> mSongs;
    double mMasterVolume = 1.0;
    int mModuleVolumeScale = 100;
    int mSampleVolumeScale = 100;
    FmodInstance* mFmod = nullptr; // null: the library is missing, all is silent
};

} // namespace Quib
