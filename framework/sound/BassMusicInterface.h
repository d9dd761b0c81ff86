#pragma once
// Music through the shared BASS record: streams (WAV, Ogg, MP3) and module
// music, faded a step per Update.
#include "framework/sound/MusicEntry.h"
#include "framework/sound/MusicInterface.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace Quib {

class BassMusicInterface : public MusicInterface {
public:
    explicit BassMusicInterface(void* window = nullptr);
    ~BassMusicInterface() override;
    BassMusicInterface(const BassMusicInterface&) = delete;
    BassMusicInterface& operator=(const BassMusicInterface&) = delete;

    bool LoadMusic(int songId, const std::string& fileName) override;
    void PlayMusic(int songId, int offset, bool noLoop) override;
    void StopMusic(int songId) override;
    void PauseMusic(int songId) override;
    void ResumeMusic(int songId) override;
    void StopAllMusic() override;
    void UnloadMusic(int songId) override;
    void UnloadAllMusic() override;
    void PauseAllMusic() override;
    void ResumeAllMusic() override;
    void FadeMusicTo(int songId, double target, double speed) override;
    void FadeIn(int songId, int offset, double speed, bool noLoop) override;
    void FadeOut(int songId, bool stopWhenFaded, double speed) override;
    void FadeOutAll(bool stopWhenFaded, double speed) override;
    void SetSongVolume(int songId, double volume) override;
    void SetSongMaxVolume(int songId, double volume) override;
    bool IsPlaying(int songId) override;
    void SetVolume(double volume) override;
    void SetMusicAmplify(int songId, double amplify) override;
    void Update() override;

    // The song of the id, or null.
    const MusicEntry* FindSong(int songId) const;

private:
    MusicEntry* Find(int songId);
    void ApplyVolume(const MusicEntry& entry);
    void StartChannel(MusicEntry& entry, int offset, uint32_t musicFlags, bool noLoop);
    void FreeHandles(const MusicEntry& entry);

    // Bytes of pak members that streams read from, with their stream.
    std::vector<std::pair<std::shared_ptr<std::vector<uint8_t>>, BassHandle>> mPakStreamCopies;
    std::map<int, MusicEntry> mSongs;
    int mVolumeScale = 40;
    uint32_t mModLoadFlags = 0;
    BassInstance* mBass = nullptr; // null: the library is missing, all is silent
};

} // namespace Quib
