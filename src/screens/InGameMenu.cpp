#include "src/screens/InGameMenu.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/ButtonWidget.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/PsdPictureLayer.h"
#include "src/screens/DarkBack.h"
#include "src/screens/PopupAnimation.h"
#include "src/screens/ScaleButton.h"

namespace Quib {

namespace {

constexpr uint32_t kMenuTextColor = 0xff2b0e00;

// A copy of the picture whose layers share the original's images.
std::unique_ptr<PsdPicture> ClonePicture(const PsdPicture* source)
{
    auto copy = std::make_unique<PsdPicture>();
    copy->sharedImages = true;
    if (!source)
        return copy;
    copy->directory = source->directory;
    for (const PsdPictureLayer* layer : source->layers) {
        auto* c = new PsdPictureLayer();
        c->name = layer->name;
        c->loadPending = false;
        c->x = layer->x;
        c->y = layer->y;
        c->homeX = layer->homeX;
        c->homeY = layer->homeY;
        c->offsetX = layer->offsetX;
        c->offsetY = layer->offsetY;
        c->z = layer->z;
        c->drawn = layer->drawn;
        c->mirrored = layer->mirrored;
        c->image = layer->image;
        c->drawCallback = layer->drawCallback;
        copy->layers.push_back(c);
    }
    return copy;
}

} // namespace

InGameMenu::InGameMenu(PsdPicture* source, std::function<void()> mainMenu, std::function<void()> options,
                       DarkBack* back)
    : layout(ClonePicture(source)), mainMenuDelegate(std::move(mainMenu)), optionsDelegate(std::move(options))
{
    appear.darkBack = back;
    Rect backRect;
    layout->GetLayerRect(backRect, "_back", false);
    SetBoundsRect(backRect);
    layout->Offset(-backRect.x, -backRect.y);
    layout->GetLayerRect(titleRect, "menu", true);
    title = Lang::Instance()("Interface", "Menu");
    resumeButton = CreateButton(kResume, "resume/resume_in", "resume/resume_ac", "Resume");
    optionsButton = CreateButton(kOptions, "options/options_in", "options/options_ac", "Options");
    mainMenuButton = CreateButton(kMainMenu, "mainmenu/mainmenu_in", "mainmenu/mainmenu_ac", "MainMenu");
    AnimateChildren(0.0f);
}

InGameMenu::~InGameMenu()
{
    DetachAllChildren(true, false);
}

ScaleButton* InGameMenu::CreateButton(int id, const std::string& normal, const std::string& over,
                                      const char* labelKey)
{
    ScaleButton* button = CreateScaleButton(*layout, id, normal, over, this, Lang::Instance()("Interface", labelKey),
                                            Color(kMenuTextColor));
    AttachChild(button);
    return button;
}

void InGameMenu::AnimateChildren(float p)
{
    AnimatePopupButton(*this, mainMenuButton, p);
    AnimatePopupButton(*this, optionsButton, p);
    AnimatePopupButton(*this, resumeButton, p);
}

void InGameMenu::Update()
{
    Widget::Update();
    if (appear.Update(*this))
        return;
    AnimateChildren(appear.progress);
    Invalidate();
}

void InGameMenu::Draw(Graphics& g)
{
    ApplyPopupTransform(g, appear.progress, width, height);
    layout->DrawAll(g);
    g.SaveState();
    g.ModulateColor(Color(kMenuTextColor));
    g.font = FONT_HEAD;
    if (g.font) {
        const int textWidth = g.TextWidth(title);
        g.DrawText(title, titleRect.x + (titleRect.width - textWidth) / 2, CentredBaseline(titleRect, g.font));
    }
    g.RestoreState();
}

void InGameMenu::ButtonDepressByMouse(int id, int)
{
    switch (id) {
    case kMainMenu:
        if (mainMenuDelegate)
            mainMenuDelegate();
        break;
    case kOptions:
        if (optionsDelegate)
            optionsDelegate();
        break;
    case kResume: Close(); break;
    default: break;
    }
}

void InGameMenu::Close()
{
    appear.Close();
}

} // namespace Quib
