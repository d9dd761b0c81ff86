#include "platform/FileNames.h"

#include "platform/TextCodecs.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

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

// Names of folders as last read. A listing is kept while its folder's time
// stays as it was, and only when that time lay well before the reading (a
// change within the same clock tick would leave the time unchanged); writes
// through this layer forget their folder at once. Each kept folder is held
// open, so that a folder reached through a kept listing of its parent is
// checked without walking its path again: the parent's entry still names
// the same folder, and the folder's time is unchanged. The cache holds at
// most kMaxFolders folders and kMaxNames names, dropping the folder used
// longest ago; a larger folder is read again on every lookup.
class ListingCache {
public:
    static constexpr size_t kMaxFolders = 128;
    static constexpr size_t kMaxNames = 65536;
    static constexpr size_t kMaxFolderNames = 8192;
    static constexpr time_t kSettleSeconds = 2;

    struct Listing {
        int fd = -1; // the folder itself (O_PATH), for its times
        dev_t device = 0;
        ino_t inode = 0;
        timespec modified{};
        uint64_t lastUse = 0;
        bool tooLarge = false; // known only to be larger than kMaxFolderNames
        std::vector<std::string> names;
        std::vector<ino_t> inodes; // of each name, as the folder lists it
    };

    ~ListingCache() { Clear(); }

    // The kept listing of a folder, checked against the folder; null when
    // the folder is not kept (changed lately, too large, or no readable
    // folder). `expected` is the inode a kept listing of the parent gives
    // the folder (0 when there is none). Valid until the next call; the
    // caller holds gMutex.
    const Listing* Kept(const std::string& dir, ino_t expected)
    {
        auto it = mFolders.find(dir);
        if (it != mFolders.end() && expected != 0 && expected == it->second.inode) {
            struct stat st;
            if (fstat(it->second.fd, &st) == 0 && st.st_nlink > 0 && Same(it->second, st))
                return Use(it->second);
        }
        struct stat st;
        if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            if (it != mFolders.end())
                Drop(it);
            return nullptr;
        }
        if (it != mFolders.end()) {
            if (it->second.device == st.st_dev && it->second.inode == st.st_ino && Same(it->second, st))
                return Use(it->second);
            Drop(it);
        }
        return Keep(dir, st);
    }

    // The names of a folder, kept or freshly read; null when it cannot be
    // listed.
    const std::vector<std::string>* Names(const std::string& dir, ino_t expected)
    {
        if (const Listing* kept = Kept(dir, expected))
            return &kept->names;
        return Read(dir, -1) ? &mScratch.names : nullptr;
    }

    void Forget(const std::string& dir)
    {
        auto it = mFolders.find(dir);
        if (it != mFolders.end())
            Drop(it);
    }

    void Clear()
    {
        for (auto& [dir, listing] : mFolders)
            close(listing.fd);
        mFolders.clear();
        mNames = 0;
    }

    size_t FolderCount() const { return mFolders.size(); }

private:
    using Map = std::unordered_map<std::string, Listing>;

    static bool Same(const Listing& listing, const struct stat& st)
    {
        return !listing.tooLarge && listing.modified.tv_sec == st.st_mtim.tv_sec &&
               listing.modified.tv_nsec == st.st_mtim.tv_nsec;
    }

    const Listing* Use(Listing& listing)
    {
        listing.lastUse = ++mClock;
        return &listing;
    }

    // Reads and keeps a folder whose time lies well in the past.
    const Listing* Keep(const std::string& dir, const struct stat& seen)
    {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        if (seen.st_mtim.tv_sec + kSettleSeconds >= now.tv_sec)
            return nullptr;
        int fd = open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return nullptr;
        // The times are taken before the reading: a change in between
        // shows as a newer time at the next check.
        struct stat st;
        if (fstat(fd, &st) != 0 || !Read(dir, fd) || st.st_mtim.tv_sec + kSettleSeconds >= now.tv_sec ||
            mScratch.names.size() > kMaxFolderNames) {
            close(fd);
            return nullptr;
        }
        const size_t count = mScratch.names.size();
        while (!mFolders.empty() && (mFolders.size() >= kMaxFolders || mNames + count > kMaxNames))
            DropOldest();
        Listing& listing = mFolders[dir];
        listing.fd = fd;
        listing.device = st.st_dev;
        listing.inode = st.st_ino;
        listing.modified = st.st_mtim;
        listing.names.swap(mScratch.names);
        listing.inodes.swap(mScratch.inodes);
        mNames += count;
        return Use(listing);
    }

    // Reads a folder (through `fd` when it is open) into the scratch listing.
    bool Read(const std::string& dir, int fd)
    {
        mScratch.names.clear();
        mScratch.inodes.clear();
        int readable = fd >= 0 ? openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                               : open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (readable < 0)
            return false;
        DIR* d = fdopendir(readable);
        if (!d) {
            close(readable);
            return false;
        }
        while (dirent* e = readdir(d)) {
            mScratch.names.emplace_back(e->d_name);
            mScratch.inodes.push_back(e->d_ino);
        }
        closedir(d);
        return true;
    }

    void Drop(Map::iterator it)
    {
        close(it->second.fd);
        mNames -= it->second.names.size();
        mFolders.erase(it);
    }

    void DropOldest()
    {
        auto oldest = mFolders.begin();
        for (auto it = mFolders.begin(); it != mFolders.end(); ++it)
            if (it->second.lastUse < oldest->second.lastUse)
                oldest = it;
        Drop(oldest);
    }

    Map mFolders;
    size_t mNames = 0;
    uint64_t mClock = 0;
    Listing mScratch;
};

ListingCache& Listings()
{
    static auto* cache = new ListingCache;
    return *cache;
}

bool PathExists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The folder a resolved path lies in.
std::string ParentOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// A write through this layer changed the folder of `path`.
void ForgetFolderOf(const std::string& path)
{
    if (path.empty())
        return;
    std::lock_guard lock(gMutex);
    Listings().Forget(ParentOf(path));
}

std::string Join(const std::string& dir, std::string_view name)
{
    std::string path = dir;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

// The index of the entry named `name`: that spelling first, else one that
// differs only in case; -1 when there is none.
ptrdiff_t PickName(const std::vector<std::string>& names, std::string_view name)
{
    ptrdiff_t noCase = -1;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name)
            return ptrdiff_t(i);
        if (noCase < 0 && EqualNoCaseAscii(names[i], name))
            noCase = ptrdiff_t(i);
    }
    return noCase;
}

// Walks the components of a name. Returns the resolved path; `complete`
// tells whether every component was found. With `forWrite`, components
// past the first missing one are appended as given. `inode` is left at the
// inode a kept listing gives the last component (0 when unknown). Caller
// holds gMutex.
std::string ResolveLocked(std::string_view name, bool forWrite, bool& complete, ino_t& inode)
{
    std::string slashed = ToSlashes(name);
    std::string path = (!slashed.empty() && slashed[0] == '/') ? std::string("/") : WorkingDirectoryStorage();
    complete = true;
    inode = 0;
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
            inode = 0;
            continue;
        }
        if (!complete) {
            path = Join(path, part);
            continue;
        }
        if (const ListingCache::Listing* kept = Listings().Kept(path, inode)) {
            const ptrdiff_t i = PickName(kept->names, part);
            if (i >= 0) {
                inode = kept->inodes[size_t(i)];
                path = Join(path, kept->names[size_t(i)]);
                continue;
            }
        } else {
            inode = 0;
            std::string exact = Join(path, part);
            if (PathExists(exact)) {
                path = std::move(exact);
                continue;
            }
            if (const std::vector<std::string>* names = Listings().Names(path, 0)) {
                const ptrdiff_t i = PickName(*names, part);
                if (i >= 0) {
                    path = Join(path, (*names)[size_t(i)]);
                    continue;
                }
            }
        }
        complete = false;
        inode = 0;
        if (!forWrite)
            return {};
        path = Join(path, part);
    }
    return path;
}

std::string Resolve(std::string_view name, bool forWrite, bool& complete)
{
    std::lock_guard lock(gMutex);
    ino_t inode = 0;
    return ResolveLocked(name, forWrite, complete, inode);
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
    FILE* file = std::fopen(path.c_str(), plainMode.c_str());
    if (file && !IsReadMode(mode))
        ForgetFolderOf(path);
    return file;
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
    if (mkdir(path.c_str(), 0755) == 0) {
        ForgetFolderOf(path);
        return true;
    }
    struct stat st;
    return errno == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectories(std::string_view name)
{
    std::string path = ResolvePathForWrite(name);
    if (path.empty())
        return false;
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0755) == 0)
            ForgetFolderOf(folder);
    }
    return MakeDirectory(path);
}

bool RemoveFile(std::string_view name)
{
    std::string path = ResolveExistingPath(name);
    if (path.empty() || std::remove(path.c_str()) != 0)
        return false;
    ForgetFolderOf(path);
    return true;
}

bool RemoveDirectory(std::string_view name)
{
    std::string path = ResolveExistingPath(name);
    if (path.empty() || rmdir(path.c_str()) != 0)
        return false;
    ForgetFolderOf(path);
    std::lock_guard lock(gMutex);
    Listings().Forget(path);
    return true;
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
    if (source.empty() || target.empty() || std::rename(source.c_str(), target.c_str()) != 0)
        return false;
    ForgetFolderOf(source);
    ForgetFolderOf(target);
    std::lock_guard lock(gMutex);
    Listings().Forget(source); // a folder moved away
    return true;
}

void ClearDirectoryCache()
{
    std::lock_guard lock(gMutex);
    Listings().Clear();
}

size_t CachedFolderCount()
{
    std::lock_guard lock(gMutex);
    return Listings().FolderCount();
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
    if (filePattern.empty())
        return found;
    std::string dir;
    std::vector<std::string> names;
    {
        std::lock_guard lock(gMutex);
        bool complete = false;
        ino_t inode = 0;
        dir = ResolveLocked(dirName.empty() ? std::string("/") : dirName, false, complete, inode);
        if (!complete)
            return found;
        const std::vector<std::string>* all = Listings().Names(dir, inode);
        if (!all)
            return found;
        for (const std::string& name : *all)
            if (MatchWildcard(filePattern, name))
                names.push_back(name);
    }
    found.reserve(names.size());
    for (std::string& name : names) {
        DiskFindEntry entry;
        entry.name = std::move(name);
        struct stat st;
        if (stat(Join(dir, entry.name).c_str(), &st) == 0) {
            entry.isDirectory = S_ISDIR(st.st_mode);
            entry.isRegular = S_ISREG(st.st_mode);
            entry.size = entry.isDirectory ? 0 : uint64_t(st.st_size);
            entry.modifiedUnixSeconds = st.st_mtim.tv_sec;
        }
        found.push_back(std::move(entry));
    }
    return found;
}

std::vector<std::string> FindNamesOnDisk(std::string_view folder, const std::vector<std::string>& patterns)
{
    std::vector<std::string> found;
    if (patterns.empty())
        return found;
    std::string dirName = ToSlashes(folder);
    if (dirName.empty())
        dirName = ".";
    std::lock_guard lock(gMutex);
    bool complete = false;
    ino_t inode = 0;
    const std::string dir = ResolveLocked(dirName, false, complete, inode);
    if (!complete)
        return found;
    const std::vector<std::string>* all = Listings().Names(dir, inode);
    if (!all)
        return found;
    for (const std::string& name : *all)
        for (const std::string& pattern : patterns)
            if (!pattern.empty() && MatchWildcard(pattern, name)) {
                found.push_back(name);
                break;
            }
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
    ForgetFolderOf(mTarget);
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
        ForgetFolderOf(mTarget);
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
    ForgetFolderOf(mTarget);
    return ok;
}

} // namespace Quib
