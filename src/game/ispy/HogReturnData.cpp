#include "src/game/ispy/HogReturnData.h"

#include <cstdlib>

namespace Quib {

std::string HogReturnData::Serialize() const
{
    std::string out = sceneName + "," + wonAction + "," + itemRef + "," + (noToPool ? "1" : "0") + "," + listName +
                      "," + std::to_string(foundItems.size());
    for (const std::string& item : foundItems)
        out += "," + item;
    return out;
}

void HogReturnData::Deserialize(const std::string& text)
{
    std::vector<std::string> tokens;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        tokens.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    size_t at = 0;
    auto next = [&](std::string& out) {
        if (at >= tokens.size())
            return false;
        out = tokens[at++];
        return true;
    };
    std::string token;
    next(sceneName);
    next(wonAction);
    next(itemRef);
    if (next(token))
        noToPool = std::atoi(token.c_str()) == 1;
    next(listName);
    if (!next(token))
        return;
    // The count comes from a file the player can edit: never more names
    // than the text holds, never a negative count.
    long count = std::strtol(token.c_str(), nullptr, 10);
    const long available = long(tokens.size() - at);
    count = count < 0 ? 0 : count > available ? available : count;
    foundItems.assign(tokens.begin() + std::ptrdiff_t(at), tokens.begin() + std::ptrdiff_t(at) + count);
}

} // namespace Quib
