#pragma once
#include "src/game/minigames/MinigamePicture.h"
#include "src/game/quest/QstField.h"

#include <list>
#include <memory>
#include <string>

namespace Quib {

class Graphics;

// The base of the close-up puzzles: the "OnWin" actions group, the skip
// control with its waiting time, the help dialog at opening, the win run
// after the current application step, the puzzle's part of the saved scene
// state and the pictures a kind draws itself.
class QstFieldMinigame : public QstField {
public:
    QstFieldMinigame(QstScene* scene, void* loadingData, const std::string& typeName);
    ~QstFieldMinigame() override;

    // --- Field slots ---
    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context) override;
    bool SaveState(QstXmlElement& element) override;
    bool LoadState(QstXmlElement& element) override;
    void Layout() override;
    void UnloadLayers() override;
    void Open() override;
    bool IsHintStop() override;
    bool TakesPlainClicks() const override { return true; }
    virtual bool SaveMinigameState(QstXmlElement& element);
    // opened: set when saved puzzle state was found.
    virtual bool LoadMinigameState(QstXmlElement& element, bool* openedFlag);

    // --- ButtonListener ---
    void ButtonDepressByMouse(int id, int mouseButton) override;
    void ButtonDepress(int id) override;

    // Starts the win once: the win actions run after the current step.
    void Win();
    // The end of the win: the tutorial's hook, then the "OnWin" group.
    void RunOnWin();

    const std::string& GetTypeName() const { return typeName; }
    const std::string& GetOnWinName() const { return onWinName; }
    bool IsOpened() const { return opened; }
    bool IsFinishing() const { return finishing; }
    bool WasTutorShown() const { return tutorShown; }

    // The field's drawing set-up (popup transform, scene tint): the colour
    // to draw with at full strength.
    Color BeginPuzzlePass(Graphics& g) const;
    // The picture's image pixel under a field point has alpha above limit.
    bool PictureHitAt(const MinigamePicture* picture, int px, int py, int limit = 10) const;
    // The picture at its place (field coordinates), whole pixels.
    void DrawPicture(Graphics& g, const MinigamePicture* picture) const;
    // The same, rotated about (cx, cy) of the picture.
    void DrawPictureRotated(Graphics& g, const MinigamePicture* picture, float angle, float cx, float cy,
                            float dx = 0.0f, float dy = 0.0f) const;

    // What a DelayActor watches; empty once the field is gone.
    std::weak_ptr<QstFieldMinigame*> WatchSelf() const { return mSelf; }

    std::list<MinigamePicture> pictures; // stable addresses: kinds keep pointers

protected:
    bool opened = false;
    bool tutorShown = false;
    std::string typeName;
    bool showTutorial = true;
    std::string onWinName;
    bool finishing = false;

private:
    // Watched by the DelayActor: cleared when the field goes.
    std::shared_ptr<QstFieldMinigame*> mSelf;
};

// The picture of the layer entry named (mask +) name, taken out of the
// field's layers; null when the scene picture has no such layer.
MinigamePicture* LoadFieldPicture(SLoadLayerDataCont& context, const std::string& name, QstFieldMinigame* field,
                                  bool withMask);
// Turns the angle toward the target the short way round by at most step;
// true once there. The angle stays in [0, 2 pi).
bool RotateAngleTowards(float& angle, float step, float target);
// Into [0, 2 pi).
void NormalizeAngle(float& angle);
// The attribute as "%g".
void SetAttrFloat(QstXmlElement& element, const char* name, float value);

} // namespace Quib
