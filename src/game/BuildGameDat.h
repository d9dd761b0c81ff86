#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Quib {

class AtomicFileWriter;

// One file found by the folder walk.
struct DataFileRecord {
    std::string path;  // the folder walked + "\" + the relative path, "\" between components
    uint64_t size = 0; // bytes
    bool regular = true; // false for a pipe, a device or a link to nothing
};

// Appends every file under the folder, depth first, each folder's names in
// byte order (so the same data always gives the same list); a folder is
// walked where its name comes. Links to folders are not followed.
void ListFilesRecursive(std::vector<DataFileRecord>& files, const std::string& folder);

// Writes the bytes XOR-ed with the archive key; false when a write failed.
bool WriteScrambled(const void* bytes, size_t count, AtomicFileWriter& file);

// A name that cannot be written as a path alias of data/common.ini: "[",
// "]", "," or "=" in it.
bool IsAliasUnsafeName(const std::string& name);

// Packs every file under "Data" into the pak archive "game.dat" in the
// working directory (names "Data\...", time stamps 0, files in walk
// order). A name longer than 255 bytes or holding "[", "]", "," or "=", a
// file that cannot be read whole, or an archive of 2 GB or more stops the
// build with a log entry naming the file; the archive is written beside
// and renamed into place only when complete, so a failed build leaves any
// old game.dat as it was.
bool BuildGameDat();

} // namespace Quib
