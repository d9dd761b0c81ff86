#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "framework/core/Point.h"
#include "framework/core/Rect.h"

namespace Quib {

class IniDataKey {
public:
    std::string mName;
    // Never empty once the key was read from a line.
    std::vector<std::string> mValues;
    // Index of the next value handed out.
    unsigned mCursor = 0;
};

class IniDataSection {
public:
    std::string mName;
    // A deque: keys stay where they are when more are added.
    std::deque<IniDataKey> mKeys;
    IniDataKey* mCurrentKey = nullptr;

private:
    friend class IniData;
    // The keys by name, so that a long file loads in linear time.
    std::unordered_map<std::string, IniDataKey*> mKeyIndex;
};

// Plain settings file: the whole text lower-cased, [sections] of
// key = comma, separated, values handed out through a cursor per key.
class IniData {
public:
    IniData();
    ~IniData();
    IniData(const IniData&) = delete;
    IniData& operator=(const IniData&) = delete;

    // Reads a file through the pak layer and merges it into what is there.
    // A file that cannot be read loads nothing.
    void LoadFile(const std::string& path);
    // Parses text up to its first NUL byte. Key lines before the first
    // section line of the text have no section and are ignored.
    void Parse(std::string_view text);

    // The named section (expected in lower case), appended when missing.
    IniDataSection* SelectSection(const std::string& name);
    IniDataSection* GetCurrentSection() const { return mCurrentSection; }

    void GetSectionNames(std::vector<std::string>& names) const;
    void GetKeyNames(const std::string& section, std::vector<std::string>& names);
    std::string GetString(const std::string& section, const std::string& key);
    std::string GetStringDefault(const std::string& section, const std::string& key, const std::string& def);
    void GetValues(std::vector<std::string>& values, const std::string& key, const std::string& section);

    // Writes the data as a CR LF text file, replacing the old file whole;
    // an empty name means the loaded file's name. False when it failed.
    bool WriteFile(const std::string& fileName = std::string());

    // Readers on a section (the current one, selected first); the key
    // name is taken as given, in lower case; an empty name keeps the
    // current key and its cursor.
    static void SelectKey(IniDataSection* section, const std::string& key);
    static int NextInt(IniDataSection* section, const std::string& key, int def, int index = -1);
    static float NextFloat(IniDataSection* section, const std::string& key, float def);
    static int32_t ReadHex(IniDataSection* section, const std::string& key, int32_t def);
    static Point ReadPoint(IniDataSection* section, const std::string& key, const Point& def);
    static Rect ReadRect(IniDataSection* section, const std::string& key, const Rect& def);

    std::string mFileName;
    // Written back to mFileName on destruction when set.
    bool mSaveOnDestroy = false;

private:
    void AddKeyValue(const std::string& key, const std::string& valueText);
    void SelectSectionLower(const std::string& name);

    // A deque: sections stay where they are when more are added.
    std::deque<IniDataSection> mSections;
    std::unordered_map<std::string, IniDataSection*> mSectionIndex;
    IniDataSection* mCurrentSection = nullptr;
};

// The values with the separator between them and nothing after the last.
std::string JoinStrings(const std::vector<std::string>& values, std::string_view separator);

} // namespace Quib
