// Loads any bytes as a pak archive and reads every member every way.
#include "framework/files/PakInterface.h"

#include <cstdio>
#include <string>
#include <unistd.h>

using namespace Quib;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/quib-fuzz-pak-" + std::to_string(getpid()) + ".pak";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    PakInterface pak;
    pak.AddPakFile(path);
    char buffer[257];
    for (auto& [key, entry] : pak.mEntries) {
        PakFile* file = pak.FOpen(key, "rb");
        if (!file)
            continue;
        while (pak.FRead(buffer, 3, 85, file) > 0) {
        }
        pak.FSeek(file, -7, SEEK_END);
        while (pak.FGetC(file) >= 0)
            pak.UnGetC(0, file), pak.FGetC(file);
        pak.FSeek(file, 0, SEEK_SET);
        while (pak.FGetS(buffer, sizeof(buffer), file)) {
        }
        pak.FClose(file);
    }
    PakFindData found;
    if (PakFindHandle search = pak.FindFirstFile("/tmp/*", &found)) {
        while (pak.FindNextFile(search, &found)) {
        }
        pak.FindClose(search);
    }
    std::remove(path.c_str());
    return 0;
}
