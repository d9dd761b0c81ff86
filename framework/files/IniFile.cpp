#include "framework/files/IniFile.h"

#include "framework/files/IniPakSource.h"
#include "framework/files/ScopedPakFile.h"

namespace Quib {

namespace {

// 16-bit text goes to files little-endian.
bool WriteUnits(ScopedPakFile& file, const std::u16string& text)
{
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    return file.Write(bytes.data(), bytes.size());
}

bool WriteUnits(ScopedPakFile& file, const std::string& text)
{
    return file.Write(text.data(), text.size());
}

template <class CharT> bool LoadInto(BasicIniDocument<CharT>& doc, std::string_view path)
{
    ScopedPakFile file = ScopedPakFile::OpenRead(path, sizeof(CharT) == 2);
    if (!file.IsOpen())
        return false;
    IniPakSource source(std::move(file));
    doc.Load(&source);
    return true;
}

template <class Doc> bool SaveFrom(std::string_view path, const Doc& doc)
{
    constexpr bool wide = std::is_same_v<Doc, IniDocumentW>;
    ScopedPakFile file = ScopedPakFile::OpenWrite(path, wide);
    if (!file.IsOpen())
        return false;
    bool written;
    if constexpr (wide)
        written = doc.WriteW(file);
    else
        written = doc.Write(file);
    // A failed write leaves the old file in place.
    bool closed = written ? file.Close() : false;
    return written && closed;
}

template <class CharT> bool IsBlockComment(const std::basic_string<CharT>& text)
{
    return text.size() >= 2 && text[0] == CharT('/') && text[1] == CharT('*');
}

// Comments are written as they were read, made whole where the file ended
// inside one: a block comment gets its "*/", and a blank follows a last
// backslash so that it does not continue the comment onto the next line.
template <class CharT> void AppendComment(std::basic_string<CharT>& out, const std::basic_string<CharT>& text)
{
    out += text;
    if (IsBlockComment(text)) {
        if (text.size() < 3 || text[text.size() - 2] != CharT('*') || text.back() != CharT('/')) {
            out += CharT('*');
            out += CharT('/');
        }
    } else if (!text.empty() && text.back() == CharT('\\')) {
        out += CharT(' ');
    }
}

} // namespace

template <class CharT> void IniAppendEscaped(std::basic_string<CharT>& out, const std::basic_string<CharT>& text)
{
    // Blanks at either end are escaped, as the reader trims the others.
    size_t lead = 0;
    while (lead < text.size() && IniIsBlank(text[lead]))
        ++lead;
    size_t trail = text.size();
    while (trail > lead && IniIsBlank(text[trail - 1]))
        --trail;
    for (size_t i = 0; i < text.size(); ++i) {
        CharT c = text[i];
        if (c == CharT('\n')) {
            out += CharT('\\');
            out += CharT('n');
        } else if (c == CharT('\r')) {
            out += CharT('\\');
            out += CharT('r');
        } else {
            // "/" too: "//" and "/*" would open a comment.
            if (c == CharT('#') || c == CharT(';') || c == CharT('\\') || c == CharT('/') || i < lead || i >= trail)
                out += CharT('\\');
            out += c;
        }
    }
}

template <class CharT> std::basic_string<CharT> IniFormatDocument(const BasicIniDocument<CharT>& doc)
{
    using String = std::basic_string<CharT>;
    const String lineEnd = doc.LineEnd();
    String out;
    bool wroteAny = false;
    bool sameLine = false;     // after a block comment that had text behind it
    bool lineComment = false;  // after a comment that runs to the line end
    for (int32_t s = 0; s < doc.SectionCount(); ++s) {
        const auto& section = *doc.SectionAt(s);
        if (!section.name.empty()) {
            if (wroteAny) {
                out += lineEnd;
                out += lineEnd;
            }
            out += CharT('[');
            IniAppendEscaped(out, section.name);
            out += CharT(']');
            wroteAny = true;
            sameLine = false;
            lineComment = false;
        }
        for (const auto& entry : section.order) {
            const bool comment = entry->kind == INI_COMMENT;
            // Nothing can follow a line comment on its line.
            if (wroteAny &&
                (lineComment || (!sameLine && !(comment && !(entry->flags & INI_COMMENT_LINE_START)))))
                out += lineEnd;
            if (comment) {
                AppendComment(out, entry->name);
            } else {
                IniAppendEscaped(out, entry->name);
                out += CharT('=');
                IniAppendEscaped(out, entry->value);
            }
            wroteAny = true;
            sameLine = comment && (entry->flags & INI_COMMENT_TEXT_AFTER);
            lineComment = comment && !IsBlockComment(entry->name);
        }
    }
    return out;
}

bool IniDocument::Write(ScopedPakFile& file) const
{
    return WriteUnits(file, IniFormatDocument(*this));
}

bool IniDocumentW::WriteW(ScopedPakFile& file) const
{
    bool ok = WriteWideBom(file, true);
    return WriteUnits(file, IniFormatDocument(*this)) && ok;
}

bool LoadIniFile(IniDocument& doc, std::string_view path)
{
    return LoadInto(doc, path);
}

bool LoadIniFileW(IniDocumentW& doc, std::string_view path)
{
    return LoadInto(doc, path);
}

bool SaveIniFile(std::string_view path, const IniDocument& doc)
{
    return SaveFrom(path, doc);
}

bool SaveIniFileW(std::string_view path, const IniDocumentW& doc)
{
    return SaveFrom(path, doc);
}

bool IniWriteEscaped(const std::string& value, ScopedPakFile& file)
{
    std::string out;
    IniAppendEscaped(out, value);
    return WriteUnits(file, out);
}

bool IniWriteEscapedW(const std::u16string& value, ScopedPakFile& file)
{
    std::u16string out;
    IniAppendEscaped(out, value);
    return WriteUnits(file, out);
}

bool WriteWideBom(ScopedPakFile& file, bool flag)
{
    static const unsigned char bom[2] = {0xFF, 0xFE};
    return !flag || file.Write(bom, 2);
}

template void IniAppendEscaped(std::string&, const std::string&);
template void IniAppendEscaped(std::u16string&, const std::u16string&);
template std::string IniFormatDocument(const BasicIniDocument<char>&);
template std::u16string IniFormatDocument(const BasicIniDocument<char16_t>&);

} // namespace Quib
