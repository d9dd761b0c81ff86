#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace Quib {

// Data names use backslashes and any letter case; on disk they are found
// without regard to case. Relative names are taken against the working
// directory that this layer holds (the process never changes directory).

std::string GetWorkingDirectory();
// Fails (false) when the folder does not exist.
bool SetWorkingDirectory(std::string_view dir);

// Backslashes become slashes; nothing else changes.
std::string ToSlashes(std::string_view name);

// Absolute path of an existing file or folder, every component matched
// without regard to case (exact spelling first); empty when there is none.
std::string ResolveExistingPath(std::string_view name);

// Absolute path to create or overwrite: the components that exist are
// matched without regard to case, so a write reuses an existing name that
// differs only in case; the others keep the spelling given.
std::string ResolvePathForWrite(std::string_view name);

// fopen through the resolution above: reading modes ("r", "rb", "r+"...)
// open an existing file, other modes resolve for writing.
FILE* OpenFile(std::string_view name, const char* mode);

bool FileExists(std::string_view name);
bool IsDirectory(std::string_view name);
// Creates one folder (true when it exists afterwards).
bool MakeDirectory(std::string_view name);
// Creates a folder and the missing folders above it.
bool MakeDirectories(std::string_view name);
bool RemoveFile(std::string_view name);
// Removes an empty folder.
bool RemoveDirectory(std::string_view name);
// True for a symbolic link (whatever it points to).
bool IsSymbolicLink(std::string_view name);
// Renames or moves a file, replacing the destination.
bool RenameFile(std::string_view from, std::string_view to);

// Forgets the cached listing of every folder (a test that rewrites folders
// behind the layer's back calls it; the layer itself checks folder times).
void ClearDirectoryCache();
// How many folder listings are kept now (bounded).
size_t CachedFolderCount();

// Windows wildcard matching of one name: '*' and '?', no regard to case;
// a pattern ending in ".*" also matches the name without an extension, so
// "*.*" matches every name.
bool MatchWildcard(std::string_view pattern, std::string_view name);

struct DiskFindEntry {
    std::string name;         // the name alone, as on disk
    bool isDirectory = false;
    bool isRegular = false;   // a plain file (not a pipe, device or socket)
    uint64_t size = 0;
    int64_t modifiedUnixSeconds = 0;
};

// Files of one folder whose names match the last component of the pattern,
// as FindFirstFile lists them ("." and ".." included when they match).
std::vector<DiskFindEntry> FindOnDisk(std::string_view pattern);

// Names alone of the entries of one folder (empty: the working directory)
// that match any of `patterns` (last components, as MatchWildcard takes
// them), each once, in listing order. Taken from the folder's listing with
// no lookup per name, so it says nothing of size, time or kind.
std::vector<std::string> FindNamesOnDisk(std::string_view folder, const std::vector<std::string>& patterns);

// Writes a file so that it is either wholly replaced or left as it was:
// the bytes go to a temporary file beside it, every write is checked, and
// Commit flushes and renames it over the target. Dropping the object
// without Commit removes the temporary file.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string_view name);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool IsOpen() const { return mFile != nullptr; }
    bool Write(const void* data, size_t size);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    // True only when every write and the rename succeeded.
    bool Commit();
    bool Failed() const { return mFailed; }

private:
    std::string mTarget;
    std::string mTemp;
    FILE* mFile = nullptr;
    bool mFailed = false;
};

} // namespace Quib
