#include "src/game/quest/QstBookRecord.h"

#include "framework/files/PrintfFormat.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/PlayerInfo.h"

#include <algorithm>

namespace Quib {

void QstBookRecord::Read(const NotebookEntry& entry)
{
    entries.clear();
    page = std::max(0, entry.number);
    isNew = entry.flag;
    for (size_t i = 0; i < kMaxRecords; ++i) {
        auto id = entry.values.find(StrFormat("r%03d", int(i)));
        if (id == entry.values.end())
            break;
        auto count = entry.values.find(StrFormat("p%03d", int(i)));
        const int32_t pages = count == entry.values.end() ? 1 : std::max(1, count->second);
        entries.emplace_back(StrFormat("%d", id->second), pages);
    }
}

void QstBookRecord::Write(NotebookEntry& entry) const
{
    entry.number = page;
    entry.flag = isNew;
    entry.values.clear();
    for (size_t i = 0; i < entries.size() && i < kMaxRecords; ++i) {
        entry.values[StrFormat("r%03d", int(i))] = std::atoi(entries[i].first.c_str());
        entry.values[StrFormat("p%03d", int(i))] = entries[i].second;
    }
}

bool QstBookRecord::Has(const std::string& id) const
{
    const int32_t number = std::atoi(id.c_str());
    return std::any_of(entries.begin(), entries.end(),
                       [&](const auto& e) { return e.first == id || std::atoi(e.first.c_str()) == number; });
}

NotebookEntry* GetJournalEntry(const std::string& journalName)
{
    GameControllerCommon* common = GameControllerCommon::Existing();
    if (!common)
        return nullptr;
    auto& notebook = common->Player().notebook;
    auto& slot = notebook[journalName];
    if (!slot)
        slot = std::make_unique<NotebookEntry>();
    return slot.get();
}

} // namespace Quib
