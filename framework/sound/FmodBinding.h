#pragma once

namespace Quib {

// The FMOD entry points the sound manager calls in FMOD mode. An empty
// entry is skipped.
struct FmodBinding {
    void (*loadLibrary)() = nullptr;          // takes one reference to the library
    void (*releaseLibrary)() = nullptr;       // drops it
    bool (*setHwnd)(void* window) = nullptr;
    bool (*setBufferSize)(int ms) = nullptr;
    bool (*init)(int mixRate, int maxChannels, unsigned int flags) = nullptr;
    void (*close)() = nullptr;
};

} // namespace Quib
