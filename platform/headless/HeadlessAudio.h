#pragma once
#include "platform/AudioDevice.h"

#include <vector>

namespace Quib {

// An audio device without output: the mix is rendered on demand, so tests
// pull samples and time moves only by what they render.
class HeadlessAudioDevice : public AudioDevice {
public:
    explicit HeadlessAudioDevice(uint32_t outputRate = 44100) : AudioDevice(outputRate) {}

    // Decodes ahead and mixes, a block at a time: `frames` frames of
    // interleaved 16-bit stereo.
    void Render(int16_t* out, size_t frames);
    std::vector<int16_t> Render(size_t frames);
    // Renders through the plain reference mixer instead of the fast one.
    void UseReferenceMixer(bool on) { mReference = on; }

private:
    bool mReference = false;
};

} // namespace Quib
