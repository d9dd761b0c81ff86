#pragma once
#include <string>
#include <string_view>

namespace Quib {

// Walks the tokens of a delimited text. The text is trimmed of blanks and
// tabs at construction; each token is trimmed the same way.
class StringTokenizer {
public:
    explicit StringTokenizer(std::string_view text);

    // The next token into `out` (when given); false when none is left.
    // Without the skip-empty flag an empty text gives one empty token.
    bool Next(std::string* out = nullptr);
    // Reads a float from the next token into `out`; `out` keeps its value
    // when there is no token or it holds no number.
    StringTokenizer& NextNumber(float& out);

    std::string text;
    char delimiter = ',';
    int position = 0; // -1 once the text is used up
    bool skipEmpty = false;
};

} // namespace Quib
