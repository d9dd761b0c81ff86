#include "src/game/quest/QstTutor.h"

#include "framework/app/QuibAppBase.h"
#include "framework/files/PrintfFormat.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/Widget.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstTutorialBox.h"
#include "src/game/quest/QstXmlElement.h"

#include <tinyxml.h>

namespace Quib {

namespace {

Image* LoadAppImage(const std::string& path)
{
    return gQuibAppBase ? gQuibAppBase->CreateImage(path, true) : nullptr;
}

// The first picture layer of exactly that name.
PsdLayerInfo* FindPictureLayer(SLoadLayerDataCont& context, const std::string& name)
{
    for (PsdLayerInfo& info : context.layers) {
        if (info.name == name)
            return &info;
    }
    return nullptr;
}

std::shared_ptr<Image> LayoutImage(Image* image)
{
    return std::shared_ptr<Image>(image, [](Image*) {});
}

} // namespace

bool QstTutorStepKindFromName(const std::string& name, QstTutorStepKind& kind)
{
    static const char* const kNames[] = {"Click", "Use", "GetDrag", "CloseClick", "WinMinigame", "BookClick"};
    for (int i = 0; i < 6; ++i) {
        if (name == kNames[i]) {
            kind = QstTutorStepKind(i);
            return true;
        }
    }
    return false;
}

int32_t GetPlayerTutorStep()
{
    const int32_t step = GameControllerCommon::Instance().Player().currentTutorialStep;
    return step < 0 ? 0 : step;
}

void SetPlayerTutorStep(int32_t step)
{
    GameControllerCommon::Instance().Player().currentTutorialStep = step < 0 ? 0 : step;
}

bool IsPlayerTutorialOn()
{
    return GameControllerCommon::Instance().Player().showTutorial;
}

void SetPlayerTutorialOn(bool on)
{
    GameControllerCommon::Instance().Player().showTutorial = on;
}

QstTutor::QstTutor(Widget* ownerWidget) : owner(ownerWidget), mSelf(std::make_shared<QstTutor*>(this)) {}

QstTutor::~QstTutor()
{
    // A box still on screen belongs to the owner, which may be going away
    // as well: it is not touched here, and its delegate no longer reaches
    // this tutor.
    mSelf.reset();
}

bool QstTutor::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context)
{
    TiXmlElement* root = element.GetElement();
    for (TiXmlElement* child = root ? root->FirstChildElement() : nullptr; child;
         child = child->NextSiblingElement()) {
        QstTutorStep step;
        if (!QstTutorStepKindFromName(child->Value(), step.kind))
            continue;
        QstXmlElement cursor(child, element);
        if (step.kind == QstTutorStepKind::Use) {
            if (!cursor.GetAttr("drag_name", step.dragName) || !cursor.GetAttr("drag_state", step.dragState))
                return false;
        }
        if (step.kind == QstTutorStepKind::Click || step.kind == QstTutorStepKind::Use ||
            step.kind == QstTutorStepKind::GetDrag) {
            if (!cursor.GetAttr("item_name", step.itemName) || !cursor.GetAttr("item_state", step.itemState))
                return false;
        }
        if (!cursor.GetAttr("lang_id", step.textKey))
            return false;
        step.timeOut = cursor.GetAttrFloat("time_out", 0.0f);
        step.hideByClick = cursor.HasAttr("hide_by_click");
        step.nextOnWinHog = cursor.HasAttr("next_on_win_hog");
        step.closeFieldDisabled = cursor.HasAttr("close_field_disabled");
        step.prevTutorialOnReset = cursor.HasAttr("prev_tutorial_on_reset");
        step.noBox = cursor.HasAttr("no_box");
        std::string arrowName, centerName;
        if (!cursor.GetAttr("arrow", arrowName) || !cursor.GetAttr("dialog_center", centerName))
            return false;

        PsdLayerInfo* arrowLayer = FindPictureLayer(context, arrowName);
        if (!arrowLayer)
            return cursor.ReportError(StrFormat("Can't find arrow layer: %s", arrowName));
        arrowLayer->used = true;
        step.arrow.reset(LoadAppImage(context.directory + arrowLayer->name));
        step.arrowX = int32_t(arrowLayer->x);
        step.arrowY = int32_t(arrowLayer->y);

        PsdLayerInfo* centerLayer = FindPictureLayer(context, centerName);
        if (!centerLayer)
            return cursor.ReportError(StrFormat("Can't find dialog center layer: %s", centerName));
        centerLayer->used = true;
        std::unique_ptr<Image> measure(LoadAppImage(context.directory + centerLayer->name));
        const int w = measure ? measure->width : 0, h = measure ? measure->height : 0;
        step.centerX = int32_t(centerLayer->x) + w / 2;
        step.centerY = int32_t(centerLayer->y) + h / 2;
        steps.push_back(std::move(step));
    }
    if (!steps.empty()) {
        frameLayout = GetTutorialFrameLayout();
        current = GetPlayerTutorStep();
        StartStep();
    }
    return true;
}

bool QstTutor::IsFinished()
{
    if (current < 0 || size_t(current) >= steps.size())
        return true;
    current = GetPlayerTutorStep();
    return !IsPlayerTutorialOn() || size_t(current) >= steps.size();
}

const QstTutorStep* QstTutor::CurrentStep()
{
    return IsFinished() ? nullptr : &steps[size_t(current)];
}

void QstTutor::StartStep()
{
    const QstTutorStep* step = CurrentStep();
    if (!step)
        return;
    if (step->noBox || !owner) {
        box = nullptr;
        return;
    }
    std::weak_ptr<QstTutor*> self = mSelf;
    box = new QstTutorialBox(
        [self](QstTutorialBox* closed) {
            if (auto tutor = self.lock())
                (*tutor)->OnBoxClosed(closed);
        },
        frameLayout, *step);
    owner->AttachChild(box);
}

void QstTutor::OnBoxClosed(QstTutorialBox* closedBox)
{
    if (box == closedBox)
        box = nullptr;
}

void QstTutor::CloseBox()
{
    if (box)
        box->StartClosing();
    box = nullptr;
}

void QstTutor::Advance(bool wonHog)
{
    const QstTutorStep* step = CurrentStep();
    if (!step || step->nextOnWinHog != wonHog)
        return;
    ++current;
    SetPlayerTutorStep(current);
    CloseBox();
    StartStep();
}

void QstTutor::StepBack()
{
    const QstTutorStep* step = CurrentStep();
    if (!step || current <= 0 || !step->prevTutorialOnReset)
        return;
    CloseBox();
    --current;
    SetPlayerTutorStep(current);
    StartStep();
}

bool QstTutor::MatchesStep(QstTutorStepKind kind, const std::string& itemFullName, const std::string& stateName)
{
    const QstTutorStep* step = CurrentStep();
    if (!step)
        return true;
    return step->kind == kind && step->itemName == itemFullName &&
           (step->itemState.empty() || step->itemState == stateName);
}

bool QstTutor::OnClickTarget(const std::string& itemFullName, const std::string& stateName)
{
    if (IsFinished())
        return true;
    if (!MatchesStep(QstTutorStepKind::Click, itemFullName, stateName))
        return false;
    Advance(false);
    return true;
}

bool QstTutor::IsClickAllowed(const std::string& itemFullName, const std::string& stateName)
{
    const QstTutorStep* step = CurrentStep();
    if (!step)
        return true;
    return (step->kind == QstTutorStepKind::Click || step->kind == QstTutorStepKind::Use) &&
           step->itemName == itemFullName && (step->itemState.empty() || step->itemState == stateName);
}

bool QstTutor::AllowUse(const std::string& itemFullName, const std::string& stateName,
                        const std::string& dragFullName, const std::string& dragState)
{
    const QstTutorStep* step = CurrentStep();
    if (!step)
        return true;
    if (!MatchesStep(QstTutorStepKind::Use, itemFullName, stateName) || step->dragName != dragFullName ||
        !(step->dragState.empty() || step->dragState == dragState))
        return false;
    Advance(false);
    return true;
}

bool QstTutor::OnGetDrag(const std::string& itemFullName, const std::string& stateName)
{
    if (!IsFinished() && MatchesStep(QstTutorStepKind::GetDrag, itemFullName, stateName))
        Advance(false);
    return true;
}

void QstTutor::OnCloseClick()
{
    const QstTutorStep* step = CurrentStep();
    if (step && step->kind == QstTutorStepKind::CloseClick)
        Advance(false);
}

bool QstTutor::IsCloseDisabled()
{
    const QstTutorStep* step = CurrentStep();
    return step && step->closeFieldDisabled;
}

void QstTutor::OnWinMinigame()
{
    const QstTutorStep* step = CurrentStep();
    if (step && step->kind == QstTutorStepKind::WinMinigame)
        Advance(false);
}

void QstTutor::OnBookClick()
{
    const QstTutorStep* step = CurrentStep();
    if (step && step->kind == QstTutorStepKind::BookClick)
        Advance(false);
}

void QstTutor::OnWinHog()
{
    Advance(true);
}

void QstTutor::ShowHogHelp3(PsdPicture* layout)
{
    ShowHogHelp(layout, "03");
}

void QstTutor::ShowHogHelp6(PsdPicture* layout)
{
    ShowHogHelp(layout, "06");
}

void QstTutor::ShowHogHelp(PsdPicture* layout, const char* number)
{
    QstTutorStep step;
    step.textKey = StrFormat("tut%s", number);
    if (layout) {
        if (PsdPictureLayer* arrowLayer = layout->FindLayer(StrFormat("tut/a_%s", number))) {
            step.arrow = LayoutImage(arrowLayer->image);
            step.arrowX = arrowLayer->x;
            step.arrowY = arrowLayer->y;
        }
        if (PsdPictureLayer* centerLayer = layout->FindLayer(StrFormat("tut/b_%s", number))) {
            const int w = centerLayer->image ? centerLayer->image->width : 0;
            const int h = centerLayer->image ? centerLayer->image->height : 0;
            step.centerX = centerLayer->x + w / 2;
            step.centerY = centerLayer->y + h / 2;
        }
    }
    step.timeOut = 5.0f;
    step.hideByClick = true;
    frameLayout = GetTutorialFrameLayout();
    if (!owner)
        return;
    owner->AttachChild(new QstTutorialBox(nullptr, frameLayout, step));
}

} // namespace Quib
