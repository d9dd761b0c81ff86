#pragma once
#include "framework/files/IniDocument.h"

#include <string>
#include <string_view>

namespace Quib {

class ScopedPakFile;

// Reads a document through the pak layer; false (document untouched) when
// the file cannot be opened.
bool LoadIniFile(IniDocument& doc, std::string_view path);
bool LoadIniFileW(IniDocumentW& doc, std::string_view path);

// Writes a document atomically: true only when the whole file was written
// and has replaced the old one, which is otherwise left as it was.
bool SaveIniFile(std::string_view path, const IniDocument& doc);
bool SaveIniFileW(std::string_view path, const IniDocumentW& doc);

// The document as the writers put it into a file (without byte-order mark).
template <class CharT> std::basic_string<CharT> IniFormatDocument(const BasicIniDocument<CharT>& doc);
// Appends a value or name with the escapes the reader turns back into it
// ("/" and blanks at either end included). A key name still cannot hold "="
// or begin with "[", nor a section name hold "]".
template <class CharT> void IniAppendEscaped(std::basic_string<CharT>& out, const std::basic_string<CharT>& text);

bool IniWriteEscaped(const std::string& value, ScopedPakFile& file);
bool IniWriteEscapedW(const std::u16string& value, ScopedPakFile& file);
// When the flag is set, writes the 16-bit byte-order mark (FF FE).
bool WriteWideBom(ScopedPakFile& file, bool flag);

extern template std::string IniFormatDocument(const BasicIniDocument<char>&);
extern template std::u16string IniFormatDocument(const BasicIniDocument<char16_t>&);

} // namespace Quib
