#include "src/game/quest/SBackFromHOGData.h"

#include "framework/files/PrintfFormat.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstScene.h"

#include <cstdlib>

namespace Quib {

QstItem* SBackFromHOGData::GetItem() const
{
    return QstScene::GetItemByRef(itemRef);
}

void SBackFromHOGData::SetItem(const QstItem* item)
{
    itemRef = item ? item->GetFullName() : std::string();
}

std::string SBackFromHOGData::Serialize() const
{
    std::string out = sceneName + "," + wonActions + "," + itemRef + "," + StrFormat("%d", noToPool ? 1 : 0) + "," +
                      hogItem + "," + StrFormat("%d", static_cast<int>(foundItems.size()));
    for (const std::string& name : foundItems)
        out += "," + name;
    return out;
}

bool SBackFromHOGData::Deserialize(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (parts.size() < 6)
        return false;
    char* end = nullptr;
    const long count = std::strtol(parts[5].c_str(), &end, 10);
    if (parts[5].empty() || *end != '\0' || count < 0 || static_cast<size_t>(count) != parts.size() - 6)
        return false;
    sceneName = parts[0];
    wonActions = parts[1];
    itemRef = parts[2];
    noToPool = std::atoi(parts[3].c_str()) == 1;
    hogItem = parts[4];
    foundItems.assign(parts.begin() + 6, parts.end());
    return true;
}

} // namespace Quib
