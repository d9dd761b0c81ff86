#include "src/screens/TGameButton.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/GameResources.h"
#include "src/game/Sounds.h"
#include "src/game/quest/PsdPicture.h"

namespace Quib {

namespace {
constexpr int kSoundPress = 0;
constexpr int kSoundEnter = 1;
} // namespace

TGameButton::TGameButton(int buttonId, ButtonListener* buttonListener) : ButtonWidget(buttonId, buttonListener) {}

void TGameButton::SetImagesFromLayers(PsdPictureLayer* normal, PsdPictureLayer* over)
{
    overAlpha = 0.5;
    fadeOutStep = double(0.05f);
    fadeInStep = double(0.05f);
    noFrame = true;
    SetFont(FONT_DEFAULT);
    SetColor(BUTTON_COLOR_LABEL, Color(kLabelColor));
    SetColor(BUTTON_COLOR_LABEL_HILITE, Color(kLabelHoverColor));
    if (!normal)
        return;

    normalPicture = normal->image;
    normalImage = normalPicture;
    normal->drawn = false;
    const Rect a(normal->x, normal->y, normalPicture ? normalPicture->width : 0,
                 normalPicture ? normalPicture->height : 0);
    Rect bounds = a;
    if (over) {
        overPicture = over->image;
        overImage = overPicture;
        over->drawn = false;
        const Rect b(over->x, over->y, overPicture ? overPicture->width : 0, overPicture ? overPicture->height : 0);
        bounds = a.Union(b);
        overOffset = Point(b.x - bounds.x, b.y - bounds.y);
    }
    normalOffset = Point(a.x - bounds.x, a.y - bounds.y);
    SetBoundsRect(bounds);
}

void TGameButton::Draw(Graphics& g)
{
    g.drawMode = DRAWMODE_NORMAL;
    ButtonWidget::Draw(g);
    if (tint == kNoTint)
        return;
    g.color = tint;
    g.colorizeImages = true;
    g.drawMode = DRAWMODE_ADDITIVE;
    ButtonWidget::Draw(g);
    g.colorizeImages = false;
    g.drawMode = DRAWMODE_NORMAL;
}

void TGameButton::OnMouseEnter()
{
    ButtonWidget::OnMouseEnter();
    if (HasHoverSound())
        PlayUiSound(kSoundEnter);
}

void TGameButton::OnMouseDownButton(int px, int py, int button, int count)
{
    if (button != 0) {
        pressed = false;
        return;
    }
    if (HasHoverSound())
        PlayUiSound(kSoundPress);
    ButtonWidget::OnMouseDownButton(px, py, button, count);
}

void TGameButton::OnMouseUpButton(int px, int py, int button, int count)
{
    // The release of a right or middle click must not act either.
    if (button != 0)
        return;
    ButtonWidget::OnMouseUpButton(px, py, button, count);
}

bool PictureOpaqueAt(Image* picture, int x, int y)
{
    if (!picture || x < 0 || y < 0 || x >= picture->width || y >= picture->height)
        return false;
    auto* memory = dynamic_cast<MemoryImage*>(picture);
    return !memory || (memory->GetPixel(x, y) >> 24) != 0;
}

bool TGameButton::AcceptsPoint(int px, int py)
{
    if (hovered && overPicture)
        return PictureOpaqueAt(overPicture, px - overOffset.x, py - overOffset.y);
    if (!normalPicture)
        return true;
    return PictureOpaqueAt(normalPicture, px - normalOffset.x, py - normalOffset.y);
}

TGameButton* CreateGameButton(PsdPicture& layout, int id, const std::string& normalLayer,
                              const std::string& overLayer, ButtonListener* listener, const std::u16string& label)
{
    auto* button = new TGameButton(id, listener);
    button->SetImagesFromLayers(layout.FindLayer(normalLayer), layout.FindLayer(overLayer));
    button->label = label;
    button->SetFont(FONT_DEFAULT);
    button->SetColor(BUTTON_COLOR_LABEL, Color(TGameButton::kLabelColor));
    button->SetColor(BUTTON_COLOR_LABEL_HILITE, Color(TGameButton::kLabelHoverColor));
    return button;
}

} // namespace Quib
