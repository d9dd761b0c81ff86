#include "src/screens/MainMenu.h"

#include "src/game/ispy/ISpy.h"

#include "framework/core/Point.h"
#include "framework/files/FloatRange.h"
#include "framework/files/FloatTransformer.h"
#include "framework/files/ProcessLog.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameApp.h"
#include "src/GameResources.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/quest/PsdPicture.h"
#include "src/particles/ParticlesCommon.h"
#include "src/screens/AboutScreen.h"
#include "src/screens/ContinueRequest.h"
#include "src/screens/DarkBack.h"
#include "src/screens/ExitScreen.h"
#include "src/screens/Options.h"
#include "src/screens/ProfileScreen.h"
#include "src/screens/MovieStartData.h"
#include "src/screens/TGameButton.h"

#include <algorithm>

namespace Quib {

namespace {

constexpr FloatRange kLightarrowWait{1.0f, 3.0f};
constexpr FloatRange kLightarrowX{0.0f, 1024.0f};
constexpr FloatRange kLightarrowY{30.0f, 200.0f};
const Color kNameColor(255, 243, 152);

std::unique_ptr<ParticlesCommon> StartLooping(const char* name, float x, float y, float rewind)
{
    std::unique_ptr<ParticlesCommon> effect = CreateParticlesByName(name);
    effect->SetLooping(true);
    effect->StartAt(TPoint<float>(x, y));
    effect->Rewind(rewind);
    return effect;
}

template <class... A>
void LogInfo(const char* format, const A&... args)
{
    ProcessLog::GetInstance()->LogInfo(format, args...);
}

} // namespace

MainMenu::MainMenu() : BaseBoard(false), layout(std::make_unique<PsdPicture>(kLayoutFolder, false))
{
    lightarrowTimer = kLightarrowWait.Random();
}

MainMenu::~MainMenu()
{
    for (TGameButton* button : buttons)
        delete button; // leaves the tree as it goes
    buttons.clear();
    // Popups still open (profiles, options, exit) go with the menu.
    DetachAllChildren(true, false);
}

void MainMenu::LoadImages()
{
    layout->LoadFlaggedImages();
}

void MainMenu::OnLeft()
{
    layout->UpdateFlagged();
}

void MainMenu::AddMenuButton(int id, const std::string& normal, const std::string& over, const std::string& down)
{
    TGameButton* button = CreateGameButton(*layout, id, "buttons/" + normal, "buttons/" + over, this, u"");
    if (PsdPictureLayer* pressed = layout->FindLayer("buttons/" + down)) {
        button->downImage = pressed->image;
        button->downOffset = Point(pressed->x - button->x, pressed->y - button->y);
        // The button draws it now; the layout would show it all the time.
        pressed->drawn = false;
    }
    buttons.push_back(button);
    AttachChild(button);
}

void MainMenu::OnStart()
{
    AddMenuButton(kPlay, "play_in", "play_ac", "play_dn");
    AddMenuButton(kProfiles, "here_in", "here_ac", "here_dn");
    AddMenuButton(kOptions, "Options_in", "Options_ac", "Options_dn");
    AddMenuButton(kCredits, "Credits_in", "Credits_ac", "Credits_dn");
    AddMenuButton(kExit, "exit_in", "exit_ac", "exit_dn");

    layout->GetLayerRect(namePlaceholder, "buttons/player_name", true);
    SetPlayerName(Profiles::Instance().CurrentName());

    backLayer = layout->FindLayer("_back");
    back2Layer = layout->FindLayer("_back2");
    if (backLayer)
        backLayer->drawn = false;
    if (back2Layer)
        back2Layer->drawn = false;

    skyEffect = StartLooping("1_Sky", 900.0f, 120.0f, 60.0f);
    fixedEffects.push_back(StartLooping("12_lght_l", 330.0f, 230.0f, 5.0f));
    fixedEffects.push_back(StartLooping("hg_house_2", 710.0f, 285.0f, 5.0f));

    flashingLayers.clear();
    for (PsdPictureLayer* layer : layout->layers) {
        if (layer->name.starts_with("fx/"))
            flashingLayers.emplace_back(layer);
    }
}

void MainMenu::SetPlayerName(const std::u16string& name)
{
    playerName = name;
    nameImage.reset();
    Font* font = FONT_TEXT_BOLD;
    if (!font) {
        QUIB_LOG_ERROR("Main menu: no font for the player's name");
        return;
    }
    const int textWidth = font->WidthOfText(name, 1.0f, 1.0f, 0.0f);
    nameAscent = font->Ascent();
    nameImage = std::make_unique<MemoryImage>();
    nameImage->Resize(std::max(textWidth, 0), std::max(font->Height(), 0));
    if (nameImage->width > 0 && nameImage->height > 0) {
        std::unique_ptr<Graphics> g(NewGraphicsForImage(nameImage.get()));
        g->ClearArea(nameImage->width, nameImage->height);
        g->font = font;
        g->color = Color::White;
        g->DrawText(name, 0, nameAscent);
    }
    nameX = int32_t(float(namePlaceholder.x) - float(nameImage->width) * 0.5f);
    nameY = namePlaceholder.y - nameAscent;
}

void MainMenu::OnBecameCurrent()
{
    if (noProfile)
        openProfilesRequest = true;
}

void MainMenu::Update()
{
    if (openProfilesRequest) {
        openProfilesRequest = false;
        ShowProfileScreen(true);
    }
    if (skyEffect)
        skyEffect->Update(kEffectStep);
    for (auto it = passingEffects.begin(); it != passingEffects.end();) {
        (*it)->Update(kEffectStep);
        if ((*it)->IsFinished())
            it = passingEffects.erase(it);
        else
            ++it;
    }
    for (auto& effect : fixedEffects)
        effect->Update(kEffectStep);

    if (ApproachFloat(lightarrowTimer, kLightarrowStep, 0.0f)) {
        lightarrowTimer = kLightarrowWait.Random();
        std::unique_ptr<ParticlesCommon> effect = CreateParticlesByName("lightarrow");
        const float ax = kLightarrowX.Random();
        const float ay = kLightarrowY.Random();
        effect->StartAt(TPoint<float>(ax, ay));
        passingEffects.push_back(std::move(effect));
    }

    for (FlashingLayer& flashing : flashingLayers)
        flashing.Step();

    ++updateCount;
    Invalidate();
}

void MainMenu::Draw(Graphics& g)
{
    layout->DrawLayer(backLayer, g, Point());
    if (skyEffect)
        skyEffect->Draw(&g);
    for (auto& effect : passingEffects)
        effect->Draw(&g);

    g.colorizeImages = true;
    for (const FlashingLayer& flashing : flashingLayers) {
        if (flashing.alpha == 0.0f)
            continue;
        g.color = ColorWithAlpha(flashing.alpha, Color::White);
        layout->DrawLayer(flashing.layer, g, Point());
    }
    g.colorizeImages = false;
    layout->DrawLayer(back2Layer, g, Point());

    for (auto& effect : fixedEffects)
        effect->Draw(&g);
    layout->DrawAll(g);

    if (nameImage && nameImage->width > 0) {
        g.colorizeImages = true;
        g.color = kNameColor;
        // Turned about the middle of the name's baseline, the placeholder.
        g.DrawImageRotatedAbout(nameImage.get(), float(nameX), float(nameY), float(nameImage->width / 2),
                                float(nameAscent), nullptr, kNameAngle);
        g.colorizeImages = false;
    }
}

void MainMenu::ShowProfileScreen(bool createMode)
{
    auto* back = new DarkBack(Delegate(), 0);
    auto* screen = new ProfileScreen([this](const std::u16string& name) { SetPlayerName(name); }, back);
    if (createMode)
        screen->EnterCreateMode();
    back->closeDelegate = Delegate(screen, &ProfileScreen::Close);
    AttachChild(back);
    AttachChild(screen);
    if (screen->manager)
        screen->manager->SetFocusWidget(screen);
}

void MainMenu::ButtonDepress(int id)
{
    switch (id) {
    case kPlay:
        Play();
        break;
    case kProfiles:
        ShowProfileScreen(false);
        break;
    case kOptions:
        ShowOptionsPopup(this);
        break;
    case kCredits:
        ShowCredits();
        break;
    case kExit:
        ShowExitScreen(this);
        break;
    default:
        break;
    }
}

// Play and StartRequest: MainMenuPlay.cpp.

void ShowMainMenu()
{
    if (GameApp* app = GetGameApp())
        app->SwitchToBoard(new MainMenu());
}

} // namespace Quib
