// Parses arbitrary bytes as an ini file, reads every value through each
// reader, writes the data out and reads it back.
#include "framework/files/IniData.h"

#include <cstdint>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quib;
    IniData ini;
    ini.Parse(std::string_view(reinterpret_cast<const char*>(data), size));

    std::vector<std::string> sections;
    ini.GetSectionNames(sections);
    for (const std::string& name : sections) {
        std::vector<std::string> keys;
        ini.GetKeyNames(name, keys);
        IniDataSection* section = ini.SelectSection(name);
        for (const std::string& key : keys) {
            ini.GetString("", key);
            IniData::NextInt(section, key, 0, 1);
            IniData::NextFloat(section, key, 0);
            IniData::ReadHex(section, key, 0);
            IniData::ReadPoint(section, key, Point());
            IniData::ReadRect(section, key, Rect());
            while (ini.GetStringDefault("", "", "\x01") != "\x01") {
            }
        }
    }

    // Memory-backed when possible: rewriting a disk file each run is slow.
    static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/quib-fuzz-ini-" + std::to_string(getpid()) + ".ini";
    if (ini.WriteFile(path)) {
        IniData again;
        again.LoadFile(path);
        std::vector<std::string> names;
        again.GetSectionNames(names);
        if (names.size() > sections.size())
            __builtin_trap();
    }
    return 0;
}
