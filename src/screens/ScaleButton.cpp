#include "src/screens/ScaleButton.h"

#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/GameResources.h"
#include "src/game/quest/PsdPicture.h"

#include <cmath>

namespace Quib {

namespace {
constexpr uint32_t kDialogLabelColor = 0xff2b0e00;
} // namespace

void SplitPosition(float value, int& whole, float& remainder)
{
    whole = int(value);
    remainder = value - float(whole);
    if (remainder < 0.0f) {
        remainder += 1.0f;
        --whole;
    }
}

ScaleButton::ScaleButton(int buttonId, ButtonListener* buttonListener) : TGameButton(buttonId, buttonListener) {}

void ScaleButton::SetImagesFromLayers(PsdPictureLayer* normal, PsdPictureLayer* over)
{
    TGameButton::SetImagesFromLayers(normal, over);
    homeX = x + width / 2;
    homeY = y + height / 2;
}

void ScaleButton::SetScale(float newScale, bool move, int fromX, int fromY)
{
    scale = newScale;
    if (!move)
        return;
    const float fx = scale * float(homeX - fromX) + float(fromX) - float(width / 2);
    const float fy = scale * float(homeY - fromY) + float(fromY) - float(height / 2);
    SplitPosition(fx, x, remainderX);
    SplitPosition(fy, y, remainderY);
}

void ScaleButton::DrawImagePart(Graphics& g, Image* image, const Rect&, int drawX, int drawY)
{
    if (!image)
        return;
    g.SaveState();
    if (!g.colorizeImages)
        g.color = Color::White;
    g.colorizeImages = true;
    g.color = MultiplyColors(color, g.color);
    const float cx = float(drawX) + float(image->width) * 0.5f + remainderX;
    const float cy = float(drawY) + float(image->height) * 0.5f + remainderY;
    DrawTransform transform;
    if (g.IsScaled()) {
        const float ox = g.scaleOrigX - g.transX;
        const float oy = g.scaleOrigY - g.transY;
        transform.Translate(cx - ox, cy - oy);
        transform.Scale(g.scaleX, g.scaleY);
        transform.Translate(ox, oy);
    } else {
        transform.Translate(cx, cy);
    }
    g.smooth = true;
    g.DrawImageWithTransformSmooth(image, transform, 0.0f, 0.0f);
    g.RestoreState();
}

void ScaleButton::Draw(Graphics& g)
{
    g.scaleOrigX = g.transX + float(width) * 0.5f;
    g.scaleOrigY = g.transY + float(height) * 0.5f;
    g.scaleX = scale;
    g.scaleY = scale;
    if (g.destImage)
        g.clipRect = Rect(0, 0, g.destImage->width, g.destImage->height);
    const Color label = GetColor(BUTTON_COLOR_LABEL);
    const Color hover = GetColor(BUTTON_COLOR_LABEL_HILITE);
    SetColor(BUTTON_COLOR_LABEL, MultiplyColors(label, color));
    SetColor(BUTTON_COLOR_LABEL_HILITE, MultiplyColors(hover, color));
    TGameButton::Draw(g);
    SetColor(BUTTON_COLOR_LABEL, label);
    SetColor(BUTTON_COLOR_LABEL_HILITE, hover);
}

bool ScaleButton::AcceptsPoint(int px, int py)
{
    if (scale == 0.0f)
        return false;
    const float cx = float(width) * 0.5f;
    const float cy = float(height) * 0.5f;
    return TGameButton::AcceptsPoint(int(cx - (cx - float(px)) / scale), int(cy - (cy - float(py)) / scale));
}

ScaleButton* CreateScaleButton(PsdPicture& layout, int id, const std::string& normalLayer,
                               const std::string& overLayer, ButtonListener* listener, const std::u16string& label,
                               const Color& labelColor)
{
    auto* button = new ScaleButton(id, listener);
    button->SetImagesFromLayers(layout.FindLayer(normalLayer), layout.FindLayer(overLayer));
    button->label = label;
    button->SetFont(FONT_BUTTON);
    button->SetColor(BUTTON_COLOR_LABEL, labelColor);
    button->SetColor(BUTTON_COLOR_LABEL_HILITE, labelColor);
    return button;
}

ScaleButton* CreateDialogScaleButton(PsdPicture& layout, ButtonListener* popup, const std::string& normalLayer,
                                     const std::string& overLayer, const std::u16string& label)
{
    return CreateScaleButton(layout, 0, normalLayer, overLayer, popup, label, Color(kDialogLabelColor));
}

} // namespace Quib
