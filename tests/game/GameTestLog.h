#pragma once
// The process log of the game tests: opened once in a folder of its own, so
// tests can look for the entries the code under test writes.
#include "framework/files/ProcessLog.h"
#include "tests/support/TempDir.h"

#include <string>

namespace Quib::Testing {

// The log's path; empty when the log was opened elsewhere first.
inline const std::string& GameTestLogPath()
{
    static TempDir dir;
    static const std::string path = ProcessLog::GetInstance()->Open(dir / "log.html") ? dir / "log.html"
                                                                                      : std::string();
    return path;
}

// What the log holds now (empty without a log).
inline std::string GameTestLogText()
{
    const std::string& path = GameTestLogPath();
    return path.empty() ? std::string() : TempDir::ReadFile(path);
}

// How often the text occurs in the log.
inline size_t CountInLog(const std::string& log, const std::string& text)
{
    size_t count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + text.size()))
        ++count;
    return count;
}

} // namespace Quib::Testing
