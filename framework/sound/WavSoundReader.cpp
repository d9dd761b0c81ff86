#include "framework/files/ScopedPakFile.h"
#include "framework/sound/SoundFileReaders.h"
#include "framework/sound/SoundFileSupport.h"
#include "platform/AudioDevice.h"
#include "platform/FileNames.h"

#include <cstring>
#include <sys/stat.h>

namespace Quib {

bool GetFileLastWriteTime(const std::string& path, FileTime& time)
{
    time = FileTime{};
    const std::string resolved = ResolveExistingPath(path);
    struct stat st;
    if (resolved.empty() || stat(resolved.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    time = FileTimeFromUnixSeconds(st.st_mtim.tv_sec);
    const uint64_t ticks =
        (uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime) + uint64_t(st.st_mtim.tv_nsec) / 100;
    time = FileTime{uint32_t(ticks), uint32_t(ticks >> 32)};
    return true;
}

namespace {

// A "dep " chunk: true when the named file still has the stored time.
bool DependencyHolds(PakFile* file)
{
    uint16_t length = 0;
    if (!ReadU16Le(file, length))
        return false;
    std::string path(length > 255 ? 255 : length, '\0');
    uint32_t low = 0, high = 0;
    if (!ReadBytes(file, path.data(), path.size()) || !ReadU32Le(file, low) || !ReadU32Le(file, high))
        return false;
    FileTime now;
    GetFileLastWriteTime(path, now);
    return now.dwLowDateTime == low && now.dwHighDateTime == high;
}

} // namespace

bool LoadWavSound(const std::string& fileName, DSoundManager& manager, unsigned int id)
{
    ScopedPakFile scoped = ScopedPakFile::OpenRead(fileName, false);
    PakFile* file = scoped.File();
    if (!file)
        return false;
    char magic[4];
    uint32_t riffSize = 0;
    if (!ReadBytes(file, magic, 4) || std::memcmp(magic, "RIFF", 4) != 0 || !ReadU32Le(file, riffSize) ||
        !ReadBytes(file, magic, 4) || std::memcmp(magic, "WAVE", 4) != 0)
        return false;

    SoundFormat format{1, 16, 22050};
    uint8_t key = 0;
    uint32_t size = 0;
    for (;;) {
        char tag[4];
        if (!ReadBytes(file, tag, 4) || !ReadU32Le(file, size))
            return false;
        const int64_t start = PakFTell(file);
        if (std::memcmp(tag, "fmt ", 4) == 0) {
            uint16_t formatTag = 0, channels = 0, blockAlign = 0, bits = 0;
            uint32_t rate = 0, bytesPerSecond = 0;
            if (!ReadU16Le(file, formatTag) || !ReadU16Le(file, channels) || !ReadU32Le(file, rate) ||
                !ReadU32Le(file, bytesPerSecond) || !ReadU16Le(file, blockAlign) || !ReadU16Le(file, bits) ||
                formatTag != 1)
                return false;
            format = SoundFormat{channels, bits, rate};
        } else if (std::memcmp(tag, "dep ", 4) == 0) {
            if (!DependencyHolds(file))
                return false;
        } else if (std::memcmp(tag, "xor ", 4) == 0) {
            if (!ReadBytes(file, &key, 1))
                return false;
        } else if (std::memcmp(tag, "data", 4) == 0) {
            break;
        }
        // An odd-sized payload is followed by a pad byte.
        const int64_t next = start + int64_t(size) + (size & 1);
        if (start < 0 || next > INT32_MAX || PakFSeek(file, int32_t(next), SEEK_SET) != 0)
            return false;
    }

    if (!format.IsValid())
        return false;
    // Whole frames only; a payload longer than the file cannot fill the buffer.
    const uint64_t bytes = size - size % uint32_t(format.BlockAlign());
    const int64_t remaining = RemainingBytes(file);
    if (bytes > kMaxSoundBytes || remaining < 0 || bytes > uint64_t(remaining))
        return false;
    std::shared_ptr<SoundBuffer> buffer;
    uint8_t* p = CreateLockedSoundBuffer(manager, id, format, bytes, buffer);
    if (!p)
        return false;
    const size_t read = PakFRead(p, 1, size_t(bytes), file);
    scoped.Close();
    if (key != 0)
        for (size_t i = 0; i < bytes; ++i)
            p[i] ^= key;
    return buffer->Unlock() && read == bytes;
}

} // namespace Quib
