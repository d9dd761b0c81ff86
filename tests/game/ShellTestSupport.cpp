#include "tests/game/ShellTestSupport.h"

#include "framework/files/IniFile.h"
#include "framework/files/StringUtils.h"

namespace Quib::Testing {

int FakeShellHost::GetGameIniInt(const std::string& key, const std::string& section, int position, int def)
{
    (void)position;
    auto found = settings.find(section + ":" + key);
    return found == settings.end() ? def : int(ParseLongC(found->second));
}

float FakeShellHost::GetGameIniFloat(const std::string& key, const std::string& section, float def)
{
    auto found = settings.find(section + ":" + key);
    return found == settings.end() ? def : float(ParseDoubleC(found->second));
}

bool FakeShellHost::LoadCurrentProfile()
{
    if (profilePath.empty())
        return false;
    if (!mProfile) {
        mProfile = std::make_unique<IniDocument>();
        LoadIniFile(*mProfile, profilePath); // a new profile has no file yet
    }
    return true;
}

bool FakeShellHost::LookupProfileValue(const std::string& section, const std::string& key, std::string& value)
{
    if (!LoadCurrentProfile())
        return false;
    const IniSection* s = mProfile->FindSectionRecord(section);
    const IniEntry* entry = s ? s->FindKey(key) : nullptr;
    if (!entry)
        return false;
    value = entry->value;
    return true;
}

void FakeShellHost::SetProfileValue(const std::string& section, const std::string& key, const std::string& value)
{
    if (!LoadCurrentProfile())
        return;
    IniIterator it = mProfile->GetOrAddKey(mProfile->AddSection(section), key);
    it.SetValue(value);
}

void FakeShellHost::SaveCurrentProfile()
{
    if (mProfile && SaveIniFile(profilePath, *mProfile))
        ++saves;
}

std::string FakeShellHost::Profile(const std::string& section, const std::string& key) const
{
    IniDocument doc;
    if (!LoadIniFile(doc, profilePath))
        return "(none)";
    const IniSection* s = doc.FindSectionRecord(section);
    const IniEntry* entry = s ? s->FindKey(key) : nullptr;
    return entry ? entry->value : "(none)";
}

} // namespace Quib::Testing
