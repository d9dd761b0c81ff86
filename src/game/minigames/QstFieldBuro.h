#pragma once
#include "src/game/minigames/QstFieldMinigame.h"

#include <string>
#include <vector>

namespace Quib {

// The bureau lock: four push buttons pressed in the order of a four-digit
// code. Each press is checked at once; a wrong one pops every button back
// up when the mouse is released. Four right presses turn the disc and win.
class QstFieldBuro : public QstFieldMinigame {
public:
    // The bureau's code: each digit names a button 1 to 4.
    static constexpr const char* kCombination = "2413";

    struct PushButton {
        MinigamePicture* hoverPicture = nullptr;
        MinigamePicture* pressedPicture = nullptr;
        float hoverFade = 0.0f;
        bool pressed = false;
        bool right = false;
        float pressDepth = 0.0f;
    };

    QstFieldBuro(QstScene* scene, void* loadingData, const std::string& typeName);

    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context) override;
    void Update(float seconds) override;
    void Draw(Graphics& g) override;
    void OnMouseMove(int px, int py) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseUpButton(int px, int py, int button, int count) override;
    void OnMouseLeave() override;

    void ResetButtons(bool withAnimationState);
    void SetCombination();

    std::vector<PushButton> buttons; // buttons 1 to 4
    int hovered = -1;                // index, -1 for none
    int held = -1;
    std::string combination;
    std::string entered;
    MinigamePicture* disc = nullptr;
    float discAngle = 0.0f;
    bool opening = false;
    float finishDelay = 0.5f;
};

} // namespace Quib
