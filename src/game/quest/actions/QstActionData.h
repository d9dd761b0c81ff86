#pragma once
#include "src/game/quest/QstCursorType.h"

#include <set>
#include <string>
#include <vector>

namespace Quib {

class QstAction;
class QstActionData;
class QstActor;
class QstItem;
class QstItemState;
class QstXmlElement;

// Called with every description of a tree (ForEachData).
struct ActionDataVisitor {
    void* context = nullptr;
    void (*function)(void* context, QstActionData* data) = nullptr;

    void operator()(QstActionData* data) const
    {
        if (function)
            function(context, data);
    }
};

// Creates the running action of a named description for an item; the scene
// supplies one that neither lists nor starts the action. Null when the name
// is unknown.
struct CreateActionDelegate {
    void* context = nullptr;
    QstAction* (*function)(void* context, QstItem* item, const std::string& name) = nullptr;

    QstAction* operator()(QstItem* item, const std::string& name) const
    {
        return function ? function(context, item, name) : nullptr;
    }
};

// A loaded, immutable description of a scripted action; creates the running
// action when a script runs. Registered by name in the scene, which owns it.
class QstActionData {
public:
    explicit QstActionData(std::string name);
    QstActionData(const QstActionData&) = delete;
    QstActionData& operator=(const QstActionData&) = delete;
    virtual ~QstActionData();

    // Reads the optional "name" attribute; kinds read the rest. False when
    // an error went to the element's handler.
    virtual bool DoInitFromXML(QstXmlElement* element);
    // conditional (may be null) is only ever set to true; target (may be
    // null) is written by scene and movie changes.
    virtual EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                         std::string* target) = 0;
    // This description, then the nested ones it holds.
    virtual void ForEachData(const ActionDataVisitor& visitor);
    virtual void CollectTargetScenes(std::set<std::string>& scenes);
    // A new running action, owned by the caller.
    virtual QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) = 0;
    // True when a click is to show the item state's hint as well.
    virtual bool HasMessage(QstActor* actor, QstItem* item, QstItemState* state);
    // The names this description asks the scene to create when it runs
    // (children, nested groups); used to refuse cycles at load time.
    virtual void CollectRunNames(std::vector<std::string>& names) const;

    const std::string& GetName() const { return name; }

    std::string name;
};

// An empty description of the kind named by the element (exact match), or
// null when the element is no action kind. Does not read the element.
QstActionData* CreateActionData(const std::string& elementName, const std::string& name);

// Deletes a description together with every description nested in it (what
// ForEachData reaches); for trees that were never registered.
void DeleteActionTree(QstActionData* root);

} // namespace Quib
