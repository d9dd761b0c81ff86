#pragma once
#include "src/game/minigames/QstFieldMinigame.h"

#include <deque>
#include <string>
#include <vector>

namespace Quib {

// The safe: ten digit hot spots around a dial. Each accepted digit queues a
// turn of the dial; once the whole code is in and the dial has made its last
// turn, the code is compared with the field's combination.
class QstFieldSeif : public QstFieldMinigame {
public:
    struct DigitSpot {
        MinigamePicture* picture = nullptr;
        bool pressed = false;
        float fade = 0.0f;
    };

    QstFieldSeif(QstScene* scene, void* loadingData, const std::string& typeName);

    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context) override;
    void Update(float seconds) override;
    void Draw(Graphics& g) override;
    void OnMouseMove(int px, int py) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseLeave() override;
    bool SaveMinigameState(QstXmlElement& element) override;
    bool LoadMinigameState(QstXmlElement& element, bool* openedFlag) override;

    // False when the code is already as long as the combination.
    bool AppendDigit(int digit, float angle);
    void Reset(bool withFades);
    // The dial's turn that points at the digit's hot spot.
    float AngleOfDigit(int digit) const;

    // A usable combination: one to ten digits, none repeated.
    static bool IsValidCombination(const std::string& text);

    MinigamePicture* dial = nullptr;
    std::vector<DigitSpot> digits; // index = digit
    int hovered = -1;
    float dialAngle = 0.0f;
    std::string combination;
    std::string entered;
    std::deque<float> dialTargets;
};

} // namespace Quib
