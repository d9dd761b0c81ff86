#include "src/game/quest/QstBookRecord.h"

#include "framework/files/PrintfFormat.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/PlayerInfo.h"

#include <algorithm>
#include <cctype>

namespace Quib {

void QstBookRecord::Read(const NotebookEntry& entry)
{
    entries.clear();
    page = std::max(0, entry.number);
    isNew = entry.flag;
    // Names sort by their zero-padded index, which keeps the records' order.
    for (const auto& [name, count] : entry.values) {
        if (name.size() < 5 || name[3] != ':' || !std::isdigit(static_cast<unsigned char>(name[0])) ||
            !std::isdigit(static_cast<unsigned char>(name[1])) || !std::isdigit(static_cast<unsigned char>(name[2])))
            continue;
        if (entries.size() >= kMaxRecords)
            break;
        entries.emplace_back(name.substr(4), std::max(1, count));
    }
}

void QstBookRecord::Write(NotebookEntry& entry) const
{
    entry.number = page;
    entry.flag = isNew;
    entry.values.clear();
    for (size_t i = 0; i < entries.size() && i < kMaxRecords; ++i)
        entry.values[StrFormat("%03d:", int(i)) + entries[i].first] = entries[i].second;
}

bool QstBookRecord::Has(const std::string& id) const
{
    return std::any_of(entries.begin(), entries.end(), [&](const auto& e) { return e.first == id; });
}

bool QstBookRecord::IsStorableId(const std::string& id)
{
    return !id.empty() && id.find_first_of(",\r\n") == std::string::npos;
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
