#pragma once
#include <vector>

namespace Quib {

// Something that changes over frames. Listed processes are stepped once per
// update by Process::StepAll; one whose update returns false is deleted by
// the list at the end of that pass.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    // Unlists the process (when the list is not deleting it itself).
    virtual ~Process();

    // False once the process has finished.
    virtual bool Update(float elapsed, float accumulated) = 0;

    // Appends to the global list; during a pass the process is stepped in
    // that same pass.
    static void AddToList(Process* process);
    // Update, unlisting the process when it has finished; then the
    // accumulated time grows by `elapsed`.
    static void Step(Process* process, float elapsed);
    // Queues the process for deletion by the next StepAll; false when it is
    // not listed. Removing it twice queues it once.
    static bool RemoveFromList(Process* process);
    // Steps every listed process in order, then deletes the queued ones.
    // An update may add, remove or delete other processes; one that is done
    // itself returns false rather than deleting itself.
    static void StepAll(float elapsed);
    // Deletes every listed process (at shutdown).
    static void DeleteAll();
    static bool IsListed(const Process* process);

    float accumulated = 0.0f;
    // Set by the list just before it deletes the process.
    bool removalFlag = false;

private:
    bool mQueued = false;
};

} // namespace Quib
