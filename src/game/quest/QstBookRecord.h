#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Quib {

struct NotebookEntry;

// The journal of one cluster as the player's notebook keeps it: the
// records in the order they were added with their page counts, the left
// page of the spread to open at, and whether something new was added.
// Stored in a NotebookEntry: number = page, flag = new, and one value per
// record named "%03d:" (its index) + its id, holding its page count.
class QstBookRecord {
public:
    // Room for the index in the value names.
    static constexpr size_t kMaxRecords = 1000;

    void Read(const NotebookEntry& entry);
    void Write(NotebookEntry& entry) const;
    bool Has(const std::string& id) const;
    // Ids the notebook's text form can hold (no "," and no line breaks).
    static bool IsStorableId(const std::string& id);

    std::vector<std::pair<std::string, int32_t>> entries; // id, page count
    int32_t page = 0;
    bool isNew = false;
};

// The player's notebook record of that journal (created when missing), or
// null without a game controller.
NotebookEntry* GetJournalEntry(const std::string& journalName);

} // namespace Quib
