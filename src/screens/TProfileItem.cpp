#include "src/screens/TProfileItem.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/MemoryImage.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/game/Sounds.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/PopupAnimation.h"
#include "src/screens/ProfileScreen.h"
#include "src/screens/ScaleButton.h"
#include "src/screens/TGameButton.h"

#include <algorithm>
#include <cstdio>

namespace Quib {

namespace {

constexpr int kUiSoundEnter = 1;

} // namespace

TProfileItem::TProfileItem(ProfileScreen* owner, PsdPicture& picture, int slot) : layout(&picture), screen(owner)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "profiles/profile%d/", slot + 1);
    prefix = buffer;
    emptyText = Lang::Instance()("Interface", "EmptyProfileText");
    layout->SetLayerFlag(prefix, false);
    Rect normalRect;
    Rect selectedRect;
    if (PsdPictureLayer* layer = layout->FindLayer(prefix + "profile_in")) {
        normalImage = layer->image;
        layout->GetLayerRect(normalRect, layer->name, false);
    }
    if (PsdPictureLayer* layer = layout->FindLayer(prefix + "profile_ac")) {
        selectedImage = layer->image;
        layout->GetLayerRect(selectedRect, layer->name, false);
    }
    std::snprintf(buffer, sizeof buffer, "placeholders/profile%d", slot + 1);
    layout->GetLayerRect(textRect, buffer, true);
    const Rect bounds = normalRect.Union(selectedRect);
    SetBoundsRect(bounds);
    normalX = normalRect.x - bounds.x;
    normalY = normalRect.y - bounds.y;
    selectedX = selectedRect.x - bounds.x;
    selectedY = selectedRect.y - bounds.y;
    textRect.x -= bounds.x;
    textRect.y -= bounds.y;
}

void TProfileItem::SetBoundsRect(const Rect& r)
{
    Widget::SetBoundsRect(r);
    homeX = r.x + r.width / 2;
    homeY = r.y + r.height / 2;
}

void TProfileItem::Animate(const Widget& popup, float p)
{
    scale = PopupAppearScale(p);
    color = PopupAppearColor(p);
    // On the line from the popup's centre (scale 0) to the home centre.
    const float fromX = float(popup.width / 2);
    const float fromY = float(popup.height / 2);
    const float cx = fromX + (float(homeX) - fromX) * std::min(scale, 1.0f);
    const float cy = fromY + (float(homeY) - fromY) * std::min(scale, 1.0f);
    int wholeX = 0;
    int wholeY = 0;
    SplitPosition(cx - float(width) / 2.0f, wholeX, remainderX);
    SplitPosition(cy - float(height) / 2.0f, wholeY, remainderY);
    if (wholeX != x || wholeY != y)
        Widget::MoveTo(wholeX, wholeY);
}

void TProfileItem::Draw(Graphics& g)
{
    g.scaleOrigX = g.transX + float(width) / 2.0f;
    g.scaleOrigY = g.transY + float(height) / 2.0f;
    g.scaleX = scale;
    g.scaleY = scale;
    g.colorizeImages = true;
    g.color = color;
    Image* picture = selected ? selectedImage : normalImage;
    const int px = selected ? selectedX : normalX;
    const int py = selected ? selectedY : normalY;
    if (picture)
        g.DrawImageAt(picture, px, py);
    if (hovered && !name.empty() && picture) {
        g.SaveState();
        g.drawMode = DRAWMODE_ADDITIVE;
        g.color = MultiplyColors(g.color, Color(0x40ffffffu));
        g.DrawImageAt(picture, px, py);
        g.RestoreState();
    }
    const Rect r(38, 15, width - 70, height - 40);
    g.font = FONT_TEXT_BOLD;
    Color text = MultiplyColors(g.color, Color(kNameColor));
    if (!selected)
        text = MultiplyColors(text, Color(kUnselectedShade));
    g.color = text;
    if (g.font)
        g.DrawWrappedText(name.empty() ? emptyText : name, r, -1, -1, nullptr);
    g.colorizeImages = false;
}

void TProfileItem::OnMouseEnter()
{
    Widget::OnMouseEnter();
    if (!name.empty())
        PlayUiSound(kUiSoundEnter);
}

void TProfileItem::OnMouseDownButton(int, int, int, int)
{
    if (!name.empty() && !selected && screen)
        screen->SelectItem(name);
}

bool TProfileItem::AcceptsPoint(int px, int py)
{
    auto* picture = dynamic_cast<MemoryImage*>(normalImage);
    const int lx = px - normalX;
    const int ly = py - normalY;
    if (!picture || lx < 0 || ly < 0 || lx >= picture->width || ly >= picture->height)
        return false;
    return ((picture->GetPixel(lx, ly) >> 24) & 0xFF) > 10;
}

} // namespace Quib
