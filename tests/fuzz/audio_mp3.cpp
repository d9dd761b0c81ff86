// Decodes any bytes as an MP3 file.
#include "AudioFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return Quib::Fuzz::DecodeAudio(data, size, Quib::AudioFileKind::Mp3, true);
}
