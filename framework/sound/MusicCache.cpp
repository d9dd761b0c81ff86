#include "framework/sound/MusicCache.h"

#include "framework/files/PakInterface.h"
#include "framework/files/PathUtils.h"
#include "platform/AudioDevice.h"
#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"
#include "platform/TextCodecs.h"

#include <cstring>
#include <vector>

namespace Quib {

namespace {

void Put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v)
{
    Put16(p, v);
    Put16(p + 2, v >> 16);
}
uint32_t Get16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Get32(const uint8_t* p) { return Get16(p) | Get16(p + 2) << 16; }

} // namespace

std::string MusicCache::Folder()
{
    const std::u16string own = GetFolderWithSlash();
    if (!own.empty())
        return Utf16ToUtf8(own);
    return AppDataFolder() + "/";
}

std::string MusicCache::PathFor(std::string_view trackName)
{
    const std::string normalised = NormalizePakPath(trackName);
    std::string key;
    size_t start = 0;
    while (start <= normalised.size()) {
        size_t end = normalised.find('\\', start);
        if (end == std::string::npos)
            end = normalised.size();
        std::string part = normalised.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == "." || part == "..")
            continue;
        for (char& c : part)
            if (c == ':' || c == '/')
                c = '_';
        key += (key.empty() ? "" : "\\") + part;
    }
    if (key.empty())
        return {};
    return Folder() + "cached\\" + key + ".wav";
}

std::array<uint8_t, MusicCache::kHeaderBytes> MusicCache::Header(int channels, int bitsPerSample,
    uint32_t sampleRate, uint32_t dataSize)
{
    std::array<uint8_t, kHeaderBytes> h{};
    const uint32_t blockAlign = uint32_t(channels * bitsPerSample / 8);
    std::memcpy(&h[0], "RIFF", 4);
    Put32(&h[4], dataSize + 36);
    std::memcpy(&h[8], "WAVE", 4);
    std::memcpy(&h[12], "fmt ", 4);
    Put32(&h[16], 16);
    Put16(&h[20], 1);
    Put16(&h[22], uint32_t(channels));
    Put32(&h[24], sampleRate);
    Put32(&h[28], sampleRate * blockAlign);
    Put16(&h[32], blockAlign);
    Put16(&h[34], uint32_t(bitsPerSample));
    std::memcpy(&h[36], "data", 4);
    Put32(&h[40], dataSize);
    return h;
}

std::optional<MusicCache::Wav> MusicCache::Parse(AudioBytes bytes)
{
    if (!bytes || bytes->size() < kHeaderBytes)
        return std::nullopt;
    const uint8_t* p = bytes->data();
    Wav wav;
    wav.channels = int(Get16(p + 22));
    wav.bitsPerSample = int(Get16(p + 34));
    wav.sampleRate = Get32(p + 24);
    wav.dataOffset = kHeaderBytes;
    wav.dataSize = Get32(p + 40);
    const uint32_t blockAlign = Get16(p + 32);
    const bool layout = std::memcmp(p, "RIFF", 4) == 0 && std::memcmp(p + 8, "WAVE", 4) == 0 &&
        std::memcmp(p + 12, "fmt ", 4) == 0 && Get32(p + 16) == 16 && Get16(p + 20) == 1 &&
        std::memcmp(p + 36, "data", 4) == 0;
    if (!layout || (wav.channels != 1 && wav.channels != 2) || (wav.bitsPerSample != 8 && wav.bitsPerSample != 16))
        return std::nullopt;
    if (blockAlign != uint32_t(wav.channels * wav.bitsPerSample / 8) || wav.sampleRate < kFrequencyMin ||
        wav.sampleRate > kFrequencyMax || Get32(p + 28) != wav.sampleRate * blockAlign)
        return std::nullopt;
    if (wav.dataSize == 0 || wav.dataSize % blockAlign != 0 || wav.dataSize > bytes->size() - kHeaderBytes ||
        Get32(p + 4) != wav.dataSize + 36)
        return std::nullopt;
    wav.bytes = std::move(bytes);
    return wav;
}

std::optional<MusicCache::Wav> MusicCache::Read(std::string_view path)
{
    PakFile* file = PakFOpen(path);
    if (!file)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    if (PakFSeek(file, 0, SEEK_END) == 0) {
        const int32_t size = PakFTell(file);
        if (size >= int32_t(kHeaderBytes) && PakFSeek(file, 0, SEEK_SET) == 0) {
            bytes.resize(size_t(size));
            if (PakFRead(bytes.data(), 1, bytes.size(), file) != bytes.size())
                bytes.clear();
        }
    }
    PakFClose(file);
    return Parse(std::make_shared<const std::vector<uint8_t>>(std::move(bytes)));
}

bool MusicCache::Write(const std::string& path, int channels, int bitsPerSample, uint32_t sampleRate,
    const uint8_t* data, uint32_t dataSize)
{
    bool written = false;
    {
        AtomicFileWriter writer(path);
        const auto header = Header(channels, bitsPerSample, sampleRate, dataSize);
        written = writer.IsOpen() && data && writer.Write(header.data(), header.size()) &&
            writer.Write(data, dataSize) && writer.Commit();
    }
    if (!written) {
        RemoveFile(path);
        OutputDebugString("Music cache: could not write " + path + "\n");
    }
    return written;
}

} // namespace Quib
