#include "platform/SettingsRanges.h"

#include <algorithm>

namespace Quib {

const SettingRange* FindSettingRange(std::string_view name)
{
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    for (const SettingRange& range : kSettingRanges) {
        if (range.name.size() == name.size() && std::equal(name.begin(), name.end(), range.name.begin(),
                                                           [&](char a, char b) { return lower(a) == lower(b); }))
            return &range;
    }
    return nullptr;
}

int32_t ClampSetting(std::string_view name, int32_t value)
{
    const SettingRange* range = FindSettingRange(name);
    if (!range)
        return value;
    if (range->flag)
        return value != 0 ? 1 : 0;
    return std::clamp(value, range->min, range->max);
}

} // namespace Quib
