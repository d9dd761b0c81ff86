#include "src/game/minigames/QstFieldSeif.h"

#include "framework/files/FloatTransformer.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/ProcessLog.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/game/Sounds.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstXmlElement.h"

#include <cmath>

namespace Quib {

QstFieldSeif::QstFieldSeif(QstScene* owner, void* loading, const std::string& type)
    : QstFieldMinigame(owner, loading, type)
{
    skipShown = false;
}

bool QstFieldSeif::IsValidCombination(const std::string& text)
{
    if (text.empty() || text.size() > 10)
        return false;
    bool seen[10] = {};
    for (char c : text) {
        if (c < '0' || c > '9' || seen[c - '0'])
            return false;
        seen[c - '0'] = true;
    }
    return true;
}

bool QstFieldSeif::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context)
{
    if (!QstFieldMinigame::DoInitFromXML(element, context))
        return false;
    if (!element.GetAttr("combination", combination))
        return false;
    // Every digit can be entered once per attempt: a code with a repeated
    // digit (or none, or another character) could never be entered.
    if (!IsValidCombination(combination)) {
        const std::string sceneName = scene ? scene->GetSceneName() : std::string();
        return element.ReportError(StrFormat("Safe \"%s\" of scene \"%s\": combination \"%s\" must be digits "
                                             "0-9, each at most once",
                                             name, sceneName, combination));
    }
    dial = LoadFieldPicture(context, "r", this, true);
    digits.assign(10, DigitSpot());
    for (int digit = 0; digit < 10; ++digit)
        digits[size_t(digit)].picture = LoadFieldPicture(context, StrFormat("%02d_ac", digit), this, true);
    hovered = -1;
    return true;
}

void QstFieldSeif::OnMouseMove(int px, int py)
{
    QstFieldMinigame::OnMouseMove(px, py);
    hovered = -1;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (PictureHitAt(digits[i].picture, px, py)) {
            hovered = int(i);
            break;
        }
    }
}

void QstFieldSeif::OnMouseLeave()
{
    QstFieldMinigame::OnMouseLeave();
    hovered = -1;
}

float QstFieldSeif::AngleOfDigit(int digit) const
{
    if (digit < 0 || digit >= int(digits.size()))
        return 0.0f;
    const MinigamePicture* spot = digits[size_t(digit)].picture;
    if (!spot || !spot->image || !dial || !dial->image)
        return 0.0f;
    const float spotX = spot->x + float(spot->image->width) * 0.5f;
    const float spotY = spot->y + float(spot->image->height) * 0.5f;
    const float dialX = dial->x + float(dial->image->width) * 0.5f;
    const float dialY = dial->y + float(dial->image->height) * 0.5f;
    return float(std::atan2(dialX - spotX, dialY - spotY));
}

void QstFieldSeif::OnMouseDownButton(int px, int py, int button, int count)
{
    QstFieldMinigame::OnMouseDownButton(px, py, button, count);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (int(i) != hovered || digits[i].pressed)
            continue;
        digits[i].pressed = AppendDigit(int(i), AngleOfDigit(int(i)));
        if (digits[i].pressed)
            PlaySoundEffect("safe_turn");
    }
}

bool QstFieldSeif::AppendDigit(int digit, float angle)
{
    if (entered.size() >= combination.size())
        return false;
    entered += char('0' + digit);
    dialTargets.push_back(angle);
    return true;
}

void QstFieldSeif::Update(float seconds)
{
    QstFieldMinigame::Update(seconds);
    for (size_t i = 0; i < digits.size(); ++i) {
        DigitSpot& spot = digits[i];
        const float target = spot.pressed ? 1.0f : (int(i) == hovered ? 0.5f : 0.0f);
        ApproachFloat(spot.fade, 3.0f * seconds, target);
    }
    const float step = 5.0f * seconds;
    if (dialTargets.empty()) {
        RotateAngleTowards(dialAngle, step, 0.0f);
        return;
    }
    if (!RotateAngleTowards(dialAngle, step, dialTargets.front()))
        return;
    if (dialTargets.size() > 1) {
        dialTargets.pop_front();
        return;
    }
    if (entered.size() != combination.size())
        return;
    if (entered == combination) {
        PlaySoundEffect("safe_open");
        Win();
        Reset(true);
    } else {
        PlaySoundEffect("wrong_turn");
        Reset(false);
    }
}

void QstFieldSeif::Reset(bool withFades)
{
    entered.clear();
    for (DigitSpot& spot : digits) {
        spot.pressed = false;
        if (withFades)
            spot.fade = 0.0f;
    }
    dialTargets.clear();
    if (withFades)
        dialAngle = 0.0f;
}

void QstFieldSeif::Draw(Graphics& g)
{
    QstFieldMinigame::Draw(g);
    g.SaveState();
    const Color base = BeginPuzzlePass(g);
    g.colorizeImages = true;
    for (const DigitSpot& spot : digits) {
        if (spot.fade == 0.0f)
            continue;
        g.color = MultiplyColors(base, ColorWithAlpha(spot.fade, Color::White));
        DrawPicture(g, spot.picture);
    }
    g.color = base;
    if (dial && dial->image)
        DrawPictureRotated(g, dial, dialAngle, float(dial->image->width) * 0.5f, float(dial->image->height) * 0.5f);
    g.RestoreState();
}

bool QstFieldSeif::SaveMinigameState(QstXmlElement& element)
{
    if (!QstFieldMinigame::SaveMinigameState(element))
        return false;
    element.SetAttr(entered, "cur_combination");
    SetAttrFloat(element, "ang", dialTargets.empty() ? dialAngle : dialTargets.back());
    return true;
}

bool QstFieldSeif::LoadMinigameState(QstXmlElement& element, bool* openedFlag)
{
    if (!QstFieldMinigame::LoadMinigameState(element, openedFlag))
        return false;
    if (!element.HasAttr("cur_combination"))
        return true;
    if (openedFlag)
        *openedFlag = true;
    std::string code;
    float angle = 0.0f;
    if (!element.GetAttr("cur_combination", code) || !element.GetAttrFloatOpt("ang", angle))
        return false;
    // A saved code is only taken when it could have been entered: digits,
    // none twice, no longer than the combination.
    if ((!code.empty() && !IsValidCombination(code)) || code.size() > combination.size() || !std::isfinite(angle)) {
        QUIB_LOG_ERROR("Safe \"%s\": saved code \"%s\" does not fit; the safe starts over", name, code);
        Reset(true);
        return true;
    }
    Reset(true);
    entered = code;
    for (char c : entered) {
        DigitSpot& spot = digits[size_t(c - '0')];
        spot.pressed = true;
        spot.fade = 1.0f;
    }
    NormalizeAngle(angle);
    dialAngle = angle;
    dialTargets.push_back(angle);
    return true;
}

} // namespace Quib
