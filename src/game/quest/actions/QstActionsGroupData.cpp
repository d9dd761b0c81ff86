#include "src/game/quest/actions/QstActionsGroupData.h"

#include "framework/files/ProcessLog.h"
#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/actions/QstActionsGroup.h"

#include <tinyxml.h>

#include <cstdio>

namespace Quib {

namespace {

// Guards the walks that follow references by name, in case a cycle was not
// refused at load time: a deeper nesting is cut with a log line. A query or
// creation that fans out through shared references is bounded as well.
constexpr int kMaxNesting = 64;
constexpr int kMaxVisits = 20000;
int gGroupNesting = 0;
int gVisitsLeft = kMaxVisits;

struct NestingGuard {
    bool ok;
    NestingGuard()
    {
        if (gGroupNesting == 0)
            gVisitsLeft = kMaxVisits;
        ok = gGroupNesting < kMaxNesting && gVisitsLeft > 0;
        --gVisitsLeft;
        ++gGroupNesting;
    }
    ~NestingGuard() { --gGroupNesting; }
};

} // namespace

QstActionsGroupData::QstActionsGroupData(std::string name) : QstActionData(std::move(name)) {}

QstActionsGroupData* QstActionsGroupData::Create(QstXmlElement* element, const std::string& name)
{
    auto* group = new QstActionsGroupData(name);
    group->DoInitFromXML(element);
    return group;
}

QstActionsGroupData* QstActionsGroupData::CreateNested(QstXmlElement* element, const std::string& name)
{
    auto* group = new QstActionsGroupData(name);
    group->ReadGroup(element, false);
    return group;
}

bool QstActionsGroupData::DoInitFromXML(QstXmlElement* element)
{
    return ReadGroup(element, true);
}

bool QstActionsGroupData::ReadGroup(QstXmlElement* element, bool readName)
{
    if (readName && !QstActionData::DoInitFromXML(element))
        return false;
    TiXmlElement* xml = element->GetElement();
    if (!xml)
        return true;
    // Groups nest through their elements; a document nested deeper than
    // any script needs is refused rather than read by deep recursion.
    static int readDepth = 0;
    if (readDepth >= kMaxNesting)
        return element->ReportError("Action \"" + name + "\" is nested too deep");
    struct DepthScope {
        DepthScope() { ++readDepth; }
        ~DepthScope() { --readDepth; }
    } depthScope;
    int counter = 0;
    for (TiXmlElement* child = xml->FirstChildElement(); child; child = child->NextSiblingElement()) {
        QstXmlElement cursor(child, *element);
        const std::string tag = child->Value() ? child->Value() : "";
        if (tag == "UseAction") {
            std::string ref;
            if (!cursor.GetAttr("name", ref))
                return false;
            children.push_back({ref, nullptr});
            continue;
        }
        char number[16];
        std::snprintf(number, sizeof number, "_%02d", counter);
        const std::string generated = name + number;
        QstActionData* data = CreateActionData(tag, generated);
        if (!data)
            continue;
        if (!data->DoInitFromXML(&cursor)) {
            DeleteActionTree(data);
            return false;
        }
        if (data->GetName() == generated)
            ++counter;
        children.push_back({data->GetName(), data});
    }
    return true;
}

QstActionData* QstActionsGroupData::ResolveChild(QstActor* actor, const SActionChild& child) const
{
    if (child.data)
        return child.data;
    return actor ? actor->FindActionData(child.name) : nullptr;
}

EQstCursorType QstActionsGroupData::GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                                  std::string* target)
{
    NestingGuard guard;
    if (!guard.ok)
        return QST_CURSOR_NONE;
    bool closeUp = false;
    bool use = false;
    for (const SActionChild& child : children) {
        QstActionData* data = ResolveChild(actor, child);
        if (!data)
            continue;
        bool childConditional = false;
        EQstCursorType type = data->GetCursorType(actor, popupField, &childConditional, target);
        if (childConditional && conditional)
            *conditional = true;
        if (type == QST_CURSOR_LEAVE || type == QST_CURSOR_HOG)
            return type;
        if (type == QST_CURSOR_CLOSEUP)
            closeUp = true;
        else if (type == QST_CURSOR_USE)
            use = true;
    }
    if (closeUp)
        return QST_CURSOR_CLOSEUP;
    return use ? QST_CURSOR_USE : QST_CURSOR_NONE;
}

void QstActionsGroupData::ForEachData(const ActionDataVisitor& visitor)
{
    visitor(this);
    for (const SActionChild& child : children)
        if (child.data)
            child.data->ForEachData(visitor);
}

void QstActionsGroupData::CollectTargetScenes(std::set<std::string>& scenes)
{
    for (const SActionChild& child : children)
        if (child.data)
            child.data->CollectTargetScenes(scenes);
}

void QstActionsGroupData::CreateChildren(QstActionsGroup* group, QstItem* item, const CreateActionDelegate& create)
{
    NestingGuard guard;
    if (!guard.ok) {
        QUIB_LOG_ERROR("Action \"%s\" is nested too deep; its children are left out", name);
        return;
    }
    for (const SActionChild& child : children) {
        if (QstAction::LiveCount() >= QstAction::kMaxLive) {
            QUIB_LOG_ERROR("Action \"%s\": too many running actions; its other children are left out", name);
            return;
        }
        group->AddChild(create(item, child.name));
    }
}

QstAction* QstActionsGroupData::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create)
{
    auto* group = new QstActionsGroup(actor, item, this);
    CreateChildren(group, item, create);
    return group;
}

bool QstActionsGroupData::HasMessage(QstActor* actor, QstItem* item, QstItemState* state)
{
    NestingGuard guard;
    if (!guard.ok)
        return false;
    for (const SActionChild& child : children) {
        QstActionData* data = ResolveChild(actor, child);
        if (data && data->HasMessage(actor, item, state))
            return true;
    }
    return false;
}

void QstActionsGroupData::CollectRunNames(std::vector<std::string>& names) const
{
    for (const SActionChild& child : children)
        names.push_back(child.name);
}

} // namespace Quib
