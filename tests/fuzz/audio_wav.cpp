// Decodes any bytes as a WAV file.
#include "AudioFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return Quib::Fuzz::DecodeAudio(data, size, Quib::AudioFileKind::Wav, true);
}
