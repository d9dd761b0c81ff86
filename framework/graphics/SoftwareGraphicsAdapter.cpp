#include "framework/graphics/SoftwareGraphicsAdapter.h"

#include "framework/graphics/SoftwareDevice3D.h"

#include <unistd.h>

#include <new>

namespace Quib {

HRESULT SoftwareGraphicsAdapter::Identify(AdapterIdentity* out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = AdapterIdentity{};
    out->description = kDescription;
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n > 0)
        out->driver.assign(path, size_t(n));
    out->guid = IdentityGuid(kDescription);
    return DD_OK;
}

HRESULT SoftwareGraphicsAdapter::GetAvailableVideoMemory(uint64_t* total, uint64_t* free)
{
    if (!total || !free)
        return DDERR_INVALIDPARAMS;
    *total = *free = 0;
    const long pages = sysconf(_SC_PHYS_PAGES), available = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return DDERR_UNSUPPORTED;
    *total = uint64_t(pages) * uint64_t(pageSize);
    *free = available > 0 ? uint64_t(available) * uint64_t(pageSize) : *total;
    return DD_OK;
}

HRESULT SoftwareGraphicsAdapter::CreateDevice(uint32_t, uint32_t, std::unique_ptr<Device3D>* out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    out->reset(new (std::nothrow) SoftwareDevice3D());
    return *out ? DD_OK : DDERR_OUTOFMEMORY;
}

} // namespace Quib
