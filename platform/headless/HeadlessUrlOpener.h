#pragma once
#include "platform/UrlOpener.h"

#include <deque>
#include <string>
#include <vector>

namespace Quib {

// Records the addresses it is asked to open; each opening ends as the
// script says (Opened when the script is empty). Installs itself for its
// lifetime.
class HeadlessUrlOpener : public UrlOpener {
public:
    HeadlessUrlOpener() { SetUrlOpener(this); }
    ~HeadlessUrlOpener() override { SetUrlOpener(nullptr); }
    HeadlessUrlOpener(const HeadlessUrlOpener&) = delete;
    HeadlessUrlOpener& operator=(const HeadlessUrlOpener&) = delete;

    bool Open(std::string_view address) override
    {
        opened.emplace_back(address);
        polls = 0;
        if (!IsOpenableAddress(address) || !startable) {
            state = UrlOpenState::Failed;
            return false;
        }
        state = UrlOpenState::Running;
        return true;
    }

    UrlOpenState Poll() override
    {
        ++polls;
        if (state == UrlOpenState::Running && polls >= pollsUntilDone) {
            state = outcomes.empty() ? UrlOpenState::Opened : outcomes.front();
            if (!outcomes.empty())
                outcomes.pop_front();
        }
        return state;
    }

    std::vector<std::string> opened;   // every address asked for, in order
    std::deque<UrlOpenState> outcomes; // how the next openings end
    bool startable = true;             // false: Open fails at once
    int pollsUntilDone = 1;            // polls an opening stays Running
    int polls = 0;
    UrlOpenState state = UrlOpenState::Idle;
};

} // namespace Quib
