#pragma once
#include "src/screens/BaseBoard.h"

#include <vector>

namespace Quib {

class DDImage;

// The first board: the logos of logo\logo.ini one after another, each
// fading in and out over four seconds; a click or a key skips to the next
// at five times the speed. After the last it goes to the main menu.
class TitleScreen : public BaseBoard {
public:
    static constexpr float kSecondsPerLogo = 4.0f;
    static constexpr float kSkipSpeed = 5.0f;

    TitleScreen();
    ~TitleScreen() override;

    void OnAttachedToManager(WidgetManager* widgetManager) override;
    void Draw(Graphics& g) override;
    void OnKeyDown(int key) override;
    void OnMouseDown(int px, int py, ClickCode code) override;
    std::string GetMusicId() override { return "Menu"; }
    void UpdateBoard(float seconds) override;

    void SkipLogo();
    void Leave();
    void GoToMainMenu();

    // The logo shown at the clock and its alpha; -1 after the last.
    int LogoIndexAt(float at) const;
    static int AlphaAt(float at, int index);

    std::vector<DDImage*> logos;
    float clock = 0.0f;
    bool skipping = false;
    float skipTarget = 0.0f;
    bool left = false;
};

} // namespace Quib
