#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Quib {

class QstActionData;

// Finds the descriptions that reach themselves through the names they
// create when they run (group children, references, nested groups), takes
// them out of the map and hands them to refused (the caller keeps them alive
// until the scene goes: other descriptions may point at them). Each refused
// name is reported through report (may be null). Answers the number refused.
size_t RefuseActionCycles(std::map<std::string, QstActionData*>& map,
                          std::vector<std::unique_ptr<QstActionData>>& refused,
                          void (*report)(void* context, const std::string& text) = nullptr,
                          void* context = nullptr);

} // namespace Quib
