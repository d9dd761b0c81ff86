#pragma once
#include "framework/files/HtmlLogWriter.h"
#include "framework/files/PrintfFormat.h"

#include <mutex>
#include <string_view>

namespace Quib {

// The process log (log.html). Every entry also goes to the debugger output.
// Any thread may log; entries are written one at a time.
class ProcessLog {
public:
    // The one log, created (not opened) on first use; entries written
    // before Open are dropped.
    static ProcessLog* GetInstance();

    virtual ~ProcessLog() = default;
    virtual bool Open(std::string_view path) = 0;
    virtual void LogErrorAtArgs(const char* format, FormatArgs args) = 0;
    virtual void LogFlagsArgs(int flags, const char* format, FormatArgs args) = 0;
    virtual void LogInfoArgs(const char* format, FormatArgs args) = 0;
    virtual void SetSourcePos(std::string_view sourceFile, std::string_view compiled, std::string_view function,
                              int line) = 0;

    // An error block naming the source position last set.
    template <class... A>
    void LogErrorAt(const char* format, const A&... args)
    {
        FormatArgList list(args...);
        LogErrorAtArgs(format, list.Args());
    }
    // One entry with the given flags, prefixed by the time and the source
    // position unless the flags say otherwise.
    template <class... A>
    void LogFlags(int flags, const char* format, const A&... args)
    {
        FormatArgList list(args...);
        LogFlagsArgs(flags, format, list.Args());
    }
    template <class... A>
    void LogInfo(const char* format, const A&... args)
    {
        FormatArgList list(args...);
        LogInfoArgs(format, list.Args());
    }

    // Held across SetSourcePos and the entry that follows, so that another
    // thread's entry cannot come between them.
    std::recursive_mutex& Mutex() { return mMutex; }

private:
    std::recursive_mutex mMutex;
};

} // namespace Quib

// Logs an error block with the caller's source position.
#define QUIB_LOG_ERROR(...)                                                                              \
    do {                                                                                                 \
        ::Quib::ProcessLog* quibLog_ = ::Quib::ProcessLog::GetInstance();                                \
        std::lock_guard quibLock_(quibLog_->Mutex());                                                    \
        quibLog_->SetSourcePos(__FILE__, __DATE__ " " __TIME__, __PRETTY_FUNCTION__, __LINE__);          \
        quibLog_->LogErrorAt(__VA_ARGS__);                                                               \
    } while (0)
