#pragma once
// Loads fuzz input as a sound file from a pak archive, through the sound
// manager over the headless device, and plays a little of what loaded.
#include "FuzzSupport.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/SoundFileReaders.h"
#include "framework/sound/SoundInstance.h"
#include "platform/headless/HeadlessAudio.h"

namespace Quib::Fuzz {

// pcmPerByte: the most PCM bytes one file byte may decode to (0: only the cap).
inline int LoadSoundFromPak(const uint8_t* data, size_t size, const char* extension, bool fmod, size_t pcmPerByte)
{
    static HeadlessAudioDevice device;
    FuzzPak pak({{std::string("sfx\\s") + extension, std::string(Text(data, size)), {}}});
    DSoundManager manager(&device, &device, fmod);
    const bool loaded = manager.LoadSound(0, "sfx\\s");
    const std::shared_ptr<SoundBuffer>& buffer = manager.Buffer(0);
    if (loaded != (buffer != nullptr))
        Fail("a load's answer and its buffer disagree");
    if (!buffer)
        return 0;
    if (buffer->Size() > kMaxSoundBytes || (pcmPerByte && buffer->Size() > pcmPerByte * size))
        Fail("more PCM than the file states");
    if (SoundInstance* instance = manager.GetSoundInstance(0)) {
        instance->AdjustPitch(7);
        instance->Play(true, false);
        int16_t out[2 * 256];
        device.Render(out, 256);
    }
    return 0;
}

} // namespace Quib::Fuzz
