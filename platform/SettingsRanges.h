#pragma once
#include <cstdint>
#include <string_view>

namespace Quib {

// The 32-bit settings the application reads, with what a hand-edited
// settings file may hold for them.
struct SettingRange {
    std::string_view name;
    bool flag;   // a yes/no value: anything but 0 reads as 1
    int32_t min; // otherwise values are clamped to [min, max]
    int32_t max;
};

inline constexpr SettingRange kSettingRanges[] = {
    {"MusicVolume", false, 0, 100},       // percent
    {"SfxVolume", false, 0, 100},         // percent
    {"AmbientVolume", false, 0, 100},     // percent
    {"ScreenMode", true, 0, 1},           // 1 full screen
    {"Muted", true, 0, 1},                // the user's mute
    {"PreferredX", false, -32768, 32767}, // window position, -1 none
    {"PreferredY", false, -32768, 32767}, //
    {"CustomCursors", true, 0, 1},        //
    {"WaitForVSync", true, 0, 1},         //
    {"InProgress", true, 0, 1},           // the last run has not ended cleanly
    {"Is3D", true, 0, 1},                 //
};

// The range of a setting (names compared without regard to ASCII case);
// null for a name without one.
const SettingRange* FindSettingRange(std::string_view name);

// A read value brought into its setting's range; other names' values are
// returned as they are.
int32_t ClampSetting(std::string_view name, int32_t value);

} // namespace Quib
