// Reads any bytes as a .au sound from a pak archive.
#include "SoundFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return Quib::Fuzz::LoadSoundFromPak(data, size, ".au", false, 2);
}
