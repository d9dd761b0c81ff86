// Ogg Vorbis through Tremor, reading the bytes in memory through callbacks.
// Mono and stereo streams; a chained stream plays while its links keep the
// first link's rate and channels and ends where one changes them.
#include "platform/AudioDecoderFormats.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <tremor/ivorbisfile.h>

namespace Quib::AudioDecoding {

namespace {

constexpr const char* kKind = "ogg";

size_t ReadMemory(void* ptr, size_t size, size_t count, void* source)
{
    if (size == 0)
        return 0;
    // Whole items only, as fread gives them.
    auto& reader = *static_cast<MemoryReader*>(source);
    const size_t items = size_t(std::min<uint64_t>(count, (reader.bytes->size() - reader.pos) / size));
    return reader.Read(ptr, items * size) / size;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence)
{
    return static_cast<MemoryReader*>(source)->Seek(offset, whence) < 0 ? -1 : 0;
}

long TellMemory(void* source) { return long(static_cast<MemoryReader*>(source)->pos); }

std::string OvError(long code)
{
    switch (code) {
    case OV_EREAD: return "read error";
    case OV_EFAULT: return "internal fault";
    case OV_EIMPL: return "feature not implemented";
    case OV_EINVAL: return "invalid argument";
    case OV_ENOTVORBIS: return "not Vorbis data";
    case OV_EBADHEADER: return "bad header";
    case OV_EVERSION: return "Vorbis version mismatch";
    case OV_ENOTAUDIO: return "not audio";
    case OV_EBADPACKET: return "bad packet";
    case OV_EBADLINK: return "bad link";
    case OV_ENOSEEK: return "not seekable";
    default: return "error " + std::to_string(code);
    }
}

class OggDecoder final : public AudioDecoder {
public:
    explicit OggDecoder(AudioBytes bytes) { mSource.bytes = std::move(bytes); }
    ~OggDecoder() override
    {
        if (mOpen)
            ov_clear(&mFile);
    }
    OggDecoder(const OggDecoder&) = delete;
    OggDecoder& operator=(const OggDecoder&) = delete;

    bool Open()
    {
        const ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
        const int result = ov_open_callbacks(&mSource, &mFile, nullptr, 0, callbacks);
        if (result < 0) {
            Log(kKind, "cannot open the stream: " + OvError(result));
            return false;
        }
        mOpen = true;
        const vorbis_info* info = ov_info(&mFile, -1);
        if (!info || info->channels < 1 || info->channels > 2 || info->rate < 1 || info->rate > kMaxSampleRate) {
            Log(kKind, info ? std::to_string(info->channels) + " channels at " + std::to_string(info->rate) +
                                  " Hz: only mono or stereo at a sane rate"
                            : "no stream information");
            return false;
        }
        mChannels = info->channels;
        mRate = int(info->rate);
        mLink = mFile.current_link;
        mLength = CappedLength(kKind, ov_pcm_total(&mFile, -1), mChannels);
        return true;
    }

    int SampleRate() const override { return mRate; }
    int Channels() const override { return mChannels; }
    int64_t LengthFrames() const override { return mLength; }

    size_t Read(int16_t* out, size_t frames) override
    {
        frames = FramesWithin(mLength, mPos, frames);
        size_t done = 0;
        const size_t frameBytes = size_t(mChannels) * 2;
        // Each hole skips data, so the tries are bounded by the bytes; the
        // count is a second guard.
        for (int holes = 0; done < frames && !mEnded;) {
            const size_t want = std::min<size_t>((frames - done) * frameBytes, 1 << 20);
            int link = 0;
            const long got = ov_read(&mFile, reinterpret_cast<char*>(out + done * size_t(mChannels)), int(want), &link);
            if (got == OV_HOLE && ++holes < 1000)
                continue;
            if (got <= 0) {
                if (got < 0)
                    Log(kKind, "decoding stopped: " + OvError(got));
                mEnded = true;
                break;
            }
            if (link != mLink) {
                const vorbis_info* info = ov_info(&mFile, link);
                if (!info || info->channels != mChannels || info->rate != mRate) {
                    Log(kKind, "a chained stream changes its format; it ends there");
                    mEnded = true;
                    break;
                }
                mLink = link;
            }
            done += size_t(got) / frameBytes;
        }
        mPos += done;
        return done;
    }

    bool Seek(uint64_t frame) override
    {
        if (frame > uint64_t(INT64_MAX))
            return false;
        const int result = ov_pcm_seek(&mFile, ogg_int64_t(frame));
        if (result != 0) {
            Log(kKind, "cannot seek to frame " + std::to_string(frame) + ": " + OvError(result));
            return false;
        }
        mEnded = false;
        mPos = frame;
        mLink = mFile.current_link;
        return true;
    }

private:
    MemoryReader mSource;
    OggVorbis_File mFile{};
    bool mOpen = false;
    bool mEnded = false;
    uint64_t mPos = 0;
    int mChannels = 0;
    int mRate = 0;
    int mLink = 0;
    int64_t mLength = -1;
};

} // namespace

std::unique_ptr<AudioDecoder> OpenOggDecoder(AudioBytes bytes) { return OpenDecoder<OggDecoder>(std::move(bytes)); }

} // namespace Quib::AudioDecoding
