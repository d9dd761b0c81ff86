#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace Quib {

// How the latest opening stands.
enum class UrlOpenState : uint8_t {
    Idle,    // nothing was opened yet
    Running, // the opener still works on it
    Opened,  // the opener handed the address on (or still runs after the timeout: a browser it waits for)
    Failed,  // the opener could not be started, or it ended with a failure
};

// Opens web pages and files with the desktop's handler.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // Starts opening; false (and a log line) when that fails at once: an
    // empty address, one starting with '-' (an opener would take it for an
    // option) or holding control characters, or no opener program.
    virtual bool Open(std::string_view address) = 0;
    // The outcome of the latest opening; moves on only when asked.
    virtual UrlOpenState Poll() = 0;
};

// Whether an address may be handed to an opener program.
bool IsOpenableAddress(std::string_view address);

// Opens through a program run directly (no shell) with the address as its
// only argument: "xdg-open" found on PATH by default. Its exit status 0
// means opened, any other status failed; still running after the timeout
// counts as opened (xdg-open can wait for the browser it started). Ended
// openers are reaped whenever Poll runs and at destruction.
class ProgramUrlOpener : public UrlOpener {
public:
    explicit ProgramUrlOpener(std::string program = "xdg-open", uint32_t timeoutMs = 8000);
    ~ProgramUrlOpener() override;
    ProgramUrlOpener(const ProgramUrlOpener&) = delete;
    ProgramUrlOpener& operator=(const ProgramUrlOpener&) = delete;

    bool Open(std::string_view address) override;
    UrlOpenState Poll() override;

private:
    void Reap();

    std::string mProgram;
    uint32_t mTimeoutMs;
    UrlOpenState mState = UrlOpenState::Idle;
    pid_t mCurrent = -1;
    uint32_t mStartMs = 0;
    std::vector<pid_t> mLeftOver; // openers no longer watched, reaped when they end
};

// The process-wide opener: the one installed, else a ProgramUrlOpener.
UrlOpener& GetUrlOpener();
// Installs an opener (not owned); null goes back to the default.
void SetUrlOpener(UrlOpener* opener);

} // namespace Quib
