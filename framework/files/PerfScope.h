#pragma once

namespace Quib {

// Times a named section (PerfTimer) while performance timing is on;
// otherwise does nothing. The name must outlive the section (a string
// literal).
class PerfScope {
public:
    explicit PerfScope(const char* sectionName);
    ~PerfScope();
    PerfScope(const PerfScope&) = delete;
    PerfScope& operator=(const PerfScope&) = delete;
    // Ends the section early; only the first end counts.
    void End();

    const char* name;
    bool active;
};

} // namespace Quib
