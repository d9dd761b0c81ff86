// Decodes any bytes as a tracker module; rendering is slow, so only its
// first rows are read. Then seeks by order: a seek lands within the stated
// length, or is refused and keeps the position.
#include "AudioFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quib;
    Fuzz::DecodeAudio(data, size, AudioFileKind::Module, true, 1 << 13);

    static Fuzz::SilentSink sink;
    SetMessageSink(&sink);
    const auto bytes = std::make_shared<const std::vector<uint8_t>>(data, data + size);
    auto decoder = OpenAudioDecoder(AudioFileKind::Module, bytes);
    auto through = OpenAudioDecoder(AudioFileKind::Module, bytes);
    // Frames 64 to 128 as reading through gives them.
    int16_t expected[2 * 64], piece[2 * 64];
    if (decoder && through && through->Read(piece, 64) == 64) {
        const size_t expectedFrames = through->Read(expected, 64);
        const int64_t length = decoder->LengthFrames();
        for (int order : {1, 0, 3, 255, 65535, -1}) {
            for (int row : {0, 1, 63, 64}) {
                if (!decoder->Seek(64))
                    Fuzz::Fail("no seek within what was read");
                const std::optional<uint64_t> frame = decoder->SeekOrder(order, row);
                if (frame && length >= 0 && *frame >= uint64_t(length))
                    Fuzz::Fail("an order at or past the stated length");
                if (frame && order < 0)
                    Fuzz::Fail("a negative order accepted");
                const size_t got = decoder->Read(piece, 64);
                if (!frame && (got != expectedFrames || std::memcmp(piece, expected, got * 4) != 0))
                    Fuzz::Fail("a refused seek moved the position");
            }
        }
    }
    SetMessageSink(nullptr);
    return 0;
}
