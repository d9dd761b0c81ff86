#pragma once
#include "src/game/minigames/QstFieldMinigame.h"
#include "src/game/minigames/SPart.h"
#include "src/game/minigames/TDrag.h"
#include "src/game/minigames/TDragListener.h"

#include <cstdint>
#include <list>
#include <string>
#include <utility>
#include <vector>

namespace Quib {

// The burner: numbered parts dropped on the assembly's current stage in
// order; each right one cross-fades in the next stage picture, a wrong one
// flies back. The win follows a second after the last stage.
class QstFieldGorelka : public QstFieldMinigame, public TDragListener<SPart> {
public:
    using Part = TDrag<SPart>;

    QstFieldGorelka(QstScene* scene, void* loadingData, const std::string& typeName);
    ~QstFieldGorelka() override;

    void Draw(Graphics& g) override;
    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context) override;
    void Layout() override;
    void Update(float seconds) override;
    bool IsHintStop() override;
    bool SaveMinigameState(QstXmlElement& element) override;
    bool LoadMinigameState(QstXmlElement& element, bool* openedFlag) override;

    // --- TDragListener<SPart> ---
    void OnTake(const Point& point, SPart* part) override;
    bool OnDrop(SPart* part) override;

    std::list<Part*> parts; // owned, part 1 first
    std::vector<std::pair<MinigamePicture*, MinigamePicture*>> stages; // picture, shadow
    int32_t currentStage = 0;
    float stageFade = 1.0f;
    bool won = false;

private:
    // The stage index kept inside the stages (0 without any).
    void ClampStage();
    // Pictures and parts from scene to field coordinates, once per place.
    void PlaceInField();

    float mPlacedAtX = 0.0f;
    float mPlacedAtY = 0.0f;
};

} // namespace Quib
