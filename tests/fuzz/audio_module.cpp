// Decodes any bytes as a tracker module; rendering is slow, so only its
// first rows are read.
#include "AudioFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return Quib::Fuzz::DecodeAudio(data, size, Quib::AudioFileKind::Module, true, 1 << 13);
}
