#include "src/game/minigames/QstFieldDoorLock.h"

#include "framework/files/FloatTransformer.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/game/Sounds.h"

#include <algorithm>
#include <cmath>

namespace Quib {

namespace {
constexpr float kLockHalfTurn = 3.1415927f;
constexpr float kAimLimit = 1.5707964f;
} // namespace

QstFieldDoorLock::QstFieldDoorLock(QstScene* owner, void* loading, const std::string& type)
    : QstFieldMinigame(owner, loading, type)
{
}

bool QstFieldDoorLock::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context)
{
    if (!QstFieldMinigame::DoInitFromXML(element, context))
        return false;
    hairpin = LoadFieldPicture(context, "hairpin", this, true);
    cylinder = LoadFieldPicture(context, "round", this, true);
    arrow = LoadFieldPicture(context, "arrow", this, true);
    pins.assign(4, Pin());
    for (int k = 1; k <= 4; ++k)
        pins[size_t(k - 1)].picture = LoadFieldPicture(context, StrFormat("%02d", k), this, true);
    Reset();
    return true;
}

void QstFieldDoorLock::Reset()
{
    pinsSet = 0;
    turnsWithoutProgress = 0;
    // A won lock starts over: a kept solved flag would win (and reset) again
    // at every update.
    solved = false;
    UpdateArrowTarget();
    UpdatePinLevels();
    lockAngle = 0.0f;
    arrowAngle = arrowTarget;
    turning = false;
    secondPhase = false;
    for (Pin& pin : pins)
        pin.level = 0.0f;
    DrawRandomValues();
}

void QstFieldDoorLock::UpdateArrowTarget()
{
    const int32_t n = std::clamp(pinsSet, 0, 10);
    arrowTarget = float(n - 2) * kStep;
    if (solved)
        arrowTarget += kStep;
}

void QstFieldDoorLock::UpdatePinLevels()
{
    const float a = arrowAngle / kStep + 2.0f;
    const int n = int(a);
    const float f = a - float(n);
    for (size_t i = 0; i < pins.size(); ++i)
        pins[i].level = int(i) < n ? 1.0f : (int(i) == n ? f : 0.0f);
}

void QstFieldDoorLock::DrawRandomValues()
{
    randomValues.clear();
    for (int i = 0; i < 4; ++i)
        randomValues.push_back(int32_t(MersenneNext() & 3));
}

void QstFieldDoorLock::AimHairpin(int px, int py)
{
    if (!hairpin || !hairpin->image)
        return;
    const int cx = int(hairpin->x) + hairpin->image->width / 2 - x;
    const int cy = int(hairpin->y) + hairpin->image->height / 2 - y;
    aim = std::clamp(float(std::atan2(double(px - cx), double(cy - py))), -kAimLimit, kAimLimit);
}

void QstFieldDoorLock::OnMouseMove(int px, int py)
{
    QstFieldMinigame::OnMouseMove(px, py);
    AimHairpin(px, py);
}

void QstFieldDoorLock::OnInnerMouseDown(int px, int py, int button, int clicks) { TurnLock(px, py, button, clicks); }

void QstFieldDoorLock::TurnLock(int, int, int, int)
{
    if (turning || solved)
        return;
    turning = true;
    PlaySoundEffect("lockturn");
    firstTarget = secondTarget = lockAngle + kLockHalfTurn;
    ++turnsWithoutProgress;
    secondPhase = false;
    UpdateArrowTarget();
}

void QstFieldDoorLock::Update(float seconds)
{
    QstFieldMinigame::Update(seconds);
    if (solved) {
        if (ApproachFloat(arrowAngle, 0.5f * seconds, arrowTarget)) {
            Win();
            Reset();
        }
        UpdatePinLevels();
        return;
    }
    if (turning) {
        const float target = secondPhase ? secondTarget : firstTarget;
        if (ApproachFloat(lockAngle, 3.0f * seconds, target)) {
            if (!secondPhase) {
                secondPhase = true;
                ++pinsSet;
                turnsWithoutProgress = 0;
                PlaySoundEffect("turn_right");
                UpdateArrowTarget();
            } else {
                turning = false;
                secondPhase = false;
                if (pinsSet >= int32_t(randomValues.size())) {
                    solved = true;
                    UpdateArrowTarget();
                }
            }
        }
    } else {
        ApproachFloat(hairpinAngle, 10.0f * seconds, aim);
    }
    ApproachFloat(arrowAngle, 0.5f * seconds, arrowTarget);
    UpdatePinLevels();
}

void QstFieldDoorLock::Draw(Graphics& g)
{
    QstFieldMinigame::Draw(g);
    g.SaveState();
    const Color base = BeginPuzzlePass(g);
    g.colorizeImages = true;
    if (cylinder && cylinder->image)
        g.DrawImageRotatedAbout(cylinder->image, float(int(cylinder->x - float(x))), float(int(cylinder->y - float(y))),
                                float(cylinder->image->width / 2), float(cylinder->image->height / 2), nullptr,
                                -lockAngle);
    for (const Pin& pin : pins) {
        if (pin.level == 0.0f)
            continue;
        g.color = MultiplyColors(base, ColorWithAlpha(pin.level, Color::White));
        DrawPicture(g, pin.picture);
    }
    g.color = base;
    if (arrow && arrow->image && hairpin && hairpin->image) {
        const float cx = float(int(hairpin->x) + hairpin->image->width / 2 - int(arrow->x));
        const float cy = float(int(hairpin->y) + hairpin->image->height / 2 - int(arrow->y));
        g.DrawImageRotatedAbout(arrow->image, float(int(arrow->x - float(x))), float(int(arrow->y - float(y))), cx, cy,
                                nullptr, -std::min(arrowAngle, 2.0f * kStep));
    }
    if (hairpin && hairpin->image)
        g.DrawImageRotatedAbout(hairpin->image, float(int(hairpin->x - float(x)) + int(jitter.offsetX)),
                                float(int(hairpin->y - float(y)) + int(jitter.offsetY)),
                                float(hairpin->image->width / 2), float(hairpin->image->height / 2), nullptr,
                                -hairpinAngle);
    g.RestoreState();
}

} // namespace Quib
