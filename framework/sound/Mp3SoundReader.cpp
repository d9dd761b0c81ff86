#include "framework/files/ScopedPakFile.h"
#include "framework/files/ProcessLog.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/SoundFileReaders.h"
#include "framework/sound/SoundFileSupport.h"
#include "platform/AudioDevice.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Quib {

bool LoadMp3Sound(const std::string& fileName, DSoundManager& manager, unsigned int id)
{
    if (!manager.FmodMode())
        return false;
    ScopedPakFile scoped = ScopedPakFile::OpenRead(fileName, false);
    PakFile* file = scoped.File();
    if (!file)
        return false;
    const int64_t size = RemainingBytes(file);
    if (size <= 0 || uint64_t(size) > kMaxSoundBytes)
        return false;
    auto bytes = std::make_shared<std::vector<uint8_t>>(size_t(size));
    if (!ReadBytes(file, bytes->data(), bytes->size()))
        return false;
    scoped.Close();

    std::unique_ptr<AudioDecoder> decoder = OpenAudioDecoder(AudioFileKind::Mp3, std::move(bytes));
    if (!decoder)
        return false;
    const int channels = decoder->Channels();
    const int rate = decoder->SampleRate();
    if ((channels != 1 && channels != 2) || rate <= 0)
        return false;
    // Decoded whole, up to the cap.
    const size_t maxSamples = kMaxSoundBytes / 2;
    constexpr size_t kChunkFrames = 4096;
    std::vector<int16_t> pcm;
    if (const int64_t frames = decoder->LengthFrames(); frames > 0)
        pcm.reserve(std::min((std::min<size_t>(size_t(frames), maxSamples) + kChunkFrames) * channels, maxSamples));
    for (;;) {
        const size_t at = pcm.size();
        if (at + kChunkFrames * channels > maxSamples) {
            QUIB_LOG_ERROR("%s decodes to more than %d MB", fileName.c_str(), int(kMaxSoundBytes >> 20));
            return false;
        }
        pcm.resize(at + kChunkFrames * channels);
        const size_t frames = decoder->Read(pcm.data() + at, kChunkFrames);
        pcm.resize(at + std::min(frames, kChunkFrames) * channels);
        if (frames == 0)
            break;
    }
    const SoundFormat format{channels, 16, uint32_t(rate)};
    std::shared_ptr<SoundBuffer> buffer;
    uint8_t* p = CreateLockedSoundBuffer(manager, id, format, pcm.size() * 2, buffer);
    if (!p)
        return false;
    std::memcpy(p, pcm.data(), pcm.size() * 2);
    return buffer->Unlock();
}

} // namespace Quib
