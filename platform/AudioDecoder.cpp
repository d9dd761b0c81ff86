#include "platform/AudioDecoder.h"

#include "platform/AudioDecoderFormats.h"
#include "platform/MessageSink.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace Quib {

namespace AudioDecoding {

void Log(std::string_view kind, std::string_view what)
{
    std::string line = "AudioDecoder ";
    line.append(kind).append(": ").append(what).append("\n");
    OutputDebugString(line);
}

int64_t CappedLength(std::string_view kind, int64_t frames, int channels)
{
    if (frames < 0)
        return -1;
    if (frames > MaxFrames(channels)) {
        Log(kind, "stated length of " + std::to_string(frames) + " frames is beyond the cap; length unknown");
        return -1;
    }
    return frames;
}

size_t MemoryReader::Read(void* out, size_t count)
{
    const size_t n = size_t(std::min<uint64_t>(count, bytes->size() - pos));
    std::memcpy(out, bytes->data() + pos, n);
    pos += n;
    return n;
}

int64_t MemoryReader::Seek(int64_t offset, int whence)
{
    const int64_t size = int64_t(bytes->size());
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = int64_t(pos);
    else if (whence == SEEK_END)
        base = size;
    else if (whence != SEEK_SET)
        return -1;
    // Checked before adding, so that no offset overflows.
    if (offset > size || offset < -size || base + offset < 0 || base + offset > size)
        return -1;
    pos = uint64_t(base + offset);
    return int64_t(pos);
}

bool ForwardDecoder::Seek(uint64_t frame)
{
    if (frame > uint64_t(mLength >= 0 ? mLength : MaxFrames(Channels()))) {
        Log(Kind(), "cannot seek to frame " + std::to_string(frame) + ": beyond the end");
        return false;
    }
    if (frame < mPos && !Restart())
        return false;
    constexpr size_t kPiece = 1024;
    std::vector<int16_t> scratch(kPiece * size_t(Channels()));
    while (mPos < frame) {
        const size_t want = size_t(std::min<uint64_t>(frame - mPos, kPiece));
        if (Read(scratch.data(), want) < want)
            return false;
    }
    return true;
}

} // namespace AudioDecoding

namespace {

using namespace AudioDecoding;

bool StartsWith(const std::vector<uint8_t>& bytes, size_t at, const char* magic)
{
    const size_t n = std::strlen(magic);
    return bytes.size() >= at + n && std::memcmp(bytes.data() + at, magic, n) == 0;
}

// An MPEG audio frame header: sync, and no reserved version, layer, bit
// rate or sample rate.
bool IsMpegFrameHeader(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < 4 || bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0)
        return false;
    const int version = (bytes[1] >> 3) & 3, layer = (bytes[1] >> 1) & 3;
    const int bitrate = bytes[2] >> 4, rate = (bytes[2] >> 2) & 3;
    return version != 1 && layer != 0 && bitrate != 15 && rate != 3;
}

const char* KindName(AudioFileKind kind)
{
    switch (kind) {
    case AudioFileKind::Wav: return "wav";
    case AudioFileKind::Ogg: return "ogg";
    case AudioFileKind::Module: return "module";
    case AudioFileKind::Mp3: return "mp3";
    }
    return "?";
}

} // namespace

std::unique_ptr<AudioDecoder> OpenAudioDecoder(AudioFileKind kind, AudioBytes bytes)
{
    if (!bytes || bytes->empty()) {
        Log(KindName(kind), "no bytes");
        return nullptr;
    }
    switch (kind) {
    case AudioFileKind::Wav: return OpenWavDecoder(std::move(bytes));
    case AudioFileKind::Ogg: return OpenOggDecoder(std::move(bytes));
    case AudioFileKind::Module: return OpenModuleDecoder(std::move(bytes));
    case AudioFileKind::Mp3: return OpenMp3Decoder(std::move(bytes));
    }
    Log(KindName(kind), "unknown kind");
    return nullptr;
}

std::unique_ptr<AudioDecoder> OpenAudioDecoder(AudioBytes bytes)
{
    if (!bytes || bytes->empty()) {
        Log("?", "no bytes");
        return nullptr;
    }
    const std::vector<uint8_t>& b = *bytes;
    if (StartsWith(b, 0, "RIFF") && StartsWith(b, 8, "WAVE"))
        return OpenWavDecoder(std::move(bytes));
    if (StartsWith(b, 0, "OggS"))
        return OpenOggDecoder(std::move(bytes));
    if (StartsWith(b, 0, "ID3") || IsMpegFrameHeader(b))
        return OpenMp3Decoder(std::move(bytes));
    if (LooksLikeModule(b.data(), b.size()))
        return OpenModuleDecoder(std::move(bytes));
    Log("?", "not a file kind that can be decoded");
    return nullptr;
}

} // namespace Quib
