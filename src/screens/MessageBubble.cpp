#include "src/screens/MessageBubble.h"

#include "framework/files/ProcessLog.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/GameSettings.h"
#include "src/game/quest/PsdPicture.h"

namespace Quib {

float TextDisplayTime(const std::u16string& text)
{
    static const float perString = GetGameIniFloat("TimePerStringAdd", "Game", 1.0f);
    static const float perChar = GetGameIniFloat("TimePerChar", "Game", 0.1f);
    return perString + perChar * float(text.size());
}

void MessageBubble::LoadLayout(PsdPicture& layout)
{
    PsdPictureLayer* layer = layout.FindLayer("bubble");
    if (!layer) {
        ProcessLog::GetInstance()->LogInfo("Message bubble: the layout %s has no layer \"bubble\"",
                                           layout.directory.c_str());
        return;
    }
    picture = layer->image;
    layer->drawn = false;
    anchorX = layer->x;
    anchorY = layer->y + (picture ? picture->height : 0);
    SetBounds(anchorX, anchorY, 0, 0);
}

void MessageBubble::Show(const std::u16string& newText, float seconds)
{
    SetCaption(newText, seconds == -1.0f ? TextDisplayTime(newText) : seconds);
}

void MessageBubble::LayoutText(int widest, int textHeight)
{
    if (text.empty()) {
        SetBounds(anchorX, anchorY, 0, 0);
        return;
    }
    const int h = textHeight + 35 + 10;
    SetBounds(anchorX, anchorY - h, widest + 15 + 10 + 2, h);
}

void MessageBubble::Expire()
{
    Show(std::u16string(), -1.0f);
}

void MessageBubble::Draw(Graphics& g)
{
    g.colorizeImages = true;
    g.color = ColorWithAlpha(alpha, Color::White);
    g.DrawImageNineSlice(Rect(0, 0, width, height), picture);
    DrawOutlinedText(g, 15, 10, kWrapWidth);
}

bool MessageBubble::AcceptsPoint(int px, int py)
{
    if (alpha == 0.0f || !picture)
        return false;
    const int cw = picture->width / 3, ch = picture->height / 3;
    auto map = [](int v, int size, int corner, int pictureSize) {
        if (v < corner)
            return v;
        if (v >= size - corner)
            return v - size + pictureSize;
        return corner;
    };
    const int sx = map(px, width, cw, picture->width);
    const int sy = map(py, height, ch, picture->height);
    if (sx < 0 || sy < 0 || sx >= picture->width || sy >= picture->height)
        return false;
    auto* memory = dynamic_cast<MemoryImage*>(picture);
    return !memory || int(memory->GetPixel(sx, sy) >> 24) > kHitAlpha;
}

void MessageBubble::OnMouseDownButton(int, int, int, int)
{
    Show(std::u16string(), 0.0f);
}

} // namespace Quib
