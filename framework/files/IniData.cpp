#include "framework/files/IniData.h"

#include "framework/files/PakInterface.h"
#include "framework/files/StringUtils.h"
#include "platform/FileNames.h"

namespace Quib {

namespace {

// The values left from the cursor (none when it ran past the end).
size_t ValuesLeft(const IniDataKey& key)
{
    return key.mCursor < key.mValues.size() ? key.mValues.size() - key.mCursor : 0;
}

// The current key of a section after selecting `key` (when not empty).
IniDataKey* KeyFor(IniDataSection* section, const std::string& key)
{
    if (!section)
        return nullptr;
    if (!key.empty())
        IniData::SelectKey(section, key);
    return section->mCurrentKey;
}

} // namespace

std::string JoinStrings(const std::vector<std::string>& values, std::string_view separator)
{
    std::string out;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += separator;
        out += values[i];
    }
    return out;
}

IniData::IniData() = default;

IniData::~IniData()
{
    if (mSaveOnDestroy)
        WriteFile(mFileName);
}

void IniData::LoadFile(const std::string& path)
{
    mFileName = path;
    std::string text = PakReadWholeFile(path);
    if (text.empty())
        return;
    Parse(StringToLower(text));
}

void IniData::Parse(std::string_view text)
{
    size_t end = text.find('\0');
    if (end != std::string_view::npos)
        text = text.substr(0, end);

    bool sectionSeen = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t stop = text.find_first_of("\r\n", pos);
        if (stop == std::string_view::npos)
            stop = text.size();
        std::string_view line = text.substr(pos, stop - pos);
        pos = text.find_first_not_of("\r\n", stop);
        if (pos == std::string_view::npos)
            pos = text.size();
        if (line.empty())
            continue;

        size_t open = line.find('[');
        size_t close = line.find(']');
        if (open != std::string_view::npos && close != std::string_view::npos) {
            std::string_view name = close > open ? line.substr(open + 1, close - open - 1) : line.substr(open + 1);
            SelectSectionLower(std::string(name));
            sectionSeen = true;
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string_view::npos || !sectionSeen)
            continue;
        AddKeyValue(std::string(line.substr(0, equals)), std::string(line.substr(equals + 1)));
    }
}

void IniData::SelectSectionLower(const std::string& name) { SelectSection(StringToLower(name)); }

IniDataSection* IniData::SelectSection(const std::string& name)
{
    IniDataSection*& section = mSectionIndex[name];
    if (!section) {
        section = &mSections.emplace_back();
        section->mName = name;
    }
    mCurrentSection = section;
    return mCurrentSection;
}

void IniData::AddKeyValue(const std::string& keyName, const std::string& valueText)
{
    if (!mCurrentSection)
        return;
    std::string name = StringToLower(TrimSpaces(keyName));
    IniDataKey*& key = mCurrentSection->mKeyIndex[name];
    if (!key) {
        key = &mCurrentSection->mKeys.emplace_back();
        key->mName = name;
    }
    SplitCommaTrimmed(valueText, key->mValues);
    mCurrentSection->mCurrentKey = key;
}

void IniData::GetSectionNames(std::vector<std::string>& names) const
{
    for (const IniDataSection& section : mSections)
        names.push_back(section.mName);
}

void IniData::GetKeyNames(const std::string& section, std::vector<std::string>& names)
{
    if (!section.empty())
        SelectSectionLower(section);
    if (!mCurrentSection)
        return;
    for (const IniDataKey& key : mCurrentSection->mKeys)
        names.push_back(key.mName);
}

std::string IniData::GetString(const std::string& section, const std::string& key)
{
    if (!section.empty())
        SelectSectionLower(section);
    if (!mCurrentSection)
        return std::string();
    SelectKey(mCurrentSection, StringToLower(key));
    IniDataKey* current = mCurrentSection->mCurrentKey;
    return current ? JoinStrings(current->mValues, ",") : std::string();
}

std::string IniData::GetStringDefault(const std::string& section, const std::string& key, const std::string& def)
{
    if (!section.empty())
        SelectSectionLower(section);
    IniDataKey* current = KeyFor(mCurrentSection, StringToLower(key));
    if (!current || ValuesLeft(*current) == 0)
        return def;
    return current->mValues[current->mCursor++];
}

void IniData::GetValues(std::vector<std::string>& values, const std::string& key, const std::string& section)
{
    if (!section.empty())
        SelectSectionLower(section);
    IniDataKey* current = KeyFor(mCurrentSection, StringToLower(key));
    if (current)
        values = current->mValues;
}

bool IniData::WriteFile(const std::string& fileName)
{
    std::string text;
    for (const IniDataSection& section : mSections) {
        // A name holding "]" cannot be closed by one: "][name" reads back
        // as the whole rest of the line.
        if (section.mName.find(']') == std::string::npos)
            text += "[" + section.mName + "]\r\n";
        else
            text += "][" + section.mName + "\r\n";
        for (const IniDataKey& key : section.mKeys)
            text += key.mName + " = " + JoinStrings(key.mValues, ",") + "\r\n";
        text += "\r\n";
    }
    AtomicFileWriter writer(fileName.empty() ? mFileName : fileName);
    return writer.Write(text) && writer.Commit();
}

void IniData::SelectKey(IniDataSection* section, const std::string& key)
{
    if (!section)
        return;
    auto found = section->mKeyIndex.find(key);
    section->mCurrentKey = found == section->mKeyIndex.end() ? nullptr : found->second;
    if (section->mCurrentKey)
        section->mCurrentKey->mCursor = 0;
}

int IniData::NextInt(IniDataSection* section, const std::string& key, int def, int index)
{
    IniDataKey* current = KeyFor(section, key);
    if (!current)
        return def;
    if (index != -1)
        current->mCursor = unsigned(index);
    if (ValuesLeft(*current) == 0)
        return def;
    return StringToIntAtoi(current->mValues[current->mCursor++]);
}

float IniData::NextFloat(IniDataSection* section, const std::string& key, float def)
{
    IniDataKey* current = KeyFor(section, key);
    if (!current || ValuesLeft(*current) == 0)
        return def;
    return float(ParseDoubleC(current->mValues[current->mCursor++]));
}

int32_t IniData::ReadHex(IniDataSection* section, const std::string& key, int32_t def)
{
    IniDataKey* current = KeyFor(section, key);
    if (!current || ValuesLeft(*current) == 0)
        return def;
    uint32_t result = 0;
    for (char c : current->mValues[current->mCursor++])
        result = (result << 4) + HexDigitValue(uint8_t(c));
    return int32_t(result);
}

Point IniData::ReadPoint(IniDataSection* section, const std::string& key, const Point& def)
{
    IniDataKey* current = KeyFor(section, key);
    if (!current || ValuesLeft(*current) < 2)
        return def;
    Point p = def;
    p.x = StringToIntAtoi(current->mValues[current->mCursor++]);
    p.y = StringToIntAtoi(current->mValues[current->mCursor++]);
    return p;
}

Rect IniData::ReadRect(IniDataSection* section, const std::string& key, const Rect& def)
{
    IniDataKey* current = KeyFor(section, key);
    if (!current || ValuesLeft(*current) < 4)
        return def;
    Rect r = def;
    r.x = StringToIntAtoi(current->mValues[current->mCursor++]);
    r.y = StringToIntAtoi(current->mValues[current->mCursor++]);
    r.width = StringToIntAtoi(current->mValues[current->mCursor++]);
    r.height = StringToIntAtoi(current->mValues[current->mCursor++]);
    return r;
}

} // namespace Quib
