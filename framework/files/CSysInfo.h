#pragma once
#include <cstdint>
#include <string>

namespace Quib {

// What the log header tells about the machine. Facts this system has no
// source for stay 0 or empty.
class CSysInfo {
public:
    CSysInfo() = default;
    virtual ~CSysInfo() = default;

    // Reads everything below.
    void Gather();

    int64_t creationTime = 0; // seconds since 1970
    std::string exeFileName;  // without its folder
    std::string userName;
    bool isAdmin = false;     // effective user 0
    std::string processorName;
    std::string processorVendor;
    std::string processorIdentifier;
    std::string windowsName;  // the system's name and release
    bool isNT = true;
    int processorMHz = 0;
    int processorCount = 0;
    int servicePack = 0;
    int build = 0;
    int minorVersion = 0;
    int majorVersion = 0;
    int memoryLoad = 0; // percent in use
    uint64_t totalPhysical = 0;
    uint64_t availablePhysical = 0;
    uint64_t totalPageFile = 0;
    uint64_t availablePageFile = 0;
    uint64_t totalVirtual = 0;
    uint64_t availableVirtual = 0;
    int ieVersion[4] = {0, 0, 0, 0};
    int adoVersion[4] = {0, 0, 0, 0};

private:
    void GetWindowsName();
    void ReadCpuInfo();
    void ReadMemory();
    void IsAdmin();
};

} // namespace Quib
