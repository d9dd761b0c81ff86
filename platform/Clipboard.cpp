#include "platform/Clipboard.h"

#include "platform/TextCodecs.h"

namespace Quib {

bool Clipboard::SetText(std::string_view windows1252)
{
    const size_t end = windows1252.find('\0');
    if (end != std::string_view::npos)
        windows1252 = windows1252.substr(0, end);
    return SetUtf8(Utf16ToUtf8(Windows1252ToUtf16(windows1252)));
}

std::string Clipboard::GetText()
{
    std::string text = Utf16ToWindows1252(Utf8ToUtf16(GetUtf8()));
    const size_t end = text.find('\0');
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

} // namespace Quib
