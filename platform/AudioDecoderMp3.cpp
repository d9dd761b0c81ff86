// MPEG audio (layers I-III, mostly MP3) through libmpg123, reading the bytes
// in memory through its handle reader, always to signed 16-bit samples.
// Gapless (LAME/Xing info frame) trimming is on; ID3v2 tags are skipped
// unread. A stream that changes its rate or channels part way ends there.
#include "platform/AudioDecoderFormats.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mpg123.h>
#include <mutex>
#include <string>
#include <vector>

namespace Quib::AudioDecoding {

namespace {

constexpr const char* kKind = "mp3";

mpg123_ssize_t ReadMemory(void* source, void* buffer, size_t count)
{
    return mpg123_ssize_t(static_cast<MemoryReader*>(source)->Read(buffer, count));
}

off_t SeekMemory(void* source, off_t offset, int whence)
{
    return off_t(static_cast<MemoryReader*>(source)->Seek(int64_t(offset), whence));
}

class Mp3Decoder final : public ForwardDecoder {
public:
    explicit Mp3Decoder(AudioBytes bytes) { mSource.bytes = std::move(bytes); }
    ~Mp3Decoder() override { CloseHandle(); }
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    bool Open()
    {
        if (!OpenHandle())
            return false;
        // A full scan of the frames gives the exact length; it is cheap for
        // bytes in memory. The scan changes a few samples of what the
        // handle then decodes, so decoding starts on a fresh one.
        if (mpg123_scan(mHandle) != MPG123_OK) {
            Log(kKind, std::string("no MPEG audio frames: ") + mpg123_strerror(mHandle));
            return false;
        }
        long rate = 0;
        int channels = 0, encoding = 0;
        if (mpg123_getformat(mHandle, &rate, &channels, &encoding) != MPG123_OK) {
            Log(kKind, std::string("no MPEG audio frames: ") + mpg123_strerror(mHandle));
            return false;
        }
        if (encoding != MPG123_ENC_SIGNED_16 || channels < 1 || channels > 2 || rate < 1 || rate > kMaxSampleRate) {
            Log(kKind, "unexpected output format");
            return false;
        }
        mRate = int(rate);
        mChannels = channels;
        const off_t length = mpg123_length(mHandle);
        mLength = length >= 0 ? CappedLength(kKind, int64_t(length), mChannels) : -1;
        return Restart();
    }

    int SampleRate() const override { return mRate; }
    int Channels() const override { return mChannels; }
    int64_t LengthFrames() const override { return mLength; }

    size_t Read(int16_t* out, size_t frames) override
    {
        frames = FramesWithin(mLength, mPos, frames);
        const size_t frameBytes = size_t(mChannels) * 2;
        size_t done = 0;
        // Each call either gives samples or consumes input; the count of
        // calls without samples is a guard against a decoder that does
        // neither.
        for (int idle = 0; done < frames && !mEnded && idle < 10000;) {
            size_t got = 0;
            const int result = mpg123_read(mHandle, out + done * size_t(mChannels),
                                           std::min<size_t>((frames - done) * frameBytes, 1 << 20), &got);
            done += got / frameBytes;
            idle = got ? 0 : idle + 1;
            if (result == MPG123_OK)
                continue;
            if (result == MPG123_NEW_FORMAT) {
                long rate = 0;
                int channels = 0, encoding = 0;
                if (mpg123_getformat(mHandle, &rate, &channels, &encoding) != MPG123_OK || rate != mRate ||
                    channels != mChannels || encoding != MPG123_ENC_SIGNED_16) {
                    Log(kKind, "the stream changes its format; it ends there");
                    mEnded = true;
                }
                continue;
            }
            if (result != MPG123_DONE)
                Log(kKind, std::string("decoding stopped: ") + mpg123_strerror(mHandle));
            mEnded = true;
        }
        mPos += done;
        return done;
    }

private:
    bool OpenHandle()
    {
        static std::once_flag initialised;
        std::call_once(initialised, [] { mpg123_init(); });
        CloseHandle();
        mSource.pos = 0;
        mPos = 0;
        mEnded = false;
        int error = MPG123_OK;
        mHandle = mpg123_new(nullptr, &error);
        if (!mHandle) {
            Log(kKind, std::string("no decoder: ") + mpg123_plain_strerror(error));
            return false;
        }
        mpg123_param(mHandle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_SKIP_ID3V2 | MPG123_GAPLESS, 0);
        mpg123_param(mHandle, MPG123_REMOVE_FLAGS, MPG123_AUTO_RESAMPLE, 0);
        mpg123_format_none(mHandle);
        const long* rates = nullptr;
        size_t rateCount = 0;
        mpg123_rates(&rates, &rateCount);
        for (size_t i = 0; i < rateCount; ++i)
            mpg123_format(mHandle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (mpg123_replace_reader_handle(mHandle, ReadMemory, SeekMemory, nullptr) != MPG123_OK ||
            mpg123_open_handle(mHandle, &mSource) != MPG123_OK) {
            Log(kKind, std::string("cannot open: ") + mpg123_strerror(mHandle));
            return false;
        }
        return true;
    }

    // libmpg123's own seek does not give the samples of decoding through
    // (in VBR files it may land on silence). A fresh decoder decodes as the
    // first one did.
    bool Restart() override
    {
        long rate = 0;
        int channels = 0, encoding = 0;
        if (!OpenHandle() || mpg123_getformat(mHandle, &rate, &channels, &encoding) != MPG123_OK ||
            rate != mRate || channels != mChannels) {
            Log(kKind, "cannot start again");
            mEnded = true;
            return false;
        }
        return true;
    }

    std::string_view Kind() const override { return kKind; }

    void CloseHandle()
    {
        if (mHandle) {
            mpg123_close(mHandle);
            mpg123_delete(mHandle);
        }
        mHandle = nullptr;
    }

    MemoryReader mSource;
    mpg123_handle* mHandle = nullptr;
    bool mEnded = false;
    int mRate = 0;
    int mChannels = 0;
};

} // namespace

std::unique_ptr<AudioDecoder> OpenMp3Decoder(AudioBytes bytes) { return OpenDecoder<Mp3Decoder>(std::move(bytes)); }

} // namespace Quib::AudioDecoding
