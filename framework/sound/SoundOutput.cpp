#include "framework/sound/SoundOutput.h"

#include "framework/files/PakInterface.h"
#include "platform/MessageSink.h"

#include <mutex>
#include <vector>

namespace Quib {

namespace {

struct OutputState {
    std::mutex mutex;
    std::shared_ptr<AudioDevice> device;
    SoundOutput::DecoderOpener opener;
};

OutputState& State()
{
    static OutputState state;
    return state;
}

} // namespace

std::shared_ptr<AudioDevice> SoundOutput::Device()
{
    std::lock_guard lock(State().mutex);
    return State().device;
}

void SoundOutput::SetDevice(std::shared_ptr<AudioDevice> device)
{
    std::lock_guard lock(State().mutex);
    State().device = std::move(device);
}

std::unique_ptr<AudioDecoder> SoundOutput::OpenDecoder(std::optional<AudioFileKind> kind, AudioBytes bytes)
{
    DecoderOpener opener;
    {
        std::lock_guard lock(State().mutex);
        opener = State().opener;
    }
    if (!bytes)
        return nullptr;
    if (opener)
        return opener(kind, std::move(bytes));
    return kind ? OpenAudioDecoder(*kind, std::move(bytes)) : OpenAudioDecoder(std::move(bytes));
}

void SoundOutput::SetDecoderOpener(DecoderOpener opener)
{
    std::lock_guard lock(State().mutex);
    State().opener = std::move(opener);
}

AudioBytes SoundOutput::ReadFile(std::string_view name, size_t maxBytes)
{
    PakFile* file = PakFOpen(name);
    if (!file)
        return nullptr;
    std::vector<uint8_t> bytes;
    if (PakFSeek(file, 0, SEEK_END) == 0) {
        const int32_t size = PakFTell(file);
        if (size > 0 && size_t(size) <= maxBytes && PakFSeek(file, 0, SEEK_SET) == 0) {
            bytes.resize(size_t(size));
            if (PakFRead(bytes.data(), 1, bytes.size(), file) != bytes.size())
                bytes.clear();
        } else if (size > 0 && size_t(size) > maxBytes) {
            OutputDebugString(std::string("Sound file too large: ") + std::string(name) + "\n");
        }
    }
    PakFClose(file);
    if (bytes.empty())
        return nullptr;
    return std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
}

} // namespace Quib
