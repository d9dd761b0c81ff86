#pragma once
#include "framework/core/Point.h"
#include "framework/files/FloatTransformer.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "src/game/ispy/TMessenger.h"
#include "src/game/ispy/TStatistic.h"
#include "src/screens/GameBase.h"

#include <memory>
#include <string>
#include <vector>

namespace Quib {

class HintWidget;
class ParticlesRef;
class PsdPicture;
class QstTutor;
class ToolTip;
class TPaintElement;
class TPicture;

// A hint marker: a looping "Hint" effect on an element, which glows.
struct HintEffect {
    HintEffect(TPaintElement* target, const std::string& effectName, float seconds, const Point& offset);
    ~HintEffect();
    HintEffect(const HintEffect&) = delete;
    HintEffect& operator=(const HintEffect&) = delete;

    TPaintElement* element = nullptr;
    std::unique_ptr<ParticlesRef> effect;
    float timeLeft = 0.0f;
    float duration = 0.0f;
};

// The full-screen board of a hidden-object level: the picture and its
// notepad under the interface layout; clicks become takes and misses, fast
// misses shove the cursor, and a complete level hands its result back to
// the scene and returns there.
class ISpy : public GameBase, public TMessenger, public FloatTransformerListener {
public:
    ISpy();
    ~ISpy() override;

    void OnAttachedToManager(WidgetManager* widgetManager) override;
    void OnDetachedFromManager(WidgetManager* widgetManager) override;
    void Draw(Graphics& g) override;
    void OnKeyDown(int key) override;
    void OnMouseLeave() override;
    void OnMouseMove(int px, int py) override;
    void OnMouseDown(int px, int py, ClickCode code) override;
    void Init() override;
    std::string GetBoardName() override { return "HOG"; }
    std::string GetMusicId() override;
    int GetImagesToLoad() override;
    void LoadImages() override;
    void OnStart() override;
    void OnLeft() override;
    void UpdateBoard(float seconds) override;
    void CreateInterface() override {}
    void OnPause() override {}
    void OnResume() override {}
    void OnStarted() override {}
    void DoExit() override {}
    void ButtonPress(int id) override;
    void OnMessage(int32_t id, TMessenger* sender, TMessageData* data) override;
    void OnFinished(FloatTransformer* transformer, int id) override;
    void OnSenderRemoved(MessageSender* sender) override;

    void BuildInterface();
    bool RequestHint();
    // The compass's tooltip: the text in the board's tooltip for a time.
    void ShowTooltip(const std::u16string& text, float seconds);
    bool IsInExitZone(int py) const;
    void ShoveCursor();
    void OnDialogClosed() { dialogClosed = true; }
    // The win without the sound: the scene gets the result, the profile
    // names the scene again, the level's visit is not saved.
    void HandOverWin();

    TPicture* picture = nullptr;
    bool missFlag = false;
    bool won = false;
    float winDelay = 2.0f;
    bool dialogClosed = false;
    bool dialogShown = false;
    float returnDelay = 0.1f;
    bool returned = false;
    FloatTrLine* missTween = nullptr; // listed in the process list; not owned
    std::unique_ptr<PsdPicture> interfaceLayoutOwned;
    TStatistic statistic;
    HintWidget* hintCompass = nullptr; // a child; null when the host gives none
    ToolTip* tooltip = nullptr; // a child once the interface is built
    bool shoveActive = false;
    Point shoveStart;
    Point lastCursorPoint;
    Point shoveTarget;
    float shoveProgress = 0.0f;
    std::unique_ptr<PsdPicture> tutorialLayout;
    std::vector<std::unique_ptr<HintEffect>> hintMarkers;
    std::unique_ptr<QstTutor> tutor;
    SBackFromHOGData returnData;
    bool notepadHintFlag = false;
    uint32_t notepadHintTime = 0;

private:
    void RemoveMarkersOf(const TPaintElement* element);
    void DropMissTween();
};

// Keeps the return data in the board, names the level in the profile's
// [Main] "LastScene" and gives the level its list name.
void StoreLastSceneForHog(ISpy* board, const SBackFromHOGData& data);
// Enters a level as a scene's ToHOG action does: a new board on the level
// of that name, the return data stored, and the switch to the board.
// Returns the board (owned by the application from the switch on).
ISpy* EnterHogLevel(const std::string& levelName, const SBackFromHOGData& data);
// The continue path: the level named in the profile's "LastScene" with the
// return data's text; null (and a log line) when the text is not a record.
ISpy* ContinueHogLevel(const std::string& levelName, const std::string& returnDataText);

// A safe "%d" substitution for translated texts: every "%d" (or "%i")
// becomes the number, "%%" a percent sign; any other '%' stays as it is.
std::u16string FormatCount(std::u16string_view text, int value);

} // namespace Quib
