#include "src/game/quest/QstField.h"

#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/Layer/QstLayer.h"
#include "src/screens/KeepOnScreen.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Quib {

namespace {

void ApproachLevel(float& value, float target, float step)
{
    if (value == target)
        return;
    if (std::fabs(value - target) < step)
        value = target;
    else
        value += value < target ? step : -step;
}

} // namespace

QstField::ExitTargets QstField::CollectExitTargets()
{
    ExitTargets exits;
    for (QstFieldLayer* layer : layers) {
        std::string destination;
        QstItemState* state = layer->GetExitTarget(destination);
        if (!state)
            continue;
        const bool known = std::any_of(exits.begin(), exits.end(), [&](const auto& e) { return e.first == state; });
        if (!known)
            exits.emplace_back(state, destination);
    }
    return exits;
}

void QstField::SyncExitLabels(ExitTargets& targets)
{
    for (QstFieldExitLabel& label : exitLabels) {
        label.present = false;
        auto found = std::find_if(targets.begin(), targets.end(), [&](const auto& e) { return e.first == label.state; });
        if (found != targets.end()) {
            label.present = true;
            targets.erase(found);
        }
    }
    for (const auto& [state, destination] : targets) {
        QstFieldExitLabel label;
        label.state = state;
        label.text = Lang::Instance()("Scenes", destination);
        exitLabels.push_back(std::move(label));
    }
    targets.clear();
}

void QstField::UpdateExitLabels(float seconds)
{
    for (auto it = exitLabels.begin(); it != exitLabels.end();) {
        QstFieldExitLabel& label = *it;
        const bool shown = label.present && (label.hovered || showAllExitLabels);
        ApproachLevel(label.hoverLevel, label.hovered ? 1.0f : 0.0f, 3.0f * seconds);
        ApproachLevel(label.alpha, shown ? 1.0f : 0.0f, 3.0f * seconds);
        if (!shown && label.alpha == 0.0f)
            it = exitLabels.erase(it);
        else
            ++it;
    }
}

FRect QstField::GetExitLabelRect(const QstFieldExitLabel& label) const
{
    if (!label.state)
        return FRect();
    if (label.state->exitLayer)
        return label.state->exitLayer->GetRect();
    // The bounding rectangle is in scene coordinates; labels live in the
    // field's.
    FRect r = label.state->GetBoundingRect();
    if (r.width != 0.0f || r.height != 0.0f) {
        r.x -= float(x);
        r.y -= float(y);
    }
    return r;
}

bool QstField::ExitLabelHitTest(int px, int py)
{
    bool any = false;
    for (QstFieldExitLabel& label : exitLabels) {
        const FRect r = GetExitLabelRect(label);
        const int cx = int(r.x + r.width * 0.5f);
        const int cy = int(r.y + r.height * 0.5f);
        const double dx = double(px - cx);
        const double dy = double(py - cy);
        const double radius2 = (double(r.width) * r.width + double(r.height) * r.height) * 0.25;
        label.hovered = radius2 >= dx * dx + dy * dy;
        any = any || label.hovered;
    }
    return any;
}

bool QstField::ClickExitLabel()
{
    for (QstFieldExitLabel& label : exitLabels) {
        if (label.hovered && label.present && label.state) {
            label.state->OnClick();
            return true;
        }
    }
    return false;
}

void QstField::ClearExitLabelHover()
{
    showAllExitLabels = false;
    for (QstFieldExitLabel& label : exitLabels) {
        label.present = false;
        label.hovered = false;
    }
}

void QstField::DrawExitLabels(Graphics& g)
{
    for (const QstFieldExitLabel& label : exitLabels) {
        if (!label.state)
            continue;
        g.SaveState();
        g.color = MultiplyColors(g.color, Color(255, 255, 255, std::clamp(int(label.alpha * 255.0f), 0, 255)));
        g.colorizeImages = true;
        Font* font = FONT_TEXT_BOLD;
        g.font = font;
        const int ascent = font ? font->Ascent() : 0;
        int anchorX = 0;
        int anchorY = 0;
        QstFieldItemLayer* exitLayer = label.state->exitLayer;
        if (exitLayer && exitLayer->GetLayer()) {
            const FRect r = exitLayer->GetRect();
            const float s = 1.0f + 0.2f * (0.5f + 0.5f * std::sin(label.hoverLevel * std::numbers::pi_v<float> / 2.0f));
            DrawTransform transform;
            transform.Scale(s, s);
            transform.Translate(r.x + r.width * 0.5f, r.y + r.height * 0.5f);
            exitLayer->GetLayer()->Draw(g, transform, nullptr);
            anchorX = int(r.x + r.width * 0.5f);
            anchorY = int(r.y + r.height);
            if (anchorY > 700)
                anchorY = int(r.y - float(ascent) - 20.0f);
        } else {
            const FRect r = GetExitLabelRect(label);
            const int cx = int(r.x + r.width * 0.5f);
            const int cy = int(r.y + r.height * 0.5f);
            Image* door = IMAGE_CURSOR_DOOR;
            const int doorW = door ? door->width : 0;
            const int doorH = door ? door->height : 0;
            if (door)
                g.DrawImageAt(door, cx - doorW / 2, cy - doorH / 2);
            anchorX = cx;
            anchorY = cy + doorH / 2;
        }
        if (font && !label.text.empty()) {
            const Color base = g.color;
            // Centred under its exit, but kept whole on the screen.
            const int textWidth = g.TextWidth(label.text);
            const int screenX = GetScreenPosition().x;
            const int textX = KeepSpanOnScreen(screenX + anchorX - textWidth / 2, textWidth,
                                               manager ? manager->width : width, 4) - screenX;
            const int baseline = anchorY + ascent + 5;
            g.color = MultiplyColors(Color(43, 14, 0, 102), base);
            g.DrawText(label.text, textX - 1, baseline - 1);
            g.DrawText(label.text, textX + 1, baseline - 1);
            g.DrawText(label.text, textX - 1, baseline + 1);
            g.DrawText(label.text, textX + 1, baseline + 1);
            g.color = MultiplyColors(Color(255, 243, 152, 255), base);
            g.DrawText(label.text, textX, baseline);
        }
        g.RestoreState();
    }
}

} // namespace Quib
