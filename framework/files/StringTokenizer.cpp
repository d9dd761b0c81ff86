#include "framework/files/StringTokenizer.h"

#include "framework/files/StringUtils.h"

namespace Quib {

StringTokenizer::StringTokenizer(std::string_view input) : text(TrimBlanksAndTabs(input)) {}

bool StringTokenizer::Next(std::string* out)
{
    for (;;) {
        if (position < 0 || static_cast<size_t>(position) > text.size())
            return false;
        size_t start = static_cast<size_t>(position);
        size_t end = text.find(delimiter, start);
        bool last = end == std::string::npos;
        if (last) {
            end = text.size();
            position = -1;
        } else {
            position = static_cast<int>(end + 1);
        }
        std::string token = TrimBlanksAndTabs(std::string_view(text).substr(start, end - start));
        if (skipEmpty && token.empty()) {
            if (last)
                return false;
            continue;
        }
        if (out)
            *out = std::move(token);
        return true;
    }
}

StringTokenizer& StringTokenizer::NextNumber(float& out)
{
    std::string token;
    if (Next(&token)) {
        size_t used = 0;
        double value = ParseDoubleC(token, &used);
        if (used > 0)
            out = static_cast<float>(value);
    }
    return *this;
}

} // namespace Quib
