#pragma once
// Music addressed by song id. This base is the silent player: every
// operation does nothing and loading fails.
#include <string>

namespace Quib {

class MusicInterface {
public:
    virtual ~MusicInterface() = default;

    virtual bool LoadMusic(int songId, const std::string& fileName);
    virtual void PlayMusic(int songId, int offset, bool noLoop);
    virtual void StopMusic(int songId);
    virtual void PauseMusic(int songId);
    virtual void ResumeMusic(int songId);
    virtual void StopAllMusic();
    virtual void UnloadMusic(int songId);
    virtual void UnloadAllMusic();
    virtual void PauseAllMusic();
    virtual void ResumeAllMusic();
    virtual void FadeMusicTo(int songId, double target, double speed);
    virtual void FadeIn(int songId, int offset, double speed, bool noLoop);
    virtual void FadeOut(int songId, bool stopWhenFaded, double speed);
    virtual void FadeOutAll(bool stopWhenFaded, double speed);
    virtual void SetSongVolume(int songId, double volume);
    virtual void SetSongMaxVolume(int songId, double volume);
    virtual bool IsPlaying(int songId);
    virtual void SetVolume(double volume);
    virtual void SetMusicAmplify(int songId, double amplify);
    virtual void Update();
};

} // namespace Quib
