// Parses arbitrary bytes as an XML file until the end or the first error.
#include "framework/files/XMLParser.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Memory-backed when possible: rewriting a disk file each run is slow.
    static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/quib-fuzz-xml-" + std::to_string(getpid()) + ".xml";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    Quib::XMLParser parser;
    if (!parser.OpenFile(path))
        return 0;
    Quib::XMLElement element;
    size_t count = 0;
    while (parser.NextElement(&element)) {
        // Every element takes at least one character of the input, the
        // end tags of self-closing tags aside.
        if (++count > 2 * size + 2)
            __builtin_trap();
    }
    if (parser.mHasFailed && parser.GetErrorText().empty())
        __builtin_trap();
    return 0;
}
