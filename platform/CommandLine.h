#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace Quib {

// One program parameter: "-demofile=/a b" is the name "-demofile" with the
// value "/a b"; "-play" has an empty value.
struct CommandLineParam {
    std::string name;
    std::string value;
    bool operator==(const CommandLineParam&) const = default;
};

// The parameters in the order given: each argument is one parameter (the
// shell has already taken quotes away), its name ends at the first '='
// (not kept) and the rest is its value. Empty arguments and ones with an
// empty name are skipped.
std::vector<CommandLineParam> SplitArguments(const std::vector<std::string>& arguments);

// The arguments this process was started with, without the program itself:
// those set by SetProcessArguments, else the process's own (from
// /proc/self/cmdline).
std::vector<std::string> ProcessArguments();
// Sets the arguments from main's argc and argv (argv[0] is the program).
void SetProcessArguments(int argc, const char* const* argv);
void ClearProcessArguments();

} // namespace Quib
