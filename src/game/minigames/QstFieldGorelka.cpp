#include "src/game/minigames/QstFieldGorelka.h"

#include "framework/core/Color.h"
#include "framework/files/FloatTransformer.h"
#include "framework/files/PrintfFormat.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/game/Sounds.h"
#include "src/game/quest/QstXmlElement.h"

#include <algorithm>
#include <cmath>

namespace Quib {

namespace {

void DrawStagePicture(Graphics& g, const MinigamePicture* p)
{
    if (p && p->image)
        g.DrawImageAt(p->image, int(p->x), int(p->y));
}

// Touching edges do not overlap.
bool RectsOverlap(const Rect& a, const Rect& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

} // namespace

QstFieldGorelka::QstFieldGorelka(QstScene* owner, void* loading, const std::string& type)
    : QstFieldMinigame(owner, loading, type)
{
    skipShown = false;
}

QstFieldGorelka::~QstFieldGorelka()
{
    for (Part* part : parts) {
        if (part->parent)
            part->parent->DetachChild(part);
        delete part;
    }
    parts.clear();
}

bool QstFieldGorelka::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context)
{
    if (!QstFieldMinigame::DoInitFromXML(element, context))
        return false;
    currentStage = 0;
    stageFade = 1.0f;
    // The pictures stay in scene coordinates until the field has its place
    // (Layout).
    for (int n = 1;; ++n) {
        MinigamePicture* main = LoadFieldPicture(context, StrFormat("parts/part_%02d", n), this, true);
        if (!main)
            break;
        MinigamePicture* shadow = LoadFieldPicture(context, StrFormat("parts/_part_%02d_sh", n), this, true);
        MinigamePicture* hitMask = LoadFieldPicture(context, StrFormat("parts/part_%02d_alfa", n), this, true);
        auto* part = new Part(this);
        part->Setup(n, main, shadow, hitMask, 0.0f, 0.0f);
        AttachChild(part);
        parts.push_back(part);
    }
    for (int n = 1;; ++n) {
        MinigamePicture* stage = LoadFieldPicture(context, StrFormat("gorelka/st_%02d", n), this, true);
        if (!stage)
            break;
        MinigamePicture* shadow = LoadFieldPicture(context, StrFormat("gorelka/_st_%02d_sh", n), this, true);
        stages.emplace_back(stage, shadow);
    }
    return true;
}

void QstFieldGorelka::PlaceInField()
{
    const float dx = float(x) - mPlacedAtX;
    const float dy = float(y) - mPlacedAtY;
    if (dx == 0.0f && dy == 0.0f)
        return;
    for (auto& stage : stages) {
        for (MinigamePicture* p : {stage.first, stage.second}) {
            if (p) {
                p->x -= dx;
                p->y -= dy;
            }
        }
    }
    for (Part* part : parts)
        part->ShiftHome(-dx, -dy);
    mPlacedAtX = float(x);
    mPlacedAtY = float(y);
}

void QstFieldGorelka::Layout()
{
    QstFieldMinigame::Layout();
    PlaceInField();
    for (Part* part : parts)
        part->FitSize();
}

bool QstFieldGorelka::IsHintStop() { return false; }

void QstFieldGorelka::OnTake(const Point&, SPart*) { PlaySoundEffect("take_item"); }

bool QstFieldGorelka::OnDrop(SPart* part)
{
    if (stageFade != 1.0f || finishing || won) {
        part->ReturnHome();
        return true;
    }
    ClampStage();
    const MinigamePicture* stage = currentStage < int32_t(stages.size()) ? stages[size_t(currentStage)].first : nullptr;
    const bool last = currentStage + 1 >= int32_t(stages.size());
    if (stage && stage->image && !last &&
        RectsOverlap(Rect(int(stage->x), int(stage->y), stage->image->width, stage->image->height),
                     Rect(part->x, part->y, part->width, part->height))) {
        if (part->number == currentStage + 1) {
            stageFade = 0.0f;
            currentStage += 1;
            if (currentStage + 1 == int32_t(stages.size()))
                won = true;
            part->SetPlaced(false);
            part->SetDraggable(false);
            PlaySoundEffect("right_item");
            return true;
        }
    }
    PlaySoundEffect("wrong_item");
    part->ReturnHome();
    return true;
}

void QstFieldGorelka::Update(float seconds)
{
    QstFieldMinigame::Update(seconds);
    for (Part* part : parts)
        part->UpdatePart(seconds);
    ApproachFloat(stageFade, seconds, 1.0f);
    if (stageFade == 1.0f && won) {
        won = false;
        Win();
    }
}

void QstFieldGorelka::Draw(Graphics& g)
{
    QstFieldMinigame::Draw(g);
    if (stages.empty())
        return;
    ClampStage();
    g.SaveState();
    const Color base = BeginPuzzlePass(g);
    g.colorizeImages = true;
    const auto& current = stages[size_t(currentStage)];
    if (stageFade != 0.0f) {
        g.color = MultiplyColors(base, ColorWithAlpha(stageFade, Color::White));
        DrawStagePicture(g, current.second);
        DrawStagePicture(g, current.first);
    }
    if (currentStage > 0 && stageFade != 1.0f) {
        const auto& previous = stages[size_t(currentStage - 1)];
        g.color = MultiplyColors(base, ColorWithAlpha(1.0f - stageFade, Color::White));
        DrawStagePicture(g, previous.second);
        DrawStagePicture(g, previous.first);
    }
    g.colorizeImages = false;
    g.RestoreState();
}

void QstFieldGorelka::ClampStage()
{
    const int32_t last = std::max(0, int32_t(stages.size()) - 1);
    currentStage = std::clamp(currentStage, 0, last);
}

bool QstFieldGorelka::SaveMinigameState(QstXmlElement& element)
{
    if (!QstFieldMinigame::SaveMinigameState(element))
        return false;
    element.SetAttrInt("cur_ind", currentStage);
    SetAttrFloat(element, "cur_part", stageFade);
    element.SetAttrBool("is_win", won);
    return true;
}

bool QstFieldGorelka::LoadMinigameState(QstXmlElement& element, bool* openedFlag)
{
    if (!QstFieldMinigame::LoadMinigameState(element, openedFlag))
        return false;
    if (!element.HasAttr("cur_ind"))
        return true;
    currentStage = element.GetAttrInt("cur_ind", currentStage);
    stageFade = element.GetAttrFloat("cur_part", stageFade);
    won = element.GetAttrBool("is_win", won);
    // A stage beyond the pictures, or a fade out of range, is brought back.
    ClampStage();
    if (!std::isfinite(stageFade))
        stageFade = 1.0f;
    stageFade = std::clamp(stageFade, 0.0f, 1.0f);
    if (currentStage + 1 == int32_t(stages.size()) && stages.size() > 1)
        won = true;
    int32_t k = 0;
    for (Part* part : parts) {
        if (k++ >= currentStage)
            break;
        part->SetPlaced(true);
    }
    if (openedFlag)
        *openedFlag = true;
    return true;
}

} // namespace Quib
