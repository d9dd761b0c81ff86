#pragma once
#include "platform/headless/CapturingSink.h"
#include "src/game/quest/QstActor.h"
#include "src/game/quest/actions/QstActionData.h"
#include "src/game/quest/actions/QstRunningActions.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Quib::Testing {

// The process log opened once, its lines caught for one test.
class ActionLogCapture {
public:
    ActionLogCapture();
    int Count(std::string_view text) const;
    bool Contains(std::string_view text) const { return Count(text) > 0; }
    std::string All() const;

private:
    CapturingSink mSink;
};

// Stands in for a scene: items are names with a current state, and every
// operation an action performs is written to calls as one line.
class FakeActor : public QstActor {
public:
    FakeActor() : QstActor(nullptr) {}

    QstActionData* FindActionData(const std::string& name) override;
    QstItem* ResolveItem(const std::string& ref) override;
    void SetItemState(QstItem* own, const std::string& ref, const std::string& state, bool immediately) override;
    void UpdatePoolItem(QstItem* own, const std::string& ref) override;
    void AddPopupField(const std::string& ref) override;
    void DisablePopupClose(const std::string& ref) override;
    void ToPool(QstItem* own, const std::string& ref, const std::string& newState, const std::string& followUp,
                const std::string& dstRef, bool noFly, const std::string& flyFromRef,
                const TPoint<float>* flyFromPos) override;
    void RemoveFromPool(QstItem* own, const std::string& ref) override;
    void ToHOG(QstItem* own, const QstActionDataToHOG& data) override;
    void ToMovie(QstItem* own, const QstActionDataToMovie& data) override;
    void GoToScene(const std::string& sceneName) override;
    std::string GetItemStateName(const std::string& ref) override;
    bool HasItem(const std::string& ref) override;
    void SetGroupVisible(const std::string& group, bool visible, bool immediately) override;
    void CloseTopPopupField() override;
    void ShowMessage(const std::u16string& text, float duration) override;
    void AddJournalRecord(const std::string& record) override;

    std::string Calls() const;

    std::map<std::string, std::string> items; // name -> current state
    std::vector<std::string> calls;
    std::map<std::string, QstActionData*>* map = nullptr;
};

// Action scripts read from XML text the way a scene reads them: the root
// element is one group; every description is registered by name (taken
// names refused), all are owned here; running actions are listed.
class ScriptBook {
public:
    ScriptBook();
    ~ScriptBook();

    // Reads the root element of the text as group groupName; false when
    // loading reported an error (errors holds the texts).
    bool Load(const std::string& xml, const std::string& groupName);
    // RefuseActionCycles over the map; the number refused.
    size_t RefuseCycles();
    // Creates, lists and starts the named action; null when unknown.
    QstAction* Run(const std::string& name, QstItem* item = nullptr);
    void Update(float seconds) { running.Update(seconds); }
    QstActionData* Find(const std::string& name) const;
    std::vector<std::string> Names() const;

    FakeActor actor;
    std::map<std::string, QstActionData*> map;
    std::vector<std::unique_ptr<QstActionData>> owned;
    std::vector<std::unique_ptr<QstActionData>> refused;
    std::vector<std::string> errors;
    std::vector<std::string> unknownNames; // names asked for that the map lacks
    QstRunningActions running;
    CreateActionDelegate create;
};

} // namespace Quib::Testing
