#include "framework/files/ScopedPakFile.h"
#include "framework/sound/SoundFileReaders.h"
#include "framework/sound/SoundFileSupport.h"
#include "platform/AudioDevice.h"

#include <cstring>
#include <vector>

namespace Quib {

int16_t MuLawToSample(uint8_t byte)
{
    const int sign = byte >= 0x80 ? 1 : -1;
    const int c = byte | 0x80;
    int m;
    if (c >= 240)
        m = (255 - c) * 2;
    else if (c >= 224)
        m = (247 - c) * 4;
    else if (c >= 208)
        m = (235 - c) * 8;
    else if (c >= 192)
        m = (221 - c) * 16;
    else if (c >= 176)
        m = (206 - c) * 32;
    else if (c >= 160)
        m = 12192 - c * 64;
    else if (c >= 144)
        m = 22368 - c * 128;
    else
        m = 40672 - c * 256; // 128..143: 128 is the loudest step, as in G.711
    return int16_t(m * sign * 4);
}

namespace {

constexpr uint32_t kAuSizeUnknown = 0xFFFFFFFF;
constexpr uint32_t kAuMuLaw = 1, kAuLinear8 = 2;

} // namespace

bool LoadAuSound(const std::string& fileName, DSoundManager& manager, unsigned int id)
{
    ScopedPakFile scoped = ScopedPakFile::OpenRead(fileName, false);
    PakFile* file = scoped.File();
    if (!file)
        return false;
    char magic[4];
    uint32_t offset = 0, size = 0, encoding = 0, rate = 0, channels = 0;
    if (!ReadBytes(file, magic, 4) || std::memcmp(magic, ".snd", 4) != 0 || !ReadU32Be(file, offset) ||
        !ReadU32Be(file, size) || !ReadU32Be(file, encoding) || !ReadU32Be(file, rate) ||
        !ReadU32Be(file, channels))
        return false;
    if (offset > uint32_t(INT32_MAX) || PakFSeek(file, int32_t(offset), SEEK_SET) != 0)
        return false;
    if (encoding != kAuMuLaw && encoding != kAuLinear8)
        return false;
    if (channels != 1 && channels != 2)
        return false;
    const int bits = encoding == kAuMuLaw ? 16 : 8;
    const SoundFormat format{int(channels), bits, rate};

    const int64_t remaining = RemainingBytes(file);
    if (remaining < 0)
        return false;
    uint64_t dataSize = size == kAuSizeUnknown ? uint64_t(remaining) : size;
    dataSize -= dataSize % channels; // whole frames
    const uint64_t bytes = uint64_t(bits) * dataSize / 8;
    // Data beyond the file's end could not be read: the sound cannot load.
    if (dataSize > uint64_t(remaining) || bytes > kMaxSoundBytes)
        return false;
    std::shared_ptr<SoundBuffer> buffer;
    uint8_t* p = CreateLockedSoundBuffer(manager, id, format, bytes, buffer);
    if (!p)
        return false;
    std::vector<uint8_t> data(dataSize);
    const size_t read = PakFRead(data.data(), 1, data.size(), file);
    scoped.Close();
    if (encoding == kAuLinear8) {
        // Stored signed; the buffer holds unsigned 8-bit samples.
        for (size_t i = 0; i < data.size(); ++i)
            p[i] = uint8_t(data[i] ^ 0x80);
    } else {
        for (size_t i = 0; i < data.size(); ++i) {
            const int16_t s = MuLawToSample(data[i]);
            std::memcpy(p + 2 * i, &s, 2);
        }
    }
    return buffer->Unlock() && read == dataSize;
}

} // namespace Quib
