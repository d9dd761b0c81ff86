#pragma once
#include "src/game/quest/QstCursorType.h"

#include <map>
#include <string>
#include <vector>

namespace Quib {

class QstAction;
class QstActionData;
class QstItemListener;
class QstItemState;
class QstXmlElement;
struct SLoadLayerDataCont;

class QstItem;
// Called after every actual state change.
struct QstItemStateChanged {
    void* object = nullptr;
    void (*function)(void* object, QstItem* item, const std::string& newState) = nullptr;
    explicit operator bool() const { return function != nullptr; }
};

// Anything in a scene that can change: named states, exactly one current.
class QstItem {
public:
    QstItem(QstItemListener* listener, const std::string& name);
    QstItem(const QstItem&) = delete;
    QstItem& operator=(const QstItem&) = delete;
    virtual ~QstItem();

    // Forward to the listener (the scene).
    virtual bool DoAddActionData(QstActionData* data);
    virtual QstAction* DoCreateAction(const std::string& dataName, bool addToRunning, bool start);
    virtual EQstCursorType DoItemActionHitTest(const std::string& dataName, std::string& popupField,
                                               std::string* target);
    // Renaming a state (scene editor).
    virtual bool OnItemStateNameChanged(QstItemState* state, const std::string& oldName,
                                        const std::string& newName);
    virtual bool IsStateNameFree(const std::string& name);

    // Stores the name and rebuilds the full name (scene:item).
    void SetName(const std::string& newName);
    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context, const std::string& mask);
    // Empty or the current name: the current state; else the state or null.
    QstItemState* GetState(const std::string& stateName);
    // False for an unknown name; true and nothing changes for the current.
    bool SetState(const std::string& stateName, bool immediately);
    void GetStates(std::vector<QstItemState*>& out) const;
    void LoadAllLayers();
    // An item dropped while loading deletes the layers of its states.
    void DiscardLayers(SLoadLayerDataCont& context);
    void LoadState(QstXmlElement& element);
    void SaveState(QstXmlElement& element);

    const std::string& GetName() const { return name; }
    const std::string& GetFullName() const { return fullName; }
    const std::string& GetStartState() const { return startState; }
    QstItemState* GetCurrentState() const { return currentState; }
    QstItemListener* GetListener() const { return listener; }

    QstItemListener* listener = nullptr;
    std::string name;
    std::string startState;
    std::string fullName;
    QstItemState* currentState = nullptr;
    std::map<std::string, QstItemState*> states; // owned
    QstItemStateChanged stateChanged;
};

} // namespace Quib
