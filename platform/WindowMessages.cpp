#include "platform/WindowMessages.h"

#include <mutex>
#include <string>
#include <vector>

namespace Quib {

uint32_t RegisterWindowMessage(std::string_view name)
{
    constexpr uint32_t kFirst = 0xC000, kLast = 0xFFFF;
    if (name.empty())
        return 0;
    std::string key(name);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    static std::mutex mutex;
    static std::vector<std::string> names;
    std::lock_guard lock(mutex);
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == key)
            return kFirst + uint32_t(i);
    if (names.size() > kLast - kFirst)
        return 0;
    names.push_back(std::move(key));
    return kFirst + uint32_t(names.size() - 1);
}

} // namespace Quib
