#pragma once
#include "framework/files/PakInterface.h"
#include "framework/graphics/BMFontData.h"
#include <map>
#include <string>

namespace Quib {

class BMFont {
public:
    // Reads a descriptor from an open file into data. True at the end of
    // the file or at an empty line; false at a line of an unknown kind or
    // a damaged one. What was read before stays in data.
    static bool ParseDescriptor(BMFontData* data, PakFile* file);

    // Stores the key=value pairs of a line (the first of a repeated key
    // wins; values may be quoted) and returns the line's kind word.
    static std::string SplitKeyValues(const char* line, std::map<std::string, std::string>& pairs);
};

} // namespace Quib
