#include "framework/sound/SoundFileSupport.h"

#include "framework/sound/DSoundManager.h"
#include "framework/sound/SoundFileReaders.h"
#include "platform/AudioDevice.h"

#include <cstdio>
#include <cstring>

namespace Quib {

bool ReadBytes(PakFile* file, void* out, size_t size)
{
    return size == 0 || PakFRead(out, 1, size, file) == size;
}

bool ReadU16Le(PakFile* file, uint16_t& value)
{
    uint8_t b[2];
    if (!ReadBytes(file, b, 2))
        return false;
    value = uint16_t(b[0] | b[1] << 8);
    return true;
}

bool ReadU32Le(PakFile* file, uint32_t& value)
{
    uint8_t b[4];
    if (!ReadBytes(file, b, 4))
        return false;
    value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

bool ReadU32Be(PakFile* file, uint32_t& value)
{
    uint8_t b[4];
    if (!ReadBytes(file, b, 4))
        return false;
    value = uint32_t(b[3]) | uint32_t(b[2]) << 8 | uint32_t(b[1]) << 16 | uint32_t(b[0]) << 24;
    return true;
}

int64_t RemainingBytes(PakFile* file)
{
    const int32_t here = PakFTell(file);
    if (here < 0 || PakFSeek(file, 0, SEEK_END) != 0)
        return -1;
    const int32_t end = PakFTell(file);
    if (PakFSeek(file, here, SEEK_SET) != 0 || end < here)
        return -1;
    return int64_t(end) - here;
}

std::string OggStreamDamage(PakFile* file)
{
    const int32_t start = PakFTell(file);
    const int64_t size = RemainingBytes(file);
    if (start < 0 || size <= 0)
        return {};
    std::string damage;
    int64_t pos = 0;
    uint8_t lastFlags = 0;
    int pages = 0;
    while (pos < size) {
        // Header: "OggS", version, flags, granule (8), serial, sequence,
        // checksum (4 each), segment count, then the segment table.
        uint8_t header[27];
        uint8_t table[255];
        if (pos + 27 > size || PakFSeek(file, int32_t(start + pos), SEEK_SET) != 0 ||
            !ReadBytes(file, header, sizeof header)) {
            damage = "the last page is cut short (at byte " + std::to_string(pos) + ")";
            break;
        }
        if (std::memcmp(header, "OggS", 4) != 0)
            break; // not a page: not for this check to judge
        const size_t segments = header[26];
        int64_t body = 0;
        if (pos + 27 + int64_t(segments) > size || !ReadBytes(file, table, segments)) {
            damage = "the last page is cut short (at byte " + std::to_string(pos) + ")";
            break;
        }
        for (size_t i = 0; i < segments; ++i)
            body += table[i];
        if (pos + 27 + int64_t(segments) + body > size) {
            damage = "the last page is cut short (at byte " + std::to_string(pos) + ")";
            break;
        }
        lastFlags = header[5];
        ++pages;
        pos += 27 + int64_t(segments) + body;
        if (pos == size && !(lastFlags & 0x04))
            damage = "the stream ends without its end-of-stream page";
    }
    PakFSeek(file, start, SEEK_SET);
    return pages > 0 ? damage : std::string();
}

uint8_t* CreateLockedSoundBuffer(DSoundManager& manager, unsigned int id, const SoundFormat& format,
    uint64_t bytes, std::shared_ptr<SoundBuffer>& buffer)
{
    if (!format.IsValid() || bytes == 0 || bytes > kMaxSoundBytes || bytes % format.BlockAlign() != 0)
        return nullptr;
    buffer = manager.CreateSoundBuffer(id, format, size_t(bytes));
    if (!buffer)
        return nullptr;
    size_t locked = 0;
    uint8_t* p = buffer->Lock(0, size_t(bytes), &locked);
    if (p && locked != bytes) {
        buffer->Unlock();
        return nullptr;
    }
    return p;
}

} // namespace Quib
