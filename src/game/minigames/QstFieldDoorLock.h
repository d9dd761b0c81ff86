#pragma once
#include "src/game/minigames/QstFieldMinigame.h"
#include "src/game/minigames/ShakeJitter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Quib {

// The door lock picked with a hairpin: the hairpin follows the mouse, a
// click turns the cylinder half a turn and each turn sets the next of four
// pins; the fourth pin swings the arrow to its end and wins.
class QstFieldDoorLock : public QstFieldMinigame {
public:
    static constexpr float kStep = 0.34557518f; // the arrow's step per pin

    struct Pin {
        MinigamePicture* picture = nullptr;
        float level = 0.0f;
    };

    QstFieldDoorLock(QstScene* scene, void* loadingData, const std::string& typeName);

    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context) override;
    void Update(float seconds) override;
    void Draw(Graphics& g) override;
    void OnMouseMove(int px, int py) override;
    // The free-area click of the field.
    void OnInnerMouseDown(int px, int py, int button, int clicks) override;
    void TurnLock(int px, int py, int button, int clicks);

    void Reset();
    void UpdateArrowTarget();
    void UpdatePinLevels();
    void DrawRandomValues();
    void AimHairpin(int px, int py);

    MinigamePicture* hairpin = nullptr;
    MinigamePicture* cylinder = nullptr;
    float hairpinAngle = 0.0f;
    float aim = 0.0f;
    std::vector<int32_t> randomValues;
    int32_t pinsSet = 0;
    bool turning = false;
    float lockAngle = 0.0f;
    float firstTarget = 0.0f;
    bool secondPhase = false;
    float secondTarget = 0.0f;
    int32_t turnsWithoutProgress = 0;
    std::vector<Pin> pins;
    MinigamePicture* arrow = nullptr;
    float arrowAngle = 0.0f;
    float arrowTarget = 0.0f;
    float shakeTimer = 0.0f;
    ShakeJitter jitter{2, 2, 0.02f, 0.05f, 1000.0f, 0, 0, 0.0f, 0.0f, 0.0f};
    bool solved = false;
};

} // namespace Quib
