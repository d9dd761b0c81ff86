#include "src/GameSettings.h"

#include "framework/files/IniData.h"
#include "framework/files/PakInterface.h"
#include "framework/files/StringUtils.h"
#include "platform/FileNames.h"

#include <memory>
#include <vector>

namespace Quib {

namespace {

std::unique_ptr<IniData>& SettingsHolder()
{
    static std::unique_ptr<IniData> settings = std::make_unique<IniData>();
    return settings;
}

// Selects the section when one is named; the section to read from, or none.
IniDataSection* Section(const std::string& section)
{
    IniData& settings = GetGameSettings();
    if (!section.empty())
        settings.SelectSection(StringToLower(section));
    return settings.GetCurrentSection();
}

} // namespace

IniData& GetGameSettings()
{
    return *SettingsHolder();
}

void LoadGameSettings(const std::string& path)
{
    auto fresh = std::make_unique<IniData>();
    fresh->LoadFile(path);
    SettingsHolder() = std::move(fresh);
}

int GetGameIniInt(const std::string& key, const std::string& section, int position, int def)
{
    return IniData::NextInt(Section(section), StringToLower(key), def, position);
}

float GetGameIniFloat(const std::string& key, const std::string& section, float def)
{
    return IniData::NextFloat(Section(section), StringToLower(key), def);
}

Rect GetGameIniRect(const std::string& key, const std::string& section, const Rect& def)
{
    return IniData::ReadRect(Section(section), StringToLower(key), def);
}

Point GetGameIniPoint(const std::string& key, const std::string& section, const Point& def)
{
    return IniData::ReadPoint(Section(section), StringToLower(key), def);
}

int32_t GetGameIniValue(const std::string& key, const std::string& section, int32_t def)
{
    return IniData::ReadHex(Section(section), StringToLower(key), def);
}

std::string GetGameIniString(const std::string& key, const std::string& section, const std::string& def)
{
    if (!Section(section))
        return def;
    std::vector<std::string> values;
    GetGameSettings().GetValues(values, StringToLower(key), std::string());
    return values.empty() ? def : JoinStrings(values, ",");
}

void LoadCommonIni(const std::string& path)
{
    PakInterface* pak = GetSharedPakInterface();
    if (!pak)
        return;
    IniData ini;
    ini.LoadFile(path);
    std::vector<std::string> keys;
    ini.GetKeyNames("common", keys);
    for (const std::string& key : keys) {
        // Stored as look-ups find it: normalised (a name written with "/"
        // would otherwise never match). Too long a name cannot be asked for.
        const std::string name = NormalizePakPath(key);
        if (name.empty())
            continue;
        pak->mPathAliases[name] = StringToUpper(ini.GetStringDefault("common", key, ""));
    }
}

bool WriteCommonIni(const std::string& path)
{
    PakInterface* pak = GetSharedPakInterface();
    std::string text = "[common]\r\n";
    if (pak)
        for (const auto& [name, target] : pak->mPathAliases)
            text += name + "=" + target + "\r\n";
    AtomicFileWriter writer(path);
    return writer.Write(text) && writer.Commit();
}

} // namespace Quib
