#include "src/game/minigames/QstFieldMinigame.h"

#include "framework/core/Color.h"
#include "framework/files/FloatTransformer.h"
#include "framework/files/PrintfFormat.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetApp.h"
#include "src/GameSettings.h"
#include "src/game/minigames/DelayActor.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstPixelAlpha.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstTutor.h"
#include "src/game/quest/QstTutorDialog.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/Layer/QstLayerImages.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"
#include "src/game/quest/actions/QstActionsGroupData.h"
#include "src/screens/PopupAnimation.h"

#include <cmath>
#include <tinyxml.h>

namespace Quib {

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kPi = 3.1415927f;
constexpr float kDefaultSkipTime = 120.0f;

void AddActionDataToScene(void* context, QstActionData* data)
{
    static_cast<QstScene*>(context)->DoAddActionData(data);
}

} // namespace

QstFieldMinigame::QstFieldMinigame(QstScene* owner, void* loading, const std::string& type)
    : QstField(owner, loading), typeName(type), mSelf(std::make_shared<QstFieldMinigame*>(this))
{
    skipShown = true;
}

QstFieldMinigame::~QstFieldMinigame()
{
    // A DelayActor still queued finds no owner.
    *mSelf = nullptr;
    for (MinigamePicture& picture : pictures) {
        delete picture.image;
        picture.image = nullptr;
    }
    pictures.clear();
}

// ---------------------------------------------------------------------------
// Loading

bool QstFieldMinigame::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context)
{
    const bool loaded = QstField::DoInitFromXML(element, context);
    TiXmlElement* xml = element.GetElement();
    TiXmlElement* onWin = xml ? xml->FirstChildElement("OnWin") : nullptr;
    if (onWin) {
        QstXmlElement cursor(onWin, element);
        onWinName = name + "_OnWin";
        QstActionsGroupData* group = QstActionsGroupData::Create(&cursor, onWinName);
        if (group && scene)
            group->ForEachData({scene, &AddActionDataToScene});
        else
            delete group;
    } else {
        element.ReportError("Tag \"OnWin\" not found");
    }
    float skipTime = GetGameIniFloat("MinigameSkipTime", "Game", kDefaultSkipTime);
    if (element.HasAttr("skip_time"))
        skipTime = element.GetAttrFloat("skip_time", skipTime);
    QstFieldControl* skip = GetSkipControl();
    skip->chargeRatio = 0.0f;
    skip->chargeTime = skipTime;
    skip->chargeElapsed = 0.0f;
    return loaded;
}

// ---------------------------------------------------------------------------
// Saved state

bool QstFieldMinigame::SaveState(QstXmlElement& element)
{
    if (!QstField::SaveState(element))
        return false;
    if (!opened)
        return true;
    return SaveMinigameState(element);
}

bool QstFieldMinigame::LoadState(QstXmlElement& element)
{
    if (!QstField::LoadState(element))
        return false;
    return LoadMinigameState(element, &opened);
}

bool QstFieldMinigame::SaveMinigameState(QstXmlElement& element)
{
    SetAttrFloat(element, "skip_time", GetSkipControl()->chargeElapsed);
    element.SetAttrBool("tutor", tutorShown);
    return true;
}

bool QstFieldMinigame::LoadMinigameState(QstXmlElement& element, bool* openedFlag)
{
    QstFieldControl* skip = GetSkipControl();
    // Only an opened puzzle writes its state: finding it means the puzzle
    // was open, so that the waited time is saved again.
    if (element.HasAttr("skip_time") && openedFlag)
        *openedFlag = true;
    float elapsed = element.GetAttrFloat("skip_time", 0.0f);
    if (!std::isfinite(elapsed) || elapsed < 0.0f)
        elapsed = 0.0f;
    if (skip->chargeTime > 0.0f && elapsed > skip->chargeTime)
        elapsed = skip->chargeTime;
    skip->chargeElapsed = elapsed;
    if (skip->chargeTime != 0.0f)
        skip->chargeRatio = elapsed / skip->chargeTime;
    if (element.HasAttr("tutor"))
        tutorShown = element.GetAttrBool("tutor", tutorShown);
    return true;
}

// ---------------------------------------------------------------------------
// Images

void QstFieldMinigame::Layout()
{
    QstField::Layout();
    for (MinigamePicture& picture : pictures) {
        delete picture.image;
        picture.image = LoadQstLayerImage(picture.imagePath);
    }
}

void QstFieldMinigame::UnloadLayers()
{
    QstField::UnloadLayers();
    for (MinigamePicture& picture : pictures) {
        delete picture.image;
        picture.image = nullptr;
    }
}

// ---------------------------------------------------------------------------
// Opening, skipping, winning

void QstFieldMinigame::Open()
{
    QstField::Open();
    opened = true;
    tutorShown = true;
    if (showTutorial)
        ShowMinigameTutorDialog(this, typeName);
}

bool QstFieldMinigame::IsHintStop() { return true; }

void QstFieldMinigame::ButtonDepressByMouse(int id, int) { ButtonDepress(id); }

void QstFieldMinigame::ButtonDepress(int id)
{
    if (id == QstFieldControl::kSkipId)
        Win();
    else if (id == QstFieldControl::kCloseId)
        Close(false);
}

void QstFieldMinigame::Win()
{
    if (finishing)
        return;
    finishing = true;
    opened = false;
    auto* actor = new DelayActor(this);
    if (WidgetApp* app = TheWidgetApp())
        app->QueueDeferredDelete(actor);
    else
        delete actor; // no application loop: at once
}

void QstFieldMinigame::RunOnWin()
{
    if (QstTutor* tutor = scene ? scene->GetTutor() : nullptr)
        tutor->OnWinMinigame();
    if (onWinName.empty() || !scene)
        return;
    scene->DoCreateAction(nullptr, onWinName, true, true);
}

// ---------------------------------------------------------------------------
// Drawing helpers

Color QstFieldMinigame::BeginPuzzlePass(Graphics& g) const
{
    ApplyPopupTransform(g, alpha, width, height);
    g.scaleX = 1.0f;
    g.scaleY = 1.0f;
    const Color sceneColor = scene ? scene->color : Color(255, 255, 255, 255);
    g.color = MultiplyColors(sceneColor, g.color);
    return g.color;
}

bool QstFieldMinigame::PictureHitAt(const MinigamePicture* picture, int px, int py, int limit) const
{
    if (!picture || !picture->image)
        return false;
    const int lx = int(float(px + x) - picture->x);
    const int ly = int(float(py + y) - picture->y);
    return PictureAlphaAt(picture->image, lx, ly) > limit;
}

void QstFieldMinigame::DrawPicture(Graphics& g, const MinigamePicture* picture) const
{
    if (!picture || !picture->image)
        return;
    g.DrawImageAt(picture->image, int(picture->x - float(x)), int(picture->y - float(y)));
}

void QstFieldMinigame::DrawPictureRotated(Graphics& g, const MinigamePicture* picture, float angle, float cx,
                                          float cy, float dx, float dy) const
{
    if (!picture || !picture->image)
        return;
    g.DrawImageRotatedAbout(picture->image, picture->x - float(x) + dx, picture->y - float(y) + dy, cx, cy, nullptr,
                            angle);
}

// ---------------------------------------------------------------------------
// Shared operations

MinigamePicture* LoadFieldPicture(SLoadLayerDataCont& context, const std::string& pictureName,
                                  QstFieldMinigame* field, bool withMask)
{
    if (!field)
        return nullptr;
    const std::string full = (withMask ? field->GetMask() : std::string()) + pictureName;
    for (PsdLayerInfo& info : context.layers) {
        if (info.name != full)
            continue;
        info.used = true;
        MinigamePicture picture;
        picture.imagePath = context.directory + info.name;
        picture.name = info.name;
        picture.x = info.x;
        picture.y = info.y;
        picture.z = info.baseZ;
        field->pictures.push_back(std::move(picture));
        return &field->pictures.back();
    }
    return nullptr;
}

void NormalizeAngle(float& angle)
{
    if (!std::isfinite(angle)) {
        angle = 0.0f;
        return;
    }
    while (angle >= kTwoPi)
        angle -= kTwoPi;
    while (angle < 0.0f)
        angle += kTwoPi;
}

bool RotateAngleTowards(float& angle, float step, float target)
{
    if (angle == target)
        return true;
    if (std::fabs(angle - target) > kPi) {
        if (target < angle)
            target += kTwoPi;
        else
            target -= kTwoPi;
    }
    const bool arrived = ApproachFloat(angle, step, target);
    NormalizeAngle(angle);
    return arrived;
}

void SetAttrFloat(QstXmlElement& element, const char* attrName, float value)
{
    element.SetAttr(StrFormat("%g", double(value)), attrName);
}

} // namespace Quib
