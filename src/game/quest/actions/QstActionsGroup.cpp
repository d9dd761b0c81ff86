#include "src/game/quest/actions/QstActionsGroup.h"

namespace Quib {

QstActionsGroup::QstActionsGroup(QstActor* actor, QstItem* item, QstActionsGroupData* description)
    : QstAction(actor, item), description(description)
{
}

QstActionsGroup::~QstActionsGroup()
{
    for (QstAction* child : children)
        delete child;
}

void QstActionsGroup::AddChild(QstAction* child)
{
    if (child)
        children.push_back(child);
}

void QstActionsGroup::Walk(bool start, float seconds)
{
    // By index over the children present when the walk began; a child
    // finished during the walk is deleted after its call returns.
    const size_t count = children.size();
    for (size_t i = 0; i < count && i < children.size(); ++i) {
        QstAction* child = children[i];
        if (!child)
            continue;
        if (start)
            child->Start();
        else
            child->Update(seconds);
        if (child->IsDone()) {
            children[i] = nullptr;
            delete child;
        }
    }
    std::erase(children, nullptr);
    if (children.empty())
        done = true;
}

void QstActionsGroup::Start()
{
    Walk(true, 0.0f);
}

void QstActionsGroup::Update(float seconds)
{
    Walk(false, seconds);
}

} // namespace Quib
