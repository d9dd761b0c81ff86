#include "src/game/quest/actions/QstActionData.h"

#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/actions/QstActionAddParticles.h"
#include "src/game/quest/actions/QstActionAddPopupField.h"
#include "src/game/quest/actions/QstActionAddProgress.h"
#include "src/game/quest/actions/QstActionCheckState.h"
#include "src/game/quest/actions/QstActionDisablePopupClose.h"
#include "src/game/quest/actions/QstActionMsgBook.h"
#include "src/game/quest/actions/QstActionMsgBubble.h"
#include "src/game/quest/actions/QstActionRemoveFromPool.h"
#include "src/game/quest/actions/QstActionRemovePopupField.h"
#include "src/game/quest/actions/QstActionSetState.h"
#include "src/game/quest/actions/QstActionSound.h"
#include "src/game/quest/actions/QstActionToHOG.h"
#include "src/game/quest/actions/QstActionToMovie.h"
#include "src/game/quest/actions/QstActionToPool.h"
#include "src/game/quest/actions/QstActionToScene.h"
#include "src/game/quest/actions/QstActionVisibleGroup.h"
#include "src/game/quest/actions/QstActionWait.h"
#include "src/game/quest/actions/QstActionsGroupData.h"

namespace Quib {

QstActionData::QstActionData(std::string name) : name(std::move(name)) {}

QstActionData::~QstActionData() = default;

bool QstActionData::DoInitFromXML(QstXmlElement* element)
{
    name = element->GetAttrDefault("name", name);
    return true;
}

void QstActionData::ForEachData(const ActionDataVisitor& visitor)
{
    visitor(this);
}

void QstActionData::CollectTargetScenes(std::set<std::string>&) {}

bool QstActionData::HasMessage(QstActor*, QstItem*, QstItemState*)
{
    return false;
}

void QstActionData::CollectRunNames(std::vector<std::string>&) const {}

namespace {

template <class T>
QstActionData* MakeActionData(const std::string& name)
{
    return new T(name);
}

struct ActionKind {
    const char* element;
    QstActionData* (*make)(const std::string& name);
};

// In the order the element names are tested.
const ActionKind kActionKinds[] = {
    {"SetState", MakeActionData<QstActionDataSetState>},
    {"Action", MakeActionData<QstActionsGroupData>},
    {"AddPopupField", MakeActionData<QstActionDataAddPopupField>},
    {"ShowVisibleGroup", MakeActionData<QstActionDataShowVisibleGroup>},
    {"HideVisibleGroup", MakeActionData<QstActionDataHideVisibleGroup>},
    {"ToPool", MakeActionData<QstActionDataToPool>},
    {"RemoveFromPool", MakeActionData<QstActionDataRemoveFromPool>},
    {"ToScene", MakeActionData<QstActionDataToScene>},
    {"CheckState", MakeActionData<QstActionDataCheckState>},
    {"ToHOG", MakeActionData<QstActionDataToHOG>},
    {"Wait", MakeActionData<QstActionDataWait>},
    {"AddParticles", MakeActionData<QstActionDataAddParticles>},
    {"Sound", MakeActionData<QstActionDataSound>},
    {"RemovePopupField", MakeActionData<QstActionDataRemovePopupField>},
    {"MsgBubble", MakeActionData<QstActionDataMsgBubble>},
    {"MsgBook", MakeActionData<QstActionDataMsgBook>},
    {"ToMovie", MakeActionData<QstActionDataToMovie>},
    {"AddProgress", MakeActionData<QstActionDataAddProgress>},
    {"DisablePopupClose", MakeActionData<QstActionDataDisablePopupClose>},
};

} // namespace

void DeleteActionTree(QstActionData* root)
{
    if (!root)
        return;
    std::vector<QstActionData*> all;
    root->ForEachData(ActionDataVisitor{&all, [](void* context, QstActionData* data) {
                                            static_cast<std::vector<QstActionData*>*>(context)->push_back(data);
                                        }});
    for (QstActionData* data : all)
        delete data;
}

QstActionData* CreateActionData(const std::string& elementName, const std::string& name)
{
    for (const ActionKind& kind : kActionKinds)
        if (elementName == kind.element)
            return kind.make(name);
    return nullptr;
}

} // namespace Quib
