#include "src/screens/ExitScreen.h"

#include "framework/app/QuibAppBase.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/DarkBack.h"
#include "src/screens/PopupAnimation.h"
#include "src/screens/ScaleButton.h"

namespace Quib {

namespace {
constexpr int kKeyEscape = 27;
} // namespace

ExitScreen::ExitScreen(DarkBack* back) : layout(std::make_unique<PsdPicture>("data/gui/exit/", true)), backdrop(back)
{
    layout->SetLayerDrawFlag("dark", false);
    Rect bounds;
    layout->GetLayerRect(bounds, "back", false);
    SetBounds(bounds.x, bounds.y, bounds.width, bounds.height);
    layout->Offset(-bounds.x, -bounds.y);
    layout->GetLayerRect(textRect, "text", true);
    text = Lang::Instance()("Interface", "ExitConfirm");
    takesFocus = true;
    yesButton = CreateButton(kYes, "buttons/yes/yes_in", "buttons/yes/yes_ac", "Yes");
    layout->SetLayerDrawFlag("buttons/yes/yes_dn", false);
    AttachChild(yesButton);
    noButton = CreateButton(kNo, "buttons/no/no_in", "buttons/no/no_ac", "No");
    layout->SetLayerDrawFlag("buttons/no/no_dn", false);
    AttachChild(noButton);
    AnimateChildren(0.0f);
}

ExitScreen::~ExitScreen()
{
    layout.reset();
    DetachAllChildren(true, false);
    yesButton = noButton = nullptr;
}

ScaleButton* ExitScreen::CreateButton(int id, const std::string& normal, const std::string& over,
                                      const char* labelKey)
{
    return CreateScaleButton(*layout, id, normal, over, this, Lang::Instance()("Interface", labelKey),
                             Color(kTextColor));
}

void ExitScreen::AnimateChildren(float p)
{
    AnimatePopupButton(*this, yesButton, p);
    AnimatePopupButton(*this, noButton, p);
}

void ExitScreen::Close()
{
    target = 0.0f;
    DismissBackdrop(backdrop);
}

void ExitScreen::Update()
{
    Widget::Update();
    if (StepPopupOrRemove(*this, progress, target))
        return;
    AnimateChildren(progress);
    Invalidate();
}

void ExitScreen::Draw(Graphics& g)
{
    ApplyPopupTransform(g, progress, width, height);
    layout->DrawAll(g);
    g.SaveState();
    g.colorizeImages = true;
    g.color = MultiplyColors(g.color, Color(kTextColor));
    g.font = FONT_HEAD;
    g.DrawWrappedText(text, textRect, -1, 0, nullptr);
    g.RestoreState();
}

void ExitScreen::OnKeyDown(int key)
{
    // Escape quits, like the yes button.
    if (key == kKeyEscape)
        ButtonPress(kYes);
}

void ExitScreen::ButtonPress(int id)
{
    if (id == kYes) {
        // The application's own way out, which also stops its threads.
        if (gQuibAppBase)
            gQuibAppBase->RequestExit();
    } else if (id == kNo) {
        Close();
    }
}

ExitScreen* ShowExitScreen(WidgetContainer* parent)
{
    auto* back = new DarkBack(Delegate(), 0);
    auto* popup = new ExitScreen(back);
    back->closeDelegate = Delegate(popup, &ExitScreen::Close);
    parent->AttachChild(back);
    parent->AttachChild(popup);
    if (popup->manager)
        popup->manager->SetFocusWidget(popup);
    return popup;
}

} // namespace Quib
