#pragma once
#include "src/game/minigames/QstFieldMinigame.h"

#include <cstdint>
#include <string>

namespace Quib {

// The spy glass: a round lens following the mouse shows a hidden picture
// of the field at its place; after the given time of looking the puzzle
// counts as won.
class QstFieldSpyGlass : public QstFieldMinigame {
public:
    QstFieldSpyGlass(QstScene* scene, void* loadingData, const std::string& typeName);

    void Draw(Graphics& g) override;
    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context) override;
    void Update(float seconds) override;
    bool IsHintStop() override;

    // The lens's triangles at (cx, cy) in field coordinates.
    void DrawLens(Graphics& g, float cx, float cy);

    MinigamePicture* backPicture = nullptr;
    MinigamePicture* framePictureOfLens = nullptr;
    MinigamePicture* glarePicture = nullptr;
    MinigamePicture* scalePicture = nullptr;
    int32_t segments = 10;
    int32_t radius = 160;
    float timeLeft = 120.0f;
};

} // namespace Quib
