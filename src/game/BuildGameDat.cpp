#include "src/game/BuildGameDat.h"

#include "framework/files/PakInterface.h"
#include "framework/files/ProcessLog.h"
#include "platform/FileNames.h"

#include <algorithm>
#include <climits>
#include <memory>

namespace Quib {

namespace {

constexpr const char* kDataFolder = "Data";
constexpr const char* kArchive = "game.dat";
constexpr size_t kMaxName = 255;
constexpr size_t kChunk = 1 << 20;

void PutU32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += char(v >> (8 * i));
}

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

} // namespace

void ListFilesRecursive(std::vector<DataFileRecord>& files, const std::string& folder)
{
    std::vector<DiskFindEntry> entries = FindOnDisk(folder + "\\*.*");
    std::sort(entries.begin(), entries.end(),
              [](const DiskFindEntry& a, const DiskFindEntry& b) { return a.name < b.name; });
    for (const DiskFindEntry& entry : entries) {
        if (entry.name == "." || entry.name == "..")
            continue;
        const std::string path = folder + "\\" + entry.name;
        if (!entry.isDirectory) {
            files.push_back({path, entry.size, entry.isRegular});
        } else if (IsSymbolicLink(path)) {
            ProcessLog::GetInstance()->LogInfo("Folder link not followed: \"%s\"", path);
        } else {
            ListFilesRecursive(files, path);
        }
    }
}

bool WriteScrambled(const void* bytes, size_t count, AtomicFileWriter& file)
{
    uint8_t buffer[4096];
    const auto* in = static_cast<const uint8_t*>(bytes);
    while (count > 0) {
        const size_t n = std::min(count, sizeof buffer);
        PakUnscrambleCopy(buffer, in, n);
        if (!file.Write(buffer, n))
            return false;
        in += n;
        count -= n;
    }
    return true;
}

bool IsAliasUnsafeName(const std::string& name)
{
    return name.find_first_of("[],=") != std::string::npos;
}

bool BuildGameDat()
{
    if (!IsDirectory(kDataFolder)) {
        QUIB_LOG_ERROR("game.dat not built: no folder \"%s\"", kDataFolder);
        return false;
    }
    std::vector<DataFileRecord> files;
    ListFilesRecursive(files, kDataFolder);

    // The directory, checked whole before anything is written.
    std::string header;
    PutU32(header, PAK_MAGIC);
    PutU32(header, PAK_VERSION);
    uint64_t total = 9;
    for (const DataFileRecord& file : files) {
        if (file.path.size() > kMaxName) {
            QUIB_LOG_ERROR("game.dat not built: the name \"%s\" is longer than %d bytes", file.path, int(kMaxName));
            return false;
        }
        if (!file.regular) {
            // A pipe would never end and a device or a link to nothing has
            // no bytes to store.
            QUIB_LOG_ERROR("game.dat not built: \"%s\" is not a file", file.path);
            return false;
        }
        if (IsAliasUnsafeName(file.path)) {
            QUIB_LOG_ERROR("game.dat not built: the name \"%s\" holds one of [ ] , =", file.path);
            return false;
        }
        total += 14 + file.path.size() + file.size;
        if (total > INT32_MAX) {
            QUIB_LOG_ERROR("game.dat not built: the archive would reach 2 GB at \"%s\"", file.path);
            return false;
        }
        header += char(0);
        header += char(file.path.size());
        header += file.path;
        PutU32(header, uint32_t(file.size));
        PutU32(header, 0); // time stamp
        PutU32(header, 0);
    }
    header += char(PAK_END_OF_DIRECTORY);

    AtomicFileWriter archive(kArchive);
    if (!archive.IsOpen()) {
        QUIB_LOG_ERROR("game.dat not built: \"%s\" cannot be written", kArchive);
        return false;
    }
    bool ok = WriteScrambled(header.data(), header.size(), archive);
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kChunk]);
    for (size_t i = 0; ok && i < files.size(); ++i) {
        const DataFileRecord& file = files[i];
        std::unique_ptr<FILE, FileCloser> in(OpenFile(file.path, "rb"));
        uint64_t left = file.size;
        while (in && left > 0) {
            const size_t n = std::fread(buffer.get(), 1, size_t(std::min<uint64_t>(left, kChunk)), in.get());
            if (n == 0)
                break;
            PakScramble(buffer.get(), n);
            if (!archive.Write(buffer.get(), n)) {
                ok = false;
                break;
            }
            left -= n;
        }
        if (ok && left > 0) {
            QUIB_LOG_ERROR("game.dat not built: \"%s\" cannot be read whole", file.path);
            return false;
        }
    }
    if (!ok || !archive.Commit()) {
        QUIB_LOG_ERROR("game.dat not built: writing \"%s\" failed", kArchive);
        return false;
    }
    ProcessLog::GetInstance()->LogInfo("game.dat built: %d files", int(files.size()));
    return true;
}

} // namespace Quib
