#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "framework/files/PakInterface.h"

namespace Quib {

struct PakMember {
    std::string name;   // backslash separators, at most 255 bytes
    std::string data;
    FileTime time;
};

// The scrambled archive holding the members in the order given; empty when
// a name is longer than 255 bytes or the archive would reach 2 GB.
std::string BuildPakArchive(const std::vector<PakMember>& members);
// Builds the archive and writes it atomically; false on any failure.
bool WritePakArchive(std::string_view path, const std::vector<PakMember>& members);

} // namespace Quib
