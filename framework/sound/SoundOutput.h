#pragma once
// Where the sound libraries play: the audio device the application (or a
// test) installs, and the decoders they open for the files they load.
#include "platform/AudioDecoder.h"
#include "platform/AudioDevice.h"

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace Quib {

class SoundOutput {
public:
    using DecoderOpener =
        std::function<std::unique_ptr<AudioDecoder>(std::optional<AudioFileKind> kind, AudioBytes bytes)>;

    // Null until one is installed.
    static std::shared_ptr<AudioDevice> Device();
    static void SetDevice(std::shared_ptr<AudioDevice> device);

    // Through the installed opener, else the platform's decoders (the kind
    // guessed from the bytes when none is given).
    static std::unique_ptr<AudioDecoder> OpenDecoder(std::optional<AudioFileKind> kind, AudioBytes bytes);
    // An empty opener goes back to the platform's.
    static void SetDecoderOpener(DecoderOpener opener);

    // A whole file through the pak layer; null when it cannot be read, is
    // empty, or is larger than maxBytes.
    static AudioBytes ReadFile(std::string_view name, size_t maxBytes = kMaxFileBytes);

    static constexpr size_t kMaxFileBytes = size_t(256) << 20;
};

} // namespace Quib
