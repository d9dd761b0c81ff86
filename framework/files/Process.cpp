#include "framework/files/Process.h"

#include <algorithm>
#include <deque>

namespace Quib {

namespace {

// Slots are nulled, never erased, while a pass runs (so the walk stays
// valid whatever the updates delete) and swept afterwards.
struct ProcessList {
    std::vector<Process*> slots;
    std::deque<Process*> queue;
    int passDepth = 0;

    std::vector<Process*>::iterator Find(const Process* p)
    {
        return std::find(slots.begin(), slots.end(), p);
    }

    void Unlist(Process* p)
    {
        auto it = Find(p);
        if (it == slots.end())
            return;
        if (passDepth > 0)
            *it = nullptr;
        else
            slots.erase(it);
    }

    void Sweep()
    {
        if (passDepth == 0)
            std::erase(slots, nullptr);
    }
};

ProcessList& List()
{
    static ProcessList list;
    return list;
}

} // namespace

Process::~Process()
{
    if (removalFlag)
        return;
    ProcessList& list = List();
    list.Unlist(this);
    if (mQueued)
        std::erase(list.queue, this);
}

void Process::AddToList(Process* process)
{
    if (process)
        List().slots.push_back(process);
}

void Process::Step(Process* process, float elapsed)
{
    if (!process->Update(elapsed, process->accumulated))
        RemoveFromList(process);
    process->accumulated += elapsed;
}

bool Process::RemoveFromList(Process* process)
{
    ProcessList& list = List();
    if (!process || list.Find(process) == list.slots.end())
        return false;
    if (!process->mQueued) {
        process->mQueued = true;
        list.queue.push_back(process);
    }
    return true;
}

void Process::StepAll(float elapsed)
{
    ProcessList& list = List();
    ++list.passDepth;
    // The size is read anew each time, so processes added by an update are
    // stepped in this pass too.
    for (size_t i = 0; i < list.slots.size(); ++i)
        if (Process* p = list.slots[i])
            Step(p, elapsed);
    while (!list.queue.empty()) {
        Process* p = list.queue.front();
        list.queue.pop_front();
        list.Unlist(p);
        p->removalFlag = true;
        delete p;
    }
    --list.passDepth;
    list.Sweep();
}

void Process::DeleteAll()
{
    ProcessList& list = List();
    list.queue.clear();
    // One at a time: a destructor that deletes another listed process
    // unlists it, so nothing is deleted twice.
    while (!list.slots.empty()) {
        Process* p = list.slots.front();
        list.slots.erase(list.slots.begin());
        if (!p)
            continue;
        p->removalFlag = true;
        delete p;
    }
}

bool Process::IsListed(const Process* process)
{
    ProcessList& list = List();
    return process && list.Find(process) != list.slots.end();
}

} // namespace Quib
