#include "framework/files/PathUtils.h"
#include "framework/files/StringUtils.h"
#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <deque>
#include <link.h>
#include <mutex>
#include <vector>

// Last: it defines the macro M.
#include "framework/files/ModVal.h"

namespace Quib {

namespace {

struct LineEntry {
    uint8_t* block;
    int order; // from the location text
    int index; // place among the constants of its line
};

struct FileEntry {
    bool active = false;
    std::map<int, std::vector<LineEntry>> lines;
};

struct Registry {
    std::recursive_mutex mutex;
    std::map<std::string, FileEntry> files;
    int64_t newestStamp = 0;
    // Every record handed out; they stay put for the rest of the process.
    std::deque<ModValRecord> records;
};

// Never destroyed: constants may be used during exit.
Registry& GetRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

constexpr char kMarker[MODVAL_MARKER_SIZE] = {'Q', 'U', 'I', 'B', 'M', 'O', 'D', 'V', 'A', 'L'};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsIdentifierChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }

// Reads the location text of a marker found at `marker`, without reading
// past `end`. Written without library calls: the writable data of an
// instrumented program holds poisoned padding that only such a loop may
// step over.
__attribute__((no_sanitize("address"))) bool FindMarkers(const uint8_t* start, size_t length,
                                                         std::vector<std::pair<const uint8_t*, std::string>>& found)
{
    const uint8_t* end = start + length;
    if (length < MODVAL_MARKER_OFFSET + MODVAL_MARKER_SIZE)
        return false;
    for (const uint8_t* p = start + MODVAL_MARKER_OFFSET; p + MODVAL_MARKER_SIZE < end; ++p) {
        if (*p != uint8_t(kMarker[0]))
            continue;
        size_t i = 1;
        while (i < MODVAL_MARKER_SIZE && p[i] == uint8_t(kMarker[i]))
            ++i;
        if (i < MODVAL_MARKER_SIZE)
            continue;
        std::string location;
        const uint8_t* q = p + MODVAL_MARKER_SIZE;
        while (q < end && *q != 0 && location.size() < 4096)
            location.push_back(char(*q++));
        if (q < end && *q == 0)
            found.emplace_back(p - MODVAL_MARKER_OFFSET, std::move(location));
    }
    return !found.empty();
}

int ScanLoadedSegments(dl_phdr_info* info, size_t, void* data)
{
    bool* recorded = static_cast<bool*>(data);
    // The first object reported is the program itself.
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_W) || !(segment.p_flags & PF_R))
            continue;
        auto start = reinterpret_cast<const uint8_t*>(info->dlpi_addr + segment.p_vaddr);
        if (ModVal::RegisterBlocks(start, segment.p_memsz))
            *recorded = true;
    }
    return 1; // stop after the program
}

void ShowError(const std::string& text) { ShowMessageBox(text, "MODVAL ERROR", MB_ICONERROR); }

std::string LineError(const std::string& file, int line, const char* what)
{
    return "ERROR in " + file + " on line " + std::to_string(line) + what;
}

bool EndsInBackslash(const std::string& line) { return !line.empty() && line.back() == '\\'; }

// Reads lines of any length, without their CR LF or LF.
bool ReadSourceLine(FILE* file, std::string& line)
{
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(file)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        line.push_back(char(c));
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return any;
}

// Sets a record from the literal right after a '('; false when none parses.
bool ApplyLiteral(const char* text, uint8_t* block)
{
    std::string s;
    int32_t i = 0;
    double d = 0;
    if (ModVal::ParseQuoted(text, s)) {
    } else if (ModVal::ParseInteger(text, i)) {
    } else if (ModVal::ParseDouble(text, d)) {
    } else {
        return false;
    }
    ModValRecord* record = block[0] != 0 ? ModVal::InitBlock(block) : ModValRecordOf(block);
    if (!record)
        return false;
    record->mString = s;
    record->mInt = i;
    record->mDouble = d;
    record->mOverridden = true;
    return true;
}

// Finds the constants of the registered lines in one source file and
// patches their values. Strings, character literals and comments are
// skipped; the constants of a line are counted left to right.
bool ReparseFile(const std::string& name, FileEntry& entry)
{
    FILE* file = OpenFile(name, "r");
    if (!file) {
        ShowMessageBox("ERROR: Unable to open " + name + " for reparsing.", "MODVAL ERROR!", MB_ICONERROR);
        return false;
    }
    bool inString = false;
    bool inBlockComment = false;
    bool inLineComment = false;
    int blockCommentLine = 0;
    int lineNumber = 0;
    std::string line;
    bool ok = true;
    while (ok && ReadSourceLine(file, line)) {
        ++lineNumber;
        if (inLineComment) {
            inLineComment = EndsInBackslash(line);
            continue;
        }
        auto registered = entry.lines.find(lineNumber);
        int markerIndex = 0;
        size_t i = 0;
        while (i < line.size()) {
            char c = line[i];
            if (inBlockComment) {
                size_t close = line.find("*/", i);
                if (close == std::string::npos)
                    break;
                inBlockComment = false;
                i = close + 2;
            } else if (inString) {
                if (c == '\\')
                    i += 2;
                else {
                    if (c == '"')
                        inString = false;
                    ++i;
                }
            } else if (c == '"') {
                inString = true;
                ++i;
            } else if (c == '\'' && !(i > 0 && IsIdentifierChar(line[i - 1]))) {
                // A character literal; a quote after a digit separates digits.
                size_t j = i + 1;
                while (j < line.size() && line[j] != '\'')
                    j += line[j] == '\\' ? 2 : 1;
                i = j + 1;
            } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '*') {
                inBlockComment = true;
                blockCommentLine = lineNumber;
                i += 2;
            } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
                inLineComment = EndsInBackslash(line);
                break;
            } else if (c == 'M' && (i == 0 || !IsIdentifierChar(line[i - 1]))) {
                size_t j = i + 1;
                if (j < line.size() && line[j] >= '1' && line[j] <= '9')
                    ++j;
                if (j < line.size() && line[j] == '(') {
                    int index = markerIndex++;
                    if (registered != entry.lines.end()) {
                        for (const LineEntry& constant : registered->second) {
                            if (constant.index != index)
                                continue;
                            if (!ApplyLiteral(line.c_str() + j + 1, constant.block)) {
                                ShowError(LineError(name, lineNumber, ".  Parsing Error."));
                                ok = false;
                            }
                            break;
                        }
                    }
                    if (!ok)
                        break;
                    i = j + 1;
                } else {
                    i = j;
                }
            } else {
                ++i;
            }
        }
        if (ok && inString && !EndsInBackslash(line)) {
            ShowError(LineError(name, lineNumber, ": Error parsing quotes"));
            ok = false;
        }
    }
    std::fclose(file);
    if (!ok)
        return false;
    if (inString) {
        ShowError(LineError(name, lineNumber, ": Error parsing quotes"));
        return false;
    }
    if (inBlockComment) {
        ShowError(LineError(name, blockCommentLine, ": Error parsing c comment"));
        return false;
    }
    if (inLineComment) {
        ShowError(LineError(name, lineNumber, ": Error parsing c++ comment"));
        return false;
    }
    return true;
}

} // namespace

std::map<std::string, int32_t>& ModVal::NamedConstants()
{
    static std::map<std::string, int32_t> table;
    return table;
}

bool ModVal::ParseLocation(const std::string& text, std::string& file, int& line, int& number)
{
    size_t pos = text.size();
    bool comma = false;
    while (pos > 0) {
        char c = text[pos - 1];
        if (IsDigit(c)) {
            --pos;
        } else if (c == ',' && !comma) {
            comma = true;
            --pos;
        } else {
            break;
        }
    }
    if (pos == 0 || !comma)
        return false;
    std::string_view rest = std::string_view(text).substr(pos);
    size_t split = rest.find(',');
    std::string_view lineText = rest.substr(0, split), numberText = rest.substr(split + 1);
    if (lineText.empty() || numberText.empty())
        return false;
    auto lineResult = std::from_chars(lineText.data(), lineText.data() + lineText.size(), line);
    auto numberResult = std::from_chars(numberText.data(), numberText.data() + numberText.size(), number);
    if (lineResult.ec != std::errc() || numberResult.ec != std::errc())
        return false;
    file = text.substr(0, pos);
    return true;
}

bool ModVal::ParseQuoted(const char* p, std::string& value)
{
    if (*p != '"')
        return false;
    std::string out;
    for (++p;; ++p) {
        char c = *p;
        if (c == 0)
            return false;
        if (c == '"')
            break;
        if (c == '\\') {
            switch (*++p) {
            case '"': out.push_back('"'); break;
            case '\\': out.push_back('\\'); break;
            case 'n': out.push_back('\n'); break;
            case 't': out.push_back('\t'); break;
            default: return false;
            }
        } else {
            out.push_back(c);
        }
    }
    value = std::move(out);
    return true;
}

bool ModVal::ParseInteger(const char* p, int32_t& value)
{
    if (IsLetter(*p) || *p == '_') {
        const char* start = p;
        while (IsIdentifierChar(*p))
            ++p;
        auto& table = NamedConstants();
        auto it = table.find(std::string(start, p));
        if (it == table.end() || *p != ')')
            return false;
        value = it->second;
        return true;
    }
    bool negative = *p == '-';
    if (negative)
        ++p;
    uint32_t result = 0;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
        if (!IsHexDigit(uint8_t(*p)))
            return false;
        for (; IsHexDigit(uint8_t(*p)); ++p)
            result = result * 16 + HexDigitValue(uint8_t(*p));
    } else {
        if (!IsDigit(*p))
            return false;
        for (; IsDigit(*p); ++p)
            result = result * 10 + uint32_t(*p - '0');
    }
    if (*p != ')')
        return false;
    value = int32_t(negative ? 0u - result : result);
    return true;
}

bool ModVal::ParseDouble(const char* p, double& value)
{
    bool negative = *p == '-';
    if (negative)
        ++p;
    const char* start = p;
    bool digits = false;
    while (IsDigit(*p)) {
        ++p;
        digits = true;
    }
    if (*p == '.') {
        ++p;
        while (IsDigit(*p)) {
            ++p;
            digits = true;
        }
    }
    if (!digits)
        return false;
    const char* end = p;
    if (*p == 'f')
        ++p;
    if (*p != ')')
        return false;
    double result = 0;
    if (std::from_chars(start, end, result, std::chars_format::fixed).ec != std::errc())
        return false;
    value = negative ? -result : result;
    return true;
}

bool ModVal::RegisterBlocks(const uint8_t* start, size_t length)
{
    std::vector<std::pair<const uint8_t*, std::string>> found;
    if (!FindMarkers(start, length, found))
        return false;
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    bool recorded = false;
    for (auto& [block, location] : found) {
        std::string file;
        int line, order;
        if (!ParseLocation(location, file, line, order))
            continue;
        std::vector<LineEntry>& constants = registry.files[file].lines[line];
        uint8_t* writable = const_cast<uint8_t*>(block);
        bool known = std::any_of(constants.begin(), constants.end(),
                                 [&](const LineEntry& e) { return e.block == writable; });
        if (!known)
            constants.push_back({writable, order, 0});
        std::stable_sort(constants.begin(), constants.end(),
                         [](const LineEntry& a, const LineEntry& b) { return a.order < b.order; });
        for (size_t i = 0; i < constants.size(); ++i)
            constants[i].index = int(i);
        recorded = true;
    }
    return recorded;
}

uint8_t* ModVal::RegisteredBlock(const std::string& file, int line, int index)
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    auto f = registry.files.find(file);
    if (f == registry.files.end())
        return nullptr;
    auto l = f->second.lines.find(line);
    if (l == f->second.lines.end())
        return nullptr;
    for (const LineEntry& e : l->second)
        if (e.index == index)
            return e.block;
    return nullptr;
}

void ModVal::ScanImage()
{
    bool recorded = false;
    dl_iterate_phdr(ScanLoadedSegments, &recorded);
}

ModValRecord* ModVal::PatchBlock(uint8_t* block)
{
    // The blocks live in writable data: no protection change is needed.
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    ModValRecord* record = &registry.records.emplace_back();
    std::memcpy(block + MODVAL_RECORD_OFFSET, &record, sizeof record);
    block[0] = 0;
    return record;
}

ModValRecord* ModVal::InitBlock(uint8_t* block)
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    if (block[0] == 0)
        return ModValRecordOf(block); // another thread got here first
    std::string location(reinterpret_cast<const char*>(block + MODVAL_MARKER_OFFSET + MODVAL_MARKER_SIZE));
    std::string file;
    int line, order;
    if (ParseLocation(location, file, line, order))
        registry.files[file].active = true;
    return PatchBlock(block);
}

bool ModVal::Reload()
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    if (registry.newestStamp == 0) {
        registry.newestStamp = GetFileTimeUnix(ExecutablePath());
        ScanImage();
    }
    bool changed = false;
    std::vector<std::string> parsed;
    for (auto& [name, entry] : registry.files) {
        if (!entry.active)
            continue;
        int64_t stamp = GetFileTimeUnix(name);
        if (stamp > registry.newestStamp) {
            registry.newestStamp = stamp;
            changed = true;
        }
        parsed.push_back(name);
        if (!ReparseFile(name, entry))
            return false;
    }
    if (!changed) {
        std::string list;
        for (size_t i = 0; i < parsed.size(); ++i)
            list += (i ? "\r\n  " : "") + parsed[i];
        ShowMessageBox("WARNING: No file changes detected.  Files parsed: \r\n  " + (parsed.empty() ? "none" : list),
                       "MODVAL WARNING!", MB_ICONWARNING);
        return false;
    }
    return true;
}

} // namespace Quib
