#include "platform/CommandLine.h"

#include <cstdio>
#include <mutex>
#include <optional>

namespace Quib {

namespace {
std::mutex gMutex;
std::optional<std::vector<std::string>> gArguments;
} // namespace

std::vector<CommandLineParam> SplitArguments(const std::vector<std::string>& arguments)
{
    std::vector<CommandLineParam> params;
    for (const std::string& argument : arguments) {
        const size_t equals = argument.find('=');
        CommandLineParam param;
        param.name = argument.substr(0, equals);
        if (equals != std::string::npos)
            param.value = argument.substr(equals + 1);
        if (!param.name.empty())
            params.push_back(std::move(param));
    }
    return params;
}

std::vector<std::string> ProcessArguments()
{
    {
        std::lock_guard lock(gMutex);
        if (gArguments)
            return *gArguments;
    }
    std::vector<std::string> arguments;
    FILE* file = std::fopen("/proc/self/cmdline", "rb");
    if (!file)
        return arguments;
    std::string all;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && all.size() < (1u << 20))
        all.append(buffer, got);
    std::fclose(file);
    size_t start = 0;
    bool first = true;
    while (start < all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        if (!first)
            arguments.push_back(all.substr(start, end - start));
        first = false;
        start = end + 1;
    }
    return arguments;
}

void SetProcessArguments(int argc, const char* const* argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc && argv; ++i)
        if (argv[i])
            arguments.emplace_back(argv[i]);
    std::lock_guard lock(gMutex);
    gArguments = std::move(arguments);
}

void ClearProcessArguments()
{
    std::lock_guard lock(gMutex);
    gArguments.reset();
}

} // namespace Quib
