// Reads any bytes as an action script through the real factory, registers
// its descriptions as a scene does (refusing taken names and cycles), then
// runs every description for a number of frames: no crash, no endless loop,
// and the running list stays bounded.
#include "FuzzSupport.h"
#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionCycles.h"
#include "src/game/quest/actions/QstActionsGroupData.h"
#include "src/game/quest/actions/QstRunningActions.h"

#include <tinyxml.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace Quib;

namespace {

// Every operation that would reach a scene, a board or the files is counted.
class FuzzActor : public QstActor {
public:
    FuzzActor() : QstActor(nullptr) {}
    QstActionData* FindActionData(const std::string& name) override
    {
        auto found = map->find(name);
        return found == map->end() ? nullptr : found->second;
    }
    void SetItemState(QstItem*, const std::string&, const std::string&, bool) override { ++calls; }
    void UpdatePoolItem(QstItem*, const std::string&) override { ++calls; }
    void AddPopupField(const std::string&) override { ++calls; }
    void DisablePopupClose(const std::string&) override { ++calls; }
    void ToPool(QstItem*, const std::string&, const std::string&, const std::string&, const std::string&, bool,
                const std::string&, const TPoint<float>*) override
    {
        ++calls;
    }
    void RemoveFromPool(QstItem*, const std::string&) override { ++calls; }
    void ToHOG(QstItem*, const QstActionDataToHOG&) override { ++calls; }
    void ToMovie(QstItem*, const QstActionDataToMovie&) override { ++calls; }
    void GoToScene(const std::string&) override { ++calls; }
    std::string GetItemStateName(const std::string& ref) override { return ref.size() % 2 ? "open" : ""; }
    bool HasItem(const std::string& ref) override { return ref.size() % 3 != 0; }
    void SetGroupVisible(const std::string&, bool, bool) override { ++calls; }
    void CloseTopPopupField() override { ++calls; }
    void ShowMessage(const std::u16string&, float) override { ++calls; }
    void AddJournalRecord(const std::string&) override { ++calls; }

    std::map<std::string, QstActionData*>* map = nullptr;
    long calls = 0;
};

struct Script {
    std::map<std::string, QstActionData*> map;
    std::vector<std::unique_ptr<QstActionData>> owned;
    FuzzActor actor;
    CreateActionDelegate create;
};

bool IgnoreError(void*, const std::string&, TiXmlElement*)
{
    return false;
}

void Register(void* context, QstActionData* data)
{
    auto* script = static_cast<Script*>(context);
    script->owned.emplace_back(data);
    script->map.emplace(data->GetName(), data);
}

QstAction* Create(void* context, QstItem* item, const std::string& name)
{
    auto* script = static_cast<Script*>(context);
    QstActionData* data = script->actor.FindActionData(name);
    return data ? data->CreateAction(&script->actor, item, script->create) : nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(Fuzz::Text(data, size));
    TiXmlDocument document;
    document.Parse(text.c_str());
    TiXmlElement* root = document.RootElement();
    if (!root)
        return 0;
    Script script;
    script.actor.map = &script.map;
    script.create = {&script, Create};
    QstXmlElement cursor(root, QstXmlErrorHandler{nullptr, IgnoreError});
    QstActionsGroupData::Create(&cursor, "root")->ForEachData(ActionDataVisitor{&script, Register});
    std::vector<std::unique_ptr<QstActionData>> refused;
    RefuseActionCycles(script.map, refused, nullptr, nullptr);
    for (auto& r : refused)
        r.release(); // still in owned

    std::vector<std::string> names;
    for (const auto& [name, d] : script.map) {
        std::string popup;
        std::string target;
        bool conditional = false;
        d->GetCursorType(&script.actor, popup, &conditional, &target);
        d->HasMessage(&script.actor, nullptr, nullptr);
        names.push_back(name);
    }
    QstRunningActions running;
    for (const std::string& name : names) {
        QstAction* action = Create(&script, nullptr, name);
        if (action && running.Add(action))
            action->Start();
        if (running.Size() > QstRunningActions::kMaxActions)
            Fuzz::Fail("running list over its bound");
    }
    for (int frame = 0; frame < 200 && !running.Empty(); ++frame) {
        running.Update(0.05f);
        if (running.Size() > QstRunningActions::kMaxActions)
            Fuzz::Fail("running list over its bound");
    }
    running.Clear();
    return 0;
}
