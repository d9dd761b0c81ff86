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
// Stored in a NotebookEntry: number = page, flag = new, values "r%03d" =
// record id and "p%03d" = its page count for the record's index.
class QstBookRecord {
public:
    // Room for the index in the value names.
    static constexpr size_t kMaxRecords = 1000;

    void Read(const NotebookEntry& entry);
    void Write(NotebookEntry& entry) const;
    bool Has(const std::string& id) const;

    std::vector<std::pair<std::string, int32_t>> entries; // id, page count
    int32_t page = 0;
    bool isNew = false;
};

// The player's notebook record of that journal (created when missing), or
// null without a game controller.
NotebookEntry* GetJournalEntry(const std::string& journalName);

} // namespace Quib
