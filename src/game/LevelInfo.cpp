#include "src/game/LevelInfo.h"

#include "framework/files/PrintfFormat.h"
#include "framework/files/StringUtils.h"

#include <vector>

namespace Quib {

std::string LevelInfo::Serialize() const
{
    return StrFormat("%d,%.3f", int(passed), value);
}

void LevelInfo::Parse(const std::string& text)
{
    std::vector<std::string> fields;
    SplitCommaTrimmed(text, fields);
    if (fields.empty() || fields[0].empty())
        return;
    passed = ParseLongC(fields[0]) == 1;
    if (fields.size() > 1)
        value = float(ParseDoubleC(fields[1]));
}

} // namespace Quib
