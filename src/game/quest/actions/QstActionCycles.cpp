#include "src/game/quest/actions/QstActionCycles.h"

#include "src/game/quest/actions/QstActionData.h"

#include <set>

namespace Quib {

namespace {

// Depth-first walk over the names each description creates when it runs;
// a name met again on the current path closes a cycle.
class CycleFinder {
public:
    explicit CycleFinder(const std::map<std::string, QstActionData*>& map) : map(map) {}

    void Visit(const std::string& name)
    {
        auto found = map.find(name);
        if (found == map.end() || !found->second || finished.count(name))
            return;
        if (onPath.count(name)) {
            // Every name from the first visit of this one to here is on it.
            bool in = false;
            for (const std::string& step : path) {
                in = in || step == name;
                if (in)
                    cyclic.insert(step);
            }
            return;
        }
        onPath.insert(name);
        path.push_back(name);
        std::vector<std::string> next;
        found->second->CollectRunNames(next);
        for (const std::string& child : next)
            Visit(child);
        path.pop_back();
        onPath.erase(name);
        finished.insert(name);
    }

    const std::map<std::string, QstActionData*>& map;
    std::set<std::string> onPath;
    std::vector<std::string> path;
    std::set<std::string> finished;
    std::set<std::string> cyclic;
};

} // namespace

size_t RefuseActionCycles(std::map<std::string, QstActionData*>& map,
                          std::vector<std::unique_ptr<QstActionData>>& refused,
                          void (*report)(void* context, const std::string& text), void* context)
{
    CycleFinder finder(map);
    for (const auto& [name, data] : map)
        finder.Visit(name);
    for (const std::string& name : finder.cyclic) {
        auto found = map.find(name);
        if (report)
            report(context, "Action \"" + name + "\" runs itself again; it is refused");
        refused.emplace_back(found->second);
        map.erase(found);
    }
    return finder.cyclic.size();
}

} // namespace Quib
