#pragma once
#include "src/game/LevelBase.h"
#include "src/game/ispy/TMessenger.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Quib {

class TPicture;

// The rules of one hidden-object level: its picture, score, blocked state,
// completeness, and its state kept in the player profile.
class TLevel : public TMessenger, public LevelBase {
public:
    explicit TLevel(const std::string& name);
    ~TLevel() override;

    void OnMessage(int32_t id, TMessenger* sender, TMessageData* data) override;
    // Builds the picture.
    void Start() override { Load(); }
    void Load();
    void SaveState() override;
    void LoadState() override;

    bool IsComplete();
    int32_t CountRecordsLeft() const;
    void SetBlocked(bool flag);
    void SetCurrentList(const std::string& listName);
    void PlaceAllSpheres();
    void SaveLists(TPicture* picture, const std::string& name);
    void LoadLists(TPicture* picture, const std::string& name);
    void EraseLists(TPicture* picture, const std::string& name);

    std::vector<TPicture*> pictures; // owned
    int32_t hintsStay = 5;
    int32_t score = 0;
    bool blocked = false;
    bool changed = false;
    bool loadImagesNow = false;
    std::string hogItemName;
    bool penaltySent = false;
    // A list name was given once (the first one always builds a search).
    bool listSet = false;
};

// The first picture of the level with that name, or null.
TPicture* FindLevelEntryByName(TLevel* level, const std::string& name);

} // namespace Quib
