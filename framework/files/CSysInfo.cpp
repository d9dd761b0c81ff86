#include "framework/files/CSysInfo.h"

#include "framework/files/StringUtils.h"
#include "platform/FileNames.h"
#include "platform/Folders.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <pwd.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <thread>
#include <unistd.h>

namespace Quib {

void CSysInfo::Gather()
{
    creationTime = static_cast<int64_t>(std::time(nullptr));
    GetWindowsName();
    processorCount = static_cast<int>(std::thread::hardware_concurrency());
    ReadCpuInfo();
    ReadMemory();
    IsAdmin();
    if (passwd* pw = getpwuid(geteuid()))
        userName = std::string(pw->pw_name).substr(0, 100);
    std::string exe = ExecutablePath();
    exeFileName = exe.substr(exe.find_last_of('/') + 1);
}

void CSysInfo::GetWindowsName()
{
    utsname names;
    if (uname(&names) != 0)
        return;
    windowsName = std::string(names.sysname) + " " + names.release;
    // "6.1.0-18-amd64": major, minor, build.
    int* parts[] = {&majorVersion, &minorVersion, &build};
    std::string_view release(names.release);
    for (int* part : parts) {
        size_t used = 0;
        long long value = ParseLongC(release, &used);
        if (used == 0)
            break;
        *part = static_cast<int>(value);
        release.remove_prefix(used);
        if (release.empty() || release.front() != '.')
            break;
        release.remove_prefix(1);
    }
}

void CSysInfo::ReadCpuInfo()
{
    FILE* f = OpenFile("/proc/cpuinfo", "r");
    if (!f)
        return;
    std::string family, model, stepping;
    char* line = nullptr;
    size_t capacity = 0;
    ssize_t length;
    // The first processor's block only (lines such as "flags" can be long).
    while ((length = getline(&line, &capacity, f)) > 0) {
        std::string_view text(line, static_cast<size_t>(length));
        if (text == "\n")
            break;
        size_t colon = text.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::string key = TrimWhitespace(text.substr(0, colon));
        std::string value = TrimWhitespace(text.substr(colon + 1));
        if (key == "model name")
            processorName = value;
        else if (key == "vendor_id")
            processorVendor = value;
        else if (key == "cpu MHz")
            processorMHz = static_cast<int>(ParseDoubleC(value));
        else if (key == "cpu family")
            family = value;
        else if (key == "model")
            model = value;
        else if (key == "stepping")
            stepping = value;
    }
    std::free(line);
    std::fclose(f);
    if (!family.empty()) {
        utsname names;
        std::string machine = uname(&names) == 0 ? names.machine : "";
        processorIdentifier = StrFormat("%s Family %s Model %s Stepping %s", machine, family, model, stepping);
    }
}

void CSysInfo::ReadMemory()
{
    struct sysinfo info;
    if (sysinfo(&info) != 0)
        return;
    uint64_t unit = info.mem_unit ? info.mem_unit : 1;
    totalPhysical = uint64_t(info.totalram) * unit;
    availablePhysical = (uint64_t(info.freeram) + uint64_t(info.bufferram)) * unit;
    totalPageFile = uint64_t(info.totalswap) * unit;
    availablePageFile = uint64_t(info.freeswap) * unit;
    if (totalPhysical > 0)
        memoryLoad = static_cast<int>(100 - availablePhysical * 100 / totalPhysical);
}

void CSysInfo::IsAdmin() { isAdmin = geteuid() == 0; }

} // namespace Quib
