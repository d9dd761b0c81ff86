#include "framework/sound/SoundFileSupport.h"

#include "framework/sound/DSoundManager.h"
#include "framework/sound/SoundFileReaders.h"
#include "platform/AudioDevice.h"

#include <cstdio>

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
