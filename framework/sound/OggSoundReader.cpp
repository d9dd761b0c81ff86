#include "framework/sound/SoundFileReaders.h"
#include "framework/sound/SoundFileSupport.h"
#include "platform/AudioDevice.h"

#include <algorithm>
#include <climits>
#include <tremor/ivorbisfile.h>

namespace Quib {

namespace {

size_t ReadPak(void* out, size_t size, size_t count, void* file)
{
    return PakFRead(out, size, count, static_cast<PakFile*>(file));
}

int SeekPak(void* file, ogg_int64_t offset, int origin)
{
    if (!file)
        return -1;
    return PakFSeek(static_cast<PakFile*>(file), int32_t(offset), origin);
}

int ClosePak(void* file)
{
    return PakFClose(static_cast<PakFile*>(file));
}

long TellPak(void* file)
{
    return PakFTell(static_cast<PakFile*>(file));
}

} // namespace

int OpenOggPakStream(PakFile* file, OggVorbis_File* stream)
{
    const ov_callbacks callbacks{ReadPak, SeekPak, ClosePak, TellPak};
    return ov_open_callbacks(file, stream, nullptr, 0, callbacks);
}

bool LoadOggSound(const std::string& fileName, DSoundManager& manager, unsigned int id)
{
    PakFile* file = PakFOpen(fileName);
    if (!file)
        return false;
    OggVorbis_File stream;
    if (OpenOggPakStream(file, &stream) < 0) {
        PakFClose(file);
        return false;
    }
    bool filled = false;
    const vorbis_info* info = ov_info(&stream, -1);
    const ogg_int64_t frames = ov_pcm_total(&stream, -1);
    if (info && frames > 0 && info->rate > 0 && info->rate <= INT32_MAX) {
        const SoundFormat format{info->channels, 16, uint32_t(info->rate)};
        const uint64_t bytes = uint64_t(frames) * uint64_t(std::max(info->channels, 0)) * 2;
        std::shared_ptr<SoundBuffer> buffer;
        if (frames <= ogg_int64_t(kMaxSoundBytes))
            if (uint8_t* p = CreateLockedSoundBuffer(manager, id, format, bytes, buffer)) {
                uint64_t remaining = bytes;
                while (remaining > 0) {
                    int section = 0;
                    const long n = ov_read(&stream, reinterpret_cast<char*>(p),
                        int(std::min<uint64_t>(remaining, INT_MAX)), &section);
                    if (n <= 0)
                        break;
                    p += n;
                    remaining -= uint64_t(n);
                }
                buffer->Unlock();
                filled = remaining == 0;
            }
    }
    ov_clear(&stream);
    return filled;
}

} // namespace Quib
