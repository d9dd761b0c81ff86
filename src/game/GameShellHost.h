#pragma once
#include <string>

namespace Quib {

class SoundManager;

// What the sound table, the ambient sets, the progress records and the
// developer tools take from the game application, its settings and the
// player profiles. The application installs its own with SetGameShellHost;
// until then a silent host answers: no sound manager, full volumes, every
// setting at its default, no profile, no level.
class GameShellHost {
public:
    virtual ~GameShellHost() = default;

    // The application's sound-effect manager; null when there is none.
    virtual SoundManager* GetSoundManager() { return nullptr; }
    // The sound-effect and ambient volumes, 0..1.
    virtual double GetSfxVolume() { return 1.0; }
    virtual double GetAmbientVolume() { return 1.0; }

    // Reads of res\game.ini (the value at a position of the key's list, -1
    // for the first; the first value as a float), the default when missing.
    virtual int GetGameIniInt(const std::string& key, const std::string& section, int position, int def)
    {
        (void)key, (void)section, (void)position;
        return def;
    }
    virtual float GetGameIniFloat(const std::string& key, const std::string& section, float def)
    {
        (void)key, (void)section;
        return def;
    }
    // Writes the path aliases of the archive layer to data/common.ini.
    virtual void WriteCommonIni() {}

    // The current profile, loaded when needed: a value of it (false when
    // missing or when there is no profile); stores a value into it; writes
    // it to its file.
    virtual bool LookupProfileValue(const std::string& section, const std::string& key, std::string& value)
    {
        (void)section, (void)key, (void)value;
        return false;
    }
    virtual void SetProfileValue(const std::string& section, const std::string& key, const std::string& value)
    {
        (void)section, (void)key, (void)value;
    }
    virtual void SaveCurrentProfile() {}

    // The level controllers: whether a level is active, releasing it.
    virtual bool HasActiveLevel() { return false; }
    virtual void ReleaseActiveLevel() {}
    // Switches to a new game board for the level.
    virtual void ShowLevelBoard(const std::string& levelName) { (void)levelName; }
    // Every scene restores its saved state, the inventory pools are
    // restored and the scene hints prepared.
    virtual void RestoreLevelStates() {}

    // A message box of the application.
    virtual void ShowMessageBox(const std::u16string& text, const std::u16string& caption)
    {
        (void)text, (void)caption;
    }
    // Sets the application's exiting flag directly, so that its main loop
    // never runs.
    virtual void SetExiting() {}
};

// The installed host, or the silent one.
GameShellHost& GetGameShellHost();
// Installs a host (null: the silent one again); returns the one before.
GameShellHost* SetGameShellHost(GameShellHost* host);

} // namespace Quib
