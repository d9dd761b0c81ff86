// Reads any bytes as a .j2k picture from a pak archive.
#include "ImageFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return Quib::Fuzz::LoadImageFromPak(data, size, ".j2k");
}
