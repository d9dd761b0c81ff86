#include "src/game/ispy/HogProfile.h"

#include "framework/files/IniDocument.h"
#include "src/Profiles.h"

#include <cstdlib>

namespace Quib {

namespace {

IniDocument* CurrentDocument()
{
    Profiles& profiles = Profiles::Instance();
    if (!profiles.LoadCurrent())
        return nullptr;
    auto it = profiles.Entries().find(profiles.CurrentName());
    return it == profiles.Entries().end() ? nullptr : it->second.document.get();
}

} // namespace

bool ProfileLookup(const std::string& section, const std::string& key, std::string& value)
{
    return Profiles::Instance().Lookup(section, key, value);
}

void ProfileSet(const std::string& section, const std::string& key, const std::string& value)
{
    if (Profiles::Instance().LoadCurrent())
        Profiles::Instance().SetString(section, key, value);
}

bool ProfileGetInt(const std::string& section, const std::string& key, int& value)
{
    std::string text;
    if (!ProfileLookup(section, key, text))
        return false;
    value = int(std::strtol(text.c_str(), nullptr, 10));
    return true;
}

bool ListProfileSectionKeys(const std::string& section, std::vector<std::string>& keys)
{
    IniDocument* doc = CurrentDocument();
    if (!doc)
        return false;
    if (IniSection* record = doc->FindSectionRecord(section))
        for (const auto& entry : record->order)
            if (entry->kind == INI_KEY)
                keys.push_back(entry->name);
    return true;
}

void EraseProfileSection(const std::string& section)
{
    if (IniDocument* doc = CurrentDocument())
        doc->EraseSection(section);
}

bool SaveProfile() { return Profiles::Instance().SaveCurrent(); }

} // namespace Quib
