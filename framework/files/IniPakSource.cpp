#include "framework/files/IniPakSource.h"

#include "framework/files/PakInterface.h"

namespace Quib {

size_t IniPakSource::ReadBytes(void* buffer, size_t size)
{
    PakFile* file = File();
    return file ? PakFRead(buffer, 1, size, file) : 0;
}

} // namespace Quib
