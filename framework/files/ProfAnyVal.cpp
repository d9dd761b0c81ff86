#include "framework/files/ProfAnyVal.h"

#include "framework/files/ProcessLog.h"
#include "framework/files/StringUtils.h"

#include <utility>

namespace Quib {

ProfAnyVal::ProfAnyVal(IniDocument* profile, IniDocument* settings, std::string section, std::string key)
    : mProfile(profile), mSettings(settings), mSection(std::move(section)), mKey(std::move(key))
{
}

void ProfAnyVal::Destroy()
{
    mProfile = nullptr;
    mSettings = nullptr;
    mSection.clear();
    mKey.clear();
}

std::string ProfAnyVal::AnyValGet() const
{
    for (IniDocument* doc : {mProfile, mSettings}) {
        if (!doc)
            continue;
        IniIterator it = doc->FindKey(mSection, mKey);
        if (it != IniDocument::End())
            return it.Value();
    }
    ProcessLog* log = ProcessLog::GetInstance();
    std::lock_guard lock(log->Mutex());
    log->SetSourcePos("src\\Profiles", __DATE__ " " __TIME__, "std::string ProfAnyVal::AnyValGet() const", 20);
    log->LogErrorAt("String not found in profile: section=\"%s\"; key=\"%s\"", mSection.c_str(), mKey.c_str());
    return {};
}

void ProfAnyVal::AnyValSet(const std::string& value)
{
    if (!mProfile)
        return;
    IniIterator section = mProfile->AddSection(mSection);
    IniIterator key = mProfile->GetOrAddKey(section, mKey);
    key.SetValue(value);
}

std::string HexEncodeW(std::u16string_view text)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() * 4);
    for (char16_t c : text)
        for (int shift = 12; shift >= 0; shift -= 4)
            out += digits[(c >> shift) & 0xF];
    return out;
}

std::u16string HexDecodeW(std::string_view digits)
{
    std::u16string out;
    out.reserve(digits.size() / 4);
    for (size_t i = 0; i + 4 <= digits.size(); i += 4) {
        unsigned c = 0;
        for (size_t k = 0; k < 4; ++k)
            c = (c << 4) | HexDigitValue(uint8_t(digits[i + k]));
        out += char16_t(c);
    }
    return out;
}

} // namespace Quib
