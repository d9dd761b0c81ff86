#pragma once
#include "src/game/minigames/QstFieldMinigame.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Quib {

// The sliding-tile lock: nine scrambled tiles on a 3 x 3 grid and four locks
// between them. With a key in every lock, a click on a lock rotates the four
// tiles around it (left one way, right the other); every tile home wins.
class QstFieldLock15 : public QstFieldMinigame {
public:
    // The cells of each lock's 2 x 2 block, in cycle order.
    static constexpr int32_t kBlocks[4][4] = {{0, 1, 4, 3}, {1, 2, 5, 4}, {3, 4, 7, 6}, {4, 5, 8, 7}};

    struct Tile {
        MinigamePicture* picture = nullptr;
        float x = 0.0f, xStart = 0.0f, xTarget = 0.0f;
        float y = 0.0f, yStart = 0.0f, yTarget = 0.0f;
        int32_t home = 0;
    };
    struct Lock {
        MinigamePicture* lockPicture = nullptr;
        MinigamePicture* keyPicture = nullptr;
        bool inserted = false;
        float angle = 0.0f, angleStart = 0.0f, angleTarget = 0.0f;
    };

    QstFieldLock15(QstScene* scene, void* loadingData, const std::string& typeName);

    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context) override;
    void Update(float seconds) override;
    void Draw(Graphics& g) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    // An inventory item used on the field: a key goes into the lock under it.
    bool GetUseTarget(int px, int py, const std::string& draggedItem, const std::string& draggedState,
                      std::string& itemName, std::string& stateName) override;
    bool UseItem(int px, int py, const std::string& itemName);
    bool SaveMinigameState(QstXmlElement& element) override;
    bool LoadMinigameState(QstXmlElement& element, bool* openedFlag) override;

    void Rotate(int block, bool forward);
    void SetTileTarget(int cell, bool snap);
    void SnapAllTiles();
    void Scramble();
    bool AllKeysIn() const;
    void CheckSolved();
    // The homes of the tiles on cells 0 to 8.
    std::array<int32_t, 9> Arrangement() const;
    // Puts the tiles of those homes on cells 0 to 8 and snaps them.
    void SetArrangement(const std::array<int32_t, 9>& homes);

    // Reads "parts": nine comma-separated cells 0 to 8, each once (any
    // such arrangement can be solved); false for anything else.
    static bool ParseArrangement(const std::string& text, std::array<int32_t, 9>& homes);

    std::vector<Tile> tiles;                  // per cell
    std::vector<MinigamePicture*> cellPictures; // per cell
    std::vector<Lock> locks;
    std::vector<std::string> keyNames;
    bool moving = false;
    float moveProgress = 0.0f;
    MinigamePicture* background = nullptr;
    MinigamePicture* lockedOverlay = nullptr;
    float lockedFade = 1.0f;
};

} // namespace Quib
