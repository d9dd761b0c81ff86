#pragma once
#include "src/game/quest/QstTutorStep.h"

#include <memory>
#include <string>
#include <vector>

namespace Quib {

class PsdPicture;
class QstTutorialBox;
class QstXmlElement;
class Widget;
struct SLoadLayerDataCont;

// The steps of a scene's tutorial and the player's position in them (the
// player's "CurTutor", re-read on every query). The hooks answer true when
// the tutorial is finished, so that everything is let through.
class QstTutor {
public:
    explicit QstTutor(Widget* ownerWidget);
    QstTutor(const QstTutor&) = delete;
    QstTutor& operator=(const QstTutor&) = delete;
    // Boxes still on screen forget the tutor and close as usual; arrow
    // images live on while a box shows them.
    ~QstTutor();

    // Reads the steps of a Tutorial element; false after a reported error
    // (the steps read before it stay, no box is shown).
    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context);
    bool IsFinished();
    void StartStep();
    void OnBoxClosed(QstTutorialBox* closedBox);
    void Advance(bool wonHog);
    void StepBack();
    bool MatchesStep(QstTutorStepKind kind, const std::string& itemFullName, const std::string& stateName);

    // ---- Hooks ----
    bool OnClickTarget(const std::string& itemFullName, const std::string& stateName);
    bool IsClickAllowed(const std::string& itemFullName, const std::string& stateName);
    bool AllowUse(const std::string& itemFullName, const std::string& stateName, const std::string& dragFullName,
                  const std::string& dragState);
    bool OnGetDrag(const std::string& itemFullName, const std::string& stateName);
    void OnCloseClick();
    bool IsCloseDisabled();
    void OnWinMinigame();
    void OnBookClick();
    void OnWinHog();

    // ---- Hidden-object help boxes ----
    void ShowHogHelp3(PsdPicture* layout);
    void ShowHogHelp6(PsdPicture* layout);

    // The current step, or null when finished.
    const QstTutorStep* CurrentStep();

    std::vector<QstTutorStep> steps;
    int32_t current = 0;
    PsdPicture* frameLayout = nullptr; // shared
    QstTutorialBox* box = nullptr;     // child of the owner
    Widget* owner = nullptr;

private:
    void ShowHogHelp(PsdPicture* layout, const char* number);
    void CloseBox();
    // Boxes reach the tutor through this; it expires with the tutor.
    std::shared_ptr<QstTutor*> mSelf;
};

// The player's tutorial position and switch (null-safe without a profile).
int32_t GetPlayerTutorStep();
void SetPlayerTutorStep(int32_t step);
bool IsPlayerTutorialOn();
void SetPlayerTutorialOn(bool on);

} // namespace Quib
