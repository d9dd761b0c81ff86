#pragma once
#include <cstdint>
#include <string>

namespace Quib {

class DDInterface;
class Window;

// The 3-D capability test as the display runs it: one per display, run
// once, on the device the display's 3-D mode would draw with. Its outcome
// is a failure reason (3-D must not be used) and a warning (3-D works but
// is not recommended), and whether the result is fresh (not taken from a
// valid cache entry).
class DisplayTester {
public:
    DisplayTester() = default;
    DisplayTester(const DisplayTester&) = delete;
    DisplayTester& operator=(const DisplayTester&) = delete;
    virtual ~DisplayTester() = default;

    // Runs the test, or takes the cached result; the display's presenter
    // exists and its pixel format is not yet set.
    virtual void RunWithCache(DDInterface& display, Window* window) = 0;

    bool HasFailure() const { return !failureReason.empty(); }
    bool HasWarning() const { return !warning.empty(); }
    bool IsClean() const { return !HasFailure() && !HasWarning(); }
    bool Passed() const { return !HasFailure(); }

    std::string failureReason;
    std::string warning;
    bool freshResult = false;
    uint32_t minVideoMemoryMB = 6;
    uint32_t recVideoMemoryMB = 14;
};

} // namespace Quib
