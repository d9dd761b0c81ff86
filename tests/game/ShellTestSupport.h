#pragma once
// What the game-shell tests share: a sound manager that records what is
// asked of it, a host standing in for the game application with a profile
// document kept in a file, and the process log caught for one test.
#include "framework/files/IniDocument.h"
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundManager.h"
#include "src/game/GameShellHost.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Quib::Testing {

class RecordingSoundManager;

// An instance that plays until stopped or ended by the test.
class RecordingInstance : public SoundInstance {
public:
    RecordingInstance(RecordingSoundManager& manager, int id) : manager(manager), id(id) {}

    void Release() override
    {
        released = true;
        playing = false;
    }
    void SetBaseVolume(double) override {}
    void SetBasePan(int) override {}
    void AdjustPitch(double) override {}
    void SetVolume(double v) override
    {
        volume = v;
        volumes.push_back(v);
    }
    void SetPan(int p) override { pan = p; }
    bool Play(bool loop, bool autoRelease) override
    {
        playing = true;
        looping = loop;
        autoReleased = autoRelease;
        ++plays;
        return true;
    }
    void Stop() override { playing = false; }
    bool IsPlaying() override { return playing; }
    bool IsReleased() override { return released; }
    double GetVolume() override { return volume; }

    RecordingSoundManager& manager;
    int id;
    double volume = 1.0;
    std::vector<double> volumes; // every SetVolume
    int pan = 0;
    bool playing = false, looping = false, autoReleased = false, released = false;
    int plays = 0;
};

// Loads every name except the missing ones, under ids from 255 down;
// every instance is kept for the test to look at.
class RecordingSoundManager : public SoundManager {
public:
    bool IsInitialized() override { return true; }
    int FindOrLoadSound(const std::string& name) override
    {
        loadsAsked.push_back(name);
        if (missing.count(name))
            return -1;
        auto found = ids.find(name);
        if (found != ids.end())
            return found->second;
        const int id = 255 - int(ids.size());
        ids[name] = id;
        names[id] = name;
        return id;
    }
    bool LoadSound(unsigned, const std::string&) override { return false; }
    void ReleaseSound(unsigned id) override { released.push_back(int(id)); }
    void SetVolume(double) override {}
    bool SetBaseVolume(unsigned, double) override { return true; }
    bool SetBasePan(unsigned, int) override { return true; }
    SoundInstance* GetSoundInstance(unsigned id) override
    {
        if (noChannels)
            return nullptr;
        instances.push_back(std::make_unique<RecordingInstance>(*this, int(id)));
        return instances.back().get();
    }
    void ReleaseSounds() override {}
    void ReleaseChannels() override {}
    double GetMasterVolume() override { return 1.0; }
    void SetMasterVolume(double) override {}
    void Reserved() override {}
    void SetCooperativeWindow(void*) override {}
    void StopAllSounds() override {}
    int GetFreeSoundId() override { return -1; }
    int GetNumSounds() override { return int(ids.size()); }

    // The file name behind an instance ("data\sound\<file>").
    std::string FileOf(const SoundInstance* instance) const
    {
        return names.at(static_cast<const RecordingInstance*>(instance)->id);
    }
    // Instances of the file that play now.
    int Playing(const std::string& file) const
    {
        int n = 0;
        for (const auto& instance : instances)
            n += instance->playing && names.at(instance->id) == file;
        return n;
    }

    std::set<std::string> missing;
    bool noChannels = false;
    std::map<std::string, int> ids;
    std::map<int, std::string> names;
    std::vector<std::string> loadsAsked;
    std::vector<int> released;
    std::vector<std::unique_ptr<RecordingInstance>> instances;
};

// The game application as the shell sees it: settings by "section:key",
// a profile document saved to and loaded from a file, level calls
// counted. Installs itself for its lifetime.
class FakeShellHost : public GameShellHost {
public:
    FakeShellHost() : mOld(SetGameShellHost(this)) {}
    ~FakeShellHost() override { SetGameShellHost(mOld); }
    FakeShellHost(const FakeShellHost&) = delete;
    FakeShellHost& operator=(const FakeShellHost&) = delete;

    SoundManager* GetSoundManager() override { return soundManager; }
    double GetSfxVolume() override { return sfxVolume; }
    double GetAmbientVolume() override { return ambientVolume; }
    int GetGameIniInt(const std::string& key, const std::string& section, int position, int def) override;
    float GetGameIniFloat(const std::string& key, const std::string& section, float def) override;
    void WriteCommonIni() override { ++commonIniWrites; }

    bool LookupProfileValue(const std::string& section, const std::string& key, std::string& value) override;
    void SetProfileValue(const std::string& section, const std::string& key, const std::string& value) override;
    void SaveCurrentProfile() override;

    bool HasActiveLevel() override { return activeLevel; }
    void ReleaseActiveLevel() override
    {
        ++releases;
        activeLevel = false;
    }
    void ShowLevelBoard(const std::string& name) override { boards.push_back(name); }
    void RestoreLevelStates() override { ++restores; }

    void ShowMessageBox(const std::u16string& text, const std::u16string& caption) override
    {
        boxes.push_back({text, caption});
    }
    void SetExiting() override { exiting = true; }

    // The profile's value as stored, or "(none)".
    std::string Profile(const std::string& section, const std::string& key) const;
    // Forgets the loaded document: the next access reads the file again.
    void DropProfile() { mProfile.reset(); }

    SoundManager* soundManager = nullptr;
    double sfxVolume = 1.0;
    double ambientVolume = 1.0;
    std::map<std::string, std::string> settings; // "Section:Key" -> first value
    int commonIniWrites = 0;

    std::string profilePath; // empty: no profile
    int saves = 0;

    bool activeLevel = false;
    int releases = 0;
    int restores = 0;
    std::vector<std::string> boards;

    std::vector<std::pair<std::u16string, std::u16string>> boxes;
    bool exiting = false;

private:
    bool LoadCurrentProfile();

    GameShellHost* mOld;
    std::unique_ptr<IniDocument> mProfile;
};

} // namespace Quib::Testing
