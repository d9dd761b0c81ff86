#include "platform/FileNames.h"

#include "platform/TextCodecs.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace Quib {

namespace {

std::mutex gMutex; // guards the working directory and the listing cache

// The working directory and the listing cache outlive every other static:
// singletons that save files while the process exits still find them.
std::string& WorkingDirectoryStorage()
{
    static std::string* dir = new std::string([] {
        char buffer[4096];
        if (getcwd(buffer, sizeof buffer))
            return std::string(buffer);
        return std::string("/");
    }());
    return *dir;
}

struct Listing {
    timespec modified{};
    std::vector<std::string> names;
};

std::map<std::string, Listing>& ListingCache()
{
    static auto* cache = new std::map<std::string, Listing>;
    return *cache;
}

bool PathExists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Finds the entry of a folder whose name equals `name` but for case.
// Caller holds gMutex.
std::string FindNoCase(const std::string& dir, std::string_view name)
{
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};
    Listing& listing = ListingCache()[dir];
    if (listing.modified.tv_sec != st.st_mtim.tv_sec || listing.modified.tv_nsec != st.st_mtim.tv_nsec ||
        listing.names.empty()) {
        listing.names.clear();
        listing.modified = st.st_mtim;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d))
                listing.names.emplace_back(e->d_name);
            closedir(d);
        }
    }
    for (const std::string& entry : listing.names)
        if (EqualNoCaseAscii(entry, name))
            return entry;
    return {};
}

std::string Join(const std::string& dir, std::string_view name)
{
    std::string path = dir;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

// Walks the components of a name. Returns the resolved path; `complete`
// tells whether every component was found. With `forWrite`, components
// past the first missing one are appended as given.
std::string Resolve(std::string_view name, bool forWrite, bool& complete)
{
    std::string slashed = ToSlashes(name);
    std::string path;
    {
        std::lock_guard lock(gMutex);
        path = (!slashed.empty() && slashed[0] == '/') ? std::string("/") : WorkingDirectoryStorage();
    }
    complete = true;
    size_t pos = 0;
    while (pos <= slashed.size()) {
        size_t end = slashed.find('/', pos);
        if (end == std::string::npos)
            end = slashed.size();
        std::string_view part(slashed.data() + pos, end - pos);
        pos = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            size_t slash = path.find_last_of('/');
            path.erase(slash == 0 ? 1 : slash);
            continue;
        }
        if (!complete) {
            path = Join(path, part);
            continue;
        }
        std::string exact = Join(path, part);
        if (PathExists(exact)) {
            path = std::move(exact);
            continue;
        }
        std::string found;
        {
            std::lock_guard lock(gMutex);
            found = FindNoCase(path, part);
        }
        if (!found.empty()) {
            path = Join(path, found);
            continue;
        }
        complete = false;
        if (!forWrite)
            return {};
        path = std::move(exact);
    }
    return path;
}

bool IsReadMode(const char* mode) { return mode && mode[0] == 'r'; }

} // namespace

std::string GetWorkingDirectory()
{
    std::lock_guard lock(gMutex);
    return WorkingDirectoryStorage();
}

bool SetWorkingDirectory(std::string_view dir)
{
    std::string resolved = ResolveExistingPath(dir);
    struct stat st;
    if (resolved.empty() || stat(resolved.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    std::lock_guard lock(gMutex);
    WorkingDirectoryStorage() = resolved;
    return true;
}

std::string ToSlashes(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

std::string ResolveExistingPath(std::string_view name)
{
    if (name.empty())
        return {};
    bool complete = false;
    std::string path = Resolve(name, false, complete);
    return complete ? path : std::string();
}

std::string ResolvePathForWrite(std::string_view name)
{
    if (name.empty())
        return {};
    bool complete = false;
    return Resolve(name, true, complete);
}

FILE* OpenFile(std::string_view name, const char* mode)
{
    std::string path = IsReadMode(mode) ? ResolveExistingPath(name) : ResolvePathForWrite(name);
    if (path.empty())
        return nullptr;
    // Text and binary modes are the same here.
    std::string plainMode;
    for (const char* m = mode; *m; ++m)
        if (*m != 't')
            plainMode += *m;
    return std::fopen(path.c_str(), plainMode.c_str());
}

bool FileExists(std::string_view name) { return !ResolveExistingPath(name).empty(); }

bool IsDirectory(std::string_view name)
{
    std::string path = ResolveExistingPath(name);
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(std::string_view name)
{
    std::string path = ResolvePathForWrite(name);
    if (path.empty())
        return false;
    if (mkdir(path.c_str(), 0755) == 0)
        return true;
    struct stat st;
    return errno == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectories(std::string_view name)
{
    std::string path = ResolvePathForWrite(name);
    if (path.empty())
        return false;
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    return MakeDirectory(path);
}

bool RemoveFile(std::string_view name)
{
    std::string path = ResolveExistingPath(name);
    return !path.empty() && std::remove(path.c_str()) == 0;
}

bool RemoveDirectory(std::string_view name)
{
    std::string path = ResolveExistingPath(name);
    return !path.empty() && rmdir(path.c_str()) == 0;
}

bool IsSymbolicLink(std::string_view name)
{
    std::string path = ResolveExistingPath(name);
    struct stat st;
    return !path.empty() && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool RenameFile(std::string_view from, std::string_view to)
{
    std::string source = ResolveExistingPath(from);
    std::string target = ResolvePathForWrite(to);
    return !source.empty() && !target.empty() && std::rename(source.c_str(), target.c_str()) == 0;
}

void ClearDirectoryCache()
{
    std::lock_guard lock(gMutex);
    ListingCache().clear();
}

bool MatchWildcard(std::string_view pattern, std::string_view name)
{
    // Iterative matcher with one back-tracking point for the last '*'.
    auto match = [](std::string_view p, std::string_view n) {
        size_t pi = 0, ni = 0, starP = std::string_view::npos, starN = 0;
        while (ni < n.size()) {
            if (pi < p.size() && (p[pi] == '?' || LowerAscii(p[pi]) == LowerAscii(n[ni]))) {
                ++pi;
                ++ni;
            } else if (pi < p.size() && p[pi] == '*') {
                starP = pi++;
                starN = ni;
            } else if (starP != std::string_view::npos) {
                pi = starP + 1;
                ni = ++starN;
            } else {
                return false;
            }
        }
        while (pi < p.size() && p[pi] == '*')
            ++pi;
        return pi == p.size();
    };
    if (match(pattern, name))
        return true;
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
        return match(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

std::vector<DiskFindEntry> FindOnDisk(std::string_view pattern)
{
    std::vector<DiskFindEntry> found;
    std::string slashed = ToSlashes(pattern);
    size_t slash = slashed.find_last_of('/');
    std::string dirName = slash == std::string::npos ? std::string(".") : slashed.substr(0, slash + 1);
    std::string filePattern = slash == std::string::npos ? slashed : slashed.substr(slash + 1);
    std::string dir = ResolveExistingPath(dirName.empty() ? std::string("/") : dirName);
    if (dir.empty() || filePattern.empty())
        return found;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return found;
    while (dirent* e = readdir(d)) {
        if (!MatchWildcard(filePattern, e->d_name))
            continue;
        DiskFindEntry entry;
        entry.name = e->d_name;
        struct stat st;
        if (stat(Join(dir, entry.name).c_str(), &st) == 0) {
            entry.isDirectory = S_ISDIR(st.st_mode);
            entry.isRegular = S_ISREG(st.st_mode);
            entry.size = entry.isDirectory ? 0 : uint64_t(st.st_size);
            entry.modifiedUnixSeconds = st.st_mtim.tv_sec;
        }
        found.push_back(std::move(entry));
    }
    closedir(d);
    return found;
}

AtomicFileWriter::AtomicFileWriter(std::string_view name) : mTarget(ResolvePathForWrite(name))
{
    if (mTarget.empty()) {
        mFailed = true;
        return;
    }
    mTemp = mTarget + ".tmp-XXXXXX";
    int fd = mkstemp(mTemp.data());
    if (fd < 0) {
        mFailed = true;
        mTemp.clear();
        return;
    }
    fchmod(fd, 0644);
    mFile = fdopen(fd, "wb");
    if (!mFile) {
        close(fd);
        unlink(mTemp.c_str());
        mTemp.clear();
        mFailed = true;
    }
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (mFile) {
        std::fclose(mFile);
        unlink(mTemp.c_str());
    }
}

bool AtomicFileWriter::Write(const void* data, size_t size)
{
    if (!mFile || mFailed)
        return false;
    if (size && std::fwrite(data, 1, size, mFile) != size)
        mFailed = true;
    return !mFailed;
}

bool AtomicFileWriter::Commit()
{
    if (!mFile)
        return false;
    bool ok = !mFailed && std::fflush(mFile) == 0 && fsync(fileno(mFile)) == 0;
    ok = (std::fclose(mFile) == 0) && ok;
    mFile = nullptr;
    if (ok)
        ok = std::rename(mTemp.c_str(), mTarget.c_str()) == 0;
    if (!ok) {
        unlink(mTemp.c_str());
        mFailed = true;
    }
    return ok;
}

} // namespace Quib
