#include "framework/files/PathUtils.h"

#include "platform/FileNames.h"
#include "platform/SystemVersion.h"
#include "platform/TextCodecs.h"

#include <mutex>

namespace Quib {

namespace {

template <class Char>
bool IsSlash(Char c)
{
    return c == Char('\\') || c == Char('/');
}

size_t LastSlash(std::string_view path) { return path.find_last_of("\\/"); }

template <class Char>
std::basic_string<Char> StripOne(std::basic_string_view<Char> path)
{
    if (!path.empty() && IsSlash(path.back()))
        path.remove_suffix(1);
    return std::basic_string<Char>(path);
}

std::mutex gFolderMutex;
std::u16string gFolderWithSlash;

} // namespace

std::string StripTrailingSlash(std::string_view path) { return StripOne(path); }

std::u16string StripTrailingSlashW(std::u16string_view path) { return StripOne(path); }

std::string AddTrailingSlash(std::string_view path)
{
    std::string out(path);
    if (!out.empty() && !IsSlash(out.back()))
        out += '\\';
    return out;
}

int StringRFindChar(std::string_view text, char c)
{
    size_t at = text.rfind(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

std::string GetDirectoryPart(std::string_view path)
{
    size_t slash = LastSlash(path);
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::string GetFileBaseName(std::string_view path)
{
    size_t slash = LastSlash(path);
    size_t dot = path.rfind('.');
    size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash))
        return std::string(path.substr(start, dot - start));
    return std::string(path.substr(start));
}

int FindFirstSlashW(std::u16string_view text, int from)
{
    if (from < 0 || static_cast<size_t>(from) >= text.size())
        return -1;
    size_t at = text.find_first_of(u"\\/", static_cast<size_t>(from));
    return at == std::u16string_view::npos ? -1 : static_cast<int>(at);
}

std::string GetCurrentDir() { return GetWorkingDirectory(); }

std::u16string& PushCurrentDirectoryW(std::u16string& buffer, std::u16string_view path)
{
    buffer = Utf8ToUtf16(GetWorkingDirectory());
    SetWorkingDirectory(Utf16ToUtf8(path));
    return buffer;
}

void MkdirTree(std::string_view path)
{
    for (size_t i = 0; i < path.size(); ++i)
        if (IsSlash(path[i]) && i > 0)
            MakeDirectory(path.substr(0, i));
    if (!path.empty())
        MakeDirectory(path);
}

void CreateDirectoryTreeW(std::u16string_view path) { MkdirTree(Utf16ToUtf8(path)); }

void EnsureDirectoryExists(std::string_view filePath)
{
    if (FileExists(filePath))
        return;
    size_t slash = LastSlash(filePath);
    if (slash == std::string_view::npos)
        return;
    std::string folder(filePath.substr(0, slash)); // without the trailing separator
    if (folder.empty() || FileExists(folder))
        return;
    size_t parent = LastSlash(folder);
    if (parent != std::string::npos)
        EnsureDirectoryExists(folder.substr(0, parent + 1));
    MakeDirectory(folder);
}

bool DeleteDirectoryTree(std::string_view path)
{
    if (path.size() < 2)
        return false;
    std::string folder(path);
    if (!IsSlash(folder.back()))
        folder += '\\';
    if (IsSymbolicLink(path))
        return false;
    std::vector<DiskFindEntry> entries = FindOnDisk(folder + "*.*");
    if (entries.empty())
        return false;
    bool ok = true;
    for (const DiskFindEntry& entry : entries) {
        std::string name = folder + entry.name;
        if (entry.isDirectory && !IsSymbolicLink(name)) {
            if (entry.name != "." && entry.name != "..")
                ok = DeleteDirectoryTree(name) && ok;
        } else {
            ok = RemoveFile(name) && ok;
        }
    }
    return RemoveDirectory(path) && ok;
}

std::string NormalizePath(std::string_view relative, std::string_view base)
{
    if (relative.size() >= 2 && relative[1] == ':')
        return std::string(relative);
    char sep = relative.find('\\') != std::string_view::npos || base.find('\\') != std::string_view::npos ? '\\' : '/';
    std::string drive;
    if (base.size() >= 2 && base[1] == ':') {
        drive = std::string(base.substr(0, 2));
        base.remove_prefix(2);
    }
    std::string folder(base);
    if (!folder.empty() && !IsSlash(folder.back()))
        folder += sep;
    std::string rest(relative);
    while (!folder.empty()) {
        size_t slash = rest.find_first_of("\\/");
        if (slash == std::string::npos)
            break;
        std::string component = rest.substr(0, slash);
        rest.erase(0, slash + 1);
        if (component == ".")
            continue;
        if (component == "..") {
            // folder ends in a separator; find the one before its last component.
            size_t before = folder.size() >= 2 ? folder.find_last_of("\\/", folder.size() - 2) : std::string::npos;
            std::string last = before == std::string::npos ? folder.substr(0, folder.size() - 1)
                                                           : folder.substr(before + 1, folder.size() - before - 2);
            if (last == "..")
                folder += std::string("..") + sep;
            else if (folder.size() == 1)
                ; // the root has no parent
            else
                folder.erase(before == std::string::npos ? 0 : before + 1);
            continue;
        }
        folder += component;
        folder += sep;
        break;
    }
    std::string result = drive + folder + rest;
    for (char& c : result)
        if (IsSlash(c))
            c = sep;
    return result;
}

int64_t GetFileTimeUnix(std::string_view path)
{
    std::vector<DiskFindEntry> found = FindOnDisk(path);
    return found.empty() ? 0 : found.front().modifiedUnixSeconds;
}

void SetFolderWithSlash(std::u16string_view path)
{
    if (!IsWindowsAboveXP())
        return;
    std::u16string folder(path);
    if (!folder.empty() && !IsSlash(folder.back()))
        folder += u'\\';
    std::lock_guard lock(gFolderMutex);
    gFolderWithSlash = std::move(folder);
}

std::u16string GetFolderWithSlash()
{
    std::lock_guard lock(gFolderMutex);
    return gFolderWithSlash;
}

} // namespace Quib
