// Reads any bytes as a .gif picture from a pak archive.
#include "ImageFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return Quib::Fuzz::LoadImageFromPak(data, size, ".gif");
}
