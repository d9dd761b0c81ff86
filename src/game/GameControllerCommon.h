#pragma once
#include "framework/files/Singletone.h"
#include "src/game/LevelBase.h"
#include "src/game/PlayerInfo.h"

#include <array>
#include <map>
#include <memory>
#include <string>

namespace Quib {

class PsdPicture;

// What a level controller registers with the common controller: a call and
// the controller it is for.
struct ControllerCallback {
    void (*function)(void* userData) = nullptr;
    void* userData = nullptr;
    explicit operator bool() const { return function != nullptr; }
    void operator()() const
    {
        if (function)
            function(userData);
    }
};

// The active level (one across every level kind), the release and cache-clear
// calls of the level controllers, and the player's progress.
class GameControllerBase {
public:
    virtual ~GameControllerBase() = default;
    virtual void LoadProgress() = 0;
    virtual void SaveProgress() = 0;

    LevelBase* activeLevel = nullptr;
    PlayerInfoBase* progress = nullptr;
    ControllerCallback releaseCallback;
    // One per level controller, by the controller's address.
    std::map<void*, ControllerCallback> clearCallbacks;
};

// The game-wide controller: progress, the active level, the shared screen
// pictures. One instance, made on first use and destroyed with the other
// singletons at exit.
class GameControllerCommon : public GameControllerBase, public Singletone<GameControllerCommon> {
public:
    static constexpr size_t kSharedPictureCount = 5;
    enum SharedPicture : size_t { PICTURE_RAMKA, PICTURE_NOTEBOOK, PICTURE_INGAMEMENU, PICTURE_OPTIONS,
                                  PICTURE_RAMKA_TUTORIAL };

    static GameControllerCommon& Instance();
    // The instance when one exists (null after exit has destroyed it).
    static GameControllerCommon* Existing();

    GameControllerCommon();
    ~GameControllerCommon() override;

    // PlayerInfo::Load, then Scenario::LoadAll.
    void LoadProgress() override;
    // The level records, the player values, then the profile file.
    void SaveProgress() override;
    // Calls and clears the release callback; no level is active afterwards.
    void ReleaseActiveLevel();
    // Releases the active level, clears every level cache, and saves the
    // progress when a profile is current.
    void ReleaseAll();
    // Makes the level the active one, released through the callback.
    void SetActiveLevel(LevelBase* level, ControllerCallback release);
    // The name of the active level; empty when none is.
    std::string ActiveLevelName() const { return activeLevel ? activeLevel->levelName : std::string(); }

    // The shared pictures (owned); null when not loaded.
    PsdPicture* GetSharedPicture(SharedPicture which) const { return sharedPictures[which].get(); }
    void SetSharedPicture(SharedPicture which, std::unique_ptr<PsdPicture> picture);
    // Frees every shared picture.
    void FreeSharedPictures();

    PlayerInfo& Player() { return *player; }

private:
    std::unique_ptr<PlayerInfo> player;
    std::array<std::unique_ptr<PsdPicture>, kSharedPictureCount> sharedPictures;
};

// Loads data/gui/ramka/, notebook/, ingamemenu/ and options/ (with their
// images) into the common controller.
void LoadCommonLayouts();
// The shared layout data/gui/ramka_tutorial/, loaded on first use.
PsdPicture* GetTutorialFrameLayout();

} // namespace Quib
