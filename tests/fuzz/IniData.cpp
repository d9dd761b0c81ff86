// Loads any bytes as a settings file (through the pak layer, lower-cased
// as the program loads it), reads every value through each reader, writes
// the data out and loads it again: every section, key and value must come
// back as it was.
#include "FuzzSupport.h"
#include "framework/files/IniData.h"

#include <cstdio>
#include <utility>

namespace {

using namespace Quib;

using Snapshot = std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::vector<std::string>>>>>;

Snapshot Take(IniData& ini)
{
    Snapshot out;
    std::vector<std::string> names;
    ini.GetSectionNames(names);
    for (const std::string& name : names) {
        auto& keys = out.emplace_back(name, decltype(out[0].second){}).second;
        for (const IniDataKey& key : ini.SelectSection(name)->mKeys)
            keys.emplace_back(key.mName, key.mValues);
    }
    return out;
}

void ReadEverything(IniData& ini)
{
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
            std::vector<std::string> values;
            ini.GetValues(values, key, "");
            while (ini.GetStringDefault("", "", "\x01") != "\x01") {
            }
        }
    }
}

// Written files go where writing is cheapest, one name per process, and
// are removed after each run.
const std::string& WrittenPath()
{
    static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/quib-fuzz-ini-" + std::to_string(getpid()) + ".ini";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quib::Fuzz;
    FuzzPak pak({{"res\\fuzz.ini", std::string(Text(data, size)), {}}});
    IniData ini;
    ini.LoadFile("res/FUZZ.ini");
    ReadEverything(ini);
    const Snapshot before = Take(ini);

    const std::string& path = WrittenPath();
    if (!ini.WriteFile(path))
        Fail("settings not written");
    IniData again;
    again.LoadFile(path);
    std::remove(path.c_str());
    if (Take(again) != before)
        Fail("written settings read back differently");
    return 0;
}
