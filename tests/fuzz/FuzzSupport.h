#pragma once
// Fuzz input as the program would meet it: a member of a pak archive. The
// archive lives in one anonymous memory file per process, so nothing is
// left on disk and nothing on disk is read.
#include "framework/files/PakArchiveWriter.h"
#include "framework/files/PakInterface.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace Quib::Fuzz {

inline std::string_view Text(const uint8_t* data, size_t size)
{
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

// Stops the run with a message: the fuzzer records the input as a crash.
[[noreturn]] inline void Fail(const char* what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// A memory file of this process, rewritten by each Write; its name opens
// it like a disk file. The trailing "/." keeps the name from ending in a
// digit, which some readers take for a line number.
class MemoryFile {
public:
    explicit MemoryFile(const char* label) : mFd(memfd_create(label, MFD_CLOEXEC))
    {
        if (mFd < 0)
            Fail("memfd_create");
        mPath = "/proc/self/fd/" + std::to_string(mFd) + "/.";
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile() { close(mFd); }

    const std::string& Write(std::string_view bytes)
    {
        if (ftruncate(mFd, 0) != 0 || pwrite(mFd, bytes.data(), bytes.size(), 0) != ssize_t(bytes.size()))
            Fail("memory file write");
        return mPath;
    }
    const std::string& Path() const { return mPath; }

private:
    int mFd;
    std::string mPath;
};

// A real folder of this process, for readers that list folders or write
// files whole (in memory when /dev/shm is there); removed at exit.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm/quib-fuzz-XXXXXX"
                                                                        : "/tmp/quib-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            Fail("mkdtemp");
        mPath = pattern;
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }

    const std::string& Path() const { return mPath; }
    // Empties the folder.
    void Clear() const
    {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(mPath, ignored))
            std::filesystem::remove_all(entry.path(), ignored);
    }
    // Writes a file of the folder (its folders must exist).
    void Write(const std::string& name, std::string_view bytes) const
    {
        FILE* file = std::fopen((mPath + "/" + name).c_str(), "wb");
        if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
            Fail("scratch file write");
        std::fclose(file);
    }

private:
    std::string mPath;
};

// A pak interface published for one run, holding the given members.
class FuzzPak {
public:
    explicit FuzzPak(const std::vector<PakMember>& members) : mOld(SetSharedPakInterface(&mPak))
    {
        static MemoryFile archive("quib-fuzz-pak");
        const std::string bytes = BuildPakArchive(members);
        if (bytes.empty() || !mPak.AddPakFile(archive.Write(bytes)))
            Fail("fuzz archive not accepted");
    }
    FuzzPak(const FuzzPak&) = delete;
    FuzzPak& operator=(const FuzzPak&) = delete;
    ~FuzzPak() { SetSharedPakInterface(mOld); }

    PakInterface& operator*() { return mPak; }

private:
    PakInterface mPak;
    PakInterface* mOld;
};

} // namespace Quib::Fuzz
