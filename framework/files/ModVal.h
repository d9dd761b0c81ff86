#pragma once
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <type_traits>

namespace Quib {

// The value a reload parsed for one marked constant.
struct ModValRecord {
    bool mOverridden = false;
    int32_t mInt = 0;
    double mDouble = 0;
    std::string mString;
};

// What M(value) lays into the program's writable data, packed:
// state (1 byte, not 0 until first use), record pointer, the marker
// "QUIBMODVAL", then the source path directly followed by
// "<line>,<order>" and a NUL. The order numbers the constants of a
// translation unit; the registry turns it into the index on the line.
constexpr size_t MODVAL_RECORD_OFFSET = 1;
constexpr size_t MODVAL_MARKER_OFFSET = MODVAL_RECORD_OFFSET + sizeof(void*);
constexpr size_t MODVAL_MARKER_SIZE = 10;

template <size_t N>
struct __attribute__((packed)) ModValBlock {
    uint8_t mState;
    ModValRecord* mRecord;
    char mMarker[MODVAL_MARKER_SIZE];
    char mLocation[N];
};

// Constants that the developer edits in the source while the program runs
// and reloads with Alt+R.
class ModVal {
public:
    // First use of a block: registers its file as active and patches it.
    static ModValRecord* InitBlock(uint8_t* block);
    // Gives the block a fresh record and marks it used.
    static ModValRecord* PatchBlock(uint8_t* block);
    // Registers every block in the program's writable data.
    static void ScanImage();
    // Registers the blocks found in a range; true when any was recorded.
    static bool RegisterBlocks(const uint8_t* start, size_t length);
    // Re-reads the source of every used constant and patches the values.
    // False after an error or when no file changed (a box was shown).
    static bool Reload();

    // "path" followed by "<line>,<number>": false when it does not parse.
    static bool ParseLocation(const std::string& text, std::string& file, int& line, int& number);
    // Literal readers, starting right after the '('.
    static bool ParseQuoted(const char* text, std::string& value);
    static bool ParseInteger(const char* text, int32_t& value);
    static bool ParseDouble(const char* text, double& value);

    // The block registered for a constant, or null (for inspection).
    static uint8_t* RegisteredBlock(const std::string& file, int line, int index);

    // Identifiers the integer reader accepts in place of a number.
    static std::map<std::string, int32_t>& NamedConstants();
};

inline ModValRecord* ModValRecordOf(const uint8_t* block)
{
    ModValRecord* record;
    std::memcpy(&record, block + MODVAL_RECORD_OFFSET, sizeof record);
    return record;
}

// What each use of M(value) does.
template <class T>
T ModValUse(uint8_t* block, T compiled)
{
    ModValRecord* record = block[0] != 0 ? ModVal::InitBlock(block) : ModValRecordOf(block);
    if (!record || !record->mOverridden)
        return compiled;
    if constexpr (std::is_same_v<T, const char*>)
        return record->mString.c_str();
    else if constexpr (std::is_floating_point_v<T>)
        return T(record->mDouble);
    else
        return T(record->mInt);
}

} // namespace Quib

#define QUIB_MODVAL_STR2(x) #x
#define QUIB_MODVAL_STR(x) QUIB_MODVAL_STR2(x)
#define QUIB_MODVAL_LOCATION(file, line, order) file QUIB_MODVAL_STR(line) "," QUIB_MODVAL_STR(order)
#define QUIB_MODVAL_USE(value, file, line, order)                                                          \
    ({                                                                                                     \
        static ::Quib::ModValBlock<sizeof(QUIB_MODVAL_LOCATION(file, line, order))> quibModValBlock = {    \
            1, nullptr, {'Q', 'U', 'I', 'B', 'M', 'O', 'D', 'V', 'A', 'L'},                                \
            QUIB_MODVAL_LOCATION(file, line, order)};                                                      \
        ::Quib::ModValUse(reinterpret_cast<uint8_t*>(&quibModValBlock), value);                            \
    })

// A constant that a reload may replace: an int, a float or double
// (written with a point), or a string literal. The name is short and
// common: include this header after every other one.
#define M(value) QUIB_MODVAL_USE(value, __FILE__, __LINE__, __COUNTER__)
