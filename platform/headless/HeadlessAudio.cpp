#include "platform/headless/HeadlessAudio.h"

#include <algorithm>

namespace Quib {

void HeadlessAudioDevice::Render(int16_t* out, size_t frames)
{
    constexpr size_t kBlock = 1024; // what an output callback asks for at a time
    while (frames > 0) {
        const size_t n = std::min(frames, kBlock);
        DecodeAhead();
        if (mReference)
            MixReference(out, n);
        else
            Mix(out, n);
        out += 2 * n;
        frames -= n;
    }
}

std::vector<int16_t> HeadlessAudioDevice::Render(size_t frames)
{
    std::vector<int16_t> out(2 * frames);
    Render(out.data(), frames);
    return out;
}

} // namespace Quib
