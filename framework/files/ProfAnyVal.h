#pragma once
#include "framework/files/IniDocument.h"

#include <string>
#include <string_view>

namespace Quib {

// One value of the current profile: read from the profile document, else
// from the settings copy; written to the profile document only.
class ProfAnyVal {
public:
    ProfAnyVal(IniDocument* profile, IniDocument* settings, std::string section, std::string key);
    ProfAnyVal(const ProfAnyVal& other) = default;
    ProfAnyVal& operator=(const ProfAnyVal& other) = default;
    ~ProfAnyVal() = default;
    // Lets go of the documents and names.
    void Destroy();

    // The value; a missing one is logged and reads as empty.
    std::string AnyValGet() const;
    void GetString(std::string& out) const { out = AnyValGet(); }
    // Sets the value, adding the section and the key when missing.
    void AnyValSet(const std::string& value);

private:
    IniDocument* mProfile = nullptr;
    IniDocument* mSettings = nullptr;
    std::string mSection;
    std::string mKey;
};

// Four lower-case hexadecimal digits per 16-bit character.
std::string HexEncodeW(std::u16string_view text);
// Four digits of either case per character; a trailing incomplete group is
// ignored, any other character counts as 0.
std::u16string HexDecodeW(std::string_view digits);

} // namespace Quib
