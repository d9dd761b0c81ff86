#pragma once
#include <string>
#include <vector>

namespace Quib {

// The current player profile as the hidden-object levels use it; every
// call does nothing (or answers false) without a profile.
bool ProfileLookup(const std::string& section, const std::string& key, std::string& value);
void ProfileSet(const std::string& section, const std::string& key, const std::string& value);
// The int value of a key (0 when it is not a number); false when missing.
bool ProfileGetInt(const std::string& section, const std::string& key, int& value);
// The key names of a section in document order; false without a profile.
bool ListProfileSectionKeys(const std::string& section, std::vector<std::string>& keys);
void EraseProfileSection(const std::string& section);
bool SaveProfile();

} // namespace Quib
