// Tracker modules (MOD, S3M, XM, IT and the other formats libopenmpt reads),
// rendered at 44100 Hz stereo and played once (no repeat).
#include "platform/AudioDecoderFormats.h"

#include <algorithm>
#include <cmath>
#include <libopenmpt/libopenmpt.h>
#include <string>

namespace Quib::AudioDecoding {

namespace {

constexpr const char* kKind = "module";
constexpr int kRate = 44100;

class ModuleDecoder final : public ForwardDecoder {
public:
    explicit ModuleDecoder(AudioBytes bytes) : mBytes(std::move(bytes)) {}
    ~ModuleDecoder() override { Unload(); }
    ModuleDecoder(const ModuleDecoder&) = delete;
    ModuleDecoder& operator=(const ModuleDecoder&) = delete;

    bool Open()
    {
        if (!Load())
            return false;
        const double seconds = openmpt_module_get_duration_seconds(mModule);
        const double frames = std::round(seconds * kRate);
        if (!(frames >= 0)) // also not a number
            mLength = -1;
        else
            mLength = CappedLength(kKind, frames >= 0x1p62 ? INT64_MAX : int64_t(frames), 2);
        return true;
    }

    int SampleRate() const override { return kRate; }
    int Channels() const override { return 2; }
    int64_t LengthFrames() const override { return mLength; }

    // libopenmpt renders a little (0.1 s) past the song's end; the song
    // stops at its stated length.
    size_t Read(int16_t* out, size_t frames) override
    {
        frames = FramesWithin(mLength, mPos, frames);
        size_t done = 0;
        while (done < frames && mModule && !mEnded) {
            const size_t got = openmpt_module_read_interleaved_stereo(mModule, kRate, frames - done, out + 2 * done);
            if (got == 0)
                mEnded = true;
            done += got;
        }
        mPos += done;
        return done;
    }

    std::optional<uint64_t> SeekOrder(int order, int row) override
    {
        if (!mModule || order < 0 || row < 0 || order >= openmpt_module_get_num_orders(mModule))
            return std::nullopt;
        // The very start as the first time, not as a jump back there.
        if (order == 0 && row == 0)
            return Restart() ? std::optional<uint64_t>(0) : std::nullopt;
        // Skip and end markers in the order list are not positions.
        const int pattern = openmpt_module_get_order_pattern(mModule, order);
        if (pattern < 0 || pattern >= openmpt_module_get_num_patterns(mModule) ||
            row >= openmpt_module_get_pattern_num_rows(mModule, pattern))
            return std::nullopt;
        const uint64_t from = mPos;
        const double frame = std::round(openmpt_module_set_position_order_row(mModule, order, row) * kRate);
        const double end = double(mLength >= 0 ? mLength : MaxFrames(2));
        if (!(frame >= 0 && frame < end)) { // also not a number
            // Some orders of other sub-songs are timed past the end of
            // the one that plays, where nothing is read: back to where it was.
            Restart();
            Seek(from);
            return std::nullopt;
        }
        mPos = uint64_t(frame);
        mEnded = false;
        return mPos;
    }

private:
    // Modules seek only to rows, and the mixer's state after a jump is not
    // what playing through gives.
    bool Restart() override { return Load(); }
    std::string_view Kind() const override { return kKind; }

    // Parses the bytes afresh: the module then renders from its start
    // exactly as the first time.
    bool Load()
    {
        Unload();
        int error = 0;
        const char* message = nullptr;
        mModule = openmpt_module_create_from_memory2(mBytes->data(), mBytes->size(), openmpt_log_func_silent,
                                                     nullptr, openmpt_error_func_ignore, nullptr, &error,
                                                     &message, nullptr);
        if (!mModule) {
            Log(kKind, std::string("cannot load: ") + (message ? message : "not a module"));
            openmpt_free_string(message);
            return false;
        }
        openmpt_free_string(message);
        openmpt_module_set_repeat_count(mModule, 0);
        // No dither: the same module renders the same samples every time.
        openmpt_module_ctl_set_integer(mModule, "dither", 0);
        // A seek by order sets the samples playing as playing through would.
        openmpt_module_ctl_set_boolean(mModule, "seek.sync_samples", 1);
        mPos = 0;
        mEnded = false;
        return true;
    }

    void Unload()
    {
        if (mModule)
            openmpt_module_destroy(mModule);
        mModule = nullptr;
    }

    AudioBytes mBytes;
    openmpt_module* mModule = nullptr;
    bool mEnded = false;
};

} // namespace

bool LooksLikeModule(const uint8_t* data, size_t size)
{
    int error = 0;
    return openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, data, size, size,
                                     openmpt_log_func_silent, nullptr, openmpt_error_func_ignore, nullptr, &error,
                                     nullptr) == OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS;
}

std::unique_ptr<AudioDecoder> OpenModuleDecoder(AudioBytes bytes)
{
    return OpenDecoder<ModuleDecoder>(std::move(bytes));
}

} // namespace Quib::AudioDecoding
