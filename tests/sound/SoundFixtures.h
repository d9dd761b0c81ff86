#pragma once
// Sound files made at test time, a pak archive to hold them and a manager
// over the headless device.
#include "framework/files/PakArchiveWriter.h"
#include "framework/sound/DSoundManager.h"
#include "platform/headless/HeadlessAudio.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace Quib::Testing {

inline std::string Le16(uint32_t v)
{
    return {char(v & 0xFF), char(v >> 8 & 0xFF)};
}
inline std::string Le32(uint32_t v)
{
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}
inline std::string Be32(uint32_t v)
{
    return {char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF)};
}

inline std::string Pcm16(const std::vector<int16_t>& samples)
{
    std::string out;
    for (int16_t s : samples)
        out += Le16(uint16_t(s));
    return out;
}

// A "fmt " payload for PCM (or another format tag).
inline std::string FmtPayload(int channels, uint32_t rate, int bits, int formatTag = 1)
{
    const int align = channels * bits / 8;
    return Le16(formatTag) + Le16(channels) + Le32(rate) + Le32(rate * align) + Le16(align) + Le16(bits);
}

struct WavChunk {
    std::string tag;
    std::string payload;
    uint32_t statedSize = UINT32_MAX; // the payload's size unless set
};

// A RIFF WAVE file; odd payloads get their pad byte.
inline std::string MakeWav(const std::vector<WavChunk>& chunks)
{
    std::string body = "WAVE";
    for (const WavChunk& c : chunks) {
        body += c.tag + Le32(c.statedSize == UINT32_MAX ? uint32_t(c.payload.size()) : c.statedSize) + c.payload;
        if (c.payload.size() % 2)
            body += '\0';
    }
    return "RIFF" + Le32(uint32_t(body.size())) + body;
}

inline std::string MakeWav16(const std::vector<int16_t>& samples, int channels = 1, uint32_t rate = 44100)
{
    return MakeWav({{"fmt ", FmtPayload(channels, rate, 16)}, {"data", Pcm16(samples)}});
}

// An AU file: header, `gap` bytes, then the data.
inline std::string MakeAu(uint32_t encoding, uint32_t rate, uint32_t channels, const std::string& data,
    uint32_t statedSize = UINT32_MAX - 1, size_t gap = 0)
{
    const uint32_t size = statedSize == UINT32_MAX - 1 ? uint32_t(data.size()) : statedSize;
    return ".snd" + Be32(uint32_t(24 + gap)) + Be32(size) + Be32(encoding) + Be32(rate) + Be32(channels) +
        std::string(gap, 'x') + data;
}

// The buffer's bytes.
inline std::string BufferBytes(SoundBuffer& buffer)
{
    size_t locked = 0;
    const uint8_t* p = buffer.Lock(0, buffer.Size(), &locked);
    std::string out(reinterpret_cast<const char*>(p), p ? locked : 0);
    buffer.Unlock();
    return out;
}

// A manager over a headless device with a pak archive of sound files.
class SoundTest : public ::testing::Test {
protected:
    SoundTest() : manager(&device, &device, false) {}

    // Publishes the files as members of one archive (replacing the last).
    void AddFiles(const std::vector<PakMember>& members)
    {
        pak.reset();
        pak = std::make_unique<ScopedPak>();
        const std::string path = dir / ("sounds" + std::to_string(++archives) + ".pak");
        ASSERT_TRUE(WritePakArchive(path, members));
        ASSERT_TRUE((*pak)->AddPakFile(path));
    }

    TempDir dir;
    std::unique_ptr<ScopedPak> pak = std::make_unique<ScopedPak>();
    int archives = 0;
    HeadlessAudioDevice device;
    DSoundManager manager;
};

} // namespace Quib::Testing
