// Any bytes as res\game.ini and as data/common.ini: every key of every
// section is read through each accessor of the game settings, and the path
// aliases made of the file are written out and must read back the same.
#include "FuzzSupport.h"
#include "framework/files/IniData.h"
#include "platform/FileNames.h"
#include "src/GameSettings.h"

#include <map>
#include <string>
#include <vector>

namespace {

using namespace Quib;

void ReadEverySetting()
{
    IniData& settings = GetGameSettings();
    std::vector<std::string> sections;
    settings.GetSectionNames(sections);
    for (const std::string& section : sections) {
        std::vector<std::string> keys;
        settings.GetKeyNames(section, keys);
        for (const std::string& key : keys) {
            std::vector<std::string> values;
            settings.GetValues(values, key, section);
            if (GetGameIniString(key, section, "\x01") != JoinStrings(values, ","))
                Fuzz::Fail("the whole value differs from its values");
            const Rect rect = GetGameIniRect(key, section, Rect(-1, -2, -3, -4));
            if (values.size() < 4 && rect != Rect(-1, -2, -3, -4))
                Fuzz::Fail("a rectangle made of fewer than four values");
            GetGameIniPoint(key, section, Point(0, 0));
            GetGameIniValue("", "", 0);
            GetGameIniFloat(key, section, 0.0f);
            for (int position = -1; position <= int(values.size()); ++position)
                GetGameIniInt(key, section, position, 0);
            // And on with empty names, past the last value.
            for (size_t i = 0; i <= values.size(); ++i)
                GetGameIniInt("", "", -1, 0);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fuzz::ScratchFolder folder;
    const std::string bytes(Fuzz::Text(data, size));
    std::map<std::string, std::string> aliases;
    {
        Fuzz::FuzzPak pak({{"res\\game.ini", bytes, {}}, {"data\\common.ini", bytes, {}}});
        LoadGameSettings();
        ReadEverySetting();
        LoadGameSettings("res\\none.ini");

        LoadCommonIni();
        aliases = (*pak).mPathAliases;
        if (!WriteCommonIni(folder.Path() + "/common.ini"))
            Fuzz::Fail("aliases not written");
    }
    PakInterface fresh;
    PakInterface* old = SetSharedPakInterface(&fresh);
    ClearDirectoryCache();
    LoadCommonIni(folder.Path() + "/common.ini");
    SetSharedPakInterface(old);
    if (fresh.mPathAliases != aliases)
        Fuzz::Fail("written aliases read back differently");
    return 0;
}
