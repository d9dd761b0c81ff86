#include "src/game/minigames/QstFieldBuro.h"

#include "framework/files/FloatTransformer.h"
#include "framework/files/PrintfFormat.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/game/Sounds.h"

namespace Quib {

namespace {
constexpr float kBuroFullTurn = 6.2831855f;
}

QstFieldBuro::QstFieldBuro(QstScene* owner, void* loading, const std::string& type)
    : QstFieldMinigame(owner, loading, type)
{
}

bool QstFieldBuro::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context)
{
    if (!QstFieldMinigame::DoInitFromXML(element, context))
        return false;
    disc = LoadFieldPicture(context, "round/round", this, true);
    buttons.assign(4, PushButton());
    for (int k = 1; k <= 4; ++k) {
        PushButton& b = buttons[size_t(k - 1)];
        b.hoverPicture = LoadFieldPicture(context, StrFormat("round/%02d_ac", k), this, true);
        b.pressedPicture = LoadFieldPicture(context, StrFormat("round/%02d_put", k), this, true);
    }
    hovered = -1;
    held = -1;
    SetCombination();
    return true;
}

void QstFieldBuro::SetCombination() { combination = kCombination; }

void QstFieldBuro::OnMouseMove(int px, int py)
{
    QstFieldMinigame::OnMouseMove(px, py);
    hovered = -1;
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (PictureHitAt(buttons[i].hoverPicture, px, py)) {
            hovered = int(i);
            break;
        }
    }
}

void QstFieldBuro::OnMouseLeave()
{
    QstFieldMinigame::OnMouseLeave();
    hovered = -1;
}

void QstFieldBuro::OnMouseDownButton(int px, int py, int button, int count)
{
    QstFieldMinigame::OnMouseDownButton(px, py, button, count);
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (int(i) != hovered || entered.size() >= combination.size())
            continue;
        PushButton& b = buttons[i];
        entered += char('1' + i);
        b.right = combination.compare(0, entered.size(), entered) == 0;
        b.pressed = true;
        held = int(i);
        if (b.right)
            PlaySoundEffect(StrFormat("press_%02d", int(i) + 2));
        else
            PlaySoundEffect("wrong_press");
    }
}

void QstFieldBuro::OnMouseUpButton(int px, int py, int button, int count)
{
    QstFieldMinigame::OnMouseUpButton(px, py, button, count);
    if (held < 0)
        return;
    // A wrong press always pops the buttons up, the fourth one too: a full
    // wrong code would otherwise hold the lock for good.
    if (!buttons[size_t(held)].right)
        ResetButtons(false);
    held = -1;
}

void QstFieldBuro::Update(float seconds)
{
    QstFieldMinigame::Update(seconds);
    bool allDown = !buttons.empty();
    bool allRight = true;
    for (size_t i = 0; i < buttons.size(); ++i) {
        PushButton& b = buttons[i];
        ApproachFloat(b.hoverFade, 3.0f * seconds, int(i) == hovered ? 1.0f : 0.0f);
        const bool arrived = ApproachFloat(b.pressDepth, 7.0f * seconds, b.pressed ? 1.0f : 0.0f);
        if (!arrived || !b.pressed)
            allDown = false;
        if (!b.right)
            allRight = false;
    }
    if (allDown && allRight) {
        opening = true;
        if (ApproachFloat(discAngle, 3.0f * seconds, kBuroFullTurn)) {
            finishDelay -= seconds;
            if (finishDelay <= 0.0f) {
                Win();
                ResetButtons(true);
            }
        }
    } else {
        ApproachFloat(discAngle, 3.0f * seconds, 0.0f);
    }
}

void QstFieldBuro::ResetButtons(bool withAnimationState)
{
    entered.clear();
    for (PushButton& b : buttons) {
        b.pressed = false;
        if (withAnimationState) {
            b.hoverFade = 0.0f;
            b.pressDepth = 0.0f;
            discAngle = 0.0f;
        }
    }
    finishDelay = 1.0f;
    opening = false;
    SetCombination();
}

void QstFieldBuro::Draw(Graphics& g)
{
    QstFieldMinigame::Draw(g);
    g.SaveState();
    const Color base = BeginPuzzlePass(g);
    g.colorizeImages = true;
    for (const PushButton& b : buttons) {
        if (b.hoverFade != 0.0f) {
            g.color = MultiplyColors(base, ColorWithAlpha(b.hoverFade, Color::White));
            DrawPicture(g, b.hoverPicture);
        }
        if (b.pressDepth != 0.0f) {
            g.color = MultiplyColors(base, ColorWithAlpha(b.pressDepth, Color::White));
            DrawPicture(g, b.pressedPicture);
        }
    }
    g.color = base;
    if (opening && disc && disc->image) {
        const float cx = float(disc->image->width / 2);
        const float cy = float(disc->image->height / 2);
        g.DrawImageRotatedAbout(disc->image, float(int(disc->x - float(x))), float(int(disc->y - float(y))), cx, cy,
                                nullptr, -discAngle);
    }
    g.RestoreState();
}

} // namespace Quib
