#pragma once
// TEMPORARY: stands in for the pak layer and string helpers until they land.
#include "platform/FileNames.h"
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <sys/stat.h>

namespace Quib {
struct PakFile { FILE* f; };
inline PakFile* PakFOpen(std::string_view name)
{
    FILE* f = OpenFile(name, "rb");
    return f ? new PakFile{f} : nullptr;
}
inline PakFile* PakFOpenText(std::string_view name) { return PakFOpen(name); }
inline std::string PakReadWholeFile(std::string_view name)
{
    PakFile* f = PakFOpen(name);
    if (!f) return {};
    std::string out; char b[4096]; size_t n;
    while ((n = fread(b, 1, sizeof b, f->f)) > 0) out.append(b, n);
    fclose(f->f); delete f; return out;
}
inline size_t PakFRead(void* b, size_t s, size_t c, PakFile* f) { return fread(b, s, c, f->f); }
inline int PakFSeek(PakFile* f, long o, int w) { return fseek(f->f, o, w); }
inline long PakFTell(PakFile* f) { return ftell(f->f); }
inline int PakFClose(PakFile* f) { fclose(f->f); delete f; return 0; }
inline std::string StringToLower(std::string s) { for (auto& c : s) if (c >= 'A' && c <= 'Z') c += 32; return s; }
inline std::string TrimSpaces(const std::string& s)
{
    size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(' ');
    return s.substr(a, b - a + 1);
}
inline void SplitCommaTrimmed(const std::string& s, std::vector<std::string>& out)
{
    out.clear();
    size_t start = 0;
    for (;;) {
        size_t p = s.find(',', start);
        out.push_back(TrimSpaces(s.substr(start, p == std::string::npos ? std::string::npos : p - start)));
        if (p == std::string::npos) break;
        start = p + 1;
    }
}
inline int StringToIntAtoi(const std::string& s) { return atoi(s.c_str()); }
inline long long GetFileTimeUnix(const std::string& p)
{
    struct stat st;
    std::string r = ResolveExistingPath(p);
    return (!r.empty() && stat(r.c_str(), &st) == 0) ? st.st_mtime : 0;
}
} // namespace Quib
namespace Quib {
struct Point { int mX = 0, mY = 0; };
struct Rect { int mX = 0, mY = 0, mWidth = 0, mHeight = 0; };
}
