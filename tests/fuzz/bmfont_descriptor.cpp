// Parses any bytes as a bitmap-font descriptor and splits every line.
#include "framework/files/PakInterface.h"
#include "framework/graphics/BMFont.h"

#include <cstdio>
#include <string>
#include <unistd.h>

using namespace Quib;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/quib-fuzz-fnt-" + std::to_string(getpid()) + ".fnt";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    if (PakFile* file = PakFOpen(path)) {
        BMFontData font;
        BMFont::ParseDescriptor(&font, file);
        for (const std::string& page : font.pages)
            (void)page.size();
        (void)font.GetPageFile(int32_t(size));
        PakFClose(file);
    }
    std::string line(reinterpret_cast<const char*>(data), size);
    std::map<std::string, std::string> pairs;
    BMFont::SplitKeyValues(line.c_str(), pairs);
    std::remove(path.c_str());
    return 0;
}
