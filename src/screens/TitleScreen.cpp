#include "src/screens/TitleScreen.h"

#include "framework/files/FloatTransformer.h"
#include "framework/files/IniData.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "src/GameApp.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/Profiles.h"
#include "src/screens/MainMenu.h"

#include <algorithm>
#include <cmath>

namespace Quib {

TitleScreen::TitleScreen() : BaseBoard(false)
{
    IniData list;
    list.LoadFile("logo\\logo.ini");
    std::vector<std::string> names;
    list.GetValues(names, "logolist", "game");
    for (const std::string& name : names) {
        if (name.empty() || !gQuibAppBase)
            continue;
        if (DDImage* image = gQuibAppBase->CreateImage(name, true))
            logos.push_back(image);
    }
}

TitleScreen::~TitleScreen()
{
    for (DDImage* logo : logos)
        delete logo;
    DetachAllChildren(true, true);
}

void TitleScreen::OnAttachedToManager(WidgetManager* widgetManager)
{
    BaseBoard::OnAttachedToManager(widgetManager);
    if (logos.empty())
        Leave();
}

void TitleScreen::UpdateBoard(float seconds)
{
    if (skipping) {
        if (ApproachFloat(clock, kSkipSpeed * seconds, skipTarget))
            skipping = false;
        return;
    }
    if (ApproachFloat(clock, seconds, kSecondsPerLogo * float(logos.size())))
        Leave();
}

void TitleScreen::SkipLogo()
{
    if (skipping)
        return;
    skipping = true;
    skipTarget = kSecondsPerLogo * (1.0f - std::trunc(-clock / kSecondsPerLogo));
}

void TitleScreen::OnKeyDown(int key)
{
    (void)key;
    SkipLogo();
}

void TitleScreen::OnMouseDown(int px, int py, ClickCode code)
{
    (void)px, (void)py, (void)code;
    SkipLogo();
}

void TitleScreen::Leave()
{
    if (left)
        return;
    left = true;
    GoToMainMenu();
}

void TitleScreen::GoToMainMenu()
{
    auto* menu = new MainMenu();
    if (!Profiles::Instance().LoadCurrent())
        menu->noProfile = true;
    if (GameApp* app = GetGameApp())
        app->SwitchToBoard(menu);
    else
        delete menu;
}

int TitleScreen::LogoIndexAt(float at) const
{
    for (size_t i = 0; i < logos.size(); ++i)
        if (at / kSecondsPerLogo < float(i + 1))
            return int(i);
    return -1;
}

int TitleScreen::AlphaAt(float at, int index)
{
    const double alpha = std::sin((at / kSecondsPerLogo - float(index)) * 3.1415925) * 255.0;
    return std::clamp(int(alpha), 0, 255);
}

void TitleScreen::Draw(Graphics& g)
{
    g.color = Color(0, 0, 0, 255);
    g.FillRectangle(0, 0, width, height);
    if (!logos.empty()) {
        g.colorizeImages = true;
        const int index = LogoIndexAt(clock);
        if (index >= 0) {
            g.color = Color(255, 255, 255, AlphaAt(clock, index));
            g.DrawImageStretched(logos[size_t(index)], Rect(0, 0, width, height));
        }
    }
    g.colorizeImages = false;
    g.color = Color(0x80, 0x80, 0x80, 0xff);
    g.font = FONT_TEXT_BOLD;
    if (g.font)
        g.DrawTextInWidth(Lang::Instance()("Interface", "Skip"), 0, 750, width, 0, true, 0, -1, -1);
}

} // namespace Quib
