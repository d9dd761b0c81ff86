#pragma once
#include "src/screens/BaseBoard.h"

#include <memory>
#include <string>

namespace Quib {

class MemoryImage;
class PsdPicture;
class PsdPictureLayer;

// The credits board: the credits texts, rendered once into an image, and
// the logos scroll up over data/gui/credits/; any click goes back to the
// main menu. It keeps whatever music plays.
class AboutScreen : public BaseBoard {
public:
    static constexpr float kScrollStep = 0.5f;

    AboutScreen();
    ~AboutScreen() override;

    void Update() override;
    void Draw(Graphics& g) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    // Renders the credits image anew and puts the scroll back to the bottom.
    void Init() override;
    std::string GetMusicId() override { return "do_not_change_music"; }

    std::unique_ptr<PsdPicture> layout;
    PsdPictureLayer* fadeLayer = nullptr;
    PsdPictureLayer* logosLayer = nullptr;
    std::unique_ptr<MemoryImage> creditsImage;
    std::u16string closingText;
    std::u16string clickText;
    float scrollPosition = 768.0f;
    bool scrolling = true;
    bool leaving = false; // the main menu was asked for
};

// Switches to a new credits board.
void ShowCredits();

} // namespace Quib
