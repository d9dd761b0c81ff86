#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace Quib {

// Value types, with their registry numbers.
enum : uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_MULTI_SZ = 7,
};

struct SettingsValue {
    uint32_t type = REG_NONE;
    std::vector<uint8_t> data;
    bool operator==(const SettingsValue&) const = default;
};

// What a settings file holds: its sections (sub-keys; "" for the key itself,
// "A\B" for a sub-key of a sub-key) in file order, each with its values.
// Names are found without regard to ASCII letter case and keep the
// spelling they were first given.
struct SettingsContents {
    struct Entry {
        std::string name;
        SettingsValue value;
        bool operator==(const Entry&) const = default;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        bool operator==(const Section&) const = default;
    };
    std::vector<Section> sections;

    const SettingsValue* Find(std::string_view section, std::string_view name) const;
    // Adds or replaces a value (making the section when needed).
    void Set(std::string_view section, std::string_view name, SettingsValue value);
    bool Erase(std::string_view section, std::string_view name);
    bool operator==(const SettingsContents&) const = default;
};

// The settings of one registry key, kept in one text file. The text:
//
//     # comment lines start with '#' or ';'
//     "MusicVolume" = dword:85
//     "DemoJumpTime" = string:"1:30"
//
//     [Test3D]
//     "DisplayGUID" = binary:00112233445566778899AABBCCDDEEFF
//     "Other" = hex(7):410000
//
// Values of the key itself come before the first section; a section is a
// sub-key. dword: a 32-bit number, decimal (signed or unsigned) or 0x hex;
// string: REG_SZ text in double quotes (Windows-1252 text written as UTF-8;
// escapes \\ \" \n \r \t \0 and \xHH for any byte); binary: REG_BINARY as
// hex bytes; hex(N): a value of type N as hex bytes. Names are quoted the
// same way. Lines end with LF or CR LF.
//
// A REG_SZ keeps its text and its length; it is read back with exactly one
// terminating zero, whether or not it was written with one.
//
// A file that does not read as above (or is over 1 MiB) is damaged: none of
// it is used (a log line says where it went wrong), and the next save
// rewrites the whole file, keeping the damaged one beside it as
// "<file>.damaged". Every save writes a temporary file and renames it over
// the old one, so the file is never left half-written.
class SettingsFile {
public:
    static constexpr size_t kMaxFileBytes = 1 << 20;

    // The file of a registry key such as "Company\Product":
    // $XDG_CONFIG_HOME/Company/Product.settings. Each part keeps the
    // characters [A-Za-z0-9 ._+-] and writes others as %XX ("." and ".." in
    // full), so a key never reaches outside the folder. Empty for an empty
    // key.
    static std::string PathForKey(std::string_view registryKey);

    // Reads the file; a missing file holds nothing.
    explicit SettingsFile(std::string path);

    const std::string& Path() const { return mPath; }
    // The file was there but damaged when read.
    bool WasDamaged() const { return mDamaged; }

    // A name may carry a sub-key: "Test3D\RuntimeError" is the value
    // "RuntimeError" of the sub-key "Test3D" (the part before the last
    // backslash is the sub-key path).
    bool Read(std::string_view name, SettingsValue& out) const;
    bool HasValue(std::string_view name) const;
    // Stores a value and saves the file (unless a Batch is open); false when
    // the value cannot be stored (a REG_DWORD that is not 4 bytes, a name
    // with a line break) or the save failed. A value that could not be
    // saved is kept and goes out with the next save.
    bool Write(std::string_view name, uint32_t type, const void* data, size_t size);
    bool DeleteValue(std::string_view name);

    // Into a caller's buffer of size bytes: true when the value exists and
    // fits (size becomes its length); when it does not fit nothing is
    // copied, false is returned and size tells the length needed. A null
    // buffer asks for the type and length only.
    bool ReadInto(std::string_view name, uint32_t& type, void* buffer, uint32_t& size) const;

    // REG_DWORD only.
    bool ReadDWord(std::string_view name, int32_t& out) const;
    // A REG_DWORD that is not 0; written as 0 or 1.
    bool ReadBool(std::string_view name, bool& out) const;
    bool WriteBool(std::string_view name, bool value) { return WriteDWord(name, value ? 1 : 0); }
    bool WriteDWord(std::string_view name, int32_t value);
    // REG_SZ only: the text up to its first zero byte.
    bool ReadString(std::string_view name, std::string& out) const;
    bool WriteString(std::string_view name, std::string_view text);

    // Writes the whole file now.
    bool Save();

    // Holds back the saves of the writes made while it lives; saves once at
    // its end when something changed.
    class Batch {
    public:
        explicit Batch(SettingsFile& file);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        SettingsFile& mFile;
    };

    SettingsContents Contents() const;

    // The text form. Parse gives false and the line and reason of the first
    // fault; Format writes LF line ends.
    static bool Parse(std::string_view text, SettingsContents& out, std::string& error);
    static std::string Format(const SettingsContents& contents);

private:
    bool SaveLocked();
    bool Changed();

    std::string mPath;
    mutable std::recursive_mutex mMutex;
    SettingsContents mContents;
    bool mDamaged = false;
    bool mKeepDamaged = false;
    int mBatchDepth = 0;
    bool mDirty = false;
};

} // namespace Quib
