#pragma once
#include "src/game/minigames/QstFieldMinigame.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Quib {

class TGameButton;

// The music box: three melodies of five notes, shown one at a time on the
// small drum; the player sets one pin per column of the large drum and
// presses play. A wrong or missing pin rolls the drum back; the third
// melody played right wins.
class QstFieldMusicBox : public QstFieldMinigame {
public:
    static constexpr int32_t kPlayButtonId = 5433;
    static constexpr int kRows = 7;
    static constexpr int kColumns = 5;

    struct Column {
        MinigamePicture* notePicture = nullptr;
        float flash = 0.0f;
        bool right = true;
    };
    struct Pin {
        int32_t x = 0, y = 0;
        bool hovered = false;
        float hoverFade = 0.0f;
        bool set = false;
        float setFade = 0.0f;
        float flash = 0.0f;
        bool right = true;
    };
    using PinGrid = std::array<std::array<Pin, kColumns>, kRows>;

    QstFieldMusicBox(QstScene* scene, void* loadingData, const std::string& typeName);
    ~QstFieldMusicBox() override;

    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context) override;
    void Layout() override;
    void UnloadLayers() override;
    void Update(float seconds) override;
    void Draw(Graphics& g) override;
    void OnMouseMove(int px, int py) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseLeave() override;
    void ButtonDepress(int id) override;

    void MakeMelodies();
    void ShowMelody(int melody, int page);
    void StartPlay();
    void ClearPins();
    int LargeDrumOffset() const;
    // Every picture the box draws with was found in the scene picture.
    bool HasAllPictures() const;

    std::array<std::vector<int32_t>, 3> melodies;
    std::vector<MinigamePicture*> notePictures; // note value v -> "notes/<v + 1>"
    std::array<std::array<Column, kColumns>, 2> columns;
    std::array<PinGrid, 2> pins;
    int32_t stage = 0;
    int32_t column = 0;
    float playPosition = 0.0f;
    float advanceProgress = 0.0f;
    MinigamePicture* largeDrumBase = nullptr;
    MinigamePicture* smallDrumBase = nullptr;
    float drumTurns = 0.0f;
    int32_t firstPinX = 0, firstPinY = 0;
    int32_t secondRowX = 0;
    int32_t lastColumnY = 0;
    MinigamePicture* pinPicture = nullptr;
    MinigamePicture* pinLight = nullptr;
    MinigamePicture* playNormal = nullptr;
    MinigamePicture* playHover = nullptr;
    TGameButton* playButton = nullptr; // a child of the field
    std::vector<MinigamePicture*> overlays;
    MinigamePicture* smallMask = nullptr;
    MinigamePicture* largeMask = nullptr;
    bool playing = false;
    bool rewinding = false;
    bool advancing = false;
    bool layoutDone = false;
};

} // namespace Quib
