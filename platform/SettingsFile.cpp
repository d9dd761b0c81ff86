#include "platform/SettingsFile.h"

#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"
#include "platform/TextCodecs.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <unistd.h>

namespace Quib {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The five bytes Windows-1252 leaves undefined have no character to write.
bool IsUndefined1252(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 && Windows1252CharOf(byte) == char16_t(byte);
}

// A sub-key path with empty parts dropped: "\A\\B\" is "A\B".
std::string NormalisePath(std::string_view path)
{
    std::string result;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start) {
            if (!result.empty())
                result += '\\';
            result.append(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return result;
}

// Whether a (normalised) sub-key path can stand in a section header.
bool IsWritableSection(std::string_view path)
{
    if (path.empty())
        return true;
    if (path.front() == ' ' || path.back() == ' ')
        return false;
    for (unsigned char c : path)
        if (c < 0x20 || c == 0x7F || c == '[' || c == ']' || IsUndefined1252(c))
            return false;
    return true;
}

// Splits "Sub\Key\Name" into the sub-key path and the value name.
void SplitName(std::string_view name, std::string& section, std::string& value)
{
    const size_t slash = name.rfind('\\');
    if (slash == std::string_view::npos) {
        section.clear();
        value = std::string(name);
    } else {
        section = NormalisePath(name.substr(0, slash));
        value = std::string(name.substr(slash + 1));
    }
}

// Windows-1252 bytes as file text (UTF-8) in double quotes.
void AppendQuoted(std::string& out, std::string_view bytes)
{
    out += '"';
    for (unsigned char c : bytes) {
        switch (c) {
        case '\\': out += "\\\\"; continue;
        case '"': out += "\\\""; continue;
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        case '\t': out += "\\t"; continue;
        case 0: out += "\\0"; continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7F || IsUndefined1252(c)) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else if (c < 0x80) {
            out += char(c);
        } else {
            out += Utf16ToUtf8(std::u16string(1, Windows1252CharOf(c)));
        }
    }
    out += '"';
}

std::string FileTextTo1252(std::string_view utf8)
{
    return Utf16ToWindows1252(Utf8ToUtf16(utf8));
}

// Reads the lines of a settings file.
class Parser {
public:
    Parser(std::string_view text, SettingsContents& out) : mText(text), mOut(out) {}

    bool Run(std::string& error)
    {
        mOut = SettingsContents();
        mOut.sections.push_back({"", {}});
        std::string section;
        size_t start = 0;
        while (start < mText.size()) {
            ++mLine;
            size_t end = mText.find('\n', start);
            if (end == std::string_view::npos)
                end = mText.size();
            std::string_view line = mText.substr(start, end - start);
            start = end + 1;
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            mRest = Trim(line);
            if (mRest.empty() || mRest.front() == '#' || mRest.front() == ';')
                continue;
            if (!(mRest.front() == '[' ? Section(section) : Value(section))) {
                error = "line " + std::to_string(mLine) + ": " + mWhy;
                return false;
            }
        }
        return true;
    }

private:
    static std::string_view Trim(std::string_view s)
    {
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
            s.remove_prefix(1);
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
            s.remove_suffix(1);
        return s;
    }

    bool Fail(const char* why)
    {
        mWhy = why;
        return false;
    }

    void SkipBlanks()
    {
        while (!mRest.empty() && (mRest.front() == ' ' || mRest.front() == '\t'))
            mRest.remove_prefix(1);
    }

    bool AtEnd()
    {
        SkipBlanks();
        return mRest.empty() || mRest.front() == '#' || mRest.front() == ';';
    }

    bool Section(std::string& section)
    {
        const size_t close = mRest.rfind(']');
        if (close == std::string_view::npos)
            return Fail("a section header without ']'");
        std::string_view inside = Trim(mRest.substr(1, close - 1));
        mRest.remove_prefix(close + 1);
        if (!AtEnd())
            return Fail("text after a section header");
        std::string path = NormalisePath(FileTextTo1252(inside));
        if (path.empty() || !IsWritableSection(path))
            return Fail("an unusable section name");
        section = path;
        for (const auto& known : mOut.sections)
            if (EqualNoCaseAscii(known.name, section))
                return true;
        mOut.sections.push_back({section, {}});
        return true;
    }

    bool Quoted(std::string& out)
    {
        if (mRest.empty() || mRest.front() != '"')
            return Fail("a quoted text expected");
        mRest.remove_prefix(1);
        out.clear();
        for (;;) {
            size_t stop = 0;
            while (stop < mRest.size() && mRest[stop] != '"' && mRest[stop] != '\\')
                ++stop;
            if (stop)
                out += FileTextTo1252(mRest.substr(0, stop));
            mRest.remove_prefix(stop);
            if (mRest.empty())
                return Fail("a quoted text without its closing quote");
            const char c = mRest.front();
            mRest.remove_prefix(1);
            if (c == '"')
                return true;
            if (mRest.empty())
                return Fail("a backslash at the end of a line");
            const char e = mRest.front();
            mRest.remove_prefix(1);
            switch (e) {
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case '0': out += '\0'; break;
            case 'x': {
                const int high = mRest.size() >= 2 ? HexDigit(mRest[0]) : -1;
                const int low = mRest.size() >= 2 ? HexDigit(mRest[1]) : -1;
                if (high < 0 || low < 0)
                    return Fail("\\x without two hex digits");
                out += char(high * 16 + low);
                mRest.remove_prefix(2);
                break;
            }
            default: return Fail("an unknown escape");
            }
        }
    }

    bool Prefix(std::string_view word)
    {
        if (mRest.size() < word.size() || !EqualNoCaseAscii(mRest.substr(0, word.size()), word))
            return false;
        mRest.remove_prefix(word.size());
        return true;
    }

    bool Bytes(std::vector<uint8_t>& out)
    {
        out.clear();
        SkipBlanks();
        while (!mRest.empty() && mRest.front() != '#' && mRest.front() != ';') {
            const char c = mRest.front();
            if (c == ' ' || c == '\t' || c == ',') {
                mRest.remove_prefix(1);
                continue;
            }
            const int high = HexDigit(c);
            const int low = mRest.size() >= 2 ? HexDigit(mRest[1]) : -1;
            if (high < 0 || low < 0)
                return Fail("hex bytes expected");
            out.push_back(uint8_t(high * 16 + low));
            mRest.remove_prefix(2);
        }
        return true;
    }

    bool Number(uint64_t most, bool allowNegative, int64_t& out)
    {
        SkipBlanks();
        bool negative = false;
        if (allowNegative && !mRest.empty() && mRest.front() == '-') {
            negative = true;
            mRest.remove_prefix(1);
        }
        int base = 10;
        if (mRest.size() >= 2 && mRest[0] == '0' && (mRest[1] == 'x' || mRest[1] == 'X')) {
            if (negative)
                return Fail("a negative hex number");
            base = 16;
            mRest.remove_prefix(2);
        }
        uint64_t value = 0;
        size_t digits = 0;
        while (!mRest.empty()) {
            const int d = base == 16 ? HexDigit(mRest.front())
                                     : (mRest.front() >= '0' && mRest.front() <= '9' ? mRest.front() - '0' : -1);
            if (d < 0)
                break;
            value = value * uint64_t(base) + uint64_t(d);
            if (value > most + (negative ? 1 : 0))
                return Fail("a number out of range");
            mRest.remove_prefix(1);
            ++digits;
        }
        if (!digits)
            return Fail("a number expected");
        if (negative && value > uint64_t(std::numeric_limits<int32_t>::max()) + 1)
            return Fail("a number out of range");
        out = negative ? -int64_t(value) : int64_t(value);
        return true;
    }

    bool Value(const std::string& section)
    {
        std::string name;
        if (!Quoted(name))
            return false;
        if (name.find('\\') != std::string::npos)
            return Fail("a value name with a backslash");
        SkipBlanks();
        if (mRest.empty() || mRest.front() != '=')
            return Fail("'=' expected after the name");
        mRest.remove_prefix(1);
        SkipBlanks();
        SettingsValue value;
        if (Prefix("dword:")) {
            int64_t number = 0;
            if (!Number(0xFFFFFFFFu, true, number))
                return false;
            const uint32_t bits = uint32_t(number);
            value.type = REG_DWORD;
            value.data = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
        } else if (Prefix("string:")) {
            SkipBlanks();
            std::string text;
            if (!Quoted(text))
                return false;
            value.type = REG_SZ;
            value.data.assign(text.begin(), text.end());
            value.data.push_back(0);
        } else if (Prefix("binary:")) {
            value.type = REG_BINARY;
            if (!Bytes(value.data))
                return false;
        } else if (Prefix("hex(")) {
            int64_t type = 0;
            if (!Number(0xFFFFFFFFu, false, type))
                return false;
            if (!Prefix("):"))
                return Fail("'):' expected after the type");
            value.type = uint32_t(type);
            if (!Bytes(value.data))
                return false;
            if (value.type == REG_SZ && (value.data.empty() || value.data.back() != 0))
                value.data.push_back(0);
        } else {
            return Fail("an unknown value type");
        }
        if (!AtEnd())
            return Fail("text after the value");
        mOut.Set(section, name, std::move(value));
        return true;
    }

    std::string_view mText;
    SettingsContents& mOut;
    std::string_view mRest;
    int mLine = 0;
    const char* mWhy = "";
};

} // namespace

// ---------------------------------------------------------------- contents

const SettingsValue* SettingsContents::Find(std::string_view section, std::string_view name) const
{
    for (const Section& s : sections) {
        if (!EqualNoCaseAscii(s.name, section))
            continue;
        for (const Entry& entry : s.entries)
            if (EqualNoCaseAscii(entry.name, name))
                return &entry.value;
    }
    return nullptr;
}

void SettingsContents::Set(std::string_view section, std::string_view name, SettingsValue value)
{
    Section* target = nullptr;
    for (Section& s : sections)
        if (!target && EqualNoCaseAscii(s.name, section))
            target = &s;
    if (!target) {
        if (section.empty()) {
            sections.insert(sections.begin(), Section{"", {}});
            target = &sections.front();
        } else {
            sections.push_back({std::string(section), {}});
            target = &sections.back();
        }
    }
    for (Entry& entry : target->entries) {
        if (EqualNoCaseAscii(entry.name, name)) {
            entry.value = std::move(value);
            return;
        }
    }
    target->entries.push_back({std::string(name), std::move(value)});
}

bool SettingsContents::Erase(std::string_view section, std::string_view name)
{
    for (Section& s : sections) {
        if (!EqualNoCaseAscii(s.name, section))
            continue;
        for (auto it = s.entries.begin(); it != s.entries.end(); ++it) {
            if (EqualNoCaseAscii(it->name, name)) {
                s.entries.erase(it);
                return true;
            }
        }
    }
    return false;
}

// ---------------------------------------------------------------- text form

bool SettingsFile::Parse(std::string_view text, SettingsContents& out, std::string& error)
{
    if (text.size() > kMaxFileBytes) {
        error = "larger than " + std::to_string(kMaxFileBytes) + " bytes";
        out = SettingsContents();
        return false;
    }
    // A byte-order mark from an editor is not part of the first line.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    Parser parser(text, out);
    if (!parser.Run(error)) {
        out = SettingsContents();
        return false;
    }
    return true;
}

std::string SettingsFile::Format(const SettingsContents& contents)
{
    std::string out =
        "# Settings: \"name\" = dword:number, string:\"text\", binary:hex bytes or hex(type):hex bytes\n";
    auto writeEntries = [&out](const SettingsContents::Section& section) {
        for (const auto& entry : section.entries) {
            AppendQuoted(out, entry.name);
            out += " = ";
            const SettingsValue& value = entry.value;
            const auto& data = value.data;
            if (value.type == REG_DWORD && data.size() == 4) {
                const uint32_t bits = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                                      uint32_t(data[3]) << 24;
                out += "dword:" + std::to_string(int32_t(bits));
            } else if (value.type == REG_SZ && !data.empty() && data.back() == 0) {
                out += "string:";
                AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(data.data()), data.size() - 1));
            } else {
                out += value.type == REG_BINARY ? std::string("binary:")
                                                : "hex(" + std::to_string(value.type) + "):";
                for (uint8_t byte : data) {
                    out += kHex[byte >> 4];
                    out += kHex[byte & 15];
                }
            }
            out += '\n';
        }
    };
    for (const auto& section : contents.sections)
        if (section.name.empty())
            writeEntries(section);
    for (const auto& section : contents.sections) {
        if (section.name.empty())
            continue;
        out += "\n[" + Utf16ToUtf8(Windows1252ToUtf16(section.name)) + "]\n";
        writeEntries(section);
    }
    return out;
}

// ---------------------------------------------------------------- the file

std::string SettingsFile::PathForKey(std::string_view registryKey)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= registryKey.size()) {
        size_t end = registryKey.find('\\', start);
        if (end == std::string_view::npos)
            end = registryKey.size();
        const std::string_view part = registryKey.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        std::string encoded;
        const bool dots = part == "." || part == "..";
        for (unsigned char c : part) {
            const bool plain = !dots &&
                               ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == ' ' || c == '.' || c == '_' || c == '+' || c == '-');
            if (plain) {
                encoded += char(c);
            } else {
                encoded += '%';
                encoded += kHex[c >> 4];
                encoded += kHex[c & 15];
            }
        }
        parts.push_back(std::move(encoded));
    }
    if (parts.empty())
        return {};
    std::string path = ConfigFolder();
    for (const std::string& part : parts)
        path += "/" + part;
    return path + ".settings";
}

SettingsFile::SettingsFile(std::string path) : mPath(std::move(path))
{
    mContents.sections.push_back({"", {}});
    if (mPath.empty())
        return;
    FILE* file = OpenFile(mPath, "rb");
    if (!file) {
        if (errno != ENOENT && FileExists(mPath)) {
            OutputDebugString("Settings: " + mPath + " cannot be read (" + std::strerror(errno) +
                              "); the settings start from their defaults\n");
            mDamaged = mKeepDamaged = true;
        }
        return;
    }
    std::string text;
    char buffer[65536];
    bool tooLarge = false;
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (text.size() + got > kMaxFileBytes) {
            tooLarge = true;
            break;
        }
        text.append(buffer, got);
    }
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    std::string error;
    if (tooLarge)
        error = "larger than " + std::to_string(kMaxFileBytes) + " bytes";
    else if (readError)
        error = "read error";
    SettingsContents contents;
    if (error.empty() && Parse(text, contents, error)) {
        mContents = std::move(contents);
        return;
    }
    OutputDebugString("Settings: " + mPath + " is damaged (" + error +
                      "); the settings start from their defaults and the file is rewritten at the next save, "
                      "the damaged one kept as " +
                      mPath + ".damaged\n");
    mDamaged = mKeepDamaged = true;
}

bool SettingsFile::Read(std::string_view name, SettingsValue& out) const
{
    std::string section, value;
    SplitName(name, section, value);
    std::lock_guard lock(mMutex);
    const SettingsValue* found = mContents.Find(section, value);
    if (!found)
        return false;
    out = *found;
    return true;
}

bool SettingsFile::HasValue(std::string_view name) const
{
    SettingsValue ignored;
    return Read(name, ignored);
}

bool SettingsFile::Write(std::string_view name, uint32_t type, const void* data, size_t size)
{
    std::string section, valueName;
    SplitName(name, section, valueName);
    if ((type == REG_DWORD && size != 4) || (size && !data) || !IsWritableSection(section) ||
        size > kMaxFileBytes / 4) {
        OutputDebugString("Settings: value \"" + std::string(name.substr(0, 200)) + "\" cannot be stored\n");
        return false;
    }
    SettingsValue value;
    value.type = type;
    if (size)
        value.data.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    if (type == REG_SZ && (value.data.empty() || value.data.back() != 0))
        value.data.push_back(0);

    std::lock_guard lock(mMutex);
    SettingsContents before = mContents;
    mContents.Set(section, valueName, std::move(value));
    if (Format(mContents).size() > kMaxFileBytes) {
        mContents = std::move(before);
        OutputDebugString("Settings: value \"" + std::string(name.substr(0, 200)) +
                          "\" makes the file too large\n");
        return false;
    }
    return Changed();
}

bool SettingsFile::DeleteValue(std::string_view name)
{
    std::string section, value;
    SplitName(name, section, value);
    std::lock_guard lock(mMutex);
    if (!mContents.Erase(section, value))
        return false;
    return Changed();
}

bool SettingsFile::ReadInto(std::string_view name, uint32_t& type, void* buffer, uint32_t& size) const
{
    SettingsValue value;
    if (!Read(name, value))
        return false;
    type = value.type;
    const uint32_t length = uint32_t(value.data.size());
    const bool fits = buffer && length <= size;
    if (fits && length)
        std::memcpy(buffer, value.data.data(), length);
    size = length;
    return fits || !buffer;
}

bool SettingsFile::ReadBool(std::string_view name, bool& out) const
{
    int32_t value = 0;
    if (!ReadDWord(name, value))
        return false;
    out = value != 0;
    return true;
}

bool SettingsFile::ReadDWord(std::string_view name, int32_t& out) const
{
    SettingsValue value;
    if (!Read(name, value) || value.type != REG_DWORD || value.data.size() != 4)
        return false;
    const auto& d = value.data;
    out = int32_t(uint32_t(d[0]) | uint32_t(d[1]) << 8 | uint32_t(d[2]) << 16 | uint32_t(d[3]) << 24);
    return true;
}

bool SettingsFile::WriteDWord(std::string_view name, int32_t value)
{
    const uint32_t bits = uint32_t(value);
    const uint8_t data[4] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
    return Write(name, REG_DWORD, data, sizeof data);
}

bool SettingsFile::ReadString(std::string_view name, std::string& out) const
{
    SettingsValue value;
    if (!Read(name, value) || value.type != REG_SZ)
        return false;
    const auto end = std::find(value.data.begin(), value.data.end(), uint8_t(0));
    out.assign(value.data.begin(), end);
    return true;
}

bool SettingsFile::WriteString(std::string_view name, std::string_view text)
{
    return Write(name, REG_SZ, text.data(), text.size());
}

bool SettingsFile::Changed()
{
    mDirty = true;
    if (mBatchDepth > 0)
        return true;
    return SaveLocked();
}

bool SettingsFile::Save()
{
    std::lock_guard lock(mMutex);
    return SaveLocked();
}

bool SettingsFile::SaveLocked()
{
    if (mPath.empty())
        return false;
    const size_t slash = mPath.rfind('/');
    if (slash != std::string::npos && slash > 0)
        MakeDirectories(mPath.substr(0, slash));
    AtomicFileWriter writer(mPath);
    const std::string text = Format(mContents);
    bool ok = writer.IsOpen() && writer.Write(text);
    if (ok && mKeepDamaged) {
        // The damaged file stays readable under another name.
        const std::string damaged = ResolveExistingPath(mPath);
        if (!damaged.empty()) {
            unlink((damaged + ".damaged").c_str());
            if (link(damaged.c_str(), (damaged + ".damaged").c_str()) != 0)
                OutputDebugString("Settings: the damaged " + damaged + " could not be kept\n");
        }
    }
    ok = ok && writer.Commit();
    if (!ok) {
        OutputDebugString("Settings: " + mPath + " could not be written; the old file is left as it was\n");
        return false;
    }
    mKeepDamaged = false;
    mDirty = false;
    return true;
}

SettingsContents SettingsFile::Contents() const
{
    std::lock_guard lock(mMutex);
    return mContents;
}

SettingsFile::Batch::Batch(SettingsFile& file) : mFile(file)
{
    std::lock_guard lock(mFile.mMutex);
    ++mFile.mBatchDepth;
}

SettingsFile::Batch::~Batch()
{
    std::lock_guard lock(mFile.mMutex);
    if (--mFile.mBatchDepth == 0 && mFile.mDirty)
        mFile.SaveLocked();
}

} // namespace Quib
