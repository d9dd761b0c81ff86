// Reads any bytes as a .wav sound from a pak archive.
#include "SoundFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return Quib::Fuzz::LoadSoundFromPak(data, size, ".wav", false, 1);
}
