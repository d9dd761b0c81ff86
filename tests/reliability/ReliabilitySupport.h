#pragma once
// What the reliability runs share: the game application run headless in a
// copy of the generated data, a message sink that keeps only a bounded
// tail, the process's memory, and numbers from the environment.

#include "framework/files/Singletone.h"
#include "framework/sound/MusicInterface.h"
#include "platform/headless/CapturingSink.h"
#include "src/GameApp.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/GameFlowApp.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define QUIB_RELIABILITY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUIB_RELIABILITY_ASAN 1
#endif
#endif
#ifdef QUIB_RELIABILITY_ASAN
#include <sanitizer/common_interface_defs.h>
// The sanitizer runtime's count of live heap bytes (g++ ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace Quib::Reliability {

// The game as the program runs it, without sound, in the test's folder.
using ReliabilityGameApp = Testing::GameFlowApp;

// A sink that counts every line but keeps only the latest ones, so that a
// long run's log costs no memory.
class TailSink : public MessageSink {
public:
    explicit TailSink(size_t keep = 200) : mKeep(keep) { SetMessageSink(this); }
    ~TailSink() override { SetMessageSink(nullptr); }
    TailSink(const TailSink&) = delete;
    TailSink& operator=(const TailSink&) = delete;

    void DebugOutput(std::string_view text) override
    {
        std::lock_guard lock(mMutex);
        ++lines;
        tail.emplace_back(text);
        if (tail.size() > mKeep)
            tail.pop_front();
    }
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned style) override
    {
        std::lock_guard lock(mMutex);
        ++boxes;
        lastBox = std::string(caption) + ": " + std::string(text);
        return DefaultAnswer(style);
    }

    size_t lines = 0;
    size_t boxes = 0;
    std::string lastBox;
    std::deque<std::string> tail;

private:
    std::mutex mMutex;
    size_t mKeep;
};

// The process's resident memory in bytes.
inline uint64_t ResidentBytes()
{
    unsigned long long size = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%llu %llu", &size, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return uint64_t(resident) * uint64_t(sysconf(_SC_PAGESIZE));
}

// The bytes the program holds on its heap: under the address sanitizer the
// allocator's own count (its quarantine swells the resident size), else
// the resident size.
inline uint64_t HeldBytes()
{
#ifdef QUIB_RELIABILITY_ASAN
    return uint64_t(__sanitizer_get_current_allocated_bytes());
#else
    return ResidentBytes();
#endif
}

inline bool UnderSanitizer()
{
#ifdef QUIB_RELIABILITY_ASAN
    return true;
#else
    return false;
#endif
}

// A whole number from the environment, else the default.
inline long EnvNumber(const char* name, long def)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return def;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 0);
    return end && *end == '\0' ? value : def;
}

inline double Megabytes(uint64_t bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

// A copy of the generated data to run in.
inline void CopyGameData(const std::string& to)
{
    std::filesystem::copy(QUIB_GAME_DATA, to, std::filesystem::copy_options::recursive);
}

} // namespace Quib::Reliability
