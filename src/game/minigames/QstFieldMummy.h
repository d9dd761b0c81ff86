#pragma once
#include "framework/core/Point.h"
#include "src/game/minigames/QstFieldMinigame.h"
#include "src/game/minigames/ShakeJitter.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Quib {

class QstPoolData;

// The mummy: taking a given inventory item while the target item is in a
// given state switches the target to a new state and starts fire mode:
// the pointer wanders on its own ever faster while the player must click
// the target (or the second target) a number of times; a miss shows a
// message, and every hit or miss blocks clicks for two seconds.
class QstFieldMummy : public QstFieldMinigame {
public:
    QstFieldMummy(QstScene* scene, void* loadingData, const std::string& typeName);
    ~QstFieldMummy() override;

    // Mouse input is taken at the pointer plus the virtual offset.
    void OnMouseLeave() override;
    void OnMouseMove(int px, int py) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseUpButton(int px, int py, int button, int count) override;
    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context) override;
    void Update(float seconds) override;
    void OnClosed() override;
    void ButtonDepress(int id) override;
    bool OnLayerClick(int x, int y, QstFieldLayer* layer) override;
    bool CanTakePoolItem(QstItem* item, QstItemState* state) override;
    bool SaveMinigameState(QstXmlElement& element) override;
    bool LoadMinigameState(QstXmlElement& element, bool* openedFlag) override;

    void SetSpeedTarget();
    // Leaves fire mode: the pool's flag, the cursor and the pointer offset.
    void EndFireMode();
    // Moves the pointer by d: the system pointer where that is allowed,
    // else the virtual offset.
    void ShiftPointer(int dx, int dy);
    // The fire-mode flag of the scene's inventory pool.
    bool IsPoolFireMode() const;

    bool raising = false;
    bool fireMode = false;
    float phaseTime = 0.0f;
    float segmentDuration = 0.0f;
    float wanderAngle = 0.0f;
    Point wanderFrom;
    Point wanderTo;
    Point appliedOffset;
    int32_t hits = 0;
    float speed = 1.0f;
    float speedTarget = 1.0f;
    std::unique_ptr<ShakeJitter> jitter;
    int32_t cursorPhase = 0;
    float pause = 0.0f;
    std::string poolItemName;
    std::string targetItemName;
    std::string targetState;
    std::string newState;
    std::string secondTargetName;
    unsigned hitCount = 0;
    bool reapplyPool = false;
    // The pointer's move where the system pointer stays put.
    Point virtualOffset;
    // The cursor kind this field last set (6, 7, 8 or 1).
    int32_t shownCursor = 0;

private:
    void SetCursorKind(int32_t kind);
    // The application's cursor kind, or the one this field set.
    int32_t CurrentCursorKind() const;
    void SetPoolFireMode(bool on);
    // The inventory pool of the scene's cluster; null without a scene.
    QstPoolData* ScenePool() const;
};

} // namespace Quib
