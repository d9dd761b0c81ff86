#pragma once
#include "framework/files/IniDocument.h"
#include "framework/files/IniStdIFile.h"

#include <sstream>
#include <string>

namespace Quib::Testing {

// Reads text into a document as a file would be read.
template <class CharT> void ParseInto(BasicIniDocument<CharT>& doc, const std::string& bytes)
{
    std::istringstream in(bytes);
    IniStdIStream source(in);
    doc.Load(&source);
}

// 16-bit text as little-endian bytes.
inline std::string Utf16Bytes(const std::u16string& text)
{
    std::string bytes;
    for (char16_t c : text) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    return bytes;
}

// A line per section, "[name]" then its entries: "name=value" for a key,
// "#<flags>{text}" for a comment.
inline std::string Describe(IniDocument& doc)
{
    std::string out;
    for (int32_t s = 0; s < doc.SectionCount(); ++s) {
        const IniSection& section = *doc.SectionAt(s);
        if (s)
            out += "|";
        out += "[" + section.name + "]";
        for (const auto& e : section.order) {
            if (e->kind == INI_KEY)
                out += " " + e->name + "=" + e->value;
            else
                out += " #" + std::to_string(e->flags) + "{" + e->name + "}";
        }
    }
    return out;
}

} // namespace Quib::Testing
