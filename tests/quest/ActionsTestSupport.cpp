#include "tests/quest/ActionsTestSupport.h"

#include "framework/files/ProcessLog.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionCycles.h"
#include "src/game/quest/actions/QstActionToHOG.h"
#include "src/game/quest/actions/QstActionToMovie.h"
#include "src/game/quest/actions/QstActionsGroupData.h"
#include "tests/support/TempDir.h"

#include <tinyxml.h>

namespace Quib::Testing {

ActionLogCapture::ActionLogCapture()
{
    static TempDir* dir = new TempDir;
    ProcessLog::GetInstance()->Open(*dir / "log.html");
}

int ActionLogCapture::Count(std::string_view text) const
{
    int n = 0;
    for (const std::string& line : mSink.debugLines)
        n += line.find(text) != std::string::npos;
    return n;
}

std::string ActionLogCapture::All() const
{
    std::string all;
    for (const std::string& line : mSink.debugLines)
        all += line;
    return all;
}

namespace {

std::string QaOwnName(QstItem* own, const std::string& ref)
{
    if (!ref.empty())
        return ref;
    return own ? "<own>" : "<none>";
}

} // namespace

QstActionData* FakeActor::FindActionData(const std::string& name)
{
    if (!map)
        return nullptr;
    auto found = map->find(name);
    return found == map->end() ? nullptr : found->second;
}

QstItem* FakeActor::ResolveItem(const std::string&)
{
    return nullptr;
}

void FakeActor::SetItemState(QstItem* own, const std::string& ref, const std::string& state, bool immediately)
{
    calls.push_back("SetState " + QaOwnName(own, ref) + " " + state + (immediately ? " now" : ""));
    if (!ref.empty() && items.count(ref))
        items[ref] = state;
}

void FakeActor::UpdatePoolItem(QstItem* own, const std::string& ref)
{
    calls.push_back("UpdatePool " + QaOwnName(own, ref));
}

void FakeActor::AddPopupField(const std::string& ref)
{
    calls.push_back("AddPopupField " + ref);
}

void FakeActor::DisablePopupClose(const std::string& ref)
{
    calls.push_back("DisablePopupClose " + ref);
}

void FakeActor::ToPool(QstItem* own, const std::string& ref, const std::string& newState, const std::string& followUp,
                       const std::string& dstRef, bool noFly, const std::string& flyFromRef,
                       const TPoint<float>* flyFromPos)
{
    std::string line = "ToPool " + QaOwnName(own, ref) + " " + newState;
    if (!followUp.empty())
        line += " then=" + followUp;
    if (!dstRef.empty())
        line += " dst=" + dstRef;
    if (noFly)
        line += " nofly";
    if (!flyFromRef.empty())
        line += " from=" + flyFromRef;
    if (flyFromPos)
        line += " at=" + std::to_string(int(flyFromPos->x)) + "," + std::to_string(int(flyFromPos->y));
    calls.push_back(line);
}

void FakeActor::RemoveFromPool(QstItem* own, const std::string& ref)
{
    calls.push_back("RemoveFromPool " + QaOwnName(own, ref));
}

void FakeActor::ToHOG(QstItem*, const QstActionDataToHOG& data)
{
    std::string line = "ToHOG " + data.sceneName + " won=" + data.winGroupName + " items=";
    for (const std::string& item : data.items)
        line += item + ";";
    calls.push_back(line);
}

void FakeActor::ToMovie(QstItem*, const QstActionDataToMovie& data)
{
    calls.push_back("ToMovie " + data.movieName + " next=" + data.nextScene + " done=" + data.onDoneName);
}

void FakeActor::GoToScene(const std::string& sceneName)
{
    calls.push_back("ToScene " + sceneName);
}

std::string FakeActor::GetItemStateName(const std::string& ref)
{
    auto found = items.find(ref);
    return found == items.end() ? std::string() : found->second;
}

bool FakeActor::HasItem(const std::string& ref)
{
    return items.count(ref) != 0;
}

void FakeActor::SetGroupVisible(const std::string& group, bool visible, bool immediately)
{
    calls.push_back(std::string(visible ? "Show " : "Hide ") + group + (immediately ? " now" : ""));
}

void FakeActor::CloseTopPopupField()
{
    calls.push_back("CloseTop");
}

void FakeActor::ShowMessage(const std::u16string& text, float)
{
    calls.push_back("Message " + std::string(text.begin(), text.end()));
}

void FakeActor::AddJournalRecord(const std::string& record)
{
    calls.push_back("Journal " + record);
}

std::string FakeActor::Calls() const
{
    std::string all;
    for (const std::string& call : calls)
        all += (all.empty() ? "" : " | ") + call;
    return all;
}

namespace {

bool BookError(void* object, const std::string& error, TiXmlElement*)
{
    static_cast<ScriptBook*>(object)->errors.push_back(error);
    return false;
}

void BookRegister(void* context, QstActionData* data)
{
    auto* book = static_cast<ScriptBook*>(context);
    book->owned.emplace_back(data);
    if (!book->map.emplace(data->GetName(), data).second)
        book->errors.push_back("Action \"" + data->GetName() + "\" already exists");
}

QstAction* BookCreate(void* context, QstItem* item, const std::string& name)
{
    auto* book = static_cast<ScriptBook*>(context);
    QstActionData* data = book->Find(name);
    if (!data) {
        book->unknownNames.push_back(name);
        return nullptr;
    }
    return data->CreateAction(&book->actor, item, book->create);
}

void BookReport(void* context, const std::string& text)
{
    static_cast<ScriptBook*>(context)->errors.push_back(text);
}

} // namespace

ScriptBook::ScriptBook()
{
    actor.map = &map;
    create = {this, BookCreate};
}

ScriptBook::~ScriptBook()
{
    running.Clear();
}

bool ScriptBook::Load(const std::string& xml, const std::string& groupName)
{
    TiXmlDocument document;
    document.Parse(xml.c_str());
    TiXmlElement* root = document.RootElement();
    if (!root) {
        errors.push_back("no XML");
        return false;
    }
    const size_t before = errors.size();
    QstXmlElement cursor(root, QstXmlErrorHandler{this, BookError});
    QstActionsGroupData* group = QstActionsGroupData::Create(&cursor, groupName);
    group->ForEachData(ActionDataVisitor{this, BookRegister});
    return errors.size() == before;
}

size_t ScriptBook::RefuseCycles()
{
    std::vector<std::unique_ptr<QstActionData>> taken;
    const size_t n = RefuseActionCycles(map, taken, BookReport, this);
    for (auto& data : taken)
        data.release(); // still owned by owned
    return n;
}

QstAction* ScriptBook::Run(const std::string& name, QstItem* item)
{
    QstAction* action = create(item, name);
    if (!action)
        return nullptr;
    if (!running.Add(action))
        return nullptr;
    action->Start();
    return action;
}

QstActionData* ScriptBook::Find(const std::string& name) const
{
    auto found = map.find(name);
    return found == map.end() ? nullptr : found->second;
}

std::vector<std::string> ScriptBook::Names() const
{
    std::vector<std::string> names;
    for (const auto& [name, data] : map)
        names.push_back(name);
    return names;
}

} // namespace Quib::Testing
