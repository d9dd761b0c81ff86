#include "src/screens/MovieStartData.h"

#include "framework/files/StringTokenizer.h"

namespace Quib {

MovieStartData MovieStartData::Read(const std::string& text)
{
    MovieStartData record;
    StringTokenizer tokens(text);
    tokens.delimiter = ',';
    std::string* const fields[] = {&record.level, &record.returnScene, &record.sound};
    for (std::string* field : fields) {
        if (!tokens.Next(field))
            return record;
    }
    std::string reference;
    if (tokens.Next(&reference))
        record.itemReference = reference;
    return record;
}

} // namespace Quib
