#pragma once
// Runs the picture loader over fuzz input stored as a member of a pak
// archive. (The alpha merge is a plain pixel loop that coverage
// instrumentation makes very slow on large pictures; the unit tests cover it.)
#include "framework/files/PakArchiveWriter.h"
#include "framework/files/PakInterface.h"
#include "framework/graphics/ImageLib.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace Quib::Fuzz {

inline int LoadImageFromPak(const uint8_t* data, size_t size, const char* extension)
{
    static const std::string path = "/tmp/quib-fuzz-image-" + std::to_string(getpid()) + ".pak";
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string name = std::string("gfx\\pic") + extension;
    std::string archive = BuildPakArchive({{name, bytes, {}}});
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(archive.data(), 1, archive.size(), f);
    std::fclose(f);
    ImageLib::LoadJ2kCodec();
    PakInterface pak;
    PakInterface* old = SetSharedPakInterface(&pak);
    if (pak.AddPakFile(path))
        ImageLib::LoadImageFile(name, false);
    SetSharedPakInterface(old);
    std::remove(path.c_str());
    return 0;
}

} // namespace Quib::Fuzz
