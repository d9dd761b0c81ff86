// Decodes any bytes as an Ogg Vorbis file.
#include "AudioFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return Quib::Fuzz::DecodeAudio(data, size, Quib::AudioFileKind::Ogg, false);
}
