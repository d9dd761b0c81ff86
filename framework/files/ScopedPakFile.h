#pragma once
#include <cstddef>
#include <memory>
#include <string_view>

namespace Quib {

struct PakFile;
class AtomicFileWriter;

// One file opened for a load or a save, closed when the holder goes. A file
// opened for writing is written atomically: the bytes go to a temporary file
// that Close renames over the target only when every write succeeded.
class ScopedPakFile {
public:
    ScopedPakFile();
    ~ScopedPakFile();
    ScopedPakFile(ScopedPakFile&& other) noexcept;
    ScopedPakFile& operator=(ScopedPakFile&& other) noexcept;

    // Through the pak layer: an archive member first, then the disk.
    static ScopedPakFile OpenRead(std::string_view path, bool wide);
    // On disk; when the path cannot be created, once more under its alias.
    static ScopedPakFile OpenWrite(std::string_view path, bool wide);

    bool IsOpen() const;
    bool Is16Bit() const { return mWide; }
    PakFile* File() const { return mFile; }

    // Write mode only; false once any write has failed.
    bool Write(const void* data, size_t size);
    // True when nothing failed; for a file opened for writing, only when
    // every write and the final rename succeeded.
    bool Close();

private:
    PakFile* mFile = nullptr;
    std::unique_ptr<AtomicFileWriter> mWriter;
    bool mWide = false;
};

} // namespace Quib
