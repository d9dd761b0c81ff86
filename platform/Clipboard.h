#pragma once
#include <string>
#include <string_view>

namespace Quib {

// The system clipboard for text. Callers speak narrow Windows-1252 text;
// the backends keep UTF-8 (what the system clipboard holds here).
class Clipboard {
public:
    virtual ~Clipboard() = default;

    // Replaces the clipboard with the text up to its first zero byte; false
    // when the clipboard cannot be used.
    bool SetText(std::string_view windows1252);
    // The clipboard's text; characters Windows-1252 has no byte for become
    // '?'. Empty when there is none or the clipboard cannot be used.
    std::string GetText();

    virtual bool SetUtf8(const std::string& utf8) = 0;
    virtual std::string GetUtf8() = 0;
};

} // namespace Quib
