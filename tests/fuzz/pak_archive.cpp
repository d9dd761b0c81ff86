// Loads any bytes as a pak archive and reads every member every way: each
// read must give the member's unscrambled bytes. Lists the members by a
// search that stops before the search would go on to disk.
#include "FuzzSupport.h"

#include <algorithm>
#include <cstring>

using namespace Quib;
using Quib::Fuzz::Fail;

namespace {

// What text reads give: the bytes without carriage returns.
std::string WithoutCr(const std::string& bytes)
{
    std::string out;
    std::copy_if(bytes.begin(), bytes.end(), std::back_inserter(out), [](char c) { return c != '\r'; });
    return out;
}

void CheckMember(PakInterface& pak, const std::string& key, const PakEntry& entry, std::string_view input)
{
    if (entry.mStartPos < 0 || entry.mSize < 0 || size_t(entry.mStartPos) + size_t(entry.mSize) > input.size())
        Fail("member outside the archive");
    std::string expected(input.substr(size_t(entry.mStartPos), size_t(entry.mSize)));
    for (char& c : expected)
        c = char(c ^ PAK_KEY);

    PakFile* file = pak.FOpen(key, "rb");
    if (!file)
        Fail("member not opened");
    std::string read;
    char buffer[257];
    size_t got;
    while ((got = pak.FRead(buffer, 3, 85, file)) > 0)
        read.append(buffer, got * 3);
    // The last bytes, short of a whole item of three.
    const size_t whole = expected.size() / 3 * 3;
    pak.FSeek(file, int32_t(whole), SEEK_SET);
    while ((got = pak.FRead(buffer, 1, sizeof buffer, file)) > 0)
        read.append(buffer, got);
    if (read != expected)
        Fail("FRead gave other bytes");
    if (pak.FTell(file) != entry.mSize || !pak.FEof(file))
        Fail("not at the end after reading all");

    pak.FSeek(file, -7, SEEK_END);
    const int32_t tail = pak.FTell(file);
    if (tail != std::max(0, entry.mSize - 7))
        Fail("seek from the end");
    std::string text;
    for (int c; (c = pak.FGetC(file)) >= 0;) {
        text += char(c);
        pak.UnGetC(c, file);
        if (pak.FGetC(file) != c)
            Fail("a character put back read differently");
    }
    if (text != WithoutCr(expected.substr(size_t(tail))))
        Fail("FGetC gave other text");

    pak.FSeek(file, 0, SEEK_SET);
    std::string lines;
    while (pak.FGetS(buffer, sizeof(buffer), file))
        lines += buffer;
    // FGetS stops at a NUL as a C string would: compare up to the first one.
    const std::string plain = WithoutCr(expected);
    if (std::memchr(plain.data(), 0, plain.size()) == nullptr && lines != plain)
        Fail("FGetS gave other text");
    pak.FClose(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fuzz::MemoryFile archive("quib-fuzz-pak-input");
    const std::string_view input = Fuzz::Text(data, size);
    PakInterface pak;
    pak.AddPakFile(archive.Write(input));
    for (auto& [key, entry] : pak.mEntries)
        if (NormalizePakPath(key) == key) // other names find no member
            CheckMember(pak, key, entry, input);

    // Every member in key order; the search is closed before it would
    // list the disk folder.
    PakFindData found;
    auto expected = pak.mEntries.begin();
    if (expected == pak.mEntries.end())
        return 0;
    PakFindHandle search = pak.FindFirstFile("*", &found);
    for (size_t n = 0;; ++n) {
        if (!search)
            Fail("a member was not found by the search");
        const std::string& name = expected->second.mName;
        const size_t slash = name.find_last_of('\\');
        const std::string leaf = name.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 259);
        if (leaf != found.cFileName || found.nFileSizeLow != uint32_t(expected->second.mSize))
            Fail("the search reported another member");
        if (++expected == pak.mEntries.end())
            break;
        if (!pak.FindNextFile(search, &found))
            Fail("the search ended early");
    }
    pak.FindClose(search);
    return 0;
}
