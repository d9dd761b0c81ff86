#pragma once
// Decoded music kept as WAV files under the user's data folder, in
// "cached\" + the track's normalised path + ".wav", so that each track is
// decoded once per installation.
#include "platform/AudioDecoder.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Quib {

class MusicCache {
public:
    static constexpr size_t kHeaderBytes = 44;

    // A cache file as read back: its format and where its PCM lies.
    struct Wav {
        int channels = 0;
        int bitsPerSample = 0;
        uint32_t sampleRate = 0;
        AudioBytes bytes;
        size_t dataOffset = 0;
        size_t dataSize = 0;
    };

    // The user's data folder, ending with a separator: the application's
    // own folder when it has set one, else the platform's data folder.
    static std::string Folder();
    // Where the decoded form of a track (named without extension) is kept;
    // empty for a name that cannot be normalised.
    static std::string PathFor(std::string_view trackName);

    // The header of a cache file: RIFF, a 16-byte PCM "fmt " chunk, "data".
    static std::array<uint8_t, kHeaderBytes> Header(int channels, int bitsPerSample, uint32_t sampleRate,
        uint32_t dataSize);
    // A cache file's contents; none for anything but the layout Header
    // writes with whole frames of 8- or 16-bit mono or stereo PCM.
    static std::optional<Wav> Parse(AudioBytes bytes);
    // Reads a cache file through the pak layer.
    static std::optional<Wav> Read(std::string_view path);
    // Writes header and data beside the target and renames it into place;
    // on failure the target is removed and the failure logged.
    static bool Write(const std::string& path, int channels, int bitsPerSample, uint32_t sampleRate,
        const uint8_t* data, uint32_t dataSize);
};

} // namespace Quib
