#pragma once
#include "framework/core/Rect.h"
#include "framework/widgets/ButtonListener.h"
#include "src/screens/BaseBoard.h"
#include "src/screens/FlashingLayer.h"

#include <list>
#include <memory>
#include <string>
#include <vector>

namespace Quib {

class MemoryImage;
class ParticlesCommon;
class PsdPicture;
class PsdPictureLayer;
class TGameButton;
struct ContinueRequest;

// The board after the title screen: an animated harbour picture (sky,
// lantern and passing light effects, flashing lights), the player's name
// and the buttons play, player, options, credits and exit.
class MainMenu : public BaseBoard, public ButtonListener {
public:
    enum ButtonId : int { kPlay = 0, kProfiles = 1, kOptions = 2, kCredits = 3, kExit = 4 };

    static constexpr const char* kLayoutFolder = "data\\gui\\main_menu\\";
    // Effects are advanced by this much per update.
    static constexpr float kEffectStep = 0.005f;
    // The lightarrow timer counts down by this much per update.
    static constexpr float kLightarrowStep = 0.01f;
    // The name is drawn turned by 15 degrees.
    static constexpr double kNameAngle = 0.2617994;

    // Loads the layout (images deferred) and draws the first lightarrow wait.
    MainMenu();
    ~MainMenu() override;

    std::string GetBoardName() override { return "Menu"; }
    void OnBecameCurrent() override;
    void LoadImages() override;
    void OnStart() override;
    void OnLeft() override;
    // Replaces the board update: no frame timing, no process steps.
    void Update() override;
    void Draw(Graphics& g) override;

    void ButtonDepress(int id) override;

    // Stores the name and renders it once into the name image.
    void SetPlayerName(const std::u16string& name);
    // Adds the button of "buttons/" + the layer names; the pressed picture,
    // when there is one, is drawn while the button is held.
    void AddMenuButton(int id, const std::string& normal, const std::string& over, const std::string& down);
    void ShowProfileScreen(bool createMode);
    // Continues the game where the current profile left it.
    void Play();
    // Starts what the request names.
    void StartRequest(const ContinueRequest& request);

    std::unique_ptr<PsdPicture> layout;
    PsdPictureLayer* backLayer = nullptr;
    PsdPictureLayer* back2Layer = nullptr;
    Rect namePlaceholder;
    std::u16string playerName;
    std::unique_ptr<MemoryImage> nameImage; // with alpha, unlike a display surface
    int32_t nameX = 0;
    int32_t nameY = 0;
    int32_t nameAscent = 0;
    std::unique_ptr<ParticlesCommon> skyEffect;
    std::list<std::unique_ptr<ParticlesCommon>> passingEffects;
    std::list<std::unique_ptr<ParticlesCommon>> fixedEffects;
    std::vector<FlashingLayer> flashingLayers;
    float lightarrowTimer = 0.0f;
    // Set by the creator when no profile could be loaded: the profile
    // screen then opens by itself.
    bool noProfile = false;
    bool openProfilesRequest = false;
    std::vector<TGameButton*> buttons; // children, deleted with the menu
};

// Switches to a new main menu.
void ShowMainMenu();

} // namespace Quib
