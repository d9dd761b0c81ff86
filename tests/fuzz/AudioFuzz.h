#pragma once
// Decodes any bytes as one kind of audio file: a decoder that opens must
// describe a playable stream, stop within a bounded number of frames, and
// give the same first samples again after seeking back to the start.
#include "FuzzSupport.h"
#include "platform/AudioDecoder.h"
#include "platform/MessageSink.h"

#include <cstring>

namespace Quib::Fuzz {

// The decoders' log lines, dropped: damaged input makes many.
class SilentSink : public MessageSink {
public:
    void DebugOutput(std::string_view) override {}
    int ShowMessageBox(std::string_view, std::string_view, unsigned style) override { return DefaultAnswer(style); }
};

// Reads at most `mostFrames`: enough to run through a small file, few
// enough to stay quick.
inline int DecodeAudio(const uint8_t* data, size_t size, AudioFileKind kind, bool exactRestart,
                       size_t mostFrames = 1 << 16)
{
    static SilentSink sink;
    SetMessageSink(&sink);
    auto bytes = std::make_shared<const std::vector<uint8_t>>(data, data + size);
    std::unique_ptr<AudioDecoder> decoder = OpenAudioDecoder(kind, bytes);
    SetMessageSink(nullptr);
    if (!decoder)
        return 0;
    SetMessageSink(&sink);
    const int channels = decoder->Channels();
    if (channels < 1 || channels > 2 || decoder->SampleRate() < 1 || decoder->SampleRate() > 768000)
        Fail("a decoder describes no playable stream");
    const int64_t length = decoder->LengthFrames();
    if (length < -1 || length > int64_t((uint64_t(256) << 20) / (2 * uint64_t(channels))))
        Fail("a stated length beyond the cap");

    constexpr size_t kPiece = 4096;
    std::vector<int16_t> first(kPiece * 2), piece(kPiece * 2);
    size_t total = 0, firstFrames = 0;
    while (total < mostFrames) {
        const size_t got = decoder->Read(total ? piece.data() : first.data(), kPiece);
        if (got > kPiece)
            Fail("read more frames than asked");
        if (!total)
            firstFrames = got;
        total += got;
        if (got == 0)
            break;
    }
    if (length >= 0 && total > uint64_t(length))
        Fail("read beyond the stated length");

    const bool restarted = decoder->Seek(0);
    if (exactRestart && !restarted)
        Fail("no seek back to the start");
    if (restarted) {
        const size_t again = decoder->Read(piece.data(), kPiece);
        if (exactRestart && (again != firstFrames ||
                             std::memcmp(piece.data(), first.data(), again * size_t(channels) * 2) != 0))
            Fail("the start decodes differently after a seek");
    }
    decoder->Seek(total / 2);
    decoder->Read(piece.data(), 16);
    SetMessageSink(nullptr);
    return 0;
}

} // namespace Quib::Fuzz
