#pragma once
// TEMPORARY: stands in for the string helpers until they land.
#include <string>
#include <string_view>
namespace Quib {
inline std::u16string StringToWString(std::string_view s)
{
    std::u16string r;
    for (char c : s)
        r += char16_t(uint8_t(c));
    return r;
}
inline std::u16string AnsiToWString(std::string_view s) { return StringToWString(s); }
} // namespace Quib
#include "platform/FileNames.h"
#include <cstdio>
namespace Quib {
struct PakFile {
    FILE* fp = nullptr;
};
inline PakFile* PakFOpen(const char* name)
{
    FILE* f = OpenFile(name, "rb");
    return f ? new PakFile{f} : nullptr;
}
inline size_t PakFRead(void* buf, size_t size, size_t count, PakFile* f) { return fread(buf, size, count, f->fp); }
inline int PakFClose(PakFile* f)
{
    fclose(f->fp);
    delete f;
    return 0;
}
inline std::string LookupPakPathAlias(const std::string&) { return {}; }
} // namespace Quib
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
