#pragma once
// A headless device and made-up decoders for the music tests, and recorders
// that log the calls made through a library record.
#include "framework/files/PathUtils.h"
#include "framework/sound/SoundOutput.h"
#include "platform/headless/HeadlessAudio.h"
#include "tests/support/AudioTestSupport.h"
#include "tests/support/TempDir.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace Quib::Testing {

// Installs a headless device and a decoder opener for every file: a file
// whose text is "tone <rate> <channels> <frames>" decodes to that
// ToneDecoder; anything else fails. The working directory is a fresh
// folder, which is also the application's data folder.
class MusicFixture {
public:
    MusicFixture() : device(std::make_shared<HeadlessAudioDevice>()), mDir(), mWorking(mDir.Path())
    {
        SoundOutput::SetDevice(device);
        SetFolderWithSlash(std::u16string(mDir.Path().begin(), mDir.Path().end()) + u"/");
        SoundOutput::SetDecoderOpener([this](std::optional<AudioFileKind>, AudioBytes bytes) {
            ++opened;
            int rate = 0, channels = 0;
            long long frames = 0;
            const std::string text(bytes->begin(), bytes->end());
            if (std::sscanf(text.c_str(), "tone %d %d %lld", &rate, &channels, &frames) != 3)
                return std::unique_ptr<AudioDecoder>();
            return std::unique_ptr<AudioDecoder>(std::make_unique<ToneDecoder>(rate, channels, frames));
        });
    }
    ~MusicFixture()
    {
        SoundOutput::SetDecoderOpener({});
        SoundOutput::SetDevice(nullptr);
        SetFolderWithSlash(u"");
    }

    static std::string Tone(int rate = 44100, int channels = 2, long long frames = 44100)
    {
        return "tone " + std::to_string(rate) + " " + std::to_string(channels) + " " + std::to_string(frames);
    }
    std::string Write(const std::string& name, const std::string& bytes) const { return mDir.WriteFile(name, bytes); }

    // A module of two orders that sound apart (TinyModule) written under
    // the name; the platform's decoders open every file from then on.
    void WriteTwoOrderModule(const std::string& name)
    {
        const std::vector<uint8_t> module = TinyModule(2, false, 2);
        Write(name, std::string(module.begin(), module.end()));
        SoundOutput::SetDecoderOpener({});
    }
    // The first `frames` frames of that module played from an order, as
    // its decoder gives them.
    static std::vector<int16_t> TwoOrderModuleFrom(int order, size_t frames)
    {
        auto decoder = OpenAudioDecoder(std::make_shared<const std::vector<uint8_t>>(TinyModule(2, false, 2)));
        std::vector<int16_t> out(2 * frames);
        if (!decoder || !decoder->SeekOrder(order, 0) || decoder->Read(out.data(), frames) != frames)
            out.clear();
        return out;
    }
    const std::string& Dir() const { return mDir.Path(); }

    // Frames of output, each compared with the tone at a gain; the largest
    // difference in least significant bits.
    int LargestError(size_t frames, double gain, uint64_t firstToneFrame = 0)
    {
        const std::vector<int16_t> out = device->Render(frames);
        int worst = 0;
        for (size_t i = 0; i < frames; ++i)
            for (int c = 0; c < 2; ++c) {
                const int want = int(std::lround(ToneDecoder::At(firstToneFrame + i, c) * gain));
                worst = std::max(worst, std::abs(out[2 * i + c] - want));
            }
        return worst;
    }
    bool Silent(size_t frames)
    {
        for (int16_t s : device->Render(frames))
            if (s != 0)
                return false;
        return true;
    }

    std::shared_ptr<HeadlessAudioDevice> device;
    int opened = 0;

private:
    TempDir mDir;
    ScopedWorkingDirectory mWorking;
};

// A log of calls: "Name(arg, arg)".
class CallLog {
public:
    template <class R, class... A>
    void Wrap(std::function<R(A...)>& slot, std::string name)
    {
        auto real = slot;
        slot = [this, real, name](A... args) -> R {
            std::ostringstream line;
            line << name << "(";
            int n = 0;
            ((line << (n++ ? ", " : "") << Show(args)), ...);
            line << ")";
            calls.push_back(line.str());
            return real(args...);
        };
    }

    template <class T>
    static std::string Show(T value)
    {
        if constexpr (std::is_same_v<T, const char*>)
            return value ? std::string("\"") + value + "\"" : "null";
        else if constexpr (std::is_pointer_v<T>)
            return value ? "ptr" : "null";
        else if constexpr (std::is_same_v<T, bool>)
            return value ? "true" : "false";
        else {
            std::ostringstream s;
            s << value;
            return s.str();
        }
    }

    std::vector<std::string> Take()
    {
        std::vector<std::string> taken;
        taken.swap(calls);
        return taken;
    }

    std::vector<std::string> calls;
};

} // namespace Quib::Testing
