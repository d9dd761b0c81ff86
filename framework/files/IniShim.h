#pragma once
// TEMPORARY: stands in for the process log until it lands.
#include <cstdio>
#include <cstdarg>
namespace Quib {
struct ProcessLog {
    static ProcessLog* GetInstance()
    {
        static ProcessLog log;
        return &log;
    }
    void SetSourcePos(const char*, const char*, const char*, int) {}
    void LogErrorAt(const char* fmt, ...)
    {
        va_list ap;
        va_start(ap, fmt);
        vfprintf(stderr, fmt, ap);
        va_end(ap);
    }
};
} // namespace Quib
