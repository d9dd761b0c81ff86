// Reads any bytes as a decoded-music cache file from a pak archive.
#include "FuzzSupport.h"
#include "framework/sound/MusicCache.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quib;
    Fuzz::FuzzPak pak({{"cached\\MUSIC\\TRACK.wav", std::string(Fuzz::Text(data, size)), {}}});
    const auto wav = MusicCache::Read("cached\\music\\track.wav");
    if (!wav)
        return 0;
    const size_t frame = size_t(wav->channels * wav->bitsPerSample / 8);
    if (!wav->bytes || wav->bytes->size() != size || wav->dataOffset != MusicCache::kHeaderBytes ||
        wav->dataSize == 0 || wav->dataSize > size - wav->dataOffset || frame == 0 || wav->dataSize % frame != 0)
        Fuzz::Fail("a cache file was accepted with data outside the file");
    const auto header = MusicCache::Header(wav->channels, wav->bitsPerSample, wav->sampleRate, uint32_t(wav->dataSize));
    if (std::memcmp(header.data(), data, header.size()) != 0)
        Fuzz::Fail("an accepted cache file differs from the header written for it");
    return 0;
}
