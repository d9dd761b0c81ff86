#include "platform/Folders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace Quib {

namespace {

std::string StripTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// An XDG variable counts only when it holds an absolute path.
std::string AbsoluteEnv(const char* name)
{
    const char* value = std::getenv(name);
    if (value && value[0] == '/')
        return StripTrailingSlashes(value);
    return {};
}

} // namespace

std::string DocumentsFolder()
{
    std::string home = AbsoluteEnv("HOME");
    if (!home.empty())
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
        return StripTrailingSlashes(pw->pw_dir);
    return "/tmp";
}

std::string AppDataFolder()
{
    std::string dir = AbsoluteEnv("XDG_DATA_HOME");
    return dir.empty() ? DocumentsFolder() + "/.local/share" : dir;
}

std::string ConfigFolder()
{
    std::string dir = AbsoluteEnv("XDG_CONFIG_HOME");
    return dir.empty() ? DocumentsFolder() + "/.config" : dir;
}

std::string RuntimeFolder()
{
    std::string dir = AbsoluteEnv("XDG_RUNTIME_DIR");
    return dir.empty() ? "/tmp" : dir;
}

std::string ExecutablePath()
{
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, size_t(n)) : std::string();
}

} // namespace Quib
